// Closed-form day numbers of the proleptic Gregorian calendar, shared by the
// Gregorian and the lunar code of the engine (not part of its interface).
#pragma once
#include <stdint.h>

#include "calendar.h"

// Floor division and modulo for a positive divisor.
static constexpr inline int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b < 0); }
static constexpr inline int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

// A year divisible by 100 is divisible by 400 exactly when it is also
// divisible by 16. Bitwise operators: no branch for the random years of a
// month grid or a tooltip to mispredict.
static constexpr inline bool IsLeap64(int64_t y)
{
    return ((y & 3) == 0) & ((y % 100 != 0) | ((y & 15) == 0));
}

// Days from 0000-01-01 to January 1 of the year; year 0 is a leap year.
// Shifting the year by whole 400-year cycles keeps the divisions unsigned for
// every year a record can reach (beyond ±2^31 by month carries).
#define YEAR_SHIFT_CYCLES 6000000
static constexpr inline int64_t YearStartDayNumber(int64_t year)
{
    uint64_t u = (uint64_t)(year + 400LL * YEAR_SHIFT_CYCLES);
    int64_t leapDays = (int64_t)((u + 3) / 4 - (u + 99) / 100 + (u + 399) / 400) - 97LL * YEAR_SHIFT_CYCLES;
    return 365 * year + leapDays;
}

static constexpr int16_t DaysBefore[14] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
static constexpr int8_t MonthLengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Days of the year before the first of the month. Month 0 counts as month 1,
// as an empty sum would; months past 12 count the whole year.
static constexpr inline int64_t DaysBeforeMonth(int64_t year, int month)
{
    if (month < 0)
        month = 0;
    if (month > 13)
        month = 13;
    return DaysBefore[month] + ((month > 2) & IsLeap64(year));
}

// Day number (0 = 0000-01-01) of a packed date; the day is not checked
// against the month's length and simply counts on.
static constexpr inline int64_t DayNumberOf(PackedDate date)
{
    int64_t year = DATE_YEAR(date);
    return YearStartDayNumber(year) + DaysBeforeMonth(year, DATE_MONTH(date)) + DATE_DAY(date) - 1;
}

// NormalizeDay, returning the day number of the record's packed date, so that
// the lunar conversion that follows need not count it again.
int64_t NormalizeAndNumberDay(CalendarDay *rec);
