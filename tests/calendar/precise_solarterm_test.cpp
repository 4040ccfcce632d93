// Solar terms from the astronomical table (the default for 1900-2100): known
// moments, the change-over to the formula at the table's ends and with the
// control bit, and the table's days against the formula's.
#include <gtest/gtest.h>

#include "calendar/solarterm.h"
#include "records/settings.h"

namespace {

class PreciseTerms : public ::testing::Test {
protected:
    uint32_t saved;
    void SetUp() override
    {
        saved = Settings.flags;
        Settings.flags &= ~CTRL_MEAN_TERMS;
    }
    void TearDown() override { Settings.flags = saved; }
};

// Moments as the observatories publish them, in Beijing time.
TEST_F(PreciseTerms, KnownMoments)
{
    struct {
        int year, index;
        PackedDate date;
        int hour, minute;
    } known[] = {
        {2026, 10, PACK_DATE(2026, 6, 5), 23, 49},   // 芒种 (23:48:59): the formula says 06-06
        {2026, 23, PACK_DATE(2026, 12, 22), 4, 50},  // 冬至
        {2026, 2, PACK_DATE(2026, 2, 4), 4, 2},      // 立春
        {2024, 2, PACK_DATE(2024, 2, 4), 16, 27},
        {2024, 10, PACK_DATE(2024, 6, 5), 12, 10},
        {2023, 10, PACK_DATE(2023, 6, 6), 6, 18},
        {2025, 2, PACK_DATE(2025, 2, 3), 22, 10},
    };
    for (const auto &k : known) {
        int minute = -2;
        EXPECT_EQ(k.date, SolarTermMoment(k.year, k.index, &minute)) << k.year << " " << SolarTermNames[k.index];
        EXPECT_EQ(k.hour * 60 + k.minute, minute) << k.year << " " << SolarTermNames[k.index];
        EXPECT_EQ(k.index, SolarTermIndexOn(k.date));
        ASSERT_NE(nullptr, SolarTermOn(k.date));
        EXPECT_STREQ(SolarTermNames[k.index], SolarTermOn(k.date)->name);
    }
    EXPECT_EQ(-1, SolarTermIndexOn(PACK_DATE(2026, 6, 6)));
}

TEST_F(PreciseTerms, FormulaOutsideTheTableAndWithTheControlBit)
{
    EXPECT_TRUE(SolarTermsArePrecise(1900));
    EXPECT_TRUE(SolarTermsArePrecise(2100));
    EXPECT_FALSE(SolarTermsArePrecise(1899));
    EXPECT_FALSE(SolarTermsArePrecise(2101));
    int minute = 0;
    EXPECT_EQ(PACK_DATE(2101, 1, 5), SolarTermMoment(2101, 0, &minute));
    EXPECT_EQ(-1, minute);

    Settings.flags |= CTRL_MEAN_TERMS;
    EXPECT_FALSE(SolarTermsArePrecise(2026));
    EXPECT_EQ(10, SolarTermIndexOn(PACK_DATE(2026, 6, 6)));
    EXPECT_EQ(PACK_DATE(2026, 6, 6), SolarTermMoment(2026, 10, &minute));
    EXPECT_EQ(-1, minute);
    Settings.flags &= ~CTRL_MEAN_TERMS;
    EXPECT_EQ(10, SolarTermIndexOn(PACK_DATE(2026, 6, 5)));
}

// Over the whole table: the day lookup, the year's dates and the moments
// agree, each year's terms are in order at least 14 days apart, and the
// formula puts 184 of the 4,824 terms on another day.
TEST_F(PreciseTerms, WholeTableAgainstTheFormula)
{
    int differ = 0;
    for (int year = 1900; year <= 2100; year++) {
        PackedDate precise[24], mean[24];
        TermDatesOfYear(year, precise);
        Settings.flags |= CTRL_MEAN_TERMS;
        TermDatesOfYear(year, mean);
        Settings.flags &= ~CTRL_MEAN_TERMS;
        for (int i = 0; i < 24; i++) {
            int minute;
            ASSERT_EQ(precise[i], SolarTermMoment(year, i, &minute));
            ASSERT_TRUE(minute >= 0 && minute < 1440);
            ASSERT_EQ(i, SolarTermIndexOn(precise[i])) << FormatPackedDate(precise[i]);
            if (i > 0) {
                ASSERT_GE(DaysBetween(precise[i - 1], precise[i]), 14) << year << " term " << i;
            }
            // the table never strays more than a day from the formula
            ASSERT_LE(abs(DaysBetween(mean[i], precise[i])), 1) << year << " term " << i;
            differ += precise[i] != mean[i];
        }
    }
    EXPECT_EQ(184, differ);
}

}   // namespace
