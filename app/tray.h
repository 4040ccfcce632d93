// The notification-area icon: today's day number in today's colour, a date
// tip, and the mouse actions that reach the calendar when it has slid away.
#pragma once
#include <windows.h>
#include "../calendar/calendar.h"

void AddTrayIcon(HWND window);
// Today's picture and tip; every caller passes today's date.
void UpdateTrayIcon(HWND window, PackedDate today);
void RemoveTrayIcon(HWND window);
// WM_TRAYICON: the mouse message in lParam.
void OnTrayIcon(HWND window, LPARAM mouseMessage);
