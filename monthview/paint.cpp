// The month grid, drawn off-screen into MemoryDC; the window only ever copies it.
#include <stdio.h>
#include <stdlib.h>
#include "monthview.h"
#include "paintcalc.h"
#include "../winbase/program.h"
#include "../calendar/daytext.h"
#include "../calendar/holiday.h"
#include "../calendar/names.h"
#include "../calendar/offdays.h"
#include "../calendar/today.h"
#include "../store/recordstore.h"
#include "../records/settings.h"

HDC MemoryDC;
HBITMAP CanvasBitmap;
HBITMAP BackgroundBitmap;
PackedDate ShownDate;
RECT MonthDrawingRect;
int32_t MonthDpi = BASE_DPI;

#define SMALL_FONT_HEIGHT ScaleForDpi(12, MonthDpi)

enum {
    TIP_FLAGS = DAYTEXT_SOLAR | DAYTEXT_LUNAR | DAYTEXT_HOLIDAYS | DAYTEXT_CYCLE,
    // The shown month behind the grid: this many sixteenths of the way from
    // the background to the text colour, faint enough to leave the days
    // alone; the small year a little stronger, or it could not be read.
    MONTH_MARK_PART = 3,
    YEAR_MARK_PART = 5,
    MARK_WHOLE = 16,
    // The small texts (weekday band, captions) reach at least 3:1 on what
    // they are drawn on, the contrast of the default white on its blue;
    // a user's colour that does not is darkened or lightened until it does.
    SMALL_TEXT_CONTRAST = 300,
};

// two pixels at 96 dpi, more on a scaled monitor
#define TODAY_FRAME_WIDTH ScaleForDpi(2, MonthDpi)

static COLORREF SmallTextColour(COLORREF text, COLORREF under)
{
    return ReadableColour(text, under, SMALL_TEXT_CONTRAST);
}

// Today keeps a frame whichever day is selected, in the default text colour
// made to stand out on the cell.
static void FrameToday(HDC dc, const RECT *cell, COLORREF under)
{
    HBRUSH brush = CreateSolidBrush(SmallTextColour(Settings.colorDefault, under));
    RECT r = *cell;
    for (int i = 0; i < TODAY_FRAME_WIDTH; i++) {
        FrameRect(dc, &r, brush);
        InflateRect(&r, -1, -1);
    }
    DeleteObject(brush);
}

static void HorizontalLine(HDC dc, int left, int right, int y, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, left, y, NULL);
    LineTo(dc, right, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Six lines that fade from start towards colour, each channel a running
// single-precision sum truncated for the pen; line i lies at firstY + i * yStep.
static void FadeLines(HDC dc, const RECT *r, COLORREF colour, const int start[3], int firstY, int yStep)
{
    const float k = 1.0f / 6.0f;
    const int target[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    float value[3] = {(float)start[0], (float)start[1], (float)start[2]};
    for (int i = 0; i < 6; i++) {
        HorizontalLine(dc, r->left, r->right, firstY + i * yStep,
                       RGB((int)value[0], (int)value[1], (int)value[2]));
        for (int c = 0; c < 3; c++)
            value[c] += (float)(target[c] - start[c]) * k;
    }
}

int RenderBackground(HDC dc, const RECT *rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, rect, brush);
    DeleteObject(brush);

    const int white[3] = {255, 255, 255};
    FadeLines(dc, rect, colour, white, rect->top, 1);
    const int shadow[3] = {2 * (GetRValue(colour) / 3), 2 * (GetGValue(colour) / 3),
                           2 * (GetBValue(colour) / 3)};
    FadeLines(dc, rect, colour, shadow, rect->top + HEADER_HEIGHT, -1);

    // Keep a copy for every later redraw: the canvas is what dc has selected.
    HGDIOBJ canvas = SelectObject(dc, BackgroundBitmap);
    DrawStateA(dc, NULL, NULL, (LPARAM)canvas, 0, 0, 0, 0, 0, DST_BITMAP);
    SelectObject(dc, canvas);
    return 0;
}

static void DrawCentred(HDC dc, const char *text, RECT box, UINT format)
{
    DrawTextGbk(dc, text, -1, &box, format);
}

// The small 休 or 班 in the cell's top left corner: a tag filled with the
// holiday colour (休) or the plain one (班), the character in black or white,
// whichever stands out from the tag, so that it reads at 12 pixels whatever
// the colours chosen.
static void DrawOffDayMark(HDC dc, RECT cell, int kind)
{
    if (kind == OFFDAY_NONE)
        return;
    const int side = ScaleForDpi(13, MonthDpi);
    RECT tag = {cell.left, cell.top, cell.left + side, cell.top + side};
    const COLORREF tagColour = kind == OFFDAY_REST ? Settings.colorHoliday : Settings.colorDefault;
    HBRUSH fill = CreateSolidBrush(tagColour);
    FillRect(dc, &tag, fill);
    DeleteObject(fill);
    const int luma = 299 * GetRValue(tagColour) + 587 * GetGValue(tagColour) + 114 * GetBValue(tagColour);
    COLORREF dayColour = SetTextColor(dc, luma > 128000 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    DrawCentred(dc, OffDayMark(kind), tag, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    SetTextColor(dc, dayColour);   // the caption below takes the day's colour
}

static void DrawWeekdayBand(HDC dc, const RECT *R, int colW)
{
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORD_ELLIPSIS;
    SetTextColor(dc, SmallTextColour(Settings.colorDefault, Settings.colorBackground));
    for (int c = 1; c <= 5; c++) {
        RECT box = {R->left + c * colW, R->top, R->left + c * colW + colW, R->top + HEADER_HEIGHT};
        DrawCentred(dc, WeekdayName(c), box, format);
    }
    SetTextColor(dc, SmallTextColour(Settings.colorWeekend, Settings.colorBackground));
    const int weekend[2] = {0, 6};
    for (int c : weekend) {
        RECT box = {R->left + c * colW, R->top, R->left + c * colW + colW, R->top + HEADER_HEIGHT};
        DrawCentred(dc, WeekdayName(c), box, format);
    }
}

static void RemoveDayTools()
{
    LRESULT count = SendMessageA(MonthTooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        TTTOOLINFOW tool = {};
        tool.cbSize = MONTH_TOOLINFO_SIZE;
        if (!SendMessageW(MonthTooltip, TTM_ENUMTOOLSW, 0, (LPARAM)&tool))
            break;
        SendMessageW(MonthTooltip, TTM_DELTOOLW, 0, (LPARAM)&tool);
    }
}

static void AddDayTool(HWND window, PackedDate date, const RECT &cell)
{
    TTTOOLINFOW tool = {};
    tool.cbSize = MONTH_TOOLINFO_SIZE;
    // No TTF_SUBCLASS: the month window relays its mouse messages to the tooltip
    // itself. A subclassing tool makes every add and delete (31 of each per
    // redraw) re-hook the month window, a server round trip apiece under Wine.
    tool.uFlags = 0;
    tool.hwnd = window;
    // the high bit keeps the id of every day non-zero, so a hit test's 0 means no day
    tool.uId = (UINT_PTR)((uint32_t)date | 0x80000000u);
    tool.rect = cell;
    tool.hinst = AppInstance;
    WCHAR *tip = WideFromGbk(DayText(date, TIP_FLAGS | (SolarTermsAreHolidays() ? DAYTEXT_TERMS : 0)));
    tool.lpszText = tip;
    if (tip)
        SendMessageW(MonthTooltip, TTM_ADDTOOLW, 0, (LPARAM)&tool);   // the tooltip keeps a copy
    free(tip);
}

// What FitFontWidth measures: the widest of the numbers 10 .. days in the big
// font made that wide.
struct NumberMeasure {
    HDC dc;
    LOGFONTW font;
    int days;
};

static int32_t WidestNumberAt(int32_t width, void *context)
{
    NumberMeasure *m = (NumberMeasure *)context;
    LOGFONTW lf = m->font;
    lf.lfWidth = width;
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(m->dc, font);
    int32_t widest = 0;
    for (int day = 10; day <= m->days; day++) {
        char number[12];
        int length = snprintf(number, sizeof number, "%d", day);
        SIZE size = {0, 0};
        GetTextExtentPoint32A(m->dc, number, length, &size);
        if (size.cx > widest)
            widest = size.cx;
    }
    SelectObject(m->dc, old);
    DeleteObject(font);
    return widest;
}

// The month number large and faint in the grid, the year small beneath it.
static void DrawMonthMark(HDC dc, const RECT *R, const LOGFONTW *base, int year, int month)
{
    MarkBox grid = {R->left, R->top + HEADER_HEIGHT, R->right, R->bottom};
    MonthMarkPlan plan = PlanMonthMark(grid);
    const MarkBox *boxes[2] = {&plan.month, &plan.year};
    const int values[2] = {month, year};
    const int parts[2] = {MONTH_MARK_PART, YEAR_MARK_PART};
    for (int i = 0; i < 2; i++) {
        SetTextColor(dc, BlendColour(Settings.colorBackground, Settings.colorDefault, parts[i], MARK_WHOLE));
        LOGFONTW lf = *base;
        lf.lfHeight = boxes[i]->bottom - boxes[i]->top;
        lf.lfWidth = 0;
        lf.lfWeight = 700;
        HFONT font = CreateFontIndirectW(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        char text[12];
        snprintf(text, sizeof text, "%d", values[i]);
        RECT box = {boxes[i]->left, boxes[i]->top, boxes[i]->right, boxes[i]->bottom};
        DrawCentred(dc, text, box, DT_SINGLELINE | DT_CENTER | DT_TOP | DT_NOCLIP);
        SelectObject(dc, old);
        DeleteObject(font);
    }
}

int DrawMonth(HWND window, HDC dc, PackedDate date, const RECT *rect)
{
    const RECT R = *rect;
    const int colW = (R.right - R.left) / 7;
    if (date == 0)
        date = ShownDate != 0 ? ShownDate : TodayDate.date;
    // A copy: HolidaysOn and DayText refill the engine's shared record.
    CalendarDay d = *GetDayInfo(date);
    ShownDate = d.packed;
    const int selected = DATE_DAY(d.packed);

    DrawStateA(dc, NULL, NULL, (LPARAM)BackgroundBitmap, 0, 0, 0, 0, 0, DST_BITMAP);
    // start-up makes MemoryDC transparent; a test's or benchmark's own DC may not be
    SetBkMode(dc, TRANSPARENT);

    d.day = 1;
    ComputeDay(&d);
    const int first = d.weekday;
    const int days = d.daysInMonth;
    const int rows = (first + days) / 7 + ((first + days) % 7 != 0 ? 1 : 0);
    const int cellH = (R.bottom - R.top - HEADER_HEIGHT) / rows;

    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    // The face of the dialogs' font, asked for in the GB2312 character set: on
    // a Windows whose language for non-Unicode programs is not Chinese the
    // stock font's set is Western, and the font mapper would pick a face
    // without Chinese characters.
    lf.lfCharSet = GB2312_CHARSET;
    lf.lfHeight = SMALL_FONT_HEIGHT;
    lf.lfWidth = 0;
    lf.lfWeight = 400;
    HFONT smallFont = CreateFontIndirectW(&lf);
    DrawMonthMark(dc, &R, &lf, d.year, d.month);
    lf.lfHeight = cellH - SMALL_FONT_HEIGHT;
    lf.lfWidth = colW / 2;
    lf.lfWeight = 1000;
    // Two digits of a wide bold face can be wider than the cell; then the
    // font is narrowed until the widest number leaves a pixel to its neighbour.
    NumberMeasure measure = {dc, lf, days};
    lf.lfWidth = FitFontWidth(lf.lfWidth, colW - 1, WidestNumberAt, &measure);
    HFONT bigFont = CreateFontIndirectW(&lf);

    HGDIOBJ oldFont = SelectObject(dc, smallFont);
    DrawWeekdayBand(dc, &R, colW);

    const int withTools = window != NULL && MonthTooltip != NULL;
    const int withTerms = SolarTermsAreHolidays();
    if (withTools)
        RemoveDayTools();

    // Not the inverse of the background: that put pink under white text on green.
    const COLORREF selectedColour = SelectionFill(Settings.colorBackground, Settings.colorDefault);
    HBRUSH selectedFill = CreateSolidBrush(selectedColour);
    for (int day = 1; day <= days; day++) {
        const int k = first + day - 1;
        d.day = day;
        ComputeDay(&d);
        RECT cell;
        cell.left = R.left + (k % 7) * colW;
        cell.top = R.top + HEADER_HEIGHT + (k / 7) * cellH;
        cell.right = cell.left + colW;
        cell.bottom = cell.top + cellH;
        if (withTools)
            AddDayTool(window, d.packed, cell);

        HolidayEntry *holidays = HolidaysOn(d.packed, withTerms);
        const char *caption = DayCaption(d.packed, holidays);

        const COLORREF under = day == selected ? selectedColour : Settings.colorBackground;
        if (day == selected)
            FillRect(dc, &cell, selectedFill);
        if (d.packed == TodayDate.date)
            FrameToday(dc, &cell, under);
        const COLORREF colour = DayColourOf(d.packed, d.weekday, holidays != NULL);
        SetTextColor(dc, colour);
        SelectObject(dc, bigFont);
        char number[12];
        snprintf(number, sizeof number, "%d", day);
        DrawCentred(dc, number, cell, DT_SINGLELINE | DT_CENTER);
        SelectObject(dc, smallFont);
        RECT tagCell = cell;
        if (d.packed == TodayDate.date)   // the tag sits inside today's frame, not over it
            InflateRect(&tagCell, -TODAY_FRAME_WIDTH, -TODAY_FRAME_WIDTH);
        DrawOffDayMark(dc, tagCell, OffDayOn(d.packed, 0));
        if (caption) {
            SelectObject(dc, smallFont);
            SetTextColor(dc, SmallTextColour(colour, under));
            cell.top = cell.bottom - SMALL_FONT_HEIGHT;
            DrawCentred(dc, caption, cell, DT_SINGLELINE | DT_CENTER | DT_BOTTOM | DT_WORD_ELLIPSIS);
        }
    }
    DeleteObject(selectedFill);

    SelectObject(dc, oldFont);
    DeleteObject(smallFont);
    DeleteObject(bigFont);
    if (window)
        InvalidateRect(window, NULL, FALSE);
    return 1;
}

void PresentMonth(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, MemoryDC, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    EndPaint(window, &ps);
}

// The 1x1 bitmap a fresh memory DC comes with; selected back before the
// canvas is deleted, because a bitmap still selected into a DC cannot be.
static HGDIOBJ FirstBitmapOfMemoryDC;

void CreateMonthSurfaces(HWND window)
{
    HDC windowDC = GetDC(window);
    MemoryDC = CreateCompatibleDC(windowDC);
    RECT client;
    GetClientRect(window, &client);
    MonthDrawingRect = client;
    int width = client.right - client.left, height = client.bottom - client.top;
    CanvasBitmap = CreateCompatibleBitmap(windowDC, width, height);
    BackgroundBitmap = CreateCompatibleBitmap(windowDC, width, height);
    ReleaseDC(window, windowDC);
    FirstBitmapOfMemoryDC = SelectObject(MemoryDC, CanvasBitmap);
    SetTextAlign(MemoryDC, TA_LEFT | TA_TOP);
    SetBkMode(MemoryDC, TRANSPARENT);
}

void FreeMonthSurfaces()
{
    if (MemoryDC) {
        SelectObject(MemoryDC, FirstBitmapOfMemoryDC);
        DeleteObject(CanvasBitmap);
        DeleteObject(BackgroundBitmap);
        DeleteDC(MemoryDC);
    }
    MemoryDC = 0;
    CanvasBitmap = 0;
    BackgroundBitmap = 0;
    FirstBitmapOfMemoryDC = 0;
}

RECT DrawingRect() { return MonthDrawingRect; }
