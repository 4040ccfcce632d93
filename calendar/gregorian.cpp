// Gregorian arithmetic on packed dates and day records.
//
// The day counts and carries are closed forms over a proleptic day number, so
// their cost does not depend on how far a date lies from 1900; they give the
// same results as counting year by year and carrying unit by unit.
#include "calendar.h"
#include "daynumber.h"

#include <math.h>
#include <stdio.h>

char SharedTextBuffer[500];

// The date pickers and the clock readers share this one record.
static SYSTEMTIME SharedSystemTime;

// 0000-01-01 was a Saturday.
static inline int WeekdayOfDayNumber(int64_t n) { return (int)FloorMod(n + 6, 7); }

// The same for the day numbers of years -32768..32767, which lie within
// ±12.5 million: shifted by whole weeks to divide unsigned.
static inline int WeekdayOfNearDayNumber(int64_t n) { return (int)((uint64_t)(n + 6 + 7 * 2000000) % 7); }

// The date of a day number, counted in 400-year eras of years that start on
// March 1 so that the leap day falls at the end of the year.
static void CivilFromDayNumber(int64_t n, int32_t *year, int32_t *month, int32_t *day)
{
    int64_t z = n - 60;   // 0000-03-01
    int64_t era = FloorDiv(z, 146097);
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    *day = (int32_t)(doy - (153 * mp + 2) / 5 + 1);
    *month = (int32_t)m;
    *year = (int32_t)(yoe + era * 400 + (m <= 2));
}

void (*ReadLocalClock)(SYSTEMTIME *st) = GetLocalTime;

bool IsLeapYear(int year) { return IsLeap64(year); }

int DaysInMonth(int year, int month)
{
    if (month == 2 && IsLeap64(year))
        return 29;
    return MonthLengths[month];
}

int DayOfYear(const CalendarDay *rec) { return (int)(DaysBeforeMonth(rec->year, rec->month) + rec->day); }

int32_t DaysBetween(PackedDate from, PackedDate to) { return (int32_t)(DayNumberOf(to) - DayNumberOf(from)); }

int WeekdayOf(PackedDate date) { return WeekdayOfDayNumber(DayNumberOf(date)); }

static inline int WeekNumber(int year, int dayOfYear, int weekday, int firstWeekday)
{
    int t = dayOfYear - weekday + firstWeekday + 2;
    if (firstWeekday - weekday <= 0)
        t += 7;
    int w = t / 7;
    int r = t % 7;
    if (w == 0) {
        // The last week of the previous year.
        if (r == 6 || (r == 5 && IsLeap64((int64_t)year - 1)))
            return 53;
        return 52;
    }
    if (w == 53) {
        // The week's Thursday lies in the next year.
        if (r > (IsLeap64(year) ? 1 : 0))
            return 1;
        return 53;
    }
    return w;
}

int WeekOfYear(const CalendarDay *rec, int firstWeekday)
{
    return WeekNumber(rec->year, rec->dayOfYear, rec->weekday, firstWeekday);
}

int64_t NormalizeAndNumberDay(CalendarDay *rec)
{
    bool inRange = (uint32_t)rec->second <= 59 && (uint32_t)rec->minute <= 59 && (uint32_t)rec->hour <= 23 &&
                   (uint32_t)(rec->month - 1) <= 11 && rec->day >= 1 &&
                   (rec->day <= 28 || rec->day <= DaysInMonth(rec->year, rec->month));
    if (!inRange) {
        // 64-bit so that a huge field carries without overflowing on the way.
        int64_t day = rec->day;
        if ((uint32_t)rec->second > 59 || (uint32_t)rec->minute > 59 || (uint32_t)rec->hour > 23) {
            int64_t carry = FloorDiv(rec->second, 60);
            rec->second = (int32_t)(rec->second - carry * 60);
            int64_t minute = rec->minute + carry;
            carry = FloorDiv(minute, 60);
            rec->minute = (int32_t)(minute - carry * 60);
            int64_t hour = rec->hour + carry;
            carry = FloorDiv(hour, 24);
            rec->hour = (int32_t)(hour - carry * 24);
            day += carry;
        }
        int64_t month0 = (int64_t)rec->month - 1;
        int64_t year = rec->year + FloorDiv(month0, 12);
        int month = (int)FloorMod(month0, 12) + 1;
        if (day >= 1 && day <= (month == 2 && IsLeap64(year) ? 29 : MonthLengths[month])) {
            rec->year = (int32_t)year;
            rec->month = month;
            rec->day = (int32_t)day;
        } else {
            CivilFromDayNumber(YearStartDayNumber(year) + DaysBeforeMonth(year, month) + day - 1, &rec->year,
                               &rec->month, &rec->day);
        }
    }
    int32_t year = rec->year;
    bool leap = IsLeap64(year);
    int month = rec->month;
    int before = DaysBefore[month] + ((month > 2) & leap);
    rec->dayOfYear = before + rec->day;
    rec->packed = (PackedDate)(((uint32_t)year << 16) | ((uint32_t)month << 8) | (uint32_t)rec->day);
    // The weekday is that of the packed date, whose year field keeps only 16
    // bits; for the years it holds whole, the day number is at hand.
    int64_t number;
    if (year >= -32768 && year <= 32767) {
        number = YearStartDayNumber(year) + rec->dayOfYear - 1;
        rec->weekday = WeekdayOfNearDayNumber(number);
    } else {
        number = DayNumberOf(rec->packed);
        rec->weekday = WeekdayOfDayNumber(number);
    }
    rec->weekOfYear = WeekNumber(year, rec->dayOfYear, rec->weekday, 1);
    rec->daysInMonth = month == 2 && leap ? 29 : MonthLengths[month];
    return number;
}

void NormalizeDay(CalendarDay *rec) { NormalizeAndNumberDay(rec); }

void AddMilliseconds(CalendarDay *rec, double ms)
{
    double days = ms * 1.1574074074074074e-8;
    double whole = trunc(days);
    rec->day += (int32_t)whole;
    double f = (days - whole) * 24;
    double part = trunc(f);
    rec->hour += (int32_t)part;
    f = (f - part) * 60;
    part = trunc(f);
    rec->minute += (int32_t)part;
    f = (f - part) * 60;
    part = trunc(f);
    rec->second += (int32_t)part;
    NormalizeDay(rec);
}

int32_t SecondsBetween(PackedTime from, PackedTime to)
{
    return ((DATE_YEAR(to) - DATE_YEAR(from)) * 60 + DATE_MONTH(to) - DATE_MONTH(from)) * 60 + DATE_DAY(to) -
           DATE_DAY(from);
}

// A date or a time, packed alike, as text in the shared buffer; null for 0 and -1.
static const char *FormatPacked(int32_t packed, const char *format)
{
    if (packed == 0 || packed == -1)
        return 0;
    snprintf(SharedTextBuffer, sizeof SharedTextBuffer, format, DATE_YEAR(packed), DATE_MONTH(packed),
             DATE_DAY(packed));
    return SharedTextBuffer;
}

const char *FormatPackedDate(PackedDate date) { return FormatPacked(date, "%04d-%02d-%02d"); }

const char *FormatPackedTime(PackedTime time) { return FormatPacked(time, "%02d:%02d:%02d"); }

PackedDate PackedDateFromSystemTime(const SYSTEMTIME *st)
{
    return PACK_DATE(st->wYear, st->wMonth, st->wDay);
}

PackedTime PackedTimeFromSystemTime(const SYSTEMTIME *st)
{
    return PACK_TIME(st->wHour, st->wMinute, st->wSecond);
}

SYSTEMTIME *SystemTimeFromPackedDate(PackedDate date)
{
    SharedSystemTime.wYear = (WORD)DATE_YEAR(date);
    SharedSystemTime.wMonth = (WORD)DATE_MONTH(date);
    SharedSystemTime.wDay = (WORD)DATE_DAY(date);
    return &SharedSystemTime;
}

PackedDate GetTodayPacked()
{
    ReadLocalClock(&SharedSystemTime);
    return PackedDateFromSystemTime(&SharedSystemTime);
}

int GetTodayWeekday()
{
    ReadLocalClock(&SharedSystemTime);
    return SharedSystemTime.wDayOfWeek;
}
