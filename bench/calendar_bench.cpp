// The engine's per-cell operations against the straightforward reference:
// GetDayInfo, LunarToSolar and SolarTermOn on random dates; the workday
// memo's test of whether it applies on a date.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "calendar/calendar.h"
#include "calendar/memo.h"
#include "calendar/offdays.h"
#include "calendar/solarterm.h"
#include "records/settings.h"
#include "tests/reference/reference.h"

namespace {

const int DateCount = 4096;   // a power of two, for the index mask

// Random valid dates from `first` to `last` inclusive.
std::vector<PackedDate> RandomDates(PackedDate first, PackedDate last, unsigned seed)
{
    std::vector<PackedDate> days;
    CalendarDay rec = {};
    rec.year = DATE_YEAR(first), rec.month = DATE_MONTH(first), rec.day = DATE_DAY(first);
    NormalizeDay(&rec);
    for (; rec.packed <= last; rec.day++, NormalizeDay(&rec))
        days.push_back(rec.packed);
    std::mt19937 random(seed);
    std::vector<PackedDate> picked(DateCount);
    for (PackedDate &d : picked)
        d = days[random() % days.size()];
    return picked;
}

const std::vector<PackedDate> &TableDates()
{
    static std::vector<PackedDate> dates = RandomDates(LUNAR_EPOCH, LUNAR_LAST_DATE, 1);
    return dates;
}

const std::vector<PackedDate> &TermDates()
{
    static std::vector<PackedDate> dates = RandomDates(PACK_DATE(1900, 1, 1), PACK_DATE(2100, 12, 31), 2);
    return dates;
}

const std::vector<int32_t> &LunarDates()
{
    static std::vector<int32_t> dates = [] {
        std::mt19937 random(3);
        std::vector<int32_t> picked(DateCount);
        for (int32_t &p : picked) {
            int y = LUNAR_FIRST_YEAR + (int)(random() % 201), m = 1 + (int)(random() % 12);
            p = PACK_DATE(y, m, 1 + (int)(random() % LunarMonthDays(y, m)));
        }
        return picked;
    }();
    return dates;
}

template <typename F> void Run(benchmark::State &state, const std::vector<int32_t> &inputs, F f)
{
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(inputs[i]));
        i = (i + 1) & (DateCount - 1);
    }
}

void BM_GetDayInfo(benchmark::State &state)
{
    Run(state, TableDates(), [](PackedDate d) { return GetDayInfo(d)->lunarDay; });
}
void BM_RefGetDayInfo(benchmark::State &state)
{
    Run(state, TableDates(), [](PackedDate d) { return RefGetDayInfo(d)->lunarDay; });
}
void BM_LunarToSolar(benchmark::State &state)
{
    Run(state, LunarDates(), [](int32_t p) { return LunarToSolar(p); });
}
void BM_RefLunarToSolar(benchmark::State &state)
{
    Run(state, LunarDates(), [](int32_t p) { return RefLunarToSolar(p); });
}
void BM_SolarTermOn(benchmark::State &state)
{
    Run(state, TermDates(), [](PackedDate d) { return SolarTermOn(d); });
}
// The same dates by the mean-year formula (the control bit), as before the table.
void BM_SolarTermOnMean(benchmark::State &state)
{
    Settings.flags |= CTRL_MEAN_TERMS;
    Run(state, TermDates(), [](PackedDate d) { return SolarTermOn(d); });
    Settings.flags &= ~CTRL_MEAN_TERMS;
}
// Whether a workday memo applies: the days off of the built-in years, and
// with a user's file of 100 days.
const std::vector<PackedDate> &OffDayYears()
{
    static std::vector<PackedDate> dates = RandomDates(PACK_DATE(2004, 1, 1), PACK_DATE(2026, 12, 31), 4);
    return dates;
}
void BM_WorkdayMemoApplies(benchmark::State &state)
{
    ClearUserOffDays();
    for (int i = 0; i < state.range(0); i++)
        SetUserOffDay(PACK_DATE(2027, 1 + i % 12, 1 + i / 12), i % 2 ? OFFDAY_WORK : OFFDAY_REST, "用户");
    Run(state, OffDayYears(), [](PackedDate d) { return MemoAppliesOn(REMIND_WORKDAYS, d); });
    ClearUserOffDays();
}
void BM_RefSolarTermOn(benchmark::State &state)
{
    Run(state, TermDates(), [](PackedDate d) { return RefSolarTermIndexOn(d); });
}

BENCHMARK(BM_GetDayInfo);
BENCHMARK(BM_RefGetDayInfo);
BENCHMARK(BM_LunarToSolar);
BENCHMARK(BM_RefLunarToSolar);
BENCHMARK(BM_SolarTermOn);
BENCHMARK(BM_SolarTermOnMean);
BENCHMARK(BM_RefSolarTermOn);
BENCHMARK(BM_WorkdayMemoApplies)->Arg(0)->Arg(100);

}   // namespace

BENCHMARK_MAIN();
