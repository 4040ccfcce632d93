#include "recordstore.h"
#include "datalock.h"
#include "fileio.h"
#include "../records/gbk.h"
#include <stdlib.h>
#include <string.h>

// The file is little-endian and the structures are read and written as they lie in memory.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the note store assumes a little-endian machine"
#endif
static_assert(sizeof(StoreHeader) == STORE_HEADER_SIZE, "header layout");
static_assert(sizeof(IndexEntry) == STORE_ENTRY_SIZE, "entry layout");

RecordStore *DayNoteStore = 0;

// Items nest through recursive walks; a file may not nest deeper than this
// (the program's notes never have children at all).
#define STORE_MAX_LEVELS 64

static int32_t ClampInt32(int64_t v)
{
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return (int32_t)v;
}

static int64_t FileSizeOf(FILE *f)
{
    if (fseek(f, 0, SEEK_END) != 0)
        return -1;
    long size = ftell(f);
    return size;
}

StoreItem *FindDayNote(int32_t date)
{
    if (!DayNoteStore)
        return 0;
    TreeNode *node = TreeFind(DayNoteStore->root.children, date);
    return node ? (StoreItem *)node->record : 0;
}

int SaveDayNote(int32_t date, int mark, const char *text, int *markChanged)
{
    if (markChanged)
        *markChanged = 0;
    if (!DayNoteStore)
        return NOTE_SAVE_FAILED;
    const size_t n = text ? strlen(text) : 0;
    StoreItem *item = FindDayNote(date);
    const int oldMark = item && item->entry.userValue != 0;

    if (!mark && n == 0) {
        if (!item)
            return NOTE_SAVE_NOTHING;
        StoreDeleteItem(item);
        if (markChanged)
            *markChanged = oldMark;
        return NOTE_SAVE_REMOVED;
    }
    if (item && n == 0 && item->entry.dataLength > 0) {
        // The store cannot take an item's data away: a mark-only note is a
        // fresh item, so the old text does not come back the next time.
        StoreDeleteItem(item);
        item = 0;
    }
    const int fresh = !item;
    if (fresh)
        item = StoreAddItem(&DayNoteStore->root, date);
    if (!item)
        return NOTE_SAVE_FAILED;
    if (n > 0 && !StoreSetData(item, text, (uint32_t)(n + 1))) {
        if (fresh)
            StoreDeleteItem(item);
        return NOTE_SAVE_FAILED;
    }
    StoreSetUserValue(item, mark ? 1 : 0);
    if (markChanged)
        *markChanged = oldMark != (mark ? 1 : 0);
    return NOTE_SAVE_STORED;
}

// ---- opening ----

// The first reason the file disagrees with itself is the one given.
static void SetDamage(RecordStore *store, const char *why)
{
    if (!store->damage[0])
        snprintf(store->damage, sizeof store->damage, "%s", why);
}

// Buffered reader over the index area; every entry read is checked against the file.
struct IndexReader {
    FILE *file;
    char *buffer;
    size_t used;
    size_t filled;
};

enum { INDEX_CHUNK = 64 * 1024 };

static int ReadEntry(IndexReader *reader, IndexEntry *entry)
{
    if (reader->filled - reader->used < STORE_ENTRY_SIZE) {
        size_t rest = reader->filled - reader->used;
        memmove(reader->buffer, reader->buffer + reader->used, rest);
        reader->filled = rest + fread(reader->buffer + rest, 1, INDEX_CHUNK - rest, reader->file);
        reader->used = 0;
        if (reader->filled < STORE_ENTRY_SIZE)
            return 0;
    }
    memcpy(entry, reader->buffer + reader->used, STORE_ENTRY_SIZE);
    reader->used += STORE_ENTRY_SIZE;
    return 1;
}

// Reads the index below the root and checks every header field against
// the rest of the file. Returns 1 when all of it was read and agrees, 0
// otherwise (the first disagreement in store->damage); in both cases each
// kept item's child count equals the children actually kept.
static int ReadIndex(RecordStore *store, int64_t fileSize)
{
    StoreHeader *h = &store->header;
    int sound = 1;
    int32_t declaredRoots = h->rootCount;
    store->root.entry.childCount = 0;
    if (h->dataEnd < STORE_HEADER_SIZE || h->dataEnd > fileSize) {
        // No index can be found; new blocks go at the end of what is there.
        h->dataEnd = h->dataEnd < STORE_HEADER_SIZE ? STORE_HEADER_SIZE : ClampInt32(fileSize);
        SetDamage(store, "the header places the index outside the file");
        return 0;
    }
    if (h->version != 1) {
        // read on all the same: the notes are shown, and kept before any save
        SetDamage(store, "the header has an unknown version");
        sound = 0;
    }
    if (h->liveBytes > h->dataEnd) {
        SetDamage(store, "the header counts more live bytes than the data area holds");
        sound = 0;
    }
    if (declaredRoots < 0) {
        SetDamage(store, "the header's note count is negative");
        return 0;
    }
    if (fseek(store->file, h->dataEnd, SEEK_SET) != 0) {
        SetDamage(store, "the index cannot be read");
        return 0;
    }

    IndexReader reader;
    reader.file = store->file;
    reader.buffer = (char *)malloc(INDEX_CHUNK);
    reader.used = 0;
    reader.filled = 0;
    if (!reader.buffer) {
        SetDamage(store, "out of memory");
        return 0;
    }

    struct Level {
        StoreItem *item;
        int32_t remaining;
        int32_t kept;
        int32_t lastKey;   // the store writes each level in ascending key order
    } levels[STORE_MAX_LEVELS + 1];
    int depth = 0;
    levels[0].item = &store->root;
    levels[0].remaining = declaredRoots;
    levels[0].kept = 0;
    depth = 1;
    int64_t entries = 0;

    while (depth > 0) {
        Level *top = &levels[depth - 1];
        if (top->remaining == 0) {
            top->item->entry.childCount = top->kept;
            depth--;
            continue;
        }
        IndexEntry entry;
        if (!ReadEntry(&reader, &entry)) {
            SetDamage(store, "the index ends before the header's note count or a child count is reached");
            sound = 0;
            break;
        }
        entries++;
        top->remaining--;
        if (entry.childCount < 0) {
            SetDamage(store, "an index entry has a negative child count");
            sound = 0;
            break;
        }
        if (top->kept > 0 && entry.key <= top->lastKey) {
            SetDamage(store, "the index is not in key order (two entries for one date, or a changed date)");
            sound = 0;
        }
        top->lastKey = entry.key;
        int32_t declaredChildren = entry.childCount;
        entry.childCount = 0;
        if (entry.dataLength < 0 ||
            (entry.dataLength > 0 && (entry.dataOffset < STORE_HEADER_SIZE ||
                                      (int64_t)entry.dataOffset + entry.dataLength > h->dataEnd))) {
            // The slot cannot be this file's: keep the item (its key and
            // mark) without data rather than read anything outside the area.
            entry.dataOffset = 0;
            entry.dataLength = 0;
            SetDamage(store, "a note's block lies outside the data area");
            sound = 0;
        }
        StoreItem fresh;
        memset(&fresh, 0, sizeof fresh);
        fresh.parent = top->item;
        fresh.store = store;
        fresh.entry = entry;
        TreeNode *node = TreeInsert(&top->item->children, entry.key, &fresh, sizeof fresh);
        if (!node) {
            SetDamage(store, "two index entries for one date, or the index nests too deep");
            sound = 0;
            break;
        }
        top->kept++;
        if (declaredChildren > 0) {
            if (depth > STORE_MAX_LEVELS) {
                SetDamage(store, "the index nests too deep");
                sound = 0;
                break;
            }
            levels[depth].item = (StoreItem *)node->record;
            levels[depth].remaining = declaredChildren;
            levels[depth].kept = 0;
            depth++;
        }
    }
    // Reading stopped early: what was kept is what will be written back.
    for (int i = 0; i < depth; i++)
        levels[i].item->entry.childCount = levels[i].kept;
    free(reader.buffer);
    // The index is the file's last part: entries after it mean a count in
    // the header (or an entry's child count) says too few, and a save would
    // drop the notes they hold.
    if (depth == 0 && (int64_t)h->dataEnd + entries * STORE_ENTRY_SIZE != fileSize) {
        SetDamage(store, "the file goes on after the index: the header's note count or a child count is too low");
        sound = 0;
    }
    // Overlapping blocks are looked for with the blocks (StoreVerify), so
    // that opening stays as quick as reading the index.
    return sound;
}

RecordStore *StoreOpen(const char *name, int32_t id0, int32_t id1, int32_t id2)
{
    RecordStore *store = (RecordStore *)calloc(1, sizeof(RecordStore));
    if (!store)
        return 0;
    store->root.store = store;
    store->fileState = STORE_FILE_NEW;

    // The store only ever reads its file: every save writes a new one.
    int missing = 0;
    FILE *f = FileOpenRegular(name, &missing);
    if (!f && !missing) {
        store->fileState = STORE_FILE_UNREADABLE;
        snprintf(store->openError, sizeof store->openError, "%s", FileErrorText);
    }
    if (f) {
        StoreHeader h;
        size_t got = fread(&h, 1, sizeof h, f);
        if (got == sizeof h && h.id0 == id0 && h.id1 == id1 && h.id2 == id2) {
            int64_t fileSize = FileSizeOf(f);
            store->header = h;
            store->file = f;
            if (fileSize >= STORE_HEADER_SIZE && ReadIndex(store, fileSize))
                store->fileState = STORE_FILE_SOUND;
            else
                store->fileState = STORE_FILE_DAMAGED;
            return store;
        }
        // An empty file holds nothing; anything else that is not a note file
        // may be the user's notes behind a changed byte, and is not taken for
        // an empty store.
        if (got > 0 || !feof(f)) {
            store->fileState = STORE_FILE_FOREIGN;
            snprintf(store->damage, sizeof store->damage, "%s",
                     got < sizeof h ? "the file is shorter than a note file's header"
                                    : "its header is not a note file's");
        }
        fclose(f);
    }
    StoreHeader *h = &store->header;
    h->id0 = id0;
    h->version = 1;
    h->id1 = id1;
    h->id2 = id2;
    h->dataEnd = STORE_HEADER_SIZE;
    h->liveBytes = STORE_HEADER_SIZE;
    h->rootCount = 0;
    return store;
}

// ---- items ----

static int ItemLevel(const StoreItem *item)
{
    int level = 0;
    for (; item->parent; item = item->parent)
        level++;
    return level;
}

StoreItem *StoreAddItem(StoreItem *parent, int32_t key)
{
    if (!parent || !parent->store)
        return 0;
    if (ItemLevel(parent) >= STORE_MAX_LEVELS)
        return 0;   // the file could not be read back
    StoreItem fresh;
    memset(&fresh, 0, sizeof fresh);
    fresh.entry.key = key;
    TreeNode *node = TreeInsert(&parent->children, key, &fresh, sizeof fresh);
    if (!node)
        return 0;
    StoreItem *item = (StoreItem *)node->record;
    item->parent = parent;
    item->store = parent->store;
    parent->entry.childCount++;
    parent->store->storeChanged = 1;
    return item;
}

static void AdjustLiveBytes(RecordStore *store, int64_t delta)
{
    store->header.liveBytes = ClampInt32((int64_t)store->header.liveBytes + delta);
}

static int ReleaseDeletedCallback(void *record, void *context);

// Frees an item's block and all its descendants, taking their slots out of liveBytes.
static void ReleaseDeletedContents(StoreItem *item)
{
    AdjustLiveBytes(item->store, -(int64_t)item->entry.dataLength);
    free(item->data);
    item->data = 0;
    TreeWalk(item->children, ReleaseDeletedCallback, 0);
    TreeDestroy(&item->children);
}

static int ReleaseDeletedCallback(void *record, void *context)
{
    ReleaseDeletedContents((StoreItem *)record);
    return 0;
}

void StoreDeleteItem(StoreItem *item)
{
    if (!item || !item->parent)
        return;
    StoreItem *parent = item->parent;
    RecordStore *store = item->store;
    int32_t key = item->entry.key;
    parent->entry.childCount--;
    ReleaseDeletedContents(item);
    TreeDelete(&parent->children, key);
    store->storeChanged = 1;
}

char *StoreSetData(StoreItem *item, const void *bytes, uint32_t length)
{
    if (!item || !item->store)
        return 0;
    RecordStore *store = item->store;
    int32_t slot = item->entry.dataLength;
    int grows = (int64_t)length > slot;
    if (grows && (int64_t)store->header.dataEnd + length > INT32_MAX)
        return 0;   // no file offset could address the block
    // A loaded block always spans its whole slot; the tail of a reused slot
    // holds zeros (day-note text ends at its NUL anyway).
    size_t blockSize = grows ? length : (size_t)slot;
    char *block = (char *)malloc(blockSize + 1);
    if (!block)
        return 0;
    if (length)
        memcpy(block, bytes, length);
    memset(block + length, 0, blockSize + 1 - length);
    free(item->data);
    item->data = block;
    AdjustLiveBytes(store, (int64_t)length - slot);
    if (grows) {
        item->entry.dataOffset = store->header.dataEnd;
        item->entry.dataLength = (int32_t)length;
        store->header.dataEnd += (int32_t)length;
    }
    item->changed = 1;
    store->storeChanged = 1;
    return block;
}

char *StoreGetData(StoreItem *item)
{
    if (!item || item->entry.dataLength <= 0)
        return 0;
    if (item->data)
        return item->data;
    RecordStore *store = item->store;
    if (!store || !store->file || item->entry.dataOffset < STORE_HEADER_SIZE)
        return 0;
    int64_t size = FileSizeOf(store->file);
    if ((int64_t)item->entry.dataOffset + item->entry.dataLength > size)
        return 0;
    // One byte more than the slot, always NUL: a text whose own NUL was lost
    // still ends inside its block for every reader.
    char *block = (char *)malloc((size_t)item->entry.dataLength + 1);
    if (!block)
        return 0;
    if (fseek(store->file, item->entry.dataOffset, SEEK_SET) != 0 ||
        fread(block, 1, item->entry.dataLength, store->file) != (size_t)item->entry.dataLength) {
        free(block);
        return 0;
    }
    block[item->entry.dataLength] = 0;
    item->data = block;
    return block;
}

void StoreSetUserValue(StoreItem *item, int32_t value)
{
    if (!item || item->entry.userValue == value)
        return;
    item->entry.userValue = value;
    if (item->store)
        item->store->storeChanged = 1;
}

// ---- saving ----

// Sequential output through a buffer, so that a save costs few writing steps.
struct OutFile {
    FILE *file;
    char *buffer;
    size_t used;
    int64_t flushed;   // the file offset the buffer starts at: ftell is a system call per note
    int failed;
};

enum { OUT_CHUNK = 64 * 1024 };

static void OutFlush(OutFile *out)
{
    if (out->used && !out->failed && FileWrite(out->buffer, 1, out->used, out->file) != out->used)
        out->failed = 1;
    out->flushed += (int64_t)out->used;
    out->used = 0;
}

static void OutPut(OutFile *out, const void *data, size_t size)
{
    const char *bytes = (const char *)data;
    while (size && !out->failed) {
        if (out->used == OUT_CHUNK)
            OutFlush(out);
        size_t n = OUT_CHUNK - out->used;
        if (n > size)
            n = size;
        memcpy(out->buffer + out->used, bytes, n);
        out->used += n;
        bytes += n;
        size -= n;
    }
}

static void OutZeros(OutFile *out, int64_t count)
{
    static const char zeros[4096] = {0};
    while (count > 0 && !out->failed) {
        size_t n = count > (int64_t)sizeof zeros ? sizeof zeros : (size_t)count;
        OutPut(out, zeros, n);
        count -= n;
    }
}

static int OutSeek(OutFile *out, int64_t offset)
{
    OutFlush(out);
    if (!out->failed && fseek(out->file, (long)offset, SEEK_SET) != 0)
        out->failed = 1;
    out->flushed = offset;
    return !out->failed;
}

static int CountCallback(void *record, void *context)
{
    ++*(int32_t *)context;
    return 0;
}

static int32_t CountChildren(StoreItem *item)
{
    int32_t count = 0;
    TreeWalk(item->children, CountCallback, &count);
    return count;
}

// What one save is writing. A single walk over the items appends each
// block (compacting) or notes the changed ones (writing in place) and puts
// the index together in memory; the index follows the blocks in the file.
struct SaveWork {
    OutFile out;
    int compact;
    int dataUnreadable;   // a note's block could not be read from the old file
    int noMemory;
    // the items whose changed flag a successful save clears, and whose
    // blocks writing in place puts into their slots
    StoreItem **changed;
    size_t changedCount;
    size_t changedCapacity;
    char *index;
    size_t indexUsed;
    size_t indexCapacity;
};

static int Grow(void **items, size_t *capacity, size_t needed, size_t itemSize)
{
    if (needed <= *capacity)
        return 1;
    size_t grown = *capacity ? *capacity * 2 : 1024;
    while (grown < needed)
        grown *= 2;
    void *more = realloc(*items, grown * itemSize);
    if (!more)
        return 0;
    *items = more;
    *capacity = grown;
    return 1;
}

static int SaveCallback(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    SaveWork *work = (SaveWork *)context;
    OutFile *out = &work->out;
    if (item->changed) {
        if (!Grow((void **)&work->changed, &work->changedCapacity, work->changedCount + 1,
                  sizeof(StoreItem *))) {
            work->noMemory = 1;
            return 1;
        }
        work->changed[work->changedCount++] = item;
    }
    IndexEntry entry = item->entry;
    if (work->compact) {
        // The block goes at the end of what is written so far; the item
        // keeps its old offset until the new file has replaced the old one.
        item->savedOffset = 0;
        if (item->entry.dataLength > 0 && item->entry.dataOffset > 0) {
            int wasLoaded = item->data != 0;
            char *block = StoreGetData(item);
            if (!block) {
                work->dataUnreadable = 1;   // a note that cannot be read must not be dropped silently
                return 1;
            }
            int64_t position = out->flushed + (int64_t)out->used;
            if (position + item->entry.dataLength > INT32_MAX)
                return 1;
            item->savedOffset = (int32_t)position;
            OutPut(out, block, item->entry.dataLength);
            if (!wasLoaded) {
                // read only for the copy: the new file holds it from now on
                free(item->data);
                item->data = 0;
            }
        }
        if (out->failed)
            return 1;
        entry.dataOffset = entry.dataLength > 0 ? item->savedOffset : 0;
        if (entry.dataLength < 0)
            entry.dataLength = 0;
    }
    item->entry.childCount = item->children ? CountChildren(item) : 0;
    entry.childCount = item->entry.childCount;
    if (!Grow((void **)&work->index, &work->indexCapacity, work->indexUsed + STORE_ENTRY_SIZE, 1)) {
        work->noMemory = 1;
        return 1;
    }
    memcpy(work->index + work->indexUsed, &entry, STORE_ENTRY_SIZE);
    work->indexUsed += STORE_ENTRY_SIZE;
    return item->children ? TreeWalk(item->children, SaveCallback, context) : 0;
}

// Writing in place, redone in the copy: changed blocks go into their slots.
static void WriteChangedBlocks(SaveWork *work)
{
    OutFile *out = &work->out;
    for (size_t i = 0; i < work->changedCount && !out->failed; i++) {
        StoreItem *item = work->changed[i];
        if (item->data && item->entry.dataOffset > 0 && item->entry.dataLength > 0 &&
            OutSeek(out, item->entry.dataOffset)) {
            OutPut(out, item->data, item->entry.dataLength);
            OutFlush(out);
        }
    }
}

// The new file is in place: the items take their offsets in it.
static int ApplyCompactionCallback(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    if (item->entry.dataLength > 0) {
        item->entry.dataOffset = item->savedOffset;
    } else {
        item->entry.dataOffset = 0;
        item->entry.dataLength = 0;
    }
    return TreeWalk(item->children, ApplyCompactionCallback, context);
}

static int UnloadedDataCallback(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    if (item->entry.dataLength > 0 && item->entry.dataOffset > 0 && !item->data)
        return 1;
    return TreeWalk(item->children, UnloadedDataCallback, context);
}

static int ReleaseCallback(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    free(item->data);
    item->data = 0;
    TreeWalk(item->children, ReleaseCallback, 0);
    TreeDestroy(&item->children);
    return 0;
}

static void ReleaseStore(RecordStore *store)
{
    if (store->file)
        fclose(store->file);   // only ever read through
    store->file = 0;
    TreeWalk(store->root.children, ReleaseCallback, 0);
    TreeDestroy(&store->root.children);
    if (store == DayNoteStore)
        DayNoteStore = 0;
    free(store);
}

struct SlotList {
    int64_t *slots;   // offset << 32 | length
    size_t count;
    size_t capacity;
};

static int CollectSlotCallback(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    SlotList *list = (SlotList *)context;
    if (item->entry.dataOffset > 0 && item->entry.dataLength > 0) {
        if (list->count == list->capacity) {
            size_t capacity = list->capacity ? list->capacity * 2 : 256;
            int64_t *grown = (int64_t *)realloc(list->slots, capacity * sizeof(int64_t));
            if (!grown)
                return 1;
            list->slots = grown;
            list->capacity = capacity;
        }
        list->slots[list->count++] = (int64_t)item->entry.dataOffset << 32 | (uint32_t)item->entry.dataLength;
    }
    return TreeWalk(item->children, CollectSlotCallback, context);
}

static int CompareSlots(const void *a, const void *b)
{
    int64_t x = *(const int64_t *)a, y = *(const int64_t *)b;
    return x < y ? -1 : x > y;
}

// A file the store did not write may give two items overlapping slots;
// writing one block in place would then change the other note.
static int SlotsOverlap(RecordStore *store)
{
    SlotList list = {0, 0, 0};
    if (TreeWalk(store->root.children, CollectSlotCallback, &list) != 0) {
        free(list.slots);
        return 1;   // cannot tell: rewriting everything is always safe
    }
    if (list.count > 1)
        qsort(list.slots, list.count, sizeof(int64_t), CompareSlots);
    int overlap = 0;
    int64_t end = 0;
    for (size_t i = 0; i < list.count && !overlap; i++) {
        int64_t offset = list.slots[i] >> 32;
        if (offset < end)
            overlap = 1;
        end = offset + (list.slots[i] & 0xFFFFFFFF);
    }
    free(list.slots);
    return overlap;
}

// Copies the old data area (dead slots and all) into the new file, so that
// every offset and every reused slot stays where it was.
static void CopyDataArea(RecordStore *store, OutFile *out)
{
    int64_t copied = 0;
    int64_t want = store->header.dataEnd - STORE_HEADER_SIZE;
    if (store->file && want > 0) {
        int64_t oldSize = FileSizeOf(store->file);
        if (oldSize > STORE_HEADER_SIZE && fseek(store->file, STORE_HEADER_SIZE, SEEK_SET) == 0) {
            int64_t available = oldSize - STORE_HEADER_SIZE;
            if (available > want)
                available = want;
            while (copied < available && !out->failed) {
                if (out->used == OUT_CHUNK)
                    OutFlush(out);
                size_t n = OUT_CHUNK - out->used;
                if ((int64_t)n > available - copied)
                    n = (size_t)(available - copied);
                size_t got = fread(out->buffer + out->used, 1, n, store->file);
                if (got == 0) {
                    out->failed = 1;
                    snprintf(FileErrorText, sizeof FileErrorText, "the old file could not be read");
                    break;
                }
                out->used += got;
                copied += got;
            }
        }
    }
    // Past the old file's end lie only the new slots, which the changed blocks fill.
    OutZeros(out, want - copied);
    OutFlush(out);
}

// Writes the complete new file into a new temporary file beside name.
// SAVE_OK with its name in tempName and the new header in *written.
static int WriteNewFile(RecordStore *store, const char *name, SaveWork *work, char *tempName, size_t size,
                        StoreHeader *written)
{
    const int compact = work->compact;
    work->out.buffer = (char *)malloc(OUT_CHUNK);
    if (!work->out.buffer)
        return SAVE_NO_MEMORY;
    FILE *temp = FileCreateTemporary(name, 0, tempName, size);
    if (!temp) {
        free(work->out.buffer);
        return SAVE_WRITE_FAILED;
    }
    OutFile *out = &work->out;
    out->file = temp;
    *written = store->header;

    OutZeros(out, STORE_HEADER_SIZE);   // the header goes in last
    if (!compact)
        CopyDataArea(store, out);
    if (!out->failed && TreeWalk(store->root.children, SaveCallback, work) != 0)
        out->failed = 1;
    OutFlush(out);
    if (compact) {
        if (!out->failed) {
            written->dataEnd = ClampInt32(out->flushed);
            written->liveBytes = written->dataEnd;
        }
    } else {
        WriteChangedBlocks(work);
    }
    if (!out->failed && OutSeek(out, written->dataEnd))
        OutPut(out, work->index, work->indexUsed);
    OutFlush(out);
    store->root.entry.childCount = CountChildren(&store->root);
    written->rootCount = store->root.entry.childCount;
    // What a damaged header said is not carried into the new file: it is
    // this store's format, and its live bytes lie inside its data area.
    written->version = 1;
    if (written->liveBytes > written->dataEnd)
        written->liveBytes = written->dataEnd;
    if (OutSeek(out, 0)) {
        OutPut(out, written, STORE_HEADER_SIZE);
        OutFlush(out);
    }
    free(out->buffer);
    int ok = !out->failed && FileSync(temp) == 0;
    if (FileClose(temp) != 0)
        ok = 0;
    if (ok)
        return SAVE_OK;
    FileRemove(tempName);
    return work->noMemory ? SAVE_NO_MEMORY : work->dataUnreadable ? SAVE_DATA_UNREADABLE : SAVE_WRITE_FAILED;
}

// The store reads its notes from the file that is now under name (the new
// one after a save, the old one after a failure).
static void Reopen(RecordStore *store, const char *name)
{
    if (store->file)
        fclose(store->file);
    int missing;
    store->file = FileOpenRegular(name, &missing);
}

// ---- verifying the blocks ----

struct VerifySlot {
    int64_t offset;
    int32_t length;
    StoreItem *item;
};

struct VerifyWork {
    StoreVerifyResult result;
    VerifySlot *slots;
    size_t count;
    size_t capacity;
    int noMemory;
};

static void Count(int32_t *count, int32_t *first, int32_t key)
{
    // the earliest date is the one named, whatever order the blocks lie in
    if (!*count || key < *first)
        *first = key;
    ++*count;
}

static int CollectVerifyCallback(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    VerifyWork *work = (VerifyWork *)context;
    work->result.items++;
    if (item->entry.dataLength > 0) {
        if (!Grow((void **)&work->slots, &work->capacity, work->count + 1, sizeof(VerifySlot))) {
            work->noMemory = 1;
            return 1;
        }
        VerifySlot *slot = &work->slots[work->count++];
        slot->offset = item->entry.dataOffset;
        slot->length = item->entry.dataLength;
        slot->item = item;
    }
    return TreeWalk(item->children, CollectVerifyCallback, context);
}

static int CompareVerifySlots(const void *a, const void *b)
{
    const VerifySlot *x = (const VerifySlot *)a, *y = (const VerifySlot *)b;
    if (x->offset != y->offset)
        return x->offset < y->offset ? -1 : 1;
    return x->length < y->length ? -1 : x->length > y->length;
}

// Reads the data area front to back in large pieces: the blocks, sorted by
// offset, mostly follow one another.
struct AreaReader {
    FILE *file;
    char *buffer;
    size_t capacity;
    int64_t start;   // the file offset of buffer[0]
    size_t filled;
};

static const char *AreaBytes(AreaReader *r, int64_t offset, int32_t length)
{
    if (!r->file || offset < STORE_HEADER_SIZE)
        return 0;
    if (offset >= r->start && offset + length <= r->start + (int64_t)r->filled)
        return r->buffer + (offset - r->start);
    size_t want = (size_t)length > (size_t)INDEX_CHUNK ? (size_t)length : (size_t)INDEX_CHUNK;
    if (want > r->capacity) {
        char *grown = (char *)realloc(r->buffer, want);
        if (!grown)
            return 0;
        r->buffer = grown;
        r->capacity = want;
    }
    r->start = offset;
    r->filled = 0;
    if (fseek(r->file, (long)offset, SEEK_SET) != 0)
        return 0;
    r->filled = fread(r->buffer, 1, want, r->file);
    return r->filled >= (size_t)length ? r->buffer : 0;
}

void StoreVerify(RecordStore *store, StoreVerifyResult *result)
{
    VerifyWork work;
    memset(&work, 0, sizeof work);
    if (store) {
        TreeWalk(store->root.children, CollectVerifyCallback, &work);
        StoreVerifyResult *r = &work.result;
        int sorted = 1;
        for (size_t i = 1; i < work.count && sorted; i++)
            sorted = CompareVerifySlots(&work.slots[i - 1], &work.slots[i]) <= 0;
        if (!sorted)
            qsort(work.slots, work.count, sizeof(VerifySlot), CompareVerifySlots);
        AreaReader reader = {store->file, 0, 0, 0, 0};
        int overlap = 0;
        int64_t end = 0;
        for (size_t i = 0; i < work.count; i++) {
            const VerifySlot *slot = &work.slots[i];
            StoreItem *item = slot->item;
            // No file the store writes has two notes sharing bytes: one of
            // them has a wrong offset or length. (A new block gets a slot of
            // its own past the file's data area.)
            if (slot->offset < end)
                overlap = 1;
            if (slot->offset + slot->length > end)
                end = slot->offset + slot->length;
            const char *text = item->data ? item->data : AreaBytes(&reader, slot->offset, slot->length);
            if (!text) {
                Count(&r->unreadable, &r->firstUnreadable, item->entry.key);
                continue;
            }
            const char *nul = (const char *)memchr(text, 0, (size_t)slot->length);
            // a changed note holds what the user gave it, not the file's bytes
            if (!nul && !item->changed)
                Count(&r->unterminated, &r->firstUnterminated, item->entry.key);
            if (!GbkIsValid(text, nul ? (size_t)(nul - text) : (size_t)slot->length))
                Count(&r->notGbk, &r->firstNotGbk, item->entry.key);
        }
        free(reader.buffer);
        free(work.slots);
        const char *why = work.noMemory      ? "out of memory while looking at the notes"
                          : r->unreadable   ? "a note's block cannot be read"
                          : r->unterminated ? "a note's text does not end inside its block"
                          : overlap         ? "two notes' blocks overlap in the data area"
                                            : 0;
        if (why) {
            if (store->fileState == STORE_FILE_SOUND)
                store->fileState = STORE_FILE_DAMAGED;
            SetDamage(store, why);
        } else {
            store->slotsSeparate = 1;
        }
        store->blocksVerified = 1;
    }
    if (result)
        *result = work.result;
}

int StoreFileNeedsKeeping(const RecordStore *store)
{
    return store->fileState != STORE_FILE_SOUND;
}

static int SaveLocked(RecordStore *store, const char *name);
static int SaveLockedAt(void *store, const char *target) { return SaveLocked((RecordStore *)store, target); }

static int SaveLocked(RecordStore *store, const char *name)
{
    if (FileIsReadOnly(name))
        return SAVE_READ_ONLY;
    FileRemoveStaleTemporaries(name);
    // The blocks are looked at once before the file they came from is first
    // replaced, so that the program decides as 'loomcal check' does.
    if (store->fileState == STORE_FILE_SOUND && !store->blocksVerified)
        StoreVerify(store, 0);
    // Whatever is under the name and was not read as a sound store (a damaged
    // file, a file that is not ours, one that appeared since the store was
    // opened) is kept whole before it is replaced.
    if (StoreFileNeedsKeeping(store) && !FileKeepDamagedCopy(name))
        return SAVE_NOT_KEPT;
    int compact = (int64_t)store->header.dataEnd > 2 * (int64_t)store->header.liveBytes;
    // Once a save has gone through, every slot is known to stand alone.
    if (!compact && !store->slotsSeparate && SlotsOverlap(store))
        compact = 1;
    // Without the old file, slots that were never read cannot be copied;
    // compaction reads each of them and fails rather than write zeros.
    if (!compact && !store->file && TreeWalk(store->root.children, UnloadedDataCallback, 0))
        compact = 1;

    char tempName[4096];
    StoreHeader written;
    SaveWork work;
    memset(&work, 0, sizeof work);
    work.compact = compact;
    int result = WriteNewFile(store, name, &work, tempName, sizeof tempName, &written);
    free(work.index);
    if (result != SAVE_OK) {
        free(work.changed);
        return result;
    }
    // Windows cannot replace a file that is still open.
    if (store->file) {
        fclose(store->file);
        store->file = 0;
    }
    if (FileReplace(tempName, name) != 0) {
        FileRemove(tempName);
        Reopen(store, name);
        free(work.changed);
        return SAVE_REPLACE_FAILED;
    }
    if (compact)
        TreeWalk(store->root.children, ApplyCompactionCallback, 0);
    store->header = written;
    store->fileState = STORE_FILE_SOUND;
    store->slotsSeparate = 1;
    store->blocksVerified = 1;
    store->damage[0] = 0;
    Reopen(store, name);
    // Until the move is known to be on the disk the changes count as unsaved:
    // the next save writes them again.
    if (FileSyncFolder(name) != 0) {
        free(work.changed);
        return SAVE_NOT_DURABLE;
    }
    for (size_t i = 0; i < work.changedCount; i++)
        work.changed[i]->changed = 0;
    free(work.changed);
    store->storeChanged = 0;
    return SAVE_OK;
}

int StoreSave(RecordStore *store, const char *name)
{
    if (!store || !name)
        return SAVE_WRITE_FAILED;
    FileErrorText[0] = 0;
    if (store->fileState == STORE_FILE_UNREADABLE) {
        // What could not be read is not replaced: the user may still want it.
        snprintf(FileErrorText, sizeof FileErrorText, "%s", store->openError);
        return SAVE_UNREADABLE;
    }
    return DataLockedReplace(name, SaveLockedAt, store);
}

int StoreClose(RecordStore *store, const char *name)
{
    if (!store)
        return SAVE_OK;
    int result = SAVE_OK;
    if (store->storeChanged && name)
        result = StoreSave(store, name);
    ReleaseStore(store);
    return result;
}

void StoreMarkChanged(RecordStore *store)
{
    if (store)
        store->storeChanged = 1;
}

void StoreDiscard(RecordStore *store)
{
    if (store)
        ReleaseStore(store);
}
