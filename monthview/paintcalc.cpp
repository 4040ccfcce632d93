#include "paintcalc.h"
#include <math.h>

int32_t FitFontWidth(int32_t fontWidth, int32_t room, MeasureAtWidth widestAt, void *context)
{
    const int32_t widest = widestAt(fontWidth, context);
    if (widest <= room)
        return fontWidth;
    // The widths that fit lie below the ones that do not: low is the largest
    // known to fit (0 for none yet), high the smallest known not to. Text
    // grows about in proportion to the font width, so the proportional width
    // and a neighbour or two usually settle it; halving bounds every other case.
    int32_t low = 0, high = fontWidth;
    int32_t guess = room > 0 ? (int32_t)((int64_t)fontWidth * room / widest) : 0;
    for (int probe = 0; high - low > 1; probe++) {
        if (probe > 2 || guess <= low || guess >= high)
            guess = low + (high - low) / 2;
        if (widestAt(guess, context) <= room) {
            low = guess;
            guess = low + 1;
        } else {
            high = guess;
            guess = high - 1;
        }
    }
    return low > 0 ? low : 1;
}

uint32_t BlendColour(uint32_t from, uint32_t to, int32_t part, int32_t whole)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int32_t a = (int32_t)(from >> shift & 0xFF), b = (int32_t)(to >> shift & 0xFF);
        int32_t step = (b - a) * part;
        // round half away from zero, so that blending down mirrors blending up
        int32_t c = a + (step >= 0 ? (step + whole / 2) / whole : -((-step + whole / 2) / whole));
        result |= (uint32_t)c << shift;
    }
    return result;
}

MonthMarkPlan PlanMonthMark(MarkBox grid)
{
    const int32_t height = grid.bottom > grid.top ? grid.bottom - grid.top : 0;
    // The number fills most of the grid; the year is about a caption's size,
    // at least 12 pixels where the grid has them.
    int32_t monthHeight = height * 5 / 8;
    int32_t yearHeight = height / 10 < 12 ? 12 : height / 10;
    if (monthHeight + yearHeight > height) {
        yearHeight = yearHeight < height ? yearHeight : height;
        monthHeight = height - yearHeight;
    }
    const int32_t top = grid.top + (height - monthHeight - yearHeight) / 2;
    MonthMarkPlan plan;
    plan.month = MarkBox{grid.left, top, grid.right, top + monthHeight};
    plan.year = MarkBox{grid.left, top + monthHeight, grid.right, top + monthHeight + yearHeight};
    return plan;
}

// sRGB channel to linear light, times 10000, by table: the paint of a month
// asks for a few hundred of these.
static int32_t LinearChannel(uint32_t c)
{
    static int32_t table[256];
    static int ready;
    if (!ready) {
        for (int i = 0; i < 256; i++) {
            double s = i / 255.0;
            double v = s <= 0.04045 ? s / 12.92 : pow((s + 0.055) / 1.055, 2.4);
            table[i] = (int32_t)(v * 10000.0 + 0.5);
        }
        ready = 1;
    }
    return table[c & 0xFF];
}

// Relative luminance times 10000.
static int32_t Luminance(uint32_t colour)
{
    return (2126 * LinearChannel(colour) + 7152 * LinearChannel(colour >> 8) +
            722 * LinearChannel(colour >> 16) + 5000) /
           10000;
}

int32_t ContrastRatio100(uint32_t a, uint32_t b)
{
    int32_t la = Luminance(a), lb = Luminance(b);
    if (la < lb) {
        int32_t t = la;
        la = lb;
        lb = t;
    }
    return (int32_t)((int64_t)(la + 500) * 100 / (lb + 500));
}

uint32_t ReadableColour(uint32_t text, uint32_t background, int32_t minRatio100)
{
    text &= 0xFFFFFF;
    if (ContrastRatio100(text, background) >= minRatio100)
        return text;
    for (int32_t part = 1; part <= 16; part++) {
        uint32_t darker = BlendColour(text, 0x000000, part, 16);
        if (ContrastRatio100(darker, background) >= minRatio100)
            return darker;
        uint32_t lighter = BlendColour(text, 0xFFFFFF, part, 16);
        if (ContrastRatio100(lighter, background) >= minRatio100)
            return lighter;
    }
    return ContrastRatio100(0, background) >= ContrastRatio100(0xFFFFFF, background) ? 0x000000 : 0xFFFFFF;
}

// How far the selection fill must stand from the background to be seen.
#define SELECTION_MIN_STEP 120

uint32_t SelectionFill(uint32_t background, uint32_t text)
{
    background &= 0xFFFFFF;
    const uint32_t away = Luminance(text) > Luminance(background) ? 0x000000 : 0xFFFFFF;
    const uint32_t fill = BlendColour(background, away, 1, 4);
    // A background at the end of the scale (white under black text) has no
    // room that way: the fill goes the other way, where the text has plenty.
    if (ContrastRatio100(fill, background) >= SELECTION_MIN_STEP)
        return fill;
    return BlendColour(background, away ^ 0xFFFFFF, 1, 4);
}
