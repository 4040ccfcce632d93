#include "settingsedit.h"
#include <stddef.h>
#include <string.h>
#include "../resources/resource.h"

static const struct {
    int control;
    uint32_t bit;
} OptionBoxes[] = {
    {IDC_OPT_CHIME, CTRL_CHIME}, {IDC_OPT_TERMS, CTRL_SOLAR_TERMS},   {IDC_OPT_HOLIDAY, CTRL_HOLIDAY_ALERT},
    {IDC_OPT_SOUND, CTRL_SOUND}, {IDC_OPT_PURGE, CTRL_PURGE_EXPIRED}, {IDC_OPT_AUTOCLOSE, CTRL_AUTO_CLOSE},
    {IDC_OPT_MEAN_TERMS, CTRL_MEAN_TERMS},
};

uint32_t OptionBitOf(int control)
{
    for (const auto &box : OptionBoxes)
        if (box.control == control)
            return box.bit;
    return 0;
}

uint32_t *ColourFieldOf(SettingsRecord *settings, int control)
{
    switch (control) {
    case IDC_COLOR_BACK: return &settings->colorBackground;
    case IDC_COLOR_HOLIDAY: return &settings->colorHoliday;
    case IDC_COLOR_WEEKEND: return &settings->colorWeekend;
    case IDC_COLOR_DEFAULT: return &settings->colorDefault;
    case IDC_COLOR_MARK: return &settings->colorMark;
    default: return 0;
    }
}

int ToggleOption(SettingsRecord *settings, int control)
{
    uint32_t bit = OptionBitOf(control);
    settings->flags ^= bit;
    return bit != 0;
}

int TakeChosenColour(SettingsRecord *settings, int control, uint32_t result)
{
    uint32_t *field = ColourFieldOf(settings, control);
    if (!field || *field == result)
        return 0;
    *field = result;
    return 1;
}

// The block runs from flags to the end of the custom colours, in this order.
static_assert(offsetof(SettingsRecord, flags) == 0 && offsetof(SettingsRecord, MonthPos) == 22 * 4,
              "the option and colour block is 22 words at the start of the record");

void CopyOptionBlock(SettingsRecord *to, const SettingsRecord *from)
{
    if (to != from)
        memcpy(to, from, offsetof(SettingsRecord, MonthPos));
}
