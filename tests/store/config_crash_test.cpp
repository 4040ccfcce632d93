// Saving "dlm.ini" under a process death at every writing step: the file on
// the disk is always exactly the old one or exactly the new one.
#include <gtest/gtest.h>
#include <string.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include "calendar/today.h"
#include "store/config.h"
#include "app/programfiles.h"
#include "store/fileio.h"
#include "records/records.h"
#include "store/recordstore.h"
#include "tests/testdir.h"
#include "records/settings.h"

namespace {

std::string Slurp(const char *name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FreshState()
{
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    AddChimeEntry();
    memset(&Settings, 0, sizeof Settings);
}

TEST(ConfigCrashTest, EveryStepLeavesOldOrNew)
{
    FileFaultReset(-1);
    const TempWorkDir work("loomcfg_");
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;

    // The old file: the defaults and one memo.
    FreshState();
    LoadDefaults();
    AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, "旧的备忘");
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    const std::string oldFile = Slurp("dlm.ini");

    // The new state: other settings, fewer holidays, more memos.
    FreshState();
    LoadDefaults();
    Settings.flags = 0x3F;
    Settings.MonthPos.left = 123;
    ListFreeNode(HolidayList->next);
    for (int i = 0; i < 5; i++)
        AddReminder(PACK_DATE(2024, 7, 1 + i), PACK_TIME(9, i, 0),
                    ("新的备忘\r\n第" + std::to_string(i)).c_str());
    ASSERT_EQ(WriteConfigFile("expected.ini"), 0);
    const std::string newFile = Slurp("expected.ini");
    ASSERT_NE(oldFile, newFile);

    int deaths = 0;
    for (int64_t k = 0;; k++) {
        ASSERT_LT(k, 1000) << "the save never completes";
        DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
        ConfigChanged = 1;
        FileFaultReset(k);
        const int result = SaveConfig();
        const int died = FileFaultTripped();
        FileFaultReset(-1);
        const std::string now = Slurp("dlm.ini");
        if (died) {
            deaths++;
            // Only the folder sync comes after the replace: a death there
            // leaves the new file, and the save still says it failed.
            ASSERT_NE(result, 0) << "death after " << k << " steps";
            ASSERT_TRUE(now == oldFile || now == newFile) << "death after " << k << " steps";
            continue;
        }
        ASSERT_EQ(result, 0);
        ASSERT_EQ(now, newFile) << "completed after " << k << " steps";
        break;
    }
    EXPECT_GT(deaths, 10);

    // And the new file reads back as the new state.
    FreshState();
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(Settings.flags, 0x3Fu);
    EXPECT_EQ(Settings.MonthPos.left, 123);
    int holidays = 0, memos = 0;
    for (ListNode *n = HolidayList; n; n = n->next)
        holidays++;
    for (ListNode *n = FirstMemo(); n; n = n->next)
        memos++;
    EXPECT_EQ(holidays, 29);
    EXPECT_EQ(memos, 5);
    EXPECT_STREQ(((ReminderEntry *)FirstMemo()->record)->text, "新的备忘\r\n第0");

    FreshState();
}

}   // namespace
