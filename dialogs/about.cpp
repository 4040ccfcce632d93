// The about box (template 114): the program's icon, a word of thanks and two links.
#include "dialogs.h"

// Not built yet: the command changes nothing until the box exists.
LRESULT OpenAboutBox(HWND owner)
{
    (void)owner;
    return 0;
}
