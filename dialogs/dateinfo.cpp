// The date information dialog (template 121): the report of a date, its note and its mark.
#include "dialogs.h"

// Not built yet: the command changes nothing until the dialog exists.
LRESULT OpenDateInfo(HWND owner, PackedDate date)
{
    (void)owner;
    (void)date;
    return 0;
}

void AppendEditText(HWND edit, const char *text)
{
    if (!edit || !text)
        return;
    // One past the end: the control clamps it to the end of its text.
    LRESULT end = GetWindowTextLengthA(edit) + 1;
    SendMessageA(edit, EM_SETSEL, (WPARAM)end, (LPARAM)end);
    SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM)text);
}
