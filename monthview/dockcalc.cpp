#include "dockcalc.h"

namespace {

void MoveTopTo50(DockRect *r)
{
    r->bottom += SNAP_DISTANCE - r->top;
    r->top = SNAP_DISTANCE;
}

void MoveLeftTo50(DockRect *r)
{
    r->right += SNAP_DISTANCE - r->left;
    r->left = SNAP_DISTANCE;
}

// Releasing from an edge. Each test sees what the ones before changed, the
// anchor included, so a release along one edge can keep the window on the
// other edge of a corner.
int32_t Release(DockRect *r, int32_t u, DockPoint p, DockPoint *anchor, int32_t screenWidth, int32_t edges)
{
    if ((edges & DOCK_TOP) && (p.y - anchor->y > UNSNAP_SLACK || r->top > SNAP_DISTANCE)) {
        if (u == DOCK_TOP) {
            MoveTopTo50(r);
            u = DOCK_NONE;
            *anchor = p;
        } else if (r->top < SNAP_DISTANCE) {
            MoveTopTo50(r);
            *anchor = p;
        }
    }
    if ((edges & DOCK_LEFT) && (p.x - anchor->x > UNSNAP_SLACK || r->left > SNAP_DISTANCE)) {
        if (u == DOCK_LEFT) {
            MoveLeftTo50(r);
            u = DOCK_NONE;
            *anchor = p;
        } else if (r->left < SNAP_DISTANCE) {
            MoveLeftTo50(r);
            *anchor = p;
        }
    }
    if ((edges & DOCK_RIGHT) && (anchor->x - p.x > UNSNAP_SLACK || r->right + SNAP_DISTANCE < screenWidth)) {
        if (u == DOCK_RIGHT) {
            r->left -= SNAP_DISTANCE;
            r->right -= SNAP_DISTANCE;
            u = DOCK_NONE;
            *anchor = p;
        } else if (r->right + SNAP_DISTANCE > screenWidth) {
            r->left -= SNAP_DISTANCE;
            r->right -= SNAP_DISTANCE;
            *anchor = p;
        }
    }
    return u;
}

// The snapping on coordinates whose origin is the work area's top left.
int32_t SnapAtOrigin(DockRect *r, int32_t state, DockPoint cursor, DockPoint *anchor, int32_t screenWidth,
                     int32_t edges)
{
    int32_t u = state;
    // Docked to an edge this monitor does not offer (the window came over
    // from a neighbour): the window is free here.
    if (!(u & edges))
        u = DOCK_NONE;
    if ((edges & DOCK_TOP) && r->top < SNAP_DISTANCE) {
        r->bottom -= r->top;
        r->top = 0;
        if (u == DOCK_NONE) {
            *anchor = cursor;
            return DOCK_TOP;
        }
    }
    if ((edges & DOCK_LEFT) && r->left < SNAP_DISTANCE) {
        r->right -= r->left;
        r->left = 0;
        if (u == DOCK_NONE) {
            *anchor = cursor;
            return DOCK_LEFT;
        }
        return Release(r, u, cursor, anchor, screenWidth, edges);
    }
    // The right edge is only looked at when the left one did not catch the
    // window, so a window wider than the screen docks left.
    if ((edges & DOCK_RIGHT) && r->right + SNAP_DISTANCE > screenWidth) {
        int32_t width = r->right - r->left;
        r->right = screenWidth;
        r->left = screenWidth - width;
        if (u == DOCK_NONE) {
            *anchor = cursor;
            return DOCK_RIGHT;
        }
    }
    if (u == DOCK_NONE)
        return DOCK_NONE;
    return Release(r, u, cursor, anchor, screenWidth, edges);
}

void Shift(DockRect *r, int32_t dx, int32_t dy)
{
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
}

void Shift(DockPoint *p, int32_t dx, int32_t dy)
{
    p->x += dx;
    p->y += dy;
}

}   // namespace

int32_t SnapRectangle(DockRect *r, int32_t state, DockPoint cursor, DockPoint *anchor, DockArea area)
{
    const int32_t ox = area.work.left, oy = area.work.top;
    Shift(r, -ox, -oy);
    Shift(&cursor, -ox, -oy);
    Shift(anchor, -ox, -oy);
    int32_t u = SnapAtOrigin(r, state, cursor, anchor, area.work.right - ox, area.edges);
    Shift(r, ox, oy);
    Shift(anchor, ox, oy);
    return u;
}

int PlanSlide(int32_t state, DockRect w, int direction, DockArea area, SlidePlan *plan)
{
    // The steps are worked out from the work area's top left, so that on the
    // primary monitor without a bar they are the ones they always were.
    const int32_t ox = area.work.left, oy = area.work.top;
    const int32_t screenWidth = area.work.right - ox;
    Shift(&w, -ox, -oy);
    int32_t width = w.right - w.left;
    int32_t height = w.bottom - w.top;
    int32_t edge = state & DOCK_EDGE_MASK;
    int hide = direction == 0;
    SlidePlan p = {0, 0, w.left, w.top, 0};
    switch (edge) {
    case DOCK_TOP:
        p.dy = hide ? w.bottom / -SLIDE_STEPS : w.top / -SLIDE_STEPS;
        p.finalY = hide ? 1 - height : 0;
        break;
    case DOCK_LEFT:
        p.dx = hide ? w.right / -SLIDE_STEPS : w.left / -SLIDE_STEPS;
        p.finalX = hide ? 1 - width : 0;
        break;
    case DOCK_RIGHT:
        p.dx = hide ? (screenWidth - w.left) / SLIDE_STEPS : (screenWidth - w.right) / SLIDE_STEPS;
        p.finalX = hide ? screenWidth - 1 : screenWidth - width;
        break;
    default: return 0;
    }
    p.finalX += ox;
    p.finalY += oy;
    // the hidden bit keeps the edge, so the next show knows where to go
    p.newState = hide ? (state | DOCK_HIDDEN) : (state & DOCK_EDGE_MASK);
    *plan = p;
    return 1;
}

static int Inside(DockRect w, DockPoint p) { return p.x >= w.left && p.x < w.right && p.y >= w.top && p.y < w.bottom; }

int ShouldAutoHide(DockRect w, DockPoint cursor, int windowActive)
{
    return !Inside(w, cursor) && windowActive != 1;
}

int HoldKeepsShown(ShowHold *hold, DockRect window, DockPoint cursor, uint32_t now)
{
    if (!hold->active)
        return 0;
    if (Inside(window, cursor) || now - hold->since >= SHOW_HOLD_MS) {
        hold->active = 0;
        return 0;
    }
    return 1;
}
