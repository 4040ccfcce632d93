// What a memo's `when` means: on which dates it applies, and how it reads.
#pragma once
#include <stdint.h>
#include "calendar.h"
#include "../records/records.h"

// 1 when a memo with this `when` applies on the date: that date itself,
// every day, the day of the month (monthly), the weekday (weekly), the month
// and day every year (yearly; 29 February on 28 February in common years) or
// every working day (workdays: Monday to Friday except the days off, and the
// make-up workdays), or
// the lunar month and day every lunar year (lunar yearly; day 30 on day 29 of
// a short month; a regular month never in the leap month of its number, a
// leap month in the regular month in years without that leap month).
int MemoAppliesOn(uint32_t when, PackedDate date);
// "每月%d日", "每周%s", "每年%02d月%02d日", "农历每年[闰]%d月%d日", "工作日", the date,
// "每天" for every day, or "[无]" for a `when` that is none of these; in the shared 500-byte buffer (or a constant),
// valid until the next use of that buffer.
const char *FormatMemoWhen(uint32_t when);

// The `when` of the two yearly kinds. Months 1..12; days 1..31 (Gregorian,
// up to the month's length with February at 29) or 1..30 (lunar).
uint32_t YearlyWhen(int month, int day);
uint32_t LunarYearlyWhen(int month, int day, int leap);
// 1 and the parts when `when` is a well-formed memo of that kind, else 0.
int YearlyWhenParts(uint32_t when, int *month, int *day);
int LunarYearlyWhenParts(uint32_t when, int *month, int *day, int *leap);
// The one date of a yearly memo in a Gregorian year (1..9999), and of a lunar
// yearly memo in a lunar year (1900..2100), by the rules of MemoAppliesOn;
// 0 when `when` is not of that kind or the year is outside the range.
PackedDate YearlyMemoDate(uint32_t when, int year);
PackedDate LunarYearlyMemoDate(uint32_t when, int lunarYear);
