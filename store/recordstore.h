// "dlm.db": a small file-backed hierarchical store of keyed items, each with
// an optional data block and a user value. The program keeps one day note per
// date in it: key = PackedDate, data = the note text with its NUL, user value = the mark.
#pragma once
#include <stdint.h>
#include <stdio.h>
#include "../records/recordlist.h"

#pragma pack(push, 1)
struct StoreHeader {   // 284 bytes at offset 0, little-endian
    int32_t id0;
    int32_t version;
    int32_t id1;
    int32_t id2;
    int32_t dataEnd;
    int32_t liveBytes;
    int32_t rootCount;
    uint8_t reserved[256];
};
struct IndexEntry {   // 20 bytes per item
    int32_t key;
    int32_t dataOffset;
    int32_t dataLength;
    int32_t childCount;
    int32_t userValue;
};
#pragma pack(pop)

#define STORE_HEADER_SIZE 284
#define STORE_ENTRY_SIZE  20

struct RecordStore;

struct StoreItem {
    int32_t changed;   // the data block was replaced since the store was last saved
    KeyTree children;
    StoreItem *parent;
    RecordStore *store;
    char *data;            // loaded block (owned) or null; a NUL always follows its slot
    IndexEntry entry;      // exactly as in the file
    int32_t savedOffset;   // during a save that compacts: the slot's offset in the new file
};

// How the file looked when it was opened.
enum {
    STORE_FILE_NEW = 0,          // no file, or a foreign header: the store starts empty
    STORE_FILE_SOUND = 1,        // header and index read completely
    STORE_FILE_DAMAGED = 2,      // header, index or a block disagree with the file (why in damage); what was read is kept
    STORE_FILE_UNREADABLE = 3,   // there is a file, but it cannot be read (why in openError)
    STORE_FILE_FOREIGN = 4,      // a file whose header is not a note file's: nothing read, the store starts empty
};

struct RecordStore {
    StoreHeader header;
    int32_t storeChanged;
    StoreItem root;
    FILE *file;              // open for reading from StoreOpen to StoreClose; replaced by each save
    int32_t fileState;       // STORE_FILE_*
    int32_t slotsSeparate;   // no two items share bytes of the data area (known after a save)
    int32_t blocksVerified;  // StoreVerify has looked at every block of the file
    char openError[160];
    char damage[160];        // why the file counts as damaged or foreign
};

// What StoreVerify found in the blocks of the file (changed notes count as
// the text they now hold).
struct StoreVerifyResult {
    int32_t items;
    int32_t unreadable;     // the block lies outside the file or cannot be read
    int32_t unterminated;   // the text's NUL is not inside its slot
    int32_t notGbk;         // the text is not valid GBK (kept as it is; not damage)
    int32_t firstUnreadable, firstUnterminated, firstNotGbk;   // their keys
};

RecordStore *StoreOpen(const char *name, int32_t id0, int32_t id1, int32_t id2);
StoreItem *StoreAddItem(StoreItem *parent, int32_t key);
void StoreDeleteItem(StoreItem *item);
char *StoreSetData(StoreItem *item, const void *bytes, uint32_t length);
char *StoreGetData(StoreItem *item);
// Writes the whole store as a complete new file that replaces the old one
// (under the data lock) and keeps the store open on the new file. 0 on
// success, a SAVE_* failure otherwise; a failed save loses nothing from
// memory and leaves the old file whole, so a later save can still succeed.
int StoreSave(RecordStore *store, const char *name);
// Saves when something changed, then releases the store and all its items;
// the result of the save (0 when nothing was to be saved).
int StoreClose(RecordStore *store, const char *name);
// Makes the next close write the store back although no item's data changed.
void StoreMarkChanged(RecordStore *store);
// Reads every block of the file once (without keeping it) and looks at each
// note's text. A block that cannot be read or whose text does not end inside
// its slot makes the file damaged: this is the one decision that "check",
// every loomcal edit and the program's first save share, so that a save never
// replaces such a file without keeping it. result may be null.
void StoreVerify(RecordStore *store, StoreVerifyResult *result);
// 1 when the file under the store must be kept as "<name>.damaged" before it
// is replaced (damaged, or not a note file).
int StoreFileNeedsKeeping(const RecordStore *store);
// Releases the store and all its items without writing anything.
void StoreDiscard(RecordStore *store);
// Sets an item's user value (a day note's mark); a change counts as a change of the store.
void StoreSetUserValue(StoreItem *item, int32_t value);

// The program's store of day notes, opened at start-up and closed at shutdown.
extern RecordStore *DayNoteStore;
StoreItem *FindDayNote(int32_t date);

enum {
    NOTE_SAVE_NOTHING = 0,   // no text, no mark and no note: nothing to do
    NOTE_SAVE_STORED = 1,    // the note holds the text (or none) and the mark
    NOTE_SAVE_REMOVED = 2,   // no text and no mark: the note is gone
    NOTE_SAVE_FAILED = 3,    // no note could be made (memory): nothing changed
};
// The one save of a date's note in DayNoteStore (the date information dialog
// and loomcal): with a text or a mark the note holds exactly that text and
// that mark, and a note without text has no data block at all, as a note
// that was only ever marked; with neither the note is deleted. *markChanged
// (may be null) tells whether the date's shown mark changed.
int SaveDayNote(int32_t date, int mark, const char *text, int *markChanged);
