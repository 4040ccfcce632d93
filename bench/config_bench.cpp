// Holiday lookup per day cell, and loading a large "dlm.ini".
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <string>
#include "calendar/holiday.h"
#include "calendar/today.h"
#include "store/config.h"
#include "store/fileio.h"
#include "store/notesync.h"
#include "records/records.h"
#include "records/settings.h"

static void ResetLists()
{
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    AddChimeEntry();
}

// A month grid's worth of dates, walked over and over.
static void LookUpDays(benchmark::State &state)
{
    PackedDate days[42];
    for (int i = 0; i < 42; i++) {
        CalendarDay d = {};
        d.year = 2024;
        d.month = 2;
        d.day = i - 3;
        NormalizeDay(&d);
        days[i] = d.packed;
    }
    size_t found = 0;
    int i = 0;
    for (auto _ : state) {
        for (HolidayEntry *e = HolidaysOn(days[i], SolarTermsAreHolidays()); e; e = e->nextMatch)
            found++;
        i = i == 41 ? 0 : i + 1;
    }
    benchmark::DoNotOptimize(found);
}

static void BM_HolidaysOn_BuiltIn30(benchmark::State &state)
{
    ResetLists();
    Settings.flags = 0x97;
    AddBuiltInHolidays();
    LookUpDays(state);
    ResetLists();
}
BENCHMARK(BM_HolidaysOn_BuiltIn30);

static void BM_HolidaysOn_1000Rules(benchmark::State &state)
{
    ResetLists();
    Settings.flags = 0x97;
    for (int i = 0; i < 1000; i++) {
        const int kind = i % 3;
        const HolidayCode code = kind == 0 ? (HOLIDAY_SOLAR | (1 + i % 12) << 8 | (1 + i % 28))
                                 : kind == 1
                                     ? (HOLIDAY_LUNAR | (1 + i % 12) << 8 | (1 + i % 30))
                                     : (HOLIDAY_WEEKDAY | (1 + i % 12) << 8 | (1 + i % 5) << 4 | i % 7);
        AddHoliday(code, "自定义节日");
    }
    LookUpDays(state);
    ResetLists();
}
BENCHMARK(BM_HolidaysOn_1000Rules);

// "dlm.ini" with 10,000 holidays and 10,000 memos, in a scratch directory.
static void BM_LoadLargeConfig(benchmark::State &state)
{
    char pattern[] = "/tmp/loom_config_bench_XXXXXX";
    const char *dir = mkdtemp(pattern);
    char previous[4096];
    if (!dir || !getcwd(previous, sizeof previous) || chdir(dir) != 0) {
        state.SkipWithError("no scratch directory");
        return;
    }
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    FILE *f = fopen("dlm.ini", "w");
    fprintf(f, "[CONTROL]\nMonthPos=250,0,600,250,1\nNotePos=0,0,0,0,0\nColor=ff8080,ffffff,ffff,ff,"
               "ff00\nControl=97\n[HOLIDAY]\n");
    for (int i = 0; i < 10000; i++)
        fprintf(f, "%d=%d,节日名称 number %d\n", i, HOLIDAY_SOLAR | (1 + i % 12) << 8 | (1 + i % 28), i);
    fprintf(f, "[REMIND]\n");
    for (int i = 0; i < 10000; i++)
        fprintf(f, "%d=%x,%x,备忘事件的文本 with some words\\r\\nand a second line %d\n", i,
                (unsigned)PACK_DATE(2024, 1 + i % 12, 1 + i % 28), (unsigned)PACK_TIME(8, i % 60, 0), i);
    fclose(f);
    for (auto _ : state) {
        ResetLists();
        benchmark::DoNotOptimize(ReadConfigFile("dlm.ini"));
    }
    int holidays = 0;
    for (ListNode *n = HolidayList; n; n = n->next)
        holidays++;
    state.counters["holidays"] = holidays;
    ResetLists();
    ListFreeAll(&HolidayList);
    remove("dlm.ini");
    if (chdir(previous) != 0)
        state.SkipWithError("could not return");
    rmdir(dir);
}
BENCHMARK(BM_LoadLargeConfig)->Unit(benchmark::kMillisecond);

// What the one-second clock costs the program to notice another writer: the
// size and write time of its three files.
static void BM_OtherWritersCheck(benchmark::State &state)
{
    char dir[] = "/tmp/loombench.XXXXXX";
    char previous[4096];
    if (!mkdtemp(dir) || !getcwd(previous, sizeof previous) || chdir(dir) != 0) {
        state.SkipWithError("no scratch folder");
        return;
    }
    FILE *f = fopen("dlm.ini", "w");
    fprintf(f, "[CONTROL]\nControl=97\n[HOLIDAY]\n[REMIND]\n");
    fclose(f);
    f = fopen("offdays.txt", "w");
    fclose(f);
    ResetLists();
    ReadConfigFile("dlm.ini");
    NotesOpen("dlm.db");
    FileStamp offDays;
    int changed = 0;
    for (auto _ : state) {
        changed += ConfigFileChanged("dlm.ini");
        changed += NotesFileChanged("dlm.db");
        FileStampOf("offdays.txt", &offDays);
    }
    benchmark::DoNotOptimize(changed);
    NotesDiscard();
    ResetLists();
    remove("dlm.ini");
    remove("offdays.txt");
    if (chdir(previous) != 0)
        state.SkipWithError("could not return");
    rmdir(dir);
}
BENCHMARK(BM_OtherWritersCheck);

// A save that merges: 1000 memos in memory, one of them new, over a file to
// which another writer added one.
static void BM_MergingSave1000Memos(benchmark::State &state)
{
    char dir[] = "/tmp/loombench.XXXXXX";
    char previous[4096];
    if (!mkdtemp(dir) || !getcwd(previous, sizeof previous) || chdir(dir) != 0) {
        state.SkipWithError("no scratch folder");
        return;
    }
    ResetLists();
    TodayDate.date = PACK_DATE(2024, 6, 15);
    ConfigPurgeDate = &TodayDate.date;
    for (int i = 0; i < 1000; i++) {
        char text[64];
        snprintf(text, sizeof text, "memo %d", i);
        AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, text);
    }
    WriteConfigFile("dlm.ini");
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FILE *f = fopen("dlm.ini", "a");
        fprintf(f, "%d=ffffffff,ffffffff,theirs %d\n", 100000 + n, n);
        fclose(f);
        char text[64];
        snprintf(text, sizeof text, "ours %d", n++);
        AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, text);
        state.ResumeTiming();
        benchmark::DoNotOptimize(WriteConfigFile("dlm.ini"));
    }
    ResetLists();
    remove("dlm.ini");
    if (chdir(previous) != 0)
        state.SkipWithError("could not return");
    rmdir(dir);
}
BENCHMARK(BM_MergingSave1000Memos)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
