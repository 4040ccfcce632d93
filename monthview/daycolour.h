// The text colour of a date in the month grid, also the colour of the tray
// icon's day number: mark, holiday, weekend or the default colour.
#pragma once
#include <stdint.h>
#include "../calendar/calendar.h"

// First match wins: a marked day note, a holiday (solar terms count when the
// user's option says so), Saturday or Sunday, anything else. 0x00BBGGRR.
uint32_t DayColour(PackedDate date);
// The same rule when the caller knows the weekday and the holiday lookup already.
uint32_t DayColourOf(PackedDate date, int weekday, int isHoliday);
