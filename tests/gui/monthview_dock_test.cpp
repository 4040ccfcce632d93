// Docking the month window: snapping while it is dragged, sliding in and out
// of view, and the auto-hide check, with the cursor placed by SetCursorPos.
#include "monthview_testutil.h"
#include <string.h>
#include <string>
#include "fixture.h"

namespace {

void PlaceWindow(int x, int y)
{
    SetWindowPos(MonthWindow, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// The cursor must really be there: GetCursorPos is what the code reads.
void PutCursor(int x, int y)
{
    SetCursorPos(x, y);
    POINT p;
    GetCursorPos(&p);
    ASSERT_EQ(x, p.x);
    ASSERT_EQ(y, p.y);
}

TEST_F(MonthViewTest, SnapToTheTopOnlyInsideFiftyPixels)
{
    SetDockState(MonthWindow, DOCK_NONE);
    PutCursor(400, 100);
    RECT r = Rect(300, 50, 650, 300);
    EXPECT_EQ(0, SnapWhileMoving(MonthWindow, &r));
    EXPECT_RECT(r, 300, 50, 650, 300);
    EXPECT_EQ(DOCK_NONE, GetDockState(MonthWindow));

    r = Rect(300, 49, 650, 299);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_RECT(r, 300, 0, 650, 250);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));
    EXPECT_EQ(400, DragAnchor.x);
    EXPECT_EQ(100, DragAnchor.y);

    // sideways and 5 pixels down: it holds; 6 down: released at y 50
    PutCursor(600, 105);
    r = Rect(500, 45, 850, 295);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_RECT(r, 500, 0, 850, 250);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));
    PutCursor(600, 106);
    r = Rect(500, 46, 850, 296);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_RECT(r, 500, 50, 850, 300);
    EXPECT_EQ(DOCK_NONE, GetDockState(MonthWindow));
    EXPECT_EQ(106, DragAnchor.y);
}

TEST_F(MonthViewTest, SnapToTheRightAndLeftEdges)
{
    const LONG sw = ScreenWidth;
    ASSERT_GT(sw, 500);
    SetDockState(MonthWindow, DOCK_NONE);
    PutCursor(sw - 100, 300);
    RECT r = Rect(sw - 360, 200, sw - 10, 450);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_RECT(r, sw - 350, 200, sw, 450);
    EXPECT_EQ(DOCK_RIGHT, GetDockState(MonthWindow));

    SetDockState(MonthWindow, DOCK_NONE);
    r = Rect(40, 200, 390, 450);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_RECT(r, 0, 200, 350, 450);
    EXPECT_EQ(DOCK_LEFT, GetDockState(MonthWindow));
}

TEST_F(MonthViewTest, DragStartAnchorsAtTheCursor)
{
    PutCursor(321, 123);
    SendMessageA(MonthWindow, WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_EQ(321, DragAnchor.x);
    EXPECT_EQ(123, DragAnchor.y);
    EXPECT_NE(0, (int)SendMessageA(MonthWindow, WM_EXITSIZEMOVE, 0, 0));
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
}

// The place a drag ends at reaches "dlm.ini" at once; a click that moved
// nothing writes nothing.
TEST_F(MonthViewTest, ADragThatMovedTheCalendarIsSavedWhenItEnds)
{
    auto iniHolds = [](const char *line) {
        char text[8192];
        long n = ReadProgramFile("dlm.ini", text, sizeof text - 1);
        text[n > 0 ? n : 0] = 0;
        return strstr(text, line) != nullptr;
    };
    PlaceWindow(250, 0);
    SetDockState(MonthWindow, DOCK_TOP);
    DeleteFileA((std::string(ProgramDir()) + "\\dlm.ini").c_str());
    SendMessageA(MonthWindow, WM_ENTERSIZEMOVE, 0, 0);
    SendMessageA(MonthWindow, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(-1, ReadProgramFile("dlm.ini", nullptr, 0)) << "a click without a move wrote the file";

    SendMessageA(MonthWindow, WM_ENTERSIZEMOVE, 0, 0);
    PlaceWindow(300, 280);
    SetDockState(MonthWindow, DOCK_NONE);
    SendMessageA(MonthWindow, WM_EXITSIZEMOVE, 0, 0);
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
    EXPECT_TRUE(iniHolds("MonthPos=300,280,650,530,0\r\n"));
}

TEST_F(MonthViewTest, SlideWindowFinalPositionsForEachEdge)
{
    const LONG sw = ScreenWidth;
    // top: a 250-pixel-high window keeps its bottom row at y 0
    PlaceWindow(250, 0);
    SetDockState(MonthWindow, DOCK_TOP);
    SlideWindow(MonthWindow, SLIDE_HIDE);
    EXPECT_RECT(ScreenRect(MonthWindow), 250, -249, 600, 1);
    EXPECT_EQ(DOCK_TOP | DOCK_HIDDEN, GetDockState(MonthWindow));
    SlideWindow(MonthWindow, SLIDE_SHOW);
    EXPECT_RECT(ScreenRect(MonthWindow), 250, 0, 600, 250);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));

    // left: the rightmost column stays at x 0
    PlaceWindow(0, 100);
    SetDockState(MonthWindow, DOCK_LEFT);
    SlideWindow(MonthWindow, SLIDE_HIDE);
    EXPECT_RECT(ScreenRect(MonthWindow), 1 - 350, 100, 1, 350);
    EXPECT_EQ(DOCK_LEFT | DOCK_HIDDEN, GetDockState(MonthWindow));
    SlideWindow(MonthWindow, SLIDE_SHOW);
    EXPECT_RECT(ScreenRect(MonthWindow), 0, 100, 350, 350);
    EXPECT_EQ(DOCK_LEFT, GetDockState(MonthWindow));

    // right: the leftmost column stays at the screen's last x
    PlaceWindow(sw - 350, 100);
    SetDockState(MonthWindow, DOCK_RIGHT);
    SlideWindow(MonthWindow, SLIDE_HIDE);
    EXPECT_EQ(sw - 1, ScreenRect(MonthWindow).left);
    EXPECT_EQ(DOCK_RIGHT | DOCK_HIDDEN, GetDockState(MonthWindow));
    SlideWindow(MonthWindow, SLIDE_SHOW);
    EXPECT_EQ(sw - 350, ScreenRect(MonthWindow).left);
    EXPECT_EQ(DOCK_RIGHT, GetDockState(MonthWindow));

    // show from a visible but displaced position seats it flush with its edge
    PlaceWindow(sw - 300, 100);
    SlideWindow(MonthWindow, SLIDE_SHOW);
    EXPECT_EQ(sw - 350, ScreenRect(MonthWindow).left);

    // undocked: nothing moves, nothing changes
    PlaceWindow(300, 300);
    SetDockState(MonthWindow, DOCK_NONE);
    SlideWindow(MonthWindow, SLIDE_HIDE);
    EXPECT_RECT(ScreenRect(MonthWindow), 300, 300, 650, 550);
    EXPECT_EQ(DOCK_NONE, GetDockState(MonthWindow));
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
}

// A desktop of two monitors the test makes up: the real screen, and a second
// one 1280 pixels wide to its right with a taskbar at its top.
ScreenMonitor TestMonitors[2];
int TestMonitorCount;

int ReadTestMonitors(ScreenMonitor *monitors, int max)
{
    int n = TestMonitorCount < max ? TestMonitorCount : max;
    memcpy(monitors, TestMonitors, sizeof(ScreenMonitor) * n);
    return n;
}

struct TwoMonitors {
    int (*saved)(ScreenMonitor *, int);
    TwoMonitors()
    {
        const int32_t sw = ScreenWidth, sh = GetSystemMetrics(SM_CYSCREEN);
        TestMonitors[0] = ScreenMonitor{{0, 0, sw, sh}, {0, 0, sw, sh}, 96};
        TestMonitors[1] = ScreenMonitor{{sw, 0, sw + 1280, 1024}, {sw, 40, sw + 1280, 1024}, 144};
        TestMonitorCount = 2;
        saved = ReadMonitors;
        ReadMonitors = ReadTestMonitors;
    }
    ~TwoMonitors() { ReadMonitors = saved; }
};

TEST_F(MonthViewTest, OnASecondMonitorTheWindowDocksAndSlidesAtThatMonitorsEdges)
{
    TwoMonitors desk;
    const LONG sw = ScreenWidth;
    SetDockState(MonthWindow, DOCK_NONE);
    // across the shared edge: nothing catches it
    RECT r = Rect(sw - 200, 300, sw + 150, 550);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_RECT(r, sw - 200, 300, sw + 150, 550);
    EXPECT_EQ(DOCK_NONE, GetDockState(MonthWindow));

    // the second monitor's top, below its taskbar
    r = Rect(sw + 400, 60, sw + 750, 310);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_RECT(r, sw + 400, 40, sw + 750, 290);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));
    PlaceWindow(r.left, r.top);
    SlideWindow(MonthWindow, SLIDE_HIDE);
    EXPECT_RECT(ScreenRect(MonthWindow), sw + 400, 40 + 1 - 250, sw + 750, 41);
    SlideWindow(MonthWindow, SLIDE_SHOW);
    EXPECT_RECT(ScreenRect(MonthWindow), sw + 400, 40, sw + 750, 290);

    // its far right edge
    SetDockState(MonthWindow, DOCK_NONE);
    r = Rect(sw + 900, 300, sw + 1250, 550);
    SnapWhileMoving(MonthWindow, &r);
    EXPECT_EQ(sw + 1280, r.right);
    EXPECT_EQ(DOCK_RIGHT, GetDockState(MonthWindow));
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
}

TEST_F(MonthViewTest, WhenItsMonitorGoesTheWindowComesBackDockedAtTheTop)
{
    TwoMonitors desk;
    const LONG sw = ScreenWidth;
    PlaceWindow(sw + 900, 300);
    SetDockState(MonthWindow, DOCK_RIGHT);
    SendMessageA(MonthWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(sw, 768));
    EXPECT_EQ(sw + 900, ScreenRect(MonthWindow).left) << "moved while its monitor is there";

    TestMonitorCount = 1;   // unplugged
    SendMessageA(MonthWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(sw, 768));
    EXPECT_RECT(ScreenRect(MonthWindow), sw - 350, 0, sw, 250);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
}

// Moved to a monitor at 150 %: the window takes the place Windows suggests,
// the month is drawn for it, and the toolbar takes its 24-pixel pictures;
// back at 100 % all is as before.
TEST_F(MonthViewTest, ADpiChangeTakesTheSuggestedRectangleAndRedrawsAtThatScale)
{
    ASSERT_NE(nullptr, MonthToolbar);
    auto pictureSize = [] {
        int cx = 0, cy = 0;
        ImageList_GetIconSize((HIMAGELIST)SendMessageA(MonthToolbar, TB_GETIMAGELIST, 0, 0), &cx, &cy);
        return std::to_string(cx) + "x" + std::to_string(cy);
    };
    EXPECT_EQ("16x15", pictureSize());
    RECT wide = Rect(300, 0, 825, 375);
    SendMessageA(MonthWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), (LPARAM)&wide);
    EXPECT_RECT(ScreenRect(MonthWindow), 300, 0, 825, 375);
    EXPECT_EQ(144, MonthDpi);
    EXPECT_EQ(39, HEADER_HEIGHT);
    RECT drawing = DrawingRect();
    EXPECT_RECT(drawing, 0, 0, 525, 375);
    BITMAP canvas = {};
    GetObjectA(CanvasBitmap, sizeof canvas, &canvas);
    EXPECT_EQ(525, canvas.bmWidth);
    EXPECT_EQ("24x23", pictureSize());

    RECT back = Rect(250, 0, 600, 250);
    SendMessageA(MonthWindow, WM_DPICHANGED, MAKEWPARAM(96, 96), (LPARAM)&back);
    EXPECT_RECT(ScreenRect(MonthWindow), 250, 0, 600, 250);
    EXPECT_EQ(26, HEADER_HEIGHT);
    EXPECT_EQ("16x15", pictureSize());
}

TEST_F(MonthViewTest, AutoHideSlidesOnlyWithTheCursorOutsideAndNoWindowActive)
{
    PlaceWindow(250, 0);
    SetDockState(MonthWindow, DOCK_TOP);

    PutCursor(400, 100);   // inside
    DockWindowActive = 0;
    AutoHideCheck(MonthWindow);
    EXPECT_EQ(0, ScreenRect(MonthWindow).top);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));

    PutCursor(800, 600);   // outside, but a docking window is active
    DockWindowActive = 1;
    AutoHideCheck(MonthWindow);
    EXPECT_EQ(0, ScreenRect(MonthWindow).top);

    DockWindowActive = 0;   // outside, nothing active: it goes
    SendMessageA(MonthWindow, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ(-249, ScreenRect(MonthWindow).top);
    EXPECT_EQ(DOCK_TOP | DOCK_HIDDEN, GetDockState(MonthWindow));

    // an undocked window stays where it is
    PlaceWindow(300, 300);
    SetDockState(MonthWindow, DOCK_NONE);
    AutoHideCheck(MonthWindow);
    EXPECT_EQ(300, ScreenRect(MonthWindow).top);
}

}   // namespace
