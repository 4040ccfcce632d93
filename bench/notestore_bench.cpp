// The note store with 100,000 notes: start-up (reading the index), lookups
// while painting, the save after each change in the date information dialog
// (the store stays open), and the close at shutdown, with and without
// compaction.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>
#include <filesystem>
#include <string>
#include "store/notesync.h"
#include "store/recordstore.h"
#include "benchstore.h"

namespace {

void CopyFile(const char *from, const char *to)
{
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

// Builds, once, "full.db": 100,000 notes of about 36 bytes, every third marked.
struct Files {
    Files()
    {
        WriteBenchStore("loom_notestore_bench", "full.db");
    }
};

const Files &TheFiles()
{
    static Files files;
    return files;
}

void BM_OpenStore(benchmark::State &state)
{
    TheFiles();
    for (auto _ : state) {
        RecordStore *store = StoreOpen("full.db", 0, 0, 0);
        benchmark::DoNotOptimize(store->root.children);
        state.PauseTiming();
        if (store->root.entry.childCount != NOTE_COUNT)
            state.SkipWithError("store incomplete");
        StoreClose(store, "full.db");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenStore)->Unit(benchmark::kMillisecond);

void BM_FindDayNote(benchmark::State &state)
{
    TheFiles();
    DayNoteStore = StoreOpen("full.db", 0, 0, 0);
    uint32_t seed = 12345;
    int64_t found = 0;
    for (auto _ : state) {
        seed = seed * 1103515245u + 12345u;
        StoreItem *item = FindDayNote(KeyOf((int)(seed >> 8) % NOTE_COUNT));
        found += item != 0;
        benchmark::DoNotOptimize(item);
    }
    if (found != (int64_t)state.iterations())
        state.SkipWithError("a note was not found");
    StoreClose(DayNoteStore, "full.db");
}
BENCHMARK(BM_FindDayNote);

void BM_CloseAfterOneEdit(benchmark::State &state)
{
    TheFiles();
    CopyFile("full.db", "dlm.db");
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
        StoreItem *item = (StoreItem *)TreeFind(store->root.children, KeyOf(round++ % NOTE_COUNT))->record;
        StoreSetData(item, "edited", 7);   // fits the slot: written in place
        state.ResumeTiming();
        StoreClose(store, "dlm.db");
    }
}
BENCHMARK(BM_CloseAfterOneEdit)->Unit(benchmark::kMillisecond);

// The dialog saves after every change: one note edited, the whole file
// written anew, flushed and moved over the old one, the store left open.
void BM_SaveAfterOneEdit(benchmark::State &state)
{
    TheFiles();
    CopyFile("full.db", "dlm.db");
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    int round = 0;
    for (auto _ : state) {
        StoreItem *item = (StoreItem *)TreeFind(store->root.children, KeyOf(round++ % NOTE_COUNT))->record;
        StoreSetData(item, "edited", 7);   // fits the slot: no compaction
        if (StoreSave(store, "dlm.db") != 0)
            state.SkipWithError("the save failed");
    }
    StoreClose(store, "dlm.db");
}
BENCHMARK(BM_SaveAfterOneEdit)->Unit(benchmark::kMillisecond);

// The date information dialog's save: the note into the store, then the
// store merged with the file under the data lock and the file replaced, as
// the program does it with loomcal possibly writing the same folder.
void BM_DialogSave(benchmark::State &state)
{
    TheFiles();
    CopyFile("full.db", "dlm.db");
    NotesOpen("dlm.db");
    int round = 0;
    for (auto _ : state) {
        const char *text = round % 2 ? "edited" : "edited again";
        if (SaveDayNote(KeyOf(round * 7 % NOTE_COUNT), round % 3 == 0, text, nullptr) != NOTE_SAVE_STORED ||
            NotesSync("dlm.db", 1) != 0)
            state.SkipWithError("the save failed");
        round++;
    }
    NotesDiscard();
}
BENCHMARK(BM_DialogSave)->Unit(benchmark::kMillisecond);

void BM_CloseThatCompacts(benchmark::State &state)
{
    TheFiles();
    for (auto _ : state) {
        state.PauseTiming();
        CopyFile("full.db", "dlm.db");
        RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
        // Shortening every note in its slot leaves most of the data area dead.
        char text[16];
        for (int i = 0; i < NOTE_COUNT; i++) {
            int n = snprintf(text, sizeof text, "n%d", i);
            StoreSetData((StoreItem *)TreeFind(store->root.children, KeyOf(i))->record, text,
                         (uint32_t)n + 1);
        }
        if (store->header.dataEnd <= 2 * store->header.liveBytes)
            state.SkipWithError("no compaction");
        state.ResumeTiming();
        StoreClose(store, "dlm.db");
    }
}
BENCHMARK(BM_CloseThatCompacts)->Unit(benchmark::kMillisecond);

}   // namespace

BENCHMARK_MAIN();
