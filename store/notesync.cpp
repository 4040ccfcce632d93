#include "notesync.h"
#include <stdlib.h>
#include <string.h>
#include "datalock.h"
#include "merge.h"
#include "recordstore.h"

// The notes as they were in the file when the program last read or wrote
// it: per date the mark followed by the data block.
struct NoteSnapshot {
    MergeKeyed *items;
    int32_t count, capacity;
};
static NoteSnapshot Base;
static FileStamp BaseStamp;
static char BaseName[4096];

static void FreeSnapshot(NoteSnapshot *s)
{
    for (int32_t i = 0; i < s->count; i++)
        free((void *)s->items[i].value.bytes);
    free(s->items);
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
            return 1;
        s->items = items;
        s->capacity = capacity;
    }
    // Reading the block here also keeps it in memory once the file is closed.
    const char *data = StoreGetData(item);
    uint32_t length = data && item->entry.dataLength > 0 ? (uint32_t)item->entry.dataLength : 0;
    char *bytes = (char *)malloc(4 + (size_t)length);
    if (!bytes)
        return 1;
    memcpy(bytes, &item->entry.userValue, 4);
    if (length)
        memcpy(bytes + 4, data, length);
    MergeKeyed *k = &s->items[s->count++];
    k->key = item->entry.key;
    k->value.bytes = bytes;
    k->value.size = 4 + length;
    return 0;
}

static int TakeSnapshot(RecordStore *store, NoteSnapshot *s)
{
    memset(s, 0, sizeof *s);
    if (TreeWalk(store->root.children, SnapshotCallback, s)) {
        FreeSnapshot(s);
        return 0;
    }
    return 1;
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
    FileStampOf(name, &BaseStamp);
    snprintf(BaseName, sizeof BaseName, "%s", name);
    if (locked)
        DataLockRelease(folder);
}

void NotesDiscard()
{
    StoreDiscard(DayNoteStore);
    DayNoteStore = 0;
    FreeSnapshot(&Base);
    memset(&BaseStamp, 0, sizeof BaseStamp);
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
    FileStampOf(name, &BaseStamp);
    snprintf(BaseName, sizeof BaseName, "%s", name);
    if (save && disk->storeChanged) {
        result = StoreSave(disk, name);
        if (result == SAVE_OK) {
            NoteSnapshot written;
            if (TakeSnapshot(disk, &written)) {
                FreeSnapshot(&Base);
                Base = written;
            }
            FileStampOf(name, &BaseStamp);
        }
    }
    // Every block is in memory by now (the snapshots read them).
    CloseFileOf(disk);
    StoreDiscard(DayNoteStore);
    DayNoteStore = disk;
    DataLockRelease(folder);
    return result;
}
