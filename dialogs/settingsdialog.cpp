// The settings dialog (template 104): six options and five colours.
#include "dialogs.h"

// Not built yet: the command changes nothing until the dialog exists.
LRESULT OpenSettingsDialog(HWND owner)
{
    (void)owner;
    return 0;
}
