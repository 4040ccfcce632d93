// Lunar conversion: known dates, the corrected table words, round trips, and
// the indexed engine against the table-walking reference on every date.
#include <gtest/gtest.h>
#include <string.h>

#include "calendar/calendar.h"
#include "tests/reference/reference.h"

namespace {

#define LUNAR(y, m, d) PACK_DATE(y, m, d)

struct LunarExpect {
    int year, month, day, isLeap;
};

void ExpectLunar(PackedDate date, LunarExpect want)
{
    const CalendarDay *r = GetDayInfo(date);
    SCOPED_TRACE(FormatPackedDate(date));
    ASSERT_EQ(1, r->lunarValid);
    EXPECT_EQ(want.year, r->lunarYear);
    EXPECT_EQ(want.month, r->lunarMonth);
    EXPECT_EQ(want.day, r->lunarDay);
    EXPECT_EQ(want.isLeap, r->isLeapMonth);
}

TEST(LunarKnownDates, TableEnds)
{
    const CalendarDay *r = GetDayInfo(PACK_DATE(1900, 1, 31));
    EXPECT_EQ(1, r->lunarValid);
    EXPECT_EQ(1900, r->lunarYear);
    EXPECT_EQ(1, r->lunarMonth);
    EXPECT_EQ(1, r->lunarDay);
    EXPECT_EQ(1, r->lunarDayOfYear);
    EXPECT_EQ(36, r->yearCycle);
    EXPECT_EQ(14, r->monthCycle);
    EXPECT_EQ(40, r->dayCycle);
    EXPECT_EQ(8, r->leapMonth);
    EXPECT_EQ(29, r->lunarMonthDays);

    // Before the epoch nothing lunar is written, not even the day counter.
    r = GetDayInfo(PACK_DATE(1900, 1, 30));
    EXPECT_EQ(0, r->lunarValid);
    EXPECT_EQ(40, r->dayCycle);
    EXPECT_EQ(1900, r->lunarYear);

    r = GetDayInfo(PACK_DATE(2101, 1, 28));
    EXPECT_EQ(1, r->lunarValid);
    EXPECT_EQ(2100, r->lunarYear);
    EXPECT_EQ(12, r->lunarMonth);
    EXPECT_EQ(29, r->lunarDay);
    EXPECT_EQ(354, r->lunarDayOfYear);
    int32_t lastCycle = r->dayCycle;
    EXPECT_EQ(73411 + 40, lastCycle);

    // Past the end the day counter still moves on; the rest stays.
    r = GetDayInfo(PACK_DATE(2101, 1, 29));
    EXPECT_EQ(0, r->lunarValid);
    EXPECT_EQ(lastCycle + 1, r->dayCycle);
    EXPECT_EQ(2100, r->lunarYear);
    EXPECT_EQ(29, r->lunarDay);
}

TEST(LunarKnownDates, NewYearsAndLeapMonths)
{
    ExpectLunar(PACK_DATE(2004, 1, 22), {2004, 1, 1, 0});
    ExpectLunar(PACK_DATE(2004, 1, 21), {2003, 12, 30, 0});
    EXPECT_EQ(355, GetDayInfo(PACK_DATE(2004, 1, 21))->lunarDayOfYear);
    ExpectLunar(PACK_DATE(2024, 2, 10), {2024, 1, 1, 0});
    ExpectLunar(PACK_DATE(2025, 7, 25), {2025, 6, 1, 1});

    const CalendarDay *r = GetDayInfo(PACK_DATE(2023, 3, 22));
    EXPECT_EQ(2, r->lunarMonth);
    EXPECT_EQ(1, r->lunarDay);
    EXPECT_EQ(1, r->isLeapMonth);
    EXPECT_EQ(2, r->leapMonth);
    EXPECT_EQ(29, r->lunarMonthDays);
    EXPECT_EQ(60, r->lunarDayOfYear);
    int32_t leapCycle = r->monthCycle;
    r = GetDayInfo(PACK_DATE(2023, 3, 21));   // last day of the regular month 2
    EXPECT_EQ(0, r->isLeapMonth);
    EXPECT_EQ(30, r->lunarMonthDays);
    EXPECT_EQ(leapCycle, r->monthCycle);
    ExpectLunar(PACK_DATE(2023, 4, 19), {2023, 2, 29, 1});
    ExpectLunar(PACK_DATE(2023, 4, 20), {2023, 3, 1, 0});
    EXPECT_EQ(leapCycle + 1, GetDayInfo(PACK_DATE(2023, 4, 20))->monthCycle);
}

TEST(LunarKnownDates, YearLengths)
{
    int shortest = 400, longest = 0, leapYears = 0;
    for (int y = LUNAR_FIRST_YEAR; y <= LUNAR_LAST_YEAR; y++) {
        int n = LunarYearDays(y);
        ASSERT_EQ(RefLunarYearDays(y), n) << y;
        ASSERT_EQ(RefLeapMonthDays(y), LeapMonthDays(y)) << y;
        shortest = n < shortest ? n : shortest;
        longest = n > longest ? n : longest;
        leapYears += LeapMonthOf(y) != 0;
        // A year with a leap month has 13 months, 383..385 days.
        EXPECT_EQ(LeapMonthOf(y) != 0, n > 380) << y;
    }
    EXPECT_EQ(353, shortest);
    EXPECT_EQ(385, longest);
    EXPECT_EQ(74, leapYears);
    EXPECT_EQ(30, LunarMonthDays(2023, 2));
    EXPECT_EQ(29, LeapMonthDays(2023));
    EXPECT_EQ(0, LeapMonthDays(2100));
}

TEST(LunarKnownDates, LunarToSolar)
{
    EXPECT_EQ(PACK_DATE(2023, 4, 22), LunarToSolar(LUNAR(2023, 3, 3)));    // after leap month 2
    EXPECT_EQ(PACK_DATE(2006, 10, 6), LunarToSolar(LUNAR(2006, 8, 15)));   // after leap month 7
    EXPECT_EQ(PACK_DATE(2020, 6, 21), LunarToSolar(LUNAR(2020, 5, 1)));
    EXPECT_EQ(PACK_DATE(2024, 2, 10), LunarToSolar(LUNAR(2024, 1, 1)));
    EXPECT_EQ(PACK_DATE(2024, 1, 18), LunarToSolar(LUNAR(2023, 12, 8)));
    EXPECT_EQ(PACK_DATE(2025, 10, 6), LunarToSolar(LUNAR(2025, 8, 15)));
    EXPECT_EQ(PACK_DATE(1900, 1, 31), LunarToSolar(LUNAR(1900, 1, 1)));
    EXPECT_EQ(PACK_DATE(2101, 1, 28), LunarToSolar(LUNAR(2100, 12, 29)));
    // Outside the table the same numbers are taken as a Gregorian date.
    EXPECT_EQ(PACK_DATE(1899, 5, 5), LunarToSolar(LUNAR(1899, 5, 5)));
    EXPECT_EQ(PACK_DATE(2101, 3, 2), LunarToSolar(LUNAR(2101, 2, 30)));
    // A day past the month's length runs on: 2023 month 1 has 29 days.
    EXPECT_EQ(29, LunarMonthDays(2023, 1));
    EXPECT_EQ(LunarToSolar(LUNAR(2023, 2, 1)), LunarToSolar(LUNAR(2023, 1, 30)));
    // A leap month is never the target: month 3 lies beyond it.
    EXPECT_EQ(30 + 29, DaysBetween(LunarToSolar(LUNAR(2023, 2, 1)), LunarToSolar(LUNAR(2023, 3, 1))));

    // The shared record comes back filled: time zero, both parts.
    const CalendarDay *r = LunarToSolarDay(LUNAR(2024, 1, 1));
    EXPECT_EQ(PACK_DATE(2024, 2, 10), r->packed);
    EXPECT_EQ(0, r->hour);
    EXPECT_EQ(6, r->weekday);
    EXPECT_EQ(1, r->lunarValid);
    EXPECT_EQ(2024, r->lunarYear);
    EXPECT_EQ(1, r->lunarDay);
}

// Each corrected word changes the length of a month or two; the expected
// dates follow from the words alone, counted from the year's new year.
TEST(LunarCorrectedYears, MonthStarts)
{
    // 1933, 16A95: leap month 5 of 30 days (bit 16), then month 6 of 29
    // (months 0110 1010 1001). New year 1933-01-26; months 1..5 of 29, 30,
    // 30, 29, 30 days put 5/1 on 05-24, leap 5/1 on 06-23 and 6/1 on 07-23.
    EXPECT_EQ(5, LeapMonthOf(1933));
    EXPECT_EQ(30, LeapMonthDays(1933));
    ExpectLunar(PACK_DATE(1933, 6, 23), {1933, 5, 1, 1});
    ExpectLunar(PACK_DATE(1933, 7, 22), {1933, 5, 30, 1});
    ExpectLunar(PACK_DATE(1933, 7, 23), {1933, 6, 1, 0});
    ExpectLunar(PACK_DATE(1933, 8, 20), {1933, 6, 29, 0});
    EXPECT_EQ(PACK_DATE(1933, 7, 23), LunarToSolar(LUNAR(1933, 6, 1)));
    EXPECT_EQ(PACK_DATE(1933, 8, 21), LunarToSolar(LUNAR(1933, 7, 1)));

    // 1954, 0A5B0: month 10 of 29 days and month 11 of 30 (1011 for months
    // 9..12). 10/1 is 1954-10-27, so 11/1 is 11-25 and 12/1 is 12-25.
    ExpectLunar(PACK_DATE(1954, 11, 24), {1954, 10, 29, 0});
    ExpectLunar(PACK_DATE(1954, 11, 25), {1954, 11, 1, 0});
    ExpectLunar(PACK_DATE(1954, 12, 24), {1954, 11, 30, 0});
    EXPECT_EQ(PACK_DATE(1954, 11, 25), LunarToSolar(LUNAR(1954, 11, 1)));
    EXPECT_EQ(PACK_DATE(1954, 12, 25), LunarToSolar(LUNAR(1954, 12, 1)));

    // 1956, 052B0: the same pattern; 10/1 is 1956-11-03, 11/1 is 12-02, 12/1
    // is 1957-01-01.
    ExpectLunar(PACK_DATE(1956, 12, 1), {1956, 10, 29, 0});
    ExpectLunar(PACK_DATE(1956, 12, 2), {1956, 11, 1, 0});
    EXPECT_EQ(PACK_DATE(1957, 1, 1), LunarToSolar(LUNAR(1956, 12, 1)));

    // 1978, 0B6A0: month 7 of 30 days and month 8 of 29 (0110 for months
    // 5..8). 7/1 is 1978-08-04, so 8/1 is 09-03 and 9/1 is 10-02.
    ExpectLunar(PACK_DATE(1978, 9, 2), {1978, 7, 30, 0});
    ExpectLunar(PACK_DATE(1978, 9, 3), {1978, 8, 1, 0});
    ExpectLunar(PACK_DATE(1978, 9, 17), {1978, 8, 15, 0});
    EXPECT_EQ(PACK_DATE(1978, 10, 2), LunarToSolar(LUNAR(1978, 9, 1)));

    // 1996, 05AC0: months 5..8 of 30, 29, 30, 29 days (1010). 5/1 is
    // 1996-06-16, so 6/1 is 07-16, 7/1 is 08-14, 8/1 is 09-13, 9/1 is 10-12.
    ExpectLunar(PACK_DATE(1996, 7, 15), {1996, 5, 30, 0});
    ExpectLunar(PACK_DATE(1996, 7, 16), {1996, 6, 1, 0});
    ExpectLunar(PACK_DATE(1996, 9, 12), {1996, 7, 30, 0});
    ExpectLunar(PACK_DATE(1996, 9, 13), {1996, 8, 1, 0});
    EXPECT_EQ(PACK_DATE(1996, 9, 27), LunarToSolar(LUNAR(1996, 8, 15)));
    EXPECT_EQ(PACK_DATE(1996, 10, 12), LunarToSolar(LUNAR(1996, 9, 1)));

    // 2033, 04AFB: leap month 11 of 29 days; months 0100 1010 1111. New year
    // 2033-01-31; no leap month after month 7, so 8/1 is 08-25; 11/1 is
    // 11-22, leap 11/1 is 12-22 and 12/1 is 2034-01-20.
    EXPECT_EQ(11, LeapMonthOf(2033));
    ExpectLunar(PACK_DATE(2033, 1, 31), {2033, 1, 1, 0});
    ExpectLunar(PACK_DATE(2033, 8, 25), {2033, 8, 1, 0});
    ExpectLunar(PACK_DATE(2033, 11, 22), {2033, 11, 1, 0});
    ExpectLunar(PACK_DATE(2033, 12, 21), {2033, 11, 30, 0});
    ExpectLunar(PACK_DATE(2033, 12, 22), {2033, 11, 1, 1});
    ExpectLunar(PACK_DATE(2034, 1, 19), {2033, 11, 29, 1});
    ExpectLunar(PACK_DATE(2034, 1, 20), {2033, 12, 1, 0});
    EXPECT_EQ(11, GetDayInfo(PACK_DATE(2033, 3, 1))->leapMonth);
    EXPECT_EQ(PACK_DATE(2034, 1, 20), LunarToSolar(LUNAR(2033, 12, 1)));
    EXPECT_EQ(PACK_DATE(2033, 8, 25), LunarToSolar(LUNAR(2033, 8, 1)));
}

TEST(LunarAgainstReference, EveryDateOfTheTableAndAround)
{
    // Both shared records start from the same valid day, so the fields a date
    // outside the table leaves alone agree as well.
    GetDayInfo(PACK_DATE(2000, 6, 1));
    RefGetDayInfo(PACK_DATE(2000, 6, 1));
    CalendarDay fast;
    memset(&fast, 0, sizeof fast);
    fast.year = 1899;
    fast.month = 12;
    fast.day = 1;
    NormalizeDay(&fast);
    int checked = 0;
    while (fast.packed <= PACK_DATE(2101, 3, 31)) {
        PackedDate d = fast.packed;
        CalendarDay got = *GetDayInfo(d);
        const CalendarDay *want = RefGetDayInfo(d);
        const char *field = RefFirstDifference(&got, want);
        ASSERT_EQ(nullptr, field) << FormatPackedDate(d);
        checked += got.lunarValid;
        fast.day++;
        NormalizeDay(&fast);
    }
    EXPECT_EQ(73412, checked);

    const PackedDate outside[] = {PACK_DATE(1800, 6, 15),  PACK_DATE(1000, 1, 1),  PACK_DATE(2300, 1, 1),
                                  PACK_DATE(9999, 12, 31), PACK_DATE(1900, 1, 0),  PACK_DATE(1900, 2, 0),
                                  PACK_DATE(2101, 1, 40),  PACK_DATE(2000, 13, 1), PACK_DATE(2000, 0, 5)};
    for (PackedDate d : outside) {
        CalendarDay got = *GetDayInfo(d);
        EXPECT_EQ(nullptr, RefFirstDifference(&got, RefGetDayInfo(d))) << std::hex << d;
    }
}

TEST(LunarAgainstReference, ComputeDayWithTimes)
{
    // Times that carry into the next or the previous day move the lunar date too.
    const int32_t cases[][6] = {{2023, 3, 21, 24, 0, 0},  {2023, 3, 22, 0, 0, -1},
                                {1900, 1, 31, -1, 0, 0},  {2101, 1, 28, 23, 59, 60},
                                {2033, 12, 21, 47, 0, 0}, {2024, 2, 9, 0, 1440, 0}};
    for (const auto &c : cases) {
        CalendarDay fast;
        memset(&fast, 0x3C, sizeof fast);
        fast.year = c[0], fast.month = c[1], fast.day = c[2], fast.hour = c[3], fast.minute = c[4];
        fast.second = c[5];
        CalendarDay ref = fast;
        EXPECT_EQ(RefComputeDay(&ref), ComputeDay(&fast));
        EXPECT_EQ(nullptr, RefFirstDifference(&fast, &ref)) << c[0] << "-" << c[1] << "-" << c[2];
    }
}

TEST(LunarAgainstReference, RoundTripsOfEveryLunarDate)
{
    for (int y = LUNAR_FIRST_YEAR; y <= LUNAR_LAST_YEAR; y++) {
        for (int m = 1; m <= 12; m++) {
            int n = LunarMonthDays(y, m);
            // One day past the month's length as well: it must land on the
            // next month's (or the leap month's) first day.
            for (int d = 1; d <= n + 1; d++) {
                PackedDate solar = LunarToSolar(LUNAR(y, m, d));
                // The reference sums the years one by one, so it is asked at
                // the month's edges only; the round trip covers the days between.
                if (d == 1 || d >= n) {
                    ASSERT_EQ(RefLunarToSolar(LUNAR(y, m, d)), solar) << y << "/" << m << "/" << d;
                }
                const CalendarDay *r = GetDayInfo(solar);
                if (d <= n) {
                    ASSERT_EQ(1, r->lunarValid);
                    ASSERT_EQ(y, r->lunarYear);
                    ASSERT_EQ(m, r->lunarMonth);
                    ASSERT_EQ(d, r->lunarDay);
                    ASSERT_EQ(0, r->isLeapMonth) << y << "/" << m << "/" << d;
                } else if (y < LUNAR_LAST_YEAR || m < 12) {
                    ASSERT_EQ(1, r->lunarValid);
                    ASSERT_EQ(1, r->lunarDay);
                    ASSERT_EQ(m == LeapMonthOf(y), r->isLeapMonth == 1) << y << "/" << m;
                }
            }
        }
    }
}

TEST(LunarAgainstReference, OddLunarInputs)
{
    // Day 0, negative days, days far past the month, years beyond the table.
    const int32_t cases[][3] = {{2023, 2, 0},   {2023, 3, -40}, {2023, 12, 200}, {1900, 1, 0},
                                {2100, 12, 31}, {1899, 12, 31}, {2101, 1, 1},    {1850, 2, 30},
                                {2033, 11, 60}, {1933, 6, 0}};
    for (const auto &c : cases) {
        CalendarDay fast;
        memset(&fast, 0, sizeof fast);
        fast.lunarYear = c[0], fast.lunarMonth = c[1], fast.lunarDay = c[2];
        CalendarDay ref = fast;
        LunarToSolarInPlace(&fast);
        RefLunarToSolarInPlace(&ref);
        EXPECT_EQ(nullptr, RefFirstDifference(&fast, &ref)) << c[0] << "/" << c[1] << "/" << c[2];
    }
}

}   // namespace
