// The arithmetic of the month grid's painting, on plain numbers: how narrow the
// day numbers' font must be to fit the cells, the faint colour of the shown
// month behind the grid, and where that month and its year go. paint.cpp
// measures the text, creates the fonts and draws.
#pragma once
#include <stdint.h>

// The widest text drawn with the font at this width (LOGFONT lfWidth), in pixels.
typedef int32_t (*MeasureAtWidth)(int32_t fontWidth, void *context);

// The font width for the day numbers: fontWidth itself when the widest number
// is at most room pixels; otherwise the largest narrower width whose widest
// number fits, or 1 when none does. Each measurement makes a font, so the
// search starts at the proportional width and takes three or four as a rule.
int32_t FitFontWidth(int32_t fontWidth, int32_t room, MeasureAtWidth widestAt, void *context);

// A colour part/whole of the way from one colour to another, each channel of
// the 0x00BBGGRR value rounded to the nearest; the top byte is 0.
uint32_t BlendColour(uint32_t from, uint32_t to, int32_t part, int32_t whole);

// The faint month behind the grid: its number large, the year small beneath
// it, the two centred as one block in the grid below the weekday band. Each
// box is as wide as the grid and as high as the cell height of its font.
struct MarkBox {
    int32_t left, top, right, bottom;
};
struct MonthMarkPlan {
    MarkBox month, year;
};
MonthMarkPlan PlanMonthMark(MarkBox grid);

// Legibility of one colour on another (0x00BBGGRR both): the contrast ratio
// of their relative luminances (sRGB), times 100: 100 for equal luminance up
// to 2100 for black on white.
int32_t ContrastRatio100(uint32_t a, uint32_t b);
// text itself when it reaches minRatio100 on background; otherwise the
// nearest blend of it towards black or white (sixteenths) that does, the
// darker one where both take as many steps; black or white when none does.
uint32_t ReadableColour(uint32_t text, uint32_t background, int32_t minRatio100);
// The selected day's cell: the background a quarter of the way towards black
// when the text is lighter than the background, towards white otherwise, so
// the text stands out more on it than on the background, whatever the colours;
// the other way where that leaves it too close to the background (white
// under black text), where the text keeps plenty of contrast.
uint32_t SelectionFill(uint32_t background, uint32_t text);
