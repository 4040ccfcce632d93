// The date the program takes as today: read from the clock at start-up and
// when the system time changes (or the local date moves on under a running
// program), never on a schedule.
#pragma once
#include "calendar.h"

struct TodayRecord {
    PackedDate date;
    int32_t weekday;   // 0 = Sunday
};
extern TodayRecord TodayDate;

// date := GetTodayPacked, weekday := GetTodayWeekday.
void SetTodayFromClock();
