// Reminders: the one-second clock, the queue of today's due memos and the
// hourly chime, the alert window and the memo editor.
#pragma once
#include <windows.h>
#include "../store/records.h"

// The TIMER_CLOCK callback: the midnight check, then at most one due reminder.
void CALLBACK ClockTick(HWND window, UINT message, UINT_PTR id, DWORD tick);
// The full pass at start-up and after a change of the date: queue today's
// memos and the chime, alert the memos without a time and today's holidays.
void RearmReminders();
// Queues one memo when it applies today and its time is to come; alerts a
// memo of today without a time at once.
void ScheduleReminder(ReminderEntry *entry);
void UnscheduleReminder(ReminderEntry *entry);
// Re-queues the chime for the next full hour, first announcing this one when asked.
void ArmHourlyChime(int announce);
void ClearAlarmQueue();

// Adds a line to the alert window (opening it) and sounds the alarm.
void ShowAlert(const char *text);

// The memo editor (template 108).
LRESULT OpenMemoEditor(HWND owner);
