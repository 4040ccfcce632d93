// List view rows that hold a record and ask for their texts when drawn.
#pragma once
#include <windows.h>

// Inserts a row at the top of the list view for the record (the holiday or
// memo editors pass the record's list node): its texts come through
// LVN_GETDISPINFO, its lParam is the record. The row's index, or -1.
int InsertCallbackRow(const void *record, HWND listView);
