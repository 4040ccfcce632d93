// The holiday editor (template 106): every holiday rule, built-in or the user's own.
#include "dialogs.h"

// Not built yet: the command changes nothing until the editor exists.
LRESULT OpenHolidayEditor(HWND owner)
{
    (void)owner;
    return 0;
}
