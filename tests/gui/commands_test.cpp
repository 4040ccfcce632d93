// The popup menu resource and the commands of the toolbar and the menu.
#include <gtest/gtest.h>
#include <string.h>
#include "fixture.h"
#include "dialog_testutil.h"
#include "../../app/shell.h"
#include "../../calendar/calendar.h"
#include "../../calendar/today.h"
#include "../../resources/resource.h"
#include "../../monthview/monthview.h"
#include "../../store/config.h"

TEST(PopupMenu, HoldsTheItemsInOrderWithTheirTextsAndIds)
{
    struct Item {
        UINT id;
        const char *text;
    };
    const Item items[] = {
        {IDM_DATE_INFO, "详细信息..."},
        {IDM_STICKY_NOTE, "记事贴..."},
        {0, nullptr},
        {IDM_SETTINGS, "系统设置..."},
        {IDM_HOLIDAYS, "节日设置..."},
        {IDM_OFFDAYS, "放假调休..."},
        {IDM_REMINDERS, "提醒设置..."},
        {0, nullptr},
        {IDM_ABOUT, "关于..."},
        {IDM_EXIT, "退出"},
    };
    HMENU menu = LoadMenuA(GetModuleHandleA(0), MAKEINTRESOURCEA(IDR_POPUP_MENU));
    ASSERT_NE(nullptr, menu);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, popup);
    ASSERT_EQ(10, GetMenuItemCount(popup));
    for (int i = 0; i < 10; i++) {
        SCOPED_TRACE(i);
        UINT state = GetMenuState(popup, (UINT)i, MF_BYPOSITION);
        if (!items[i].text) {
            EXPECT_TRUE(state & MF_SEPARATOR);
            continue;
        }
        EXPECT_FALSE(state & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP));
        EXPECT_EQ(items[i].id, GetMenuItemID(popup, i));
        char text[64] = "";
        GetMenuStringA(popup, (UINT)i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(items[i].text, text);
    }
    DestroyMenu(menu);
}

namespace {

struct Commands : ProgramTest {};

// The date shown after one command from a given shown date.
PackedDate After(PackedDate shown, int id)
{
    ShownDate = shown;
    EXPECT_EQ(0, OnMonthCommand(MonthWindow, id, 0, 0));
    return ShownDate;
}

}   // namespace

// One command from a shown date: the day is clamped to the new month, the
// year steps keep the day and roll the leap day over, and today comes back
// from any month.
TEST_F(Commands, NavigationFromTheShownDate)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    const PackedDate today = TodayDate.date;
    const struct {
        PackedDate shown;
        int command;
        PackedDate expected;
    } steps[] = {
        {PACK_DATE(2004, 1, 31), IDM_NEXT_MONTH, PACK_DATE(2004, 2, 29)},
        {PACK_DATE(2005, 1, 31), IDM_NEXT_MONTH, PACK_DATE(2005, 2, 28)},
        {PACK_DATE(2000, 1, 31), IDM_NEXT_MONTH, PACK_DATE(2000, 2, 29)},
        {PACK_DATE(2100, 1, 30), IDM_NEXT_MONTH, PACK_DATE(2100, 2, 28)},
        {PACK_DATE(2004, 5, 31), IDM_NEXT_MONTH, PACK_DATE(2004, 6, 30)},
        {PACK_DATE(2004, 3, 31), IDM_PREV_MONTH, PACK_DATE(2004, 2, 29)},
        {PACK_DATE(2004, 5, 31), IDM_PREV_MONTH, PACK_DATE(2004, 4, 30)},
        {PACK_DATE(2004, 2, 15), IDM_NEXT_MONTH, PACK_DATE(2004, 3, 15)},
        // across the year's end
        {PACK_DATE(2004, 1, 15), IDM_PREV_MONTH, PACK_DATE(2003, 12, 15)},
        {PACK_DATE(2004, 1, 31), IDM_PREV_MONTH, PACK_DATE(2003, 12, 31)},
        {PACK_DATE(2004, 12, 31), IDM_NEXT_MONTH, PACK_DATE(2005, 1, 31)},
        {PACK_DATE(2004, 12, 1), IDM_NEXT_MONTH, PACK_DATE(2005, 1, 1)},
        // a year at a time
        {PACK_DATE(2004, 2, 29), IDM_PREV_YEAR, PACK_DATE(2003, 3, 1)},
        {PACK_DATE(2004, 2, 29), IDM_NEXT_YEAR, PACK_DATE(2005, 3, 1)},
        {PACK_DATE(2007, 2, 28), IDM_NEXT_YEAR, PACK_DATE(2008, 2, 28)},
        {PACK_DATE(2010, 7, 20), IDM_NEXT_YEAR, PACK_DATE(2011, 7, 20)},
        {PACK_DATE(2010, 7, 20), IDM_PREV_YEAR, PACK_DATE(2009, 7, 20)},
        {PACK_DATE(1999, 7, 4), IDM_TODAY, today},
        {PACK_DATE(2050, 12, 31), IDM_TODAY, today},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << step.shown << " command " << std::dec << step.command);
        EXPECT_EQ(step.expected, After(step.shown, step.command));
    }
}

TEST_F(Commands, ReachTheWindowAsWmCommand)
{
    // the toolbar's and the menu's path: WM_COMMAND through the window procedure
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    ShownDate = PACK_DATE(2004, 1, 31);
    EXPECT_EQ(0, SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_NEXT_MONTH, 0), 0));
    EXPECT_EQ(PACK_DATE(2004, 2, 29), ShownDate);
    SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_TODAY, 0), 0);
    EXPECT_EQ(TodayDate.date, ShownDate);
}

TEST_F(Commands, DialogCommandsAndUnknownIdsLeaveTheProgramRunning)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    const int ids[] = {IDM_ABOUT,     IDM_STICKY_NOTE, IDM_DATE_INFO, IDM_HOLIDAYS,
                       IDM_REMINDERS, IDM_SETTINGS,    12345};
    ShownDate = PACK_DATE(2004, 5, 6);
    DialogCanceller closesEachDialog;
    for (int id : ids) {
        SCOPED_TRACE(id);
        EXPECT_EQ(0, OnMonthCommand(MonthWindow, id, 0, 0));
        EXPECT_TRUE(IsWindow(MonthWindow));
        EXPECT_EQ(PACK_DATE(2004, 5, 6), ShownDate);
    }
    EXPECT_EQ(0, ConfigChanged);
}

TEST_F(Commands, ExitEndsTheProgramWithoutAQuestion)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    HWND window = MonthWindow;
    EXPECT_NE(0, OnMonthCommand(window, IDM_EXIT, 0, 0));
    EXPECT_FALSE(IsWindow(window));
    PumpMessages(20);
    EXPECT_TRUE(QuitMessageSeen());
}

TEST_F(Commands, ThePopupMenuOpensAtTheCursorAndReturnsWhenClosed)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    SetForegroundWindow(MonthWindow);
    POINT cursor = {400, 100};
    SetCursorPos(cursor.x, cursor.y);
    MenuCloser menu;
    ASSERT_NE(0u, menu.timer);
    DWORD start = GetTickCount();
    EXPECT_EQ(0, ShowPopupMenu(MonthWindow));
    EXPECT_EQ(1, menu.wasOpen);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(IsWindow(MonthWindow));
}

// Another program's window in front: the menu takes the calendar to the
// foreground while it tracks, and the benign message after it lets the next
// menu track normally.
TEST_F(Commands, ThePopupMenuTracksWithTheCalendarInTheForeground)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 400, 100, 50, 0, 0,
                                 GetModuleHandleA(0), 0);
    ASSERT_NE(nullptr, other);
    SetForegroundWindow(other);
    ASSERT_EQ(other, GetForegroundWindow());
    SetCursorPos(400, 100);
    {
        MenuCloser menu;
        ASSERT_NE(0u, menu.timer);
        EXPECT_EQ(0, ShowPopupMenu(MonthWindow));
        EXPECT_EQ(1, menu.wasOpen);
        EXPECT_EQ(MonthWindow, menu.foreground);
    }
    // (a filter of WM_NULL to WM_NULL would take any message)
    int benign = 0;
    MSG m;
    for (int i = 0; i < 100 && PeekMessageA(&m, MonthWindow, 0, 0, PM_REMOVE); i++) {
        if (m.message == WM_NULL)
            benign++;
        else
            DispatchMessageA(&m);
    }
    EXPECT_EQ(1, benign);
    DestroyWindow(other);
}
