// The notification-area icon: today's day number in today's colour, a date
// tip, and the mouse actions that reach the calendar when it has slid away.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include "../calendar/calendar.h"

void AddTrayIcon(HWND window);
// Today's picture and tip; every caller passes today's date.
void UpdateTrayIcon(HWND window, PackedDate today);
void RemoveTrayIcon(HWND window);
// WM_TRAYICON: the mouse message in lParam.
void OnTrayIcon(HWND window, LPARAM mouseMessage);

// One call of the shell for the icon (id 0 of the window): NIM_ADD,
// NIM_MODIFY or NIM_DELETE with an icon and a tip, either of them null.
void TrayNotify(HWND window, DWORD message, HICON icon, const char *tip);
// The day icon with its tip in place of the current icon.
void SetTrayDayIcon(HWND window, int day, COLORREF colour, const char *tip);
// An icon of the system's small-icon size (16 x 16 at 100 %): the day in
// colour on a field of the inverse colour, all opaque; null when no drawing
// surface could be had. The caller destroys it.
HICON MakeDayIcon(HWND window, int day, COLORREF colour);
// The same at `size` x `size` pixels.
HICON MakeDayIconSized(HWND window, int day, COLORREF colour, int size);

// The shell's "TaskbarCreated" message, registered by AddTrayIcon: the
// taskbar was made anew (Explorer restarted) and has forgotten every icon.
extern UINT TaskbarCreatedMessage;
// Adds the icon again with today's picture and tip. 0.
LRESULT OnTaskbarCreated(HWND window);

// Null for the shell's own Shell_NotifyIconA; the tests put a recorder here.
extern BOOL(WINAPI *ShellNotifyIcon)(DWORD message, PNOTIFYICONDATAW data);
