// The navigation toolbar: its buttons, tips and showing and hiding.
#include <stdlib.h>
#include <string.h>
#include "monthview_testutil.h"
#include "../../calendar/calendar.h"
#include "../../calendar/today.h"

namespace {

// The tip of one button, through the notification the month window gets.
std::string Tip(UINT_PTR id, int *result = nullptr)
{
    NMTTDISPINFOW info = {};
    info.hdr.idFrom = id;
    info.hdr.code = TTN_NEEDTEXTW;
    info.lpszText = info.szText;
    int r = ToolbarTipText(&info);
    if (result)
        *result = r;
    if (!info.lpszText)
        return "<null>";
    char *gbk = GbkFromWide(info.lpszText);
    std::string tip = gbk ? gbk : "";
    free(gbk);
    return tip;
}

TEST_F(MonthViewTest, ToolbarHasTheSevenButtonsOverTheWeekdayColumns)
{
    ASSERT_NE(nullptr, MonthToolbar);
    EXPECT_EQ(IDC_TOOLBAR, GetDlgCtrlID(MonthToolbar));
    EXPECT_EQ(MonthWindow, GetParent(MonthToolbar));
    const int ids[7] = {IDM_PREV_YEAR, IDM_NEXT_YEAR, IDM_PREV_MONTH, IDM_NEXT_MONTH,
                        IDM_TODAY,     IDM_SETTINGS,  IDM_EXIT};
    ASSERT_EQ(7, (int)SendMessageA(MonthToolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < 7; i++) {
        TBBUTTON button = {};
        SendMessageA(MonthToolbar, TB_GETBUTTON, i, (LPARAM)&button);
        EXPECT_EQ(ids[i], button.idCommand);
        EXPECT_EQ(i, button.iBitmap);
        RECT r = {};
        SendMessageA(MonthToolbar, TB_GETITEMRECT, i, (LPARAM)&r);
        EXPECT_EQ(50 * i, r.left) << i;
        EXPECT_EQ(50, r.right - r.left) << i;
        EXPECT_EQ(26, r.bottom - r.top) << i;
    }
    EXPECT_FALSE(IsWindowVisible(MonthToolbar));
}

TEST_F(MonthViewTest, NavigationTipsWrapAroundTheYear)
{
    ShownDate = PACK_DATE(2015, 1, 31);
    EXPECT_EQ(" 上一年\n2014年1月", Tip(IDM_PREV_YEAR));
    EXPECT_EQ(" 下一年\n2016年1月", Tip(IDM_NEXT_YEAR));
    EXPECT_EQ(" 上一月\n2014年12月", Tip(IDM_PREV_MONTH));
    EXPECT_EQ(" 下一月\n2015年2月", Tip(IDM_NEXT_MONTH));
    ShownDate = PACK_DATE(2015, 12, 1);
    EXPECT_EQ(" 上一月\n2015年11月", Tip(IDM_PREV_MONTH));
    EXPECT_EQ(" 下一月\n2016年1月", Tip(IDM_NEXT_MONTH));
    EXPECT_EQ(" 上一年\n2014年12月", Tip(IDM_PREV_YEAR));
}

TEST_F(MonthViewTest, TodayTipShowsTodayNotTheShownDate)
{
    ShownDate = PACK_DATE(2015, 1, 31);
    TodayDate.date = PACK_DATE(2020, 2, 29);
    EXPECT_EQ("    今日\n2020年2月29日", Tip(IDM_TODAY));
}

TEST_F(MonthViewTest, ConstantTipsAndUnknownIds)
{
    int result = -1;
    EXPECT_EQ("设置", Tip(IDM_SETTINGS, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ("退出", Tip(IDM_EXIT, &result));
    EXPECT_EQ(1, result);
    Tip(IDM_DATE_INFO, &result);
    EXPECT_EQ(0, result);
    // the month window answers the toolbar tooltip's request with the same text
    ShownDate = PACK_DATE(2015, 1, 31);
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = (HWND)(INT_PTR)0x1234;   // neither the tooltip nor the toolbar
    info.hdr.idFrom = IDM_PREV_MONTH;
    info.hdr.code = TTN_NEEDTEXTW;
    EXPECT_EQ(1, (int)SendMessageW(MonthWindow, WM_NOTIFY, IDM_PREV_MONTH, (LPARAM)&info));
    char *tip = GbkFromWide(info.lpszText);
    EXPECT_STREQ(" 上一月\n2014年12月", tip);
    free(tip);
}

TEST_F(MonthViewTest, MouseInTheTopBandShowsTheToolbarAndLeavingHidesIt)
{
    ASSERT_NE(nullptr, MonthToolbar);
    ShowWindow(MonthToolbar, SW_HIDE);
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100, 26));
    EXPECT_FALSE(IsWindowVisible(MonthToolbar));
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100, 25));
    EXPECT_TRUE(IsWindowVisible(MonthToolbar));
    SendMessageA(MonthToolbar, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(MonthToolbar));
}

// A click that comes with the move showing the toolbar hits no button: "二"
// (the previous month) acts only once the toolbar has been shown a moment.
TEST_F(MonthViewTest, TheToolbarsButtonsActOnlyOnceItHasBeenSeen)
{
    ASSERT_NE(nullptr, MonthToolbar);
    RECT r = DrawingRect();
    DrawMonth(MonthWindow, MemoryDC, PACK_DATE(2026, 5, 13), &r);
    ShowWindow(MonthToolbar, SW_HIDE);
    auto clickTwo = []() {
        const LPARAM at = MAKELPARAM(2 * 50 + 25, 10);
        SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(2 * 50 + 25, 10));
        SendMessageA(MonthToolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(MonthToolbar, WM_LBUTTONUP, 0, at);
    };
    clickTwo();
    ASSERT_TRUE(IsWindowVisible(MonthToolbar));
    EXPECT_EQ(PACK_DATE(2026, 5, 13), ShownDate);
    SendMessageA(MonthToolbar, WM_TIMER, TIMER_TOOLBAR_ARM, 0);   // the moment has passed
    clickTwo();
    EXPECT_EQ(PACK_DATE(2026, 4, 13), ShownDate);
    // hidden and shown again: not yet seen
    SendMessageA(MonthToolbar, WM_MOUSELEAVE, 0, 0);
    clickTwo();
    EXPECT_EQ(PACK_DATE(2026, 4, 13), ShownDate);
    KillTimer(MonthToolbar, TIMER_TOOLBAR_ARM);
    PumpMessages(0);
}

// Where the month window's client point (x, y) is on the screen.
POINT OnScreen(int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(MonthWindow, &p);
    return p;
}

TEST_F(MonthViewTest, AMoveInTheGridHidesTheToolbar)
{
    ASSERT_NE(nullptr, MonthToolbar);
    POINT band = OnScreen(100, 10);
    SetCursorPos(band.x, band.y);
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100, 10));
    PumpMessages(50);
    ASSERT_TRUE(IsWindowVisible(MonthToolbar));   // the mouse is over it: no leave notice
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100, 26));
    EXPECT_FALSE(IsWindowVisible(MonthToolbar));
    // and a move in the grid with the toolbar hidden changes nothing
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100, 120));
    EXPECT_FALSE(IsWindowVisible(MonthToolbar));
}

// The mouse crossed the band in one motion event and is already below it: the
// toolbar is shown but never sees the mouse, and still hears that it left.
TEST_F(MonthViewTest, AToolbarShownAfterTheMouseHasGoneHidesItself)
{
    ASSERT_NE(nullptr, MonthToolbar);
    POINT grid = OnScreen(100, 150);
    SetCursorPos(grid.x, grid.y);
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100, 20));
    EXPECT_TRUE(IsWindowVisible(MonthToolbar));
    for (int waited = 0; waited < 1000 && IsWindowVisible(MonthToolbar); waited += 20)
        PumpMessages(20);
    EXPECT_FALSE(IsWindowVisible(MonthToolbar));
}

TEST_F(MonthViewTest, TheToolbarTipsShowWithoutTheCalendarBeingActive)
{
    ASSERT_NE(nullptr, MonthToolbar);
    HWND tips = (HWND)SendMessageA(MonthToolbar, TB_GETTOOLTIPS, 0, 0);
    ASSERT_NE(nullptr, tips);
    EXPECT_TRUE(GetWindowLongPtrA(tips, GWL_STYLE) & TTS_ALWAYSTIP);
    // the tips stay the toolbar's: one tool per button
    EXPECT_EQ(7, (int)SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0));
}

TEST_F(MonthViewTest, MouseOverASlidAwayWindowSlidesItInFirst)
{
    ASSERT_EQ(DOCK_TOP, GetDockState(MonthWindow));
    SlideWindow(MonthWindow, SLIDE_HIDE);
    ASSERT_EQ(-249, ScreenRect(MonthWindow).top);
    ShowWindow(MonthToolbar, SW_HIDE);
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100, 249));
    EXPECT_EQ(0, ScreenRect(MonthWindow).top);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));
    EXPECT_FALSE(IsWindowVisible(MonthToolbar));   // only on a later move
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
}

TEST_F(MonthViewTest, ActivationIsSharedThroughDockWindowActive)
{
    SendMessageA(MonthWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(1, DockWindowActive);
    SendMessageA(MonthWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(0, DockWindowActive);
    SendMessageA(MonthWindow, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(1, DockWindowActive);
    DockWindowActive = 0;
}

}   // namespace
