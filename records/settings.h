// The user's options, colours and window placements.
#pragma once
#include <stdint.h>

#define CTRL_CHIME         0x01
#define CTRL_SOLAR_TERMS   0x02
#define CTRL_HOLIDAY_ALERT 0x04
#define CTRL_AUTO_CLOSE    0x10
#define CTRL_PURGE_EXPIRED 0x20
#define CTRL_NOTE_OPEN     0x40
#define CTRL_SOUND         0x80
// the solar terms by the mean-year formula instead of their astronomical moments
#define CTRL_MEAN_TERMS    0x100
// chime, solar terms, holiday alert, auto-close and sound
#define CTRL_DEFAULTS      (CTRL_CHIME | CTRL_SOLAR_TERMS | CTRL_HOLIDAY_ALERT | CTRL_AUTO_CLOSE | CTRL_SOUND)

#define DOCK_NONE          0
#define DOCK_TOP           1
#define DOCK_LEFT          2
#define DOCK_RIGHT         4
#define DOCK_HIDDEN        0x10000
// A window is slid away when any of these bits is set; its edge is in the low half.
#define DOCK_HIDDEN_MASK   0xF0000
#define DOCK_EDGE_MASK     0xFFFF

struct WindowPos {
    int32_t left, top, right, bottom;
    int32_t dockState;
};

struct SettingsRecord {
    // the option and colour block, copied whole by the settings dialog
    uint32_t flags;
    uint32_t colorBackground;   // colours are 0x00BBGGRR
    uint32_t colorHoliday;
    uint32_t colorWeekend;
    uint32_t colorDefault;
    uint32_t colorMark;
    uint32_t customColors[16];
    // placements
    WindowPos MonthPos;
    WindowPos NotePos;
};

extern SettingsRecord Settings;

// Whether a day's solar term counts among its holidays (the user's option).
inline int SolarTermsAreHolidays() { return (Settings.flags & CTRL_SOLAR_TERMS) != 0; }
