// The 24 solar terms. For 1900-2100 their dates are the local dates (UTC+8)
// of the astronomical moments, kept in a generated table; outside those years,
// or with the control bit CTRL_MEAN_TERMS, the mean-year formula: a fixed
// number of minutes after the year's 小寒, which moves by a constant tropical
// year per year.
#pragma once
#include "calendar.h"
#include "../records/records.h"

extern const int32_t SolarTermMinutes[24];
extern const char *const SolarTermNames[24];

// The static term record (code 0x1000 | index, the term's name) when a term
// falls on the date, otherwise null. Overwritten by the next call.
HolidayEntry *SolarTermOn(PackedDate date);
// The index 0..23 of the term on the date, or -1.
int SolarTermIndexOn(PackedDate date);
// The dates of the 24 terms of a Gregorian year in index order, each the date
// SolarTermOn reports the term on; 0 where a term falls outside the year.
void TermDatesOfYear(int year, PackedDate out[24]);
// Whether the year's terms come from the astronomical table (1 for 1900-2100
// unless the formula is chosen), rather than the formula.
int SolarTermsArePrecise(int year);
// The date of term `index` (0 = 小寒) of the year; *minuteOfDay gets the
// moment's minute of the day in UTC+8, or -1 when the formula gives only a date.
PackedDate SolarTermMoment(int year, int index, int *minuteOfDay);
// The moment of term `index` of the year as text: "2026-06-05 23:49" (UTC+8),
// or the date and "--:--" where the formula gives only a date, in the
// caller's buffer of TERM_MOMENT_SIZE bytes; returns out.
#define TERM_MOMENT_SIZE 40
const char *FormatTermMomentInto(int year, int index, char *out);
