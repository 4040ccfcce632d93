// The date information report, the memo section and the note of a date.
#include <gtest/gtest.h>
#include <string.h>
#include "tests/testdir.h"
#include <string>
#include "calendar/holiday.h"
#include "features/report.h"
#include "store/recordstore.h"
#include "records/settings.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

std::string Report(PackedDate date)
{
    TextBuffer buffer = {};
    TextSink sink = TextBufferSink(&buffer);
    BuildDateReport(&sink, date, 1);
    std::string text = buffer.text ? buffer.text : "";
    TextBufferFree(&buffer);
    return text;
}

std::string MemoSection(PackedDate date)
{
    TextBuffer buffer = {};
    TextSink sink = TextBufferSink(&buffer);
    AppendMemoSection(&sink, date);
    std::string text = buffer.text ? buffer.text : "";
    TextBufferFree(&buffer);
    return text;
}

bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

class DateReportTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
        AddChimeEntry();
        Settings.flags = 0x97;
    }
    void TearDown() override
    {
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
    }
};

TEST_F(DateReportTest, WorkedExample)
{
    AddBuiltInHolidays();
    EXPECT_EQ(Report(D(2024, 2, 10)), "==========◆日期信息◆==========\r\n"
                                      "\r\n"
                                      "阳历日期\t2024年2月10日\r\n"
                                      "星期\t\t六\r\n"
                                      "本年周计数\t6\r\n"
                                      "阳历天计数\t41\r\n"
                                      "阳历月天数\t29\r\n"
                                      "农历日期\t2024年1月1日\r\n"
                                      "生肖\t\t龙\r\n"
                                      "农历年\t\t甲辰\r\n"
                                      "农历月\t\t丙寅\r\n"
                                      "农历日\t\t甲辰\r\n"
                                      "农历天计数\t1\r\n"
                                      "农历月大小\t小月\r\n"
                                      "放假调休\t休（春节放假）\r\n"
                                      "\r\n"
                                      "==========◆节日信息◆==========\r\n"
                                      "\r\n"
                                      "节日：春节\r\n"
                                      "日期：农历 01月01日");
}

TEST_F(DateReportTest, LeapMonthLines)
{
    const std::string leap = Report(D(2023, 3, 22));
    EXPECT_TRUE(
        Has(leap, "\r\n农历日期\t2023年2月1日\r\n生肖\t\t兔\r\n农历年\t\t癸卯\r\n农历月\t\t乙卯\r\n"
                  "农历日\t\t己卯\r\n农历天计数\t60\r\n农历月大小\t小月\r\n本年闰\t\t2月\r\n本月是闰月\t是"))
        << leap;
    EXPECT_TRUE(Has(Report(D(2023, 3, 6)), "\r\n本年闰\t\t2月\r\n本月是闰月\t否"));
    const std::string after = Report(D(2023, 4, 20));
    EXPECT_TRUE(Has(after, "\r\n本年闰\t\t2月"));
    EXPECT_FALSE(Has(after, "本月是闰月"));
    EXPECT_FALSE(Has(Report(D(2024, 6, 1)), "本年闰"));
}

TEST_F(DateReportTest, EdgesOfTheLunarTable)
{
    AddHoliday(0x211E, "一月三十日");
    EXPECT_EQ(Report(D(1900, 1, 30)),
              "==========◆日期信息◆==========\r\n\r\n"
              "阳历日期\t1900年1月30日\r\n星期\t\t二\r\n本年周计数\t5\r\n阳历天计数\t30\r\n阳历月天数\t31"
              "\r\n\r\n==========◆节日信息◆==========\r\n\r\n节日：一月三十日\r\n日期：阳历 01月30日");
    const std::string first = Report(D(1900, 1, 31));
    EXPECT_TRUE(Has(first, "\r\n农历日期\t1900年1月1日\r\n"));
    EXPECT_TRUE(Has(first, "\r\n本年闰\t\t8月"));
    EXPECT_FALSE(Has(first, "节日信息"));
}

TEST_F(DateReportTest, SolarTermHasNoDateLine)
{
    const std::string text = Report(D(2024, 2, 4));
    EXPECT_TRUE(Has(text, "\r\n\r\n==========◆节日信息◆==========\r\n\r\n节气：立春"
                          "\r\n交节：立春 2024-02-04 16:27（北京时间）"));
    EXPECT_FALSE(Has(text, "日期："));
    // the formula's dates have no moment; outside the table the report says why
    EXPECT_TRUE(Has(Report(D(2101, 1, 5)), "\r\n交节：小寒，按平气公式推算（交节时刻只有1900至2100年），无时刻"));
    Settings.flags |= CTRL_MEAN_TERMS;
    EXPECT_TRUE(Has(Report(D(2026, 6, 6)), "节气：芒种\r\n交节：芒种，按平气公式推算，无时刻"));
    Settings.flags &= ~CTRL_MEAN_TERMS;
    EXPECT_TRUE(Has(Report(D(2024, 12, 31)), "本年周计数\t1\r\n"));
}

TEST_F(DateReportTest, MemoSection)
{
    // List after the chime: every-day, weekly Wednesday, another date, monthly 21st.
    AddReminder(REMIND_MONTHLY | 21, PACK_TIME(0, 0, 0), "月中");
    AddReminder(D(2024, 2, 22), REMIND_NO_TIME, "明天");
    AddReminder(REMIND_WEEKLY | 3, PACK_TIME(8, 30, 0), "周三 例会");
    AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, "每天");
    EXPECT_EQ(MemoSection(D(2024, 2, 21)),   // a Wednesday
              "\r\n\r\n==========◆备忘事件◆=========="
              "\r\n\r\n日期：每天\r\n时间：[无]\r\n提醒：每天"
              "\r\n\r\n日期：每周三\r\n时间：08:30:00\r\n提醒：周三 例会"
              "\r\n\r\n日期：每月21日\r\n时间：[无]\r\n提醒：月中");
    EXPECT_EQ(MemoSection(D(2024, 2, 22)), "\r\n\r\n==========◆备忘事件◆=========="
                                           "\r\n\r\n日期：每天\r\n时间：[无]\r\n提醒：每天"
                                           "\r\n\r\n日期：2024-02-22\r\n时间：[无]\r\n提醒：明天");
    ListFreeAll(&ReminderList);
    AddChimeEntry();
    AddReminder(D(2024, 2, 22), REMIND_NO_TIME, "明天");
    EXPECT_EQ(MemoSection(D(2024, 2, 21)), "");
    // The report ends with the memo section.
    const std::string report = Report(D(2024, 2, 22));
    const std::string tail =
        "\r\n\r\n==========◆备忘事件◆==========\r\n\r\n日期：2024-02-22\r\n时间：[无]\r\n提醒：明天";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
}

TEST_F(DateReportTest, YearlyMemosInTheMemoSection)
{
    AddReminder(LunarYearlyWhen(2, 30, 1), PACK_TIME(7, 0, 0), "闰月生日");
    AddReminder(YearlyWhen(2, 29), REMIND_NO_TIME, "闰日");
    // 2023-04-19 is the last day of the leap second month, which has 29 days
    EXPECT_EQ(MemoSection(D(2023, 4, 19)),
              "\r\n\r\n==========◆备忘事件◆=========="
              "\r\n\r\n日期：农历每年闰2月30日\r\n时间：07:00:00\r\n提醒：闰月生日");
    EXPECT_EQ(MemoSection(D(2023, 3, 21)), "");   // the regular month's 30th
    EXPECT_EQ(MemoSection(D(2023, 2, 28)), "\r\n\r\n==========◆备忘事件◆=========="
                                           "\r\n\r\n日期：每年02月29日\r\n时间：[无]\r\n提醒：闰日");
}

TEST(MemoWhenTest, Texts)
{
    EXPECT_STREQ(FormatMemoWhen(REMIND_MONTHLY | 31), "每月31日");
    EXPECT_STREQ(FormatMemoWhen(REMIND_WEEKLY | 0), "每周日");
    EXPECT_STREQ(FormatMemoWhen(REMIND_WEEKLY | 6), "每周六");
    EXPECT_STREQ(FormatMemoWhen(PACK_DATE(2004, 1, 1)), "2004-01-01");
    EXPECT_STREQ(FormatMemoWhen(REMIND_EVERY_DAY), "每天");
    EXPECT_STREQ(FormatMemoWhen(0), "[无]");
}

TEST(MemoWhenTest, AppliesOn)
{
    const struct {
        uint32_t when;
        PackedDate date;
        int applies;
    } cases[] = {
        {(uint32_t)PACK_DATE(2024, 2, 22), D(2024, 2, 22), 1},
        {(uint32_t)PACK_DATE(2024, 2, 22), D(2025, 2, 22), 0},
        {REMIND_EVERY_DAY, D(1899, 12, 31), 1},
        {REMIND_MONTHLY | 31, D(2024, 1, 31), 1},
        {REMIND_MONTHLY | 31, D(2024, 4, 30), 0},   // a 30-day month has no 31st
        {REMIND_MONTHLY | 1, D(2024, 3, 1), 1},
        {REMIND_WEEKLY | 0, D(2024, 2, 25), 1},   // a Sunday
        {REMIND_WEEKLY | 0, D(2024, 2, 24), 0},
        {REMIND_WEEKLY | 3, D(2024, 2, 21), 1},   // a Wednesday
        {0, D(2024, 2, 21), 0},                   // from a hand-edited file: never
    };
    for (const auto &c : cases)
        EXPECT_EQ(MemoAppliesOn(c.when, c.date), c.applies) << std::hex << c.when << " on " << c.date;
}

TEST(DayNoteViewTest, MarkAndText)
{
    EXPECT_EQ(DayNoteStore, nullptr);
    DayNoteView none = LoadDayNoteView(D(2024, 1, 1));
    EXPECT_EQ(none.mark, 0);
    EXPECT_STREQ(none.text, "");

    const TempWorkDir work("loom_report_");

    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    ASSERT_NE(DayNoteStore, nullptr);
    StoreItem *noted = StoreAddItem(&DayNoteStore->root, D(2024, 1, 1));
    ASSERT_NE(noted, nullptr);
    StoreSetData(noted, "abc", 4);
    StoreItem *marked = StoreAddItem(&DayNoteStore->root, D(2024, 1, 2));
    ASSERT_NE(marked, nullptr);
    StoreSetUserValue(marked, 1);

    DayNoteView view = LoadDayNoteView(D(2024, 1, 1));
    EXPECT_EQ(view.mark, 0);
    EXPECT_STREQ(view.text, "abc");
    view = LoadDayNoteView(D(2024, 1, 2));
    EXPECT_EQ(view.mark, 1);
    EXPECT_STREQ(view.text, "");
    view = LoadDayNoteView(D(2024, 1, 3));
    EXPECT_EQ(view.mark, 0);
    EXPECT_STREQ(view.text, "");

    StoreClose(DayNoteStore, "dlm.db");
    DayNoteStore = 0;
}

}   // namespace
