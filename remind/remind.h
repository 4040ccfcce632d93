// Reminders: the queue of today's due memos and the hourly chime, and the
// alert window. The one-second clock that drives them is the application's.
#pragma once
#include <windows.h>
#include "alarmcalc.h"
#include "../records/records.h"

// The one-second clock's share of the reminders: fires the head of the
// queue when it is due, at most one reminder a tick.
void FireDueReminder();
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
