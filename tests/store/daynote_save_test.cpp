// The one save of a day note (the date information dialog's and loomcal's):
// what the text and the mark make of the note, in memory and on disk.
#include "store_testutil.h"
#include "store/recordstore.h"

namespace {

int32_t D(int y, int m, int d) { return y << 16 | m << 8 | d; }

struct NoteView {
    int32_t mark;
    const char *text;
};

// The note of a date as the dialog shows it: its mark and its text ("" when none).
NoteView View(int32_t date)
{
    StoreItem *item = FindDayNote(date);
    if (!item)
        return NoteView{0, ""};
    const char *data = item->entry.dataLength > 0 ? StoreGetData(item) : nullptr;
    return NoteView{item->entry.userValue != 0, data ? data : ""};
}

class SaveDayNoteTest : public StoreDirTest {
  protected:
    void SetUp() override
    {
        StoreDirTest::SetUp();
        DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    }
    void TearDown() override
    {
        StoreDiscard(DayNoteStore);
        StoreDirTest::TearDown();
    }
    // A note as it stood before the save: none, or a text (maybe empty) and a mark.
    void Put(int32_t date, const char *text, int mark)
    {
        StoreItem *item = StoreAddItem(&DayNoteStore->root, date);
        ASSERT_NE(nullptr, item);
        if (text)
            StoreSetData(item, text, (uint32_t)strlen(text) + 1);
        StoreSetUserValue(item, mark);
    }
};

TEST_F(SaveDayNoteTest, TextAndMarkDecideWhatTheNoteHolds)
{
    enum { NONE = -1 };
    struct Case {
        const char *what;
        const char *oldText;   // nullptr: no data
        int oldMark;           // NONE: no note at all
        int mark;
        const char *text;
        int result;
        bool exists;
        const char *newText;
        int newMark;
        int markChanged;
    } cases[] = {
        {"nothing to save", nullptr, NONE, 0, "", NOTE_SAVE_NOTHING, false, "", 0, 0},
        {"a new text", nullptr, NONE, 0, "abc", NOTE_SAVE_STORED, true, "abc", 0, 0},
        {"a new mark alone", nullptr, NONE, 1, "", NOTE_SAVE_STORED, true, "", 1, 1},
        {"text and mark", nullptr, NONE, 1, "记事", NOTE_SAVE_STORED, true, "记事", 1, 1},
        {"the text emptied, the mark kept", "old", 1, 1, "", NOTE_SAVE_STORED, true, "", 1, 0},
        {"the text emptied, the mark set", "old", 0, 1, "", NOTE_SAVE_STORED, true, "", 1, 1},
        {"text and mark cleared", "old", 0, 0, "", NOTE_SAVE_REMOVED, false, "", 0, 0},
        {"a marked text cleared", "old", 1, 0, "", NOTE_SAVE_REMOVED, false, "", 0, 1},
        {"a mark-only note unmarked", nullptr, 1, 0, "", NOTE_SAVE_REMOVED, false, "", 0, 1},
        {"a longer text and the mark", "old", 0, 1, "a much longer text", NOTE_SAVE_STORED, true,
         "a much longer text", 1, 1},
        {"a shorter text, unmarked", "old text", 1, 0, "new", NOTE_SAVE_STORED, true, "new", 0, 1},
        {"a text added to a mark", nullptr, 1, 1, "abc", NOTE_SAVE_STORED, true, "abc", 1, 0},
    };
    const int32_t date = D(2004, 1, 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        StoreDiscard(DayNoteStore);
        DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
        Put(D(2004, 1, 2), "neighbour", 1);
        if (c.oldMark != NONE)
            Put(date, c.oldText, c.oldMark);
        int changed = -1;
        EXPECT_EQ(c.result, SaveDayNote(date, c.mark, c.text, &changed));
        EXPECT_EQ(c.markChanged, changed);
        StoreItem *item = FindDayNote(date);
        EXPECT_EQ(c.exists, item != nullptr);
        NoteView view = View(date);
        EXPECT_STREQ(c.newText, view.text);
        EXPECT_EQ(c.newMark, view.mark);
        if (item && !c.newText[0]) {
            EXPECT_EQ(0, item->entry.dataLength);   // a mark-only note holds no data
        }
        // the other date is untouched
        EXPECT_STREQ("neighbour", View(D(2004, 1, 2)).text);
        EXPECT_EQ(1, View(D(2004, 1, 2)).mark);
    }
}

TEST_F(SaveDayNoteTest, AnEmptiedTextStaysGoneOnDisk)
{
    const int32_t date = D(2004, 1, 1);
    ASSERT_EQ(NOTE_SAVE_STORED, SaveDayNote(date, 1, "old text", nullptr));
    ASSERT_EQ(0, StoreSave(DayNoteStore, "dlm.db"));
    ASSERT_EQ(NOTE_SAVE_STORED, SaveDayNote(date, 1, "", nullptr));
    ASSERT_EQ(0, StoreSave(DayNoteStore, "dlm.db"));
    StoreDiscard(DayNoteStore);

    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *item = FindDayNote(date);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(1, item->entry.userValue);
    EXPECT_EQ(0, item->entry.dataOffset);
    EXPECT_STREQ("", View(date).text);
}

TEST_F(SaveDayNoteTest, NoStoreIsAFailure)
{
    StoreDiscard(DayNoteStore);
    EXPECT_EQ(nullptr, DayNoteStore);
    int changed = -1;
    EXPECT_EQ(NOTE_SAVE_FAILED, SaveDayNote(D(2004, 1, 1), 1, "x", &changed));
    EXPECT_EQ(0, changed);
}

}   // namespace
