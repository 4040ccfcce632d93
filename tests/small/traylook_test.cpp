// What the tray icon shows for a day: the colour of its number and its tip.
#include <gtest/gtest.h>
#include <string.h>
#include <memory>
#include <string>
#include "app/traylook.h"
#include "calendar/daytext.h"
#include "calendar/holiday.h"
#include "store/fileio.h"
#include "records/gbk.h"
#include "records/recordlist.h"
#include "records/records.h"
#include "store/recordstore.h"
#include "records/settings.h"
#include "tests/testdir.h"

namespace {

const uint32_t MARK = 0x00FF00, HOLIDAY = 0x00FFFF, WEEKEND = 0x0000FF, PLAIN = 0xFFFFFF;

// A program state of its own: built-in holidays, distinct colours and an
// empty note store in a private directory.
class TrayLookTest : public ::testing::Test {
  protected:
    std::unique_ptr<TempWorkDir> work;
    void SetUp() override
    {
        work.reset(new TempWorkDir("loomtray_"));
        memset(&Settings, 0, sizeof Settings);
        Settings.flags = CTRL_SOLAR_TERMS;
        Settings.colorMark = MARK;
        Settings.colorHoliday = HOLIDAY;
        Settings.colorWeekend = WEEKEND;
        Settings.colorDefault = PLAIN;
        ListFreeAll(&HolidayList);
        AddBuiltInHolidays();
        DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    }
    void TearDown() override
    {
        StoreDiscard(DayNoteStore);
        DayNoteStore = nullptr;
        ListFreeAll(&HolidayList);
        memset(&Settings, 0, sizeof Settings);
        work.reset();
    }
    void Mark(PackedDate date, int32_t value)
    {
        TreeNode *node = TreeFind(DayNoteStore->root.children, date);
        StoreItem *item = node ? (StoreItem *)node->record : StoreAddItem(&DayNoteStore->root, date);
        ASSERT_NE(item, nullptr);
        StoreSetUserValue(item, value);
    }
};

TrayLook LookOf(PackedDate date)
{
    TrayLook look;
    memset(&look, 0x55, sizeof look);
    TrayLookOf(date, &look);
    return look;
}

TEST_F(TrayLookTest, TheNumberTakesTheMonthGridsColourForTheDay)
{
    // 1 January 2023: a Sunday and 元旦
    Mark(PACK_DATE(2023, 1, 1), 1);
    EXPECT_EQ(LookOf(PACK_DATE(2023, 1, 1)).colour, MARK);
    Mark(PACK_DATE(2023, 1, 1), 0);   // a mark of 0 is no mark
    EXPECT_EQ(LookOf(PACK_DATE(2023, 1, 1)).colour, HOLIDAY);

    const struct {
        PackedDate date;
        uint32_t colour;
        int32_t day;
    } cases[] = {
        {PACK_DATE(2022, 1, 2), WEEKEND, 2},     // an ordinary Sunday
        {PACK_DATE(2022, 1, 8), WEEKEND, 8},     // an ordinary Saturday
        {PACK_DATE(2022, 1, 4), PLAIN, 4},       // an ordinary Tuesday
        {PACK_DATE(2024, 3, 5), HOLIDAY, 5},     // 惊蛰 on a Tuesday, terms count
        {PACK_DATE(2024, 2, 10), HOLIDAY, 10},   // 春节 on a Saturday
    };
    for (const auto &c : cases) {
        TrayLook look = LookOf(c.date);
        EXPECT_EQ(look.colour, c.colour) << std::hex << c.date;
        EXPECT_EQ(look.day, c.day);
    }

    // without the option the solar term is an ordinary day
    Settings.flags = 0;
    EXPECT_EQ(LookOf(PACK_DATE(2024, 3, 5)).colour, PLAIN);
    EXPECT_EQ(TrayFieldColour(0x123456), 0xEDCBA9u);
}

TEST_F(TrayLookTest, TheTipHasTheDateTheLunarDateAndTheHolidaysButNoStemsAndBranches)
{
    EXPECT_STREQ(LookOf(PACK_DATE(2024, 2, 10)).tip, "公元2024年2月10日 星期六 \n农历 正月初一\n节日：春节 \n放假：春节 ");
    EXPECT_STREQ(LookOf(PACK_DATE(2024, 2, 18)).tip, "公元2024年2月18日 星期日 \n农历 正月初九\n调休上班：春节 ");
    EXPECT_STREQ(LookOf(PACK_DATE(2022, 1, 4)).tip, "公元2022年1月4日 星期二 \n农历 腊月初二");
    EXPECT_STREQ(LookOf(PACK_DATE(2024, 3, 5)).tip, "公元2024年3月5日 星期二 \n农历 正月廿五\n节气：惊蛰 ");
    Settings.flags = 0;
    EXPECT_STREQ(LookOf(PACK_DATE(2024, 3, 5)).tip, "公元2024年3月5日 星期二 \n农历 正月廿五");
}

TEST_F(TrayLookTest, ALongTipIsCutAtSixtyThreeBytesOnAWholeCharacter)
{
    // 2022-01-04 has no holiday: its text is 38 bytes, the label "\n节日：" makes 45
    ASSERT_EQ(strlen(DayText(PACK_DATE(2022, 1, 4), DAYTEXT_SOLAR | DAYTEXT_LUNAR)), 38u);
    const struct {
        const char *name;
        size_t tipLength;
    } cases[] = {
        {"阳光灿烂的日子", 60},        // fits whole: 45 + 14 + the space
        {"阳光灿烂的日子里啊", 63},    // byte 63 ends a character
        {"x阳光灿烂的日子里啊", 62},   // byte 63 would be half of 啊
        {"xy阳光灿烂的日子里啊啊啊啊", 63},
    };
    for (const auto &c : cases) {
        ListFreeAll(&HolidayList);
        AddHoliday(SolarHolidayCode(1, 4), c.name);
        const std::string full =
            DayText(PACK_DATE(2022, 1, 4), DAYTEXT_SOLAR | DAYTEXT_LUNAR | DAYTEXT_HOLIDAYS);
        TrayLook look = LookOf(PACK_DATE(2022, 1, 4));
        EXPECT_EQ(strlen(look.tip), c.tipLength) << c.name;
        EXPECT_EQ(full.compare(0, strlen(look.tip), look.tip), 0) << c.name;
        EXPECT_EQ(GbkCutLength(look.tip, 63), strlen(look.tip)) << "half a character at the end";
    }

    char tip[TRAY_TIP_SIZE];
    CutTrayTip(tip, nullptr);
    EXPECT_STREQ(tip, "");
}

}   // namespace
