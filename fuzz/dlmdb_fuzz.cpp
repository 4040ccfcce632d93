// Feeds arbitrary bytes to the note store as "dlm.db": open, read every
// note, edit, close, and check that what was written reads back soundly
// with exactly the notes the store held before the close, and that no note
// whose entry lies in the file's index area is lost unless the old file was
// kept whole as "dlm.db.damaged".
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <set>
#include <string>
#include <unistd.h>
#include "fuzz_util.h"
#include "store/recordstore.h"

namespace {

struct Dump {
    std::string text;
};

int DumpItem(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    std::string *out = (std::string *)context;
    char line[64];
    snprintf(line, sizeof line, "(%d u%d c%d ", item->entry.key, item->entry.userValue,
             item->entry.childCount);
    *out += line;
    char *data = StoreGetData(item);
    if (data) {
        for (int32_t i = 0; i < item->entry.dataLength; i++) {
            unsigned char c = (unsigned char)data[i];
            if (c >= 0x20 && c < 0x7f) {
                *out += (char)c;
            } else {
                snprintf(line, sizeof line, "\\x%02x", c);
                *out += line;
            }
        }
    } else
        *out += item->entry.dataLength > 0 ? "<unreadable>" : "-";
    TreeWalk(item->children, DumpItem, context);
    *out += ")";
    return 0;
}

std::string DumpStore(RecordStore *store)
{
    std::string out;
    TreeWalk(store->root.children, DumpItem, &out);
    return out;
}

void RemoveKeptCopies()
{
    char name[64];
    remove("dlm.db.damaged");
    for (int i = 2; i < 100; i++) {
        snprintf(name, sizeof name, "dlm.db.damaged%d", i);
        if (remove(name) != 0)
            break;
    }
}

char scratch[64];

// The keys of every whole 20-byte entry from the header's index position to
// the end of the file, read without trusting any count: the notes the file
// holds, whatever the store makes of it.
std::set<int32_t> RawKeys(const uint8_t *data, size_t size)
{
    std::set<int32_t> keys;
    int32_t words[7];
    if (size < 284)
        return keys;
    memcpy(words, data, sizeof words);
    if (words[0] != 0 || words[2] != 0 || words[3] != 0 || words[4] < 284 || (size_t)words[4] > size)
        return keys;
    for (size_t at = (size_t)words[4]; at + 20 <= size; at += 20) {
        int32_t key;
        memcpy(&key, data + at, 4);
        keys.insert(key);
    }
    return keys;
}

int CollectKeys(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    ((std::set<int32_t> *)context)->insert(item->entry.key);
    return TreeWalk(item->children, CollectKeys, context);
}

bool KeptWhole(const uint8_t *data, size_t size) { return FileHoldsExactly("dlm.db.damaged", data, size); }

void RemoveScratch()
{
    RemoveKeptCopies();
    remove("dlm.db");
    remove("dlm.lock");
    rmdir(scratch);
}

}   // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char dir[] = "/dev/shm/dlmdb_fuzz_XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0)
        abort();
    snprintf(scratch, sizeof scratch, "%s", dir);
    atexit(RemoveScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RemoveKeptCopies();
    FILE *f = fopen("dlm.db", "wb");
    if (!f)
        abort();
    fwrite(data, 1, size, f);
    fclose(f);

    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    if (!store)
        return 0;
    DumpStore(store);   // every block, read on demand

    // One edit of each kind the program makes.
    StoreItem *first = store->root.children ? (StoreItem *)store->root.children->record : 0;
    if (first) {
        StoreSetUserValue(first, first->entry.userValue ? 0 : 1);
        StoreSetData(first, "edited", 7);
    }
    StoreItem *added = StoreAddItem(&store->root, 0x07D40101);
    if (added)
        StoreSetData(added, "abc", 4);
    std::set<int32_t> deleted;   // taken out on purpose, with their children
    if (store->root.children && store->root.children->right) {
        StoreItem *gone = (StoreItem *)store->root.children->right->record;
        deleted.insert(gone->entry.key);
        TreeWalk(gone->children, CollectKeys, &deleted);
        StoreDeleteItem(gone);
    }

    std::string before = DumpStore(store);
    if (StoreSave(store, "dlm.db") != 0) {
        fprintf(stderr, "the save failed\n");
        abort();
    }
    // the store stays open on the new file and reads the same notes from it
    std::string saved = DumpStore(store);
    if (saved != before) {
        fprintf(stderr, "notes changed across the save:\n%s\n%s\n", before.c_str(), saved.c_str());
        abort();
    }
    StoreClose(store, "dlm.db");

    store = StoreOpen("dlm.db", 0, 0, 0);
    if (store->fileState != STORE_FILE_SOUND) {
        fprintf(stderr, "rewritten file is not sound (state %d: %s)\n", store->fileState, store->damage);
        abort();
    }
    std::string after = DumpStore(store);
    if (after != before) {
        fprintf(stderr, "notes changed across the close:\n%s\n%s\n", before.c_str(), after.c_str());
        abort();
    }
    // Every note of the old file is still there, or the old file is kept.
    std::set<int32_t> kept;
    TreeWalk(store->root.children, CollectKeys, &kept);
    StoreClose(store, "dlm.db");
    for (int32_t key : RawKeys(data, size)) {
        if (!kept.count(key) && !deleted.count(key) && !KeptWhole(data, size)) {
            fprintf(stderr, "the note with key %08x was lost and the old file was not kept\n", (unsigned)key);
            abort();
        }
    }
    return 0;
}
