// The day description behind the day tooltips, the tray tip and the lunar
// caption under each day number.
#pragma once
#include "calendar.h"
#include "../records/records.h"

#define DAYTEXT_SOLAR       0x01   // the Gregorian line; starts the text
#define DAYTEXT_LUNAR       0x02   // the lunar line
#define DAYTEXT_HOLIDAYS    0x04   // one line per holiday or solar term
#define DAYTEXT_LUNAR_SHORT 0x08   // only the short lunar day name
#define DAYTEXT_CYCLE       0x10   // the stem-branch line (with the lunar line)
#define DAYTEXT_TERMS       0x20   // a solar term counts among the holidays

extern char DayTextBuffer[1000];
const char *DayText(PackedDate date, int flags);

// The caption under a day number: the name of the day's first holiday or
// solar term (holidays: the day's HolidaysOn chain), else its short lunar
// name, else null (a day outside the lunar table without holidays).
const char *DayCaption(PackedDate date, const HolidayEntry *holidays);
