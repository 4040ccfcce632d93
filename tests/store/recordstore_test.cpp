#include "store_testutil.h"
#include <algorithm>
#include <utility>

namespace {

class RecordStoreTest : public StoreDirTest {};

StoreItem *Top(RecordStore *store, int32_t key)
{
    TreeNode *node = TreeFind(store->root.children, key);
    return node ? (StoreItem *)node->record : nullptr;
}

const int32_t D1 = 0x07D40101;   // 2004-01-01

TEST_F(RecordStoreTest, FirstMarkedNoteMakesThe308ByteFile)
{
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->fileState, STORE_FILE_NEW);
    StoreItem *item = StoreAddItem(&store->root, Date(2004, 1, 1));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(StoreSetData(item, "abc", 4), nullptr);
    StoreSetUserValue(item, 1);
    StoreClose(store, "dlm.db");

    std::string expected(308, '\0');
    PutWord(expected, 0, 0);
    PutWord(expected, 4, 1);
    PutWord(expected, 16, 288);
    PutWord(expected, 20, 288);
    PutWord(expected, 24, 1);
    memcpy(&expected[284], "abc", 4);
    PutWord(expected, 288, D1);
    PutWord(expected, 292, 284);
    PutWord(expected, 296, 4);
    PutWord(expected, 300, 0);
    PutWord(expected, 304, 1);
    EXPECT_EQ(ReadWholeFile("dlm.db"), expected);
    EXPECT_EQ(TemporaryFilesHere(), 0);
    EXPECT_FALSE(FileExists("dlm.db.damaged"));
}

TEST_F(RecordStoreTest, ShorterTextReusesTheSlotLongerTextGetsANewOne)
{
    MakeStore({{D1, Note("abc", 1)}});
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    ASSERT_EQ(store->fileState, STORE_FILE_SOUND);
    StoreItem *item = Top(store, D1);
    ASSERT_NE(item, nullptr);
    StoreSetData(item, "ab", 3);
    EXPECT_EQ(item->entry.dataOffset, 284);
    EXPECT_EQ(item->entry.dataLength, 4);
    EXPECT_EQ(store->header.liveBytes, 287);
    EXPECT_EQ(store->header.dataEnd, 288);
    StoreClose(store, "dlm.db");

    std::string file = ReadWholeFile("dlm.db");
    EXPECT_EQ(WordAt(file, 16), 288);
    EXPECT_EQ(WordAt(file, 20), 287);
    EXPECT_EQ(std::string(file.data() + 284, 3), std::string("ab\0", 3));
    IndexEntry e = EntryAt(file, 288);
    EXPECT_EQ(e.dataOffset, 284);
    EXPECT_EQ(e.dataLength, 4);

    store = StoreOpen("dlm.db", 0, 0, 0);
    item = Top(store, D1);
    StoreSetData(item, "abcdef", 7);
    EXPECT_EQ(item->entry.dataOffset, 288);   // the old dataEnd, where the index was
    EXPECT_EQ(item->entry.dataLength, 7);
    EXPECT_EQ(store->header.dataEnd, 295);
    EXPECT_EQ(store->header.liveBytes, 290);
    StoreClose(store, "dlm.db");

    file = ReadWholeFile("dlm.db");
    EXPECT_EQ(WordAt(file, 16), 295);
    EXPECT_EQ(EntryAt(file, 295).dataOffset, 288);
    EXPECT_EQ(file.size(), 295u + 20u);
    EXPECT_EQ(ReadNotes(), (NoteMap{{D1, Note("abcdef", 1)}}));
}

// Two notes filling the data area up to offset 1000; deleting the first
// leaves liveBytes at 1000 - firstLength.
void CompactionCase(int32_t firstLength, bool expectCompaction)
{
    const int32_t a = Date(2004, 1, 1), b = Date(2004, 1, 2);
    std::string textA(firstLength - 1, 'a'), textB(716 - firstLength - 1, 'b');
    MakeStore({{a, Note(textA, 0)}, {b, Note(textB, 1)}});
    std::string before = ReadWholeFile("dlm.db");
    ASSERT_EQ(WordAt(before, 16), 1000);
    ASSERT_EQ(WordAt(before, 20), 1000);

    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreDeleteItem(Top(store, a));
    EXPECT_EQ(store->header.liveBytes, 1000 - firstLength);
    StoreClose(store, "dlm.db");

    std::string after = ReadWholeFile("dlm.db");
    int32_t dataEnd = WordAt(after, 16);
    IndexEntry e = EntryAt(after, dataEnd);
    EXPECT_EQ(WordAt(after, 24), 1);
    EXPECT_EQ(e.key, b);
    if (expectCompaction) {
        EXPECT_EQ(dataEnd, 284 + 716 - firstLength);
        EXPECT_EQ(WordAt(after, 20), dataEnd);
        EXPECT_EQ(e.dataOffset, 284);
    } else {
        EXPECT_EQ(dataEnd, 1000);
        EXPECT_EQ(WordAt(after, 20), 1000 - firstLength);
        EXPECT_EQ(e.dataOffset, 284 + firstLength);
    }
    EXPECT_EQ(ReadNotes(), (NoteMap{{b, Note(textB, 1)}}));
}

TEST_F(RecordStoreTest, CompactsOnlyWhenDataEndExceedsTwiceTheLiveBytes)
{
    {
        SCOPED_TRACE("liveBytes 500");
        CompactionCase(500, false);
    }
    {
        SCOPED_TRACE("liveBytes 499");
        CompactionCase(501, true);
    }
}

TEST_F(RecordStoreTest, CompactionKeepsEveryNoteAndLeavesNoDeadSlots)
{
    NoteMap notes;
    for (int i = 0; i < 40; i++)
        notes[Date(2010, 1 + i / 28, 1 + i % 28)] = Note(std::string(150 + i, (char)('A' + i % 26)), i % 2);
    MakeStore(notes);

    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    int i = 0;
    for (auto &n : notes) {
        if (i % 7 == 3) {
            n.second.text = std::string(400, 'z');   // grows: new slot, old one dead
        } else if (i % 5 != 0) {
            n.second.text = "短" + std::to_string(i);
        }
        PutNote(store, n.first, n.second.text, n.second.mark);
        i++;
    }
    StoreDeleteItem(Top(store, Date(2010, 1, 2)));
    notes.erase(Date(2010, 1, 2));
    ASSERT_GT(store->header.dataEnd, 2 * store->header.liveBytes);
    StoreClose(store, "dlm.db");

    std::string file = ReadWholeFile("dlm.db");
    int32_t dataEnd = WordAt(file, 16);
    EXPECT_EQ(WordAt(file, 20), dataEnd);
    ASSERT_EQ(WordAt(file, 24), (int32_t)notes.size());
    std::vector<std::pair<int32_t, int32_t>> slots;
    for (size_t k = 0; k < notes.size(); k++) {
        IndexEntry e = EntryAt(file, dataEnd + 20 * k);
        slots.push_back({e.dataOffset, e.dataLength});
    }
    std::sort(slots.begin(), slots.end());
    int32_t expectedOffset = 284;
    for (const auto &s : slots) {
        EXPECT_EQ(s.first, expectedOffset);
        expectedOffset = s.first + s.second;
    }
    EXPECT_EQ(expectedOffset, dataEnd);
    EXPECT_EQ(ReadNotes(), notes);
}

int CollectEntries(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    auto *out = (std::vector<std::pair<int32_t, int32_t>> *)context;
    out->push_back({item->entry.key, item->entry.childCount});
    return TreeWalk(item->children, CollectEntries, context);
}

TEST_F(RecordStoreTest, IndexIsWrittenInKeyOrderWithChildrenAfterTheirParent)
{
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *jan5 = StoreAddItem(&store->root, Date(2004, 1, 5));
    StoreAddItem(&store->root, Date(2004, 1, 1));
    StoreSetData(jan5, "x", 2);
    StoreItem *c3 = StoreAddItem(jan5, 3);
    StoreAddItem(jan5, -1);
    StoreAddItem(c3, 9);
    EXPECT_EQ(StoreAddItem(jan5, 3), nullptr);
    EXPECT_EQ(jan5->entry.childCount, 2);
    StoreClose(store, "dlm.db");

    std::string file = ReadWholeFile("dlm.db");
    int32_t dataEnd = WordAt(file, 16);
    EXPECT_EQ(WordAt(file, 24), 2);
    const std::pair<int32_t, int32_t> expected[] = {
        {Date(2004, 1, 1), 0}, {Date(2004, 1, 5), 2}, {-1, 0}, {3, 1}, {9, 0}};
    for (size_t k = 0; k < 5; k++) {
        IndexEntry e = EntryAt(file, dataEnd + 20 * k);
        EXPECT_EQ(e.key, expected[k].first) << k;
        EXPECT_EQ(e.childCount, expected[k].second) << k;
    }

    store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    std::vector<std::pair<int32_t, int32_t>> seen;
    TreeWalk(store->root.children, CollectEntries, &seen);
    std::vector<std::pair<int32_t, int32_t>> wantedOrder(std::begin(expected), std::end(expected));
    EXPECT_EQ(seen, wantedOrder);
    StoreItem *child = (StoreItem *)TreeFind(Top(store, Date(2004, 1, 5))->children, 3)->record;
    EXPECT_EQ(child->parent, Top(store, Date(2004, 1, 5)));
    EXPECT_EQ(child->store, store);
    StoreClose(store, "dlm.db");
}

TEST_F(RecordStoreTest, DeletingAnItemReleasesItsDescendantsSlots)
{
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *parent = StoreAddItem(&store->root, 1);
    StoreSetData(parent, "12345", 6);
    StoreItem *child = StoreAddItem(parent, 2);
    StoreSetData(child, "1234567", 8);
    StoreItem *keep = StoreAddItem(&store->root, 3);
    StoreSetData(keep, "k", 2);
    EXPECT_EQ(store->header.liveBytes, 284 + 6 + 8 + 2);
    StoreDeleteItem(parent);
    EXPECT_EQ(store->header.liveBytes, 284 + 2);
    EXPECT_EQ(store->root.entry.childCount, 1);
    EXPECT_EQ(Top(store, 1), nullptr);
    EXPECT_EQ(Top(store, 3), keep);   // links to other items stay valid
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), (NoteMap{{3, Note("k", 0)}}));
}

TEST_F(RecordStoreTest, ClosingWithoutChangesWritesNothing)
{
    MakeStore({{D1, Note("abc", 1)}});
    std::string withTail = ReadWholeFile("dlm.db") + "TAIL";   // a rewrite would drop it
    WriteWholeFile("dlm.db", withTail);

    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *item = Top(store, D1);
    EXPECT_NE(StoreGetData(item), nullptr);
    StoreSetUserValue(item, 1);   // the same mark is no change
    EXPECT_EQ(store->storeChanged, 0);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadWholeFile("dlm.db"), withTail);
    EXPECT_EQ(TemporaryFilesHere(), 0);
}

// Marking, unmarking, adding without text and deleting must all reach the file.
TEST_F(RecordStoreTest, MarksAndDeletionsPersist)
{
    const int32_t a = Date(2020, 2, 29), b = Date(2020, 3, 1);
    MakeStore({{a, Note("note", 0)}});

    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreSetUserValue(Top(store, a), 1);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), (NoteMap{{a, Note("note", 1)}}));

    store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *marked = StoreAddItem(&store->root, b);
    StoreSetUserValue(marked, 1);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), (NoteMap{{a, Note("note", 1)}, {b, Note("", 1)}}));

    store = StoreOpen("dlm.db", 0, 0, 0);
    StoreSetUserValue(Top(store, b), 0);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), (NoteMap{{a, Note("note", 1)}, {b, Note("", 0)}}));

    store = StoreOpen("dlm.db", 0, 0, 0);
    StoreDeleteItem(Top(store, a));
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), (NoteMap{{b, Note("", 0)}}));

    store = StoreOpen("dlm.db", 0, 0, 0);
    StoreAddItem(&store->root, a);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), (NoteMap{{a, Note("", 0)}, {b, Note("", 0)}}));
}

TEST_F(RecordStoreTest, FindDayNoteLooksInTheProgramStore)
{
    EXPECT_EQ(FindDayNote(D1), nullptr);
    MakeStore({{D1, Note("abc", 1)}});
    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *item = FindDayNote(D1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->entry.userValue, 1);
    EXPECT_STREQ(StoreGetData(item), "abc");
    EXPECT_EQ(FindDayNote(D1 + 1), nullptr);
    StoreClose(DayNoteStore, "dlm.db");
    EXPECT_EQ(DayNoteStore, nullptr);
    EXPECT_EQ(FindDayNote(D1), nullptr);
}

TEST_F(RecordStoreTest, SettingDataOfAnEmptyLengthKeepsTheItemWithoutData)
{
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *item = StoreAddItem(&store->root, D1);
    EXPECT_NE(StoreSetData(item, "", 0), nullptr);
    EXPECT_EQ(item->entry.dataOffset, 0);
    EXPECT_EQ(StoreGetData(item), nullptr);
    EXPECT_EQ(store->header.dataEnd, 284);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), (NoteMap{{D1, Note("", 0)}}));
}

}   // namespace

namespace {

// A save in the middle of the run: on disk at once, the store still usable,
// and a save that fails leaves the old file whole and the change in memory.
TEST_F(RecordStoreTest, SaveKeepsTheStoreOpenAndAFailedSaveLosesNothing)
{
    MakeStore({{D1, Note("abc", 1)}, {Date(2004, 1, 2), Note("second", 0)}});
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    PutNote(store, Date(2004, 1, 3), "third", 1);
    EXPECT_EQ(StoreSave(store, "dlm.db"), 0);
    EXPECT_EQ(ReadNotes().size(), 3u);
    // notes not yet loaded still read from the replaced file
    EXPECT_STREQ(StoreGetData(Top(store, Date(2004, 1, 2))), "second");

    PutNote(store, Date(2004, 1, 4), "fourth", 0);
    const std::string before = ReadWholeFile("dlm.db");
    for (int64_t k = 0; k < 6; k++) {
        FileFaultReset(k);
        EXPECT_NE(StoreSave(store, "dlm.db"), 0) << k;
        FileFaultReset(-1);
        EXPECT_EQ(ReadWholeFile("dlm.db"), before) << k;
    }
    EXPECT_EQ(StoreSave(store, "dlm.db"), 0);
    NoteMap after = ReadNotes();
    EXPECT_EQ(after.size(), 4u);
    EXPECT_EQ(after[Date(2004, 1, 4)].text, "fourth");
    EXPECT_EQ(after[D1].text, "abc");
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadNotes(), after);
}

}   // namespace
