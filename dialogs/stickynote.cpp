// The sticky note (template 107): a small topmost note that docks and slides
// like the calendar and keeps its text in "便签.txt". The text is written when
// the note is destroyed, when it stops being the active window, and at most
// two seconds after a change, so a crash or a kill loses no more than that.
#include "dialogs.h"
#include "stickynote.h"
#include <stdlib.h>
#include "../app/shell.h"
#include "../monthview/monthview.h"
#include "../resources/resource.h"
#include "../store/notefile.h"
#include "../records/settings.h"

HWND StickyNoteWindow;
UINT NoteSaveDelay = NOTE_SAVE_DELAY;
// Changes since the last save that reached the file.
static int NoteUnsaved;

static void LoadNoteText(HWND note)
{
    HWND edit = GetDlgItem(note, IDC_NOTE_TEXT);
    // The control's own first limit (32K characters) would cut a longer note
    // at load, and the next save would keep only that part.
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    char *text;
    if (ReadNoteFile(NOTE_FILE_NAME, &text) != 0)
        return;   // no file: the note starts empty
    char *shown = NoteTextForEdit(text);
    AppendEditText(edit, shown);
    free(shown);
    free(text);
}

// 1 when the edit control's text is in the file.
static int SaveNoteText(HWND note)
{
    char *text = GetTextGbk(GetDlgItem(note, IDC_NOTE_TEXT));
    if (!text)
        return 0;
    int saved = WriteNoteFile(NOTE_FILE_NAME, text) == 0;
    free(text);
    if (saved)
        NoteUnsaved = 0;
    return saved;
}

static INT_PTR InitStickyNote(HWND note)
{
    Settings.flags |= CTRL_NOTE_OPEN;
    StickyNoteWindow = note;
    WindowPos pos = Settings.NotePos;
    if (pos.right == 0 || pos.bottom == 0)
        pos =
            WindowPos{NOTE_DEFAULT_LEFT, NOTE_DEFAULT_TOP, NOTE_DEFAULT_RIGHT, NOTE_DEFAULT_BOTTOM, DOCK_TOP};
    // a place on a monitor that is gone comes back on the nearest one
    pos = PlaceOnMonitors(pos);
    SetWindowPos(note, HWND_TOPMOST, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                 SWP_NOACTIVATE);
    SetWindowLongA(note, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    SetDockState(note, pos.dockState);
    SlideWindow(note, SLIDE_SHOW);
    LoadNoteText(note);
    // what the load put in is what the file holds
    KillTimer(note, TIMER_NOTE_SAVE);
    NoteUnsaved = 0;
    // The dialog manager would select the whole text, and the first key would
    // replace the note: the caret stays at the end, where the load left it.
    SetFocus(GetDlgItem(note, IDC_NOTE_TEXT));
    return FALSE;
}

static void FitEdit(HWND note, LPARAM size)
{
    MoveWindow(GetDlgItem(note, IDC_NOTE_TEXT), 0, 0, LOWORD(size), HIWORD(size), TRUE);
}

// The deadline runs from the first unsaved change and later typing does not
// push it back: continuous typing is saved every two seconds as well.
static void NoteChanged(HWND note)
{
    if (!NoteUnsaved)
        SetTimer(note, TIMER_NOTE_SAVE, NoteSaveDelay, NULL);
    NoteUnsaved = 1;
}

// TRUE when the note took the focus itself: the dialog manager's own restore
// would select the whole text again.
static INT_PTR NoteActivation(HWND note, WPARAM wParam)
{
    DockWindowActive = LOWORD(wParam) != WA_INACTIVE ? 1 : 0;
    if (LOWORD(wParam) == WA_INACTIVE) {
        if (NoteUnsaved && SaveNoteText(note))
            KillTimer(note, TIMER_NOTE_SAVE);
        return FALSE;
    }
    SetFocus(GetDlgItem(note, IDC_NOTE_TEXT));   // the edit keeps its caret and selection
    return TRUE;
}

static void NoteTimer(HWND note, WPARAM id)
{
    if (id == TIMER_AUTOHIDE)
        AutoHideCheck(note);
    else if (id == TIMER_NOTE_SAVE && SaveNoteText(note))
        KillTimer(note, TIMER_NOTE_SAVE);   // a failed save is tried again at the next tick
}

// A place the user dragged the note to is kept at once, like every other change.
static void EndNoteDrag(HWND note)
{
    EndDockDrag(note);
    if (!DragMovedWindow(note))
        return;
    Settings.NotePos = StoredPlacement(note);
    SaveConfigNow(note);
}

static void MouseOverNoteFrame(HWND note)
{
    if (GetDockState(note) & DOCK_HIDDEN_MASK)
        SlideWindow(note, SLIDE_SHOW);
}

static void CloseStickyNote(HWND note)
{
    Settings.flags &= ~CTRL_NOTE_OPEN;
    DestroyWindow(note);
}

// Close, exit and the end of the logon all come here. A slid-away note keeps
// its slid-away place and hidden bit; the next start slides it in.
static void StickyNoteDestroyed(HWND note)
{
    Settings.NotePos = StoredPlacement(note);
    SaveNoteText(note);
    KillTimer(note, TIMER_NOTE_SAVE);
    NoteUnsaved = 0;
    StickyNoteWindow = 0;
}

static INT_PTR StickyNoteCommand(HWND note, int id, int code)
{
    switch (id) {
    case IDCANCEL: CloseStickyNote(note); return TRUE;
    case IDC_NOTE_TEXT:
        if (code == EN_CHANGE)
            NoteChanged(note);
        return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK StickyNoteProc(HWND note, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitStickyNote(note);
    case WM_SIZE: FitEdit(note, lParam); return TRUE;
    case WM_ACTIVATE: return NoteActivation(note, wParam);
    case WM_NCMOUSEMOVE: MouseOverNoteFrame(note); return FALSE;
    case WM_TIMER: NoteTimer(note, wParam); return TRUE;
    case WM_DISPLAYCHANGE: ReseatOnMonitors(note); return TRUE;
    case WM_MOVING: SnapWhileMoving(note, (RECT *)lParam); return TRUE;
    case WM_ENTERSIZEMOVE: BeginDockDrag(note); return TRUE;
    case WM_EXITSIZEMOVE: EndNoteDrag(note); return TRUE;
    case WM_COMMAND: return StickyNoteCommand(note, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY: StickyNoteDestroyed(note); return FALSE;
    default: return FALSE;
    }
}

LRESULT OpenStickyNote(HWND owner)
{
    if (StickyNoteWindow)
        SlideWindow(StickyNoteWindow, SLIDE_SHOW);
    else
        CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(IDD_STICKY_NOTE), owner, StickyNoteProc, 0);
    return 0;
}
