// The Chinese lunisolar calendar of the lunar years 1900..2100, driven by one
// word per year.
//
// Conversions look up precomputed day offsets of every lunar year and month
// instead of walking the table, so they cost the same for any date.
#include "calendar.h"
#include "daynumber.h"

// Leap month in bits 0-3, months 1..12 big (30 days) in bits 15..4, a big
// leap month in bit 16.
//
// The words of 1933, 1954, 1956, 1978, 1996 and 2033 differ from the widely
// copied table, which puts month starts of those years a day off the
// published calendars and gives 2033 its leap month after the seventh month
// instead of the eleventh.
// clang-format off
#define LUNAR_WORDS \
    0x04BD8, 0x04AE0, 0x0A570, 0x054D5, 0x0D260, 0x0D950, 0x16554, 0x056A0, 0x09AD0, 0x055D2, /* 1900 */ \
    0x04AE0, 0x0A5B6, 0x0A4D0, 0x0D250, 0x1D255, 0x0B540, 0x0D6A0, 0x0ADA2, 0x095B0, 0x14977, /* 1910 */ \
    0x04970, 0x0A4B0, 0x0B4B5, 0x06A50, 0x06D40, 0x1AB54, 0x02B60, 0x09570, 0x052F2, 0x04970, /* 1920 */ \
    0x06566, 0x0D4A0, 0x0EA50, 0x16A95, 0x05AD0, 0x02B60, 0x186E3, 0x092E0, 0x1C8D7, 0x0C950, /* 1930 */ \
    0x0D4A0, 0x1D8A6, 0x0B550, 0x056A0, 0x1A5B4, 0x025D0, 0x092D0, 0x0D2B2, 0x0A950, 0x0B557, /* 1940 */ \
    0x06CA0, 0x0B550, 0x15355, 0x04DA0, 0x0A5B0, 0x14573, 0x052B0, 0x0A9A8, 0x0E950, 0x06AA0, /* 1950 */ \
    0x0AEA6, 0x0AB50, 0x04B60, 0x0AAE4, 0x0A570, 0x05260, 0x0F263, 0x0D950, 0x05B57, 0x056A0, /* 1960 */ \
    0x096D0, 0x04DD5, 0x04AD0, 0x0A4D0, 0x0D4D4, 0x0D250, 0x0D558, 0x0B540, 0x0B6A0, 0x195A6, /* 1970 */ \
    0x095B0, 0x049B0, 0x0A974, 0x0A4B0, 0x0B27A, 0x06A50, 0x06D40, 0x0AF46, 0x0AB60, 0x09570, /* 1980 */ \
    0x04AF5, 0x04970, 0x064B0, 0x074A3, 0x0EA50, 0x06B58, 0x05AC0, 0x0AB60, 0x096D5, 0x092E0, /* 1990 */ \
    0x0C960, 0x0D954, 0x0D4A0, 0x0DA50, 0x07552, 0x056A0, 0x0ABB7, 0x025D0, 0x092D0, 0x0CAB5, /* 2000 */ \
    0x0A950, 0x0B4A0, 0x0BAA4, 0x0AD50, 0x055D9, 0x04BA0, 0x0A5B0, 0x15176, 0x052B0, 0x0A930, /* 2010 */ \
    0x07954, 0x06AA0, 0x0AD50, 0x05B52, 0x04B60, 0x0A6E6, 0x0A4E0, 0x0D260, 0x0EA65, 0x0D530, /* 2020 */ \
    0x05AA0, 0x076A3, 0x096D0, 0x04AFB, 0x04AD0, 0x0A4D0, 0x1D0B6, 0x0D250, 0x0D520, 0x0DD45, /* 2030 */ \
    0x0B5A0, 0x056D0, 0x055B2, 0x049B0, 0x0A577, 0x0A4B0, 0x0AA50, 0x1B255, 0x06D20, 0x0ADA0, /* 2040 */ \
    0x14B63, 0x09370, 0x049F8, 0x04970, 0x064B0, 0x168A6, 0x0EA50, 0x06B20, 0x1A6C4, 0x0AAE0, /* 2050 */ \
    0x092E0, 0x0D2E3, 0x0C960, 0x0D557, 0x0D4A0, 0x0DA50, 0x05D55, 0x056A0, 0x0A6D0, 0x055D4, /* 2060 */ \
    0x052D0, 0x0A9B8, 0x0A950, 0x0B4A0, 0x0B6A6, 0x0AD50, 0x055A0, 0x0ABA4, 0x0A5B0, 0x052B0, /* 2070 */ \
    0x0B273, 0x06930, 0x07337, 0x06AA0, 0x0AD50, 0x14B55, 0x04B60, 0x0A570, 0x054E4, 0x0D260, /* 2080 */ \
    0x0E968, 0x0D520, 0x0DAA0, 0x16AA6, 0x056D0, 0x04AE0, 0x0A9D4, 0x0A4D0, 0x0D150, 0x0F252, /* 2090 */ \
    0x0D520, /* 2100 */
// clang-format on

const uint32_t LunarYearTable[201] = {LUNAR_WORDS};

// The same words for the compile-time index below.
static constexpr uint32_t Words[201] = {LUNAR_WORDS};

#define LUNAR_YEARS               (LUNAR_LAST_YEAR - LUNAR_FIRST_YEAR + 1)
#define LUNAR_MONTHS              2486   // 12 a year and the 74 leap months

// What a month of the index is, in one word.
#define MONTH_START_IN_YEAR(info) ((int)((info)&0x1FF))   // days from the new year
#define MONTH_YEAR_INDEX(info)    ((int)(((info) >> 9) & 0xFF))
#define MONTH_NUMBER(info)        ((int)(((info) >> 17) & 0xF))
#define MONTH_IS_LEAP(info)       ((int)(((info) >> 21) & 1))
#define MONTH_YEAR_LEAP(info)     ((int)(((info) >> 22) & 0xF))   // the year's leap month
#define MONTH_DAYS(info)          (29 + (int)(((info) >> 26) & 1))

struct LunarIndex {
    // Days from 1900-01-31 to the new year of each lunar year; the last entry
    // is the day after the table's end.
    int32_t yearStart[LUNAR_YEARS + 1];
    // Position of each year's first month in the months below.
    int16_t firstMonth[LUNAR_YEARS + 1];
    // Days from 1900-01-31 to the start of every month in calendar order (a
    // leap month right after the month it follows), then the day after the
    // table's end, then a guard that no date reaches.
    int32_t monthStart[LUNAR_MONTHS + 2];
    uint32_t monthInfo[LUNAR_MONTHS];
};

static constexpr LunarIndex BuildLunarIndex()
{
    LunarIndex index{};
    int32_t day = 0;
    int k = 0;
    for (int i = 0; i < LUNAR_YEARS; i++) {
        uint32_t word = Words[i];
        uint32_t leap = word & 0xF;
        index.yearStart[i] = day;
        index.firstMonth[i] = (int16_t)k;
        for (uint32_t m = 1; m <= 12; m++) {
            for (uint32_t isLeap = 0; isLeap <= (m == leap ? 1u : 0u); isLeap++) {
                uint32_t big = isLeap ? (word >> 16) & 1 : (word >> (16 - m)) & 1;
                index.monthStart[k] = day;
                index.monthInfo[k] = (uint32_t)(day - index.yearStart[i]) | (uint32_t)i << 9 | m << 17 |
                                     isLeap << 21 | leap << 22 | big << 26;
                day += 29 + (int32_t)big;
                k++;
            }
        }
    }
    index.yearStart[LUNAR_YEARS] = day;
    index.firstMonth[LUNAR_YEARS] = (int16_t)k;
    index.monthStart[LUNAR_MONTHS] = day;
    index.monthStart[LUNAR_MONTHS + 1] = INT32_MAX;
    return index;
}

static constexpr LunarIndex Index = BuildLunarIndex();
static_assert(Index.yearStart[LUNAR_YEARS] == 73412, "the table ends on 2101-01-28");
static_assert(Index.firstMonth[LUNAR_YEARS] == LUNAR_MONTHS, "201 years of 12 months and 74 leap months");

// 2^32 over the mean synodic month of 29.530589 days.
static constexpr uint64_t MonthReciprocal = (uint64_t)(4294967296.0 / 29.530589);

// The one day record that GetDayInfo and LunarToSolarDay hand out.
static CalendarDay SharedDay;

int LunarMonthDays(int lunarYear, int month)
{
    return (LunarYearTable[lunarYear - LUNAR_FIRST_YEAR] >> (16 - month)) & 1 ? 30 : 29;
}

int LeapMonthOf(int lunarYear) { return (int)(LunarYearTable[lunarYear - LUNAR_FIRST_YEAR] & 0xF); }

int LeapMonthDays(int lunarYear)
{
    uint32_t word = LunarYearTable[lunarYear - LUNAR_FIRST_YEAR];
    if ((word & 0xF) == 0)
        return 0;
    return (word >> 16) & 1 ? 30 : 29;
}

int LunarYearDays(int lunarYear)
{
    int i = lunarYear - LUNAR_FIRST_YEAR;
    return Index.yearStart[i + 1] - Index.yearStart[i];
}

static constexpr int64_t EpochDayNumber = DayNumberOf(LUNAR_EPOCH);

// The lunar part of a record whose packed date has the given day number.
static int LunarFromDayNumber(CalendarDay *rec, int64_t dayNumber)
{
    int32_t offset = (int32_t)(dayNumber - EpochDayNumber);
    if (offset < 0) {
        rec->lunarValid = 0;
        return 1;
    }
    // 1900-01-31 is a 甲辰 day, counter 40. The counter is written even for
    // dates past the table's end.
    rec->dayCycle = offset + 40;
    if (offset >= Index.yearStart[LUNAR_YEARS]) {
        rec->lunarValid = 0;
        return 1;
    }
    // The table follows the moon, so every month starts within a day or two
    // of the mean month's multiple and dividing by the mean month is at most
    // one month off either way; one step each way, without branches,
    // settles it.
    int k = (int)(((uint64_t)(uint32_t)offset * MonthReciprocal) >> 32);
    k -= k > LUNAR_MONTHS - 1;
    k -= Index.monthStart[k] > offset;
    k += Index.monthStart[k + 1] <= offset;
    uint32_t info = Index.monthInfo[k];
    int dayOfMonth = offset - Index.monthStart[k];
    int year = LUNAR_FIRST_YEAR + MONTH_YEAR_INDEX(info);

    rec->lunarValid = 1;
    rec->lunarYear = year;
    rec->lunarMonth = MONTH_NUMBER(info);
    rec->lunarDay = dayOfMonth + 1;
    rec->lunarDayOfYear = MONTH_START_IN_YEAR(info) + dayOfMonth + 1;
    rec->lunarMonthDays = MONTH_DAYS(info);
    rec->leapMonth = MONTH_YEAR_LEAP(info);
    rec->isLeapMonth = MONTH_IS_LEAP(info);
    rec->yearCycle = (year - 1864) % 60;   // 1864 is 甲子
    // The first month of 1900 is 戊寅, counter 14; a leap month shares the
    // counter of the month it follows.
    rec->monthCycle = 14 + 12 * (year - LUNAR_FIRST_YEAR) + rec->lunarMonth - 1;
    return 0;
}

int SolarToLunar(CalendarDay *rec) { return LunarFromDayNumber(rec, DayNumberOf(rec->packed)); }

int ComputeDay(CalendarDay *rec) { return LunarFromDayNumber(rec, NormalizeAndNumberDay(rec)); }

CalendarDay DayInfo(PackedDate date)
{
    CalendarDay day = {};
    day.year = DATE_YEAR(date);
    day.month = DATE_MONTH(date);
    day.day = DATE_DAY(date);
    ComputeDay(&day);
    return day;
}

CalendarDay *GetDayInfo(PackedDate date)
{
    // Outside the table the lunar fields keep what the record held before.
    SharedDay.year = DATE_YEAR(date);
    SharedDay.month = DATE_MONTH(date);
    SharedDay.day = DATE_DAY(date);
    SharedDay.hour = 0;
    SharedDay.minute = 0;
    SharedDay.second = 0;
    ComputeDay(&SharedDay);
    return &SharedDay;
}

void LunarToSolarInPlace(CalendarDay *rec)
{
    int year = rec->lunarYear;
    int month = rec->lunarMonth;
    if (year >= LUNAR_FIRST_YEAR && year <= LUNAR_LAST_YEAR) {
        int i = year - LUNAR_FIRST_YEAR;
        int leap = (int)(Words[i] & 0xF);
        // A month below 1 adds no months; one above 12 runs over the whole year.
        int slot = month < 1 ? 0 : month > 12 ? 12 : month - 1;
        if (leap != 0 && leap < month)
            slot++;
        // Slot 12 or 13, past the year's last month, is the next new year.
        int32_t offset = Index.monthStart[Index.firstMonth[i] + slot] + rec->lunarDay - 1;
        rec->year = 1900;
        rec->month = 1;
        rec->day = 31 + offset;
    } else {
        rec->year = year;
        rec->month = month;
        rec->day = rec->lunarDay;
    }
    ComputeDay(rec);
}

CalendarDay *LunarToSolarDay(int32_t packedLunar)
{
    SharedDay.hour = 0;
    SharedDay.minute = 0;
    SharedDay.second = 0;
    SharedDay.lunarYear = DATE_YEAR(packedLunar);
    SharedDay.lunarMonth = DATE_MONTH(packedLunar);
    SharedDay.lunarDay = DATE_DAY(packedLunar);
    LunarToSolarInPlace(&SharedDay);
    return &SharedDay;
}

PackedDate LunarToSolar(int32_t packedLunar) { return LunarToSolarDay(packedLunar)->packed; }
