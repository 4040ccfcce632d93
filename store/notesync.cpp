#include "notesync.h"
#include <stdlib.h>
#include <string.h>
#include "datalock.h"
#include "merge.h"
#include "recordstore.h"

// The notes as they were in the file when the program last read or wrote
// it: per date the mark followed by the data block. The blocks lie one after
// another in one arena: a snapshot of 100,000 notes is three allocations,
// not 100,000.
struct NoteSnapshot {
    MergeKeyed *items;
    int32_t count, capacity;
    char *arena;
    size_t used, size;
    int failed;
};
static NoteSnapshot Base;
static FileStamp BaseStamp;
static char BaseName[4096];
// A hash of the file's bytes as the program last read or wrote them: with
// the stamp it tells that the file is still the program's own, even when
// another writer replaced it within the same tick of the file times with a
// file of the same size.
static uint64_t BaseHash;
static int BaseHashKnown;

static void FreeSnapshot(NoteSnapshot *s)
{
    free(s->items);
    free(s->arena);
    memset(s, 0, sizeof *s);
}

static int SnapshotCallback(void *record, void *context)
{
    NoteSnapshot *s = (NoteSnapshot *)context;
    StoreItem *item = (StoreItem *)record;
    if (s->count == s->capacity) {
        int32_t capacity = s->capacity ? 2 * s->capacity : 64;
        MergeKeyed *items = (MergeKeyed *)realloc(s->items, (size_t)capacity * sizeof *items);
        if (!items)
            return s->failed = 1;
        s->items = items;
        s->capacity = capacity;
    }
    // Reading the block here also keeps it in memory once the file is closed.
    const char *data = StoreGetData(item);
    uint32_t length = data && item->entry.dataLength > 0 ? (uint32_t)item->entry.dataLength : 0;
    if (s->size - s->used < 4 + (size_t)length) {
        size_t size = s->size ? 2 * s->size : 65536;
        while (size - s->used < 4 + (size_t)length)
            size *= 2;
        char *arena = (char *)realloc(s->arena, size);
        if (!arena)
            return s->failed = 1;
        s->arena = arena;
        s->size = size;
    }
    memcpy(s->arena + s->used, &item->entry.userValue, 4);
    if (length)
        memcpy(s->arena + s->used + 4, data, length);
    MergeKeyed *k = &s->items[s->count++];
    k->key = item->entry.key;
    // an offset until the arena has stopped moving
    k->value.bytes = (const void *)(uintptr_t)s->used;
    k->value.size = 4 + length;
    s->used += 4 + (size_t)length;
    return 0;
}

static int TakeSnapshot(RecordStore *store, NoteSnapshot *s)
{
    memset(s, 0, sizeof *s);
    // Sized from what the file held, so that the arena rarely moves: a move
    // of megabytes is a copy of them.
    const int32_t hint = store->root.entry.childCount;
    if (hint > 0) {
        s->items = (MergeKeyed *)malloc((size_t)hint * sizeof *s->items);
        s->capacity = s->items ? hint : 0;
        s->size = (size_t)hint * 4 + (store->header.liveBytes > 0 ? (size_t)store->header.liveBytes : 0) + 4096;
        s->arena = (char *)malloc(s->size);
        if (!s->arena)
            s->size = 0;
    }
    TreeWalk(store->root.children, SnapshotCallback, s);
    if (s->failed) {
        FreeSnapshot(s);
        return 0;
    }
    for (int32_t i = 0; i < s->count; i++)
        s->items[i].value.bytes = s->arena + (uintptr_t)s->items[i].value.bytes;
    return 1;
}

// A 64-bit hash of the file's bytes, eight at a time (the file is read in
// full at every save, so the byte-at-a-time kind cost milliseconds); 0 when
// it cannot be read whole.
static int HashFile(const char *name, uint64_t *hash)
{
    int missing;
    FILE *f = FileOpenRegular(name, &missing);
    if (!f)
        return 0;
    uint64_t h = 14695981039346656037ull;
    static unsigned char buffer[65536 + 8];
    size_t n;
    while ((n = fread(buffer, 1, 65536, f)) > 0) {
        memset(buffer + n, 0, 8);   // a short last word is padded with zeros
        for (size_t i = 0; i < n; i += 8) {
            uint64_t word;
            memcpy(&word, buffer + i, 8);
            h = (h ^ word) * 0x9E3779B97F4A7C15ull;
            h ^= h >> 29;
        }
        h ^= n;   // the length too: zeros at the end are not padding
    }
    int whole = !ferror(f);
    fclose(f);
    *hash = h;
    return whole;
}

// The file as it is now becomes the base of the next merge: its notes (as
// store holds them), its stamp and its hash.
static void NoteFileAsBase(const char *name)
{
    FileStampOf(name, &BaseStamp);
    BaseHashKnown = HashFile(name, &BaseHash);
    snprintf(BaseName, sizeof BaseName, "%s", name);
}

// 1 when the file is still the one the program last read or wrote.
static int FileIsBase(const char *name)
{
    if (!BaseHashKnown || strcmp(name, BaseName) != 0)
        return 0;
    FileStamp now;
    FileStampOf(name, &now);
    uint64_t hash;
    return FileStampsEqual(&now, &BaseStamp) && HashFile(name, &hash) && hash == BaseHash;
}

static void CloseFileOf(RecordStore *store)
{
    if (store->file) {
        fclose(store->file);
        store->file = 0;
    }
}

void NotesOpen(const char *name)
{
    NotesDiscard();
    char folder[4096];
    FileFolderOf(name, folder, sizeof folder);
    // Without the lock a base is taken all the same: a file being replaced
    // at this moment is seen whole, before or after.
    int locked = DataLockAcquire(folder, DataLockWaitMs) == DATALOCK_OK;
    DayNoteStore = StoreOpen(name, 0, 0, 0);
    if (DayNoteStore) {
        TakeSnapshot(DayNoteStore, &Base);
        CloseFileOf(DayNoteStore);
    }
    NoteFileAsBase(name);
    if (locked)
        DataLockRelease(folder);
}

void NotesDiscard()
{
    StoreDiscard(DayNoteStore);
    DayNoteStore = 0;
    FreeSnapshot(&Base);
    memset(&BaseStamp, 0, sizeof BaseStamp);
    BaseHashKnown = 0;
    BaseName[0] = 0;
}

int NotesFileChanged(const char *name)
{
    FileStamp now;
    FileStampOf(name, &now);
    return !FileStampsEqual(&now, &BaseStamp);
}

// Makes the note of the date in store what value says (mark, then data).
static int ApplyNote(RecordStore *store, int32_t date, const MergeBlob *value)
{
    TreeNode *node = TreeFind(store->root.children, date);
    StoreItem *item = node ? (StoreItem *)node->record : 0;
    int32_t mark;
    memcpy(&mark, value->bytes, 4);
    uint32_t length = value->size - 4;
    if (item && length == 0 && item->entry.dataLength > 0) {
        // the store cannot take an item's data away: a mark-only note is a fresh item
        StoreDeleteItem(item);
        item = 0;
    }
    if (!item && !(item = StoreAddItem(&store->root, date)))
        return 0;
    if (length && !StoreSetData(item, (const char *)value->bytes + 4, length))
        return 0;
    StoreSetUserValue(item, mark);
    return 1;
}

int NotesSync(const char *name, int save)
{
    FileErrorText[0] = 0;
    char folder[4096];
    int lock = DataLockForFile(name, folder, sizeof folder);
    if (lock != SAVE_OK)
        return lock;
    // Nobody wrote the file since the program last read or wrote it: the
    // notes in memory are the merge, and reading 100,000 notes back would
    // make every save of the dialog take most of a second.
    if (DayNoteStore && DayNoteStore->fileState != STORE_FILE_UNREADABLE && FileIsBase(name)) {
        int result = SAVE_OK;
        if (save && DayNoteStore->storeChanged) {
            NoteSnapshot written;
            // The save copies the data area of the file the store was read
            // from, which is this file: open again for it.
            int missing;
            DayNoteStore->file = FileOpenRegular(name, &missing);
            result = DayNoteStore->file ? StoreSave(DayNoteStore, name) : SAVE_WRITE_FAILED;
            // the save opened the new file again; another writer must be able to replace it
            CloseFileOf(DayNoteStore);
            if (result == SAVE_OK && TakeSnapshot(DayNoteStore, &written)) {
                FreeSnapshot(&Base);
                Base = written;
                NoteFileAsBase(name);
            } else if (result == SAVE_OK) {
                // no room for the new base: the next save merges over the file, which holds it all
                BaseHashKnown = 0;
            }
        }
        DataLockRelease(folder);
        return result;
    }
    RecordStore *disk = StoreOpen(name, 0, 0, 0);
    NoteSnapshot theirs, ours;
    int result = SAVE_OK;
    if (!disk) {
        result = SAVE_NO_MEMORY;
    } else if (disk->fileState == STORE_FILE_UNREADABLE) {
        // What could not be read is not replaced: the user may still want it.
        snprintf(FileErrorText, sizeof FileErrorText, "%s", disk->openError);
        result = SAVE_UNREADABLE;
    } else if (!TakeSnapshot(disk, &theirs)) {
        result = SAVE_NO_MEMORY;
    } else if (!DayNoteStore || !TakeSnapshot(DayNoteStore, &ours)) {
        FreeSnapshot(&theirs);
        result = SAVE_NO_MEMORY;
    }
    if (result != SAVE_OK) {
        StoreDiscard(disk);
        DataLockRelease(folder);
        return result;
    }

    // A file that is gone, or one the program has no base for, holds
    // nothing to keep: the program writes all it holds, as at first.
    const int noBase = !FileExists(name) || strcmp(name, BaseName) != 0;
    const NoteSnapshot *merged = noBase ? &ours : &theirs;
    int32_t room = ours.count + merged->count;
    MergePick *picks = (MergePick *)malloc((size_t)(room ? room : 1) * sizeof *picks);
    int32_t n = picks ? MergeKeyedItems(noBase ? ours.items : Base.items, noBase ? ours.count : Base.count,
                                        ours.items, ours.count, merged->items, merged->count, picks)
                      : 0;
    if (!picks)
        result = SAVE_NO_MEMORY;
    // The file's store takes the merged notes: the picks are in date order,
    // so every date of the file that no pick names is deleted on the way.
    int32_t t = 0;
    for (int32_t i = 0; i < n && result == SAVE_OK; i++) {
        const MergeKeyed *k = picks[i].from == MERGE_FROM_OURS ? &ours.items[picks[i].index]
                                                               : &merged->items[picks[i].index];
        for (; t < theirs.count && theirs.items[t].key < k->key; t++)
            StoreDeleteItem((StoreItem *)TreeFind(disk->root.children, theirs.items[t].key)->record);
        int same = t < theirs.count && theirs.items[t].key == k->key &&
                   MergeBlobsEqual(&theirs.items[t].value, &k->value);
        if (t < theirs.count && theirs.items[t].key == k->key)
            t++;
        if (!same && !ApplyNote(disk, k->key, &k->value))
            result = SAVE_NO_MEMORY;
    }
    for (; result == SAVE_OK && t < theirs.count; t++)
        StoreDeleteItem((StoreItem *)TreeFind(disk->root.children, theirs.items[t].key)->record);
    free(picks);
    FreeSnapshot(&ours);

    if (result != SAVE_OK) {
        // nothing changes in memory: the next attempt merges again
        FreeSnapshot(&theirs);
        StoreDiscard(disk);
        DataLockRelease(folder);
        return result;
    }
    // The base is the file as read; what the program changed stays a change.
    FreeSnapshot(&Base);
    Base = theirs;
    NoteFileAsBase(name);
    if (save && disk->storeChanged) {
        result = StoreSave(disk, name);
        if (result == SAVE_OK) {
            NoteSnapshot written;
            if (TakeSnapshot(disk, &written)) {
                FreeSnapshot(&Base);
                Base = written;
                NoteFileAsBase(name);
            } else {
                // the base is still the file as read: the next save merges again
                FileStampOf(name, &BaseStamp);
                BaseHashKnown = 0;
            }
        }
    }
    // Every block is in memory by now (the snapshots read them).
    CloseFileOf(disk);
    StoreDiscard(DayNoteStore);
    DayNoteStore = disk;
    DataLockRelease(folder);
    return result;
}
