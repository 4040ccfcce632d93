// The 24 solar terms by the mean-year formula.
//
// The dates of a year's terms are computed once, with the same day-record
// moves as a direct computation, and kept for the years most often shown.
#include "solarterm.h"

#include <stdio.h>

const int32_t SolarTermMinutes[24] = {
    0,      21208,  42467,  63836,  85337,  107014, 128867, 150921, 173149, 195551, 218072, 240693,
    263343, 285989, 308563, 331033, 353350, 375494, 397447, 419210, 440795, 462224, 483532, 504758,
};

const char *const SolarTermNames[24] = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至",
};

#define TROPICAL_YEAR_MS 31556925974.7
#define TERM_CACHE_FIRST 1600
#define TERM_CACHE_LAST  2600
#define TERM_CACHE_YEARS (TERM_CACHE_LAST - TERM_CACHE_FIRST + 1)

static PackedDate TermCache[TERM_CACHE_YEARS][24];
static bool TermCacheFilled[TERM_CACHE_YEARS];

// The term record handed out: a HolidayEntry with room for a two-character
// name and its two trailing zero bytes.
static union {
    HolidayEntry entry;
    char bytes[HOLIDAY_FIXED_SIZE + 8];
} TermRecord;

// 小寒 of the year: the 1900 moment moved by whole mean years.
static void FirstTermOf(int year, CalendarDay *rec)
{
    CalendarDay start = {};
    start.year = 1900;
    start.month = 1;
    start.day = 6;
    start.hour = 2;
    start.minute = 5;
    AddMilliseconds(&start, (double)(year - 1900) * TROPICAL_YEAR_MS);
    *rec = start;
}

static PackedDate TermDate(const CalendarDay *firstTerm, int index)
{
    CalendarDay moment = *firstTerm;
    AddMilliseconds(&moment, (double)SolarTermMinutes[index] * 60000.0);
    return moment.packed;
}

// The index of the term on the date, computing only as far as the date.
static int TermIndexDirect(PackedDate date)
{
    CalendarDay firstTerm;
    FirstTermOf(DATE_YEAR(date), &firstTerm);
    for (int i = 0; i < 24; i++) {
        PackedDate term = TermDate(&firstTerm, i);
        if (term == date)
            return i;
        if (date < term)
            return -1;
    }
    return -1;
}

int SolarTermIndexOn(PackedDate date)
{
    int year = DATE_YEAR(date);
    if (year < TERM_CACHE_FIRST || year > TERM_CACHE_LAST)
        return TermIndexDirect(date);
    int slot = year - TERM_CACHE_FIRST;
    PackedDate *terms = TermCache[slot];
    if (!TermCacheFilled[slot]) {
        CalendarDay firstTerm;
        FirstTermOf(year, &firstTerm);
        for (int i = 0; i < 24; i++)
            terms[i] = TermDate(&firstTerm, i);
        TermCacheFilled[slot] = true;
    }
    // The terms are at least 14 days apart, so the first date not before the
    // given one decides. Two terms fall in each month: start near the
    // month's pair and step back should the year's terms have drifted.
    int month = DATE_MONTH(date);
    int i = month < 2 ? 0 : month > 12 ? 23 : 2 * month - 4;
    while (i > 0 && terms[i - 1] >= date)
        i--;
    while (i < 24 && terms[i] < date)
        i++;
    return i < 24 && terms[i] == date ? i : -1;
}

HolidayEntry *SolarTermOn(PackedDate date)
{
    int index = SolarTermIndexOn(date);
    if (index < 0)
        return 0;
    TermRecord.entry.code = 0x1000 | index;
    TermRecord.entry.nextMatch = 0;
    // "%s%c" with a zero character: the name ends in two zero bytes.
    snprintf(TermRecord.entry.name, sizeof TermRecord.bytes - HOLIDAY_FIXED_SIZE, "%s%c",
             SolarTermNames[index], 0);
    return &TermRecord.entry;
}

void TermDatesOfYear(int year, PackedDate out[24])
{
    CalendarDay firstTerm;
    FirstTermOf(year, &firstTerm);
    int confirmed = 1;
    for (int i = 0; i < 24; i++) {
        out[i] = TermDate(&firstTerm, i);
        if (DATE_YEAR(out[i]) != year || SolarTermIndexOn(out[i]) != i)
            confirmed = 0;
    }
    if (confirmed)
        return;
    // Far from 1900 a term of the formula's year can land in the year before
    // or after, where the lookup of that date counts another year's terms:
    // the year is then searched day by day for the dates the lookup reports.
    for (int i = 0; i < 24; i++)
        out[i] = 0;
    CalendarDay d = {};
    d.year = year;
    d.month = 1;
    d.day = 1;
    for (NormalizeDay(&d); d.year == year; d.day++, NormalizeDay(&d)) {
        int index = SolarTermIndexOn(d.packed);
        if (index >= 0)
            out[index] = d.packed;
    }
}
