// loomcal against files it must not trust or cannot write: damaged and
// unreadable files are named by 'check' and never crash a command, a failed
// save is reported with status 1, writers take turns through the data lock,
// and the small surprises of notes, memos and lunar dates.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <set>
#include <string>
#include <vector>
#include "store/datalock.h"
#include "tool_harness.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

class FileSafety : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        ASSERT_FALSE(dir.path.empty());
    }
    void TearDown() override
    {
        DataLockUnmarkProgram();
        while (DataLockHeld(dir.path.c_str()))
            DataLockRelease(dir.path.c_str());
        SetReadOnly(PathIn(dir, "dlm.db"), false);
        SetReadOnly(PathIn(dir, "dlm.ini"), false);
        RemoveScratchDir(dir);
    }
    ToolRun Run(const std::vector<std::string> &args) { return RunTool(dir, args); }
    std::string File(const char *name) { return ReadWholeFile(PathIn(dir, name)); }
    void Put(const char *name, const std::string &bytes) { WriteWholeFile(PathIn(dir, name), bytes); }
    // A folder, or natively also a FIFO, where a data file should be.
    void MakeFolder(const char *name)
    {
#ifdef _WIN32
        CreateDirectoryA(PathIn(dir, name).c_str(), 0);
#else
        mkdir(PathIn(dir, name).c_str(), 0755);
#endif
    }
    void RemoveFolder(const char *name)
    {
#ifdef _WIN32
        RemoveDirectoryA(PathIn(dir, name).c_str());
#else
        rmdir(PathIn(dir, name).c_str());
#endif
    }
    ScratchDir dir;
};

bool OneLine(const std::string &text) { return !text.empty() && text.find('\n') == text.size() - 1; }

// ---- what check says about each kind of damage ----

const char kControl[] = "[CONTROL]\nMonthPos=250,0,600,250,1\nNotePos=0,0,0,0,0\n"
                        "Color=ff8080,ffffff,ffff,ff,ff00\nControl=97\n";   // lines 1 to 5

struct IniDamage {
    const char *what;
    std::string text;
    std::vector<int> lines;   // the lines check must name
};

TEST_F(FileSafety, CheckNamesEveryUnreadLineOfDlmIni)
{
    const std::string c = kControl;
    std::string cr = c + "[HOLIDAY]\n0=8449,a\n";
    for (char &ch : cr)
        if (ch == '\n')
            ch = '\r';
    const IniDamage cases[] = {
        {"numbering gap", c + "[HOLIDAY]\n0=8449,a\n1=8450,b\n3=8451,d\n", {9}},
        {"duplicate key", c + "[HOLIDAY]\n0=8449,a\n0=8450,dup\n1=8451,b\n", {8}},
        {"second [HOLIDAY]",
         c + "[HOLIDAY]\n0=8449,a\n[REMIND]\n0=ffffffff,ffffffff,m\n[HOLIDAY]\n1=8450,b\n",
         {10, 11}},
        {"second [REMIND]", c + "[REMIND]\n0=ffffffff,ffffffff,m\n[REMIND]\n1=ffffffff,ffffffff,n\n", {8, 9}},
        {"keys out of order", c + "[HOLIDAY]\n1=8450,b\n0=8449,a\n", {7}},
        {"blank before =", c + "[HOLIDAY]\n0=8449,a\n1 =8450,b\n2=8451,c\n", {8, 9}},
        {"lower-case section", c + "[holiday]\n0=8449,a\n", {6, 7}},
        {"indented section", c + "  [HOLIDAY]\n0=8449,a\n", {6, 7}},
        {"CR-only line ends", cr, {1}},
        {"NUL in a name", c + "[HOLIDAY]\n0=8449,元" + std::string(1, '\0') + "旦\n", {7}},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + c + "[HOLIDAY]\n0=8449,a\n", {1, 2, 3, 4, 5}},
        {"unknown key", c + "Colour=1\n", {6}},
        {"value that cannot be read", c + "[HOLIDAY]\n0=not a code\n", {7}},
    };
    for (const IniDamage &k : cases) {
        SCOPED_TRACE(k.what);
        Put("dlm.ini", k.text);
        ToolRun check = Run({"check"});
        EXPECT_EQ(check.status, 1) << check.out;
        EXPECT_NE(check.out.find("dlm.ini: damaged"), std::string::npos) << check.out;
        std::set<int> named;
        for (const std::string &line : SplitLines(check.out)) {
            int n;
            if (sscanf(line.c_str(), "  line %d:", &n) == 1)
                named.insert(n);
        }
        EXPECT_EQ(named, std::set<int>(k.lines.begin(), k.lines.end())) << check.out;
        // an edit would drop those lines: it is refused, the file stays as it was
        ToolRun add = Run({"memos", "add", "daily", "x"});
        EXPECT_EQ(add.status, 1) << add.err;
        EXPECT_TRUE(OneLine(add.err)) << add.err;
        EXPECT_EQ(File("dlm.ini"), k.text);
    }
}

TEST_F(FileSafety, CheckOnDamagedAndUnreadableNoteFiles)
{
    // a note whose slot lost its closing NUL (the 308-byte file, byte 287)
    ASSERT_EQ(Run({"notes", "set", "2004-01-01", "abc"}).status, 0);
    std::string db = File("dlm.db");
    const std::string sound = db;
    ASSERT_EQ(db.size(), 308u);
    db[287] = 'd';
    Put("dlm.db", db);
    ToolRun check = Run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(
        check.out.find("dlm.db: damaged (1 of 1 notes have no end to their text, the first on 2004-01-01)"),
        std::string::npos)
        << check.out;
    // reading it stops at the end of the slot
    ToolRun list = Run({"notes", "list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "2004-01-01\t0\tabcd\n");
    ToolRun day = Run({"day", "2004-01-01"});
    EXPECT_EQ(day.status, 0) << day.err;
    EXPECT_NE(day.out.find("备注\tabcd\n"), std::string::npos) << day.out;
    EXPECT_EQ(File("dlm.db"), db);
    // an edit decides as check does: the file is damaged, so it is not rewritten
    ToolRun set = Run({"notes", "set", "2004-01-02", "xyz"});
    EXPECT_EQ(set.status, 1);
    EXPECT_TRUE(OneLine(set.err)) << set.err;
    EXPECT_EQ(File("dlm.db"), db);

    // a read-only file is read as any other
    Put("dlm.db", sound);
    SetReadOnly(PathIn(dir, "dlm.db"), true);
    EXPECT_EQ(Run({"notes", "list"}).out, "2004-01-01\t0\tabc\n");
    EXPECT_EQ(Run({"check"}).status, 0);
    SetReadOnly(PathIn(dir, "dlm.db"), false);

    // files that cannot be read at all: said so, status 1, no hang
    const char *names[] = {"dlm.db", "dlm.ini"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        std::string kept = File(name);
#ifdef _WIN32
        DeleteFileA(PathIn(dir, name).c_str());
#else
        unlink(PathIn(dir, name).c_str());
#endif
        MakeFolder(name);
        check = Run({"check"});
        EXPECT_EQ(check.status, 1);
        EXPECT_NE(check.out.find(std::string(name) + ": cannot be read: "), std::string::npos) << check.out;
        ToolRun read = Run({strcmp(name, "dlm.db") == 0 ? "notes" : "memos", "list"});
        EXPECT_EQ(read.status, 1);
        EXPECT_NE(read.err.find(std::string(name) + " cannot be read"), std::string::npos) << read.err;
        EXPECT_TRUE(OneLine(read.err)) << read.err;
        EXPECT_EQ(Run({"day", "2004-01-01"}).status, 1);
        RemoveFolder(name);
#ifndef _WIN32
        ASSERT_EQ(mkfifo(PathIn(dir, name).c_str(), 0644), 0);
        check = Run({"check"});
        EXPECT_EQ(check.status, 1) << "a FIFO must not make loomcal wait";
        EXPECT_NE(check.out.find(std::string(name) + ": cannot be read: not a regular file"),
                  std::string::npos)
            << check.out;
        EXPECT_EQ(Run({"month", "2004-01"}).status, 1);
        if (strcmp(name, "dlm.db") == 0)
            EXPECT_EQ(Run({"notes", "set", "2004-01-02", "x"}).status, 1);
        else
            EXPECT_EQ(Run({"memos", "add", "daily", "x"}).status, 1);
        unlink(PathIn(dir, name).c_str());
#endif
        if (!kept.empty())
            Put(name, kept);
    }
}

// ---- failed saves ----

TEST_F(FileSafety, AFailedSaveIsReportedAndChangesNothing)
{
    ASSERT_EQ(Run({"notes", "set", "2004-01-01", "abc", "--mark"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "daily", "old"}).status, 0);
    const std::string db = File("dlm.db"), ini = File("dlm.ini");

    SetReadOnly(PathIn(dir, "dlm.db"), true);
    const std::vector<std::string> noteEdits[] = {{"notes", "set", "2004-01-02", "new"},
                                                  {"notes", "mark", "2004-01-03"},
                                                  {"notes", "unmark", "2004-01-01"},
                                                  {"notes", "delete", "2004-01-01"}};
    for (const std::vector<std::string> &edit : noteEdits) {
        ToolRun run = Run(edit);
        EXPECT_EQ(run.status, 1) << edit[1];
        EXPECT_TRUE(OneLine(run.err)) << run.err;
        EXPECT_NE(run.err.find("dlm.db was not saved: the file is read-only"), std::string::npos) << run.err;
    }
    EXPECT_EQ(File("dlm.db"), db);
    SetReadOnly(PathIn(dir, "dlm.db"), false);

    SetReadOnly(PathIn(dir, "dlm.ini"), true);
    ToolRun run = Run({"memos", "add", "daily", "new"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(OneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find("dlm.ini was not saved"), std::string::npos) << run.err;
    run = Run({"holidays-add", "solar", "01-02", "x"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(File("dlm.ini"), ini);
    SetReadOnly(PathIn(dir, "dlm.ini"), false);
    EXPECT_EQ(Run({"memos", "add", "daily", "new"}).status, 0);
}

TEST_F(FileSafety, WritersWaitForTheDataLockAndGiveUpClearly)
{
    ASSERT_EQ(Run({"notes", "set", "2004-01-01", "abc"}).status, 0);
    const std::string db = File("dlm.db");
    // this test process is "another writer" now
    ASSERT_EQ(DataLockAcquire(dir.path.c_str(), 0), DATALOCK_OK);
    ToolRun run = Run({"--wait", "0", "notes", "set", "2004-01-02", "x"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "loomcal: another loomcal or the program is writing dlm.ini or dlm.db; try again\n");
    run = Run({"--wait=1", "memos", "add", "daily", "x"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(File("dlm.db"), db);
    EXPECT_EQ(File("dlm.ini"), "");
    // reading needs no lock
    EXPECT_EQ(Run({"notes", "list"}).out, "2004-01-01\t0\tabc\n");
    DataLockRelease(dir.path.c_str());
    EXPECT_EQ(Run({"--wait", "0", "notes", "set", "2004-01-02", "x"}).status, 0);
    EXPECT_EQ(Run({"--wait", "x", "notes", "list"}).status, 2);
}

TEST_F(FileSafety, EditsWhileTheProgramRunsAreQuietAndArrive)
{
    ASSERT_EQ(DataLockMarkProgram(dir.path.c_str()), DATALOCK_OK);
    ToolRun run = Run({"memos", "add", "daily", "x"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Run({"notes", "set", "2004-01-01", "abc"}).err, "");
    EXPECT_EQ(Run({"notes", "list"}).out, "2004-01-01\t0\tabc\n");
    DataLockUnmarkProgram();
}

// ---- notes, memos and lunar dates ----

TEST_F(FileSafety, NotesSetKeepsTheMarkUnlessToldOtherwise)
{
    ASSERT_EQ(Run({"notes", "set", "2024-02-10", "one", "--mark"}).status, 0);
    ASSERT_EQ(Run({"notes", "set", "2024-02-10", "two"}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "2024-02-10\t1\ttwo\n");
    ASSERT_EQ(Run({"notes", "set", "2024-02-10", "", "--mark"}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "2024-02-10\t1\t\n") << "the empty text replaces the old one";
    ASSERT_EQ(Run({"notes", "set", "2024-02-10", "three", "--unmark"}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "2024-02-10\t0\tthree\n");
    ASSERT_EQ(Run({"notes", "set", "2024-02-10", ""}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "") << "no text and no mark: the note goes";
    EXPECT_EQ(Run({"notes", "set", "2024-02-10", "x", "--mark", "--unmark"}).status, 2);
    EXPECT_EQ(Run({"notes", "mark", "2024-02-10", "--unmark"}).status, 2);
}

TEST_F(FileSafety, CutTextsAreSaidAndEscapesAreUnambiguous)
{
    ToolRun run = Run({"memos", "add", "daily", std::string(1000, 'm')});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "loomcal: warning: the memo text is longer than 983 bytes; only its first 983 bytes are "
              "kept\n");
    // the cut never splits a double-byte character
    std::string longName = "hh";
    for (int i = 0; i < 496; i++)
        longName += "节";
    run = Run({"holidays-add", "solar", "01-03", longName});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("longer than 991 bytes; only its first 990 bytes are kept"), std::string::npos)
        << run.err;
    EXPECT_EQ(Run({"memos", "add", "daily", "short"}).err, "");

    // a backslash and n typed as such, against a real line break
    ASSERT_EQ(Run({"memos", "add", "weekly:1", "C:\\new"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "weekly:2", "C:\nnew"}).status, 0);
    ASSERT_EQ(Run({"notes", "set", "2024-01-01", "a\\nb\tc\\"}).status, 0);
    std::string memos = Run({"memos", "list"}).out;
    EXPECT_NE(memos.find("每周一\t[无]\tC:\\\\new\n"), std::string::npos) << memos;
    EXPECT_NE(memos.find("每周二\t[无]\tC:\\r\\nnew\n"), std::string::npos) << memos;
    EXPECT_EQ(Run({"notes", "list"}).out, "2024-01-01\t0\ta\\\\nb\\tc\\\\\n");
}

TEST_F(FileSafety, LunarDatesOutsideTheirMonthAndLeapMonths)
{
    struct {
        const char *lunar;
        int status;
        const char *gregorian;
    } cases[] = {
        {"2023-01-30", 2, ""},   // the first month of 2023 has 29 days
        {"2023-01-29", 0, "2023-02-19\n"},
        {"2023-02-30", 0, "2023-03-21\n"},   // the ordinary second month has 30
        {"2023-闰02-15", 0, "2023-04-05\n"},
        {"2023-L02-15", 0, "2023-04-05\n"},
        {"2023-L2-1", 0, "2023-03-22\n"},
        {"2023-闰02-30", 2, ""},   // the leap month has 29
        {"2023-L03-01", 2, ""},    // 2023 has no leap third month
        {"2024-L01-01", 2, ""},    // nor 2024 any leap month
        {"2020-闰04-29", 0, "2020-06-20\n"},
        {"2023-X02-15", 2, ""},
        {"2023-闰-15", 2, ""},
    };
    for (const auto &c : cases) {
        ToolRun run = Run({"lunar", c.lunar});
        EXPECT_EQ(run.status, c.status) << c.lunar << " " << run.out << run.err;
        EXPECT_EQ(run.out, c.gregorian) << c.lunar;
        if (c.status != 0) {
            EXPECT_TRUE(OneLine(run.err)) << c.lunar;
        }
    }
    // a day of a leap month is printed in the form it is entered in
    ToolRun day = Run({"day", "2023-04-05"});
    EXPECT_NE(day.out.find("（2023年闰2月15日，"), std::string::npos) << day.out;
    day = Run({"day", "2023-03-05"});
    EXPECT_NE(day.out.find("（2023年2月14日，"), std::string::npos) << day.out;
}

}   // namespace
