// The month window's procedure: it only routes each message to what it does.
#include "../monthview/monthview.h"
#include "shell.h"
#include "tray.h"
#include "../records/settings.h"
#include "../calendar/today.h"
#include "../dialogs/dialogs.h"
#include "../resources/resource.h"

static void NoteActivation(WPARAM wParam) { DockWindowActive = wParam != 0 ? 1 : 0; }

// The logon ends: nobody can answer, so the open dialogs save what they
// hold; the note saves itself when destroyed, and must have done so before
// the shutdown writes the settings. A session that goes on ends nothing.
static void EndSession(HWND window, WPARAM ending)
{
    if (!ending)
        return;
    CloseDialogsForQuit(1);
    if (StickyNoteWindow)
        DestroyWindow(StickyNoteWindow);
    ShutdownApplication(window);
}

// The toolbar hides itself when the mouse leaves it, but a pass through the
// band in a single motion event never moves over it, so showing it also asks
// for that notice (posted at once when the mouse is already elsewhere).
static void ShowToolbar()
{
    ShowMonthToolbar(MonthToolbar);
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, MonthToolbar, 0};
    TrackMouseEvent(&track);
}

static void MouseOverMonth(HWND window, LPARAM lParam)
{
    if (GetDockState(window) & DOCK_HIDDEN_MASK)
        SlideWindow(window, SLIDE_SHOW);
    else if (MonthToolbar && (short)HIWORD(lParam) < HEADER_HEIGHT)
        ShowToolbar();
    else if (MonthToolbar && IsWindowVisible(MonthToolbar))
        ShowWindow(MonthToolbar, SW_HIDE);   // the mouse is in the grid: it has left the band
}

// A place the user dragged the calendar to is kept at once, like every other change.
static LRESULT EndMonthDrag(HWND window)
{
    LRESULT timer = EndDockDrag(window);
    if (DragMovedWindow(window))
        SaveConfigNow(window);
    return timer;
}

static void SelectDayAt(HWND window, LPARAM point)
{
    PackedDate day = DayAtPoint(window, point);
    if (day) {
        RECT r = DrawingRect();
        DrawMonth(window, MemoryDC, day, &r);
    }
}

static void OpenDayOrNote(HWND window, LPARAM point)
{
    PackedDate day = DayAtPoint(window, point);
    if (day) {
        RECT r = DrawingRect();
        DrawMonth(window, MemoryDC, day, &r);
        OnMonthCommand(window, IDM_DATE_INFO, 0, 0);
    } else {
        OnMonthCommand(window, IDM_STICKY_NOTE, 0, 0);
    }
}

// Custom drawing of the two controls: the day tips may span several lines,
// and the toolbar shows the calendar's own background instead of its face.
static LRESULT MonthNotify(NMHDR *header, LPARAM lParam)
{
    if (header->hwndFrom == MonthTooltip) {
        if (header->code == (UINT)NM_CUSTOMDRAW)
            ((NMTTCUSTOMDRAW *)lParam)->uDrawFlags &= ~DT_SINGLELINE;
        return CDRF_DODEFAULT;
    }
    if (header->hwndFrom == MonthToolbar) {
        if (header->code == (UINT)NM_CUSTOMDRAW)
            DrawStateA(((NMCUSTOMDRAW *)lParam)->hdc, NULL, NULL, (LPARAM)BackgroundBitmap, 0, 0, 0, 0, 0,
                       DST_BITMAP);
        return CDRF_DODEFAULT;
    }
    if (header->code == (UINT)TTN_NEEDTEXTW)
        return ToolbarTipText((NMTTDISPINFOW *)lParam);
    return 0;
}

// The day tools do not subclass the month window (see AddDayTool), so the
// mouse messages a subclassing tooltip would watch are handed over here.
static void RelayToDayTips(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: break;
    default: return;
    }
    if (!MonthTooltip)
        return;
    DWORD pos = GetMessagePos();
    MSG msg = {
        window, message, wParam, lParam, (DWORD)GetMessageTime(), {(short)LOWORD(pos), (short)HIWORD(pos)}};
    SendMessageA(MonthTooltip, TTM_RELAYEVENT, 0, (LPARAM)&msg);
}

// Moved to a monitor of another scale: Windows suggests the place and size
// there; the surfaces, the toolbar's buttons and the month follow.
static void OnMonthDpiChanged(HWND window, WPARAM wParam, const RECT *suggested)
{
    MonthDpi = LOWORD(wParam);
    SetWindowPos(window, 0, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    FreeMonthSurfaces();
    CreateMonthSurfaces(window);
    if (MonthToolbar) {
        SetToolbarPictures(MonthToolbar);
        SendMessageA(MonthToolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(MonthDrawingRect.right / 7, HEADER_HEIGHT));
    }
    RECT rect = DrawingRect();
    RenderBackground(MemoryDC, &rect, Settings.colorBackground);
    DrawMonth(window, MemoryDC, ShownDate, &rect);
}

void OnCalendarChanged(HWND window, UINT what)
{
    if (!MemoryDC)
        return;
    RECT rect = DrawingRect();
    if (what & CHANGED_LOOKS)
        RenderBackground(MemoryDC, &rect, Settings.colorBackground);
    DrawMonth(window, MemoryDC, (what & CHANGED_SHOW_TODAY) ? TodayDate.date : ShownDate, &rect);
    UpdateTrayIcon(window, TodayDate.date);
}

void PostCalendarChanged(UINT what)
{
    if (MonthWindow)
        PostMessageA(MonthWindow, WM_CALENDAR_CHANGED, what, 0);
}

LRESULT CALLBACK MonthWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RelayToDayTips(window, message, wParam, lParam);
    // a registered message has no fixed number to be a case label
    if (message == TaskbarCreatedMessage && message != 0)
        return OnTaskbarCreated(window);
    if (message == BringOutMessage && message != 0) {
        BringOutMonth(window);
        return 0;
    }
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY: ShutdownApplication(window); return 0;
    case WM_SIZE: return SendDlgItemMessageA(window, IDC_TOOLBAR, WM_SIZE, wParam, lParam);
    case WM_ACTIVATE: NoteActivation(wParam); return 0;
    case WM_PAINT:
    case WM_ERASEBKGND: PresentMonth(window); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession(window);
    case WM_ENDSESSION: EndSession(window, wParam); return 0;
    case WM_CLOSE: QuitProgram(window); return 0;
    case WM_TIMECHANGE: OnTimeChange(window); return 0;
    case WM_DISPLAYCHANGE: ReseatOnMonitors(window); return 0;
    case WM_DPICHANGED: OnMonthDpiChanged(window, wParam, (const RECT *)lParam); return 0;
    case WM_NOTIFY: return MonthNotify((NMHDR *)lParam, lParam);
    case WM_COMMAND: return OnMonthCommand(window, LOWORD(wParam), HIWORD(wParam), lParam);
    case WM_TIMER: AutoHideCheck(window); return 0;
    case WM_MOUSEMOVE: MouseOverMonth(window, lParam); return 0;
    case WM_LBUTTONDOWN: return PostMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
    case WM_LBUTTONDBLCLK: OpenDayOrNote(window, lParam); return 0;
    case WM_RBUTTONDOWN: SelectDayAt(window, lParam); return 0;
    case WM_RBUTTONUP: ShowPopupMenu(window); return 0;
    case WM_MOVING: SnapWhileMoving(window, (RECT *)lParam); return 0;
    case WM_ENTERSIZEMOVE: return BeginDockDrag(window);
    case WM_EXITSIZEMOVE: return EndMonthDrag(window);
    case WM_TRAYICON: OnTrayIcon(window, lParam); return 0;
    case WM_CALENDAR_CHANGED: OnCalendarChanged(window, (UINT)wParam); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
