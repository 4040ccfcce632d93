// The reminder pass and the clock tick: the re-arm over 10,000 memos, and a
// tick with 10,000 entries queued.
#include <benchmark/benchmark.h>
#include <string.h>
#include "calendar/holiday.h"
#include "remind/alarmcalc.h"
#include "records/records.h"
#include "records/settings.h"

static const PackedDate Today = PACK_DATE(2026, 3, 11);   // a Wednesday

static SYSTEMTIME Morning()
{
    SYSTEMTIME t;
    memset(&t, 0, sizeof t);
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 11;
    t.wDayOfWeek = 3;
    t.wHour = 6;
    return t;
}

static size_t AlertCount;
static void CountAlert(const char *text) { AlertCount += text[0] != 0; }

// 10,000 memos of every kind; four in five apply today, most with a time
// still to come, in no particular order of time.
static void MakeMemos(int count)
{
    ClearAlarmQueue();
    ListFreeAll(&ReminderList);
    ListFreeAll(&HolidayList);
    AddChimeEntry();
    AddBuiltInHolidays();
    uint32_t seed = 12345;
    for (int i = 0; i < count; i++) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t whens[5] = {(uint32_t)Today, REMIND_EVERY_DAY, REMIND_MONTHLY | 11, REMIND_WEEKLY | 3,
                                   (uint32_t)PACK_DATE(2026, 3, 12)};
        const uint32_t when = whens[i % 5];
        const int seconds = (int)((seed >> 8) % 86400);
        const uint32_t time = i % 50 == 0
                                  ? REMIND_NO_TIME
                                  : (uint32_t)PACK_TIME(seconds / 3600, seconds / 60 % 60, seconds % 60);
        AddReminder(when, time, "a memo of the benchmark");
    }
}

static void BM_RearmReminders_10000Memos(benchmark::State &state)
{
    MakeMemos(10000);
    Settings.flags = CTRL_DEFAULTS;
    SYSTEMTIME now = Morning();
    size_t queued = 0;
    for (auto _ : state) {
        AlertCount = 0;
        RearmAt(Today, &now, 1000000, CountAlert);
        queued = 0;
        for (ReminderEntry *e = AlarmQueue; e; e = e->queueNext)
            queued++;
    }
    state.counters["queued"] = (double)queued;
    state.counters["alerts"] = (double)AlertCount;
    ClearAlarmQueue();
    ListFreeAll(&ReminderList);
    ListFreeAll(&HolidayList);
}
BENCHMARK(BM_RearmReminders_10000Memos)->Unit(benchmark::kMicrosecond);

// The queue's part of a tick: one comparison with the head.
static void BM_ClockTick_10000Queued(benchmark::State &state)
{
    MakeMemos(10000);
    Settings.flags = CTRL_DEFAULTS;
    SYSTEMTIME now = Morning();
    RearmAt(Today, &now, 1000000, 0);
    uint64_t tick = 1000000;
    size_t due = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tick);
        due += AlarmDue(tick);
        tick++;
    }
    benchmark::DoNotOptimize(due);
    ClearAlarmQueue();
    ListFreeAll(&ReminderList);
    ListFreeAll(&HolidayList);
}
BENCHMARK(BM_ClockTick_10000Queued);

// A whole tick as the Windows program makes it, with the native clocks: the
// monotonic clock, the queue head, then the midnight check's wall clock.
static void BM_ClockTickWithClocks_10000Queued(benchmark::State &state)
{
    MakeMemos(10000);
    Settings.flags = CTRL_DEFAULTS;
    SYSTEMTIME now = Morning();
    RearmAt(Today, &now, ReadTickClock(), 0);
    size_t changes = 0;
    for (auto _ : state) {
        uint64_t tick = ReadTickClock();
        changes += AlarmDue(tick);
        SYSTEMTIME wall;
        ReadLocalClock(&wall);
        changes += PackedDateFromSystemTime(&wall) != Today;
    }
    benchmark::DoNotOptimize(changes);
    ClearAlarmQueue();
    ListFreeAll(&ReminderList);
    ListFreeAll(&HolidayList);
}
BENCHMARK(BM_ClockTickWithClocks_10000Queued);

BENCHMARK_MAIN();
