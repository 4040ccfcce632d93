// Days off and make-up workdays: known arrangements of the built-in table,
// the user's lines (parsing), and the working-day rule the workday memos
// stand on.
#include <gtest/gtest.h>
#include <stdio.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "calendar/memo.h"
#include "calendar/offdays.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

class OffDays : public ::testing::Test {
  protected:
    void SetUp() override { ClearUserOffDays(); }
    void TearDown() override { ClearUserOffDays(); }
};

TEST_F(OffDays, KnownArrangements)
{
    const struct {
        PackedDate date;
        int kind;
        const char *name;
        bool working;
    } known[] = {
        // 2024 春节: 10th to 17th off, the Sundays before and after worked; 除夕 is an ordinary Friday
        {D(2024, 2, 4), OFFDAY_WORK, "春节", true},
        {D(2024, 2, 9), OFFDAY_NONE, "", true},
        {D(2024, 2, 10), OFFDAY_REST, "春节", false},
        {D(2024, 2, 12), OFFDAY_REST, "春节", false},
        {D(2024, 2, 17), OFFDAY_REST, "春节", false},
        {D(2024, 2, 18), OFFDAY_WORK, "春节", true},
        {D(2024, 2, 19), OFFDAY_NONE, "", true},
        // 2020: the 春节 holiday extended to 2 February, the make-up Saturday dropped
        {D(2020, 1, 31), OFFDAY_REST, "春节", false},
        {D(2020, 2, 1), OFFDAY_REST, "春节", false},
        {D(2020, 2, 2), OFFDAY_REST, "春节", false},
        {D(2020, 2, 3), OFFDAY_NONE, "", true},
        // 2015's one-off day, settled against the second package
        {D(2015, 9, 3), OFFDAY_REST, "抗战胜利纪念日", false},
        {D(2015, 9, 6), OFFDAY_WORK, "抗战胜利纪念日", true},
        // the first and last years of the table
        {D(2004, 1, 1), OFFDAY_REST, "元旦", false},
        {D(2026, 10, 10), OFFDAY_WORK, "国庆节", true},
        // years without data show no marks: a plain weekday and weekend
        {D(2003, 10, 1), OFFDAY_NONE, "", true},
        {D(2027, 10, 1), OFFDAY_NONE, "", true},
        {D(2027, 10, 2), OFFDAY_NONE, "", false},
    };
    for (const auto &k : known) {
        SCOPED_TRACE(FormatPackedDate(k.date));
        const char *name = "";
        EXPECT_EQ(k.kind, OffDayOn(k.date, &name));
        EXPECT_STREQ(k.name, name);
        EXPECT_EQ(k.working, IsWorkingDay(k.date) != 0);
    }
}

TEST_F(OffDays, LinesOfTheFile)
{
    const struct {
        const char *line;
        int parsed, comment;
        PackedDate date;
        int kind;
        const char *name;
    } lines[] = {
        {"2027-02-06 休 春节", 1, 0, D(2027, 2, 6), OFFDAY_REST, "春节"},
        {"  2027-02-07\t班  公司 年会 ", 1, 0, D(2027, 2, 7), OFFDAY_WORK, "公司 年会"},
        {"2027-02-08 休", 1, 0, D(2027, 2, 8), OFFDAY_REST, ""},
        {"2027-02-29 休 春节", 0, 0, 0, 0, ""},   // no such day
        {"2027-2-6 休 春节", 0, 0, 0, 0, ""},
        {"2027-+2-06 休 春节", 0, 0, 0, 0, ""},
        {"2027-02-06休 春节", 0, 0, 0, 0, ""},
        {"2027-02-06 假 春节", 0, 0, 0, 0, ""},
        {"2027-02-06 休息", 0, 0, 0, 0, ""},
        {"2027-02-06 休 一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二", 0, 0, 0, 0, ""},
        {"# 2027-02-06 休 春节", 0, 1, 0, 0, ""},
        {"   ", 0, 1, 0, 0, ""},
    };
    for (const auto &l : lines) {
        SCOPED_TRACE(l.line);
        PackedDate date = 0;
        int kind = 0, comment = -1;
        char name[OFFDAY_NAME_SIZE] = "";
        EXPECT_EQ(l.parsed, ParseOffDayLine(l.line, &date, &kind, name, &comment));
        EXPECT_EQ(l.comment, comment);
        if (l.parsed) {
            EXPECT_EQ(l.date, date);
            EXPECT_EQ(l.kind, kind);
            EXPECT_STREQ(l.name, name);
        }
    }
}

// The workday memo around 2026's National Day: the Sunday worked before it,
// 中秋 and the week off, the Saturday worked after; a day of the user's file
// moves it too.
TEST_F(OffDays, TheWorkdayMemoAroundAHolidayWeek)
{
    // one letter per day from Saturday 2026-09-19 to Sunday 10-11: 1 applies
    const char *expected = "0111110" "0011100" "0000011" "10";
    PackedDate date = D(2026, 9, 19);
    for (const char *e = expected; *e; e++) {
        EXPECT_EQ(*e == '1', MemoAppliesOn(REMIND_WORKDAYS, date) != 0) << FormatPackedDate(date);
        date = DATE_DAY(date) == 30 && DATE_MONTH(date) == 9 ? D(2026, 10, 1) : date + 1;
    }
    EXPECT_STREQ("工作日", FormatMemoWhen(REMIND_WORKDAYS));
    // past the built-in years: Monday to Friday, and what the user adds
    EXPECT_TRUE(MemoAppliesOn(REMIND_WORKDAYS, D(2027, 10, 1)));
    EXPECT_FALSE(MemoAppliesOn(REMIND_WORKDAYS, D(2027, 10, 2)));
    ASSERT_EQ(0, SetUserOffDay(D(2027, 10, 1), OFFDAY_REST, "国庆节"));
    ASSERT_EQ(0, SetUserOffDay(D(2027, 10, 9), OFFDAY_WORK, "国庆节"));
    EXPECT_FALSE(MemoAppliesOn(REMIND_WORKDAYS, D(2027, 10, 1)));
    EXPECT_TRUE(MemoAppliesOn(REMIND_WORKDAYS, D(2027, 10, 9)));
}

}   // namespace
