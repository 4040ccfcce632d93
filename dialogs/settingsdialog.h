// The settings dialog (template 104): what the tests reach besides OpenSettingsDialog.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include "../records/records.h"

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// After OK, with the new settings in place: the tray icon, the month's
// background and today's month, then the hourly chime armed or disarmed.
void ApplySettings();

// ChooseColorA, ArmHourlyChime and UnscheduleReminder; the tests put
// recorders here to see the calls without a chooser on the screen.
extern BOOL(WINAPI *PickColour)(LPCHOOSECOLORA choice);
extern void (*ArmChime)(int announce);
extern void (*DisarmChime)(ReminderEntry *entry);
