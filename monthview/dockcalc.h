// The arithmetic of edge docking, on plain numbers: where a dragged window
// snaps to or is released from an edge, how a docked window slides, and when
// it slides away. dock.cpp reads the cursor and the window rectangle, asks
// these functions and moves the window.
#pragma once
#include <stdint.h>
#include "../records/settings.h"

#define SNAP_DISTANCE   50   // an edge catches a window closer than this
#define UNSNAP_SLACK    5    // cursor travel that tears a window off its edge
#define SLIDE_STEPS     20
#define SLIDE_PAUSE_MS  5
#define AUTOHIDE_PERIOD 500   // ms, TIMER_AUTOHIDE
#define SHOW_HOLD_MS    4000  // a start shows the calendar at least this long

struct DockRect {
    int32_t left, top, right, bottom;
};
struct DockPoint {
    int32_t x, y;
};
// What a window docks to: the work area of its monitor, and which of the
// DOCK_TOP, DOCK_LEFT and DOCK_RIGHT edges of it catch a window (an edge
// another monitor continues does not).
struct DockArea {
    DockRect work;
    int32_t edges;
};
#define DOCK_ALL_EDGES (DOCK_TOP | DOCK_LEFT | DOCK_RIGHT)

// One WM_MOVING: adjusts the proposed rectangle r in place and returns the
// new dock state. cursor is where the mouse is now; anchor is the shared drag
// anchor, moved when the window snaps or is released.
int32_t SnapRectangle(DockRect *r, int32_t state, DockPoint cursor, DockPoint *anchor, DockArea area);

// The 20 equal steps of a slide and where it lands.
struct SlidePlan {
    int32_t dx, dy;           // added to the position at each step
    int32_t finalX, finalY;   // set after the last step
    int32_t newState;         // the dock state once the slide is done
};
// 1 and the plan for a docked window, 0 (nothing to do) for any other state.
// direction: 0 hide, 1 show (SLIDE_HIDE, SLIDE_SHOW).
int PlanSlide(int32_t state, DockRect window, int direction, DockArea area, SlidePlan *plan);

// The auto-hide check: 1 when the window should slide away now (cursor
// outside its rectangle, right and bottom exclusive, and neither docking
// window active).
int ShouldAutoHide(DockRect window, DockPoint cursor, int windowActive);

// A start (and a second start's call) shows the calendar and holds it out
// until the mouse has been over it (from then on the auto-hide check alone
// decides) or SHOW_HOLD_MS have passed; without it a docked calendar was gone
// half a second after the start, before anyone saw it.
struct ShowHold {
    uint32_t since;   // tick of the start
    int32_t active;
};
// 1 while the hold keeps the window out; ends the hold once the cursor is
// inside the window or the time is up (tick counts wrap).
int HoldKeepsShown(ShowHold *hold, DockRect window, DockPoint cursor, uint32_t now);
