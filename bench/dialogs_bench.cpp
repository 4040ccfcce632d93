// The save of the date information dialog with 100,000 notes: the note into
// the store and "dlm.db" replaced by a complete new file. Goal: 50 ms.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <filesystem>
#include "dialogs/dialogcalc.h"
#include "store/recordstore.h"

namespace {

const int NOTE_COUNT = 100000;

PackedDate KeyOf(int i) { return PACK_DATE(1800 + i / 372, 1 + i / 31 % 12, 1 + i % 31); }

// A store of 100,000 notes of about 36 bytes, every third marked, on disk and open.
void OpenFullStore()
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "loom_dialogs_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    char text[64];
    for (int i = 0; i < NOTE_COUNT; i++) {
        StoreItem *item = StoreAddItem(&store->root, KeyOf(i));
        int n = snprintf(text, sizeof text, "note number %d of the bench store", i);
        StoreSetData(item, text, (uint32_t)n + 1);
        StoreSetUserValue(item, i % 3 == 0);
    }
    StoreClose(store, "dlm.db");
    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
}

void BM_SaveDayNoteAndFile(benchmark::State &state)
{
    OpenFullStore();
    const PackedDate date = KeyOf(NOTE_COUNT / 2);
    int round = 0;
    for (auto _ : state) {
        char text[32];
        snprintf(text, sizeof text, "edited %d", round % 1000);   // fits the slot, as short edits do
        if (SaveDayNote(date, round++ & 1, text, nullptr) != NOTE_SAVE_STORED ||
            StoreSave(DayNoteStore, "dlm.db") != 0)
            state.SkipWithError("save failed");
    }
    StoreClose(DayNoteStore, "dlm.db");
}
BENCHMARK(BM_SaveDayNoteAndFile)->Unit(benchmark::kMillisecond);

}   // namespace

BENCHMARK_MAIN();
