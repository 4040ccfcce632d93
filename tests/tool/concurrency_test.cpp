// Several loomcal writers on one folder at the same time, on small and on
// large files: every edit must arrive, every entry nobody touched must stay,
// and the files must be sound at the end.
#include <gtest/gtest.h>
#include <stdio.h>
#include <set>
#include <string>
#include <vector>
#include "store/recordstore.h"
#include "tool_harness.h"

namespace {

struct Figures {
    int writers = 0;
    int edits = 0;           // edits attempted
    int failedRuns = 0;      // runs that did not exit 0
    int editsLost = 0;       // edits reported done but missing at the end
    int untouchedLost = 0;   // entries present at the start, missing or changed at the end
};

// Notes are set on dates from 1800 on, memos are every-day memos, all with
// texts that say who wrote them.
std::string Day(int n)
{
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d", 1800 + n / 336, 1 + n / 28 % 12, 1 + n % 28);
    return text;
}

void MakeFiles(const ScratchDir &dir, int notes, int memos)
{
    RecordStore *store = StoreOpen(PathIn(dir, "dlm.db").c_str(), 0, 0, 0);
    for (int i = 0; i < notes; i++) {
        int y, m, d;
        sscanf(Day(i).c_str(), "%d-%d-%d", &y, &m, &d);
        StoreItem *item = StoreAddItem(&store->root, y << 16 | m << 8 | d);
        std::string text = "untouched note " + std::to_string(i);
        StoreSetData(item, text.c_str(), (uint32_t)text.size() + 1);
        StoreSetUserValue(item, i % 2);
    }
    ASSERT_EQ(StoreClose(store, PathIn(dir, "dlm.db").c_str()), 0);
    std::string ini = "[CONTROL]\nMonthPos=250,0,600,250,1\nNotePos=0,0,0,0,0\n"
                      "Color=ff8080,ffffff,ffff,ff,ff00\nControl=97\n[HOLIDAY]\n0=8449,元旦\n[REMIND]\n";
    for (int i = 0; i < memos; i++)
        ini += std::to_string(i) + "=ffffffff,ffffffff,untouched memo " + std::to_string(i) + "\n";
    WriteWholeFile(PathIn(dir, "dlm.ini"), ini);
}

std::set<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines = SplitLines(text);
    return std::set<std::string>(lines.begin(), lines.end());
}

// writers processes at a time, rounds times; each run adds one note or one memo.
Figures RunWriters(const ScratchDir &dir, int writers, int rounds, int notes, int memos)
{
    Figures figures;
    figures.writers = writers;
    std::set<std::string> wantedNotes, wantedMemos;
    for (int round = 0; round < rounds; round++) {
        std::vector<ToolProcess *> running;
        std::vector<std::string> lines;
        std::vector<bool> isNote;
        for (int w = 0; w < writers; w++) {
            std::string text = "writer " + std::to_string(w) + " round " + std::to_string(round);
            bool note = (w + round) % 2 == 0;
            if (note) {
                std::string day = Day(notes + round * writers + w);   // a date nobody else uses
                running.push_back(StartTool(dir, {"notes", "set", day, text}));
                lines.push_back(day + "\t0\t" + text);
            } else {
                running.push_back(StartTool(dir, {"memos", "add", "daily", text}));
                lines.push_back("每天\t[无]\t" + text);
            }
            isNote.push_back(note);
        }
        for (size_t i = 0; i < running.size(); i++) {
            ToolRun run = FinishTool(running[i]);
            figures.edits++;
            if (run.status != 0) {
                figures.failedRuns++;
                ADD_FAILURE() << lines[i] << ": " << run.status << " " << run.err;
                continue;
            }
            (isNote[i] ? wantedNotes : wantedMemos).insert(lines[i]);
        }
    }

    std::set<std::string> haveNotes = Lines(RunTool(dir, {"notes", "list"}).out);
    std::set<std::string> haveMemos = Lines(RunTool(dir, {"memos", "list"}).out);
    for (const std::string &line : wantedNotes)
        figures.editsLost += haveNotes.count(line) == 0;
    for (const std::string &line : wantedMemos)
        figures.editsLost += haveMemos.count(line) == 0;
    for (int i = 0; i < notes; i++)
        figures.untouchedLost += haveNotes.count(Day(i) + "\t" + std::to_string(i % 2) + "\tuntouched note " +
                                                 std::to_string(i)) == 0;
    for (int i = 0; i < memos; i++)
        figures.untouchedLost += haveMemos.count("每天\t[无]\tuntouched memo " + std::to_string(i)) == 0;

    ToolRun check = RunTool(dir, {"check"});
    EXPECT_EQ(check.status, 0) << check.out;
    return figures;
}

class Concurrency : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        ASSERT_FALSE(dir.path.empty());
    }
    void TearDown() override { RemoveScratchDir(dir); }
    void Report(const char *what, const Figures &f)
    {
        printf("%s: %d writers, %d edits, %d runs failed, %d edits lost, %d untouched entries lost\n", what,
               f.writers, f.edits, f.failedRuns, f.editsLost, f.untouchedLost);
        EXPECT_EQ(f.failedRuns, 0);
        EXPECT_EQ(f.editsLost, 0);
        EXPECT_EQ(f.untouchedLost, 0);
    }
    ScratchDir dir;
};

// Wine starts a process in about a tenth of a second: fewer rounds there.
#ifdef _WIN32
const int ROUNDS_SMALL = 3, ROUNDS_LARGE = 2;
#else
const int ROUNDS_SMALL = 10, ROUNDS_LARGE = 4;
#endif

TEST_F(Concurrency, FourWritersOnSmallFiles)
{
    MakeFiles(dir, 10, 10);
    Report("small files", RunWriters(dir, 4, ROUNDS_SMALL, 10, 10));
}

TEST_F(Concurrency, FourWritersOnAThousandNotesAndTenThousandMemos)
{
    MakeFiles(dir, 1000, 10000);
    Report("large files", RunWriters(dir, 4, ROUNDS_LARGE, 1000, 10000));
}

}   // namespace
