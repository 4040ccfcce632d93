// The one-second clock and the queue of today's due reminders.
#include "remind.h"
#include "../app/shell.h"

// The queue and the chime are not built yet: until they are, nothing is
// queued and nothing fires.
void RearmReminders() {}
void ScheduleReminder(ReminderEntry *entry) { (void)entry; }
void UnscheduleReminder(ReminderEntry *entry) { (void)entry; }
void ArmHourlyChime(int announce) { (void)announce; }
void ClearAlarmQueue() {}

void CALLBACK ClockTick(HWND window, UINT message, UINT_PTR id, DWORD tick)
{
    // A calendar left running overnight would otherwise keep yesterday as
    // today and never raise the new day's reminders.
    CheckDateChange(window);
}
