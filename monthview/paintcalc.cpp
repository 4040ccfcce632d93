#include "paintcalc.h"

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
