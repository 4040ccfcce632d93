// Edge docking and sliding of the month window and the sticky note. The
// decisions are in dockcalc.cpp; here the cursor and the window are read and
// the window is moved.
#include "monthview.h"
#include <string.h>
#include "dockcalc.h"
#include "../app/shell.h"
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

int SnapWhileMoving(HWND window, RECT *rect)
{
    POINT cursor;
    GetCursorPos(&cursor);
    DockRect r = ToDockRect(*rect);
    DockPoint anchor = {(int32_t)DragAnchor.x, (int32_t)DragAnchor.y};
    DockPoint p = {(int32_t)cursor.x, (int32_t)cursor.y};
    int32_t state = SnapRectangle(&r, GetDockState(window), p, &anchor, ScreenWidth);
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
    if (!PlanSlide(GetDockState(window), ToDockRect(r), direction, ScreenWidth, &plan))
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
