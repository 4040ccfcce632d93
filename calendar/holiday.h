// Holidays are rules: a Gregorian or lunar month and day, or the n-th weekday
// of a month counted from its start or its end.
#pragma once
#include "calendar.h"
#include "../records/records.h"

typedef int32_t HolidayCode;
// Kind in bits 12..15.
#define HOLIDAY_TERM    0x1000   // solar term, index in bits 0..7 (never stored)
#define HOLIDAY_SOLAR   0x2000   // month << 8 | day
#define HOLIDAY_LUNAR   0x3000   // lunar month << 8 | day, regular months only
#define HOLIDAY_WEEKDAY 0x4000   // month << 8 | n << 4 | weekday; n 1..5 from the start, 7..11 from the end
#define HOLIDAY_NONE    0x5000   // this and above: no rule

// Rule codes as the holiday editor and loomcal build them.
HolidayCode SolarHolidayCode(int month, int day);
HolidayCode LunarHolidayCode(int month, int day);
// The n-th weekday (0 = Sunday) of a Gregorian month, ordinal 1..5 counted
// from the start of the month, or from its end when fromEnd (1 = the last).
HolidayCode WeekdayHolidayCode(int month, int ordinal, int fromEnd, int weekday);
// How many days the editors offer for a rule's month (1..12): 30 for every
// lunar month; for a Gregorian month its length with February at 29, so that
// a rule for 29 February can be made.
int HolidayRuleDays(int month, int lunar);

// The chain (through nextMatch) of the holidays falling on the date, the
// day's solar term first when withTerms (the user's "solar terms count as
// holidays" option); null when none. Valid until the next call; overwrites
// the shared day record.
HolidayEntry *HolidaysOn(PackedDate date, int withTerms);
// The same holidays in the same order, each visited with its code and name
// (the term's from SolarTermNames); nothing shared is written, so a visit may
// call into the engine. Stops when visit returns 0; returns how many were
// visited.
int ForEachHolidayOn(PackedDate date, int withTerms,
                     int (*visit)(HolidayCode code, const char *name, void *context), void *context);
// The rule's date in the year of TodayDate; 0 for codes of 0x5000 and above.
PackedDate HolidayDateThisYear(HolidayCode code);
// The rule as text in the shared 500-byte buffer, or null.
const char *DescribeHolidayCode(HolidayCode code);
// The same in the caller's buffer: out, or null (out then untouched).
const char *DescribeHolidayCodeInto(HolidayCode code, char *out, size_t size);
// Adds the 30 built-in rules to HolidayList in table order.
void AddBuiltInHolidays();
