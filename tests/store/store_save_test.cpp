// Saving the note store while it stays open, and what a save will not do:
// replace a file it could not read, a read-only file or a file it cannot
// keep a copy of; and the reading of files that are damaged or not files.
#include "store_testutil.h"
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

class StoreSaveTest : public StoreDirTest {};

StoreItem *Top(RecordStore *store, int32_t key)
{
    TreeNode *node = TreeFind(store->root.children, key);
    return node ? (StoreItem *)node->record : nullptr;
}

NoteMap Twelve()
{
    NoteMap notes;
    for (int i = 0; i < 12; i++)
        notes[Date(2004, 5, 1 + i)] = Note(std::string(100, (char)('a' + i)), i % 2);
    return notes;
}

TEST_F(StoreSaveTest, TheStoreStaysOpenAndReadsFromTheNewFile)
{
    MakeStore(Twelve());
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    NoteMap wanted = Twelve();
    // shortening every note makes this save compact: every offset moves
    for (auto &n : wanted) {
        n.second.text = n.second.text.substr(0, 3);
        PutNote(store, n.first, n.second.text, n.second.mark);
    }
    StoreItem *first = Top(store, Date(2004, 5, 1));
    const char *held = StoreGetData(first);   // a caller may hold a block across a save
    ASSERT_GT(store->header.dataEnd, 2 * store->header.liveBytes);
    ASSERT_EQ(StoreSave(store, "dlm.db"), SAVE_OK);
    EXPECT_STREQ(held, "aaa");
    EXPECT_EQ(store->storeChanged, 0);
    EXPECT_EQ(first->changed, 0);
    EXPECT_EQ(store->header.dataEnd, store->header.liveBytes);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    // blocks not yet loaded are read from the new file at their new offsets
    StoreItem *last = Top(store, Date(2004, 5, 12));
    EXPECT_STREQ(StoreGetData(last), "lll");
    EXPECT_EQ(Snapshot(store), wanted);

    // a second save after one more edit writes only that one in place
    PutNote(store, Date(2004, 5, 2), "b2", 1);
    wanted[Date(2004, 5, 2)] = Note("b2", 1);
    ASSERT_EQ(StoreSave(store, "dlm.db"), SAVE_OK);
    EXPECT_EQ(StoreClose(store, "dlm.db"), SAVE_OK);   // nothing left to save
    EXPECT_EQ(ReadNotes(), wanted);
    EXPECT_EQ(TemporaryFilesHere(), 0);
}

TEST_F(StoreSaveTest, TemporaryAndLockFilesLieBesideTheDataFile)
{
    std::filesystem::create_directory("sub");
    // what earlier writers left behind when they died, and what is not theirs
    const char *stale[] = {"sub/dlm.db.4242.tmp", "sub/dlm.db.17-3.tmp"};
    const char *others[] = {"sub/dlm.db.damaged.tmp", "sub/dlm.db.x.tmp", "sub/other.tmp", "dlm.db.99.tmp"};
    for (const char *name : stale)
        WriteWholeFile(name, "half written");
    for (const char *name : others)
        WriteWholeFile(name, "keep");
    RecordStore *store = StoreOpen("sub/dlm.db", 0, 0, 0);
    PutNote(store, Date(2004, 1, 1), "abc", 1);
    ASSERT_EQ(StoreClose(store, "sub/dlm.db"), SAVE_OK);
    EXPECT_EQ(ReadNotes("sub/dlm.db"), (NoteMap{{Date(2004, 1, 1), Note("abc", 1)}}));
    for (const char *name : stale)
        EXPECT_FALSE(FileExists(name)) << name;
    for (const char *name : others)
        EXPECT_EQ(ReadWholeFile(name), "keep") << name;
    EXPECT_TRUE(FileExists("sub/dlm.lock"));
    EXPECT_FALSE(FileExists("dlm.lock"));
    EXPECT_FALSE(FileExists("ftemp123"));
}

TEST_F(StoreSaveTest, AReadOnlyFileIsReadButNotReplaced)
{
    MakeStore({{Date(2004, 1, 1), Note("abc", 1)}});
    const std::string before = ReadWholeFile("dlm.db");
    std::filesystem::permissions("dlm.db", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_SOUND);
    EXPECT_EQ(Snapshot(store), (NoteMap{{Date(2004, 1, 1), Note("abc", 1)}}));
    PutNote(store, Date(2004, 1, 2), "new", 0);
    EXPECT_EQ(StoreSave(store, "dlm.db"), SAVE_READ_ONLY);
    EXPECT_EQ(ReadWholeFile("dlm.db"), before);
    std::filesystem::permissions("dlm.db", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(StoreClose(store, "dlm.db"), SAVE_OK);
    EXPECT_EQ(ReadNotes().size(), 2u);
}

TEST_F(StoreSaveTest, WhatCannotBeReadIsNeverReplaced)
{
    std::filesystem::create_directory("dlm.db");
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_UNREADABLE);
    EXPECT_STRNE(store->openError, "");
    PutNote(store, Date(2004, 1, 1), "abc", 1);
    EXPECT_EQ(StoreClose(store, "dlm.db"), SAVE_UNREADABLE);
    EXPECT_TRUE(std::filesystem::is_directory("dlm.db"));
    std::filesystem::remove("dlm.db");
#ifndef _WIN32
    // opening a FIFO must not wait for a writer
    ASSERT_EQ(mkfifo("dlm.db", 0644), 0);
    store = StoreOpen("dlm.db", 0, 0, 0);
    EXPECT_EQ(store->fileState, STORE_FILE_UNREADABLE);
    EXPECT_STREQ(store->openError, "not a regular file");
    StoreClose(store, "dlm.db");
#endif
}

TEST_F(StoreSaveTest, EveryReadOfANoteEndsInsideItsSlot)
{
    MakeStore({{Date(2004, 1, 1), Note("abc", 1)}});
    std::string file = ReadWholeFile("dlm.db");
    ASSERT_EQ(file.size(), 308u);
    file[287] = 'd';   // the NUL of "abc"
    WriteWholeFile("dlm.db", file);
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    StoreItem *item = Top(store, Date(2004, 1, 1));
    const char *text = StoreGetData(item);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(strlen(text), 4u);
    // a text set without its NUL ends inside its block as well
    StoreSetData(item, "wxyz", 4);
    EXPECT_EQ(strlen(StoreGetData(item)), 4u);
    StoreClose(store, "dlm.db");
}

TEST_F(StoreSaveTest, TheMoveIsMadeDurableAndAFailureThereIsReported)
{
    // Fails each step alone; the one after the move is the folder sync.
    std::vector<int> results;
    for (int64_t k = 0; k < 100; k++) {
        MakeStore({{Date(2004, 1, 1), Note("abc", 1)}});
        RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
        PutNote(store, Date(2004, 1, 2), "def", 0);
        FileFaultFailOne(k);
        int result = StoreSave(store, "dlm.db");
        bool failed = FileFaultTripped() != 0;
        FileFaultReset(-1);
        StoreClose(store, "dlm.db");
        if (!failed)
            break;
        results.push_back(result);
    }
    ASSERT_GE(results.size(), 3u);
    EXPECT_EQ(results[results.size() - 1], SAVE_NOT_DURABLE);
    EXPECT_EQ(results[results.size() - 2], SAVE_REPLACE_FAILED);
    EXPECT_EQ(results[results.size() - 3], SAVE_WRITE_FAILED);   // the new file is flushed and closed first
}

#ifndef _WIN32
// A data file kept elsewhere through a symbolic link (a synced folder, say):
// the save replaces the target in its own folder, and the link stays a link.
// A file with a second hard link is not replaced at all: the other name
// would keep the old content and never learn of the new.
TEST_F(StoreSaveTest, LinksAreFollowedAndSeveralHardLinksRefused)
{
    std::filesystem::create_directories("synced/deeper");
    MakeStore(Twelve(), "synced/deeper/notes.db");
    // a relative link to a relative link, as people make them
    std::filesystem::create_symlink("deeper/notes.db", "synced/link.db");
    std::filesystem::create_symlink("synced/link.db", "dlm.db");
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    PutNote(store, Date(2004, 5, 1), "changed", 1);
    ASSERT_EQ(StoreClose(store, "dlm.db"), SAVE_OK);
    EXPECT_TRUE(std::filesystem::is_symlink("dlm.db"));
    EXPECT_TRUE(std::filesystem::is_symlink("synced/link.db"));
    NoteMap expected = Twelve();
    expected[Date(2004, 5, 1)] = Note("changed", 1);
    EXPECT_EQ(ReadNotes("synced/deeper/notes.db"), expected);
    EXPECT_EQ(TemporaryFilesHere(), 0);

    // a link whose target is not there yet: the new file is made there
    std::filesystem::create_symlink("synced/new.db", "other.db");
    store = StoreOpen("other.db", 0, 0, 0);
    PutNote(store, Date(2004, 1, 1), "abc", 1);
    ASSERT_EQ(StoreClose(store, "other.db"), SAVE_OK);
    EXPECT_TRUE(std::filesystem::is_symlink("other.db"));
    EXPECT_EQ(ReadNotes("synced/new.db"), (NoteMap{{Date(2004, 1, 1), Note("abc", 1)}}));

    // two hard links: refused, both names keep what they had
    std::filesystem::remove("dlm.db");
    MakeStore(Twelve());
    std::filesystem::create_hard_link("dlm.db", "second.db");
    const std::string before = ReadWholeFile("dlm.db");
    store = StoreOpen("dlm.db", 0, 0, 0);
    PutNote(store, Date(2004, 5, 1), "changed", 1);
    EXPECT_EQ(StoreSave(store, "dlm.db"), SAVE_HARD_LINKED);
    EXPECT_NE(std::string(SaveFailureText(SAVE_HARD_LINKED)).find("hard links"), std::string::npos);
    EXPECT_EQ(ReadWholeFile("dlm.db"), before);
    EXPECT_EQ(ReadWholeFile("second.db"), before);
    // the notes stay in memory: once the second name is gone the save goes through
    std::filesystem::remove("second.db");
    EXPECT_EQ(StoreClose(store, "dlm.db"), SAVE_OK);
    EXPECT_EQ(ReadNotes(), expected);

    // the same for every file written whole ("dlm.ini", the sticky note, an export)
    WriteWholeFile("synced/dlm.ini", "old");
    std::filesystem::create_symlink("synced/dlm.ini", "dlm.ini");
    EXPECT_EQ(FileWriteComplete("dlm.ini", "new", 3), SAVE_OK);
    EXPECT_TRUE(std::filesystem::is_symlink("dlm.ini"));
    EXPECT_EQ(ReadWholeFile("synced/dlm.ini"), "new");
    std::filesystem::create_hard_link("synced/dlm.ini", "copy.ini");
    EXPECT_EQ(FileWriteComplete("dlm.ini", "newer", 5), SAVE_HARD_LINKED);
    EXPECT_EQ(ReadWholeFile("copy.ini"), "new");
}
#endif

}   // namespace
