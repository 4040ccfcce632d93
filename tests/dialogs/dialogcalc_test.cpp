// The window-free decisions of the holiday editor and the date information
// dialog: rule codes from the selectors, the day list, the holiday list edits,
// and the quick lookup's dates.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include "calendar/today.h"
#include "dialogs/dialogcalc.h"
#include "resources/resource.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

HolidaySelection Solar(int month, int day) { return {HOLIDAY_MODE_SOLAR, month, day, 0, 0, 0, 0}; }
HolidaySelection Lunar(int month, int day) { return {HOLIDAY_MODE_LUNAR, month, day, 0, 0, 0, 0}; }
HolidaySelection Week(int month, int direction, int ordinal, int weekday)
{
    return {HOLIDAY_MODE_WEEK, 0, 0, month, direction, ordinal, weekday};
}

TEST(HolidayEditorCalc, CodesFromTheSelectors)
{
    struct Case {
        HolidaySelection s;
        HolidayCode code;
        const char *rule;
    } cases[] = {
        {Solar(0, 0), 0x2101, "阳历 01月01日"},
        {Solar(1, 28), 0x221D, "阳历 02月29日"},
        {Solar(11, 30), 0x2C1F, "阳历 12月31日"},
        {Lunar(7, 14), 0x380F, "农历 08月15日"},
        {Lunar(11, 29), 0x3C1E, "农历 12月30日"},
        {Week(4, 0, 1, 0), 0x4520, "五月正数第二个星期日"},
        {Week(10, 1, 0, 4), 0x4B74, "十一月倒数第一个星期四"},   // k = 7: the last
        {Week(11, 1, 4, 6), 0x4CB6, "十二月倒数第五个星期六"},   // k = 11
        {Week(0, 0, 4, 5), 0x4155, "一月正数第五个星期五"},
        // the other mode's lists do not count
        {{HOLIDAY_MODE_SOLAR, 2, 3, 9, 1, 4, 6}, 0x2304, "阳历 03月04日"},
        {{HOLIDAY_MODE_WEEK, 2, 3, 9, 0, 2, 1}, 0x4A31, "十月正数第三个星期一"},
        // a list without a selection counts as its first item: never day or month 0
        {Solar(-1, -1), 0x2101, "阳历 01月01日"},
        {Week(-1, -1, -1, -1), 0x4110, "一月正数第一个星期日"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(c.code, HolidayCodeFromSelection(&c.s));
        EXPECT_STREQ(c.rule, DescribeHolidayCode(HolidayCodeFromSelection(&c.s)));
    }
}

TEST(HolidayEditorCalc, DayListFollowsTheMonthAndKeepsTheLastDaySelected)
{
    const int solar[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m < 12; m++) {
        EXPECT_EQ(solar[m], HolidayDayListLength(m, 0)) << m;
        EXPECT_EQ(30, HolidayDayListLength(m, 1)) << m;
    }
    EXPECT_EQ(-1, HolidayDayListLength(-1, 0));   // no month selected: the list stays
    EXPECT_EQ(-1, HolidayDayListLength(12, 1));

    EXPECT_EQ(28, HolidayDaySelectionAfterResize(30, 29));   // 31st, then February: the 29th
    EXPECT_EQ(29, HolidayDaySelectionAfterResize(30, 30));
    EXPECT_EQ(9, HolidayDaySelectionAfterResize(9, 29));     // a day that is still there stays
    EXPECT_EQ(28, HolidayDaySelectionAfterResize(28, 31));   // growing changes nothing
    EXPECT_EQ(28, HolidayDaySelectionAfterResize(-1, 29));   // lost selection: the last day
    EXPECT_EQ(-1, HolidayDaySelectionAfterResize(3, 0));

    // What an add right after the shrink stores: 29 February, not day 0.
    HolidaySelection s = Solar(1, HolidayDaySelectionAfterResize(30, HolidayDayListLength(1, 0)));
    EXPECT_EQ(0x221D, HolidayCodeFromSelection(&s));
}

TEST(HolidayEditorCalc, SelectorTexts)
{
    struct Case {
        int control;
        int index;
        const char *text;
    } cases[] = {
        {IDC_MONTH, 0, "一月"},     {IDC_MONTH, 11, "十二月"},  {IDC_WEEK_MONTH, 9, "十月"},
        {IDC_DIRECTION, 0, "正数"}, {IDC_DIRECTION, 1, "倒数"}, {IDC_DAY, 0, "1日"},
        {IDC_DAY, 29, "30日"},      {IDC_DAY, 30, "31日"},      {IDC_ORDINAL, 0, "第一个"},
        {IDC_ORDINAL, 4, "第五个"}, {IDC_WEEKDAY, 0, "星期日"}, {IDC_WEEKDAY, 6, "星期六"},
        {IDC_MONTH, 12, ""},        {IDC_ORDINAL, 5, ""},       {IDC_WEEKDAY, -1, ""},
        {IDC_REPORT, 0, ""},
    };
    for (const Case &c : cases) {
        char text[32] = "x";
        HolidaySelectorText(c.control, c.index, text, sizeof text);
        EXPECT_STREQ(c.text, text) << c.control << " " << c.index;
    }
    EXPECT_EQ(12, HolidaySelectorCount(IDC_MONTH));
    EXPECT_EQ(12, HolidaySelectorCount(IDC_WEEK_MONTH));
    EXPECT_EQ(2, HolidaySelectorCount(IDC_DIRECTION));
    EXPECT_EQ(31, HolidaySelectorCount(IDC_DAY));
    EXPECT_EQ(5, HolidaySelectorCount(IDC_ORDINAL));
    EXPECT_EQ(7, HolidaySelectorCount(IDC_WEEKDAY));
}

class HolidayListTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ListFreeAll(&HolidayList);
        TodayDate.date = D(2026, 6, 1);
        TodayDate.weekday = 1;
    }
    void TearDown() override { ListFreeAll(&HolidayList); }
};

TEST_F(HolidayListTest, ColumnTextsAreCutOnAWholeCharacter)
{
    ListNode *node = AddEditorHoliday(0x4520, "国际妇女节");
    ASSERT_NE(nullptr, node);
    const HolidayEntry *e = (const HolidayEntry *)node->record;
    char text[64];
    HolidayColumnText(e, 0, text, sizeof text);
    EXPECT_STREQ("国际妇女节", text);
    HolidayColumnText(e, 1, text, sizeof text);
    EXPECT_STREQ("五月正数第二个星期日", text);
    // 8 bytes hold 7 and the NUL: three whole characters, not three and a half
    HolidayColumnText(e, 0, text, 8);
    EXPECT_STREQ("国际妇", text);
    HolidayColumnText(e, 1, text, 6);
    EXPECT_STREQ("五月", text);

    node = AddEditorHoliday(0x5000, "x");
    HolidayColumnText((const HolidayEntry *)node->record, 1, text, sizeof text);
    EXPECT_STREQ("", text);   // no rule, no text
}

TEST_F(HolidayListTest, AddCutsTheNameAndDeleteOfTheHeadKeepsTheRest)
{
    // 2 ASCII bytes and 495 two-byte characters: 992 bytes, the last
    // character straddling the 991-byte limit.
    std::string name = "ab";
    for (int i = 0; i < 495; i++)
        name += "节";
    ListNode *head = AddEditorHoliday(0x2101, name.c_str());
    ASSERT_EQ(HolidayList, head);
    EXPECT_EQ(990u, strlen(((HolidayEntry *)head->record)->name));
    EXPECT_EQ(HOLIDAY_FIXED_SIZE + 991, head->size);

    ListNode *second = AddEditorHoliday(0x380F, "中秋节");
    ListNode *third = AddEditorHoliday(0x4520, "母亲节");
    EXPECT_EQ(third, HolidayList->next);   // each add goes right after the head
    EXPECT_EQ(second, third->next);

    RemoveHoliday(head);
    ASSERT_EQ(third, HolidayList);
    EXPECT_EQ(nullptr, HolidaysOn(D(2026, 1, 1), 0));
    HolidayEntry *e = HolidaysOn(D(2026, 9, 25), 0);   // lunar 8/15
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ("中秋节", e->name);
    e = HolidaysOn(D(2026, 5, 10), 0);
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ("母亲节", e->name);

    RemoveHoliday(second);
    EXPECT_EQ(third, HolidayList);
    EXPECT_EQ(nullptr, HolidayList->next);
    RemoveHoliday(third);
    EXPECT_EQ(nullptr, HolidayList);
}

TEST_F(HolidayListTest, QuickLookupGivesOnlyDatesTheHolidayFallsOn)
{
    struct Case {
        int year;
        HolidayCode code;
        PackedDate date;
    } cases[] = {
        {2026, 0x2101, D(2026, 1, 1)},
        {2026, 0x221D, 0},   // 29 February in a common year
        {2024, 0x221D, D(2024, 2, 29)},
        {2026, 0x4250, 0},                // a fifth Sunday of February 2026
        {2026, 0x4155, D(2026, 1, 30)},   // January 2026 has five Fridays
        {2026, 0x4B74, D(2026, 11, 26)},
        {2026, 0x4B84, D(2026, 11, 19)},   // the last but one
        {2026, 0x4520, D(2026, 5, 10)},
        {2026, 0x380F, D(2026, 9, 25)},
        {2026, 0x3C08, D(2027, 1, 15)},   // lunar 12th month: January of the next year
        {2026, 0x311E, D(2026, 3, 18)},   // lunar 1/30: the first month of 2026 is long
        {2026, 0x321E, 0},                // lunar 2/30: the second is short
        {2025, 0x360F, D(2025, 7, 9)},    // lunar 6/15 of 2025, the regular month before the leap one
        {2026, 0x5000, 0},
        {2026, 0x1002, 0},   // solar terms are not rules of the list
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << " " << std::hex << c.code);
        TodayDate.date = D(c.year, 6, 1);
        EXPECT_EQ(c.date, QuickLookupDate(c.code));
        if (c.date) {
            EXPECT_TRUE(HolidayFallsOn(c.code, c.date));
        }
    }
    // The reverse lookup on its own runs on into the next month.
    TodayDate.date = D(2026, 6, 1);
    EXPECT_EQ(D(2026, 3, 1), HolidayDateThisYear(0x4250));
    EXPECT_FALSE(HolidayFallsOn(0x4250, D(2026, 3, 1)));
    EXPECT_FALSE(HolidayFallsOn(0x221D, D(2026, 2, 29)));   // not a day of 2026
}

TEST_F(HolidayListTest, TheLineForARuleWithoutADate)
{
    char line[200];
    FormatNoDateLine(line, sizeof line, "闰日", 0x221D, 2026);
    EXPECT_STREQ("节日“闰日”（阳历 02月29日）在2026年没有日期。", line);
    FormatNoDateLine(line, sizeof line, "第五个星期日", 0x4250, 2026);
    EXPECT_STREQ("节日“第五个星期日”（二月正数第五个星期日）在2026年没有日期。", line);

    // A long name gets what the line leaves, on a whole character, whatever
    // the room left (odd or even).
    std::string name;
    for (int i = 0; i < 400; i++)
        name += "节";
    const std::string head = "节日“", tail = "”（阳历 02月29日）在2026年没有日期。";
    for (size_t size = 150; size < 154; size++) {
        std::vector<char> buffer(size);
        FormatNoDateLine(buffer.data(), size, name.c_str(), 0x221D, 2026);
        std::string s = buffer.data();
        ASSERT_GT(s.size(), head.size() + tail.size() + 90) << size;
        EXPECT_LT(s.size(), size);
        EXPECT_EQ(0u, s.find(head));
        EXPECT_EQ(tail, s.substr(s.size() - tail.size()));
        std::string cut = s.substr(head.size(), s.size() - head.size() - tail.size());
        EXPECT_EQ(name.substr(0, cut.size()), cut);
        EXPECT_EQ(0u, cut.size() % 2) << size;
    }
}

}   // namespace

namespace {

// ---- the lunar choosers of the date information dialog ----

TEST(LunarChoosers, MonthListsNameTheLeapMonthAfterItsRegularMonth)
{
    LunarMonthItem items[13];
    char text[32];
    ASSERT_EQ(13, LunarMonthItems(2023, items));   // 闰二月
    const char *const expected2023[13] = {"正月", "二月", "闰二月", "三月", "四月", "五月", "六月",
                                          "七月", "八月", "九月", "十月", "十一月", "腊月"};
    for (int i = 0; i < 13; i++) {
        LunarMonthItemText(items[i], text, sizeof text);
        EXPECT_STREQ(expected2023[i], text) << i;
    }
    ASSERT_EQ(12, LunarMonthItems(2024, items));
    LunarMonthItemText(items[11], text, sizeof text);
    EXPECT_STREQ("腊月", text);
    EXPECT_EQ(0, LunarMonthItems(1899, items));
    EXPECT_EQ(0, LunarMonthItems(2101, items));
}

TEST(LunarChoosers, EveryDayOfTheTableComesBackFromWhatTheChoosersShow)
{
    LunarMonthItem items[13];
    for (PackedDate date = LUNAR_EPOCH; date <= LUNAR_LAST_DATE;
         date = GetDayInfo(PACK_DATE(DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date) + 1))->packed) {
        const LunarChoice c = LunarChoiceOf(date);
        ASSERT_GE(c.month, 0) << date;
        ASSERT_LT(c.month, LunarMonthItems(LUNAR_FIRST_YEAR + c.year, items)) << date;
        const LunarMonthItem m = items[c.month];
        ASSERT_EQ(date, SolarOfLunarDay(LUNAR_FIRST_YEAR + c.year, m.month, m.leap, c.day + 1)) << date;
        ASSERT_TRUE(c.days == 29 || c.days == 30) << date;
    }
    // no lunar date: nothing is chosen
    const LunarChoice none = LunarChoiceOf(D(1900, 1, 30));
    EXPECT_EQ(-1, none.year);
    EXPECT_EQ(-1, none.month);
    EXPECT_EQ(-1, none.day);
    EXPECT_EQ(-1, LunarChoiceOf(D(2101, 1, 29)).year);
}

TEST(LunarChoosers, ChoosingKeepsTheOtherTwoAsFarAsTheNewYearOrMonthHasThem)
{
    struct Case {
        PackedDate shown;
        int chooser;
        int32_t index;
        PackedDate expected;
        const char *why;
    } cases[] = {
        {D(2023, 3, 22), LUNAR_CHOOSER_DAY, 14, D(2023, 4, 5), "闰二月初一 to 闰二月十五"},
        {D(2023, 3, 1), LUNAR_CHOOSER_MONTH, 2, D(2023, 3, 31), "二月初十 to 闰二月初十"},
        {D(2023, 3, 31), LUNAR_CHOOSER_MONTH, 1, D(2023, 3, 1), "闰二月初十 back to 二月初十"},
        {D(2023, 3, 31), LUNAR_CHOOSER_YEAR, 124, D(2024, 3, 19), "闰二月 in a year without it: 二月"},
        {D(2024, 2, 10), LUNAR_CHOOSER_YEAR, 125, D(2025, 1, 29), "正月初一 a year on"},
        {D(2025, 1, 28), LUNAR_CHOOSER_MONTH, 0, D(2024, 3, 9), "腊月廿九 of 2024 to 正月廿九"},
        {D(2024, 3, 9), LUNAR_CHOOSER_DAY, 29, D(2024, 3, 9), "三十 in a 29-day 正月: 廿九"},
        {D(2026, 3, 18), LUNAR_CHOOSER_YEAR, 124, D(2024, 3, 9), "正月三十 of 2026 in 2024: 廿九"},
        {D(2024, 1, 10), LUNAR_CHOOSER_MONTH, 12, D(2024, 2, 8), "十一月廿九 to 腊月廿九, past 闰二月"},
        {D(1900, 1, 30), LUNAR_CHOOSER_DAY, 4, D(1900, 2, 4), "no lunar date: 正月 of 1900"},
        {D(2026, 6, 1), LUNAR_CHOOSER_MONTH, 13, D(2026, 6, 1), "no such month: nothing moves"},
        {D(2026, 6, 1), LUNAR_CHOOSER_DAY, -1, D(2026, 6, 1), "no selection: nothing moves"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, LunarChooserDate(c.shown, c.chooser, c.index)) << c.why;
}

}   // namespace
