// Gregorian arithmetic: known dates, and the closed-form day counts and
// carries against the year-by-year, unit-by-unit reference over 1800..2300.
#include <gtest/gtest.h>
#include <string.h>

#include <random>

#include "calendar/calendar.h"
#include "calendar/today.h"
#include "tests/reference/reference.h"

namespace {

CalendarDay Record(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    CalendarDay rec;
    memset(&rec, 0x5A, sizeof rec);   // the lunar part must come through untouched
    rec.year = year;
    rec.month = month;
    rec.day = day;
    rec.hour = hour;
    rec.minute = minute;
    rec.second = second;
    return rec;
}

CalendarDay Normalized(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    CalendarDay rec = Record(year, month, day, hour, minute, second);
    NormalizeDay(&rec);
    return rec;
}

// Calls f(packed) for every valid date of the years.
template <typename F> void ForEachDate(int firstYear, int lastYear, F f)
{
    for (int y = firstYear; y <= lastYear; y++)
        for (int m = 1; m <= 12; m++)
            for (int d = 1, n = RefDaysInMonth(y, m); d <= n; d++)
                f(PACK_DATE(y, m, d));
}

TEST(GregorianKnownDates, LeapYearsAndMonthLengths)
{
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2004));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_TRUE(IsLeapYear(0));
    EXPECT_TRUE(IsLeapYear(-4));
    EXPECT_FALSE(IsLeapYear(-100));
    EXPECT_TRUE(IsLeapYear(-400));
    EXPECT_EQ(29, DaysInMonth(2004, 2));
    EXPECT_EQ(28, DaysInMonth(1900, 2));
    EXPECT_EQ(31, DaysInMonth(2003, 12));
    EXPECT_EQ(30, DaysInMonth(2003, 4));
}

TEST(GregorianKnownDates, DayCountsAndWeekdays)
{
    EXPECT_EQ(37976, DaysBetween(PACK_DATE(1900, 1, 31), PACK_DATE(2004, 1, 22)));
    EXPECT_EQ(-37976, DaysBetween(PACK_DATE(2004, 1, 22), PACK_DATE(1900, 1, 31)));
    EXPECT_EQ(-31, DaysBetween(PACK_DATE(1970, 2, 1), PACK_DATE(1970, 1, 1)));
    // A day past the month's end counts on: 1970-01-40 is 1970-02-09.
    EXPECT_EQ(8, DaysBetween(PACK_DATE(1970, 2, 1), PACK_DATE(1970, 1, 40)));
    EXPECT_EQ(0, WeekdayOf(PACK_DATE(1970, 2, 1)));
    EXPECT_EQ(6, WeekdayOf(PACK_DATE(1970, 1, 31)));
    EXPECT_EQ(3, WeekdayOf(PACK_DATE(1900, 1, 31)));
    EXPECT_EQ(0, WeekdayOf(PACK_DATE(2004, 9, 26)));
    EXPECT_EQ(1, WeekdayOf(PACK_DATE(1, 1, 1)));   // proleptic: a Monday
    EXPECT_EQ(6, WeekdayOf(PACK_DATE(0, 1, 1)));
    EXPECT_EQ(5, WeekdayOf((PackedDate)0xFFFF0C1F));   // -1-12-31, the day before 0000-01-01
}

TEST(GregorianKnownDates, Normalization)
{
    CalendarDay r = Normalized(2004, 2, 30);
    EXPECT_EQ(PACK_DATE(2004, 3, 1), r.packed);
    EXPECT_EQ(61, r.dayOfYear);
    EXPECT_EQ(31, r.daysInMonth);
    EXPECT_EQ(PACK_DATE(2005, 1, 1), Normalized(2004, 13, 1).packed);
    EXPECT_EQ(PACK_DATE(2004, 2, 29), Normalized(2004, 3, 0).packed);
    EXPECT_EQ(PACK_DATE(2002, 12, 1), Normalized(2003, 0, 1).packed);
    r = Normalized(2004, 12, 31, 24);
    EXPECT_EQ(PACK_DATE(2005, 1, 1), r.packed);
    EXPECT_EQ(0, r.hour);
    r = Normalized(2000, 1, 1, 0, 0, -1);
    EXPECT_EQ(PACK_DATE(1999, 12, 31), r.packed);
    EXPECT_EQ(23, r.hour);
    EXPECT_EQ(59, r.minute);
    EXPECT_EQ(59, r.second);
    EXPECT_EQ(5, r.weekday);
    EXPECT_EQ(0x5A5A5A5A, r.lunarValid);
    EXPECT_EQ(0x5A5A5A5A, r.dayCycle);
}

TEST(GregorianKnownDates, IsoWeekNumbers)
{
    EXPECT_EQ(53, Normalized(2004, 12, 31).weekOfYear);
    EXPECT_EQ(53, Normalized(2005, 1, 1).weekOfYear);
    EXPECT_EQ(1, Normalized(2009, 1, 1).weekOfYear);
    EXPECT_EQ(53, Normalized(2010, 1, 3).weekOfYear);
    EXPECT_EQ(1, Normalized(2019, 12, 31).weekOfYear);
    EXPECT_EQ(52, Normalized(2101, 1, 1).weekOfYear);
    EXPECT_EQ(52, Normalized(2101, 1, 2).weekOfYear);
    EXPECT_EQ(1, Normalized(2101, 1, 3).weekOfYear);
    EXPECT_EQ(49, Normalized(2026, 12, 5).weekOfYear);
}

TEST(GregorianKnownDates, MovingByMilliseconds)
{
    CalendarDay r = Record(2000, 1, 2, 12);
    AddMilliseconds(&r, -1.5 * 86400000.0);
    EXPECT_EQ(PACK_DATE(2000, 1, 1), r.packed);
    EXPECT_EQ(0, r.hour);
    EXPECT_EQ(0, r.minute);
    EXPECT_EQ(0, r.second);
    r = Record(2000, 1, 1);
    AddMilliseconds(&r, 90000000.0);
    EXPECT_EQ(PACK_DATE(2000, 1, 2), r.packed);
    EXPECT_EQ(1, r.hour);
    // Below a second is dropped, in either direction.
    r = Record(2000, 1, 1, 0, 0, 30);
    AddMilliseconds(&r, -999.0);
    EXPECT_EQ(30, r.second);
}

TEST(GregorianKnownDates, TimesAndTexts)
{
    EXPECT_EQ(-30, SecondsBetween(PACK_TIME(8, 0, 0), PACK_TIME(7, 59, 30)));
    EXPECT_EQ(-86399, SecondsBetween(PACK_TIME(23, 59, 59), PACK_TIME(0, 0, 0)));
    EXPECT_EQ(3661, SecondsBetween(PACK_TIME(0, 0, 0), PACK_TIME(1, 1, 1)));
    EXPECT_STREQ("2004-09-26", FormatPackedDate(2004 << 16 | 9 << 8 | 26));
    EXPECT_STREQ("0099-01-02", FormatPackedDate(PACK_DATE(99, 1, 2)));
    EXPECT_EQ(nullptr, FormatPackedDate(0));
    EXPECT_EQ(nullptr, FormatPackedDate(-1));
    EXPECT_STREQ("07:05:09", FormatPackedTime(PACK_TIME(7, 5, 9)));
    EXPECT_EQ(nullptr, FormatPackedTime(0));
    EXPECT_EQ(nullptr, FormatPackedTime(-1));
    // Both forms share one buffer.
    const char *date = FormatPackedDate(PACK_DATE(2024, 2, 10));
    FormatPackedTime(PACK_TIME(12, 0, 0));
    EXPECT_STREQ("12:00:00", date);
}

SYSTEMTIME FakeNow;
void FakeClock(SYSTEMTIME *st) { *st = FakeNow; }

TEST(GregorianKnownDates, ClockAndSystemTime)
{
    FakeNow = SYSTEMTIME{2026, 3, 2, 17, 23, 59, 58, 999};
    void (*saved)(SYSTEMTIME *) = ReadLocalClock;
    ReadLocalClock = FakeClock;
    EXPECT_EQ(PACK_DATE(2026, 3, 17), GetTodayPacked());
    EXPECT_EQ(2, GetTodayWeekday());
    SetTodayFromClock();
    EXPECT_EQ(PACK_DATE(2026, 3, 17), TodayDate.date);
    EXPECT_EQ(2, TodayDate.weekday);
    // Today stays put while the clock passes midnight, until read again.
    FakeNow = SYSTEMTIME{2026, 3, 3, 18, 0, 0, 1, 0};
    EXPECT_EQ(PACK_DATE(2026, 3, 17), TodayDate.date);
    SetTodayFromClock();
    EXPECT_EQ(PACK_DATE(2026, 3, 18), TodayDate.date);
    EXPECT_EQ(3, TodayDate.weekday);
    ReadLocalClock = saved;

    // The picker record keeps the clock's time of day from the last reading.
    SYSTEMTIME *st = SystemTimeFromPackedDate(PACK_DATE(1999, 12, 31));
    EXPECT_EQ(1999, st->wYear);
    EXPECT_EQ(12, st->wMonth);
    EXPECT_EQ(31, st->wDay);
    EXPECT_EQ(1, st->wSecond);
    EXPECT_EQ(PACK_DATE(1999, 12, 31), PackedDateFromSystemTime(st));
    EXPECT_EQ(PACK_TIME(0, 0, 1), PackedTimeFromSystemTime(st));

    // The real clock gives a date that normalises to itself.
    PackedDate today = GetTodayPacked();
    EXPECT_EQ(today, Normalized(DATE_YEAR(today), DATE_MONTH(today), DATE_DAY(today)).packed);
    EXPECT_EQ(WeekdayOf(today), GetTodayWeekday());
}

TEST(GregorianAgainstReference, EveryDateFrom1800To2300)
{
    const PackedDate anchors[] = {PACK_DATE(1970, 2, 1), PACK_DATE(1900, 1, 31), PACK_DATE(2300, 12, 31)};
    int failures = 0;
    ForEachDate(1800, 2300, [&](PackedDate d) {
        if (failures > 10)
            return;
        for (PackedDate a : anchors) {
            if (DaysBetween(a, d) != RefDaysBetween(a, d) || DaysBetween(d, a) != RefDaysBetween(d, a)) {
                ADD_FAILURE() << "DaysBetween " << FormatPackedDate(a) << " " << FormatPackedDate(d);
                failures++;
            }
        }
        if (WeekdayOf(d) != RefWeekdayOf(d)) {
            ADD_FAILURE() << "WeekdayOf " << FormatPackedDate(d);
            failures++;
        }
        CalendarDay fast = Record(DATE_YEAR(d), DATE_MONTH(d), DATE_DAY(d), 12, 30, 30);
        CalendarDay ref = fast;
        NormalizeDay(&fast);
        RefNormalizeDay(&ref);
        const char *field = RefFirstDifference(&fast, &ref);
        if (field) {
            ADD_FAILURE() << "NormalizeDay " << FormatPackedDate(d) << ": " << field;
            failures++;
        }
    });
}

TEST(GregorianAgainstReference, DayCountsPastTheMonthEnd)
{
    std::mt19937 random(1900);
    for (int i = 0; i < 200000; i++) {
        // Days 0..255 are what a packed date can hold; none is checked.
        PackedDate from =
            PACK_DATE(1800 + (int)(random() % 501), 1 + (int)(random() % 12), (int)(random() % 256));
        PackedDate to = PACK_DATE(1800 + (int)(random() % 501), (int)(random() % 13), (int)(random() % 256));
        ASSERT_EQ(RefDaysBetween(from, to), DaysBetween(from, to)) << std::hex << from << " " << to;
        ASSERT_EQ(RefWeekdayOf(to), WeekdayOf(to)) << std::hex << to;
    }
}

TEST(GregorianAgainstReference, NormalizeOddFields)
{
    std::mt19937 random(2004);
    auto spread = [&](int span) { return (int)(random() % (2u * span + 1)) - span; };
    for (int i = 0; i < 100000; i++) {
        // Mostly small carries, some across many months and years.
        int scale = i % 3 == 0 ? 5000 : 100;
        CalendarDay fast = Record(1800 + (int)(random() % 501), spread(scale / 4), spread(scale),
                                  spread(scale), spread(scale), spread(scale * 10));
        CalendarDay ref = fast;
        NormalizeDay(&fast);
        RefNormalizeDay(&ref);
        const char *field = RefFirstDifference(&fast, &ref);
        ASSERT_EQ(nullptr, field) << ref.year << "-" << ref.month << "-" << ref.day;
    }
}

TEST(GregorianAgainstReference, NormalizeHugeFields)
{
    const int32_t cases[][6] = {
        // The reference carries these one unit or one month at a time, so
        // they stay a few million steps away from the closed form's reach.
        {2000, 1, 100000000, 0, 0, 0},
        {2000, 1, -100000000, 0, 0, 0},
        {2000, 1, 1, 0, 0, 2000000000},
        {2000, 1, 1, 0, 0, -2000000000},
        {2000, 1, 1, 0, 300000000, 0},
        {2000, 1, 1, -100000000, 0, 0},
        {2000, 20000000, 1, 0, 0, 0},
        {2000, -20000000, 1, 0, 0, 0},
        {1, 1, 1, 0, 0, -1},
        {0, 3, 0, 0, 0, 0},
        {-1, 13, 0, 0, 0, 0},
        {-4000, 1, 1, 0, 0, 0},
        {30000, 1, 400, 1000, -5000, 70000},
    };
    for (const auto &c : cases) {
        CalendarDay fast = Record(c[0], c[1], c[2], c[3], c[4], c[5]);
        CalendarDay ref = fast;
        NormalizeDay(&fast);
        RefNormalizeDay(&ref);
        EXPECT_EQ(nullptr, RefFirstDifference(&fast, &ref))
            << c[0] << " " << c[1] << " " << c[2] << " " << c[3] << " " << c[4] << " " << c[5];
        EXPECT_GE(fast.day, 1);
        EXPECT_LE(fast.day, fast.daysInMonth);
    }
    // Around the era boundaries of the closed form, day by day.
    for (int year : {-401, -400, -1, 0, 1, 399, 400, 1600, 2000}) {
        for (int day = -800; day <= 800; day += 7) {
            CalendarDay fast = Record(year, 3, day, 5);
            CalendarDay ref = fast;
            NormalizeDay(&fast);
            RefNormalizeDay(&ref);
            ASSERT_EQ(nullptr, RefFirstDifference(&fast, &ref)) << year << " day " << day;
        }
    }
}

TEST(GregorianAgainstReference, MovingByMilliseconds)
{
    std::mt19937 random(1224);
    std::uniform_real_distribution<double> span(-3e12, 3e12);
    for (int i = 0; i < 20000; i++) {
        CalendarDay fast =
            Record(1900 + (int)(random() % 300), 1 + (int)(random() % 12), 1 + (int)(random() % 28),
                   (int)(random() % 24), (int)(random() % 60), (int)(random() % 60));
        CalendarDay ref = fast;
        double ms = span(random);
        AddMilliseconds(&fast, ms);
        RefAddMilliseconds(&ref, ms);
        ASSERT_EQ(nullptr, RefFirstDifference(&fast, &ref)) << ms;
    }
}

}   // namespace
