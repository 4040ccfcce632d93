// Reminders: the one-second clock, the queue of today's due memos and the
// hourly chime, the alert window and the memo editor.
#pragma once
#include <windows.h>
#include "alarmcalc.h"
#include "../records/records.h"

// The TIMER_CLOCK callback: at most one due reminder, then the midnight check.
void CALLBACK ClockTick(HWND window, UINT message, UINT_PTR id, DWORD tick);
// The full pass at start-up and after a change of the date: queue today's
// memos and the chime, alert the memos without a time and today's holidays.
void RearmReminders();
// The same queue without any alert: after a change of what applies today
// (the days off, which the workday memos follow).
void RequeueReminders();
// Queues one memo when it applies today and its time is to come; alerts a
// memo of today without a time at once.
void ScheduleReminder(ReminderEntry *entry);
// Re-queues the chime for the next full hour, first announcing this one when asked.
// Disarming it is UnscheduleReminder(ChimeEntry()). UnscheduleReminder,
// ClearAlarmQueue and ChimeEntry are in alarmcalc.h.
void ArmHourlyChime(int announce);
// The memo editor's clear-all: every memo goes, the chime stays armed when it is on.
void ClearAllMemos();

// The alert window (template 118) while it exists, else null.
extern HWND AlertWindow;
// Adds a line to the alert window (opening it) and sounds the alarm.
void ShowAlert(const char *text);
void SlideAlertWindow(HWND window, int direction);   // ALERT_SLIDE_IN or ALERT_SLIDE_OUT
INT_PTR CALLBACK AlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
