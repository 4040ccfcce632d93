// The calendar export: 30 holiday rules, 1,000 memos of every kind and
// 10,000 day notes, over three years. Built in memory (the notes' texts
// already read, and read from the file as a fresh start has them), and
// written as a complete new file.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>
#include <filesystem>
#include "calendar/holiday.h"
#include "features/ics.h"
#include "calendar/memo.h"
#include "store/recordstore.h"

namespace {

const int MEMO_COUNT = 1000;
const int NOTE_COUNT = 10000;
const int FROM_YEAR = 2024, TO_YEAR = 2026;

PackedDate NextDay(PackedDate date)
{
    CalendarDay rec;
    memset(&rec, 0, sizeof rec);
    rec.year = DATE_YEAR(date);
    rec.month = DATE_MONTH(date);
    rec.day = DATE_DAY(date) + 1;
    NormalizeDay(&rec);
    return PACK_DATE(rec.year, rec.month, rec.day);
}

// Builds, once, the lists and "notes.db": a note on every day from
// 2000-01-01 on (so 1,096 of them fall in the three years), Chinese texts.
struct Data {
    Data()
    {
        std::filesystem::path dir = std::filesystem::temp_directory_path() / "loom_ics_bench";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);

        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
        AddChimeEntry();
        AddBuiltInHolidays();
        uint32_t seed = 12345;
        char text[160];
        for (int i = 0; i < MEMO_COUNT; i++) {
            seed = seed * 1103515245u + 12345u;
            const int month = 1 + (int)(seed >> 8) % 12, day = 1 + (int)(seed >> 16) % 28;
            uint32_t when;
            switch (i % 8) {
            case 0: when = (uint32_t)PACK_DATE(FROM_YEAR + i % 3, month, day); break;
            case 1: when = REMIND_EVERY_DAY; break;
            case 2: when = REMIND_WEEKLY | (uint32_t)(i % 7); break;
            case 3: when = REMIND_MONTHLY | (uint32_t)(1 + i % 31); break;
            case 4: when = YearlyWhen(month, day); break;
            case 5: when = YearlyWhen(2, 29); break;
            case 6: when = LunarYearlyWhen(month, 1 + (int)(seed >> 20) % 30, 0); break;
            default: when = LunarYearlyWhen(month, 1 + (int)(seed >> 20) % 30, 1); break;
            }
            const uint32_t time = i % 2 ? REMIND_NO_TIME : (uint32_t)PACK_TIME(i % 24, i % 60, 0);
            snprintf(text, sizeof text, "第%d条备忘：带上证件，给家里打电话，买菜, 交费; 记得", i);
            AddReminder(when, time, text);
        }

        RecordStore *store = StoreOpen("notes.db", 0, 0, 0);
        PackedDate date = PACK_DATE(2000, 1, 1);
        for (int i = 0; i < NOTE_COUNT; i++, date = NextDay(date)) {
            int n = snprintf(text, sizeof text, "第%d天的日记：天气晴，去公园散步。", i);
            StoreSetData(StoreAddItem(&store->root, date), text, (uint32_t)n + 1);
        }
        StoreClose(store, "notes.db");
    }
};

const Data &TheData()
{
    static Data data;
    return data;
}

SYSTEMTIME Stamp()
{
    SYSTEMTIME t;
    memset(&t, 0, sizeof t);
    t.wYear = 2024;
    t.wMonth = 1;
    t.wDay = 1;
    return t;
}

// The notes' texts already in memory, as in a program that has shown them.
void BM_BuildIcs_3Years(benchmark::State &state)
{
    TheData();
    DayNoteStore = StoreOpen("notes.db", 0, 0, 0);
    SYSTEMTIME stamp = Stamp();
    TextBuffer buffer;
    memset(&buffer, 0, sizeof buffer);
    int32_t events = 0;
    for (auto _ : state)
        events = BuildIcs(&buffer, FROM_YEAR, TO_YEAR, ICS_NOTES, &stamp);
    state.counters["events"] = events;
    state.counters["bytes"] = (double)buffer.length;
    TextBufferFree(&buffer);
    StoreDiscard(DayNoteStore);
    DayNoteStore = 0;
}
BENCHMARK(BM_BuildIcs_3Years)->Unit(benchmark::kMillisecond);

// Every note text read from the file during the export, as right after start-up.
void BM_BuildIcs_3Years_NotesFromFile(benchmark::State &state)
{
    TheData();
    SYSTEMTIME stamp = Stamp();
    TextBuffer buffer;
    memset(&buffer, 0, sizeof buffer);
    int32_t events = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DayNoteStore = StoreOpen("notes.db", 0, 0, 0);
        state.ResumeTiming();
        events = BuildIcs(&buffer, FROM_YEAR, TO_YEAR, ICS_NOTES, &stamp);
        state.PauseTiming();
        StoreDiscard(DayNoteStore);
        DayNoteStore = 0;
        state.ResumeTiming();
    }
    state.counters["events"] = events;
    TextBufferFree(&buffer);
}
BENCHMARK(BM_BuildIcs_3Years_NotesFromFile)->Unit(benchmark::kMillisecond);

// The whole export of the program's button and of loomcal ics -o: built and
// written as a complete new file, pushed to the disk.
void BM_ExportIcsFile_3Years(benchmark::State &state)
{
    TheData();
    DayNoteStore = StoreOpen("notes.db", 0, 0, 0);
    int32_t events = 0;
    for (auto _ : state)
        if (ExportIcsFile("export.ics", FROM_YEAR, TO_YEAR, ICS_NOTES, &events) != 0)
            state.SkipWithError("the file was not written");
    state.counters["events"] = events;
    StoreDiscard(DayNoteStore);
    DayNoteStore = 0;
}
BENCHMARK(BM_ExportIcsFile_3Years)->Unit(benchmark::kMillisecond);

}   // namespace

BENCHMARK_MAIN();
