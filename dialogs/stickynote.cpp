// The sticky note (template 107): a small topmost note that docks like the calendar.
#include "dialogs.h"
#include "../monthview/monthview.h"

HWND StickyNoteWindow;

LRESULT OpenStickyNote(HWND owner)
{
    (void)owner;
    if (StickyNoteWindow)
        SlideWindow(StickyNoteWindow, SLIDE_SHOW);
    // Creating the note is not built yet.
    return 0;
}
