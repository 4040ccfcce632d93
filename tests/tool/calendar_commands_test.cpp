// The reading commands of loomcal, run as a child process: month grid, day
// summary, the days table against the reference engine, terms, lunar
// conversion, holiday chains and the date report.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include "tool_harness.h"
#include "app/version.h"
#include "calendar/solarterm.h"
#include "tests/reference/reference.h"

namespace {

class CalendarCommands : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        ASSERT_FALSE(dir.path.empty());
    }
    void TearDown() override { RemoveScratchDir(dir); }
    ScratchDir dir;
};

// The text of a grid cell: byte offset = display column in GBK output.
std::string Cell(const std::string &line, int column)
{
    if ((size_t)(column * 10) >= line.size())
        return "";
    std::string cell = line.substr(column * 10, 9);
    while (!cell.empty() && cell.back() == ' ')
        cell.pop_back();
    while (!cell.empty() && cell.front() == ' ')
        cell.erase(0, 1);
    return cell;
}

TEST_F(CalendarCommands, MonthGridIsSundayFirstWithCaptions)
{
    ToolRun run = RunTool(dir, {"month", "2024-02"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "no escapes when stdout is not a terminal";
    std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 2u + 5 * 2);
    EXPECT_NE(lines[0].find("2024年2月"), std::string::npos);
    const char *weekdays[7] = {"日", "一", "二", "三", "四", "五", "六"};
    for (int w = 0; w < 7; w++)
        EXPECT_EQ(Cell(lines[1], w), weekdays[w]);

    // 2024-02-01 is a Thursday: three empty cells first
    for (int col = 0; col < 4; col++)
        EXPECT_EQ(Cell(lines[2], col), "") << col;
    EXPECT_EQ(Cell(lines[2], 4), "1");
    EXPECT_EQ(Cell(lines[3], 4), "廿二");
    EXPECT_EQ(Cell(lines[2], 6), "3");

    struct {
        int row, col;
        const char *day, *caption;
    } cells[] = {
        {1, 0, "4", "立春"},                            // the solar term comes first
        {1, 5, "9", "三十"},    {1, 6, "10", "春节"},   // lunar new year: the holiday, not 1月小
        {2, 0, "11", "初二"},   {2, 3, "14", "情人节"}, {3, 1, "19", "雨水"},
        {3, 6, "24", "元宵节"}, {4, 4, "29", "二十"},
    };
    for (const auto &c : cells) {
        EXPECT_EQ(Cell(lines[2 + c.row * 2], c.col), c.day) << c.day;
        EXPECT_EQ(Cell(lines[3 + c.row * 2], c.col), c.caption) << c.day;
    }
    // the last week stops after the 29th, without trailing cells
    EXPECT_EQ(lines[10].size(), 4u * 10 + 2);
}

TEST_F(CalendarCommands, MonthCaptionsOnFirstLunarDaysAndLongNames)
{
    // 2023-03-22 opens the 29-day leap second month, 2023-02-20 the regular one of 30 days
    ToolRun run = RunTool(dir, {"month", "2023-03"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(Cell(lines[8], 3), "22");
    EXPECT_EQ(Cell(lines[9], 3), "闰2月小");
    EXPECT_EQ(Cell(lines[9], 2), "春分");
    lines = SplitLines(RunTool(dir, {"month", "2023-02"}).out);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(Cell(lines[8], 1), "20");
    EXPECT_EQ(Cell(lines[9], 1), "2月大");

    ASSERT_EQ(RunTool(dir, {"holidays-add", "solar", "03-28", "很长很长的节日名字"}).status, 0);
    lines = SplitLines(RunTool(dir, {"month", "2023-03"}).out);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(Cell(lines[10], 2), "28");
    EXPECT_EQ(lines[11].substr(20, 10), "很长很长  ") << "cut on a character boundary to the column";
}

TEST_F(CalendarCommands, VersionIsTheProgramsOwn)
{
    ToolRun run = RunTool(dir, {"--version"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "loomcal (Loomhouse) " LOOMHOUSE_VERSION "\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CalendarCommands, MonthWithoutArgumentIsTheCurrentMonth)
{
    ToolRun run = RunTool(dir, {"month"});
    ASSERT_EQ(run.status, 0) << run.err;
    time_t now = time(0);
    struct tm *local = localtime(&now);
    char title[32];
    snprintf(title, sizeof title, "%d年%d月", local->tm_year + 1900, local->tm_mon + 1);
    EXPECT_NE(run.out.find(title), std::string::npos) << run.out;
}

TEST_F(CalendarCommands, DaySummary)
{
    ToolRun run = RunTool(dir, {"day", "2024-02-10"});
    ASSERT_EQ(run.status, 0) << run.err;
    const char *expected[] = {
        "公历\t2024年2月10日 星期六\n", "ISO周\t第6周\n", "农历\t正月初一",
        "干支\t甲辰年 丙寅月 甲辰日\n", "生肖\t龙\n",     "节日\t春节\n",
    };
    for (const char *line : expected)
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    EXPECT_EQ(run.out.find("节气"), std::string::npos);

    run = RunTool(dir, {"day", "2023-03-22"});
    EXPECT_NE(run.out.find("农历\t闰二月初一"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("生肖\t兔"), std::string::npos);

    run = RunTool(dir, {"day", "2024-02-04"});
    EXPECT_NE(run.out.find("节气\t立春\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("节日"), std::string::npos) << "the term is not listed again as a holiday";

    run = RunTool(dir, {"day", "2024-12-31"});
    EXPECT_NE(run.out.find("ISO周\t第1周\n"), std::string::npos) << run.out;

    // before the lunar table: no lunar lines, no crash
    run = RunTool(dir, {"day", "1900-01-30"});
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("公历\t1900年1月30日 星期二"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("干支"), std::string::npos);
}

TEST_F(CalendarCommands, DaysTableAgreesWithTheReferenceOnEveryDateOfTheTable)
{
    ToolRun run = RunTool(dir, {"days", "1899-12-30", "2101-01-30"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0],
              "date\tweekday\tdayOfYear\tweekOfYear\tdaysInMonth\tlunarValid\tlunarYear\tlunarMonth\t"
              "lunarDay\tisLeapMonth\tlunarMonthDays\tleapMonth\tlunarDayOfYear\tyearCycle\tmonthCycle\t"
              "dayCycle\tterm");
    int32_t expectedCount = RefDaysBetween(PACK_DATE(1899, 12, 30), PACK_DATE(2101, 1, 30)) + 1;
    ASSERT_EQ((int32_t)lines.size(), expectedCount + 1);

    PackedDate date = PACK_DATE(1899, 12, 30);
    int failures = 0;
    for (size_t i = 1; i < lines.size() && failures < 5; i++) {
        CalendarDay ref = *RefGetDayInfo(date);
        char expected[300];
        int n =
            snprintf(expected, sizeof expected, "%04d-%02d-%02d\t%d\t%d\t%d\t%d\t%d\t", ref.year, ref.month,
                     ref.day, ref.weekday, ref.dayOfYear, ref.weekOfYear, ref.daysInMonth, ref.lunarValid);
        if (ref.lunarValid)
            n += snprintf(expected + n, sizeof expected - n, "%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t",
                          ref.lunarYear, ref.lunarMonth, ref.lunarDay, ref.isLeapMonth, ref.lunarMonthDays,
                          ref.leapMonth, ref.lunarDayOfYear, ref.yearCycle, ref.monthCycle, ref.dayCycle);
        else
            n += snprintf(expected + n, sizeof expected - n, "\t\t\t\t\t\t\t\t\t\t");
        // the table years take their terms from the engine's astronomical table
        // (checked against the generator on its own), the others from the formula
        int term = ref.year >= 1900 && ref.year <= 2100 ? SolarTermIndexOn(date) : RefSolarTermIndexOn(date);
        snprintf(expected + n, sizeof expected - n, "%d", term);
        if (lines[i] != expected) {
            ADD_FAILURE() << "line " << i << ":\n  tool " << lines[i] << "\n  ref  " << expected;
            failures++;
        }
        CalendarDay next = ref;
        next.day += 1;
        RefNormalizeDay(&next);
        date = next.packed;
    }
}

TEST_F(CalendarCommands, TermsOfAYear)
{
    ToolRun run = RunTool(dir, {"terms", "2024"});
    ASSERT_EQ(run.status, 0) << run.err;
    const char *names[24] = {"小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨",
                             "立夏", "小满", "芒种", "夏至", "小暑", "大暑", "立秋", "处暑",
                             "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};
    // the astronomical dates and moments (处暑 on 08-22, where the formula says 08-23)
    const char *moments[24] = {
        "01-06\t04:49", "01-20\t22:07", "02-04\t16:27", "02-19\t12:13", "03-05\t10:22", "03-20\t11:06",
        "04-04\t15:02", "04-19\t22:00", "05-05\t08:10", "05-20\t21:00", "06-05\t12:10", "06-21\t04:51",
        "07-06\t22:20", "07-22\t15:44", "08-07\t08:10", "08-22\t22:55", "09-07\t11:12", "09-22\t20:44",
        "10-08\t03:00", "10-23\t06:15", "11-07\t06:20", "11-22\t03:56", "12-06\t23:17", "12-21\t17:20"};
    const char *dates[24] = {"01-06", "01-20", "02-04", "02-19", "03-05", "03-20", "04-04", "04-19",
                             "05-05", "05-20", "06-05", "06-21", "07-06", "07-22", "08-07", "08-23",
                             "09-07", "09-22", "10-08", "10-23", "11-07", "11-22", "12-06", "12-21"};
    std::string expected, mean;
    for (int i = 0; i < 24; i++) {
        expected += std::to_string(i) + "\t" + names[i] + "\t2024-" + moments[i] + "\n";
        mean += std::to_string(i) + "\t" + names[i] + "\t2024-" + dates[i] + "\t--:--\n";
    }
    EXPECT_EQ(run.out, expected);
    // the formula: by the option, or by the control bit in dlm.ini
    run = RunTool(dir, {"terms", "--mean", "2024"});
    EXPECT_EQ(run.out, mean);
    WriteWholeFile(PathIn(dir, "dlm.ini"), "[CONTROL]\nMonthPos=250,0,600,250,1\nControl=197\n");
    run = RunTool(dir, {"terms", "2024"});
    EXPECT_EQ(run.out, mean);
    run = RunTool(dir, {"day", "2024-08-23"});
    EXPECT_NE(run.out.find("节气\t处暑\n交节\t2024-08-23 --:--（平气公式，无时刻）\n"), std::string::npos) << run.out;
    std::remove(PathIn(dir, "dlm.ini").c_str());
    run = RunTool(dir, {"day", "2024-08-22"});
    EXPECT_NE(run.out.find("节气\t处暑\n交节\t2024-08-22 22:55\n"), std::string::npos) << run.out;

    // far from the table years the formula still gives every term, each on a
    // date the reference search agrees with
    for (int year : {1, 1583, 1899, 2101, 9999}) {
        run = RunTool(dir, {"terms", std::to_string(year)});
        ASSERT_EQ(run.status, 0) << year;
        std::vector<std::string> lines = SplitLines(run.out);
        ASSERT_EQ(lines.size(), 24u) << year;
        for (int i = 0; i < 24; i++) {
            int y, m, d;
            char time[8];
            size_t tab = lines[i].find('\t', lines[i].find('\t') + 1);
            ASSERT_EQ(sscanf(lines[i].c_str() + tab + 1, "%d-%d-%d\t%7s", &y, &m, &d, time), 4) << lines[i];
            EXPECT_STREQ(time, "--:--") << "no moment outside the table";
            EXPECT_EQ(y, year);
            EXPECT_EQ(RefSolarTermIndexOn(PACK_DATE(y, m, d)), i) << lines[i];
        }
    }
}

TEST_F(CalendarCommands, LunarToGregorian)
{
    struct {
        const char *lunar, *gregorian;
    } cases[] = {
        {"2023-03-03", "2023-04-22"}, {"2006-08-15", "2006-10-06"}, {"2020-05-01", "2020-06-21"},
        {"2024-01-01", "2024-02-10"}, {"2023-12-08", "2024-01-18"}, {"1900-01-01", "1900-01-31"},
        {"2100-12-29", "2101-01-28"}, {"2023-02-30", "2023-03-21"},
    };
    for (const auto &c : cases) {
        ToolRun run = RunTool(dir, {"lunar", c.lunar});
        EXPECT_EQ(run.status, 0) << c.lunar << run.err;
        EXPECT_EQ(run.out, std::string(c.gregorian) + "\n") << c.lunar;
    }
}

TEST_F(CalendarCommands, HolidayChains)
{
    ToolRun run = RunTool(dir, {"holidays", "2010-02-14"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "220E\t情人节\n3101\t春节\n");
    run = RunTool(dir, {"holidays", "2024-02-04"});
    EXPECT_EQ(run.out, "1002\t立春\n");
    run = RunTool(dir, {"holidays", "2024-11-28"});
    EXPECT_EQ(run.out, "4B74\t美国感恩节\n");
    run = RunTool(dir, {"holidays", "2024-02-05"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");

    // with the solar-term option off in dlm.ini the term drops out
    WriteWholeFile(PathIn(dir, "dlm.ini"), "[CONTROL]\nMonthPos=250,0,600,250,1\nControl=95\n[HOLIDAY]\n"
                                           "0=12545,春节\n");
    run = RunTool(dir, {"holidays", "2024-02-04"});
    EXPECT_EQ(run.out, "");
    run = RunTool(dir, {"holidays", "2024-02-10"});
    EXPECT_EQ(run.out, "3101\t春节\n");
}

TEST_F(CalendarCommands, ReportOfTheLunarNewYear)
{
    ToolRun run = RunTool(dir, {"report", "2024-02-10"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "==========◆日期信息◆==========\n"
                       "\n"
                       "阳历日期\t2024年2月10日\n"
                       "星期\t\t六\n"
                       "本年周计数\t6\n"
                       "阳历天计数\t41\n"
                       "阳历月天数\t29\n"
                       "农历日期\t2024年1月1日\n"
                       "生肖\t\t龙\n"
                       "农历年\t\t甲辰\n"
                       "农历月\t\t丙寅\n"
                       "农历日\t\t甲辰\n"
                       "农历天计数\t1\n"
                       "农历月大小\t小月\n"
                       "放假调休\t休（春节放假）\n"
                       "\n"
                       "==========◆节日信息◆==========\n"
                       "\n"
                       "节日：春节\n"
                       "日期：农历 01月01日\n");

    run = RunTool(dir, {"report", "2023-03-22"});
    EXPECT_NE(run.out.find("本年闰\t\t2月\n本月是闰月\t是"), std::string::npos) << run.out;
}

}   // namespace
