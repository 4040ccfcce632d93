// The save of the date information dialog with 100,000 notes: the note into
// the store and "dlm.db" replaced by a complete new file. Goal: 50 ms.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include "dialogs/dialogcalc.h"
#include "store/recordstore.h"
#include "benchstore.h"

namespace {

void OpenFullStore()
{
    WriteBenchStore("loom_dialogs_bench", "dlm.db");
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
