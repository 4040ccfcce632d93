// The Chinese lunisolar calendar of the lunar years 1900..2100, driven by one
// word per year.
//
// Conversions look up precomputed day offsets of every lunar year and month
// instead of walking the table, so they cost the same for any date.
#include "calendar.h"

// Leap month in bits 0-3, months 1..12 big (30 days) in bits 15..4, a big
// leap month in bit 16.
//
// The words of 1933, 1954, 1956, 1978, 1996 and 2033 differ from the widely
// copied table, which puts month starts of those years a day off the
// published calendars and gives 2033 its leap month after the seventh month
// instead of the eleventh.
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

const uint32_t LunarYearTable[201] = {LUNAR_WORDS};

// The same words for the compile-time index below.
static constexpr uint32_t Words[201] = {LUNAR_WORDS};

#define LUNAR_YEARS (LUNAR_LAST_YEAR - LUNAR_FIRST_YEAR + 1)
#define NO_MONTH 0xFFFF

struct LunarIndex {
    // Days from 1900-01-31 to the new year of each lunar year; the last entry
    // is the day after the table's end.
    int32_t yearStart[LUNAR_YEARS + 1];
    // Days from the new year to the start of each month of the year in
    // calendar order (the leap month right after the month it follows), then
    // the year's length, then NO_MONTH.
    uint16_t monthStart[LUNAR_YEARS][14];
};

static constexpr LunarIndex BuildLunarIndex() {
    LunarIndex index{};
    int32_t start = 0;
    for (int i = 0; i < LUNAR_YEARS; i++) {
        uint32_t word = Words[i];
        int leap = (int)(word & 0xF);
        int slot = 0;
        uint16_t day = 0;
        index.yearStart[i] = start;
        for (int m = 1; m <= 12; m++) {
            index.monthStart[i][slot++] = day;
            day += (word >> (16 - m)) & 1 ? 30 : 29;
            if (m == leap) {
                index.monthStart[i][slot++] = day;
                day += (word >> 16) & 1 ? 30 : 29;
            }
        }
        index.monthStart[i][slot++] = day;
        while (slot < 14) index.monthStart[i][slot++] = NO_MONTH;
        start += day;
    }
    index.yearStart[LUNAR_YEARS] = start;
    return index;
}

static constexpr LunarIndex Index = BuildLunarIndex();
static_assert(Index.yearStart[LUNAR_YEARS] == 73412, "the table ends on 2101-01-28");

// The one day record that GetDayInfo and LunarToSolarDay hand out.
static CalendarDay SharedDay;

int LunarMonthDays(int lunarYear, int month) {
    return (LunarYearTable[lunarYear - LUNAR_FIRST_YEAR] >> (16 - month)) & 1 ? 30 : 29;
}

int LeapMonthOf(int lunarYear) {
    return (int)(LunarYearTable[lunarYear - LUNAR_FIRST_YEAR] & 0xF);
}

int LeapMonthDays(int lunarYear) {
    uint32_t word = LunarYearTable[lunarYear - LUNAR_FIRST_YEAR];
    if ((word & 0xF) == 0) return 0;
    return (word >> 16) & 1 ? 30 : 29;
}

int LunarYearDays(int lunarYear) {
    int i = lunarYear - LUNAR_FIRST_YEAR;
    return Index.yearStart[i + 1] - Index.yearStart[i];
}

int SolarToLunar(CalendarDay *rec) {
    int32_t offset = DaysBetween(LUNAR_EPOCH, rec->packed);
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
    // Every lunar new year lies within 20 days of the mean-year estimate
    // 365.2422 × i, so dividing by the mean year is at most one year off
    // either way; one step each way, without branches, settles it.
    int i = (int)((uint32_t)offset * 10000ull / 3652422);
    i -= i > LUNAR_YEARS - 1;
    i -= Index.yearStart[i] > offset;
    i += Index.yearStart[i + 1] <= offset;
    int dayOfYear = offset - Index.yearStart[i];
    int year = LUNAR_FIRST_YEAR + i;
    int leap = (int)(Words[i] & 0xF);
    const uint16_t *starts = Index.monthStart[i];
    // Likewise month k starts between day 29k and 30k of the year, so the
    // mean month of 29.53 days is at most one month off.
    int slot = dayOfYear * 100 / 2953;
    slot -= slot > 12;
    slot -= starts[slot] > dayOfYear;
    slot += starts[slot + 1] <= dayOfYear;

    rec->lunarValid = 1;
    rec->lunarYear = year;
    rec->lunarDayOfYear = dayOfYear + 1;
    rec->yearCycle = (year - 1864) % 60;   // 1864 is 甲子
    rec->leapMonth = leap;
    rec->isLeapMonth = leap != 0 && slot == leap;
    rec->lunarMonth = leap != 0 && slot >= leap ? slot : slot + 1;
    rec->lunarMonthDays = starts[slot + 1] - starts[slot];
    rec->lunarDay = dayOfYear - starts[slot] + 1;
    // The first month of 1900 is 戊寅, counter 14; a leap month shares the
    // counter of the month it follows.
    rec->monthCycle = 14 + 12 * (year - LUNAR_FIRST_YEAR) + rec->lunarMonth - 1;
    return 0;
}

int ComputeDay(CalendarDay *rec) {
    NormalizeDay(rec);
    return SolarToLunar(rec);
}

CalendarDay *GetDayInfo(PackedDate date) {
    SharedDay.year = DATE_YEAR(date);
    SharedDay.month = DATE_MONTH(date);
    SharedDay.day = DATE_DAY(date);
    SharedDay.hour = 0;
    SharedDay.minute = 0;
    SharedDay.second = 0;
    ComputeDay(&SharedDay);
    return &SharedDay;
}

void LunarToSolarInPlace(CalendarDay *rec) {
    int year = rec->lunarYear;
    int month = rec->lunarMonth;
    if (year >= LUNAR_FIRST_YEAR && year <= LUNAR_LAST_YEAR) {
        int i = year - LUNAR_FIRST_YEAR;
        int leap = (int)(Words[i] & 0xF);
        // A month below 1 adds no months; one above 12 runs over the whole year.
        int slot = month < 1 ? 0 : month > 12 ? 12 : month - 1;
        if (leap != 0 && leap < month) slot++;
        int32_t offset = Index.yearStart[i] + Index.monthStart[i][slot] + rec->lunarDay - 1;
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

CalendarDay *LunarToSolarDay(int32_t packedLunar) {
    SharedDay.hour = 0;
    SharedDay.minute = 0;
    SharedDay.second = 0;
    SharedDay.lunarYear = DATE_YEAR(packedLunar);
    SharedDay.lunarMonth = DATE_MONTH(packedLunar);
    SharedDay.lunarDay = DATE_DAY(packedLunar);
    LunarToSolarInPlace(&SharedDay);
    return &SharedDay;
}

PackedDate LunarToSolar(int32_t packedLunar) {
    return LunarToSolarDay(packedLunar)->packed;
}
