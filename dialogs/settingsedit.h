// The settings dialog's decisions on plain data: which option bit a check box
// switches, which colour a colour button shows, and how the working copy of
// the option and colour block goes back over the live settings.
#pragma once
#include <stdint.h>
#include "../records/settings.h"

// The option bit of a check box of the dialog, or 0 for any other control.
uint32_t OptionBitOf(int control);
// The colour field of a colour button in a settings record, or null for any other control.
uint32_t *ColourFieldOf(SettingsRecord *settings, int control);
// A click on a check box: its bit is inverted, whatever the box shows (the
// auto check box has already turned itself, so the two stay in step). 1 when
// control is one of the six boxes.
int ToggleOption(SettingsRecord *settings, int control);
// The colour chooser has closed, confirmed or not (a cancelled chooser hands
// back the colour it was given): the button's colour takes its result. 1 when
// the colour changed, so the button has to be repainted.
int TakeChosenColour(SettingsRecord *settings, int control, uint32_t result);
// Copies the option and colour block (flags, the five colours and the 16
// custom colours of the chooser); the window placements are not touched.
void CopyOptionBlock(SettingsRecord *to, const SettingsRecord *from);
