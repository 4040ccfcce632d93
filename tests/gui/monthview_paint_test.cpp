// The month grid: its cells, the per-day tools and the colours painted into
// MemoryDC.
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <vector>
#include "monthview_testutil.h"
#include "dialog_testutil.h"
#include "../../calendar/calendar.h"
#include "../../calendar/daytext.h"
#include "../../calendar/offdays.h"
#include "../../calendar/today.h"
#include "../../store/recordstore.h"
#include "../../monthview/paintcalc.h"

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

// The same without the top left corner, where a day off or a make-up
// workday has its small mark: the day number's own colour.
int CountNumberPixels(RECT box, COLORREF colour)
{
    int n = 0;
    for (int y = box.top; y < box.bottom; y++)
        for (int x = box.left; x < box.right; x++)
            n += (x >= box.left + 14 || y >= box.top + 13) && GetPixel(MemoryDC, x, y) == colour;
    return n;
}

RECT MarkCorner(RECT cell) { return Rect(cell.left, cell.top, cell.left + 14, cell.top + 13); }

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
    // the test need not wait out the half second of the usual initial delay
    SendMessageA(MonthTooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 50);
    SendMessageA(MonthWindow, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    for (int waited = 0; waited < 3000 && !IsWindowVisible(MonthTooltip); waited += 20)
        PumpMessages(20);
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

TEST_F(MonthViewTest, SelectedCellIsFilledWithTheSelectionFillAndTodayKeepsItsFrame)
{
    TodayDate.date = PACK_DATE(2015, 8, 10);
    Draw(PACK_DATE(2015, 8, 10));   // k = 15: column 1, row 2
    RECT selected = Cell(15, 37), next = Cell(16, 37);
    const COLORREF fill = SelectionFill(Settings.colorBackground, Settings.colorDefault);
    // the frame of today runs round the cell's edge, the fill inside it
    EXPECT_EQ(fill, GetPixel(MemoryDC, selected.left + 3, selected.bottom - 4));
    EXPECT_EQ(fill, GetPixel(MemoryDC, selected.right - 4, selected.top + 3));
    EXPECT_EQ(Settings.colorDefault, GetPixel(MemoryDC, selected.left, selected.top + 3));
    EXPECT_EQ(Settings.colorBackground, GetPixel(MemoryDC, next.left + 3, next.bottom - 4));

    // another background colour, and another day selected: today keeps its
    // frame, and the fill is no pink under white on green
    Settings.colorBackground = RGB(10, 200, 30);
    RECT r = DrawingRect();
    RenderBackground(MemoryDC, &r, Settings.colorBackground);
    Draw(PACK_DATE(2015, 8, 11));
    const COLORREF green = SelectionFill(RGB(10, 200, 30), Settings.colorDefault);
    EXPECT_EQ(green, GetPixel(MemoryDC, next.left + 3, next.bottom - 4));
    EXPECT_NE(RGB(245, 55, 225), green);
    EXPECT_EQ(RGB(10, 200, 30), GetPixel(MemoryDC, selected.left + 3, selected.bottom - 4));
    // white reads too faintly on this green: the frame is darkened to 3:1
    const COLORREF frame = ReadableColour(Settings.colorDefault, RGB(10, 200, 30), 300);
    EXPECT_GE(ContrastRatio100(frame, RGB(10, 200, 30)), 300);
    for (POINT p : {POINT{selected.left, selected.top + 10}, POINT{selected.left + 1, selected.top + 10},
                    POINT{selected.right - 1, selected.top + 10}, POINT{selected.left + 10, selected.bottom - 1}})
        EXPECT_EQ(frame, GetPixel(MemoryDC, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(0, CountPixels(Rect(next.left, next.top, next.left + 2, next.bottom), frame));
}

// The 日 and 六 headers and the captions of weekend days are drawn in the
// weekend colour made readable on the background: the default red on the
// default blue is not.
TEST_F(MonthViewTest, WeekendHeadersAndCaptionsReadOnTheDefaultColours)
{
    ASSERT_EQ(0xFF8080u, Settings.colorBackground);
    ASSERT_LT(ContrastRatio100(Settings.colorWeekend, Settings.colorBackground), 200);
    Draw(PACK_DATE(2022, 1, 20));   // 2 January 2022, an ordinary Sunday (k 7, rows of 37)
    auto mostContrast = [](RECT box) {
        int32_t best = 100;
        for (int y = box.top; y < box.bottom; y++)
            for (int x = box.left; x < box.right; x++) {
                int32_t c = ContrastRatio100(GetPixel(MemoryDC, x, y), Settings.colorBackground);
                best = c > best ? c : best;
            }
        return best;
    };
    // Smoothed small text never shows its full colour: the measure is the
    // white of the weekdays, which reads, drawn the same way.
    const int32_t white = mostContrast(Rect(50, 6, 100, 26));
    EXPECT_GE(white, 200) << "一";
    EXPECT_GE(mostContrast(Rect(0, 6, 50, 26)) * 10, white * 9) << "日";
    EXPECT_GE(mostContrast(Rect(300, 6, 350, 26)) * 10, white * 9) << "六";
    RECT sunday = Cell(7, 37);
    EXPECT_GE(mostContrast(Rect(sunday.left, sunday.bottom - 12, sunday.right, sunday.bottom)) * 10, white * 9)
        << "the caption of a Sunday";
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
    EXPECT_GT(CountNumberPixels(first, mark), 10);
    EXPECT_EQ(0, CountNumberPixels(first, holiday));
    EXPECT_EQ(0, CountNumberPixels(first, weekend));
    // a mark of 0 is no mark
    StoreSetUserValue(note, 0);
    EXPECT_EQ(holiday, DayColour(PACK_DATE(2023, 1, 1)));

    // 1 January 2022, a Saturday and a holiday
    Draw(PACK_DATE(2022, 1, 20));   // first = 6: 6 rows of 37
    RECT saturday = Cell(6, 37);
    EXPECT_GT(CountNumberPixels(saturday, holiday), 10);
    EXPECT_EQ(0, CountNumberPixels(saturday, weekend));
    // 2 January, an ordinary Sunday; 4 January, an ordinary Tuesday
    EXPECT_GT(CountNumberPixels(Cell(7, 37), weekend), 10);
    EXPECT_EQ(0, CountNumberPixels(Cell(7, 37), holiday));
    EXPECT_GT(CountNumberPixels(Cell(9, 37), plain), 10);
    EXPECT_EQ(0, CountNumberPixels(Cell(9, 37), weekend));
    EXPECT_EQ(weekend, DayColour(PACK_DATE(2022, 1, 2)));
    EXPECT_EQ(plain, DayColour(PACK_DATE(2022, 1, 4)));
}

// October 2026: the National Day week off, the Saturday after it worked. A
// weekday off takes the holiday colour, a worked Saturday the plain one, and
// each carries its small mark in the corner (shown by adding one by hand).
TEST_F(MonthViewTest, DaysOffAndMakeUpWorkdaysInTheCells)
{
    const COLORREF holiday = Settings.colorHoliday, weekend = Settings.colorWeekend, plain = Settings.colorDefault;
    ClearUserOffDays();
    Draw(PACK_DATE(2026, 10, 20));   // first = 4: 5 rows of 44
    RECT monday = Cell(4 + 5 - 1, 44), saturday = Cell(4 + 10 - 1, 44);
    EXPECT_GT(CountNumberPixels(monday, holiday), 10);
    EXPECT_EQ(0, CountNumberPixels(monday, plain));
    EXPECT_GT(CountNumberPixels(saturday, plain), 10);
    EXPECT_EQ(0, CountNumberPixels(saturday, weekend));
    EXPECT_GT(CountPixels(MarkCorner(monday), holiday), 5);

    RECT tuesday = Cell(4 + 13 - 1, 44), wednesday = Cell(4 + 14 - 1, 44);
    const int plainBefore = CountPixels(MarkCorner(tuesday), plain);
    EXPECT_EQ(0, CountPixels(MarkCorner(wednesday), holiday));
    ASSERT_EQ(0, SetUserOffDay(PACK_DATE(2026, 10, 13), OFFDAY_WORK, "班"));
    ASSERT_EQ(0, SetUserOffDay(PACK_DATE(2026, 10, 14), OFFDAY_REST, "休"));
    Draw(PACK_DATE(2026, 10, 20));
    EXPECT_GT(CountPixels(MarkCorner(tuesday), plain), plainBefore + 5);
    EXPECT_GT(CountPixels(MarkCorner(wednesday), holiday), 5);
    EXPECT_GT(CountNumberPixels(wednesday, holiday), 10);
    ClearUserOffDays();
}

// A copy of MemoryDC's pixels, read once instead of a GetPixel per pixel.
struct Canvas {
    int width, height;
    std::vector<uint32_t> pixels;   // 0x00RRGGBB, top row first
    uint32_t At(int x, int y) const { return pixels[(size_t)y * width + x]; }
    int Red(int x, int y) const { return (int)(At(x, y) >> 16 & 0xFF); }
};

Canvas Snapshot()
{
    Canvas c = {350, 250, {}};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = c.width;
    info.bmiHeader.biHeight = -c.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(MemoryDC, &info, DIB_RGB_COLORS, &bits, 0, 0);
    HDC dc = CreateCompatibleDC(MemoryDC);
    HGDIOBJ old = SelectObject(dc, dib);
    BitBlt(dc, 0, 0, c.width, c.height, MemoryDC, 0, 0, SRCCOPY);
    GdiFlush();
    c.pixels.assign((uint32_t *)bits, (uint32_t *)bits + c.width * c.height);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    return c;
}

// The big font as DrawMonth makes it before any narrowing: the stock GUI
// face, as bold as it goes, half a cell wide.
HFONT UnnarrowedFont(int colW, int height)
{
    LOGFONTA lf;
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = height;
    lf.lfWidth = colW / 2;
    lf.lfWeight = 1000;
    return CreateFontIndirectA(&lf);
}

// The widest of the numbers 10 .. 31 in that font.
int WidestUnnarrowed(int colW, int height)
{
    HFONT font = UnnarrowedFont(colW, height);
    HDC dc = CreateCompatibleDC(MemoryDC);
    HGDIOBJ old = SelectObject(dc, font);
    int widest = 0;
    for (int day = 10; day <= 31; day++) {
        char number[4];
        snprintf(number, sizeof number, "%d", day);
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, number, 2, &size);
        widest = size.cx > widest ? (int)size.cx : widest;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return widest;
}

// With the default colours every day number (white, red, yellow) is the only
// thing in the grid whose red channel passes 192: the background and the
// month behind the grid are bluish, the selected day's fill is olive.
bool Ink(const Canvas &c, int x, int y) { return c.Red(x, y) > 192; }

// The first and last inked column of a box of the canvas, or -1, -1.
void InkColumns(const Canvas &c, RECT box, int *first, int *last)
{
    *first = *last = -1;
    for (int x = box.left; x < box.right; x++)
        for (int y = box.top; y < box.bottom; y++)
            if (Ink(c, x, y)) {
                if (*first < 0)
                    *first = x;
                *last = x;
                break;
            }
}

// "30" as DrawMonth would draw it unnarrowed into a cell at (0, 0).
Canvas UnnarrowedThirty(int colW, int cellH)
{
    RECT cell = Rect(0, 0, colW, cellH);
    HBRUSH fill = CreateSolidBrush(Settings.colorBackground);
    FillRect(MemoryDC, &cell, fill);
    DeleteObject(fill);
    HFONT font = UnnarrowedFont(colW, cellH - 12);
    HGDIOBJ old = SelectObject(MemoryDC, font);
    SetTextColor(MemoryDC, Settings.colorDefault);
    DrawTextA(MemoryDC, "30", -1, &cell, DT_SINGLELINE | DT_CENTER);
    SelectObject(MemoryDC, old);
    DeleteObject(font);
    return Snapshot();
}

TEST_F(MonthViewTest, TwoDigitDayNumbersAreNarrowedOnlyWhereTheyDoNotFit)
{
    // November 2014 starts on a Saturday and has 30 days: six rows of 37,
    // the numbers 25 high, and the 30th alone in the last row's first cell.
    const int cellH = 37;
    const int widths[] = {50, 40, 30, 20, 16, 14, 12};
    int tooNarrow = 0;
    for (int colW : widths) {
        SCOPED_TRACE(colW);
        Canvas alone = UnnarrowedThirty(colW, cellH);
        int aloneFirst, aloneLast;
        InkColumns(alone, Rect(0, 0, colW, cellH - 12), &aloneFirst, &aloneLast);
        ASSERT_GE(aloneFirst, 0);

        RECT r = Rect(0, 0, 7 * colW, 250);
        DrawMonth(MonthWindow, MemoryDC, PACK_DATE(2014, 11, 3), &r);
        Canvas c = Snapshot();
        const int top = 26 + 5 * cellH;
        int first, last;
        InkColumns(c, Rect(0, top, 3 * colW, top + cellH - 12), &first, &last);
        ASSERT_GE(first, 0);
        if (WidestUnnarrowed(colW, cellH - 12) > colW - 1) {
            tooNarrow++;
            EXPECT_LT(last - first, aloneLast - aloneFirst) << "narrowed";
        } else {
            EXPECT_EQ(aloneFirst, first) << "unchanged";
            EXPECT_EQ(aloneLast, last) << "unchanged";
        }
        EXPECT_GE(first, 0);
        EXPECT_LT(last, colW - 1);   // a pixel is left to a neighbour

        // and across the grid, no inked run reaches from one cell into the next
        for (int row = 1; row < 6; row++) {
            const int bandTop = 26 + row * cellH, bandBottom = bandTop + cellH - 12;
            int runStart = -1;
            for (int x = 0; x <= 7 * colW; x++) {
                bool ink = false;
                for (int y = bandTop; x < 7 * colW && y < bandBottom && !ink; y++)
                    ink = Ink(c, x, y);
                if (ink && runStart < 0)
                    runStart = x;
                if (!ink && runStart >= 0) {
                    EXPECT_EQ(runStart / colW, (x - 1) / colW)
                        << "row " << row << ", columns " << runStart << " to " << x - 1;
                    runStart = -1;
                }
            }
        }
    }
    // Whatever the face, some of these cells were too narrow for its digits
    // as they come, so both ways have been taken.
    EXPECT_GT(tooNarrow, 0);
    EXPECT_LT(tooNarrow, 7);
}

TEST_F(MonthViewTest, TheShownMonthAndYearAreDrawnFaintlyBehindTheGrid)
{
    const uint32_t background = Settings.colorBackground, text = Settings.colorDefault;
    auto rgb = [](uint32_t colour) {   // COLORREF to the canvas's 0x00RRGGBB
        return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
    };
    const uint32_t monthInk = rgb(BlendColour(background, text, 3, 16));
    const uint32_t yearInk = rgb(BlendColour(background, text, 5, 16));
    ASSERT_NE(monthInk, rgb(background));
    auto count = [](const Canvas &c, uint32_t colour, int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; y++)
            for (int x = 0; x < c.width; x++)
                n += c.At(x, y) == colour;
        return n;
    };

    Draw(PACK_DATE(2015, 8, 10));
    Canvas august = Snapshot();
    // a large solid number, not the odd edge pixel of a day's antialiased text
    EXPECT_GT(count(august, monthInk, 26, 250), 1500);
    EXPECT_GT(count(august, yearInk, 26, 250), 50);
    EXPECT_EQ(0, count(august, monthInk, 0, 26));   // the weekday band stays clear

    // the mark follows the month: 11 covers other pixels than 8
    Draw(PACK_DATE(2015, 11, 10));
    Canvas november = Snapshot();
    int changed = 0;
    for (int y = 26; y < 250; y++)
        for (int x = 0; x < 350; x++)
            changed += (august.At(x, y) == monthInk) != (november.At(x, y) == monthInk);
    EXPECT_GT(changed, 500);

    // and the colours: another background gives another faint ink
    Settings.colorBackground = RGB(10, 200, 30);
    RECT r = DrawingRect();
    RenderBackground(MemoryDC, &r, Settings.colorBackground);
    Draw(PACK_DATE(2015, 11, 10));
    Canvas green = Snapshot();
    EXPECT_EQ(0, count(green, monthInk, 26, 250));
    EXPECT_GT(count(green, rgb(BlendColour(Settings.colorBackground, text, 3, 16)), 26, 250), 1500);
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
