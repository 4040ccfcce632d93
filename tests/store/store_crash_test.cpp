// The process may die between any two writing steps of a close; the next
// start must then find either all the old notes or all the new ones.
#include "store_testutil.h"
#include <functional>

namespace {

class StoreCrashTest : public StoreDirTest {
  protected:
    // Kills the close after k = 0, 1, 2, ... steps until one completes.
    // `prepare` puts the old files in place; `edit` turns the opened store
    // into `wanted`. Returns how many simulated deaths were checked.
    int DieEverywhere(const std::function<void()> &prepare, const NoteMap &old,
                      const std::function<void(RecordStore *)> &edit, const NoteMap &wanted)
    {
        int deaths = 0, sawOld = 0;
        for (int64_t k = 0; k < 10000; k++) {
            prepare();
            RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
            edit(store);
            FileFaultReset(k);
            StoreClose(store, "dlm.db");
            bool died = FileFaultTripped() != 0;
            FileFaultReset(-1);

            RecordStore *again = StoreOpen("dlm.db", 0, 0, 0);
            NoteMap found = Snapshot(again);
            int32_t state = again->fileState;
            StoreClose(again, "dlm.db");
            EXPECT_TRUE(found == old || found == wanted)
                << "after " << k << " steps: " << found.size() << " notes";
            if (!old.empty() || found.size()) {
                EXPECT_EQ(state, STORE_FILE_SOUND) << "after " << k << " steps";
            }
            EXPECT_FALSE(FileExists("dlm.db.damaged")) << "after " << k << " steps";
            if (!died) {
                EXPECT_EQ(found, wanted);
                EXPECT_GT(deaths, 2);
                EXPECT_GT(sawOld, 0);
                return deaths;
            }
            deaths++;
            if (found == old)
                sawOld++;
        }
        ADD_FAILURE() << "the close never completed";
        return deaths;
    }
};

NoteMap OldNotes()
{
    return {{Date(2004, 1, 1), Note("元旦的记事", 1)},
            {Date(2004, 1, 2), Note("second day", 0)},
            {Date(2004, 1, 3), Note("third", 1)},
            {Date(2004, 2, 14), Note(std::string(60, 'v'), 0)},
            {Date(2004, 3, 8), Note("", 1)}};
}

TEST_F(StoreCrashTest, CloseWritingChangesInPlace)
{
    NoteMap old = OldNotes();
    NoteMap wanted = old;
    wanted[Date(2004, 1, 1)] = Note("元旦", 1);                        // shorter: same slot
    wanted[Date(2004, 1, 2)] = Note("second day, a longer text", 0);   // new slot at dataEnd
    wanted[Date(2004, 3, 8)] = Note("", 0);                            // unmarked
    wanted[Date(2004, 4, 1)] = Note("april", 1);                       // added
    wanted.erase(Date(2004, 1, 3));                                    // deleted
    int deaths = DieEverywhere([&] { MakeStore(old); }, old,
                               [&](RecordStore *store) {
                                   for (const auto &n : wanted)
                                       PutNote(store, n.first, n.second.text, n.second.mark);
                                   StoreDeleteItem(
                                       (StoreItem *)TreeFind(store->root.children, Date(2004, 1, 3))->record);
                                   ASSERT_LE(store->header.dataEnd, 2 * store->header.liveBytes);
                               },
                               wanted);
    EXPECT_GT(deaths, 0);

    // Same offsets as writing in place: the reused slot and the new one.
    std::string file = ReadWholeFile("dlm.db");
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *first = (StoreItem *)TreeFind(store->root.children, Date(2004, 1, 1))->record;
    EXPECT_EQ(first->entry.dataOffset, 284);
    EXPECT_EQ(first->entry.dataLength, (int32_t)old[Date(2004, 1, 1)].text.size() + 1);
    StoreClose(store, "dlm.db");
}

TEST_F(StoreCrashTest, CloseThatCompacts)
{
    NoteMap old;
    for (int i = 0; i < 12; i++)
        old[Date(2004, 5, 1 + i)] = Note(std::string(100, (char)('a' + i)), i % 2);
    NoteMap wanted = old;
    for (auto &n : wanted)
        n.second.text = n.second.text.substr(0, 3);
    wanted.erase(Date(2004, 5, 4));
    wanted[Date(2004, 6, 1)] = Note("june", 1);
    DieEverywhere([&] { MakeStore(old); }, old,
                  [&](RecordStore *store) {
                      for (const auto &n : wanted)
                          PutNote(store, n.first, n.second.text, n.second.mark);
                      StoreDeleteItem((StoreItem *)TreeFind(store->root.children, Date(2004, 5, 4))->record);
                      ASSERT_GT(store->header.dataEnd, 2 * store->header.liveBytes);
                  },
                  wanted);
    std::string file = ReadWholeFile("dlm.db");
    EXPECT_EQ(WordAt(file, 16), WordAt(file, 20));   // compacted
}

TEST_F(StoreCrashTest, CloseOfABrandNewStore)
{
    NoteMap wanted = {{Date(1999, 12, 31), Note("新年前夜", 1)}, {Date(2000, 1, 1), Note("y2k", 0)}};
    DieEverywhere([&] { std::filesystem::remove("dlm.db"); }, NoteMap(),
                  [&](RecordStore *store) {
                      for (const auto &n : wanted)
                          PutNote(store, n.first, n.second.text, n.second.mark);
                  },
                  wanted);
}

// Replacing a file that is not ours: either it is still there untouched, or
// a complete copy of it has been kept before the new file took its place.
TEST_F(StoreCrashTest, ReplacingAForeignFileKeepsItFirst)
{
    std::string foreign(1000, '\x5a');
    NoteMap wanted = {{Date(2004, 1, 1), Note("abc", 1)}};
    for (int64_t k = 0; k < 1000; k++) {
        std::filesystem::remove("dlm.db.damaged");
        WriteWholeFile("dlm.db", foreign);
        RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
        PutNote(store, Date(2004, 1, 1), "abc", 1);
        FileFaultReset(k);
        StoreClose(store, "dlm.db");
        bool died = FileFaultTripped() != 0;
        FileFaultReset(-1);
        std::string now = ReadWholeFile("dlm.db");
        if (now != foreign) {
            EXPECT_EQ(ReadNotes(), wanted) << k;
            EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), foreign) << k;
        } else if (FileExists("dlm.db.damaged")) {
            EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), foreign) << k;
        }
        if (!died) {
            EXPECT_NE(now, foreign);
            return;
        }
    }
    ADD_FAILURE() << "the close never completed";
}

}   // namespace
