// Helpers of the dialog tests: modal dialogs that a test opens are closed
// from a thread timer, which runs inside their modal loops.
#pragma once
#include <windows.h>
#include <string.h>

namespace dialogtest {

inline int IsDialogWindow(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, "#32770") == 0;
}

inline BOOL CALLBACK CancelOne(HWND window, LPARAM)
{
    if (IsDialogWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window))
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

inline void CALLBACK CancelTick(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), CancelOne, 0);
}

}   // namespace dialogtest

// While it lives, every enabled dialog of this thread gets the cancel
// command every 10 ms (the shortest timer): a command that opens a modal dialog returns.
struct DialogCanceller {
    UINT_PTR timer;
    DialogCanceller() { timer = SetTimer(0, 0, 10, dialogtest::CancelTick); }
    ~DialogCanceller() { KillTimer(0, timer); }
};

// While it lives, a timer looks every 30 ms for the popup menu (the system's
// class "#32768") and ends it once it shows, or after 3 s: a call that tracks
// the menu returns. It notes whether the menu showed and which window was in
// the foreground while it did.
struct MenuCloser {
    int wasOpen = 0;
    HWND foreground = 0;
    int tries = 0;
    UINT_PTR timer;
    static MenuCloser *&Current()
    {
        static MenuCloser *current;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuCloser *closer = Current();
        if (!closer)
            return;
        HWND popup = FindWindowA("#32768", nullptr);
        int open = popup && IsWindowVisible(popup);
        if (!open && ++closer->tries < 100)
            return;
        closer->wasOpen = open;
        closer->foreground = GetForegroundWindow();
        KillTimer(0, closer->timer);
        closer->timer = 0;
        EndMenu();
    }
    MenuCloser()
    {
        Current() = this;
        timer = SetTimer(0, 0, 30, Tick);
    }
    ~MenuCloser()
    {
        if (timer)
            KillTimer(0, timer);
        Current() = nullptr;
    }
};

namespace dialogtest {

struct FoundDialog {
    const char *title;
    HWND window;
};

inline BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam)
{
    FoundDialog *found = (FoundDialog *)lParam;
    char title[128] = "";
    GetWindowTextA(window, title, sizeof title);
    if (IsDialogWindow(window) && IsWindowVisible(window) && strcmp(title, found->title) == 0) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

inline BOOL CALLBACK EndOne(HWND window, LPARAM)
{
    if (IsDialogWindow(window))
        EndDialog(window, IDCANCEL);
    return TRUE;
}

// The script of a modal run: called on every tick until it returns 0.
typedef int (*ScriptTick)();
inline ScriptTick &CurrentScript()
{
    static ScriptTick tick;
    return tick;
}
inline DWORD &ScriptDeadline()
{
    static DWORD deadline;
    return deadline;
}
inline int &ScriptTimedOut()
{
    static int timedOut;
    return timedOut;
}

inline void CALLBACK ScriptTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if ((int)(GetTickCount() - ScriptDeadline()) > 0) {
        // The script is stuck: end every dialog so that the test goes on and fails.
        ScriptTimedOut() = 1;
        EnumThreadWindows(GetCurrentThreadId(), EndOne, 0);
        return;
    }
    if (CurrentScript() && !CurrentScript()())
        CurrentScript() = 0;
}

}   // namespace dialogtest

// The visible dialog or message box of this thread with that caption, or null.
inline HWND FindDialogTitled(const char *title)
{
    dialogtest::FoundDialog found = {title, 0};
    EnumThreadWindows(GetCurrentThreadId(), dialogtest::MatchTitle, (LPARAM)&found);
    return found.window;
}

// The text of a message box (its static control 0xFFFF).
inline void MessageBoxText(HWND box, char *text, int size)
{
    text[0] = 0;
    GetDlgItemTextA(box, 0xFFFF, text, size);
}

// Calls open(), which runs a modal loop, while tick() is called every 10 ms
// inside that loop until it returns 0. After 10 s every dialog is ended and
// the run counts as timed out. 1 when the run ended in time.
inline int RunModalScript(void (*open)(), dialogtest::ScriptTick tick)
{
    dialogtest::CurrentScript() = tick;
    dialogtest::ScriptDeadline() = GetTickCount() + 10000;
    dialogtest::ScriptTimedOut() = 0;
    UINT_PTR timer = SetTimer(0, 0, 10, dialogtest::ScriptTimer);
    open();
    KillTimer(0, timer);
    dialogtest::CurrentScript() = 0;
    return !dialogtest::ScriptTimedOut();
}
