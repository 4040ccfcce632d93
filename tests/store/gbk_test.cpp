// GBK-safe cutting and scanning, and the program directory taken from the command line.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "records/gbk.h"
#include "app/progdir.h"
#include "records/records.h"

namespace {

// 0xB1 0x5C is one double-byte character whose second byte is a backslash.
const char kBackslashTrail[] = "\xB1\x5C";

TEST(GbkTextTest, CutNeverSplitsACharacter)
{
    EXPECT_EQ(GbkCutLength("abc", 2), 2u);
    EXPECT_EQ(GbkCutLength("abc", 10), 3u);
    EXPECT_EQ(GbkCutLength("a元旦", 2), 1u);   // 元 would be split
    EXPECT_EQ(GbkCutLength("a元旦", 3), 3u);
    EXPECT_EQ(GbkCutLength("a元旦", 4), 3u);
    EXPECT_EQ(GbkCutLength("元旦", 0), 0u);
    // A lead byte without a trail byte after it is a character of its own.
    EXPECT_EQ(GbkCutLength("\x81"
                           "1",
                           1),
              1u);
    EXPECT_EQ(GbkCutLength("\x81"
                           "a",
                           1),
              0u);   // 'a' is a trail byte here
    EXPECT_EQ(GbkCutLength(nullptr, 5), 0u);

    char out[8];
    GbkCopyCut(out, "元旦快乐", 5);
    EXPECT_STREQ(out, "元旦");
    GbkCopyCut(out, "ab", 7);
    EXPECT_STREQ(out, "ab");
}

TEST(GbkTextTest, FindLastSkipsTrailBytes)
{
    const std::string path = std::string("C:\\dir\\a") + kBackslashTrail + "b.exe";
    const char *slash = GbkFindLast(path.c_str(), '\\');
    ASSERT_NE(slash, nullptr);
    EXPECT_EQ(slash - path.c_str(), 6);
    EXPECT_EQ(GbkFindLast(kBackslashTrail, '\\'), nullptr);
    EXPECT_EQ(GbkFindLast("plain", '\\'), nullptr);
}

TEST(ProgramDirectoryTest, QuotedAndPlainCommandLines)
{
    char dir[260];
    ASSERT_EQ(ProgramDirectoryOf("\"C:\\Program Files\\Loom\\Loomhouse.exe\" ", dir, sizeof dir), 1);
    EXPECT_STREQ(dir, "C:\\Program Files\\Loom");
    ASSERT_EQ(ProgramDirectoryOf("C:\\Loom\\Loomhouse.exe", dir, sizeof dir), 1);
    EXPECT_STREQ(dir, "C:\\Loom");
    EXPECT_EQ(ProgramDirectoryOf("Loomhouse.exe", dir, sizeof dir), 0);
    // The directory name ends in a character whose trail byte is 0x5C.
    const std::string gbk = std::string("D:\\日历") + kBackslashTrail + "\\Loomhouse.exe";
    ASSERT_EQ(ProgramDirectoryOf(gbk.c_str(), dir, sizeof dir), 1);
    EXPECT_EQ(std::string(dir), std::string("D:\\日历") + kBackslashTrail);
    const std::string file = std::string("D:\\cal\\") + kBackslashTrail + ".exe";
    ASSERT_EQ(ProgramDirectoryOf(file.c_str(), dir, sizeof dir), 1);
    EXPECT_STREQ(dir, "D:\\cal");
    // Too small a buffer gives no directory rather than a cut one.
    EXPECT_EQ(ProgramDirectoryOf("C:\\Loom\\x.exe", dir, 4), 0);
}

TEST(RecordTextLimitTest, AddCutsAtCharacterBoundaries)
{
    ListFreeAll(&HolidayList);
    const std::string name = std::string(HOLIDAY_NAME_MAX - 1, 'h') + "元旦";
    ASSERT_EQ(AddHoliday(0x2101, name.c_str()), 0);
    const HolidayEntry *h = (const HolidayEntry *)HolidayList->record;
    EXPECT_EQ(strlen(h->name), (size_t)HOLIDAY_NAME_MAX - 1);
    EXPECT_EQ(HolidayList->size, HOLIDAY_FIXED_SIZE + HOLIDAY_NAME_MAX);
    EXPECT_EQ(h->nextMatch, nullptr);
    ListFreeAll(&HolidayList);

    ListFreeAll(&ReminderList);
    ASSERT_EQ(AddChimeEntry(), 0);
    EXPECT_EQ(ReminderList->size, REMINDER_FIXED_SIZE);
    EXPECT_EQ(AddChimeEntry(), 3);   // only ever the head of an empty list
    const std::string text = std::string(MEMO_TEXT_MAX - 3, 'm') + "备忘";
    ASSERT_EQ(AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, text.c_str()), 0);
    const ReminderEntry *r = (const ReminderEntry *)FirstMemo()->record;
    EXPECT_EQ(std::string(r->text), std::string(MEMO_TEXT_MAX - 3, 'm') + "\xB1\xB8");
    EXPECT_EQ(r->queueNext, nullptr);
    ASSERT_EQ(AddReminder(1, 2, std::string(MEMO_TEXT_MAX + 50, 'z').c_str()), 0);
    EXPECT_EQ(strlen(((const ReminderEntry *)FirstMemo()->record)->text), (size_t)MEMO_TEXT_MAX);
    ListFreeAll(&ReminderList);
}

}   // namespace
