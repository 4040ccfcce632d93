// Solar terms by the mean-year formula (control bit CTRL_MEAN_TERMS): the
// dates of known years, the term record, and the cached engine against the
// term-by-term reference on every date of 1800..2300.
#include <gtest/gtest.h>
#include <string.h>

#include "calendar/solarterm.h"
#include "records/settings.h"
#include "tests/reference/reference.h"

namespace {

class MeanFormula : public ::testing::Test {
protected:
    uint32_t saved;
    void SetUp() override
    {
        saved = Settings.flags;
        Settings.flags |= CTRL_MEAN_TERMS;
    }
    void TearDown() override { Settings.flags = saved; }
};
class SolarTermKnownDates : public MeanFormula {};
class SolarTermAgainstReference : public MeanFormula {};

// The 24 term dates of a year, found by asking every date.
void TermsOfYear(int year, PackedDate terms[24])
{
    for (int i = 0; i < 24; i++)
        terms[i] = 0;
    for (int m = 1; m <= 12; m++)
        for (int d = 1; d <= DaysInMonth(year, m); d++) {
            int i = SolarTermIndexOn(PACK_DATE(year, m, d));
            if (i >= 0) {
                EXPECT_EQ(0, terms[i]) << "term " << i << " twice in " << year;
                terms[i] = PACK_DATE(year, m, d);
            }
        }
}

void ExpectTerms(int year, const int monthDays[24][2])
{
    PackedDate terms[24];
    TermsOfYear(year, terms);
    for (int i = 0; i < 24; i++)
        EXPECT_EQ(PACK_DATE(year, monthDays[i][0], monthDays[i][1]), terms[i]) << year << " term " << i;
}

TEST_F(SolarTermKnownDates, Years2024And2004)
{
    const int y2024[24][2] = {{1, 6}, {1, 20}, {2, 4},  {2, 19},  {3, 5},  {3, 20},  {4, 4},  {4, 19},
                              {5, 5}, {5, 20}, {6, 5},  {6, 21},  {7, 6},  {7, 22},  {8, 7},  {8, 23},
                              {9, 7}, {9, 22}, {10, 8}, {10, 23}, {11, 7}, {11, 22}, {12, 6}, {12, 21}};
    const int y2004[24][2] = {{1, 6}, {1, 21}, {2, 4},  {2, 19},  {3, 5},  {3, 20},  {4, 4},  {4, 20},
                              {5, 5}, {5, 21}, {6, 5},  {6, 21},  {7, 7},  {7, 22},  {8, 7},  {8, 23},
                              {9, 7}, {9, 23}, {10, 8}, {10, 23}, {11, 7}, {11, 22}, {12, 7}, {12, 21}};
    ExpectTerms(2024, y2024);
    ExpectTerms(2004, y2004);
}

// The dates of a whole year are the dates the day lookup reports, near 1900
// and far from it, where the formula's terms spill into the neighbouring years.
TEST_F(SolarTermKnownDates, TermDatesOfYearAgreeWithTheDayLookup)
{
    PackedDate dates[24];
    TermDatesOfYear(2024, dates);
    EXPECT_EQ(dates[0], PACK_DATE(2024, 1, 6));
    EXPECT_EQ(dates[2], PACK_DATE(2024, 2, 4));
    EXPECT_EQ(dates[23], PACK_DATE(2024, 12, 21));
    for (int year : {1, 1000, 1599, 1600, 1899, 1900, 2024, 2600, 2601, 5000, 9999}) {
        TermDatesOfYear(year, dates);
        PackedDate found[24] = {};
        CalendarDay d = {};
        d.year = year;
        d.month = 1;
        d.day = 1;
        for (NormalizeDay(&d); d.year == year; d.day++, NormalizeDay(&d)) {
            int index = SolarTermIndexOn(d.packed);
            if (index >= 0)
                found[index] = d.packed;
        }
        for (int i = 0; i < 24; i++)
            EXPECT_EQ(dates[i], found[i]) << year << " term " << i;
    }
}

TEST_F(SolarTermKnownDates, FirstAndLastTerms)
{
    EXPECT_EQ(0, SolarTermIndexOn(PACK_DATE(1900, 1, 6)));
    EXPECT_EQ(23, SolarTermIndexOn(PACK_DATE(1900, 12, 22)));
    EXPECT_EQ(0, SolarTermIndexOn(PACK_DATE(2026, 1, 5)));
    EXPECT_EQ(23, SolarTermIndexOn(PACK_DATE(2026, 12, 22)));
    // 1900's moment moved back a mean year lands at 20:16 on 1899-01-05.
    EXPECT_EQ(0, SolarTermIndexOn(PACK_DATE(1899, 1, 5)));
    EXPECT_EQ(-1, SolarTermIndexOn(PACK_DATE(1899, 1, 6)));
    EXPECT_EQ(0, SolarTermIndexOn(PACK_DATE(2100, 1, 5)));
    EXPECT_EQ(0, SolarTermIndexOn(PACK_DATE(2101, 1, 5)));
    EXPECT_EQ(-1, SolarTermIndexOn(PACK_DATE(2024, 1, 1)));
    EXPECT_EQ(-1, SolarTermIndexOn(PACK_DATE(2024, 12, 31)));
}

TEST_F(SolarTermKnownDates, TermRecord)
{
    EXPECT_EQ(nullptr, SolarTermOn(PACK_DATE(2024, 1, 1)));
    HolidayEntry *term = SolarTermOn(PACK_DATE(1900, 12, 22));
    ASSERT_NE(nullptr, term);
    EXPECT_EQ(0x1017, term->code);
    EXPECT_EQ(nullptr, term->nextMatch);
    EXPECT_EQ(0, memcmp(term->name, "冬至\0", 6));   // the name, then two zero bytes
    term = SolarTermOn(PACK_DATE(2024, 2, 4));
    ASSERT_NE(nullptr, term);
    EXPECT_EQ(0x1002, term->code);
    EXPECT_STREQ("立春", term->name);
    EXPECT_EQ(0, term->name[5]);
    // One record, overwritten by each call that finds a term.
    EXPECT_EQ(term, SolarTermOn(PACK_DATE(2024, 12, 21)));
    EXPECT_STREQ("冬至", term->name);
}

// Every date of the years against the reference. The reference moves its
// 1900 moment to the year one month at a time, so with `fromFirstTerm` that
// step is taken once per year and only the term search runs per date.
void CompareYears(int firstYear, int lastYear, bool fromFirstTerm)
{
    int terms = 0;
    for (int y = firstYear; y <= lastYear; y++) {
        CalendarDay firstTerm;
        RefFirstTermOf(y, &firstTerm);
        for (int m = 1; m <= 12; m++)
            for (int d = 1, n = DaysInMonth(y, m); d <= n; d++) {
                PackedDate date = PACK_DATE(y, m, d);
                int want = fromFirstTerm ? RefTermIndexFrom(&firstTerm, date) : RefSolarTermIndexOn(date);
                ASSERT_EQ(want, SolarTermIndexOn(date)) << FormatPackedDate(date);
                HolidayEntry *term = SolarTermOn(date);
                ASSERT_EQ(want < 0, term == nullptr);
                if (term) {
                    ASSERT_EQ(0x1000 | want, term->code);
                    ASSERT_STREQ(SolarTermNames[want], term->name);
                    terms++;
                }
            }
    }
    EXPECT_EQ(24 * (lastYear - firstYear + 1), terms);
}

TEST_F(SolarTermAgainstReference, EveryDateFrom1800To2300)
{
    CompareYears(1800, 2300, true);
    // The whole search per date, for a few years.
    CompareYears(1800, 1800, false);
    CompareYears(2024, 2024, false);
    CompareYears(2300, 2300, false);
}

TEST_F(SolarTermAgainstReference, FarYearsAndOddDates)
{
    // Far from 1900, outside the years kept in memory, and across their edges.
    CompareYears(1598, 1601, true);
    CompareYears(2599, 2602, true);
    CompareYears(1000, 1000, false);
    CompareYears(4000, 4000, true);
    // Dates past a month's end or in month 0 are compared as plain numbers.
    const PackedDate odd[] = {PACK_DATE(2024, 1, 0),  PACK_DATE(2024, 2, 40),   PACK_DATE(2024, 0, 6),
                              PACK_DATE(2024, 13, 1), PACK_DATE(2024, 12, 255), PACK_DATE(30000, 6, 21)};
    for (PackedDate d : odd)
        EXPECT_EQ(RefSolarTermIndexOn(d), SolarTermIndexOn(d)) << std::hex << d;
}

}   // namespace
