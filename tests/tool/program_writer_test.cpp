// The program's saves and loomcal's at the same time on one folder: the
// program (in process: its memos, holidays and notes in memory, saved as its
// dialogs save them) keeps adding, editing and deleting while loomcal runs
// add theirs; at the end every record either side meant to keep is there.
#include <gtest/gtest.h>
#include <stdio.h>
#include <set>
#include <string>
#include <vector>
#include "calendar/today.h"
#include "store/config.h"
#include "store/fileio.h"
#include "store/notesync.h"
#include "records/records.h"
#include "store/recordstore.h"
#include "records/settings.h"
#include "tool_harness.h"

namespace {

std::string Day(int n)
{
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d", 1900 + n / 336, 1 + n / 28 % 12, 1 + n % 28);
    return text;
}

int32_t DateOf(const std::string &day)
{
    int y, m, d;
    sscanf(day.c_str(), "%d-%d-%d", &y, &m, &d);
    return y << 16 | m << 8 | d;
}

void ProgramNote(int32_t date, const std::string &text)
{
    StoreItem *item = FindDayNote(date);
    if (!item)
        item = StoreAddItem(&DayNoteStore->root, date);
    StoreSetData(item, text.c_str(), (uint32_t)text.size() + 1);
}

void ProgramDeletesMemo(const std::string &text)
{
    for (ListNode *n = FirstMemo(); n; n = n->next)
        if (text == ((ReminderEntry *)n->record)->text) {
            ListFreeNode(n);
            return;
        }
}

#ifdef _WIN32
const int ROUNDS = 25;   // a process start costs a tenth of a second under Wine
#else
const int ROUNDS = 260;
#endif

TEST(ProgramAndLoomcal, NothingIsLostWhileBothSave)
{
    ScratchDir dir = MakeScratchDir();
    ASSERT_FALSE(dir.path.empty());
    const std::string ini = PathIn(dir, "dlm.ini"), db = PathIn(dir, "dlm.db");
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    ReadConfigFile(ini.c_str());
    NotesOpen(db.c_str());
    ASSERT_NE(DayNoteStore, nullptr);

    std::set<std::string> wantMemos, goneMemos, wantNotes;
    int loomcalRecords = 0, programRecords = 0, failedSaves = 0;
    for (int round = 0; round < ROUNDS; round++) {
        // two loomcal writers: a memo and a note each round
        std::string memo = "loomcal memo " + std::to_string(round);
        std::string day = Day(2 * round), text = "loomcal note " + std::to_string(round);
        std::vector<ToolProcess *> running = {StartTool(dir, {"--wait", "30", "memos", "add", "daily", memo}),
                                              StartTool(dir, {"--wait", "30", "notes", "set", day, text})};
        wantMemos.insert(memo);
        wantNotes.insert(day + "\t0\t" + text);
        loomcalRecords += 2;

        // the program meanwhile: a memo, a note, now and then an edit of its
        // own note, a deletion of its own memo and a look at the files
        std::string own = "program memo " + std::to_string(round);
        AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, own.c_str());
        wantMemos.insert(own);
        if (round % 10 == 9) {
            std::string old = "program memo " + std::to_string(round - 5);
            ProgramDeletesMemo(old);
            wantMemos.erase(old);
            goneMemos.insert(old);
        }
        failedSaves += WriteConfigFile(ini.c_str()) != SAVE_OK;
        std::string ownDay = Day(2 * round + 1), ownText = "program note " + std::to_string(round);
        ProgramNote(DateOf(ownDay), ownText);
        failedSaves += NotesSync(db.c_str(), 1) != SAVE_OK;
        programRecords += 2;
        if (round % 7 == 3) {
            // the edit happens on the note saved a few rounds back
            std::string editDay = Day(2 * (round - 2) + 1), edited = "program note edited " + std::to_string(round);
            ProgramNote(DateOf(editDay), edited);
            wantNotes.erase(editDay + "\t0\tprogram note " + std::to_string(round - 2));
            wantNotes.insert(editDay + "\t0\t" + edited);
            failedSaves += NotesSync(db.c_str(), 1) != SAVE_OK;
            ConfigTakeIn(ini.c_str());
        }
        wantNotes.insert(ownDay + "\t0\t" + ownText);
        for (ToolProcess *p : running) {
            ToolRun run = FinishTool(p);
            EXPECT_EQ(run.status, 0) << run.err;
        }
    }
    // The program's last saves, as at exit.
    failedSaves += WriteConfigFile(ini.c_str()) != SAVE_OK;
    failedSaves += NotesSync(db.c_str(), 1) != SAVE_OK;
    NotesDiscard();

    std::vector<std::string> memoLines = SplitLines(RunTool(dir, {"memos", "list"}).out);
    std::vector<std::string> noteLines = SplitLines(RunTool(dir, {"notes", "list"}).out);
    std::set<std::string> memos, notes(noteLines.begin(), noteLines.end());
    for (const std::string &line : memoLines)
        memos.insert(line.substr(line.rfind('\t') + 1));
    int lost = 0, resurrected = 0;
    for (const std::string &m : wantMemos)
        lost += memos.count(m) == 0;
    for (const std::string &n : wantNotes)
        lost += notes.count(n) == 0;
    for (const std::string &m : goneMemos)
        resurrected += memos.count(m) != 0;
    printf("%d loomcal records, %d program records, %d kept, %d lost, %d deleted memos back, %d failed saves\n",
           loomcalRecords, programRecords, (int)(wantMemos.size() + wantNotes.size()), lost, resurrected,
           failedSaves);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(resurrected, 0);
    EXPECT_EQ(failedSaves, 0);
    EXPECT_EQ(memoLines.size(), wantMemos.size()) << "no record twice";
    EXPECT_EQ(noteLines.size(), wantNotes.size());
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    RemoveScratchDir(dir);
}

}   // namespace
