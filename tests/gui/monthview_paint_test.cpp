// The month grid: its cells, the per-day tools and the colours painted into
// MemoryDC.
#include <string.h>
#include <wchar.h>
#include "monthview_testutil.h"
#include "dialog_testutil.h"
#include "../../calendar/calendar.h"
#include "../../calendar/daytext.h"
#include "../../store/recordstore.h"

namespace {

const UINT_PTR HIGH_BIT = 0x80000000u;

void Draw(PackedDate date)
{
    RECT r = DrawingRect();
    DrawMonth(MonthWindow, MemoryDC, date, &r);
}

int ToolCount() { return (int)SendMessageA(MonthTooltip, TTM_GETTOOLCOUNT, 0, 0); }

TTTOOLINFOA Tool(int index)
{
    TTTOOLINFOA tool = {};
    tool.cbSize = MONTH_TOOLINFO_SIZE;
    SendMessageA(MonthTooltip, TTM_ENUMTOOLSA, index, (LPARAM)&tool);
    return tool;
}

// The cell of the k-th grid position (0 = first column of the first row).
RECT Cell(int k, int cellH)
{
    const int colW = 50;
    return Rect(k % 7 * colW, 26 + k / 7 * cellH, k % 7 * colW + colW, 26 + k / 7 * cellH + cellH);
}

int CountPixels(RECT box, COLORREF colour)
{
    int n = 0;
    for (int y = box.top; y < box.bottom; y++)
        for (int x = box.left; x < box.right; x++)
            n += GetPixel(MemoryDC, x, y) == colour;
    return n;
}

// One tool per day, in day order, with its cell and the packed date | bit 31.
void ExpectDayTools(int year, int month, int first, int days, int cellH)
{
    ASSERT_EQ(days, ToolCount());
    for (int i = 0; i < days; i++) {
        TTTOOLINFOA tool = Tool(i);
        int day = (int)(tool.uId & 0xFF);
        ASSERT_GE(day, 1);
        EXPECT_EQ((UINT_PTR)PACK_DATE(year, month, day) | HIGH_BIT, tool.uId);
        EXPECT_EQ(MonthWindow, tool.hwnd);
        EXPECT_RECT(tool.rect, Cell(first + day - 1, cellH).left, Cell(first + day - 1, cellH).top,
                    Cell(first + day - 1, cellH).right, Cell(first + day - 1, cellH).bottom);
    }
}

TEST_F(MonthViewTest, RowsAndCellSizesFollowTheMonth)
{
    RECT r = DrawingRect();
    ASSERT_EQ(350, r.right);
    ASSERT_EQ(250, r.bottom);

    // February 2015 starts on a Sunday: 4 rows of (250 - 26) / 4 = 56
    Draw(PACK_DATE(2015, 2, 10));
    EXPECT_EQ(PACK_DATE(2015, 2, 10), ShownDate);
    ExpectDayTools(2015, 2, 0, 28, 56);

    // August 2015 starts on a Saturday and has 31 days: 6 rows of 37
    Draw(PACK_DATE(2015, 8, 1));
    ExpectDayTools(2015, 8, 6, 31, 37);

    // 5 rows: January 2023 starts on a Sunday, 31 days, rows of 44
    Draw(PACK_DATE(2023, 1, 1));
    ExpectDayTools(2023, 1, 0, 31, 44);
}

TEST_F(MonthViewTest, DrawingWithoutAWindowLeavesTheToolsAlone)
{
    Draw(PACK_DATE(2015, 2, 10));
    RECT r = DrawingRect();
    DrawMonth(NULL, MemoryDC, PACK_DATE(2015, 8, 3), &r);
    EXPECT_EQ(PACK_DATE(2015, 8, 3), ShownDate);
    EXPECT_EQ(28, ToolCount());
    EXPECT_EQ((UINT_PTR)PACK_DATE(2015, 2, 1) | HIGH_BIT, Tool(0).uId);
}

TEST_F(MonthViewTest, DateZeroRedrawsTheShownDateAndDaysBeyondTheMonthRollOver)
{
    Draw(PACK_DATE(2004, 2, 29));
    Draw(0);
    EXPECT_EQ(PACK_DATE(2004, 2, 29), ShownDate);
    Draw(PACK_DATE(2005, 2, 29));
    EXPECT_EQ(PACK_DATE(2005, 3, 1), ShownDate);
    EXPECT_EQ((UINT_PTR)PACK_DATE(2005, 3, 1) | HIGH_BIT, Tool(0).uId);
    Draw(PACK_DATE(2004, 13, 31));
    EXPECT_EQ(PACK_DATE(2005, 1, 31), ShownDate);
}

TEST_F(MonthViewTest, EachDayToolCarriesTheDayDescription)
{
    Draw(PACK_DATE(2015, 2, 19));   // the lunar new year, with its solar term and holiday lines
    // read back in UTF-16: the ANSI query is cut at 80 bytes, the tip itself is not
    TTTOOLINFOW tool = {};
    WCHAR text[1000] = L"";
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = MonthWindow;
    tool.uId = (UINT_PTR)PACK_DATE(2015, 2, 19) | HIGH_BIT;
    tool.lpszText = text;
    SendMessageW(MonthTooltip, TTM_GETTEXTW, 1000, (LPARAM)&tool);
    WCHAR expected[1000] = L"";
    MultiByteToWideChar(936, 0, DayText(PACK_DATE(2015, 2, 19), 0x17 | DAYTEXT_TERMS), -1, expected, 1000);
    EXPECT_GT(wcslen(expected), 40u);
    EXPECT_EQ(0, wcscmp(expected, text));
}

// The month window hands its mouse messages to the tooltip, which shows the tip
// of the day under the resting cursor after its initial delay.
TEST_F(MonthViewTest, RestingTheMouseOnADayShowsItsTip)
{
    Draw(PACK_DATE(2015, 8, 1));   // first = 6, 31 days, cells 50 x 37
    RECT c = Cell(6 + 15 - 1, 37);
    POINT centre = {(c.left + c.right) / 2, (c.top + c.bottom) / 2};
    POINT screen = centre;
    ClientToScreen(MonthWindow, &screen);
    SetCursorPos(screen.x, screen.y);
    PumpMessages(50);
    EXPECT_FALSE(IsWindowVisible(MonthTooltip));
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    for (int waited = 0; waited < 3000 && !IsWindowVisible(MonthTooltip); waited += 50)
        PumpMessages(50);
    ASSERT_TRUE(IsWindowVisible(MonthTooltip));
    TTTOOLINFOA tool = {};
    tool.cbSize = MONTH_TOOLINFO_SIZE;
    ASSERT_TRUE(SendMessageA(MonthTooltip, TTM_GETCURRENTTOOLA, 0, (LPARAM)&tool));
    EXPECT_EQ((UINT_PTR)PACK_DATE(2015, 8, 15) | HIGH_BIT, tool.uId);

    // a button press over the day takes the tip away, as it does for any tooltip
    // (the middle button: the others select, drag or open the menu)
    SendMessageA(MonthWindow, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(centre.x, centre.y));
    PumpMessages(50);
    EXPECT_FALSE(IsWindowVisible(MonthTooltip));
}

TEST_F(MonthViewTest, HitTestFindsEveryDayAndNothingElse)
{
    Draw(PACK_DATE(2015, 8, 1));   // first = 6, 31 days, cells 50 x 37
    for (int day = 1; day <= 31; day++) {
        RECT c = Cell(6 + day - 1, 37);
        LPARAM centre = MAKELPARAM((c.left + c.right) / 2, (c.top + c.bottom) / 2);
        EXPECT_EQ(PACK_DATE(2015, 8, day), DayAtPoint(MonthWindow, centre)) << day;
        // the cell's corners belong to it too (right and bottom exclusive)
        EXPECT_EQ(PACK_DATE(2015, 8, day), DayAtPoint(MonthWindow, MAKELPARAM(c.left, c.top)));
        EXPECT_EQ(PACK_DATE(2015, 8, day), DayAtPoint(MonthWindow, MAKELPARAM(c.right - 1, c.bottom - 1)));
    }
    EXPECT_EQ(0, DayAtPoint(MonthWindow, MAKELPARAM(25, 10)));   // weekday band
    EXPECT_EQ(0, DayAtPoint(MonthWindow, MAKELPARAM(325, 25)));
    EXPECT_EQ(0, DayAtPoint(MonthWindow, MAKELPARAM(25, 44)));   // empty cells before the 1st
    EXPECT_EQ(0, DayAtPoint(MonthWindow, MAKELPARAM(275, 44)));
    EXPECT_EQ(0, DayAtPoint(MonthWindow, MAKELPARAM(125, 230)));   // and after the 31st
    EXPECT_EQ(0, DayAtPoint(MonthWindow, MAKELPARAM(75, 248)));    // the margin under the grid
}

TEST_F(MonthViewTest, RightButtonAndDoubleClickOnADaySelectIt)
{
    Draw(PACK_DATE(2015, 8, 1));
    RECT c = Cell(6 + 20 - 1, 37);
    SendMessageA(MonthWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(c.left + 5, c.top + 5));
    EXPECT_EQ(PACK_DATE(2015, 8, 20), ShownDate);
    SendMessageA(MonthWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(25, 44));   // empty cell
    EXPECT_EQ(PACK_DATE(2015, 8, 20), ShownDate);
    // a double click on a day selects it too (before its information opens)
    DialogCanceller closesTheDialog;
    c = Cell(6 + 3 - 1, 37);
    SendMessageA(MonthWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(c.left + 5, c.top + 5));
    EXPECT_EQ(PACK_DATE(2015, 8, 3), ShownDate);
    SendMessageA(MonthWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(75, 248));   // margin
    EXPECT_EQ(PACK_DATE(2015, 8, 3), ShownDate);
}

TEST_F(MonthViewTest, BackgroundBevelAndShadow)
{
    // background 0xFF8080: red and green 128, blue 255
    ASSERT_EQ(0xFF8080u, Settings.colorBackground);
    Draw(PACK_DATE(2015, 8, 10));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(MemoryDC, 10, 0));   // the first bevel line
    // five sixths of the way: 255 - 5 * 21.166667 truncated
    EXPECT_EQ(RGB(149, 149, 255), GetPixel(MemoryDC, 10, 5));
    EXPECT_EQ(Settings.colorBackground, GetPixel(MemoryDC, 10, 6));
    // the shadow's darkest line, 2 * (C / 3), lies on the band's lower edge
    EXPECT_EQ(RGB(84, 84, 170), GetPixel(MemoryDC, 10, 26));
    EXPECT_EQ(Settings.colorBackground, GetPixel(MemoryDC, 10, 20));
    // an empty cell stays background
    EXPECT_EQ(Settings.colorBackground, GetPixel(MemoryDC, 25, 44));
    // and so does the background copy the toolbar paints with
    HDC dc = CreateCompatibleDC(MemoryDC);
    HGDIOBJ old = SelectObject(dc, BackgroundBitmap);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 100, 0));
    EXPECT_EQ(RGB(84, 84, 170), GetPixel(dc, 100, 26));
    EXPECT_EQ(Settings.colorBackground, GetPixel(dc, 100, 100));
    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST_F(MonthViewTest, SelectedCellIsFilledWithTheInverseOfTheBackground)
{
    Draw(PACK_DATE(2015, 8, 10));   // k = 15: column 1, row 2
    RECT selected = Cell(15, 37);
    EXPECT_EQ(0x007F7Fu, GetPixel(MemoryDC, selected.left + 1, selected.bottom - 2));
    EXPECT_EQ(0x007F7Fu, GetPixel(MemoryDC, selected.right - 2, selected.top + 1));
    RECT next = Cell(16, 37);
    EXPECT_EQ(Settings.colorBackground, GetPixel(MemoryDC, next.left + 1, next.bottom - 2));

    // another background colour: render it and redraw
    Settings.colorBackground = RGB(10, 200, 30);
    RECT r = DrawingRect();
    RenderBackground(MemoryDC, &r, Settings.colorBackground);
    Draw(PACK_DATE(2015, 8, 11));
    EXPECT_EQ(RGB(245, 55, 225), GetPixel(MemoryDC, next.left + 1, next.bottom - 2));
    EXPECT_EQ(RGB(10, 200, 30), GetPixel(MemoryDC, selected.left + 1, selected.bottom - 2));
}

TEST_F(MonthViewTest, DayColoursPaintedIntoTheCells)
{
    const COLORREF mark = Settings.colorMark, holiday = Settings.colorHoliday,
                   weekend = Settings.colorWeekend, plain = Settings.colorDefault;
    ASSERT_TRUE(mark != holiday && holiday != weekend && weekend != plain);

    // 1 January 2023, a Sunday and a holiday, marked in the store
    StoreItem *note = StoreAddItem(&DayNoteStore->root, PACK_DATE(2023, 1, 1));
    ASSERT_NE(nullptr, note);
    StoreSetUserValue(note, 1);
    EXPECT_EQ(mark, DayColour(PACK_DATE(2023, 1, 1)));
    Draw(PACK_DATE(2023, 1, 20));   // 5 rows of 44
    RECT first = Cell(0, 44);
    EXPECT_GT(CountPixels(first, mark), 10);
    EXPECT_EQ(0, CountPixels(first, holiday));
    EXPECT_EQ(0, CountPixels(first, weekend));
    // a mark of 0 is no mark
    StoreSetUserValue(note, 0);
    EXPECT_EQ(holiday, DayColour(PACK_DATE(2023, 1, 1)));

    // 1 January 2022, a Saturday and a holiday
    Draw(PACK_DATE(2022, 1, 20));   // first = 6: 6 rows of 37
    RECT saturday = Cell(6, 37);
    EXPECT_GT(CountPixels(saturday, holiday), 10);
    EXPECT_EQ(0, CountPixels(saturday, weekend));
    // 2 January, an ordinary Sunday; 4 January, an ordinary Tuesday
    EXPECT_GT(CountPixels(Cell(7, 37), weekend), 10);
    EXPECT_EQ(0, CountPixels(Cell(7, 37), holiday));
    EXPECT_GT(CountPixels(Cell(9, 37), plain), 10);
    EXPECT_EQ(0, CountPixels(Cell(9, 37), weekend));
    EXPECT_EQ(weekend, DayColour(PACK_DATE(2022, 1, 2)));
    EXPECT_EQ(plain, DayColour(PACK_DATE(2022, 1, 4)));
}

TEST_F(MonthViewTest, PaintCopiesTheCanvasToTheWindow)
{
    Draw(PACK_DATE(2015, 8, 10));
    UpdateWindow(MonthWindow);
    HDC screen = GetDC(MonthWindow);
    EXPECT_EQ(GetPixel(MemoryDC, 10, 0), GetPixel(screen, 10, 0));
    EXPECT_EQ(GetPixel(MemoryDC, 52, 135), GetPixel(screen, 52, 135));
    ReleaseDC(MonthWindow, screen);
}

}   // namespace
