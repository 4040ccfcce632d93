// Holiday rules: the lookup of a date's holidays, this year's date of a rule,
// the rule descriptions and the built-in list.
#include <gtest/gtest.h>
#include <algorithm>
#include <string.h>
#include <string>
#include <vector>
#include "calendar/holiday.h"
#include "calendar/today.h"
#include "records/settings.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

void ClearHolidays() { ListFreeAll(&HolidayList); }

// The names of the chain HolidaysOn returns, in chain order.
std::vector<std::string> ChainNames(PackedDate date, int withTerms = 0)
{
    std::vector<std::string> names;
    for (HolidayEntry *e = HolidaysOn(date, withTerms); e; e = e->nextMatch)
        names.push_back(e->name);
    return names;
}

bool Matches(PackedDate date, HolidayCode code)
{
    for (HolidayEntry *e = HolidaysOn(date, 0); e; e = e->nextMatch)
        if (e->code == code)
            return true;
    return false;
}

class HolidayRulesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ClearHolidays();
        TodayDate.date = D(2026, 6, 1);
        TodayDate.weekday = 1;
    }
    void TearDown() override { ClearHolidays(); }
};

TEST_F(HolidayRulesTest, WeekdayRulesMatchTheirDays)
{
    AddHoliday(0x4520, "second Sunday of May");
    AddHoliday(0x4B74, "last Thursday of November");
    AddHoliday(0x4716, "first Saturday of July");
    AddHoliday(0x4A21, "second Monday of October");
    EXPECT_TRUE(Matches(D(2024, 5, 12), 0x4520));
    EXPECT_FALSE(Matches(D(2024, 5, 5), 0x4520));
    EXPECT_FALSE(Matches(D(2024, 5, 19), 0x4520));
    EXPECT_TRUE(Matches(D(2024, 11, 28), 0x4B74));   // the fourth Thursday is the last
    EXPECT_FALSE(Matches(D(2024, 11, 21), 0x4B74));
    EXPECT_TRUE(Matches(D(2024, 7, 6), 0x4716));
    EXPECT_TRUE(Matches(D(2024, 10, 14), 0x4A21));
}

TEST_F(HolidayRulesTest, FifthAndLastWeekdayRules)
{
    // May 2024: Fridays fall on 3, 10, 17, 24, 31.
    AddHoliday(0x4555, "fifth Friday of May");
    AddHoliday(0x4575, "last Friday of May");
    AddHoliday(0x4585, "last but one Friday of May");
    EXPECT_EQ(ChainNames(D(2024, 5, 31)),
              (std::vector<std::string>{"last Friday of May", "fifth Friday of May"}));
    EXPECT_EQ(ChainNames(D(2024, 5, 24)), (std::vector<std::string>{"last but one Friday of May"}));
    // May 2027 has four Fridays: no fifth one, and the last is the 28th.
    EXPECT_EQ(ChainNames(D(2027, 5, 28)), (std::vector<std::string>{"last Friday of May"}));
    for (int day = 29; day <= 31; day++)
        EXPECT_TRUE(ChainNames(D(2027, 5, day)).empty());
}

TEST_F(HolidayRulesTest, ChainIsTheReverseOfListOrder)
{
    AddHoliday(0x3101, "春节");
    AddHoliday(0x220E, "情人节");   // second in the list
    AddHoliday(0x2101, "元旦");     // goes second, 情人节 third
    EXPECT_EQ(ChainNames(D(2010, 2, 14)), (std::vector<std::string>{"情人节", "春节"}));
    EXPECT_EQ(HolidaysOn(D(2010, 2, 15), 0), nullptr);
}

TEST_F(HolidayRulesTest, LeapMonthNeverMatchesALunarRule)
{
    AddHoliday(0x320F, "lunar 2/15");
    EXPECT_TRUE(Matches(D(2023, 3, 6), 0x320F));
    EXPECT_FALSE(Matches(D(2023, 4, 5), 0x320F));   // leap 2/15
}

TEST_F(HolidayRulesTest, GregorianCodeUsesTheDateAsPassed)
{
    AddHoliday(0x221D, "29 February");
    AddHoliday(0x4310, "first Sunday of March");
    // 2026-02-29 is 1 March 2026 once normalised (a Sunday), but keeps its 29 February code.
    EXPECT_EQ(ChainNames(D(2026, 2, 29)), (std::vector<std::string>{"first Sunday of March", "29 February"}));
    EXPECT_EQ(ChainNames(D(2026, 3, 1)), (std::vector<std::string>{"first Sunday of March"}));
}

TEST_F(HolidayRulesTest, OutsideTheLunarTableOnlyLunarRulesFail)
{
    AddHoliday(0x3505, "lunar 5/5");
    AddHoliday(0x2505, "5 May");
    EXPECT_EQ(ChainNames(D(1899, 5, 5)), (std::vector<std::string>{"5 May"}));
    EXPECT_EQ(ChainNames(D(2101, 5, 5)), (std::vector<std::string>{"5 May"}));
}

TEST_F(HolidayRulesTest, SolarTermHeadsTheChainOnlyWithTheOption)
{
    AddHoliday(0x2204, "4 February");
    HolidayEntry *head = HolidaysOn(D(2024, 2, 4), 1);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->code, 0x1002);
    EXPECT_STREQ(head->name, "立春");
    ASSERT_NE(head->nextMatch, nullptr);
    EXPECT_STREQ(head->nextMatch->name, "4 February");
    EXPECT_EQ(head->nextMatch->nextMatch, nullptr);

    EXPECT_EQ(ChainNames(D(2024, 2, 4), 0), (std::vector<std::string>{"4 February"}));

    // An empty list gives the term alone.
    ClearHolidays();
    head = HolidaysOn(D(2024, 2, 4), 1);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->nextMatch, nullptr);
}

TEST_F(HolidayRulesTest, DatesThisYear)
{
    EXPECT_EQ(HolidayDateThisYear(0x2101), D(2026, 1, 1));
    EXPECT_EQ(HolidayDateThisYear(0x221D), D(2026, 2, 29));   // copied as it is
    EXPECT_EQ(HolidayDateThisYear(0x380F), D(2026, 9, 25));
    EXPECT_EQ(HolidayDateThisYear(0x3C08), D(2027, 1, 15));
    EXPECT_EQ(HolidayDateThisYear(0x4520), D(2026, 5, 10));
    EXPECT_EQ(HolidayDateThisYear(0x4B74), D(2026, 11, 26));
    EXPECT_EQ(HolidayDateThisYear(0x4250), D(2026, 3, 1));   // no fifth Sunday in February
    EXPECT_EQ(HolidayDateThisYear(0x5000), 0);
    EXPECT_EQ(HolidayDateThisYear(0x7FFF), 0);
    TodayDate.date = D(2024, 12, 31);
    EXPECT_EQ(HolidayDateThisYear(0x3101), D(2024, 2, 10));
}

// The reverse lookup and the forward lookup agree for every weekday rule that
// stays inside its month, over three decades.
TEST_F(HolidayRulesTest, WeekdayRulesAgreeBothWays)
{
    const int ordinals[] = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11};
    int checked = 0;
    for (int year = 2000; year <= 2030; year++) {
        TodayDate.date = D(year, 1, 1);
        for (int month = 1; month <= 12; month++)
            for (int n : ordinals)
                for (int w = 0; w < 7; w++) {
                    const HolidayCode code = HOLIDAY_WEEKDAY | month << 8 | n << 4 | w;
                    const PackedDate date = HolidayDateThisYear(code);
                    if (DATE_MONTH(date) != month || DATE_YEAR(date) != year)
                        continue;   // a fifth weekday the month lacks
                    ClearHolidays();
                    AddHoliday(code, "rule");
                    ASSERT_TRUE(Matches(date, code)) << std::hex << code << " " << date;
                    EXPECT_EQ(WeekdayOf(date), w);
                    checked++;
                }
    }
    EXPECT_GT(checked, 20000);
}

TEST_F(HolidayRulesTest, EveryBuiltInRuleFallsOnItsDateThisYear)
{
    AddBuiltInHolidays();
    int count = 0;
    for (ListNode *n = HolidayList; n; n = n->next, count++) {
        const HolidayEntry *e = (const HolidayEntry *)n->record;
        EXPECT_EQ(e->nextMatch, nullptr);
        EXPECT_EQ(n->size, HOLIDAY_FIXED_SIZE + strlen(e->name) + 1);
        EXPECT_TRUE(Matches(HolidayDateThisYear(e->code), e->code)) << e->name;
    }
    EXPECT_EQ(count, 30);
    EXPECT_STREQ(((HolidayEntry *)HolidayList->record)->name, "元旦");
    EXPECT_STREQ(((HolidayEntry *)HolidayList->next->record)->name, "美国感恩节");
}

TEST_F(HolidayRulesTest, ArborDayAndFathersDayOfTheBuiltInList)
{
    AddBuiltInHolidays();
    const struct {
        PackedDate date;
        const char *name;
        bool holds;
    } cases[] = {
        {D(2026, 3, 12), "植树节", true},  {D(2026, 3, 14), "植树节", false},
        // the third Sunday of June, however the month begins
        {D(2024, 6, 16), "父亲节", true},  {D(2025, 6, 15), "父亲节", true},
        {D(2026, 6, 21), "父亲节", true},  {D(2026, 6, 15), "父亲节", false},
        {D(2026, 6, 14), "父亲节", false}, {D(2026, 6, 28), "父亲节", false},
    };
    for (const auto &c : cases) {
        const std::vector<std::string> names = ChainNames(c.date);
        const bool found = std::find(names.begin(), names.end(), c.name) != names.end();
        EXPECT_EQ(found, c.holds) << c.name << " " << std::hex << c.date;
    }
}

TEST(HolidayDescriptionTest, RuleTexts)
{
    EXPECT_STREQ(DescribeHolidayCode(0x2101), "阳历 01月01日");
    EXPECT_STREQ(DescribeHolidayCode(0x2C19), "阳历 12月25日");
    EXPECT_STREQ(DescribeHolidayCode(0x380F), "农历 08月15日");
    EXPECT_STREQ(DescribeHolidayCode(0x4520), "五月正数第二个星期日");
    EXPECT_STREQ(DescribeHolidayCode(0x4B74), "十一月倒数第一个星期四");
    EXPECT_STREQ(DescribeHolidayCode(0x4CB6), "十二月倒数第五个星期六");
    EXPECT_EQ(DescribeHolidayCode(0x1000), nullptr);
    EXPECT_EQ(DescribeHolidayCode(0x1FFF), nullptr);
    EXPECT_EQ(DescribeHolidayCode(0x5000), nullptr);
    EXPECT_EQ(DescribeHolidayCode(-1), nullptr);
    // A damaged weekday rule (month 15) has no description rather than a stray name.
    EXPECT_EQ(DescribeHolidayCode(0x4F11), nullptr);
}

// The codes the editors build are the codes the lookup matches on the right days.
TEST_F(HolidayRulesTest, EditorCodesMatchTheirDays)
{
    const struct {
        HolidayCode code, expected;
        PackedDate on;
    } rules[] = {
        {SolarHolidayCode(1, 1), 0x2101, D(2026, 1, 1)},
        {SolarHolidayCode(12, 31), 0x2C1F, D(2026, 12, 31)},
        {LunarHolidayCode(8, 15), 0x380F, D(2025, 10, 6)},
        {LunarHolidayCode(12, 30), 0x3C1E, D(2024, 2, 9)},
        {WeekdayHolidayCode(5, 2, 0, 0), 0x4520, D(2024, 5, 12)},   // second Sunday of May
        {WeekdayHolidayCode(11, 1, 1, 4), 0x4B74, D(2024, 11, 28)},  // the last Thursday
        {WeekdayHolidayCode(3, 5, 1, 6), 0x43B6, D(2024, 3, 2)},     // fifth Saturday from the end
    };
    for (const auto &r : rules) {
        EXPECT_EQ(r.code, r.expected);
        ClearHolidays();
        AddHoliday(r.code, "x");
        EXPECT_TRUE(Matches(r.on, r.code)) << std::hex << r.code;
    }
}

TEST(HolidayRuleDaysTest, GregorianFebruaryOffersThe29thAndLunarMonthsThirtyDays)
{
    const int gregorian[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; m++) {
        EXPECT_EQ(HolidayRuleDays(m, 0), gregorian[m - 1]) << m;
        EXPECT_EQ(HolidayRuleDays(m, 1), 30) << m;
    }
    EXPECT_EQ(HolidayRuleDays(0, 0), 0);
    EXPECT_EQ(HolidayRuleDays(13, 1), 0);
}

}   // namespace
