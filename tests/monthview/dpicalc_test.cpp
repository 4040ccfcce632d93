// Display scaling: sizes at each DPI, and the places "dlm.ini" keeps.
#include <gtest/gtest.h>
#include "monthview/dpicalc.h"

namespace {

TEST(ScaleForDpi, RoundsToTheNearestPixelAtTheCommonScales)
{
    struct Case {
        int32_t value, dpi, scaled;
    } cases[] = {
        {26, 96, 26},  {26, 120, 33},  {26, 144, 39},  {26, 192, 52},   // 32.5 rounds up
        {13, 120, 16}, {13, 144, 20},  {12, 120, 15},  {350, 144, 525},
        {-249, 144, -374}, {1, 144, 2}, {26, 0, 26},   // no DPI known: 96
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ScaleForDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
        // every scaled 96-dpi size maps back to itself
        if (c.dpi > 0) {
            EXPECT_EQ(UnscaleForDpi(ScaleForDpi(c.value, c.dpi), c.dpi), c.value) << c.value << " at " << c.dpi;
        }
    }
}

TEST(ToolbarPictureSize, TheDrawnSizeNearestTheScaledOne)
{
    const int32_t cases[][2] = {{96, 16}, {110, 16}, {120, 24}, {144, 24}, {168, 32}, {192, 32}, {288, 32}, {72, 16}};
    for (const auto &c : cases)
        EXPECT_EQ(ToolbarPictureSize(c[0]), c[1]) << c[0];
}

TEST(StoredPlaces, AFileOfTodayLoadsUnchangedAt96AndKeepsItsCornerWhenScaled)
{
    struct Case {
        const char *name;
        WindowPos stored;
        int32_t dpi;
        WindowPos screen;
    } cases[] = {
        {"96 dpi", {250, 0, 600, 250, DOCK_TOP}, 96, {250, 0, 600, 250, DOCK_TOP}},
        {"150 %, docked at the top", {250, 0, 600, 250, DOCK_TOP}, 144, {250, 0, 775, 375, DOCK_TOP}},
        {"150 %, slid away up: the bottom line stays", {250, -249, 600, 1, DOCK_TOP | DOCK_HIDDEN}, 144,
         {250, -374, 775, 1, DOCK_TOP | DOCK_HIDDEN}},
        {"200 %, slid away left: the right column stays", {-349, 100, 1, 350, DOCK_LEFT | DOCK_HIDDEN}, 192,
         {-699, 100, 1, 600, DOCK_LEFT | DOCK_HIDDEN}},
        {"125 %, slid away right: the left column stays", {1365, 100, 1715, 350, DOCK_RIGHT | DOCK_HIDDEN},
         120, {1365, 100, 1803, 413, DOCK_RIGHT | DOCK_HIDDEN}},
        {"negative coordinates", {-1000, -500, -650, -250, DOCK_NONE}, 144, {-1000, -500, -475, -125, DOCK_NONE}},
    };
    for (const Case &c : cases) {
        WindowPos s = StoredToScreen(c.stored, c.dpi);
        EXPECT_EQ(s.left, c.screen.left) << c.name;
        EXPECT_EQ(s.top, c.screen.top) << c.name;
        EXPECT_EQ(s.right, c.screen.right) << c.name;
        EXPECT_EQ(s.bottom, c.screen.bottom) << c.name;
        EXPECT_EQ(s.dockState, c.screen.dockState) << c.name;
        WindowPos back = ScreenToStored(s, c.dpi);
        EXPECT_EQ(0, memcmp(&back, &c.stored, sizeof back)) << c.name << ": not what the file held";
    }
}

}   // namespace
