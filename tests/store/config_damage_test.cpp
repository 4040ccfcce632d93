// "dlm.ini" lines the loader leaves unread: the file counts as damaged, what
// is loaded stays what it always was, and the program keeps the file as
// "dlm.ini.damaged" before it replaces it, so nothing typed by hand is lost.
#include "store_testutil.h"
#include <algorithm>
#include <vector>
#include "calendar/today.h"
#include "store/config.h"
#include "app/programfiles.h"
#include "records/records.h"
#include "records/settings.h"

namespace {

class ConfigDamageTest : public StoreDirTest {
  protected:
    void SetUp() override
    {
        StoreDirTest::SetUp();
        Reset();
        TodayDate.date = PACK_DATE(2024, 6, 15);
        ConfigPurgeDate = &TodayDate.date;
    }
    void TearDown() override
    {
        Reset();
        StoreDirTest::TearDown();
    }
    void Reset()
    {
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
        AddChimeEntry();
        memset(&Settings, 0, sizeof Settings);
    }
};

std::vector<std::string> Names()
{
    std::vector<std::string> names;
    for (ListNode *n = HolidayList; n; n = n->next)
        names.push_back(((HolidayEntry *)n->record)->name);
    return names;
}

const char kControl[] = "[CONTROL]\nMonthPos=250,0,600,250,1\nControl=97\n";   // lines 1 to 3

struct Damage {
    const char *what;
    std::string text;
    std::vector<std::string> loaded;   // the holidays the loader has always taken from it
    int firstLine;                     // the first line named
};

TEST_F(ConfigDamageTest, DamagedFilesLoadAsBeforeAndAreKeptBeforeTheyAreReplaced)
{
    const std::string c = kControl;
    const Damage cases[] = {
        {"gap", c + "[HOLIDAY]\n0=1,a\n1=2,b\n3=4,d\n", {"a", "b"}, 7},
        {"duplicate", c + "[HOLIDAY]\n0=1,a\n0=2,x\n1=3,b\n", {"a", "b"}, 6},
        {"out of order", c + "[HOLIDAY]\n1=2,b\n0=1,a\n", {"a"}, 5},
        {"second section", c + "[HOLIDAY]\n0=1,a\n[HOLIDAY]\n1=2,b\n", {"a"}, 6},
        {"blank before =", c + "[HOLIDAY]\n0=1,a\n1 =2,b\n", {"a"}, 6},
        {"lower case", c + "[holiday]\n0=1,a\n", {}, 4},
        {"indented", c + " [HOLIDAY]\n0=1,a\n", {}, 4},
        {"NUL", c + "[HOLIDAY]\n0=1,a" + std::string(1, '\0') + "b\n", {"a"}, 5},
        {"comment", c + "[HOLIDAY]\n; my list\n0=1,a\n", {"a"}, 5},
        // read, but not whole: saving would keep the cut value
        {"name cut", c + "[HOLIDAY]\n0=1," + std::string(992, 'n') + "\n", {std::string(991, 'n')}, 5},
        {"memo text cut", c + "[REMIND]\n0=7e80101,ffffffff," + std::string(1200, 'm') + "\n", {}, 5},
        {"date beyond 32 bits", c + "[REMIND]\n0=7ee01030000,ffffffff,x\n", {}, 5},
        {"code beyond 32 bits", c + "[HOLIDAY]\n0=4294967297,a\n", {"a"}, 5},
        {"position beyond 32 bits", "[CONTROL]\nMonthPos=250,0,600,250,99999999999\nControl=97\n", {}, 2},
    };
    for (const Damage &d : cases) {
        SCOPED_TRACE(d.what);
        Reset();
        std::filesystem::remove("dlm.ini.damaged");
        WriteWholeFile("dlm.ini", d.text);
        EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_DAMAGED);
        std::vector<std::string> names = Names();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, d.loaded);
        ASSERT_GT(ConfigProblemCount, 0);
        EXPECT_EQ(ConfigProblems[0].line, d.firstLine) << ConfigProblems[0].why;
        EXPECT_EQ(Settings.flags, 0x97u);

        ASSERT_EQ(WriteConfigFile("dlm.ini"), SAVE_OK);
        EXPECT_EQ(ReadWholeFile("dlm.ini.damaged"), d.text);
        // what is written now reads whole, and is no reason for a second copy
        Reset();
        EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
        ASSERT_EQ(WriteConfigFile("dlm.ini"), SAVE_OK);
        EXPECT_FALSE(FileExists("dlm.ini.damaged2"));
    }
}

// The largest values the program itself writes are read whole.
TEST_F(ConfigDamageTest, ValuesAtTheirLimitsAreSound)
{
    const std::string text = std::string(kControl) + "Color=ffffffff,0,0,0,0\n[HOLIDAY]\n0=-2147483648," +
                             std::string(991, 'n') + "\n1=2147483647,b\n[REMIND]\n0=ffffffff,ffffffff," +
                             std::string(983, 'm') + "\n";
    WriteWholeFile("dlm.ini", text);
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ) << ConfigProblems[0].why;
}

TEST_F(ConfigDamageTest, ALineTypedInAfterLoadingIsKeptToo)
{
    WriteWholeFile("dlm.ini", std::string(kControl) + "[HOLIDAY]\n0=1,a\n");
    ASSERT_EQ(ReadConfigFile("dlm.ini"), CONFIG_READ);
    const std::string edited = std::string(kControl) + "[HOLIDAY]\n0=1,a\n2=2,typed by hand\n";
    WriteWholeFile("dlm.ini", edited);
    ASSERT_EQ(WriteConfigFile("dlm.ini"), SAVE_OK);
    EXPECT_EQ(ReadWholeFile("dlm.ini.damaged"), edited);
}

TEST_F(ConfigDamageTest, CheckingChangesNothingInTheProgram)
{
    WriteWholeFile("dlm.ini", std::string(kControl) + "[HOLIDAY]\n0=1,a\n2=3,c\n");
    AddHoliday(9, "mine");
    EXPECT_EQ(CheckConfigFile("dlm.ini"), CONFIG_DAMAGED);
    EXPECT_EQ(ConfigProblemCount, 1);
    EXPECT_EQ(ConfigProblems[0].line, 6);
    EXPECT_EQ(Names(), (std::vector<std::string>{"mine"}));
    EXPECT_EQ(Settings.flags, 0u);
    EXPECT_EQ(CheckConfigFile("missing.ini"), CONFIG_MISSING);
}

TEST_F(ConfigDamageTest, AFileThatCannotBeReadGivesDefaultsAndIsNotReplaced)
{
    std::filesystem::create_directory("dlm.ini");
    EXPECT_EQ(LoadConfigFile("dlm.ini"), CONFIG_UNREADABLE);
    EXPECT_STRNE(ConfigReadError, "");
    EXPECT_EQ(Settings.flags, 0x97u);
    EXPECT_EQ(Names().size(), 30u);
    EXPECT_EQ(WriteConfigFile("dlm.ini"), SAVE_UNREADABLE);
    EXPECT_TRUE(std::filesystem::is_directory("dlm.ini"));
}

TEST_F(ConfigDamageTest, ManyUnreadLinesAreCountedAndTheFirstOnesKept)
{
    std::string text = std::string(kControl) + "[HOLIDAY]\n0=1,a\n";
    for (int i = 0; i < 1000; i++)
        text += std::to_string(i + 2) + "=1,x\n";   // all after the gap at 1
    WriteWholeFile("dlm.ini", text);
    EXPECT_EQ(ReadConfigFile("dlm.ini"), CONFIG_DAMAGED);
    EXPECT_EQ(ConfigProblemCount, 1000);
    EXPECT_EQ(ConfigProblems[CONFIG_PROBLEMS_KEPT - 1].line, 5 + CONFIG_PROBLEMS_KEPT);
}

}   // namespace
