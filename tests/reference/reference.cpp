// The engine's algorithms written out step by step, without shortcuts.
#include "reference.h"

#include <math.h>

#include "calendar/solarterm.h"

static CalendarDay RefSharedDay;

static void MonthLengths(int year, int lengths[13])
{
    static const int common[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m < 13; m++)
        lengths[m] = common[m];
    if (RefIsLeapYear(year))
        lengths[2] = 29;
}

bool RefIsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int RefDaysInMonth(int year, int month)
{
    int lengths[13];
    MonthLengths(year, lengths);
    return lengths[month];
}

static int OrdinalOf(int year, int month, int day)
{
    int lengths[13];
    MonthLengths(year, lengths);
    int n = day;
    for (int m = 1; m < month; m++)
        n += lengths[m];
    return n;
}

int RefDayOfYear(const CalendarDay *rec) { return OrdinalOf(rec->year, rec->month, rec->day); }

int32_t RefDaysBetween(PackedDate from, PackedDate to)
{
    int fy = DATE_YEAR(from), fm = DATE_MONTH(from), fd = DATE_DAY(from);
    int ty = DATE_YEAR(to), tm = DATE_MONTH(to), td = DATE_DAY(to);
    int32_t n = 0;
    if (fy < ty) {
        for (int y = fy; y < ty; y++)
            n += RefIsLeapYear(y) ? 366 : 365;
    } else if (fy > ty) {
        for (int y = ty; y < fy; y++)
            n -= RefIsLeapYear(y) ? 366 : 365;
    }
    n -= OrdinalOf(fy, fm, fd);
    n += OrdinalOf(ty, tm, td);
    return n;
}

int RefWeekdayOf(PackedDate date)
{
    int32_t r = RefDaysBetween(PACK_DATE(1970, 2, 1), date);
    if (r < 0)
        r = r + 7 * ((6 - r) / 7);
    return r % 7;
}

int RefWeekOfYear(const CalendarDay *rec, int first)
{
    int t;
    if (first - rec->weekday <= 0)
        t = rec->dayOfYear - rec->weekday + first + 9;
    else
        t = rec->dayOfYear - rec->weekday + first + 2;
    int w = t / 7, r = t % 7;
    if (w == 0)
        return (r == 6 || (r == 5 && RefIsLeapYear(rec->year - 1))) ? 53 : 52;
    if (w == 53) {
        if (RefIsLeapYear(rec->year) ? r > 1 : r > 0)
            return 1;
        return 53;
    }
    return w;
}

void RefNormalizeDay(CalendarDay *rec)
{
    while (rec->second > 59) {
        rec->second -= 60;
        rec->minute++;
    }
    while (rec->second < 0) {
        rec->second += 60;
        rec->minute--;
    }
    while (rec->minute > 59) {
        rec->minute -= 60;
        rec->hour++;
    }
    while (rec->minute < 0) {
        rec->minute += 60;
        rec->hour--;
    }
    while (rec->hour > 23) {
        rec->hour -= 24;
        rec->day++;
    }
    while (rec->hour < 0) {
        rec->hour += 24;
        rec->day--;
    }
    while (rec->month > 12) {
        rec->month -= 12;
        rec->year++;
    }
    while (rec->month < 1) {
        rec->month += 12;
        rec->year--;
    }
    while (rec->day > RefDaysInMonth(rec->year, rec->month)) {
        rec->day -= RefDaysInMonth(rec->year, rec->month);
        rec->month++;
        while (rec->month > 12) {
            rec->month -= 12;
            rec->year++;
        }
    }
    while (rec->day < 1) {
        rec->month--;
        while (rec->month < 1) {
            rec->month += 12;
            rec->year--;
        }
        rec->day += RefDaysInMonth(rec->year, rec->month);
    }
    rec->dayOfYear = RefDayOfYear(rec);
    rec->packed =
        (PackedDate)(((uint32_t)rec->year << 16) | ((uint32_t)rec->month << 8) | (uint32_t)rec->day);
    rec->weekday = RefWeekdayOf(rec->packed);
    rec->weekOfYear = RefWeekOfYear(rec, 1);
    rec->daysInMonth = RefDaysInMonth(rec->year, rec->month);
}

void RefAddMilliseconds(CalendarDay *rec, double ms)
{
    double d = ms * 1.1574074074074074e-8;
    double whole = trunc(d);
    rec->day += (int32_t)whole;
    double f = (d - whole) * 24;
    double h = trunc(f);
    rec->hour += (int32_t)h;
    f = (f - h) * 60;
    double m = trunc(f);
    rec->minute += (int32_t)m;
    f = (f - m) * 60;
    double s = trunc(f);
    rec->second += (int32_t)s;
    RefNormalizeDay(rec);
}

int RefLunarMonthDays(int lunarYear, int month)
{
    return (LunarYearTable[lunarYear - 1900] >> (16 - month)) & 1 ? 30 : 29;
}

int RefLeapMonthOf(int lunarYear) { return LunarYearTable[lunarYear - 1900] & 0xF; }

int RefLeapMonthDays(int lunarYear)
{
    if (RefLeapMonthOf(lunarYear) == 0)
        return 0;
    return (LunarYearTable[lunarYear - 1900] >> 16) & 1 ? 30 : 29;
}

int RefLunarYearDays(int lunarYear)
{
    int n = 348;
    for (int m = 1; m <= 12; m++)
        if (RefLunarMonthDays(lunarYear, m) == 30)
            n++;
    return n + RefLeapMonthDays(lunarYear);
}

int RefSolarToLunar(CalendarDay *rec)
{
    int32_t offset = RefDaysBetween(PACK_DATE(1900, 1, 31), rec->packed);
    if (offset < 0) {
        rec->lunarValid = 0;
        return 1;
    }
    rec->lunarValid = 1;
    rec->dayCycle = offset + 40;
    int y = 1900;
    while (y <= 2100 && offset >= RefLunarYearDays(y)) {
        offset -= RefLunarYearDays(y);
        y++;
    }
    if (y > 2100) {
        rec->lunarValid = 0;
        return 1;
    }
    rec->lunarYear = y;
    rec->lunarDayOfYear = offset + 1;
    rec->yearCycle = (y - 1864) % 60;
    rec->leapMonth = RefLeapMonthOf(y);
    rec->isLeapMonth = 0;
    for (int m = 1; m <= 12; m++) {
        int n = RefLunarMonthDays(y, m);
        if (offset < n) {
            rec->lunarMonth = m;
            rec->lunarMonthDays = n;
            break;
        }
        offset -= n;
        if (m == rec->leapMonth) {
            n = RefLeapMonthDays(y);
            if (offset < n) {
                rec->lunarMonth = m;
                rec->isLeapMonth = 1;
                rec->lunarMonthDays = n;
                break;
            }
            offset -= n;
        }
    }
    rec->lunarDay = offset + 1;
    rec->monthCycle = 14 + 12 * (y - 1900) + (rec->lunarMonth - 1);
    return 0;
}

int RefComputeDay(CalendarDay *rec)
{
    RefNormalizeDay(rec);
    return RefSolarToLunar(rec);
}

CalendarDay *RefGetDayInfo(PackedDate date)
{
    RefSharedDay.hour = RefSharedDay.minute = RefSharedDay.second = 0;
    RefSharedDay.year = DATE_YEAR(date);
    RefSharedDay.month = DATE_MONTH(date);
    RefSharedDay.day = DATE_DAY(date);
    RefComputeDay(&RefSharedDay);
    return &RefSharedDay;
}

void RefLunarToSolarInPlace(CalendarDay *rec)
{
    int y = rec->lunarYear, m = rec->lunarMonth, d = rec->lunarDay;
    if (y >= 1900 && y <= 2100) {
        int32_t offset = 0;
        for (int k = 1900; k < y; k++)
            offset += RefLunarYearDays(k);
        for (int k = 1; k < m; k++)
            offset += RefLunarMonthDays(y, k);
        int leap = RefLeapMonthOf(y);
        if (leap >= 1 && leap <= m - 1)
            offset += RefLeapMonthDays(y);
        offset += d - 1;
        rec->year = 1900;
        rec->month = 1;
        rec->day = 31 + offset;
    } else {
        rec->year = y;
        rec->month = m;
        rec->day = d;
    }
    RefComputeDay(rec);
}

CalendarDay *RefLunarToSolarDay(int32_t packedLunar)
{
    RefSharedDay.hour = RefSharedDay.minute = RefSharedDay.second = 0;
    RefSharedDay.lunarYear = DATE_YEAR(packedLunar);
    RefSharedDay.lunarMonth = DATE_MONTH(packedLunar);
    RefSharedDay.lunarDay = DATE_DAY(packedLunar);
    RefLunarToSolarInPlace(&RefSharedDay);
    return &RefSharedDay;
}

PackedDate RefLunarToSolar(int32_t packedLunar) { return RefLunarToSolarDay(packedLunar)->packed; }

void RefFirstTermOf(int year, CalendarDay *rec)
{
    CalendarDay start = {};
    start.year = 1900;
    start.month = 1;
    start.day = 6;
    start.hour = 2;
    start.minute = 5;
    RefAddMilliseconds(&start, (double)(year - 1900) * 31556925974.7);
    *rec = start;
}

int RefTermIndexFrom(const CalendarDay *firstTerm, PackedDate date)
{
    for (int i = 0; i < 24; i++) {
        CalendarDay term = *firstTerm;
        RefAddMilliseconds(&term, (double)SolarTermMinutes[i] * 60000.0);
        if (date == term.packed)
            return i;
        if (date < term.packed)
            return -1;
    }
    return -1;
}

int RefSolarTermIndexOn(PackedDate date)
{
    CalendarDay firstTerm;
    RefFirstTermOf(DATE_YEAR(date), &firstTerm);
    return RefTermIndexFrom(&firstTerm, date);
}

const char *RefFirstDifference(const CalendarDay *a, const CalendarDay *b)
{
    static const char *const names[22] = {"year",           "month",       "weekday",     "day",
                                          "hour",           "minute",      "second",      "dayOfYear",
                                          "packed",         "daysInMonth", "weekOfYear",  "lunarValid",
                                          "lunarYear",      "lunarMonth",  "lunarDay",    "lunarDayOfYear",
                                          "lunarMonthDays", "leapMonth",   "isLeapMonth", "yearCycle",
                                          "monthCycle",     "dayCycle"};
    static_assert(sizeof(CalendarDay) == 22 * sizeof(int32_t), "22 packed fields");
    const int32_t *x = &a->year, *y = &b->year;
    for (int i = 0; i < 22; i++)
        if (x[i] != y[i])
            return names[i];
    return 0;
}
