// The editor of the days off and make-up workdays (template 122) from the
// inside, for the tests that drive it.
#pragma once
#include <windows.h>

INT_PTR CALLBACK OffDayEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
