// The 24 solar terms by the mean-year formula: a fixed number of minutes
// after the year's 小寒, which moves by a constant tropical year per year.
#pragma once
#include "calendar.h"
#include "../store/records.h"

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
