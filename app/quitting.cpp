// Quitting and the end of the Windows session while dialogs are open, and the
// one modal dialog at a time: the month window's commands ask the open
// dialogs before anything ends, and a command that would stack a second
// modal dialog brings the open one forward instead.
#include "shell.h"
#include <string.h>
#include "../dialogs/dialogs.h"
#include "../remind/remind.h"
#include "../resources/resource.h"

namespace {

struct OpenDialogs {
    HWND list[16];
    int count;
    HWND enabled;   // the one that takes input: a dialog, or a message box over it
};

int IsDialogClass(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, "#32770") == 0;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam)
{
    OpenDialogs *open = (OpenDialogs *)lParam;
    // The sticky note and the alert window are modeless, keep nothing
    // unsaved and ask nothing.
    if (window == StickyNoteWindow || window == AlertWindow || !IsDialogClass(window) ||
        !IsWindowVisible(window))
        return TRUE;
    if (open->count < (int)(sizeof open->list / sizeof open->list[0]))
        open->list[open->count++] = window;
    if (IsWindowEnabled(window))
        open->enabled = window;
    return TRUE;
}

OpenDialogs FindOpenDialogs()
{
    OpenDialogs open;
    memset(&open, 0, sizeof open);
    // A modal dialog disables the calendar, its owner, while it runs.
    if (MonthWindow && IsWindowEnabled(MonthWindow))
        return open;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, (LPARAM)&open);
    return open;
}

}   // namespace

HWND OpenModalDialog() { return FindOpenDialogs().enabled; }

int BringModalDialogForward()
{
    HWND dialog = OpenModalDialog();
    if (!dialog)
        return 0;
    // The calendar is a tool window shown without activation: the popup menu
    // made it the foreground window, and the dialog takes that over.
    SetForegroundWindow(dialog);
    SetActiveWindow(dialog);
    FlashWindow(dialog, TRUE);
    return 1;
}

int CloseDialogsForQuit(int nobodyCanAnswer)
{
    OpenDialogs open = FindOpenDialogs();
    // A dialog that is itself waiting for an answer (its own message box, a
    // colour chooser) is not asked a second question: the user answers that
    // one first.
    if (!nobodyCanAnswer && open.count > 0 && open.enabled && open.count > 1) {
        BringModalDialogForward();
        return 0;
    }
    for (int i = 0; i < open.count; i++)
        if (SendMessageA(open.list[i], WM_QUERY_QUIT, (WPARAM)nobodyCanAnswer, 0) == QUIT_KEEP_OPEN)
            return 0;
    if (!nobodyCanAnswer)
        for (int i = 0; i < open.count; i++)
            EndDialog(open.list[i], IDCANCEL);
    return 1;
}

LRESULT QuitProgram(HWND window)
{
    if (!CloseDialogsForQuit(0))
        return 0;
    return DestroyWindow(window);
}

LRESULT OnQueryEndSession(HWND window)
{
    // Nobody may be there to answer: whatever an open dialog holds is saved
    // now, and the session is never held up.
    CloseDialogsForQuit(1);
    return TRUE;
}
