// Files that are damaged, truncated or not ours: nothing crashes, nothing
// the user had is destroyed, and what is written back is consistent.
#include "store_testutil.h"

namespace {

class StoreDamageTest : public StoreDirTest {
  protected:
    NoteMap three;
    std::string sound;

    void SetUp() override
    {
        StoreDirTest::SetUp();
        three = {{Date(2004, 1, 1), Note("one", 1)},
                 {Date(2004, 1, 2), Note("two", 0)},
                 {Date(2004, 1, 3), Note("three", 1)}};
        MakeStore(three);
        sound = ReadWholeFile("dlm.db");
    }
    int32_t IndexAt() const { return WordAt(sound, 16); }

    // Opens the file, adds one note and closes; returns the store's fileState at open.
    int32_t OpenAddClose(int32_t key)
    {
        RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
        int32_t state = store->fileState;
        PutNote(store, key, "new", 1);
        StoreClose(store, "dlm.db");
        return state;
    }
};

const int32_t NEWKEY = Date(2005, 5, 5);

TEST_F(StoreDamageTest, ForeignHeaderGivesAnEmptyStoreAndTheFileIsKept)
{
    std::string foreign = sound;
    PutWord(foreign, 0, 1);
    WriteWholeFile("dlm.db", foreign);

    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_FOREIGN);
    EXPECT_EQ(store->root.children, nullptr);
    EXPECT_EQ(store->file, nullptr);
    EXPECT_EQ(store->header.dataEnd, 284);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadWholeFile("dlm.db"), foreign);   // unchanged: nothing to write
    EXPECT_FALSE(FileExists("dlm.db.damaged"));

    EXPECT_EQ(OpenAddClose(NEWKEY), STORE_FILE_FOREIGN);
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), foreign);
    EXPECT_EQ(ReadNotes(), (NoteMap{{NEWKEY, Note("new", 1)}}));
}

TEST_F(StoreDamageTest, IdentityIsCheckedAgainstAllThreeValues)
{
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 7);
    EXPECT_EQ(store->fileState, STORE_FILE_FOREIGN);
    EXPECT_EQ(store->header.id2, 7);
    StoreClose(store, "dlm.db");
    store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    StoreClose(store, "dlm.db");
}

TEST_F(StoreDamageTest, FileShorterThanTheHeader)
{
    WriteWholeFile("dlm.db", sound.substr(0, 100));
    EXPECT_EQ(OpenAddClose(NEWKEY), STORE_FILE_FOREIGN);
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), sound.substr(0, 100));
    EXPECT_EQ(ReadNotes(), (NoteMap{{NEWKEY, Note("new", 1)}}));

    // An empty file holds nothing worth keeping.
    std::filesystem::remove("dlm.db.damaged");
    WriteWholeFile("dlm.db", "");
    EXPECT_EQ(OpenAddClose(NEWKEY), STORE_FILE_NEW);
    EXPECT_FALSE(FileExists("dlm.db.damaged"));
}

TEST_F(StoreDamageTest, TruncatedIndexKeepsWhatWasReadAndCountsItRight)
{
    std::string cut = sound.substr(0, sound.size() - 20);
    WriteWholeFile("dlm.db", cut);

    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_DAMAGED);
    EXPECT_EQ(store->root.entry.childCount, 2);
    NoteMap two = three;
    two.erase(Date(2004, 1, 3));
    EXPECT_EQ(Snapshot(store), two);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadWholeFile("dlm.db"), cut);   // no change, no write

    EXPECT_EQ(OpenAddClose(NEWKEY), STORE_FILE_DAMAGED);
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), cut);
    std::string after = ReadWholeFile("dlm.db");
    EXPECT_EQ(WordAt(after, 24), 3);
    two[NEWKEY] = Note("new", 1);
    store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    EXPECT_EQ(Snapshot(store), two);
    StoreClose(store, "dlm.db");
}

TEST_F(StoreDamageTest, AbsurdCountsAreBoundedByTheFile)
{
    const int32_t counts[] = {INT32_MAX, -5};
    for (int32_t count : counts) {
        SCOPED_TRACE(count);
        std::string bad = sound;
        PutWord(bad, 24, count);
        WriteWholeFile("dlm.db", bad);
        RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
        EXPECT_EQ(store->fileState, STORE_FILE_DAMAGED);
        EXPECT_EQ(store->root.entry.childCount, count > 0 ? 3 : 0);
        StoreClose(store, "dlm.db");
    }

    // A child count that swallows the following entries and then runs past the end.
    std::string bad = sound;
    PutWord(bad, IndexAt() + 12, 1000000);
    WriteWholeFile("dlm.db", bad);
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_DAMAGED);
    EXPECT_EQ(store->root.entry.childCount, 1);
    StoreItem *first = (StoreItem *)store->root.children->record;
    EXPECT_EQ(first->entry.childCount, 2);
    PutNote(store, NEWKEY, "new", 1);
    StoreClose(store, "dlm.db");
    std::string after = ReadWholeFile("dlm.db");
    EXPECT_EQ(WordAt(after, 24), 2);
    EXPECT_EQ(EntryAt(after, WordAt(after, 16)).childCount, 2);
    store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    StoreClose(store, "dlm.db");

    // A chain nested deeper than any store writes.
    std::string deep = sound.substr(0, IndexAt());
    PutWord(deep, 24, 1);
    for (int level = 0; level < 5000; level++) {
        IndexEntry e = {level, 0, 0, 1, 0};
        deep.append((const char *)&e, sizeof e);
    }
    WriteWholeFile("dlm.db", deep);
    store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_DAMAGED);
    PutNote(store, NEWKEY, "new", 1);
    StoreClose(store, "dlm.db");
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged2"), deep);
    store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    StoreClose(store, "dlm.db");
}

TEST_F(StoreDamageTest, RepeatedKeyEndsTheReading)
{
    std::string bad = sound;
    PutWord(bad, IndexAt() + 20, Date(2004, 1, 1));
    WriteWholeFile("dlm.db", bad);
    EXPECT_EQ(OpenAddClose(NEWKEY), STORE_FILE_DAMAGED);
    EXPECT_EQ(ReadNotes(), (NoteMap{{Date(2004, 1, 1), Note("one", 1)}, {NEWKEY, Note("new", 1)}}));
}

TEST_F(StoreDamageTest, SlotsOutsideTheDataAreaAreNeverRead)
{
    std::string bad = sound;
    PutWord(bad, IndexAt() + 4, 1 << 30);        // first note's offset
    PutWord(bad, IndexAt() + 20 + 8, -4);        // second note's length
    PutWord(bad, IndexAt() + 40 + 8, 1 << 30);   // third note's length
    WriteWholeFile("dlm.db", bad);
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_DAMAGED);
    NoteMap marksOnly = {
        {Date(2004, 1, 1), Note("", 1)}, {Date(2004, 1, 2), Note("", 0)}, {Date(2004, 1, 3), Note("", 1)}};
    EXPECT_EQ(Snapshot(store), marksOnly);
    StoreClose(store, "dlm.db");

    // A slot that the caller points past the end of the file reads as nothing.
    WriteWholeFile("dlm.db", sound);
    store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *item = (StoreItem *)TreeFind(store->root.children, Date(2004, 1, 2))->record;
    item->entry.dataOffset = (int32_t)sound.size() - 2;
    EXPECT_EQ(StoreGetData(item), nullptr);
    item->entry.dataOffset = 1 << 30;
    item->entry.dataLength = 1 << 30;
    EXPECT_EQ(StoreGetData(item), nullptr);
    StoreClose(store, "dlm.db");
}

TEST_F(StoreDamageTest, DataEndOutsideTheFile)
{
    const int32_t ends[] = {100, (int32_t)1 << 30};
    for (int32_t end : ends) {
        SCOPED_TRACE(end);
        std::filesystem::remove("dlm.db.damaged");
        std::string bad = sound;
        PutWord(bad, 16, end);
        WriteWholeFile("dlm.db", bad);
        EXPECT_EQ(OpenAddClose(NEWKEY), STORE_FILE_DAMAGED);
        EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), bad);
        EXPECT_EQ(ReadNotes(), (NoteMap{{NEWKEY, Note("new", 1)}}));
        EXPECT_LE(ReadWholeFile("dlm.db").size(), bad.size() + 24);
    }
}

TEST_F(StoreDamageTest, AnEarlierKeptCopyIsNeverOverwritten)
{
    WriteWholeFile("dlm.db.damaged", "older damaged file");
    std::string bad = sound.substr(0, sound.size() - 20);
    WriteWholeFile("dlm.db", bad);
    OpenAddClose(NEWKEY);
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), "older damaged file");
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged2"), bad);

    // The same damaged file again: it is kept already, no third copy.
    WriteWholeFile("dlm.db", bad);
    OpenAddClose(NEWKEY);
    EXPECT_FALSE(FileExists("dlm.db.damaged3"));
    EXPECT_EQ(TemporaryFilesHere(), 0);
}

}   // namespace

namespace {

// Two entries sharing one slot: editing one note must not change the other.
TEST_F(StoreDamageTest, OverlappingSlotsAreSeparatedAtClose)
{
    std::string shared = sound;
    IndexEntry first = EntryAt(sound, IndexAt());
    PutWord(shared, IndexAt() + 20 + 4, first.dataOffset);
    PutWord(shared, IndexAt() + 20 + 8, first.dataLength);
    WriteWholeFile("dlm.db", shared);
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *second = (StoreItem *)TreeFind(store->root.children, Date(2004, 1, 2))->record;
    EXPECT_STREQ(StoreGetData(second), "one");
    StoreSetData(second, "two", 4);
    StoreClose(store, "dlm.db");
    NoteMap expected = three;
    expected[Date(2004, 1, 2)] = Note("two", 0);
    EXPECT_EQ(ReadNotes(), expected);
}

}   // namespace

namespace {

// Every header field and every count that can disagree with the rest of the
// file makes it damaged, and the first save keeps it whole: lowering the note
// count used to hide the last notes and the next save dropped them.
TEST_F(StoreDamageTest, HeaderAndIndexThatDisagreeWithTheFileAreDamage)
{
    struct Case {
        const char *what;
        size_t offset;   // from the start, or from the index when fromIndex
        bool fromIndex;
        int32_t value;
    };
    const int32_t third = Date(2004, 1, 3);
    const Case cases[] = {
        {"note count one lower", 24, false, 2},
        {"note count zero", 24, false, 0},
        {"version", 4, false, 2},
        {"live bytes beyond the data area", 20, false, 100000},
        {"a child count where there are no children", 12, true, 1},
        {"keys out of order", 20, true, third},   // second entry takes the third's date
        {"a slot overlapping the next one", 20 + 8, true, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove("dlm.db.damaged");
        std::string bad = sound;
        PutWord(bad, (c.fromIndex ? IndexAt() : 0) + c.offset, c.value);
        WriteWholeFile("dlm.db", bad);
        RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
        StoreVerify(store, nullptr);   // as loomcal and the first save look
        EXPECT_EQ(store->fileState, STORE_FILE_DAMAGED);
        EXPECT_NE(store->damage[0], 0);
        StoreDiscard(store);
        OpenAddClose(NEWKEY);   // the program: its first save looks at the blocks too
        EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), bad);
        store = StoreOpen("dlm.db", 0, 0, 0);
        EXPECT_EQ(store->fileState, STORE_FILE_SOUND) << store->damage;
        StoreClose(store, "dlm.db");
    }
    // entries after the index: a lowered count cannot hide them
    std::string longer = sound;
    IndexEntry extra = {Date(2004, 1, 9), 0, 0, 0, 1};
    longer.append((const char *)&extra, sizeof extra);
    WriteWholeFile("dlm.db", longer);
    EXPECT_EQ(OpenAddClose(NEWKEY), STORE_FILE_DAMAGED);
}

// A slot cut short (its text's end lies beyond it) is found by the one look
// at the blocks that check, loomcal and the program's first save share.
TEST_F(StoreDamageTest, BlocksAreLookedAtBeforeTheFirstSave)
{
    std::string cut = sound;
    PutWord(cut, IndexAt() + 40 + 8, 3);   // "three" and its NUL: 6 bytes, now 3
    WriteWholeFile("dlm.db", cut);
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND) << "the index alone agrees";
    StoreVerifyResult look;
    StoreVerify(store, &look);
    EXPECT_EQ(store->fileState, STORE_FILE_DAMAGED);
    EXPECT_EQ(look.items, 3);
    EXPECT_EQ(look.unterminated, 1);
    EXPECT_EQ(look.firstUnterminated, Date(2004, 1, 3));
    StoreDiscard(store);

    // the program never calls StoreVerify itself: its first save does
    store = StoreOpen("dlm.db", 0, 0, 0);
    PutNote(store, NEWKEY, "new", 1);
    EXPECT_EQ(StoreSave(store, "dlm.db"), SAVE_OK);
    EXPECT_EQ(ReadWholeFile("dlm.db.damaged"), cut);
    StoreClose(store, "dlm.db");

    // text that is not GBK is reported, but it is the user's and not damage
    MakeStore({{Date(2004, 1, 1), Note("ok \x80 bad", 0)}, {Date(2004, 1, 2), Note("\xC4\xEA", 0)}});
    store = StoreOpen("dlm.db", 0, 0, 0);
    StoreVerify(store, &look);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    EXPECT_EQ(look.notGbk, 1);
    EXPECT_EQ(look.firstNotGbk, Date(2004, 1, 1));
    StoreDiscard(store);
}

}   // namespace
