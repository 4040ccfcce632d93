// The 24 solar terms: the astronomical moments of 1900-2100 from a generated
// table, and the mean-year formula outside those years or when the user
// chooses it.
//
// The dates of a year's terms are computed once, with the same day-record
// moves as a direct computation, and kept for the years most often shown.
#include "solarterm.h"

#include <stdio.h>

#include "../records/settings.h"
#include "daynumber.h"
#include "solarterm_table.inc"

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

#define TERM_TABLE_YEARS (TERM_TABLE_LAST - TERM_TABLE_FIRST + 1)
static PackedDate PreciseCache[TERM_TABLE_YEARS][24];
static bool PreciseCacheFilled[TERM_TABLE_YEARS];

// The linear mean the table's entries are counted from, in minutes after
// 1900-01-01 00:00 UTC+8; scripts/gen/solarterms.js computes the same.
#define MEAN_ORIGIN_MINUTE 7325
#define MEAN_YEAR_MILLIMINUTES 525948766LL

static int UseTable(int year)
{
    return year >= TERM_TABLE_FIRST && year <= TERM_TABLE_LAST && !(Settings.flags & CTRL_MEAN_TERMS);
}

// The moment of term `index` of a table year: its date from the second, and
// the minute of the day rounded, but never past the date's last minute.
static PackedDate TableMoment(int year, int index, int *minuteOfDay)
{
    int64_t second = 60 * (MEAN_ORIGIN_MINUTE + (int64_t)(year - TERM_TABLE_FIRST) * MEAN_YEAR_MILLIMINUTES / 1000 +
                           SolarTermMinutes[index]) +
                     TermTable[(year - TERM_TABLE_FIRST) * 24 + index];
    int64_t day = DayNumberOf(PACK_DATE(TERM_TABLE_FIRST, 1, 1)) + second / 86400;
    if (minuteOfDay) {
        int minute = (int)(second % 86400 + 30) / 60;
        *minuteOfDay = minute < 1440 ? minute : 1439;
    }
    // Every term of a year falls inside it (小寒 early in January, 冬至 late in December).
    int dayOfYear = (int)(day - YearStartDayNumber(year));
    int month = 1;
    while (month < 12 && dayOfYear >= DaysBeforeMonth(year, month + 1))
        month++;
    return PACK_DATE(year, month, dayOfYear - DaysBeforeMonth(year, month) + 1);
}

static const PackedDate *PreciseDatesOf(int year)
{
    int slot = year - TERM_TABLE_FIRST;
    if (!PreciseCacheFilled[slot]) {
        for (int i = 0; i < 24; i++)
            PreciseCache[slot][i] = TableMoment(year, i, 0);
        PreciseCacheFilled[slot] = true;
    }
    return PreciseCache[slot];
}

int SolarTermsArePrecise(int year) { return UseTable(year); }

PackedDate SolarTermMoment(int year, int index, int *minuteOfDay)
{
    if (UseTable(year))
        return TableMoment(year, index, minuteOfDay);
    if (minuteOfDay)
        *minuteOfDay = -1;
    PackedDate dates[24];
    TermDatesOfYear(year, dates);
    return dates[index];
}

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

// The index of the term on the date among a year's 24 term dates.
static int IndexAmong(const PackedDate *terms, PackedDate date)
{
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

int SolarTermIndexOn(PackedDate date)
{
    int year = DATE_YEAR(date);
    if (UseTable(year))
        return IndexAmong(PreciseDatesOf(year), date);
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
    return IndexAmong(terms, date);
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
    if (UseTable(year)) {
        const PackedDate *dates = PreciseDatesOf(year);
        for (int i = 0; i < 24; i++)
            out[i] = dates[i];
        return;
    }
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

const char *FormatTermMomentInto(int year, int index, char *text)
{
    const size_t size = TERM_MOMENT_SIZE;
    int minute;
    PackedDate date = SolarTermMoment(year, index, &minute);
    if (minute >= 0)
        snprintf(text, size, "%04d-%02d-%02d %02d:%02d", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date),
                 minute / 60, minute % 60);
    else
        snprintf(text, size, "%04d-%02d-%02d --:--", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date));
    return text;
}
