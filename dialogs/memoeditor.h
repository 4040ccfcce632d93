// The memo editor: adds, deletes, clears and sorts the memos and exports the
// calendar as an iCalendar file.
#pragma once
#include <windows.h>

// The memo editor (template 108).
LRESULT OpenMemoEditor(HWND owner);
INT_PTR CALLBACK MemoEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// What the editor's export button does once the user named the file: the
// holidays, solar terms and memos of this year and the next two written as an
// iCalendar file. 1 when written; 0 after the error message box.
int ExportCalendarTo(HWND owner, const char *path);
