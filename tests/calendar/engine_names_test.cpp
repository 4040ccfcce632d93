// Names of the Chinese calendar, read off real dates, and the built-in texts.
#include <gtest/gtest.h>

#include <string>

#include "calendar/calendar.h"
#include "calendar/names.h"
#include "calendar/strings.h"

namespace {

std::string YearName(PackedDate date)
{
    const CalendarDay *r = GetDayInfo(date);
    return std::string(StemOf(r->yearCycle)) + BranchOf(r->yearCycle) + AnimalOf(r->yearCycle);
}

TEST(CalendarNamesTest, DayAndMonthNames)
{
    const int days[] = {1, 10, 11, 19, 20, 21, 29, 30, 31};
    const char *const want[] = {"初一", "初十", "十一", "十九", "二十", "廿一", "廿九", "三十", "三十"};
    for (int i = 0; i < 9; i++)
        EXPECT_STREQ(want[i], LunarDayName(days[i])) << days[i];
    EXPECT_STREQ("正", LunarMonthName(1));
    EXPECT_STREQ("二", LunarMonthName(2));
    EXPECT_STREQ("十一", LunarMonthName(11));
    EXPECT_STREQ("腊", LunarMonthName(12));
    EXPECT_STREQ("日", WeekdayName(0));
    EXPECT_STREQ("一", WeekdayName(1));
    EXPECT_STREQ("六", WeekdayName(6));
    EXPECT_STREQ("大", MonthSizeWord(30));
    EXPECT_STREQ("小", MonthSizeWord(29));
    // The four tables lie back to back.
    EXPECT_STREQ("癸", HeavenlyStems[9]);
    EXPECT_STREQ("子", EarthlyBranches[0]);
    EXPECT_STREQ("猪", ZodiacAnimals[11]);
    EXPECT_STREQ("", Numerals[0]);
    EXPECT_STREQ("十二", Numerals[12]);
}

TEST(CalendarNamesTest, SexagenaryNamesOfRealDates)
{
    EXPECT_EQ("庚子鼠", YearName(PACK_DATE(1900, 1, 31)));
    EXPECT_EQ("甲申猴", YearName(PACK_DATE(2004, 1, 22)));
    EXPECT_EQ("癸未羊", YearName(PACK_DATE(2004, 1, 21)));   // still the old lunar year
    EXPECT_EQ("甲辰龙", YearName(PACK_DATE(2024, 2, 10)));
    EXPECT_EQ("丙午马", YearName(PACK_DATE(2026, 2, 17)));
    EXPECT_STREQ("甲", StemOf(0));   // 1864's counter
    EXPECT_STREQ("子", BranchOf(0));

    const CalendarDay *r = GetDayInfo(PACK_DATE(1900, 1, 31));
    EXPECT_EQ(std::string("戊寅"), std::string(StemOf(r->monthCycle)) + BranchOf(r->monthCycle));
    EXPECT_EQ(std::string("甲辰"), std::string(StemOf(r->dayCycle)) + BranchOf(r->dayCycle));
    r = GetDayInfo(PACK_DATE(2024, 2, 10));
    EXPECT_EQ(std::string("丙寅"), std::string(StemOf(r->monthCycle)) + BranchOf(r->monthCycle));
    EXPECT_EQ(std::string("甲辰"), std::string(StemOf(r->dayCycle)) + BranchOf(r->dayCycle));
    // The leap month 2 of 2023 shares 乙卯 with month 2; month 3 is 丙辰.
    r = GetDayInfo(PACK_DATE(2023, 3, 22));
    EXPECT_EQ(std::string("乙卯"), std::string(StemOf(r->monthCycle)) + BranchOf(r->monthCycle));
    r = GetDayInfo(PACK_DATE(2023, 4, 20));
    EXPECT_EQ(std::string("丙辰"), std::string(StemOf(r->monthCycle)) + BranchOf(r->monthCycle));
}

TEST(CalendarNamesTest, BuiltInStrings)
{
    EXPECT_STREQ("时间", BuiltInString(IDS_TIME));
    EXPECT_STREQ("请输入提醒文本！", BuiltInString(IDS_NEED_MEMO_TEXT));
    EXPECT_STREQ("现在时刻：%d点整", BuiltInString(IDS_CHIME));
    EXPECT_STREQ("%02s月%s数第%s个星期%s", BuiltInString(IDS_WEEK_RULE));
    EXPECT_STREQ("节日", BuiltInString(IDS_HOLIDAY));
    const int ids[] = {109, 110, 111, 112, 114, 115, 116, 117, 118, 119, 120};
    for (int id : ids)
        EXPECT_NE(nullptr, BuiltInString(id)) << id;
    EXPECT_EQ(nullptr, BuiltInString(113));
    EXPECT_EQ(nullptr, BuiltInString(0));
    EXPECT_EQ(BuiltInString(IDS_ERROR), LoadProgramString(IDS_ERROR));
}

}   // namespace
