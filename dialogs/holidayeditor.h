// The holiday editor (template 106) from the inside: its procedure and the
// steps the tests drive it by.
#pragma once
#include <windows.h>
#include "../calendar/holiday.h"

INT_PTR CALLBACK HolidayEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The rule the editor's radio buttons and drop-down lists describe.
HolidayCode ReadHolidayCodeFromEditor(HWND dialog);
// Cuts or grows the day list to the month selected (30 days when lunar).
void FillHolidayDayList(HWND dialog, int lunar);
