// Every writing step of a save fails once, on its own, as on a full disk or
// a refused move: the save says so, the old file stays whole, nothing is
// lost from memory, no temporary file is left behind, and the next save of
// the same store succeeds.
#include "store_testutil.h"
#include <functional>
#include "calendar/today.h"
#include "store/config.h"
#include "records/records.h"
#include "records/settings.h"

namespace {

class SaveFaultTest : public StoreDirTest {
  protected:
    // Fails step k = 0, 1, 2, ... of StoreSave until a save goes through.
    void FailEachStep(const std::function<void()> &prepare, const std::function<void(RecordStore *)> &edit,
                      const NoteMap &wanted)
    {
        for (int64_t k = 0; k < 1000; k++) {
            prepare();
            const std::string before = ReadWholeFile("dlm.db");
            RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
            edit(store);
            FileFaultFailOne(k);
            int result = StoreSave(store, "dlm.db");
            bool failed = FileFaultTripped() != 0;
            FileFaultReset(-1);
            if (!failed) {
                EXPECT_EQ(result, SAVE_OK);
                EXPECT_EQ(store->storeChanged, 0);
                EXPECT_EQ(Snapshot(store), wanted) << "read back through the reopened file";
                StoreClose(store, "dlm.db");
                EXPECT_EQ(ReadNotes(), wanted);
                EXPECT_GT(k, 3);
                return;
            }
            EXPECT_NE(result, SAVE_OK) << "step " << k;
            if (result == SAVE_NOT_DURABLE) {
                EXPECT_EQ(ReadNotes(), wanted) << "step " << k;   // moved, only not confirmed
            } else {
                EXPECT_EQ(ReadWholeFile("dlm.db"), before) << "step " << k << ", result " << result;
            }
            EXPECT_EQ(TemporaryFilesHere(), 0) << "step " << k;
            if (FileExists("dlm.db.damaged")) {
                EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), before) << "a kept copy is always whole";
            }
            EXPECT_EQ(store->storeChanged, 1) << "step " << k;
            EXPECT_EQ(Snapshot(store), wanted) << "step " << k << ": the store must keep every change";
            EXPECT_EQ(StoreSave(store, "dlm.db"), SAVE_OK) << "step " << k;
            EXPECT_EQ(Snapshot(store), wanted) << "step " << k;
            StoreClose(store, "dlm.db");
            EXPECT_EQ(ReadNotes(), wanted) << "step " << k;
        }
        ADD_FAILURE() << "the save never went through";
    }
};

NoteMap SomeNotes()
{
    NoteMap notes;
    for (int i = 0; i < 12; i++)
        notes[Date(2004, 5, 1 + i)] = Note(std::string(100, (char)('a' + i)), i % 2);
    return notes;
}

TEST_F(SaveFaultTest, WritingInPlace)
{
    NoteMap wanted = SomeNotes();
    wanted[Date(2004, 5, 1)] = Note("shorter", 1);
    wanted[Date(2004, 5, 2)] = Note(std::string(300, 'L'), 0);   // a new slot
    wanted[Date(2004, 6, 1)] = Note("", 1);
    FailEachStep([] { MakeStore(SomeNotes()); },
                 [&](RecordStore *store) {
                     for (const auto &n : wanted)
                         PutNote(store, n.first, n.second.text, n.second.mark);
                     ASSERT_LE(store->header.dataEnd, 2 * store->header.liveBytes);
                 },
                 wanted);
}

TEST_F(SaveFaultTest, Compacting)
{
    NoteMap wanted = SomeNotes();
    for (auto &n : wanted)
        n.second.text = n.second.text.substr(0, 2);
    wanted.erase(Date(2004, 5, 4));
    FailEachStep([] { MakeStore(SomeNotes()); },
                 [&](RecordStore *store) {
                     for (const auto &n : wanted)
                         PutNote(store, n.first, n.second.text, n.second.mark);
                     StoreDeleteItem((StoreItem *)TreeFind(store->root.children, Date(2004, 5, 4))->record);
                     ASSERT_GT(store->header.dataEnd, 2 * store->header.liveBytes);
                 },
                 wanted);
}

TEST_F(SaveFaultTest, ABrandNewFile)
{
    NoteMap wanted = {{Date(2000, 1, 1), Note("y2k", 1)}};
    FailEachStep([] { std::filesystem::remove("dlm.db"); },
                 [&](RecordStore *store) { PutNote(store, Date(2000, 1, 1), "y2k", 1); }, wanted);
}

TEST_F(SaveFaultTest, ReplacingADamagedFileKeepsItFirst)
{
    MakeStore(SomeNotes());
    const std::string damaged = ReadWholeFile("dlm.db").substr(0, ReadWholeFile("dlm.db").size() - 20);
    NoteMap wanted = SomeNotes();
    wanted.erase(Date(2004, 5, 12));   // the entry that was cut off
    wanted[Date(2005, 1, 1)] = Note("new", 1);
    FailEachStep(
        [&] {
            std::filesystem::remove("dlm.db.damaged");
            WriteWholeFile("dlm.db", damaged);
        },
        [&](RecordStore *store) {
            ASSERT_EQ(store->fileState, STORE_FILE_DAMAGED);
            PutNote(store, Date(2005, 1, 1), "new", 1);
        },
        wanted);
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), damaged);
}

// The same for "dlm.ini", replacing a sound file and a damaged one.
TEST_F(SaveFaultTest, TheConfigurationFile)
{
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    const std::string sound = "[CONTROL]\nMonthPos=1,2,3,4,5\n[HOLIDAY]\n0=8449,old\n[REMIND]\n";
    const std::string damaged = sound + "; typed by hand\n";
    for (const std::string &old : {sound, damaged}) {
        for (int64_t k = 0;; k++) {
            ASSERT_LT(k, 1000);
            std::filesystem::remove("dlm.ini.damaged");
            WriteWholeFile("dlm.ini", old);
            ListFreeAll(&HolidayList);
            ListFreeAll(&ReminderList);
            AddChimeEntry();
            memset(&Settings, 0, sizeof Settings);
            ReadConfigFile("dlm.ini");
            AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, "new memo");
            FileFaultFailOne(k);
            int result = WriteConfigFile("dlm.ini");
            bool failed = FileFaultTripped() != 0;
            FileFaultReset(-1);
            std::string now = ReadWholeFile("dlm.ini");
            if (!failed) {
                EXPECT_EQ(result, SAVE_OK);
                EXPECT_NE(now.find("new memo"), std::string::npos);
                EXPECT_GT(k, 3) << "the steps before this save were each failed once";
                break;
            }
            EXPECT_NE(result, SAVE_OK) << k;
            if (result != SAVE_NOT_DURABLE) {
                EXPECT_EQ(now, old) << k;
            }
            EXPECT_EQ(TemporaryFilesHere(), 0) << k;
            if (FileExists("dlm.ini.damaged")) {
                EXPECT_EQ(ReadWholeFile("dlm.ini.damaged"), old) << k;
            }
            EXPECT_EQ(WriteConfigFile("dlm.ini"), SAVE_OK) << k;   // the lists were kept
            EXPECT_NE(ReadWholeFile("dlm.ini").find("new memo"), std::string::npos) << k;
        }
        if (old == damaged) {
            EXPECT_EQ(ReadWholeFile("dlm.ini.damaged"), damaged);
        } else {
            EXPECT_FALSE(FileExists("dlm.ini.damaged"));
        }
    }
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
}

}   // namespace
