#include "memo.h"
#include "holiday.h"
#include "names.h"
#include "offdays.h"
#include <stdio.h>
#include <string.h>

uint32_t YearlyWhen(int month, int day) { return REMIND_YEARLY | (uint32_t)month << 8 | (uint32_t)day; }

uint32_t LunarYearlyWhen(int month, int day, int leap)
{
    return REMIND_LUNAR_YEARLY | (uint32_t)month << 8 | (leap ? REMIND_LUNAR_LEAP : 0) | (uint32_t)day;
}

int YearlyWhenParts(uint32_t when, int *month, int *day)
{
    if ((when & 0xFFFF0000u) != REMIND_YEARLY)
        return 0;
    int m = (int)(when >> 8) & 0xFF, d = (int)when & 0xFF;
    // February has 29 days here, as in the editor's day list
    if (m < 1 || m > 12 || d < 1 || d > HolidayRuleDays(m, 0))
        return 0;
    *month = m;
    *day = d;
    return 1;
}

int LunarYearlyWhenParts(uint32_t when, int *month, int *day, int *leap)
{
    if ((when & 0xFFFF0000u) != REMIND_LUNAR_YEARLY)
        return 0;
    int m = (int)(when >> 8) & 0xFF, d = (int)when & 0x7F;
    if (m < 1 || m > 12 || d < 1 || d > 30)
        return 0;
    *month = m;
    *day = d;
    *leap = (when & REMIND_LUNAR_LEAP) != 0;
    return 1;
}

// Whether the lunar memo falls in the leap month of the lunar year: only
// when it was set on a leap month and the year has that one.
static int InLeapMonth(int month, int leap, int lunarYear) { return leap && LeapMonthOf(lunarYear) == month; }

static int LunarYearlyAppliesOn(int month, int day, int leap, PackedDate date)
{
    CalendarDay rec;
    memset(&rec, 0, sizeof rec);
    rec.year = DATE_YEAR(date);
    rec.month = DATE_MONTH(date);
    rec.day = DATE_DAY(date);
    // A record of its own: the callers may be holding the shared one.
    if (ComputeDay(&rec) != 0 || rec.lunarMonth != month)
        return 0;
    if (rec.isLeapMonth != InLeapMonth(month, leap, rec.lunarYear))
        return 0;
    // day 30 of a month that has 29 falls on its last day
    return rec.lunarDay == (day < rec.lunarMonthDays ? day : rec.lunarMonthDays);
}

int MemoAppliesOn(uint32_t when, PackedDate date)
{
    if (when == (uint32_t)date || when == REMIND_EVERY_DAY ||
        when == (REMIND_MONTHLY | (uint32_t)DATE_DAY(date)) ||
        when == (REMIND_WEEKLY | (uint32_t)WeekdayOf(date)))
        return 1;
    if (when == REMIND_WORKDAYS)
        return IsWorkingDay(date);
    int month, day, leap;
    if (YearlyWhenParts(when, &month, &day)) {
        if (DATE_MONTH(date) != month)
            return 0;
        // 29 February in a common year falls on the 28th
        int last = DaysInMonth(DATE_YEAR(date), month);
        return DATE_DAY(date) == (day < last ? day : last);
    }
    if (LunarYearlyWhenParts(when, &month, &day, &leap))
        return LunarYearlyAppliesOn(month, day, leap, date);
    return 0;
}

PackedDate YearlyMemoDate(uint32_t when, int year)
{
    int month, day;
    if (year < 1 || year > 9999 || !YearlyWhenParts(when, &month, &day))
        return 0;
    int last = DaysInMonth(year, month);
    return PACK_DATE(year, month, day < last ? day : last);
}

PackedDate LunarYearlyMemoDate(uint32_t when, int lunarYear)
{
    int month, day, leap;
    if (lunarYear < LUNAR_FIRST_YEAR || lunarYear > LUNAR_LAST_YEAR ||
        !LunarYearlyWhenParts(when, &month, &day, &leap))
        return 0;
    const int inLeap = InLeapMonth(month, leap, lunarYear);
    const int length = inLeap ? LeapMonthDays(lunarYear) : LunarMonthDays(lunarYear, month);
    CalendarDay rec;
    memset(&rec, 0, sizeof rec);
    rec.lunarYear = lunarYear;
    rec.lunarMonth = month;
    rec.lunarDay = day < length ? day : length;
    // A leap month cannot be addressed directly: it begins right after the
    // regular month of its number.
    if (inLeap)
        rec.lunarDay += LunarMonthDays(lunarYear, month);
    LunarToSolarInPlace(&rec);
    return rec.packed;
}

const char *FormatMemoWhen(uint32_t when)
{
    const uint32_t value = when & 0x0FFFFFFF;
    int month, day, leap;
    if ((when & REMIND_KIND_MASK) == REMIND_MONTHLY && value >= 1 && value <= 31) {
        snprintf(SharedTextBuffer, sizeof SharedTextBuffer, "每月%d日", (int)value);
        return SharedTextBuffer;
    }
    if ((when & REMIND_KIND_MASK) == REMIND_WEEKLY && value <= 6) {
        snprintf(SharedTextBuffer, sizeof SharedTextBuffer, "每周%s", WeekdayName((int)value));
        return SharedTextBuffer;
    }
    if (when == REMIND_WORKDAYS)
        return "工作日";
    if (YearlyWhenParts(when, &month, &day)) {
        snprintf(SharedTextBuffer, sizeof SharedTextBuffer, "每年%02d月%02d日", month, day);
        return SharedTextBuffer;
    }
    if (LunarYearlyWhenParts(when, &month, &day, &leap)) {
        snprintf(SharedTextBuffer, sizeof SharedTextBuffer, "农历每年%s%d月%d日", leap ? "闰" : "", month,
                 day);
        return SharedTextBuffer;
    }
    if (when == REMIND_EVERY_DAY)
        return "每天";
    const char *text = FormatPackedDate((PackedDate)when);
    return text ? text : "[无]";
}
