// The tray icon: the day picture, the calls to the shell, the refreshes and
// the mouse actions that reach the calendar.
#include "small_testutil.h"
#include "dialog_testutil.h"
#include <string.h>
#include "../../app/shell.h"
#include "../../app/tray.h"
#include "../../app/traylook.h"
#include "../../calendar/today.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"
#include "../../store/recordstore.h"
#include "../../records/settings.h"

namespace {

struct TrayTest : SmallWindowsTest {};

// The digits of an icon: the columns they take, how close their strongest
// pixel comes to the day's colour, and how many pixels are the field itself.
// The digits may be drawn smoothed, their edges blended into the field, so a
// pixel counts as ink when it lies more than halfway from the field to the colour.
struct Ink {
    int left = 99, right = -1;
    double strongest = 0;
    int field = 0;
    int width() const { return right - left + 1; }
};

double Towards(COLORREF p, COLORREF field, COLORREF colour)
{
    const int d[3] = {GetRValue(colour) - GetRValue(field), GetGValue(colour) - GetGValue(field),
                      GetBValue(colour) - GetBValue(field)};
    const int q[3] = {GetRValue(p) - GetRValue(field), GetGValue(p) - GetGValue(field),
                      GetBValue(p) - GetBValue(field)};
    double dot = 0, length = 0;
    for (int c = 0; c < 3; c++) {
        dot += (double)q[c] * d[c];
        length += (double)d[c] * d[c];
    }
    return length ? dot / length : 0;
}

Ink InkOf(const TrayCall &icon, COLORREF field, COLORREF colour)
{
    Ink ink;
    for (int y = 0; y < icon.height; y++)
        for (int x = 0; x < icon.width; x++) {
            COLORREF c = icon.pixels[(size_t)y * icon.width + x];
            double t = Towards(c, field, colour);
            ink.field += c == field;
            if (t > ink.strongest)
                ink.strongest = t;
            if (t > 0.5) {
                ink.left = x < ink.left ? x : ink.left;
                ink.right = x > ink.right ? x : ink.right;
            }
        }
    return ink;
}

// The picture shows the day's colour on its inverse: most pixels are exactly
// the field, and the digits come close to the colour.
void ExpectPictureIn(const TrayCall &icon, COLORREF colour)
{
    Ink ink = InkOf(icon, TrayFieldColour(colour), colour);
    EXPECT_GT(ink.field, 256 / 2) << std::hex << colour;
    EXPECT_GT(ink.strongest, 0.75) << std::hex << colour;
}

TrayCall DayIcon(int day, COLORREF colour, int size = 0)
{
    TrayCall picture = {};
    HICON icon = size ? MakeDayIconSized(MonthWindow, day, colour, size) : MakeDayIcon(MonthWindow, day, colour);
    EXPECT_NE(nullptr, icon);
    if (icon) {
        ReadIconPicture(icon, &picture);
        DestroyIcon(icon);
    }
    return picture;
}

TEST_F(TrayTest, TheDayIconShowsOneOrTwoDigitsCentredOnTheInverseField)
{
    const COLORREF colour = RGB(255, 255, 0), field = RGB(0, 0, 255);
    const struct {
        int day, digits;
    } days[] = {{1, 1}, {7, 1}, {9, 1}, {10, 2}, {23, 2}, {31, 2}};
    for (const auto &d : days) {
        SCOPED_TRACE(d.day);
        TrayCall icon = DayIcon(d.day, colour);
        ASSERT_EQ(16, icon.width);
        ASSERT_EQ(16, icon.height);
        for (int t : icon.transparent)
            ASSERT_EQ(0, t) << "the whole icon is opaque";
        ExpectPictureIn(icon, colour);
        Ink ink = InkOf(icon, field, colour);
        if (d.digits == 1)
            EXPECT_LE(ink.width(), 6) << ink.left << ".." << ink.right;
        else
            EXPECT_GE(ink.width(), 7) << ink.left << ".." << ink.right;
        // centred by the text's advance, not its ink: the face's side bearings
        // leave the margins a few pixels apart, never the whole field on one side
        EXPECT_LE(abs(ink.left - (15 - ink.right)), 3) << ink.left << ".." << ink.right;
    }
}

// The small-icon size of a scaled display: the digits grow with the icon
// instead of staying 16-pixel digits in its middle.
TEST_F(TrayTest, TheDigitsGrowWithALargerIcon)
{
    const COLORREF colour = RGB(255, 255, 0), field = RGB(0, 0, 255);
    for (int size : {24, 32}) {
        SCOPED_TRACE(size);
        TrayCall icon = DayIcon(23, colour, size);
        ASSERT_EQ(size, icon.width);
        ExpectPictureIn(icon, colour);
        Ink ink = InkOf(icon, field, colour);
        EXPECT_GE(ink.width(), size / 2) << ink.left << ".." << ink.right;
        EXPECT_LE(abs(ink.left - (size - 1 - ink.right)), size / 5) << ink.left << ".." << ink.right;
    }
}

TEST_F(TrayTest, TodaysPictureAndTipFollowTheMarkTheHolidayAndTheWeekend)
{
    // start-up: the program icon first, then today's picture
    ASSERT_GE(TrayCalls.size(), 2u);
    EXPECT_EQ((DWORD)NIM_ADD, TrayCalls[0].message);
    EXPECT_TRUE(TrayCalls[0].hasIcon);
    EXPECT_EQ("", TrayCalls[0].tip);
    EXPECT_EQ((DWORD)NIM_MODIFY, TrayCalls[1].message);
    for (const TrayCall &call : TrayCalls) {
        EXPECT_EQ((DWORD)NOTIFYICONDATAW_V1_SIZE, call.size);
        EXPECT_EQ(MonthWindow, call.window);
        EXPECT_EQ(0u, call.id);
        EXPECT_EQ((UINT)(NIF_MESSAGE | NIF_ICON | NIF_TIP), call.flags);
        EXPECT_EQ((UINT)WM_TRAYICON, call.callback);
    }

    // 1 January 2023 is a Sunday and 元旦: the holiday colour wins over the weekend
    ASSERT_EQ(PACK_DATE(2023, 1, 1), TodayDate.date);
    const TrayCall *today = LastTrayCall(NIM_MODIFY);
    EXPECT_EQ("公元2023年1月1日 星期日 \n农历 腊月初十\n节日：元旦 \n放假：元旦 ", today->tip);
    ExpectPictureIn(*today, Settings.colorHoliday);

    // marked: the mark colour wins over both
    StoreItem *note = StoreAddItem(&DayNoteStore->root, TodayDate.date);
    ASSERT_NE(nullptr, note);
    StoreSetUserValue(note, 1);
    UpdateTrayIcon(MonthWindow, TodayDate.date);
    ExpectPictureIn(*LastTrayCall(NIM_MODIFY), Settings.colorMark);

    // an ordinary Sunday and an ordinary Tuesday
    UpdateTrayIcon(MonthWindow, PACK_DATE(2023, 1, 15));
    ExpectPictureIn(*LastTrayCall(NIM_MODIFY), Settings.colorWeekend);
    UpdateTrayIcon(MonthWindow, PACK_DATE(2023, 1, 17));
    ExpectPictureIn(*LastTrayCall(NIM_MODIFY), Settings.colorDefault);
    EXPECT_GE(InkOf(*LastTrayCall(NIM_MODIFY), TrayFieldColour(Settings.colorDefault), Settings.colorDefault)
                  .width(),
              7);
    EXPECT_EQ("公元2023年1月17日 星期二 \n农历 腊月廿六", LastTrayCall(NIM_MODIFY)->tip);
}

// Correction: the icon is never lost and never shows yesterday.
TEST_F(TrayTest, ANewTaskbarGetsTheIconAgainAndMidnightRefreshesIt)
{
    ASSERT_NE(0u, TaskbarCreatedMessage);
    EXPECT_EQ(TaskbarCreatedMessage, RegisterWindowMessageA("TaskbarCreated"));
    TrayCalls.clear();
    SendMessageA(MonthWindow, TaskbarCreatedMessage, 0, 0);
    ASSERT_EQ(2u, TrayCalls.size());
    EXPECT_EQ((DWORD)NIM_ADD, TrayCalls[0].message);
    EXPECT_EQ((DWORD)NIM_MODIFY, TrayCalls[1].message);
    EXPECT_EQ(0u, TrayCalls[1].tip.find("公元2023年1月1日 星期日"));

    // past midnight the clock tick's date check brings the new day into the icon
    TrayCalls.clear();
    SetTestClock(2023, 1, 2, 0, 0, 1);
    EXPECT_EQ(1, CheckDateChange(MonthWindow));
    const TrayCall *today = LastTrayCall(NIM_MODIFY);
    ASSERT_NE(nullptr, today);
    EXPECT_EQ(0u, today->tip.find("公元2023年1月2日 星期一"));
    // a Monday off, the end of the 元旦 days off: the holiday colour
    ExpectPictureIn(*today, Settings.colorHoliday);

    // the end of the program takes the icon away
    TrayCalls.clear();
    StopProgram();
    ASSERT_EQ(1u, TrayCalls.size());
    EXPECT_EQ((DWORD)NIM_DELETE, TrayCalls[0].message);
    EXPECT_FALSE(TrayCalls[0].hasIcon);
    EXPECT_EQ("", TrayCalls[0].tip);
    EXPECT_EQ((UINT)(NIF_MESSAGE | NIF_ICON | NIF_TIP), TrayCalls[0].flags);
}

TEST_F(TrayTest, TheMouseOnTheIconReachesTheCalendar)
{
    auto Mouse = [](UINT message) { return SendMessageA(MonthWindow, WM_TRAYICON, 0, message); };
    // slid away at the top edge: a click brings it back
    SlideWindow(MonthWindow, SLIDE_HIDE);
    ASSERT_EQ(DOCK_TOP | DOCK_HIDDEN, GetDockState(MonthWindow));
    EXPECT_EQ(0, Mouse(WM_MOUSEMOVE));
    EXPECT_EQ(0, Mouse(WM_LBUTTONDOWN));
    EXPECT_EQ(DOCK_TOP | DOCK_HIDDEN, GetDockState(MonthWindow)) << "the press alone does not slide";
    EXPECT_EQ(0, Mouse(WM_LBUTTONUP));
    RECT r;
    GetWindowRect(MonthWindow, &r);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(DOCK_TOP, GetDockState(MonthWindow));
    KillTimer(MonthWindow, TIMER_AUTOHIDE);

    // the right button opens the popup menu at its release
    MenuCloser menu;
    EXPECT_EQ(0, Mouse(WM_RBUTTONDOWN));
    EXPECT_EQ(0, menu.wasOpen);
    EXPECT_EQ(0, Mouse(WM_RBUTTONUP));
    EXPECT_EQ(1, menu.wasOpen);
}

}   // namespace
