#include "paintcalc.h"

int32_t FitFontWidth(int32_t fontWidth, int32_t room, MeasureAtWidth widestAt, void *context)
{
    if (widestAt(fontWidth, context) <= room)
        return fontWidth;
    // Text grows with the font width, so the widths that fit lie below the
    // ones that do not: keep fits(low) and !fits(high) while halving.
    int32_t low = 1, high = fontWidth;
    if (low >= high || widestAt(low, context) > room)
        return 1;
    while (high - low > 1) {
        int32_t middle = low + (high - low) / 2;
        if (widestAt(middle, context) <= room)
            low = middle;
        else
            high = middle;
    }
    return low;
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
