// The date information dialog (template 121) from the inside: its procedure
// and the steps the tests drive it by.
#pragma once
#include <windows.h>
#include "../calendar/calendar.h"

// The dialog procedure; the creation parameter is the PackedDate to show.
INT_PTR CALLBACK DateInfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The report of the date in the information pane, then the date's note and mark.
void ShowDateReport(HWND dialog, PackedDate date);
// Pending edit (on): the pickers and the holiday list are disabled and
// "保存信息" is shown; browsing (off): the other way round.
void SetPendingEdit(HWND dialog, int on);
