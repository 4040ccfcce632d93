// What the notification-area icon shows for today, on plain data: the day
// number, its colour and the tip. tray.cpp draws the icon and hands it to the shell.
#pragma once
#include <stdint.h>
#include "../calendar/calendar.h"

// The tip field of the icon: 64 bytes, its NUL included.
#define TRAY_TIP_SIZE 64

struct TrayLook {
    int32_t day;               // the day of the month, drawn on the icon
    uint32_t colour;           // its colour, 0x00BBGGRR; the field is the inverse
    char tip[TRAY_TIP_SIZE];   // the Gregorian date, the lunar date and the holidays
};

// The month grid's colour for the day, and the day text without the
// stem-branch line (solar terms among the holidays when the user's option
// says so), cut to fit the tip.
void TrayLookOf(PackedDate date, TrayLook *look);
// Copies text into a tip field: at most 63 bytes and never half of a GBK
// character, since a cut lead byte would swallow the NUL in the shell's eyes.
void CutTrayTip(char *tip, const char *text);
// The field behind the day number: the inverse of its colour.
inline uint32_t TrayFieldColour(uint32_t colour) { return ~colour & 0xFFFFFF; }
