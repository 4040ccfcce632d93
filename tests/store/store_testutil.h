// Helpers shared by the note store tests: a private working directory per
// test (the saves write their temporary files beside the data file) and
// plain snapshots of what a store holds.
#pragma once
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "store/fileio.h"
#include "store/recordstore.h"
#include "tests/testdir.h"

class StoreDirTest : public ::testing::Test {
  protected:
    std::unique_ptr<TempWorkDir> work;

    void SetUp() override
    {
        FileFaultReset(-1);
        work.reset(new TempWorkDir("loomstore_"));
    }
    void TearDown() override
    {
        FileFaultReset(-1);
        work.reset();
    }
};

inline std::string ReadWholeFile(const char *name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const char *name, const std::string &bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

inline int32_t WordAt(const std::string &bytes, size_t offset)
{
    int32_t v = 0;
    if (offset + 4 <= bytes.size())
        memcpy(&v, bytes.data() + offset, 4);
    return v;
}

inline void PutWord(std::string &bytes, size_t offset, int32_t v)
{
    if (bytes.size() < offset + 4)
        bytes.resize(offset + 4, '\0');
    memcpy(&bytes[offset], &v, 4);
}

inline int32_t Date(int year, int month, int day) { return year << 16 | month << 8 | day; }

// One note as the program sees it: the text (empty when there is no data) and the mark.
struct NoteValue {
    std::string text;
    int32_t mark;
    bool hasData;
    bool operator==(const NoteValue &o) const
    {
        return text == o.text && mark == o.mark && hasData == o.hasData;
    }
};
typedef std::map<int32_t, NoteValue> NoteMap;

inline int CollectNote(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    NoteValue v;
    v.mark = item->entry.userValue;
    char *data = StoreGetData(item);
    v.hasData = data != 0;
    if (data)
        v.text.assign(data, strnlen(data, (size_t)item->entry.dataLength));
    (*(NoteMap *)context)[item->entry.key] = v;
    return 0;
}

inline NoteMap Snapshot(RecordStore *store)
{
    NoteMap notes;
    TreeWalk(store->root.children, CollectNote, &notes);
    return notes;
}

// Opens the file, reads every note and closes without writing.
inline NoteMap ReadNotes(const char *name = "dlm.db")
{
    RecordStore *store = StoreOpen(name, 0, 0, 0);
    NoteMap notes = Snapshot(store);
    StoreClose(store, name);
    return notes;
}

inline void PutNote(RecordStore *store, int32_t date, const std::string &text, int32_t mark)
{
    TreeNode *node = TreeFind(store->root.children, date);
    StoreItem *item = node ? (StoreItem *)node->record : StoreAddItem(&store->root, date);
    ASSERT_NE(item, nullptr);
    if (!text.empty()) {
        ASSERT_NE(StoreSetData(item, text.c_str(), (uint32_t)text.size() + 1), nullptr);
    }
    StoreSetUserValue(item, mark);
}

inline NoteValue Note(const std::string &text, int32_t mark) { return NoteValue{text, mark, !text.empty()}; }

// Writes a fresh "dlm.db" holding exactly these notes.
inline void MakeStore(const NoteMap &notes, const char *name = "dlm.db")
{
    std::filesystem::remove(name);
    RecordStore *store = StoreOpen(name, 0, 0, 0);
    for (const auto &n : notes)
        PutNote(store, n.first, n.second.text, n.second.mark);
    StoreClose(store, name);
}

// Temporary files left in the current directory ("<name>.<pid>.tmp").
inline int TemporaryFilesHere()
{
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator("."))
        count += entry.path().extension() == ".tmp";
    return count;
}

inline IndexEntry EntryAt(const std::string &bytes, size_t offset)
{
    IndexEntry e;
    memset(&e, 0, sizeof e);
    if (offset + sizeof e <= bytes.size())
        memcpy(&e, bytes.data() + offset, sizeof e);
    return e;
}
