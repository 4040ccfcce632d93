// Yearly and lunar yearly memos: when they apply, checked against the
// engine's own month lengths and leap months over the whole lunar table.
#include <gtest/gtest.h>
#include <string.h>
#include <vector>
#include "calendar/memo.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

PackedDate NextDay(PackedDate date)
{
    CalendarDay rec;
    memset(&rec, 0, sizeof rec);
    rec.year = DATE_YEAR(date);
    rec.month = DATE_MONTH(date);
    rec.day = DATE_DAY(date) + 1;
    ComputeDay(&rec);
    return rec.packed;
}

const uint32_t Lunar = 1, Leap = 2;
uint32_t L(int month, int day, uint32_t flags = Lunar)
{
    return LunarYearlyWhen(month, day, (flags & Leap) != 0);
}

}   // namespace

// The rules on dates a user knows: 2023 has a leap second month (of 29
// days, after a regular second month of 30), 2024 has none and its first
// month has 29 days.
TEST(YearlyMemoTest, TheRulesOnKnownDates)
{
    const struct {
        uint32_t when;
        PackedDate date;
        int applies;
    } cases[] = {
        // 29 February falls on the 28th in common years, only there
        {YearlyWhen(2, 29), D(2024, 2, 29), 1},
        {YearlyWhen(2, 29), D(2024, 2, 28), 0},
        {YearlyWhen(2, 29), D(2023, 2, 28), 1},
        {YearlyWhen(2, 29), D(2023, 3, 1), 0},
        {YearlyWhen(2, 28), D(2024, 2, 28), 1},
        {YearlyWhen(12, 31), D(1899, 12, 31), 1},   // before the lunar table too
        {YearlyWhen(12, 31), D(2024, 12, 30), 0},
        // a regular month never in the leap month of its number
        {L(2, 15), D(2023, 3, 6), 1},
        {L(2, 15), D(2023, 4, 5), 0},   // leap 2/15
        {L(2, 15), D(2024, 3, 24), 1},
        // a leap month in the leap month, and in the regular month in other years
        {L(2, 15, Leap), D(2023, 4, 5), 1},
        {L(2, 15, Leap), D(2023, 3, 6), 0},
        {L(2, 15, Leap), D(2024, 3, 24), 1},
        // day 30 on the last day of a 29-day month
        {L(1, 30), D(2024, 3, 9), 1},   // 2024 1/29
        {L(1, 29), D(2024, 3, 9), 1},
        {L(1, 30), D(2024, 3, 10), 0},         // 2024 2/1
        {L(2, 30), D(2023, 3, 21), 1},         // the regular month has its 30th
        {L(2, 30, Leap), D(2023, 4, 19), 1},   // the leap month has 29 days
        {L(2, 30, Leap), D(2023, 4, 20), 0},
        {L(2, 30, Leap), D(2024, 4, 8), 1},   // no leap month: the regular 2/30
        {L(1, 1), D(2024, 2, 10), 1},
        // outside the lunar table nothing lunar applies
        {L(12, 20), D(1900, 1, 19), 0},
        {L(12, 29), D(2101, 1, 28), 1},
        {L(1, 1), D(2101, 1, 29), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MemoAppliesOn(c.when, c.date), c.applies)
            << FormatMemoWhen(c.when) << " on " << std::hex << c.date;
}

// Over every day of the lunar table, each lunar memo applies on exactly one
// day of each lunar year, and that day is what the engine's month lengths
// and leap months make of the rules.
TEST(YearlyMemoTest, EveryLunarYearHasExactlyOneDayForEachMemo)
{
    std::vector<uint32_t> memos;
    for (int month = 1; month <= 12; month++)
        for (int day : {1, 15, 29, 30})
            for (uint32_t flags : {Lunar, Lunar | Leap})
                memos.push_back(L(month, day, flags));
    const int years = LUNAR_LAST_YEAR - LUNAR_FIRST_YEAR + 1;
    std::vector<PackedDate> found(memos.size() * years, 0);
    std::vector<int> count(memos.size() * years, 0);
    for (PackedDate date = LUNAR_EPOCH;; date = NextDay(date)) {
        const CalendarDay rec = *GetDayInfo(date);
        ASSERT_EQ(rec.lunarValid, 1);
        for (size_t i = 0; i < memos.size(); i++) {
            if (!MemoAppliesOn(memos[i], date))
                continue;
            const size_t slot = i * years + (size_t)(rec.lunarYear - LUNAR_FIRST_YEAR);
            count[slot]++;
            found[slot] = date;
        }
        if (date == LUNAR_LAST_DATE)
            break;
    }
    for (size_t i = 0; i < memos.size(); i++) {
        int month, day, leap;
        ASSERT_TRUE(LunarYearlyWhenParts(memos[i], &month, &day, &leap));
        for (int y = LUNAR_FIRST_YEAR; y <= LUNAR_LAST_YEAR; y++) {
            const size_t slot = i * years + (size_t)(y - LUNAR_FIRST_YEAR);
            SCOPED_TRACE(testing::Message() << FormatMemoWhen(memos[i]) << " in " << y);
            ASSERT_EQ(count[slot], 1);
            const CalendarDay rec = *GetDayInfo(found[slot]);
            const int inLeap = leap && LeapMonthOf(y) == month;
            const int length = inLeap ? LeapMonthDays(y) : LunarMonthDays(y, month);
            EXPECT_EQ(rec.lunarMonth, month);
            EXPECT_EQ(rec.isLeapMonth, inLeap);
            EXPECT_EQ(rec.lunarMonthDays, length);
            EXPECT_EQ(rec.lunarDay, day <= length ? day : length);
            EXPECT_EQ(LunarYearlyMemoDate(memos[i], y), found[slot]);
        }
    }
}

// The same for the Gregorian kind over 1900..2100: one day a year, the
// month's last day standing in for a day the month lacks.
TEST(YearlyMemoTest, EveryYearHasExactlyOneDayForEachGregorianMemo)
{
    std::vector<uint32_t> memos;
    for (int month = 1; month <= 12; month++)
        for (int day = 28; day <= 31; day++)
            if (day <= (month == 2 ? 29 : DaysInMonth(2001, month)))
                memos.push_back(YearlyWhen(month, day));
    for (int year = 1900; year <= 2100; year++) {
        std::vector<int> count(memos.size(), 0);
        std::vector<PackedDate> found(memos.size(), 0);
        for (PackedDate date = D(year, 1, 1); DATE_YEAR(date) == year; date = NextDay(date))
            for (size_t i = 0; i < memos.size(); i++)
                if (MemoAppliesOn(memos[i], date)) {
                    count[i]++;
                    found[i] = date;
                }
        for (size_t i = 0; i < memos.size(); i++) {
            int month, day;
            ASSERT_TRUE(YearlyWhenParts(memos[i], &month, &day));
            SCOPED_TRACE(testing::Message() << FormatMemoWhen(memos[i]) << " in " << year);
            ASSERT_EQ(count[i], 1);
            const int last = DaysInMonth(year, month);
            EXPECT_EQ(found[i], D(year, month, day <= last ? day : last));
            EXPECT_EQ(YearlyMemoDate(memos[i], year), found[i]);
        }
    }
}

TEST(YearlyMemoTest, TextsAndMalformedValues)
{
    EXPECT_STREQ(FormatMemoWhen(YearlyWhen(2, 9)), "每年02月09日");
    EXPECT_STREQ(FormatMemoWhen(YearlyWhen(12, 31)), "每年12月31日");
    EXPECT_STREQ(FormatMemoWhen(LunarYearlyWhen(8, 15, 0)), "农历每年8月15日");
    EXPECT_STREQ(FormatMemoWhen(LunarYearlyWhen(4, 30, 1)), "农历每年闰4月30日");
    // values no editor makes, from a hand-edited file, never apply
    const uint32_t malformed[] = {
        REMIND_YEARLY | 2 << 8 | 30,
        REMIND_YEARLY | 4 << 8 | 31,
        REMIND_YEARLY | 13 << 8 | 1,
        REMIND_YEARLY | 1 << 8,
        REMIND_YEARLY | 1 << 16 | 1 << 8 | 1,
        REMIND_LUNAR_YEARLY | 1 << 8 | 31,
        REMIND_LUNAR_YEARLY | 0 << 8 | 1,
        REMIND_LUNAR_YEARLY | 1 << 8 | 0x40 | 1,
        REMIND_LUNAR_YEARLY | 1 << 20 | 1 << 8 | 1,
    };
    for (uint32_t when : malformed) {
        int a, b, c;
        EXPECT_FALSE(YearlyWhenParts(when, &a, &b) || LunarYearlyWhenParts(when, &a, &b, &c))
            << std::hex << when;
        for (PackedDate date = D(2024, 1, 1); date < D(2025, 1, 1); date = NextDay(date))
            ASSERT_FALSE(MemoAppliesOn(when, date)) << std::hex << when << " on " << date;
    }
    EXPECT_EQ(LunarYearlyMemoDate(LunarYearlyWhen(1, 1, 0), 1899), 0);
    EXPECT_EQ(LunarYearlyMemoDate(YearlyWhen(1, 1), 2024), 0);
    EXPECT_EQ(YearlyMemoDate(LunarYearlyWhen(1, 1, 0), 2024), 0);
}

// What older programs and the memo list rely on: the new values sort after
// the monthly ones, in the calendar's order, and never look like a date, the
// every-day value or a monthly or weekly one.
TEST(YearlyMemoTest, TheEncodingsKeepTheOldKindsAndTheirOrder)
{
    const uint32_t ascending[] = {
        REMIND_EVERY_DAY,           (uint32_t)D(2100, 12, 31), REMIND_WEEKLY | 6,
        REMIND_MONTHLY | 31,        YearlyWhen(1, 1),          YearlyWhen(2, 29),
        YearlyWhen(12, 31),         LunarYearlyWhen(1, 1, 0),  LunarYearlyWhen(4, 30, 0),
        LunarYearlyWhen(4, 1, 1),   LunarYearlyWhen(4, 30, 1), LunarYearlyWhen(5, 1, 0),
        LunarYearlyWhen(12, 30, 1),
    };
    for (size_t i = 1; i < sizeof ascending / sizeof ascending[0]; i++)
        EXPECT_LT((int32_t)ascending[i - 1], (int32_t)ascending[i]) << i;
    // the purge keeps what is not below today, read unsigned
    for (uint32_t when : {YearlyWhen(1, 1), LunarYearlyWhen(1, 1, 0)})
        EXPECT_GT(when, (uint32_t)D(9999, 12, 31));
    // an older program's test: equality with the date, -1, monthly, weekly
    auto olderApplies = [](uint32_t when, PackedDate date) {
        return when == (uint32_t)date || when == REMIND_EVERY_DAY ||
               when == (REMIND_MONTHLY | (uint32_t)DATE_DAY(date)) ||
               when == (REMIND_WEEKLY | (uint32_t)WeekdayOf(date));
    };
    for (PackedDate date = D(2024, 1, 1); date < D(2025, 1, 1); date = NextDay(date))
        for (int month = 1; month <= 12; month++)
            for (int day = 1; day <= 30; day++)
                ASSERT_FALSE(olderApplies(YearlyWhen(month, day), date) ||
                             olderApplies(LunarYearlyWhen(month, day, 0), date) ||
                             olderApplies(LunarYearlyWhen(month, day, 1), date));
}
