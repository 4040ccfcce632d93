// Edge docking and sliding of the month window and the sticky note. The
// decisions are in dockcalc.cpp; here the cursor and the window are read and
// the window is moved, on the monitor the window is on.
#include "monthview.h"
#include <string.h>
#include "dockcalc.h"
#include "dpicalc.h"
#include "../winbase/latebind.h"
#include "../winbase/program.h"
#include "../resources/resource.h"

POINT DragAnchor;
int DockWindowActive;
// Where the dragged window was when the drag began.
static WindowPos DragStart;
ShowHold MonthHold;

int32_t GetDockState(HWND window) { return (int32_t)GetWindowLongPtrA(window, GWLP_USERDATA); }

void SetDockState(HWND window, int32_t state) { SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)state); }

WindowPos WindowPlacement(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return WindowPos{(int32_t)r.left, (int32_t)r.top, (int32_t)r.right, (int32_t)r.bottom, GetDockState(window)};
}

static DockRect ToDockRect(const RECT &r)
{
    DockRect d = {(int32_t)r.left, (int32_t)r.top, (int32_t)r.right, (int32_t)r.bottom};
    return d;
}

// ---- the monitors ----

struct MonitorList {
    ScreenMonitor *monitors;
    int count, max;
};

static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MonitorList *list = (MonitorList *)data;
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (list->count >= list->max || !GetMonitorInfoA(monitor, &info))
        return list->count < list->max;
    UINT dpiX = 96, dpiY = 96;
    if (LateGetDpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &dpiX, &dpiY) != S_OK)
        dpiX = 96;
    ScreenMonitor *m = &list->monitors[list->count++];
    m->area = ToDockRect(info.rcMonitor);
    m->work = ToDockRect(info.rcWork);
    m->dpi = (int32_t)dpiX;
    return TRUE;
}

static int ReadDesktopMonitors(ScreenMonitor *monitors, int max)
{
    MonitorList list = {monitors, 0, max};
    EnumDisplayMonitors(0, 0, AddMonitor, (LPARAM)&list);
    return list.count;
}

int (*ReadMonitors)(ScreenMonitor *monitors, int max) = ReadDesktopMonitors;

// The work area and docking edges of the monitor showing most of r. Without
// any monitor (a desktop that reports none) the primary screen is all there is.
static DockArea AreaOfRect(DockRect r)
{
    ScreenMonitor monitors[SCREEN_MONITORS_MAX];
    int count = ReadMonitors(monitors, SCREEN_MONITORS_MAX);
    if (count <= 0) {
        DockArea whole = {{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, DOCK_ALL_EDGES};
        return whole;
    }
    return DockAreaOf(monitors, count, MonitorOfRect(monitors, count, r));
}

int32_t WindowDpi(HWND window)
{
    // before Windows 10 1607 the program runs unscaled
    UINT dpi = window ? LateGetDpiForWindow(window) : 0;
    return dpi ? (int32_t)dpi : BASE_DPI;
}

WindowPos StoredPlacement(HWND window) { return ScreenToStored(WindowPlacement(window), WindowDpi(window)); }

WindowPos PlaceOnMonitors(WindowPos stored)
{
    ScreenMonitor monitors[SCREEN_MONITORS_MAX];
    int count = ReadMonitors(monitors, SCREEN_MONITORS_MAX);
    WindowPos pos = stored, out;
    if (count > 0) {
        DockRect r = {stored.left, stored.top, stored.right, stored.bottom};
        pos = StoredToScreen(stored, monitors[MonitorOfRect(monitors, count, r)].dpi);
    }
    ReseatWindow(monitors, count, pos, &out);
    return out;
}

void ReseatOnMonitors(HWND window)
{
    ScreenMonitor monitors[SCREEN_MONITORS_MAX];
    int count = ReadMonitors(monitors, SCREEN_MONITORS_MAX);
    WindowPos now = WindowPlacement(window), pos;
    ReseatWindow(monitors, count, now, &pos);
    if (memcmp(&now, &pos, sizeof now) == 0)
        return;
    SetWindowPos(window, HWND_TOPMOST, pos.left, pos.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    SetDockState(window, pos.dockState);
    // docked: the auto-hide timer slides it away once the pointer is elsewhere
    if (pos.dockState != DOCK_NONE)
        SetTimer(window, TIMER_AUTOHIDE, AUTOHIDE_PERIOD, NULL);
}

// ---- docking ----

int SnapWhileMoving(HWND window, RECT *rect)
{
    POINT cursor;
    GetCursorPos(&cursor);
    DockRect r = ToDockRect(*rect);
    DockPoint anchor = {(int32_t)DragAnchor.x, (int32_t)DragAnchor.y};
    DockPoint p = {(int32_t)cursor.x, (int32_t)cursor.y};
    int32_t state = SnapRectangle(&r, GetDockState(window), p, &anchor, AreaOfRect(r));
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
    DragAnchor.x = anchor.x;
    DragAnchor.y = anchor.y;
    SetDockState(window, state);
    return 0;
}

void SlideWindow(HWND window, int direction)
{
    RECT r;
    GetWindowRect(window, &r);
    SlidePlan plan;
    if (!PlanSlide(GetDockState(window), ToDockRect(r), direction, AreaOfRect(ToDockRect(r)), &plan))
        return;
    const UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOSENDCHANGING;
    int32_t x = r.left, y = r.top;
    // A window not yet shown (start-up seats a docked window at its edge
    // before showing it) ends in the same place without the 100 ms of steps
    // nobody could see.
    int steps = IsWindowVisible(window) ? SLIDE_STEPS : 0;
    for (int i = 0; i < steps; i++) {
        x += plan.dx;
        y += plan.dy;
        SetWindowPos(window, HWND_TOPMOST, x, y, 0, 0, flags);
        PauseSlide(SLIDE_PAUSE_MS);
    }
    // the steps fall short by the truncated remainder
    SetWindowPos(window, HWND_TOPMOST, plan.finalX, plan.finalY, 0, 0, flags);
    if (direction == SLIDE_SHOW)
        SetTimer(window, TIMER_AUTOHIDE, AUTOHIDE_PERIOD, NULL);
    SetDockState(window, plan.newState);
}

void AutoHideCheck(HWND window)
{
    POINT cursor;
    RECT r;
    GetCursorPos(&cursor);
    GetWindowRect(window, &r);
    DockPoint p = {(int32_t)cursor.x, (int32_t)cursor.y};
    if (window == MonthWindow && HoldKeepsShown(&MonthHold, ToDockRect(r), p, GetTickCount()))
        return;
    if (!ShouldAutoHide(ToDockRect(r), p, DockWindowActive))
        return;
    // an undocked window does not slide, so for it this just stops the timer
    KillTimer(window, TIMER_AUTOHIDE);
    SlideWindow(window, SLIDE_HIDE);
}

void BringOutMonth(HWND window)
{
    SlideWindow(window, SLIDE_SHOW);
    MonthHold.since = GetTickCount();
    MonthHold.active = 1;
}

LRESULT BeginDockDrag(HWND window)
{
    GetCursorPos(&DragAnchor);
    DragStart = WindowPlacement(window);
    return KillTimer(window, TIMER_AUTOHIDE);
}

LRESULT EndDockDrag(HWND window) { return SetTimer(window, TIMER_AUTOHIDE, AUTOHIDE_PERIOD, NULL); }

int DragMovedWindow(HWND window)
{
    WindowPos now = WindowPlacement(window);
    return memcmp(&now, &DragStart, sizeof now) != 0;
}
