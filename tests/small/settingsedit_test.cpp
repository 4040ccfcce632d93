// The settings dialog's decisions: check boxes and bits, colour buttons and
// fields, and what goes back over the live settings at OK.
#include <gtest/gtest.h>
#include <string.h>
#include "dialogs/settingsedit.h"
#include "resources/resource.h"

namespace {

TEST(SettingsEdit, EachCheckBoxSwitchesItsOwnBitAndNothingElse)
{
    const struct {
        int control;
        uint32_t bit;
    } boxes[] = {
        {IDC_OPT_CHIME, 0x01}, {IDC_OPT_TERMS, 0x02}, {IDC_OPT_HOLIDAY, 0x04},
        {IDC_OPT_SOUND, 0x80}, {IDC_OPT_PURGE, 0x20}, {IDC_OPT_AUTOCLOSE, 0x10},
        {IDC_OPT_MEAN_TERMS, 0x100},
    };
    for (const auto &b : boxes) {
        EXPECT_EQ(OptionBitOf(b.control), b.bit) << b.control;
        SettingsRecord s;
        memset(&s, 0, sizeof s);
        s.flags = 0x48;   // the unused bit and the note's bit: never touched here
        EXPECT_EQ(ToggleOption(&s, b.control), 1);
        EXPECT_EQ(s.flags, 0x48u | b.bit);
        ToggleOption(&s, b.control);
        EXPECT_EQ(s.flags, 0x48u) << "twice leaves the bit as it was";
    }
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    const int others[] = {1, 2, IDC_COLOR_BACK, 1028, 1033};   // OK, Cancel, a colour button, none
    for (int control : others) {
        EXPECT_EQ(OptionBitOf(control), 0u);
        EXPECT_EQ(ToggleOption(&s, control), 0);
    }
    EXPECT_EQ(s.flags, 0u);
}

TEST(SettingsEdit, AChosenColourChangesOnlyItsButtonsField)
{
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    s.colorWeekend = 0xFF;
    // a cancelled chooser gives back the colour it was given: nothing to repaint
    EXPECT_EQ(TakeChosenColour(&s, IDC_COLOR_WEEKEND, 0xFF), 0);
    EXPECT_EQ(TakeChosenColour(&s, IDC_COLOR_WEEKEND, 0x123456), 1);
    EXPECT_EQ(s.colorWeekend, 0x123456u);
    EXPECT_EQ(s.colorHoliday | s.colorBackground | s.colorDefault | s.colorMark, 0u);
    EXPECT_EQ(TakeChosenColour(&s, IDC_OPT_CHIME, 0x123456), 0);
    EXPECT_EQ(ColourFieldOf(&s, 1028), nullptr);
}

TEST(SettingsEdit, OkCopiesOptionsColoursAndCustomColoursButNoPlacement)
{
    SettingsRecord live, copy;
    memset(&live, 0, sizeof live);
    live.MonthPos = WindowPos{0, 0, 350, 250, 1};
    live.NotePos = WindowPos{250, 0, 600, 250, 0x10001};
    memset(&copy, 0x7A, sizeof copy);
    copy.flags = 0x97;
    copy.colorBackground = 0x102030;
    copy.colorMark = 0x00FF00;
    for (int i = 0; i < 16; i++)
        copy.customColors[i] = 0x010101u * (uint32_t)i;
    CopyOptionBlock(&live, &copy);
    EXPECT_EQ(live.flags, 0x97u);
    EXPECT_EQ(live.colorBackground, 0x102030u);
    EXPECT_EQ(live.colorHoliday, 0x7A7A7A7Au);
    EXPECT_EQ(live.colorMark, 0x00FF00u);
    EXPECT_EQ(live.customColors[15], 0x0F0F0Fu);
    EXPECT_EQ(live.MonthPos.right, 350);
    EXPECT_EQ(live.NotePos.dockState, 0x10001);
    CopyOptionBlock(&live, &live);   // the copy that could not be made is the live block itself
    EXPECT_EQ(live.flags, 0x97u);
}

}   // namespace
