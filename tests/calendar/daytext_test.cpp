// The day description of the tooltips, the tray tip and the cell captions.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "calendar/daytext.h"
#include "calendar/holiday.h"
#include "records/settings.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

size_t Count(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

class DayTextTest : public ::testing::Test {
  protected:
    void SetUp() override { ListFreeAll(&HolidayList); }
    void TearDown() override { ListFreeAll(&HolidayList); }
};

TEST_F(DayTextTest, TooltipLines)
{
    AddBuiltInHolidays();
    EXPECT_STREQ(DayText(D(2024, 2, 10), 0x17 | DAYTEXT_TERMS),
                 "公元2024年2月10日 星期六 \n农历 正月初一 \n甲辰年 丙寅月 甲辰日  \n节日：春节 \n放假：春节 ");
    EXPECT_STREQ(DayText(D(2024, 2, 10), 0x07 | DAYTEXT_TERMS),
                 "公元2024年2月10日 星期六 \n农历 正月初一\n节日：春节 \n放假：春节 ");
    // A solar term is labelled 节气, a holiday 节日, in chain order.
    AddHoliday(0x2204, "节日甲");
    EXPECT_STREQ(DayText(D(2024, 2, 4), 0x05 | DAYTEXT_TERMS),
                 "公元2024年2月4日 星期日 \n节气：立春 \n节日：节日甲 \n调休上班：春节 ");
    EXPECT_STREQ(DayText(D(2023, 3, 22), 0x03 | DAYTEXT_TERMS), "公元2023年3月22日 星期三 \n农历 闰二月初一");
    EXPECT_STREQ(DayText(D(2024, 2, 9), 0x03 | DAYTEXT_TERMS), "公元2024年2月9日 星期五 \n农历 腊月三十");
}

TEST_F(DayTextTest, OutsideTheLunarTableOnlyGregorianAndHolidays)
{
    AddHoliday(0x2C1F, "除夕前");
    EXPECT_STREQ(DayText(D(1899, 12, 31), 0x17 | DAYTEXT_TERMS), "公元1899年12月31日 星期日 \n节日：除夕前 ");
    EXPECT_STREQ(DayText(D(1899, 12, 31), DAYTEXT_LUNAR_SHORT), "");
}

TEST_F(DayTextTest, CellCaptions)
{
    EXPECT_STREQ(DayText(D(2024, 2, 10), DAYTEXT_LUNAR_SHORT), "1月小");
    EXPECT_STREQ(DayText(D(2024, 2, 11), DAYTEXT_LUNAR_SHORT), "初二");
    EXPECT_STREQ(DayText(D(2024, 3, 1), DAYTEXT_LUNAR_SHORT), "廿一");
    EXPECT_STREQ(DayText(D(2023, 3, 22), DAYTEXT_LUNAR_SHORT), "闰2月小");
    EXPECT_STREQ(DayText(D(2023, 2, 20), DAYTEXT_LUNAR_SHORT), "2月大");
    // The caption never carries the other parts, whatever flags come with it.
    EXPECT_STREQ(DayText(D(2023, 3, 22), DAYTEXT_LUNAR_SHORT | DAYTEXT_SOLAR | DAYTEXT_HOLIDAYS), "闰2月小");
}

TEST_F(DayTextTest, CaptionIsTheFirstHolidayElseTheLunarName)
{
    AddHoliday(0x220A, "first");
    AddHoliday(0x220A, "second");   // goes second in the list, so it heads the chain
    EXPECT_STREQ(DayCaption(D(2024, 2, 10), HolidaysOn(D(2024, 2, 10), 0)), "second");
    EXPECT_STREQ(DayCaption(D(2024, 2, 4), HolidaysOn(D(2024, 2, 4), 1)), "立春");
    EXPECT_STREQ(DayCaption(D(2024, 2, 4), HolidaysOn(D(2024, 2, 4), 0)), "廿五");
    EXPECT_STREQ(DayCaption(D(2023, 3, 22), nullptr), "闰2月小");
    EXPECT_EQ(DayCaption(D(1899, 12, 31), nullptr), nullptr);
}

TEST_F(DayTextTest, HolidaysStopAtTheBudget)
{
    const std::string a(400, 'a'), b(400, 'b'), c(400, 'c');
    // Each entry goes second in the list, so the chain on 5 March reads a, b, c.
    AddHoliday(0x2101, "x");
    AddHoliday(0x2305, a.c_str());
    AddHoliday(0x2305, b.c_str());
    AddHoliday(0x2305, c.c_str());
    const std::string text = DayText(D(2024, 3, 5), 0x17 | DAYTEXT_TERMS);
    EXPECT_LT(text.size(), sizeof DayTextBuffer);
    EXPECT_EQ(Count(text, "\n节日："), 2u);
    EXPECT_NE(text.find(a + " "), std::string::npos);
    EXPECT_NE(text.find(b + " "), std::string::npos);
    EXPECT_EQ(text.find(c), std::string::npos);

    // Chain b, a 600-byte name, "short": "short" would fit, but the entry
    // that does not fit ends the list.
    ListFreeAll(&HolidayList);
    AddHoliday(0x2101, "x");
    AddHoliday(0x2305, b.c_str());
    AddHoliday(0x2305, std::string(600, 'c').c_str());
    AddHoliday(0x2305, "short");
    const std::string cut = DayText(D(2024, 3, 5), 0x17 | DAYTEXT_TERMS);
    EXPECT_EQ(Count(cut, "\n节日："), 1u);
    EXPECT_NE(cut.find(b), std::string::npos);
    EXPECT_EQ(cut.find("short"), std::string::npos);
}

TEST_F(DayTextTest, LongestNamesNeverOverflow)
{
    const std::string name(HOLIDAY_NAME_MAX, 'n');
    for (int i = 0; i < 5; i++)
        AddHoliday(0x2305, name.c_str());
    const std::string text = DayText(D(2024, 3, 5), 0x17 | DAYTEXT_TERMS);   // 惊蛰 falls on it
    EXPECT_LT(text.size(), sizeof DayTextBuffer);
    EXPECT_EQ(Count(text, "\n节气：惊蛰 "), 1u);
    EXPECT_EQ(Count(text, "\n节日："), 0u);   // 991 + 9 is more than what is left
}

}   // namespace
