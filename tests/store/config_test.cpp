// "dlm.ini": reading, writing, the defaults and the corrections to the
// original format handling (whole lines, skipped damage, line breaks, the
// replace-on-save).
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
#include "calendar/memo.h"
#include "calendar/today.h"
#include "store/config.h"
#include "app/programfiles.h"
#include "store/fileio.h"
#include "app/progdir.h"
#include "records/records.h"
#include "store/recordstore.h"
#include "records/settings.h"
#include "tests/testdir.h"

namespace {

std::string Slurp(const char *name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const char *name, const std::string &bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

// The file as the program writes it: text mode ends lines in CR LF on Windows.
std::string AsWritten(const std::string &text)
{
#ifdef _WIN32
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
#else
    return text;
#endif
}

std::vector<std::string> HolidayNames()
{
    std::vector<std::string> names;
    for (ListNode *n = HolidayList; n; n = n->next)
        names.push_back(((HolidayEntry *)n->record)->name);
    return names;
}

std::vector<std::string> MemoTexts()
{
    std::vector<std::string> texts;
    for (ListNode *n = FirstMemo(); n; n = n->next)
        texts.push_back(((ReminderEntry *)n->record)->text);
    return texts;
}

const HolidayEntry *HolidayAt(int index)
{
    ListNode *n = HolidayList;
    while (n && index-- > 0)
        n = n->next;
    return n ? (const HolidayEntry *)n->record : nullptr;
}

const ReminderEntry *MemoAt(int index)
{
    ListNode *n = FirstMemo();
    while (n && index-- > 0)
        n = n->next;
    return n ? (const ReminderEntry *)n->record : nullptr;
}

void ResetProgramState()
{
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    AddChimeEntry();
    memset(&Settings, 0, sizeof Settings);
    ConfigChanged = 0;
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    TodayDate.weekday = 6;
}

class ConfigFileTest : public ::testing::Test {
  protected:
    std::unique_ptr<TempWorkDir> work;
    void SetUp() override
    {
        FileFaultReset(-1);
        work.reset(new TempWorkDir("loomcfg_"));
        ResetProgramState();
    }
    void TearDown() override
    {
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
        work.reset();
    }
};

const char kHeader[] = "[CONTROL]\nMonthPos=1,2,3,4,5\n[HOLIDAY]\n";

TEST_F(ConfigFileTest, NoFileGivesDefaultsAndBuiltInHolidays)
{
    EXPECT_EQ(LoadConfigFile("dlm.ini"), CONFIG_MISSING);
    EXPECT_EQ(Settings.flags, 0x97u);
    EXPECT_EQ(Settings.MonthPos.left, 250);
    EXPECT_EQ(Settings.MonthPos.right, 600);
    EXPECT_EQ(Settings.MonthPos.bottom, 250);
    EXPECT_EQ(Settings.MonthPos.dockState, 1);
    EXPECT_EQ(Settings.NotePos.right, 0);
    const std::vector<std::string> names = HolidayNames();
    ASSERT_EQ(names.size(), 30u);
    EXPECT_EQ(names[0], "元旦");
    EXPECT_EQ(names[1], "美国感恩节");
    EXPECT_EQ(names[29], "情人节");
    EXPECT_EQ(MemoTexts().size(), 0u);

    ConfigChanged = 1;
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    const std::string file = Slurp("dlm.ini");
    EXPECT_EQ(file.substr(0, file.find("[HOLIDAY]")),
              AsWritten("[CONTROL]\nMonthPos=250,0,600,250,1\nNotePos=0,0,0,0,0\n"
                        "Color=ff8080,ffffff,ffff,ff,ff00\nControl=97\n"));
    EXPECT_NE(file.find(AsWritten("[HOLIDAY]\n0=8449,元旦\n1=19316,美国感恩节\n")), std::string::npos);
    // a new file gets 植树节 on 12 March and 父亲节 on the third Sunday of June
    EXPECT_NE(file.find(AsWritten("=8972,植树节\n")), std::string::npos);
    EXPECT_NE(file.find(AsWritten("=17968,父亲节\n")), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - AsWritten("29=8718,情人节\n[REMIND]\n").size()),
              AsWritten("29=8718,情人节\n[REMIND]\n"));
}

TEST_F(ConfigFileTest, WholeFileFormat)
{
    Settings.MonthPos = {-5, 10, 360, 260, 0x10001};
    Settings.NotePos = {1, 2, 3, 4, 2};
    Settings.colorBackground = 0xFF8080;
    Settings.colorDefault = 1;
    Settings.colorHoliday = 2;
    Settings.colorWeekend = 3;
    Settings.colorMark = 0xABCDEF;
    Settings.flags = 0x1DF;   // all but the purge of old memos, and the formula's terms
    AddHoliday(0x2101, "元旦");
    AddHoliday(0x4B74, "感恩节");
    AddReminder(PACK_DATE(2004, 1, 1), REMIND_NO_TIME, "新年");
    AddReminder(REMIND_WEEKLY | 3, PACK_TIME(8, 30, 0), "例会");
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    EXPECT_EQ(Slurp("dlm.ini"), AsWritten("[CONTROL]\n"
                                          "MonthPos=-5,10,360,260,65537\n"
                                          "NotePos=1,2,3,4,2\n"
                                          "Color=ff8080,1,2,3,abcdef\n"
                                          "Control=1df\n"
                                          "[HOLIDAY]\n"
                                          "0=8449,元旦\n"
                                          "1=19316,感恩节\n"
                                          "[REMIND]\n"
                                          "0=10000003,81e00,例会\n"
                                          "1=7d40101,ffffffff,新年\n"));
    EXPECT_FALSE(FileExists("dlm.ini.new"));

    ResetProgramState();
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(Settings.MonthPos.left, -5);
    EXPECT_EQ(Settings.MonthPos.dockState, 0x10001);
    EXPECT_EQ(Settings.NotePos.bottom, 4);
    EXPECT_EQ(Settings.colorMark, 0xABCDEFu);
    EXPECT_EQ(Settings.colorDefault, 1u);
    EXPECT_EQ(Settings.colorWeekend, 3u);
    EXPECT_EQ(Settings.flags, 0x1DFu);   // bits 0x08 and 0x100 included
    ASSERT_NE(HolidayAt(1), nullptr);
    ASSERT_NE(MemoAt(1), nullptr);
    EXPECT_EQ(HolidayAt(1)->code, 0x4B74);
    EXPECT_EQ(MemoAt(1)->when, REMIND_WEEKLY | 3);
    EXPECT_EQ(MemoAt(1)->time, (uint32_t)PACK_TIME(8, 30, 0));
    EXPECT_EQ(MemoAt(0)->time, REMIND_NO_TIME);
}

TEST_F(ConfigFileTest, EntriesParse)
{
    Put("dlm.ini",
        std::string(kHeader) + "0=1,a\n1=2,b\n2=3,c\n3=8449,元旦\n[REMIND]\n0=7d40101,ffffffff,新年快乐\n");
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    // Loading 0, 1, 2, 3 gives the list order 0, 3, 2, 1.
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"a", "元旦", "c", "b"}));
    ASSERT_NE(HolidayAt(1), nullptr);
    EXPECT_EQ(HolidayAt(1)->code, 0x2101);
    EXPECT_EQ(HolidayAt(1)->nextMatch, nullptr);
    const ReminderEntry *m = MemoAt(0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->when, (uint32_t)PACK_DATE(2004, 1, 1));
    EXPECT_EQ(m->time, REMIND_NO_TIME);
    EXPECT_STREQ(m->text, "新年快乐");
    EXPECT_EQ(m->queueNext, nullptr);
}

TEST_F(ConfigFileTest, ListOrderIsRestoredBySaving)
{
    Put("dlm.ini", std::string(kHeader) +
                       "0=1,h0\n1=2,h1\n2=3,h2\n3=4,h3\n[REMIND]\n0=1,2,m0\n1=1,2,m1\n2=1,2,m2\n3=1,2,m3\n");
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"h0", "h3", "h2", "h1"}));
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"m3", "m2", "m1", "m0"}));
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    ResetProgramState();
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"h0", "h1", "h2", "h3"}));
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"m0", "m1", "m2", "m3"}));
}

TEST_F(ConfigFileTest, KeysEndAtAGapOrOutOfOrder)
{
    Put("dlm.ini", std::string(kHeader) + "0=1,a\n1=2,b\n3=4,d\n");
    ReadConfigFile("dlm.ini");
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"a", "b"}));
    ResetProgramState();
    Put("dlm.ini", std::string(kHeader) + "1=2,b\n0=1,a\n");
    ReadConfigFile("dlm.ini");
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"a"}));
    // Other lines in a section are passed over; a key "1" does not match "10=".
    ResetProgramState();
    Put("dlm.ini", std::string(kHeader) + "; note\n0=1,a\n10=2,ten\n1=3,b\n");
    ReadConfigFile("dlm.ini");
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ConfigFileTest, SectionsAndKeysAreOptional)
{
    Settings.colorMark = 7;
    Settings.NotePos.left = 9;
    Put("dlm.ini", "[REMIND]\n0=ffffffff,ffffffff,only\n[CONTROL]\nControl=20\n");
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(Settings.flags, 0x20u);
    EXPECT_EQ(Settings.colorMark, 7u);   // no Color line: left as it was
    EXPECT_EQ(Settings.NotePos.left, 9);
    EXPECT_EQ(Settings.MonthPos.right, 0);
    EXPECT_EQ(HolidayList, nullptr);   // no section: no built-in holidays either
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"only"}));
}

TEST_F(ConfigFileTest, FindSectionAndFindKey)
{
    Put("dlm.ini", "[control]\nA=0\n[CONTROL]extra\nMonthPos=x\nMonth=1\nMonthPos=2\n[NEXT]\nLater=3\n");
    FILE *f = fopen("dlm.ini", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FindSection(f, "CONTRO"), -1);
    EXPECT_EQ(FindSection(f, "MISSING"), -1);
    const long control = FindSection(f, "CONTROL");
    EXPECT_EQ(control, (long)strlen("[control]\nA=0\n[CONTROL]extra\n"));
    char *value = FindKey(f, control, "MonthPos");
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "x");
    value = FindKey(f, -1, "MonthPos");   // continues after the first one
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "2");
    EXPECT_EQ(FindKey(f, control, "Later"), nullptr);   // stops at the next section
    EXPECT_EQ(FindKey(f, control, "A"), nullptr);
    fclose(f);
}

TEST_F(ConfigFileTest, PartlyParsedControlValuesKeepTheRest)
{
    Settings.NotePos = {11, 12, 13, 14, 15};
    Settings.colorWeekend = 0x55;
    Put("dlm.ini", "[CONTROL]\nNotePos=1, 2,x,4,5\nColor=a,b,c\nMonthPos=1,2,3,4,5\r\n");
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_DAMAGED);
    EXPECT_EQ(Settings.NotePos.left, 1);
    EXPECT_EQ(Settings.NotePos.top, 2);
    EXPECT_EQ(Settings.NotePos.right, 13);
    EXPECT_EQ(Settings.NotePos.dockState, 15);
    EXPECT_EQ(Settings.colorBackground, 0xAu);
    EXPECT_EQ(Settings.colorHoliday, 0xCu);
    EXPECT_EQ(Settings.colorWeekend, 0x55u);
    EXPECT_EQ(Settings.MonthPos.dockState, 5);   // a CR before the line end is no trouble
}

TEST_F(ConfigFileTest, PurgeExpiredMemos)
{
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    const std::string memos = "[REMIND]\n0=7e8060e,ffffffff,yesterday\n1=7e8060f,ffffffff,today\n"
                              "2=ffffffff,ffffffff,every day\n3=10000000,ffffffff,weekly\n";
    Put("dlm.ini", "[CONTROL]\nControl=20\n" + memos);
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"weekly", "every day", "today"}));
    ResetProgramState();
    Put("dlm.ini", "[CONTROL]\nControl=0\n" + memos);
    ReadConfigFile("dlm.ini");
    EXPECT_EQ(MemoTexts().size(), 4u);
}

// A file from before the yearly memos reads as it always did: the same
// memos, applying on the same dates, written back as before (in list order:
// each memo read goes right after the chime entry, so the order turns round).
TEST_F(ConfigFileTest, AnOlderFileLoadsExactlyAsBefore)
{
    const std::string head = "[CONTROL]\nMonthPos=250,0,600,250,1\nNotePos=0,0,0,0,0\n"
                             "Color=ff8080,ffffff,ffff,ff,ff00\nControl=b7\n[HOLIDAY]\n0=8449,元旦\n"
                             // 植树节 on 14 March stays as it is
                             "1=8974,植树节\n";
    Put("dlm.ini", AsWritten(head + "[REMIND]\n0=7e8060f,ffffffff,dated\n1=ffffffff,81e00,every day\n"
                                    "2=2000001f,0,monthly\n3=10000000,ffffffff,weekly\n"));
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    const uint32_t whens[] = {REMIND_WEEKLY | 0, REMIND_MONTHLY | 31, REMIND_EVERY_DAY,
                              (uint32_t)PACK_DATE(2024, 6, 15)};
    const char *applies[] = {"2024-06-16 2024-06-30", "2024-07-31",
                             "2024-06-15 2024-06-16 2024-06-30 2024-07-31", "2024-06-15"};
    const PackedDate dates[] = {PACK_DATE(2024, 6, 15), PACK_DATE(2024, 6, 16), PACK_DATE(2024, 6, 30),
                                PACK_DATE(2024, 7, 31)};
    for (int i = 0; i < 4; i++) {
        ASSERT_NE(MemoAt(i), nullptr);
        EXPECT_EQ(MemoAt(i)->when, whens[i]);
        std::string on;
        for (PackedDate d : dates)
            if (MemoAppliesOn(MemoAt(i)->when, d))
                on += std::string(on.empty() ? "" : " ") + FormatPackedDate(d);
        EXPECT_EQ(on, applies[i]) << MemoAt(i)->text;
    }
    ConfigChanged = 1;
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    EXPECT_EQ(Slurp("dlm.ini"),
              AsWritten(head + "[REMIND]\n0=10000000,ffffffff,weekly\n1=2000001f,0,monthly\n"
                               "2=ffffffff,81e00,every day\n3=7e8060f,ffffffff,dated\n"));
}

// The yearly kinds are kept by the purge of expired memos, and go through
// the file unchanged.
TEST_F(ConfigFileTest, YearlyMemosSurviveThePurgeAndTheFile)
{
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    Put("dlm.ini",
        "[CONTROL]\nControl=20\n[REMIND]\n0=7e8060e,ffffffff,yesterday\n1=3000021d,ffffffff,yearly\n"
        "2=4000048f,a0000,lunar leap\n3=40000c1e,ffffffff,lunar\n");
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"lunar", "lunar leap", "yearly"}));
    EXPECT_EQ(MemoAt(0)->when, LunarYearlyWhen(12, 30, 0));
    EXPECT_EQ(MemoAt(1)->when, LunarYearlyWhen(4, 15, 1));
    EXPECT_EQ(MemoAt(2)->when, YearlyWhen(2, 29));
    ConfigChanged = 1;
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    EXPECT_NE(
        Slurp("dlm.ini").find(AsWritten("[REMIND]\n0=40000c1e,ffffffff,lunar\n1=4000048f,a0000,lunar leap\n"
                                        "2=3000021d,ffffffff,yearly\n")),
        std::string::npos);
}

// ---- the corrections ----

TEST_F(ConfigFileTest, TextsRunToTheEndOfTheLine)
{
    const std::string longText(600, 't');
    Put("dlm.ini", std::string(kHeader) +
                       "0=8449, 新年 快乐 \r\n[REMIND]\n0=ffffffff,ffffffff,开会 at 9\n1=1,2," + longText +
                       "\n");
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{" 新年 快乐 "}));
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{longText, "开会 at 9"}));
    // What is read is written back the same.
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    EXPECT_NE(Slurp("dlm.ini").find(AsWritten("0=8449, 新年 快乐 \n")), std::string::npos);
}

TEST_F(ConfigFileTest, LongLinesAreNeverSplit)
{
    // Pieces of 999 bytes would make "1=8450,fake" a line of its own and
    // "[REMIND]" a section header.
    const std::string first = "0=8449," + std::string(992, 'x') + "1=8450,fake";
    const std::string second = "1=8451," + std::string(992, 'y') + "[REMIND]";
    Put("dlm.ini", std::string(kHeader) + first + "\n" + second + "\n2=8452,real\n");
    // loaded as ever, but the two names are cut: that is damage
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_DAMAGED);
    ASSERT_EQ(HolidayNames().size(), 3u);
    ASSERT_NE(HolidayAt(2), nullptr);
    EXPECT_EQ(HolidayAt(0)->code, 8449);
    EXPECT_EQ(strlen(HolidayAt(0)->name), (size_t)HOLIDAY_NAME_MAX);   // cut when added
    EXPECT_EQ(HolidayAt(1)->code, 8452);
    EXPECT_EQ(HolidayAt(2)->code, 8451);
    EXPECT_EQ(MemoTexts().size(), 0u);
    // A header after a very long line is still found.
    ResetProgramState();
    Put("dlm.ini", "; " + std::string(100000, 'z') + "\n[REMIND]\n0=1,2,found\n");
    ReadConfigFile("dlm.ini");
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"found"}));
}

TEST_F(ConfigFileTest, UnparsableEntriesAreSkipped)
{
    Put("dlm.ini", std::string(kHeader) +
                       "0=8449,good\n1=oops\n2=8450\n3=8451,fine\n[REMIND]\n0=zz,1,bad\n1=1,2,ok\n2=5\n");
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_DAMAGED);
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"good", "fine"}));
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{"ok"}));
}

TEST_F(ConfigFileTest, LineBreaksSurviveSaveAndLoad)
{
    // "\xB1\x5C" is a character whose trail byte is a backslash; followed by
    // 'n' it must not turn into a line feed.
    const std::string text = "第一行\r\n第二行 C:\\temp\\new\n\xB1\x5Cn end\\";
    const std::string name = "节日\r\n\xB1\x5C\\r";
    AddHoliday(0x2101, name.c_str());
    AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, text.c_str());
    ASSERT_EQ(WriteConfigFile("dlm.ini"), 0);
    const std::string file = Slurp("dlm.ini");
    EXPECT_NE(file.find(AsWritten(
                  "0=ffffffff,ffffffff,第一行\\r\\n第二行 C:\\\\temp\\\\new\\n\xB1\x5Cn end\\\\\n")),
              std::string::npos);
    EXPECT_NE(file.find(AsWritten("0=8449,节日\\r\\n\xB1\x5C\\\\r\n")), std::string::npos);
    ResetProgramState();
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    EXPECT_EQ(MemoTexts(), (std::vector<std::string>{text}));
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{name}));
}

TEST(LineBreakCodingTest, EncodeAndDecode)
{
    char out[64];
    EncodeLineBreaks("a\r\nb\\c", out, sizeof out);
    EXPECT_STREQ(out, "a\\r\\nb\\\\c");
    // Never cut inside an escape or a character.
    EncodeLineBreaks("ab\n", out, 4);
    EXPECT_STREQ(out, "ab");
    EncodeLineBreaks("a元", out, 3);
    EXPECT_STREQ(out, "a");
    // A lone lead byte right before a line break would pair with the escape.
    EncodeLineBreaks("x\x81\n", out, sizeof out);
    EXPECT_STREQ(out, "x?\\n");

    char text[64];
    strcpy(text, "C:\\temp\\x \\q \\");   // a text from before the escapes stays as it was
    DecodeLineBreaks(text);
    EXPECT_STREQ(text, "C:\\temp\\x \\q \\");
    strcpy(text, "\\\\n\\r\\n\xB1\x5Cn");
    DecodeLineBreaks(text);
    EXPECT_STREQ(text, "\\n\r\n\xB1\x5Cn");
}

TEST_F(ConfigFileTest, FailedSaveLeavesTheOldFile)
{
    const std::string old = std::string(kHeader) + "0=8449,old\n";
    Put("dlm.ini", old);
    AddHoliday(0x2101, "元旦");
    // A read-only file is not replaced.
    std::filesystem::permissions("dlm.ini", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(WriteConfigFile("dlm.ini"), SAVE_READ_ONLY);
    EXPECT_EQ(Slurp("dlm.ini"), old);
    std::filesystem::permissions("dlm.ini", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    // A failure after the temporary file was made removes it.
    FileFaultFailOne(3);
    EXPECT_EQ(WriteConfigFile("dlm.ini"), SAVE_WRITE_FAILED);
    FileFaultReset(-1);
    EXPECT_EQ(Slurp("dlm.ini"), old);
    EXPECT_EQ(ConfigChanged, 0);
    // SaveConfig says so too, and the change stays marked for a later save.
    ConfigChanged = 1;
    std::filesystem::permissions("dlm.ini", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(SaveConfig(), SAVE_READ_ONLY);
    EXPECT_EQ(ConfigChanged, 1);
    std::filesystem::permissions("dlm.ini", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(SaveConfig(), SAVE_OK);
    EXPECT_NE(Slurp("dlm.ini").find("元旦"), std::string::npos);

    // A store that could not be saved stays open for another try.
    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    StoreSetData(StoreAddItem(&DayNoteStore->root, PACK_DATE(2004, 1, 1)), "abc", 4);
    Put("dlm.db", "");
    std::filesystem::permissions("dlm.db", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(SaveConfig(), SAVE_READ_ONLY);
    ASSERT_NE(DayNoteStore, nullptr);
    std::filesystem::permissions("dlm.db", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(SaveConfig(), SAVE_OK);
    EXPECT_EQ(DayNoteStore, nullptr);
    EXPECT_NE(Slurp("dlm.db").find("abc"), std::string::npos);
    for (const auto &entry : std::filesystem::directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".tmp");
}

std::string fakeCommandLine;
const char *FakeCommandLine() { return fakeCommandLine.c_str(); }

TEST_F(ConfigFileTest, LoadAndSaveTheProgramFiles)
{
    Put("dlm.ini", std::string(kHeader) + "0=8449,元旦\n");
    // The program's files lie beside the executable, wherever the process starts.
    fakeCommandLine = "\"" + (work->dir / "Loomhouse.exe").string() + "\" ";
    const char *(*systemCommandLine)() = ReadCommandLine;
    ReadCommandLine = FakeCommandLine;
#ifdef _WIN32
    std::filesystem::current_path(work->previous);
#endif
    EXPECT_EQ(LoadConfig(), 0);
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), work->dir));
    EXPECT_NE(DayNoteStore, nullptr);
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"元旦"}));
    // Moving windows alone does not write the file.
    Settings.MonthPos.left = 77;
    EXPECT_EQ(SaveConfig(), 0);
    EXPECT_EQ(DayNoteStore, nullptr);
    EXPECT_EQ(Slurp("dlm.ini"), std::string(kHeader) + "0=8449,元旦\n");

    ResetProgramState();
    EXPECT_EQ(LoadConfig(), 0);
    Settings.MonthPos.left = 77;
    ConfigChanged = 1;
    EXPECT_EQ(SaveConfig(), 0);
    EXPECT_NE(Slurp("dlm.ini").find("MonthPos=77,"), std::string::npos);
    ReadCommandLine = systemCommandLine;
}

}   // namespace
