// The docking arithmetic: snapping to and releasing from the screen edges,
// the slide plans and the auto-hide decision.
#include <gtest/gtest.h>
#include "monthview/dockcalc.h"

namespace {

const int32_t SW = 1024;   // screen width
// one monitor, no taskbar
const DockArea SCREEN = {{0, 0, SW, 768}, DOCK_ALL_EDGES};

DockRect Rect(int32_t left, int32_t top, int32_t w, int32_t h)
{
    return DockRect{left, top, left + w, top + h};
}

struct Drag {
    DockRect r;
    int32_t state;
    DockPoint anchor;
};

// One WM_MOVING with the cursor at (x, y).
int32_t Move(Drag *d, DockRect proposed, int32_t x, int32_t y)
{
    d->r = proposed;
    d->state = SnapRectangle(&d->r, d->state, DockPoint{x, y}, &d->anchor, SCREEN);
    return d->state;
}

void ExpectRect(const DockRect &r, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(SnapRectangle, UndockedWindowSnapsOnlyStrictlyInsideTheZones)
{
    // top zone
    Drag d = {{}, DOCK_NONE, {7, 7}};
    EXPECT_EQ(Move(&d, Rect(300, 49, 350, 250), 400, 60), DOCK_TOP);
    ExpectRect(d.r, 300, 0, 650, 250);
    EXPECT_EQ(d.anchor.x, 400);
    EXPECT_EQ(d.anchor.y, 60);

    d = {{}, DOCK_NONE, {7, 7}};
    EXPECT_EQ(Move(&d, Rect(300, 50, 350, 250), 400, 60), DOCK_NONE);
    ExpectRect(d.r, 300, 50, 650, 300);
    EXPECT_EQ(d.anchor.x, 7);   // the anchor moves only on a snap or a release

    // left zone
    d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(49, 200, 350, 250), 100, 300), DOCK_LEFT);
    ExpectRect(d.r, 0, 200, 350, 450);
    d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(50, 200, 350, 250), 100, 300), DOCK_NONE);
    ExpectRect(d.r, 50, 200, 400, 450);

    // right zone: r.right + 50 > screen width
    d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(SW - 49 - 350, 200, 350, 250), 800, 300), DOCK_RIGHT);
    ExpectRect(d.r, SW - 350, 200, SW, 450);
    d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(SW - 50 - 350, 200, 350, 250), 800, 300), DOCK_NONE);
    ExpectRect(d.r, SW - 400, 200, SW - 50, 450);

    // negative positions (dragged partly off the screen) snap as well
    d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(300, -120, 350, 250), 400, 10), DOCK_TOP);
    ExpectRect(d.r, 300, 0, 650, 250);
}

TEST(SnapRectangle, FirstZoneDecidesTheEdgeInACorner)
{
    // top is tested before left: the left side is not touched on this move
    Drag d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(20, 30, 350, 250), 100, 100), DOCK_TOP);
    ExpectRect(d.r, 20, 0, 370, 250);
    // from the next move on both edges hold it, and it keeps its edge
    EXPECT_EQ(Move(&d, Rect(20, 30, 350, 250), 100, 100), DOCK_TOP);
    ExpectRect(d.r, 0, 0, 350, 250);

    // left is tested before right: a window wider than the screen docks left
    d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(10, 300, SW + 100, 250), 100, 400), DOCK_LEFT);
    ExpectRect(d.r, 0, 300, SW + 100, 550);

    // top-right corner: top first, then the right side is snapped too
    d = {{}, DOCK_NONE, {0, 0}};
    EXPECT_EQ(Move(&d, Rect(SW - 360, 10, 350, 250), 900, 20), DOCK_TOP);
    EXPECT_EQ(Move(&d, Rect(SW - 360, 10, 350, 250), 900, 20), DOCK_TOP);
    ExpectRect(d.r, SW - 350, 0, SW, 250);
}

TEST(SnapRectangle, TopDockedWindowFollowsTheCursorAlongTheEdgeOnly)
{
    Drag d = {{}, DOCK_NONE, {0, 0}};
    Move(&d, Rect(300, 40, 350, 250), 400, 50);
    ASSERT_EQ(d.state, DOCK_TOP);
    // sideways, and down by up to 5 pixels: still docked, flush with the top
    EXPECT_EQ(Move(&d, Rect(500, 40, 350, 250), 600, 50), DOCK_TOP);
    ExpectRect(d.r, 500, 0, 850, 250);
    EXPECT_EQ(Move(&d, Rect(500, 45, 350, 250), 600, 55), DOCK_TOP);
    ExpectRect(d.r, 500, 0, 850, 250);
    EXPECT_EQ(Move(&d, Rect(100, 40, 350, 250), 200, 50), DOCK_TOP);
    EXPECT_EQ(d.anchor.x, 400);   // the anchor stays where it snapped
    EXPECT_EQ(d.anchor.y, 50);
    // up is no release either
    EXPECT_EQ(Move(&d, Rect(100, 10, 350, 250), 200, 20), DOCK_TOP);
    // more than 5 pixels down: released at y 50 with its height
    EXPECT_EQ(Move(&d, Rect(100, 46, 350, 250), 200, 56), DOCK_NONE);
    ExpectRect(d.r, 100, 50, 450, 300);
    EXPECT_EQ(d.anchor.x, 200);
    EXPECT_EQ(d.anchor.y, 56);
}

TEST(SnapRectangle, ProposedRectangleFarFromTheEdgeReleasesWithoutCursorTravel)
{
    // a fast drag: the window is proposed 80 pixels down although the
    // cursor, seen against the anchor, moved only 3
    Drag d = {Rect(300, 0, 350, 250), DOCK_TOP, {400, 50}};
    EXPECT_EQ(Move(&d, Rect(300, 80, 350, 250), 400, 53), DOCK_NONE);
    ExpectRect(d.r, 300, 50, 650, 300);

    // exactly 50 is neither in the zone nor beyond it: stays docked where proposed
    d = {Rect(300, 0, 350, 250), DOCK_TOP, {400, 50}};
    EXPECT_EQ(Move(&d, Rect(300, 50, 350, 250), 400, 53), DOCK_TOP);
    ExpectRect(d.r, 300, 50, 650, 300);
}

TEST(SnapRectangle, LeftAndRightDockedWindowsReleaseAfterMoreThanFivePixels)
{
    Drag d = {{}, DOCK_LEFT, {100, 300}};
    EXPECT_EQ(Move(&d, Rect(30, 200, 350, 250), 105, 400), DOCK_LEFT);
    ExpectRect(d.r, 0, 200, 350, 450);
    EXPECT_EQ(Move(&d, Rect(30, 200, 350, 250), 106, 400), DOCK_NONE);
    ExpectRect(d.r, 50, 200, 400, 450);
    EXPECT_EQ(d.anchor.x, 106);

    d = {{}, DOCK_RIGHT, {900, 300}};
    EXPECT_EQ(Move(&d, Rect(SW - 340, 200, 350, 250), 895, 100), DOCK_RIGHT);
    ExpectRect(d.r, SW - 350, 200, SW, 450);
    // released 50 to the left of where the edge held it
    EXPECT_EQ(Move(&d, Rect(SW - 340, 200, 350, 250), 894, 100), DOCK_NONE);
    ExpectRect(d.r, SW - 400, 200, SW - 50, 450);
    EXPECT_EQ(d.anchor.x, 894);

    // a right-docked window proposed far from the edge: r.right + 50 < width
    d = {{}, DOCK_RIGHT, {900, 300}};
    EXPECT_EQ(Move(&d, Rect(500, 200, 350, 250), 900, 300), DOCK_NONE);
    ExpectRect(d.r, 450, 200, 800, 450);
}

TEST(SnapRectangle, CornerMoveAwayFromTheOtherEdgeKeepsTheDockedEdge)
{
    // docked left, in the top corner; the cursor goes down: it leaves the
    // top edge for y 50 but stays docked left
    Drag d = {{}, DOCK_LEFT, {100, 100}};
    EXPECT_EQ(Move(&d, Rect(10, 20, 350, 250), 100, 110), DOCK_LEFT);
    ExpectRect(d.r, 0, 50, 350, 300);
    EXPECT_EQ(d.anchor.y, 110);

    // docked top, in the left corner; the cursor goes right: it leaves the
    // left edge for x 50 and stays docked top
    d = {{}, DOCK_TOP, {100, 100}};
    EXPECT_EQ(Move(&d, Rect(10, 20, 350, 250), 110, 100), DOCK_TOP);
    ExpectRect(d.r, 50, 0, 400, 250);

    // docked top, in the right corner; the cursor goes left: shifted 50 left
    d = {{}, DOCK_TOP, {900, 100}};
    EXPECT_EQ(Move(&d, Rect(SW - 340, 20, 350, 250), 890, 100), DOCK_TOP);
    ExpectRect(d.r, SW - 400, 0, SW - 50, 250);
}

TEST(PlanSlide, TopEdgeSlidesByTwentiethsAndLandsOnePixelShort)
{
    SlidePlan p;
    ASSERT_EQ(PlanSlide(DOCK_TOP, Rect(250, 0, 350, 250), 0, SCREEN, &p), 1);
    EXPECT_EQ(p.dx, 0);
    EXPECT_EQ(p.dy, -12);
    EXPECT_EQ(p.finalX, 250);
    EXPECT_EQ(p.finalY, -249);
    EXPECT_EQ(p.newState, DOCK_TOP | DOCK_HIDDEN);

    ASSERT_EQ(PlanSlide(DOCK_TOP | DOCK_HIDDEN, Rect(250, -249, 350, 250), 1, SCREEN, &p), 1);
    EXPECT_EQ(p.dy, 12);
    EXPECT_EQ(p.finalX, 250);
    EXPECT_EQ(p.finalY, 0);
    EXPECT_EQ(p.newState, DOCK_TOP);
}

TEST(PlanSlide, LeftAndRightEdges)
{
    SlidePlan p;
    ASSERT_EQ(PlanSlide(DOCK_LEFT, Rect(0, 100, 350, 250), 0, SCREEN, &p), 1);
    EXPECT_EQ(p.dx, -17);
    EXPECT_EQ(p.dy, 0);
    EXPECT_EQ(p.finalX, -349);
    EXPECT_EQ(p.finalY, 100);
    EXPECT_EQ(p.newState, DOCK_LEFT | DOCK_HIDDEN);
    ASSERT_EQ(PlanSlide(DOCK_LEFT | DOCK_HIDDEN, Rect(-349, 100, 350, 250), 1, SCREEN, &p), 1);
    EXPECT_EQ(p.dx, 17);
    EXPECT_EQ(p.finalX, 0);
    EXPECT_EQ(p.newState, DOCK_LEFT);

    ASSERT_EQ(PlanSlide(DOCK_RIGHT, Rect(SW - 350, 100, 350, 250), 0, SCREEN, &p), 1);
    EXPECT_EQ(p.dx, 17);
    EXPECT_EQ(p.finalX, SW - 1);
    EXPECT_EQ(p.finalY, 100);
    EXPECT_EQ(p.newState, DOCK_RIGHT | DOCK_HIDDEN);
    ASSERT_EQ(PlanSlide(DOCK_RIGHT | DOCK_HIDDEN, Rect(SW - 1, 100, 350, 250), 1, SCREEN, &p), 1);
    EXPECT_EQ(p.dx, -17);
    EXPECT_EQ(p.finalX, SW - 350);
    EXPECT_EQ(p.newState, DOCK_RIGHT);
}

TEST(PlanSlide, ShowFromAVisiblePositionReseatsAtTheEdge)
{
    SlidePlan p;
    ASSERT_EQ(PlanSlide(DOCK_TOP, Rect(250, 0, 350, 250), 1, SCREEN, &p), 1);
    EXPECT_EQ(p.dy, 0);
    EXPECT_EQ(p.finalY, 0);
    ASSERT_EQ(PlanSlide(DOCK_LEFT, Rect(-20, 0, 350, 250), 1, SCREEN, &p), 1);
    EXPECT_EQ(p.dx, 1);
    EXPECT_EQ(p.finalX, 0);
}

TEST(PlanSlide, UndockedOrUnknownEdgesDoNothing)
{
    const int32_t states[] = {DOCK_NONE, DOCK_HIDDEN, 3, 8, 0x20000};
    for (int32_t state : states) {
        SlidePlan p = {99, 99, 99, 99, 99};
        EXPECT_EQ(PlanSlide(state, Rect(250, 0, 350, 250), 0, SCREEN, &p), 0) << state;
        EXPECT_EQ(PlanSlide(state, Rect(250, 0, 350, 250), 1, SCREEN, &p), 0) << state;
        EXPECT_EQ(p.dx, 99);
        EXPECT_EQ(p.newState, 99);
    }
}

TEST(PlanSlide, StepsEndWithinOneStepOfTheFinalPosition)
{
    // The truncated steps fall short by less than a step. A hide whose
    // distance is a multiple of 20 goes all the way out, and the final
    // position then brings back the one visible pixel line.
    for (int32_t size = 21; size < 700; size += 37) {
        for (int dir = 0; dir < 2; dir++) {
            SlidePlan p;
            DockRect top = dir == 0 ? Rect(10, 0, 300, size) : Rect(10, 1 - size, 300, size);
            ASSERT_EQ(PlanSlide(DOCK_TOP, top, dir, SCREEN, &p), 1);
            int32_t y = top.top + SLIDE_STEPS * p.dy;
            int32_t shortfall = dir == 0 ? y - p.finalY : p.finalY - y;
            EXPECT_GE(shortfall, dir == 0 ? -1 : 0) << size;
            EXPECT_LT(shortfall, SLIDE_STEPS) << size;

            DockRect right = dir == 0 ? Rect(SW - size, 0, size, 200) : Rect(SW - 1, 0, size, 200);
            ASSERT_EQ(PlanSlide(DOCK_RIGHT, right, dir, SCREEN, &p), 1);
            int32_t x = right.left + SLIDE_STEPS * p.dx;
            shortfall = dir == 0 ? p.finalX - x : x - p.finalX;
            EXPECT_GE(shortfall, dir == 0 ? -1 : 0) << size;
            EXPECT_LT(shortfall, SLIDE_STEPS) << size;
        }
    }
}

TEST(ShouldAutoHide, CursorOutsideAndNoWindowActive)
{
    DockRect r = Rect(250, 0, 350, 250);   // x 250..599, y 0..249
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{300, 100}, 0), 0);
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{250, 0}, 0), 0);   // left and top inclusive
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{599, 249}, 0), 0);
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{600, 100}, 0), 1);   // right exclusive
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{300, 250}, 0), 1);   // bottom exclusive
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{249, 100}, 0), 1);
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{700, 600}, 0), 1);
    EXPECT_EQ(ShouldAutoHide(r, DockPoint{700, 600}, 1), 0);   // an active window stays
}

TEST(HoldKeepsShown, UntilTheMouseCameOrTheTimeIsUp)
{
    DockRect r = Rect(250, 0, 350, 250);
    const DockPoint away = {700, 600}, over = {300, 100};
    const struct {
        uint32_t since, now;
        DockPoint cursor;
        int keeps;
    } cases[] = {
        {1000, 1000, away, 1},
        {1000, 1000 + SHOW_HOLD_MS - 1, away, 1},
        {1000, 1000 + SHOW_HOLD_MS, away, 0},
        {1000, 1500, over, 0},   // the mouse came: the auto-hide check decides from now on
        {0xFFFFFF00u, 0x100, away, 1},                  // the tick count wrapped
        {0xFFFFFF00u, SHOW_HOLD_MS, away, 0},
    };
    for (const auto &c : cases) {
        ShowHold hold = {c.since, 1};
        EXPECT_EQ(c.keeps, HoldKeepsShown(&hold, r, c.cursor, c.now)) << c.since << " " << c.now;
        EXPECT_EQ(c.keeps, hold.active);
        // once over, it stays over, even with the mouse away and the time back
        EXPECT_EQ(c.keeps, HoldKeepsShown(&hold, r, away, c.since));
    }
    ShowHold none = {1000, 0};
    EXPECT_EQ(0, HoldKeepsShown(&none, r, away, 1000));
}

}   // namespace
