// The queue of today's due reminders: the clocks are read here, the
// decisions are in alarmcalc.cpp, alerts go to ShowAlert.
#include "remind.h"
#include "../calendar/today.h"

// The wall clock and the monotonic clock, read together.
static uint64_t ReadClocks(SYSTEMTIME *now)
{
    ReadLocalClock(now);
    return ReadTickClock();
}

void RearmReminders()
{
    SYSTEMTIME now;
    uint64_t tick = ReadClocks(&now);
    RearmAt(TodayDate.date, &now, tick, ShowAlert);
}

void RequeueReminders()
{
    SYSTEMTIME now;
    uint64_t tick = ReadClocks(&now);
    RearmAt(TodayDate.date, &now, tick, 0);
}

void ScheduleReminder(ReminderEntry *entry)
{
    SYSTEMTIME now;
    uint64_t tick = ReadClocks(&now);
    ScheduleAt(entry, TodayDate.date, &now, tick, ShowAlert);
}

void ArmHourlyChime(int announce)
{
    SYSTEMTIME now;
    uint64_t tick = ReadClocks(&now);
    ArmChimeAt(announce, &now, tick, ShowAlert);
}

void ClearAllMemos()
{
    SYSTEMTIME now;
    uint64_t tick = ReadClocks(&now);
    ClearAllMemosAt(&now, tick);
}

void FireDueReminder()
{
    // The tick of the timer message has 32 bits and wraps after 49.7 days;
    // the due times are kept in the 64-bit clock instead.
    uint64_t now64 = ReadTickClock();
    if (AlarmDue(now64)) {
        SYSTEMTIME now;
        ReadLocalClock(&now);
        FireHeadAt(&now, now64, ShowAlert);
    }
}
