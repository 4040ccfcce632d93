// The memo editor (template 108).
#include "remind.h"

// Not built yet: the command changes nothing until the editor exists.
LRESULT OpenMemoEditor(HWND owner)
{
    (void)owner;
    return 0;
}
