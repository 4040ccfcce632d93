// The date the program takes as today.
#include "today.h"

TodayRecord TodayDate;

void SetTodayFromClock()
{
    TodayDate.date = GetTodayPacked();
    TodayDate.weekday = GetTodayWeekday();
}
