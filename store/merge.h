// Three-way merges for the files several writers share: what the program
// last read from a file (base), what it holds now (ours) and what is on the
// disk now (theirs). Ours are the changes made since base; they go over
// theirs, and whatever another writer changed that ours left alone stays.
// When both sides changed the same date, key or record, ours wins: the save
// that merges is the later one. A deletion never wins over an edit of the
// same record: the edited record is kept, whichever side deleted.
#pragma once
#include <stdint.h>

struct MergeBlob {
    const void *bytes;
    uint32_t size;
};

enum { MERGE_FROM_OURS = 0, MERGE_FROM_THEIRS = 1 };
struct MergePick {
    int32_t from;    // MERGE_FROM_*
    int32_t index;   // into that side's array
};

// Items keyed by a signed 32-bit key (a note per date, a setting per key),
// each array sorted by key without duplicates. Writes the merged items in key
// order into out (room for oursCount + theirsCount); returns how many.
struct MergeKeyed {
    int32_t key;
    MergeBlob value;
};
int32_t MergeKeyedItems(const MergeKeyed *base, int32_t baseCount, const MergeKeyed *ours, int32_t oursCount,
                        const MergeKeyed *theirs, int32_t theirsCount, MergePick *out);

// A list of records (holidays, memos) that may hold equal records, each known
// by its bytes; order does not matter. A record a side no longer has is
// deleted on that side; a new record that replaced a lost one is that
// record edited: when a side lost one record and has one new, those two;
// else a lost and a new record that alone share their subject (the first
// four bytes: a holiday's date code, a memo's day). Writes the merged list
// into out (room for oursCount + theirsCount): their records in their order
// with our changes, then our new records; returns how many, or -1 when
// memory ran out.
int32_t MergeRecordLists(const MergeBlob *base, int32_t baseCount, const MergeBlob *ours, int32_t oursCount,
                         const MergeBlob *theirs, int32_t theirsCount, MergePick *out);

int MergeBlobsEqual(const MergeBlob *a, const MergeBlob *b);
