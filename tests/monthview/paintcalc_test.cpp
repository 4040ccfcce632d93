// The painting arithmetic: fitting the day numbers' font to the cells, the
// faint colour of the month behind the grid, and where that month goes.
#include <gtest/gtest.h>
#include "monthview/paintcalc.h"

namespace {

// A font whose widest number is a function of the font width, counting the
// measurements FitFontWidth asks for.
struct Model {
    int32_t (*widest)(int32_t width);
    int calls;
};

int32_t Measure(int32_t width, void *context)
{
    Model *m = (Model *)context;
    m->calls++;
    return m->widest(width);
}

int32_t TwoDigits(int32_t w) { return 2 * w; }
// rounded glyph advances: steps of uneven length
int32_t Rounded(int32_t w) { return (w * 37 + 5) / 16; }
// a face that will not go below a minimum width
int32_t Floor30(int32_t w) { return w * 2 < 30 ? 30 : w * 2; }
// a wide bold face, as real metrics gave it: 25 wide made "28" 63 pixels
int32_t WideBold(int32_t w) { return (w * 63 + 12) / 25; }

// The largest width that fits, by trying every width: what the halving must find.
int32_t LargestFitting(int32_t (*widest)(int32_t), int32_t fontWidth, int32_t room)
{
    if (widest(fontWidth) <= room)
        return fontWidth;
    for (int32_t w = fontWidth - 1; w >= 1; w--)
        if (widest(w) <= room)
            return w;
    return 1;
}

TEST(FitFontWidth, KeepsTheWidthWhenTheNumbersFitAndFindsTheLargestNarrowerOneOtherwise)
{
    struct Case {
        int32_t (*widest)(int32_t);
        int32_t fontWidth, room;
    };
    const Case cases[] = {
        {TwoDigits, 25, 49}, {TwoDigits, 25, 50}, {TwoDigits, 25, 60}, {TwoDigits, 25, 2}, {Rounded, 25, 49},
        {Rounded, 18, 29},   {Rounded, 40, 99},   {Rounded, 40, 92},   {WideBold, 25, 49}, {WideBold, 21, 42},
        {WideBold, 2, 3},    {WideBold, 1, 0},    {Floor30, 25, 49},   {Floor30, 25, 29},  {Floor30, 25, 30},
    };
    for (const Case &c : cases) {
        Model m = {c.widest, 0};
        int32_t expected = LargestFitting(c.widest, c.fontWidth, c.room);
        int32_t got = FitFontWidth(c.fontWidth, c.room, Measure, &m);
        EXPECT_EQ(expected, got) << "width " << c.fontWidth << ", room " << c.room;
        // a bounded search, not a walk through every width
        EXPECT_LE(m.calls, 8) << "width " << c.fontWidth << ", room " << c.room;
    }
}

TEST(FitFontWidth, TextInProportionToTheWidthTakesAFewMeasurements)
{
    // the fitting width, the proportional guess and a neighbour or two
    for (int32_t room : {49, 42, 36, 30}) {
        Model m = {WideBold, 0};
        int32_t got = FitFontWidth(25, room, Measure, &m);
        EXPECT_EQ(LargestFitting(WideBold, 25, room), got) << room;
        EXPECT_LE(m.calls, 4) << room;
    }
}

TEST(FitFontWidth, AFittingFontIsMeasuredOnceAndLeftAsItIs)
{
    Model m = {WideBold, 0};
    EXPECT_EQ(15, FitFontWidth(15, 49, Measure, &m));
    EXPECT_EQ(1, m.calls);
}

TEST(BlendColour, MovesEachChannelThePartOfTheWayRounded)
{
    struct Case {
        uint32_t from, to;
        int32_t part, whole;
        uint32_t expected;
    };
    const Case cases[] = {
        // the default background towards white, three sixteenths: 128 + 23.8
        {0xFF8080, 0xFFFFFF, 3, 16, 0xFF9898},
        {0xFF8080, 0xFFFFFF, 0, 16, 0xFF8080},
        {0xFF8080, 0xFFFFFF, 16, 16, 0xFFFFFF},
        // channels apart: red up, green down, blue stays
        {0x00FF00, 0x0000FF, 1, 2, 0x007F80},
        {0x00FF0000, 0x00000000, 1, 4, 0x00BF0000},
        // halves round away from the start in both directions alike
        {0x000000, 0xFFFFFF, 1, 2, 0x808080},
        {0xFFFFFF, 0x000000, 1, 2, 0x7F7F7F},
        // a background darker than the text and a light one with dark text
        {0x202020, 0xE0E0E0, 3, 16, 0x444444},
        {0xF0F0F0, 0x000000, 3, 16, 0xC3C3C3},
        // whatever the top bytes hold, the result's is 0
        {0xFF000000, 0xFFFFFFFF, 1, 1, 0x00FFFFFF},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.expected, BlendColour(c.from, c.to, c.part, c.whole))
            << std::hex << c.from << " " << c.to << " " << std::dec << c.part << "/" << c.whole;
    }
}

TEST(PlanMonthMark, TheMonthAboveTheYearCentredInsideTheGrid)
{
    const MarkBox grids[] = {
        {0, 26, 350, 250},     // the default window
        {10, 126, 360, 350},   // elsewhere in a drawing surface
        {0, 26, 700, 526},     // a large one
        {0, 26, 140, 56},      // a small one: the year keeps 12 pixels
        {0, 26, 70, 36},       // smaller than the year: only the year
        {0, 26, 70, 20},       // upside down: nothing
    };
    for (const MarkBox &g : grids) {
        SCOPED_TRACE(g.bottom - g.top);
        MonthMarkPlan p = PlanMonthMark(g);
        const int32_t monthHeight = p.month.bottom - p.month.top, yearHeight = p.year.bottom - p.year.top;
        EXPECT_EQ(g.left, p.month.left);
        EXPECT_EQ(g.right, p.month.right);
        EXPECT_EQ(g.left, p.year.left);
        EXPECT_EQ(g.right, p.year.right);
        EXPECT_EQ(p.month.bottom, p.year.top);
        EXPECT_GE(monthHeight, 0);
        EXPECT_GE(yearHeight, 0);
        if (g.bottom - g.top >= 24) {
            EXPECT_GE(yearHeight, 12);
            EXPECT_GT(monthHeight, yearHeight);
        }
        if (g.bottom > g.top) {
            EXPECT_GE(p.month.top, g.top);
            EXPECT_LE(p.year.bottom, g.bottom);
            // as much room above the block as below it
            int32_t above = p.month.top - g.top, below = g.bottom - p.year.bottom;
            EXPECT_LE(above <= below ? below - above : above - below, 1);
        } else {
            EXPECT_EQ(0, monthHeight + yearHeight);
        }
    }
    MonthMarkPlan p = PlanMonthMark(MarkBox{0, 26, 350, 250});
    EXPECT_EQ(140, p.month.bottom - p.month.top);   // five eighths of 224
    EXPECT_EQ(22, p.year.bottom - p.year.top);
}

}   // namespace

namespace {

// 0x00BBGGRR, as the settings hold colours
constexpr uint32_t Bgr(uint32_t r, uint32_t g, uint32_t b) { return b << 16 | g << 8 | r; }
const uint32_t DefaultBlue = 0xFF8080, White = 0xFFFFFF, Black = 0, Red = 0x0000FF, Yellow = 0x00FFFF;

TEST(Contrast, RatiosOfKnownPairs)
{
    const struct {
        uint32_t a, b;
        int32_t low, high;   // the ratio times 100 lies in [low, high]
    } cases[] = {
        {Black, White, 2100, 2100}, {White, Black, 2100, 2100}, {DefaultBlue, DefaultBlue, 100, 100},
        {White, DefaultBlue, 320, 330},   // the default text on the default background
        {Red, DefaultBlue, 115, 130},     // the default weekend colour: hard to read
        {Bgr(119, 119, 119), White, 445, 460},
    };
    for (const auto &c : cases) {
        const int32_t ratio = ContrastRatio100(c.a, c.b);
        EXPECT_GE(ratio, c.low) << std::hex << c.a << " on " << c.b;
        EXPECT_LE(ratio, c.high) << std::hex << c.a << " on " << c.b;
    }
}

TEST(Contrast, ReadableColourKeepsWhatReadsAndMovesTheRestTheShortWay)
{
    // readable already: unchanged
    EXPECT_EQ(White, ReadableColour(White, DefaultBlue, 300));
    EXPECT_EQ(Yellow, ReadableColour(Yellow, DefaultBlue, 300));
    // the weekend red on the default blue: a darker red, no other hue
    const uint32_t red = ReadableColour(Red, DefaultBlue, 300);
    EXPECT_GE(ContrastRatio100(red, DefaultBlue), 300);
    EXPECT_EQ(0u, red & 0xFFFF00) << std::hex << red;
    EXPECT_LT(red & 0xFF, 0xFFu);
    EXPECT_GE(red & 0xFF, 0x60u) << "no darker than it has to be";
    // light green on white goes dark; dark blue on black goes light
    const uint32_t cases[][2] = {{Bgr(144, 238, 144), White}, {Bgr(0, 0, 139), Black}, {Red, Bgr(255, 0, 0)}};
    for (const auto &c : cases)
        EXPECT_GE(ContrastRatio100(ReadableColour(c[0], c[1], 450), c[1]), 450) << std::hex << c[0];
    // out of reach (grey needs 21:1): the better of black and white
    EXPECT_EQ(Black, ReadableColour(Bgr(200, 200, 200), Bgr(200, 200, 200), 2100 + 1));
}

TEST(Contrast, TheSelectionFillReadsBetterThanTheBackgroundWithAnyColours)
{
    const uint32_t pairs[][2] = {
        {DefaultBlue, White},             // the defaults
        {Bgr(10, 200, 30), White},        // white on green, where the inverse fill was pink
        {White, Black}, {Black, White}, {Bgr(255, 255, 0), Bgr(0, 0, 128)},
        {Bgr(128, 128, 128), Bgr(128, 128, 128)},
    };
    for (const auto &p : pairs) {
        const uint32_t fill = SelectionFill(p[0], p[1]);
        EXPECT_GE(ContrastRatio100(p[0], fill), 120) << "seen apart from the background " << std::hex << p[0];
        const int32_t before = ContrastRatio100(p[1], p[0]);
        EXPECT_GE(ContrastRatio100(p[1], fill), before < 450 ? before : 450) << std::hex << p[0] << " " << p[1];
    }
}

}   // namespace
