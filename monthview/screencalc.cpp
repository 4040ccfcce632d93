#include "screencalc.h"

namespace {

int64_t OverlapArea(DockRect a, DockRect b)
{
    int64_t w = (int64_t)(a.right < b.right ? a.right : b.right) - (a.left > b.left ? a.left : b.left);
    int64_t h = (int64_t)(a.bottom < b.bottom ? a.bottom : b.bottom) - (a.top > b.top ? a.top : b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between the nearest points of two rectangles, 0 when they meet.
int64_t Distance2(DockRect a, DockRect b)
{
    int64_t dx = 0, dy = 0;
    if (a.right <= b.left)
        dx = (int64_t)b.left - a.right + 1;
    else if (b.right <= a.left)
        dx = (int64_t)a.left - b.right + 1;
    if (a.bottom <= b.top)
        dy = (int64_t)b.top - a.bottom + 1;
    else if (b.bottom <= a.top)
        dy = (int64_t)a.top - b.bottom + 1;
    return dx * dx + dy * dy;
}

int Nearest(const ScreenMonitor *m, int count, DockRect r)
{
    int best = -1;
    int64_t bestD = 0;
    for (int i = 0; i < count; i++) {
        int64_t d = Distance2(m[i].area, r);
        if (best < 0 || d < bestD) {
            best = i;
            bestD = d;
        }
    }
    return best;
}

int Overlaps1D(int32_t a0, int32_t a1, int32_t b0, int32_t b1) { return a0 < b1 && b0 < a1; }

// 1 when another monitor shows the pixels just beyond edge `edge` of monitor i:
// touching neighbours and overlapping heads alike.
int EdgeContinued(const ScreenMonitor *m, int count, int i, int32_t edge)
{
    DockRect a = m[i].area;
    for (int j = 0; j < count; j++) {
        if (j == i)
            continue;
        DockRect b = m[j].area;
        switch (edge) {
        case DOCK_TOP:
            if (b.top < a.top && b.bottom >= a.top && Overlaps1D(a.left, a.right, b.left, b.right))
                return 1;
            break;
        case DOCK_LEFT:
            if (b.left < a.left && b.right >= a.left && Overlaps1D(a.top, a.bottom, b.top, b.bottom))
                return 1;
            break;
        case DOCK_RIGHT:
            if (b.right > a.right && b.left <= a.right && Overlaps1D(a.top, a.bottom, b.top, b.bottom))
                return 1;
            break;
        }
    }
    return 0;
}

// low wins when the range is empty
int32_t Clamp(int32_t v, int32_t low, int32_t high)
{
    if (v > high)
        v = high;
    return v < low ? low : v;
}

}   // namespace

int MonitorOfRect(const ScreenMonitor *m, int count, DockRect r)
{
    int best = -1;
    int64_t bestArea = 0;
    for (int i = 0; i < count; i++) {
        int64_t a = OverlapArea(m[i].area, r);
        if (a > bestArea) {
            best = i;
            bestArea = a;
        }
    }
    return best >= 0 ? best : Nearest(m, count, r);
}

int MonitorOfPoint(const ScreenMonitor *m, int count, DockPoint p)
{
    return MonitorOfRect(m, count, DockRect{p.x, p.y, p.x + 1, p.y + 1});
}

DockArea DockAreaOf(const ScreenMonitor *m, int count, int index)
{
    DockArea a = {m[index].work, 0};
    const int32_t edges[] = {DOCK_TOP, DOCK_LEFT, DOCK_RIGHT};
    for (int32_t edge : edges)
        if (!EdgeContinued(m, count, index, edge))
            a.edges |= edge;
    return a;
}

int ReseatWindow(const ScreenMonitor *m, int count, WindowPos pos, WindowPos *out)
{
    *out = pos;
    if (count <= 0)
        return 0;
    DockRect r = {pos.left, pos.top, pos.right, pos.bottom};
    int shown = 0;
    for (int i = 0; i < count && !shown; i++)
        shown = OverlapArea(m[i].work, r) > 0;
    int32_t edge = pos.dockState & DOCK_EDGE_MASK;
    if (shown && edge) {
        int i = MonitorOfRect(m, count, r);
        shown = (DockAreaOf(m, count, i).edges & edge) != 0;
    }
    if (shown)
        return 0;
    int i = MonitorOfRect(m, count, r);
    DockArea area = DockAreaOf(m, count, i);
    int32_t width = pos.right - pos.left, height = pos.bottom - pos.top;
    // a window wider than the work area keeps its left edge on the screen
    int32_t left = Clamp(pos.left, area.work.left, area.work.right - width);
    out->left = left;
    out->top = area.work.top;
    out->right = left + width;
    out->bottom = area.work.top + height;
    out->dockState = (area.edges & DOCK_TOP) ? DOCK_TOP : DOCK_NONE;
    return 1;
}

AlertPlace PlaceAlert(const ScreenMonitor *m, int count, WindowPos calendar, int32_t w, int32_t h)
{
    DockRect cal = {calendar.left, calendar.top, calendar.right, calendar.bottom};
    if (count <= 0)
        return AlertPlace{0, 0, 1};
    int i = MonitorOfRect(m, count, cal);
    DockArea area = DockAreaOf(m, count, i);
    DockRect work = area.work;
    // where the calendar is once slid out: an alert there would hide it then,
    // and cover the edge it is brought out from while it is away
    SlidePlan shown;
    if (PlanSlide(calendar.dockState, cal, 1, area, &shown)) {
        int32_t cw = cal.right - cal.left, ch = cal.bottom - cal.top;
        cal = DockRect{shown.finalX, shown.finalY, shown.finalX + cw, shown.finalY + ch};
    }
    int32_t centred = work.left + (work.right - work.left - w) / 2;
    DockRect at = {centred, work.top, centred + w, work.top + h};
    if (OverlapArea(at, cal) == 0)
        return AlertPlace{centred, work.top, 1};
    // the nearest place to the middle beside the calendar, left or right of it
    int32_t leftX = cal.left - w, rightX = cal.right;
    int leftFits = leftX >= work.left, rightFits = rightX + w <= work.right;
    int32_t dl = centred - leftX, dr = rightX - centred;
    if (leftFits && (!rightFits || dl <= dr))
        return AlertPlace{leftX, work.top, 1};
    if (rightFits)
        return AlertPlace{rightX, work.top, 1};
    // no room beside it: below it, kept on the work area
    int32_t x = Clamp(centred, work.left, work.right - w);
    return AlertPlace{x, Clamp(cal.bottom, work.top, work.bottom - h), 0};
}
