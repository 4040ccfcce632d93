// Docking on every monitor: the docking edges of monitor layouts, the
// snapping and sliding against a work area, where a window that lost its
// monitor comes back, and where the alert goes beside the calendar.
#include <gtest/gtest.h>
#include <vector>
#include "monthview/screencalc.h"

namespace {

ScreenMonitor Mon(int32_t l, int32_t t, int32_t r, int32_t b, int32_t dpi = 96)
{
    return ScreenMonitor{{l, t, r, b}, {l, t, r, b}, dpi};
}
ScreenMonitor WithWork(ScreenMonitor m, int32_t l, int32_t t, int32_t r, int32_t b)
{
    m.work = DockRect{l, t, r, b};
    return m;
}

typedef std::vector<ScreenMonitor> Layout;
const Layout SINGLE = {WithWork(Mon(0, 0, 1366, 768), 0, 0, 1366, 728)};   // taskbar at the bottom
// a 150 % monitor right of the primary one
const Layout SIDE = {Mon(0, 0, 1920, 1080), Mon(1920, 0, 3200, 1024, 144)};
// the second monitor above the primary one
const Layout STACKED = {Mon(0, 0, 1920, 1080), Mon(0, -1080, 1920, 0, 120)};
// the second monitor left of the primary one, in negative coordinates
const Layout LEFTSIDE = {Mon(0, 0, 1920, 1080), Mon(-1280, 0, 0, 1024, 192)};
// Xinerama heads of a virtual display that overlap at 0,0
const Layout OVERLAP = {Mon(0, 0, 1024, 768), Mon(0, 0, 1280, 1024)};

TEST(DockAreaOf, AnEdgeAnotherMonitorContinuesIsNoDockingEdge)
{
    struct Case {
        const char *name;
        const Layout *layout;
        int index;
        int32_t edges;
    } cases[] = {
        {"single", &SINGLE, 0, DOCK_TOP | DOCK_LEFT | DOCK_RIGHT},
        {"side, left one", &SIDE, 0, DOCK_TOP | DOCK_LEFT},
        {"side, right one", &SIDE, 1, DOCK_TOP | DOCK_RIGHT},
        {"stacked, lower", &STACKED, 0, DOCK_LEFT | DOCK_RIGHT},
        {"stacked, upper", &STACKED, 1, DOCK_TOP | DOCK_LEFT | DOCK_RIGHT},
        {"negative, primary", &LEFTSIDE, 0, DOCK_TOP | DOCK_RIGHT},
        {"negative, left one", &LEFTSIDE, 1, DOCK_TOP | DOCK_LEFT},
        {"overlapping heads, small", &OVERLAP, 0, DOCK_TOP | DOCK_LEFT},
        {"overlapping heads, large", &OVERLAP, 1, DOCK_TOP | DOCK_LEFT | DOCK_RIGHT},
    };
    for (const Case &c : cases) {
        DockArea a = DockAreaOf(c.layout->data(), (int)c.layout->size(), c.index);
        EXPECT_EQ(a.edges, c.edges) << c.name;
        EXPECT_EQ(a.work.left, (*c.layout)[c.index].work.left) << c.name;
        EXPECT_EQ(a.work.bottom, (*c.layout)[c.index].work.bottom) << c.name;
    }
}

TEST(MonitorOfRect, MostSharedAreaElseNearest)
{
    struct Case {
        const Layout *layout;
        DockRect r;
        int expected;
    } cases[] = {
        {&SIDE, {1700, 100, 2050, 350}, 0},    // more on the left one
        {&SIDE, {1800, 100, 2150, 350}, 1},    // more on the right one
        {&SIDE, {5000, 100, 5350, 350}, 1},    // far right of everything
        {&SIDE, {100, 2000, 450, 2250}, 0},    // below the primary one
        {&STACKED, {100, -300, 450, -50}, 1},
        {&LEFTSIDE, {-900, -600, -550, -350}, 1},   // above the negative one
        {&SIDE, {2100, -249, 2450, 1}, 1},     // slid away at the top: one line shows
    };
    for (const Case &c : cases)
        EXPECT_EQ(MonitorOfRect(c.layout->data(), (int)c.layout->size(), c.r), c.expected)
            << c.r.left << "," << c.r.top;
    EXPECT_EQ(MonitorOfRect(nullptr, 0, DockRect{0, 0, 10, 10}), -1);
    EXPECT_EQ(MonitorOfPoint(SIDE.data(), 2, DockPoint{1920, 5}), 1);
    EXPECT_EQ(MonitorOfPoint(SIDE.data(), 2, DockPoint{1919, 5}), 0);
}

// A window dragged near each edge of a monitor with the taskbar at each edge:
// it docks to the work area and never under the taskbar.
TEST(SnapRectangle, DocksToTheWorkAreaWithTheTaskbarAtEachEdge)
{
    const ScreenMonitor screen = Mon(0, 0, 1366, 768);
    struct Case {
        const char *taskbar;
        DockRect work;
        DockRect proposed;
        int32_t state;
        DockRect result;
    } cases[] = {
        {"top", {0, 40, 1366, 768}, {300, 70, 650, 320}, DOCK_TOP, {300, 40, 650, 290}},
        {"top, still too far", {0, 40, 1366, 768}, {300, 90, 650, 340}, DOCK_NONE, {300, 90, 650, 340}},
        {"left", {60, 0, 1366, 768}, {100, 200, 450, 450}, DOCK_LEFT, {60, 200, 410, 450}},
        {"right", {0, 0, 1306, 768}, {900, 200, 1270, 450}, DOCK_RIGHT, {936, 200, 1306, 450}},
        {"right, near the screen edge only", {0, 0, 1306, 768}, {900, 200, 1250, 450}, DOCK_NONE,
         {900, 200, 1250, 450}},
        {"bottom", {0, 0, 1366, 728}, {300, 20, 650, 270}, DOCK_TOP, {300, 0, 650, 250}},
    };
    for (const Case &c : cases) {
        ScreenMonitor m = WithWork(screen, c.work.left, c.work.top, c.work.right, c.work.bottom);
        DockArea area = DockAreaOf(&m, 1, 0);
        DockRect r = c.proposed;
        DockPoint anchor = {0, 0};
        DockPoint cursor = {r.left + 20, r.top + 10};
        EXPECT_EQ(SnapRectangle(&r, DOCK_NONE, cursor, &anchor, area), c.state) << c.taskbar;
        EXPECT_EQ(r.left, c.result.left) << c.taskbar;
        EXPECT_EQ(r.top, c.result.top) << c.taskbar;
        EXPECT_EQ(r.right, c.result.right) << c.taskbar;
        EXPECT_EQ(r.bottom, c.result.bottom) << c.taskbar;
    }
}

TEST(SnapRectangle, SharedEdgesLetTheWindowPassAndOuterEdgesCatchIt)
{
    struct Case {
        const char *name;
        const Layout *layout;
        DockRect proposed;
        int32_t state;
        int32_t left, top;
    } cases[] = {
        {"side: across the shared edge", &SIDE, {1700, 300, 2050, 550}, DOCK_NONE, 1700, 300},
        {"side: the right one's outer edge", &SIDE, {2830, 300, 3180, 550}, DOCK_RIGHT, 2850, 300},
        {"side: the right one's top", &SIDE, {2100, 30, 2450, 280}, DOCK_TOP, 2100, 0},
        {"side: just inside the shared edge", &SIDE, {1930, 300, 2280, 550}, DOCK_NONE, 1930, 300},
        {"stacked: the lower one's top", &STACKED, {300, 10, 650, 260}, DOCK_NONE, 300, 10},
        {"stacked: the upper one's top", &STACKED, {300, -1060, 650, -810}, DOCK_TOP, 300, -1080},
        {"negative: the far left edge", &LEFTSIDE, {-1250, 300, -900, 550}, DOCK_LEFT, -1280, 300},
        {"negative: the top", &LEFTSIDE, {-900, -20, -550, 230}, DOCK_TOP, -900, 0},
    };
    for (const Case &c : cases) {
        DockRect r = c.proposed;
        int i = MonitorOfRect(c.layout->data(), (int)c.layout->size(), r);
        DockArea area = DockAreaOf(c.layout->data(), (int)c.layout->size(), i);
        DockPoint anchor = {0, 0};
        DockPoint cursor = {r.left + 20, r.top + 10};
        EXPECT_EQ(SnapRectangle(&r, DOCK_NONE, cursor, &anchor, area), c.state) << c.name;
        EXPECT_EQ(r.left, c.left) << c.name;
        EXPECT_EQ(r.top, c.top) << c.name;
    }
}

TEST(SnapRectangle, AWindowDockedOnOneMonitorIsFreeOnANeighbourWithoutThatEdge)
{
    // left-docked on the negative monitor, then dragged far down onto the
    // primary one, whose left edge is shared
    DockRect r = {10, 300, 360, 550};
    DockPoint anchor = {-1270, 300};
    DockArea primary = DockAreaOf(LEFTSIDE.data(), 2, 0);
    EXPECT_EQ(SnapRectangle(&r, DOCK_LEFT, DockPoint{30, 310}, &anchor, primary), DOCK_NONE);
    EXPECT_EQ(r.left, 10);
}

TEST(PlanSlide, SlidesAgainstTheWorkAreaOfItsMonitor)
{
    struct Case {
        const char *name;
        ScreenMonitor monitor;
        int32_t state;
        DockRect window;
        int direction;
        int32_t finalX, finalY;
    } cases[] = {
        {"top taskbar, hide", WithWork(Mon(0, 0, 1366, 768), 0, 40, 1366, 768), DOCK_TOP, {300, 40, 650, 290},
         0, 300, 40 + 1 - 250},
        {"top taskbar, show", WithWork(Mon(0, 0, 1366, 768), 0, 40, 1366, 768), DOCK_TOP | DOCK_HIDDEN,
         {300, -209, 650, 41}, 1, 300, 40},
        {"left taskbar, hide", WithWork(Mon(0, 0, 1366, 768), 60, 0, 1366, 768), DOCK_LEFT,
         {60, 200, 410, 450}, 0, 60 + 1 - 350, 200},
        {"right taskbar, hide", WithWork(Mon(0, 0, 1366, 768), 0, 0, 1306, 768), DOCK_RIGHT,
         {956, 200, 1306, 450}, 0, 1305, 200},
        {"right taskbar, show", WithWork(Mon(0, 0, 1366, 768), 0, 0, 1306, 768), DOCK_RIGHT | DOCK_HIDDEN,
         {1305, 200, 1655, 450}, 1, 956, 200},
        {"second monitor, right", Mon(1920, 0, 3200, 1024), DOCK_RIGHT, {2850, 300, 3200, 550}, 0, 3199, 300},
        {"negative monitor, left", Mon(-1280, 0, 0, 1024), DOCK_LEFT, {-1280, 300, -930, 550}, 0,
         -1280 + 1 - 350, 300},
        {"upper monitor, top", Mon(0, -1080, 1920, 0), DOCK_TOP | DOCK_HIDDEN, {300, -1329, 650, -1079}, 1, 300,
         -1080},
    };
    for (const Case &c : cases) {
        SlidePlan p;
        ASSERT_EQ(PlanSlide(c.state, c.window, c.direction, DockAreaOf(&c.monitor, 1, 0), &p), 1) << c.name;
        EXPECT_EQ(p.finalX, c.finalX) << c.name;
        EXPECT_EQ(p.finalY, c.finalY) << c.name;
        // the steps head for the final place and stop short of it by less than a step
        int32_t x = c.window.left + SLIDE_STEPS * p.dx, y = c.window.top + SLIDE_STEPS * p.dy;
        EXPECT_LE(abs(x - p.finalX), SLIDE_STEPS) << c.name;
        EXPECT_LE(abs(y - p.finalY), SLIDE_STEPS) << c.name;
    }
}

TEST(ReseatWindow, AWindowNoMonitorShowsComesBackDockedAtTheTopOfTheNearest)
{
    const Layout primaryOnly = {Mon(0, 0, 1920, 1080)};
    const Layout topTaskbar = {WithWork(Mon(0, 0, 1366, 768), 0, 40, 1366, 768)};
    struct Case {
        const char *name;
        const Layout *layout;
        WindowPos pos;
        int moved;
        WindowPos result;
    } cases[] = {
        {"on the primary, unchanged", &SIDE, {300, 200, 650, 450, DOCK_NONE}, 0, {300, 200, 650, 450, DOCK_NONE}},
        {"slid away at the top, one line shows", &SIDE, {2100, -249, 2450, 1, DOCK_TOP | DOCK_HIDDEN}, 0,
         {2100, -249, 2450, 1, DOCK_TOP | DOCK_HIDDEN}},
        {"right monitor removed", &primaryOnly, {2500, 300, 2850, 550, DOCK_NONE}, 1,
         {1570, 0, 1920, 250, DOCK_TOP}},
        {"right monitor removed, was right-docked and hidden", &primaryOnly,
         {3199, 300, 3549, 550, DOCK_RIGHT | DOCK_HIDDEN}, 1, {1570, 0, 1920, 250, DOCK_TOP}},
        {"negative monitor removed", &primaryOnly, {-900, 300, -550, 550, DOCK_LEFT}, 1,
         {0, 0, 350, 250, DOCK_TOP}},
        {"saved far off at start-up", &SINGLE, {5000, 5000, 5350, 5250, DOCK_NONE}, 1,
         {1016, 0, 1366, 250, DOCK_TOP}},
        {"wider than the monitor", &primaryOnly, {3000, 100, 5100, 350, DOCK_NONE}, 1, {0, 0, 2100, 250, DOCK_TOP}},
        {"under a taskbar at the top", &topTaskbar, {300, -249, 650, 1, DOCK_TOP | DOCK_HIDDEN}, 1,
         {300, 40, 650, 290, DOCK_TOP}},
        {"docked to an edge a new neighbour now continues", &SIDE, {1570, 300, 1920, 550, DOCK_RIGHT}, 1,
         {1570, 0, 1920, 250, DOCK_TOP}},
        // the nearest is the lower monitor, whose top is shared: at its top, undocked
        {"below the stacked pair", &STACKED, {300, 1500, 650, 1750, DOCK_NONE}, 1, {300, 0, 650, 250, DOCK_NONE}},
    };
    for (const Case &c : cases) {
        WindowPos out;
        EXPECT_EQ(ReseatWindow(c.layout->data(), (int)c.layout->size(), c.pos, &out), c.moved) << c.name;
        EXPECT_EQ(out.left, c.result.left) << c.name;
        EXPECT_EQ(out.top, c.result.top) << c.name;
        EXPECT_EQ(out.right, c.result.right) << c.name;
        EXPECT_EQ(out.bottom, c.result.bottom) << c.name;
        EXPECT_EQ(out.dockState, c.result.dockState) << c.name;
    }
}

bool Overlap(DockRect a, DockRect b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(PlaceAlert, OnTheCalendarsMonitorAndNeverOverIt)
{
    const int32_t w = 372, h = 94;
    struct Case {
        const char *name;
        const Layout *layout;
        WindowPos calendar;
        DockRect shown;   // the calendar slid out
        int32_t x, y;
        int slides;
    } cases[] = {
        // the centred place (497) would cover the slid-away calendar's edge
        {"1366 wide, top-docked and away", &SINGLE, {250, -249, 600, 1, DOCK_TOP | DOCK_HIDDEN},
         {250, 0, 600, 250}, 600, 0, 1},
        {"1366 wide, calendar right of the middle", &SINGLE, {700, 0, 1050, 250, DOCK_TOP}, {700, 0, 1050, 250},
         328, 0, 1},
        {"out of the way: centred", &SINGLE, {0, 300, 350, 550, DOCK_LEFT}, {0, 300, 350, 550}, 497, 0, 1},
        {"second monitor", &SIDE, {2400, -249, 2750, 1, DOCK_TOP | DOCK_HIDDEN}, {2400, 0, 2750, 250}, 2028, 0, 1},
        {"upper monitor", &STACKED, {100, -1080, 450, -830, DOCK_TOP}, {100, -1080, 450, -830}, 774, -1080, 1},
        // below it, where a slide from the top would cross it
        {"no room beside it", &SINGLE, {200, 0, 1100, 250, DOCK_TOP}, {200, 0, 1100, 250}, 497, 250, 0},
    };
    for (const Case &c : cases) {
        AlertPlace p = PlaceAlert(c.layout->data(), (int)c.layout->size(), c.calendar, w, h);
        EXPECT_EQ(p.x, c.x) << c.name;
        EXPECT_EQ(p.y, c.y) << c.name;
        EXPECT_EQ(p.slides, c.slides) << c.name;
        EXPECT_FALSE(Overlap(DockRect{p.x, p.y, p.x + w, p.y + h}, c.shown)) << c.name;
    }
}

}   // namespace
