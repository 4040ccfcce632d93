// loomcal and files that lost something: every command judges "dlm.db" and
// "dlm.ini" as 'check' does, a damaged file is never rewritten, output that
// cannot be written is a failure, and -o never lands on the data files.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <filesystem>
#include <string>
#include <vector>
#include "store/fileio.h"
#include "store/recordstore.h"
#include "tool_harness.h"
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

int32_t Date(int y, int m, int d) { return y << 16 | m << 8 | d; }

class Damage : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        ASSERT_FALSE(dir.path.empty());
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(PathIn(dir, "data"), ignored);
        RemoveScratchDir(dir);
    }
    ToolRun Run(const std::vector<std::string> &args) { return RunTool(dir, args); }
    std::string File(const char *name) { return ReadWholeFile(PathIn(dir, name)); }
    void Put(const char *name, const std::string &bytes) { WriteWholeFile(PathIn(dir, name), bytes); }
    // "dlm.db" with these notes (text, unmarked), written by the store itself
    void MakeNotes(const std::vector<std::pair<int32_t, std::string>> &notes)
    {
        const std::string name = PathIn(dir, "dlm.db");
        RecordStore *store = StoreOpen(name.c_str(), 0, 0, 0);
        for (const auto &n : notes) {
            StoreItem *item = StoreAddItem(&store->root, n.first);
            StoreSetData(item, n.second.c_str(), (uint32_t)n.second.size() + 1);
        }
        ASSERT_EQ(StoreClose(store, name.c_str()), SAVE_OK);
    }
    ScratchDir dir;
};

bool OneLine(const std::string &text)
{
    return !text.empty() && text.find('\n') == text.size() - 1;
}

void PutWord(std::string &bytes, size_t offset, int32_t v) { memcpy(&bytes[offset], &v, 4); }
int32_t WordAt(const std::string &bytes, size_t offset)
{
    int32_t v;
    memcpy(&v, bytes.data() + offset, 4);
    return v;
}

// The reproducers: a lowered note count once listed fewer notes and let the
// next edit drop the rest; a changed first byte read as an empty store; a
// shortened slot was damage to 'check' but not to the edits.
TEST_F(Damage, EveryCommandJudgesTheNoteFileAsCheckDoes)
{
    MakeNotes({{Date(2024, 1, 1), "one"},
               {Date(2024, 1, 2), "two"},
               {Date(2024, 1, 3), "three"},
               {Date(2024, 1, 4), "four"},
               {Date(2024, 1, 5), "five"}});
    const std::string sound = File("dlm.db");
    const int32_t index = WordAt(sound, 16);
    struct Case {
        const char *what;
        size_t offset;
        int32_t value;
        const char *checkSays;
        bool listable;   // what can be read is listed, with a warning
    } cases[] = {
        {"note count one lower", 24, 4, "dlm.db: damaged (the file goes on after the index", true},
        {"note count zero", 24, 0, "dlm.db: damaged (the file goes on after the index", true},
        {"a slot 3 bytes short", (size_t)index + 20 + 8, 1, "dlm.db: damaged (1 of 5 notes have no end", true},
        {"first byte", 0, 0x100, "dlm.db: not a note file (its header is not a note file's)", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string bad = sound;
        PutWord(bad, c.offset, c.value);
        Put("dlm.db", bad);
        ToolRun check = Run({"check"});
        EXPECT_EQ(check.status, 1);
        EXPECT_NE(check.out.find(c.checkSays), std::string::npos) << check.out;

        ToolRun list = Run({"notes", "list"});
        if (c.listable) {
            EXPECT_EQ(list.status, 0);
            EXPECT_NE(list.err.find("dlm.db is damaged"), std::string::npos) << list.err;
        } else {
            EXPECT_EQ(list.status, 1);
            EXPECT_EQ(list.out, "");
            EXPECT_EQ(list.err, "loomcal: dlm.db cannot be read: its header is not a note file's (see 'loomcal "
                                "check')\n");
        }
        // an edit says that it refuses, and changes nothing
        ToolRun set = Run({"notes", "set", "2024-01-09", "new"});
        EXPECT_EQ(set.status, 1);
        EXPECT_TRUE(OneLine(set.err)) << set.err;
        EXPECT_EQ(File("dlm.db"), bad);
        EXPECT_FALSE(std::filesystem::exists(PathIn(dir, "dlm.db.damaged")));
    }
}

// Lines of "dlm.ini" that load only cut are damage like unread lines.
TEST_F(Damage, CutConfigLinesAreNamedAndRefused)
{
    const std::string control = "[CONTROL]\nMonthPos=250,0,600,250,1\nControl=97\n[REMIND]\n";
    const struct {
        std::string line;
        const char *named;
    } cases[] = {
        {"0=7e80101,ffffffff," + std::string(1200, 'm'), "line 5: the text is longer than 983 bytes"},
        {"0=7ee01030000,ffffffff,moved", "line 5: a number is too large for 32 bits"},
    };
    for (const auto &c : cases) {
        const std::string ini = control + c.line + "\n";
        Put("dlm.ini", ini);
        ToolRun check = Run({"check"});
        EXPECT_EQ(check.status, 1);
        EXPECT_NE(check.out.find(c.named), std::string::npos) << check.out;
        ToolRun add = Run({"memos", "add", "daily", "x"});
        EXPECT_EQ(add.status, 1);
        EXPECT_TRUE(OneLine(add.err)) << add.err;
        EXPECT_EQ(File("dlm.ini"), ini);
    }
}

// Line breaks are shown as stored, and one bad byte spoils only itself.
TEST_F(Damage, NotesAreListedUnmistakablyNoteByNote)
{
    MakeNotes({{Date(2024, 1, 1), "a\r\nb"},
               {Date(2024, 1, 2), "a\nb"},
               {Date(2024, 1, 3), "a\rb"},
               {Date(2024, 1, 4), "ok \x80 \xC4\xEA"},
               {Date(2024, 1, 5), "\xC4\xEA\xB9\xFD"}});
    ToolRun list = Run({"notes", "list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "2024-01-01\t0\ta\\r\\nb\n"
                        "2024-01-02\t0\ta\\nb\n"
                        "2024-01-03\t0\ta\\rb\n"
                        "2024-01-04\t0\tok \\x80 \xC4\xEA\n"
                        "2024-01-05\t0\t\xC4\xEA\xB9\xFD\n");
    ToolRun check = Run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("dlm.db: sound (5 notes)\n"
                             "dlm.db: 1 notes are not valid GBK text, the first on 2024-01-04\n"),
              std::string::npos)
        << check.out;
}

// -o names a file from where loomcal runs, and never one of the data files.
TEST_F(Damage, IcsOutputIsFromTheCurrentFolderAndNeverADataFile)
{
    std::filesystem::create_directories(PathIn(dir, "data"));
    const std::string data = PathIn(dir, "data");
    MakeNotes({{Date(2024, 1, 1), "one"}});
    std::filesystem::rename(PathIn(dir, "dlm.db"), data + "/dlm.db");
    const std::string notes = ReadWholeFile(data + "/dlm.db");

    ToolRun run = RunToolBare(dir, {"--dir", data, "ics", "--from", "2024", "--to", "2024", "-o", "dlm.db"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadWholeFile(data + "/dlm.db"), notes);
    EXPECT_EQ(File("dlm.db").compare(0, 15, "BEGIN:VCALENDAR"), 0);

    for (const char *own : {"data/dlm.db", "data/DLM.INI", "data/dlm.lock", "data/./dlm.db", "data/offdays.txt"}) {
        run = RunToolBare(dir, {"--dir", data, "ics", "-o", own});
        EXPECT_EQ(run.status, 1) << own;
        EXPECT_TRUE(OneLine(run.err)) << own << run.err;
    }
    EXPECT_EQ(ReadWholeFile(data + "/dlm.db"), notes);
    EXPECT_FALSE(std::filesystem::exists(data + "/DLM.INI"));
}

#ifndef _WIN32
// Output lost on the way (a full disk, a full device) is a failure.
TEST_F(Damage, OutputThatCannotBeWrittenFails)
{
    MakeNotes({{Date(2024, 1, 1), "one"}});
    const char *tool = getenv("LOOMCAL");
    ASSERT_NE(tool, nullptr);
    for (const char *command : {"ics", "notes list", "month 2024-01", "help"}) {
        const std::string err = PathIn(dir, "err.txt");
        const std::string line =
            std::string(tool) + " --dir '" + dir.path + "' " + command + " > /dev/full 2> '" + err + "'";
        int status = system(line.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << command;
        EXPECT_EQ(ReadWholeFile(err), "loomcal: the output could not be written: No space left on device\n")
            << command;
    }
}
#endif

}   // namespace
