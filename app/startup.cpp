// Start-up, shutdown and the one-second clock of the Windows program.
#include "shell.h"
#include "../winbase/latebind.h"
#include "tray.h"
#include <commctrl.h>
#include <string.h>
#include "../calendar/calendar.h"
#include "../calendar/today.h"
#include "../calendar/strings.h"
#include "../dialogs/dialogkit.h"
#include "../dialogs/dialogs.h"
#include "../monthview/monthview.h"
#include "../remind/remind.h"
#include "../calendar/offdays.h"
#include "../features/offdaysfile.h"
#include "../store/fileio.h"
#include "../store/config.h"
#include "programfiles.h"
#include "../records/records.h"
#include "../records/settings.h"

UINT BringOutMessage;
UINT ClockPeriod = CLOCK_PERIOD;

static HANDLE InstanceGuard;
// WM_ENDSESSION runs the shutdown and a later WM_DESTROY may run it again.
static int ShutdownDone;

// ---- strings from the resources ----

// LoadStringGbk writes into a caller's buffer while LoadProgramString hands out
// a pointer that callers keep, so each id gets a buffer of its own, filled once.
#define STRING_CACHE_FIRST 100
#define STRING_CACHE_COUNT 32
static char StringCache[STRING_CACHE_COUNT][256];
static char StringCacheLoaded[STRING_CACHE_COUNT];

static const char *LoadResourceString(int id)
{
    int slot = id - STRING_CACHE_FIRST;
    if (slot < 0 || slot >= STRING_CACHE_COUNT)
        return BuiltInString(id);
    if (!StringCacheLoaded[slot]) {
        if (LoadStringGbk(AppInstance, id, StringCache[slot], sizeof StringCache[slot]) <= 0)
            return BuiltInString(id);   // not in this module's table: keep trying next time
        StringCacheLoaded[slot] = 1;
    }
    return StringCache[slot];
}

// ---- start-up ----

static void ClearStringCache() { memset(StringCacheLoaded, 0, sizeof StringCacheLoaded); }

static int RegisterMonthClass(HINSTANCE instance)
{
    WNDCLASSEXW wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MonthWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(0, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = L"" MONTH_CLASS;
    return RegisterClassExW(&wc) != 0;
}

int InitApplication(HINSTANCE instance)
{
    BringOutMessage = RegisterWindowMessageA(BRING_OUT_MESSAGE_NAME);
    HANDLE guard = CreateMutexA(0, FALSE, INSTANCE_MUTEX_NAME);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // A user who starts the program again is looking for the calendar:
        // the running one comes out. Posted, so a busy first instance cannot
        // hold this one up.
        HWND running = FindWindowW(L"" MONTH_CLASS, L"" MONTH_TITLE);
        if (running && BringOutMessage)
            PostMessageA(running, BringOutMessage, 0, 0);
        // Only a test process ever gets here with the first instance alive in
        // it; closing this second handle keeps the first one the only owner.
        if (guard)
            CloseHandle(guard);
        return 0;
    }
    InstanceGuard = guard;
    ShutdownDone = 0;

    if (!RegisterMonthClass(instance))
        return 0;
    HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"" MONTH_CLASS, L"" MONTH_TITLE,
                        WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, 0, 0, instance, 0);
    if (!window)
        return 0;

    MonthWindow = window;
    AppInstance = instance;
    ClearStringCache();
    LoadProgramString = LoadResourceString;
    // Early on purpose: the configuration loader drops expired memos by it.
    SetTodayFromClock();
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);

    AddChimeEntry();   // must head ReminderList before any memo is loaded
    LoadConfig();
    LoadOffDaysFile(OFFDAYS_FILE);   // beside dlm.ini: LoadConfig made the program's folder current
    NoteOffDaysFileSeen();
    SetTimer(window, TIMER_CLOCK, ClockPeriod, ClockTick);
    if (Settings.MonthPos.right == 0 || Settings.MonthPos.bottom == 0)
        LoadDefaults();

    // A place saved on a monitor that is gone comes back on the nearest one.
    WindowPos pos = PlaceOnMonitors(Settings.MonthPos);
    SetWindowPos(window, HWND_TOPMOST, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                 SWP_NOACTIVATE | SWP_NOSENDCHANGING);
    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    SetDockState(window, pos.dockState);
    MonthDpi = WindowDpi(window);

    CreateMonthSurfaces(window);
    RECT rect = DrawingRect();
    RenderBackground(MemoryDC, &rect, Settings.colorBackground);
    SetTodayFromClock();
    DrawMonth(window, MemoryDC, TodayDate.date, &rect);
    // Still hidden, so nothing moves visibly: a docked window is seated at its
    // edge, and stays out for a while even if the mouse is elsewhere.
    BringOutMonth(window);
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);

    // The calendar is on the screen; now the common controls load (see
    // winbase/latebind.h) for its tooltip and toolbar.
    INITCOMMONCONTROLSEX icc;
    icc.dwSize = sizeof icc;
    icc.dwICC =
        ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_PAGESCROLLER_CLASS;
    LateInitCommonControlsEx(&icc);
    MonthTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", TTS_ALWAYSTIP, 0, 0, 0, 0, window, 0, instance, 0);
    MonthToolbar = CreateMonthToolbar(window);   // none: the program runs without it
    // Made after the calendar was shown, the controls leave it out of its
    // place among the topmost windows, and Wine then ends its first drag after
    // the first step: it is raised again.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // the same month again, now with its day tips, and on the screen before
    // the tray icon's library loads
    DrawMonth(window, MemoryDC, TodayDate.date, &rect);
    UpdateWindow(window);

    // the shell's library comes with the tray icon
    AddTrayIcon(window);
    UpdateTrayIcon(window, TodayDate.date);
    if (Settings.flags & CTRL_NOTE_OPEN)
        OpenStickyNote(window);
    // Last: the alert of today's holidays and memos slides down for a sixth
    // of a second, and the calendar is on the screen before it.
    RearmReminders();
    return 1;
}

// ---- shutdown ----

// A save that failed must not pass for one. The data is still in memory, so
// the user may make room or free the file and try again.
static int AskToRetrySave() { return SaveErrorBox(0, MB_RETRYCANCEL | MB_TOPMOST); }

int ShutdownApplication(HWND window)
{
    if (ShutdownDone)
        return 0;
    ShutdownDone = 1;
    Settings.MonthPos = StoredPlacement(window);
    FileKeptCopyName[0] = 0;
    while (SaveConfig() != 0 && AskToRetrySave() == IDRETRY) {
    }
    TellKeptCopy(0);

    FreeMonthSurfaces();
    RemoveTrayIcon(window);
    PostQuitMessage(0);
    return 0;
}

void ReleaseInstanceGuard()
{
    if (InstanceGuard)
        CloseHandle(InstanceGuard);
    InstanceGuard = 0;
}

// ---- the clock ----

void CALLBACK ClockTick(HWND window, UINT message, UINT_PTR id, DWORD tick)
{
    FireDueReminder();
    // After the queue: the midnight chime fires before the new day's re-arm
    // replaces it. A calendar left running overnight would otherwise keep
    // yesterday as today and never raise the new day's reminders.
    CheckDateChange(window);
    TakeInOtherWriters();
}

int CheckDateChange(HWND window)
{
    SYSTEMTIME now;
    ReadLocalClock(&now);
    if (PackedDateFromSystemTime(&now) == TodayDate.date)
        return 0;
    OnTimeChange(window);
    return 1;
}

void OnTimeChange(HWND window)
{
    SetTodayFromClock();
    RearmReminders();
    OnCalendarChanged(window, CHANGED_DATE | CHANGED_SHOW_TODAY);
}
