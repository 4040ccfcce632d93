#include "holiday.h"
#include "names.h"
#include "solarterm.h"
#include "strings.h"
#include "today.h"
#include <stdio.h>

HolidayCode SolarHolidayCode(int month, int day) { return HOLIDAY_SOLAR | month << 8 | day; }

HolidayCode LunarHolidayCode(int month, int day) { return HOLIDAY_LUNAR | month << 8 | day; }

HolidayCode WeekdayHolidayCode(int month, int ordinal, int fromEnd, int weekday)
{
    // Counted from the end the ordinals are 7 (the last) to 11.
    const int n = fromEnd ? ordinal + 6 : ordinal;
    return HOLIDAY_WEEKDAY | month << 8 | n << 4 | weekday;
}

int HolidayRuleDays(int month, int lunar)
{
    static const int8_t Days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return lunar ? 30 : Days[month - 1];
}

// The codes a rule of a date may have.
struct DayCodes {
    int32_t solar, lunar, fromStart, fromEnd;
};

static DayCodes CodesOf(PackedDate date)
{
    const CalendarDay rec = DayInfo(date);
    DayCodes codes;
    // The Gregorian code takes the month and day as passed in, so a rule for
    // 29 February matches 2026-02-29 although the record says 1 March.
    codes.solar = HOLIDAY_SOLAR | (date & 0xFFF);
    codes.lunar = (rec.lunarValid == 1 && rec.isLeapMonth == 0)
                      ? (HOLIDAY_LUNAR | rec.lunarMonth << 8 | rec.lunarDay)
                      : -1;
    const int32_t week = HOLIDAY_WEEKDAY | rec.month << 8 | rec.weekday;
    codes.fromStart = week | ((rec.day - 1) / 7 + 1) << 4;
    codes.fromEnd = week | ((rec.daysInMonth - rec.day) / 7 + 7) << 4;
    return codes;
}

static int Matches(const DayCodes &codes, int32_t c)
{
    return c == codes.solar || c == codes.lunar || c == codes.fromStart || c == codes.fromEnd;
}

HolidayEntry *HolidaysOn(PackedDate date, int withTerms)
{
    const DayCodes codes = CodesOf(date);
    HolidayEntry *chain = 0;
    for (ListNode *node = HolidayList; node; node = node->next) {
        HolidayEntry *e = (HolidayEntry *)node->record;
        if (Matches(codes, e->code)) {
            e->nextMatch = chain;
            chain = e;
        }
    }
    if (withTerms) {
        HolidayEntry *term = SolarTermOn(date);
        if (term) {
            term->nextMatch = chain;
            chain = term;
        }
    }
    return chain;
}

int ForEachHolidayOn(PackedDate date, int withTerms,
                     int (*visit)(HolidayCode code, const char *name, void *context), void *context)
{
    int visited = 0;
    if (withTerms) {
        const int index = SolarTermIndexOn(date);
        if (index >= 0) {
            visited++;
            if (!visit(HOLIDAY_TERM | index, SolarTermNames[index], context))
                return visited;
        }
    }
    // HolidaysOn's chain runs from the last match of the list to the first.
    const DayCodes codes = CodesOf(date);
    const ListNode *last = HolidayList;
    while (last && last->next)
        last = last->next;
    for (const ListNode *node = last; node; node = node->prev) {
        const HolidayEntry *e = (const HolidayEntry *)node->record;
        if (Matches(codes, e->code)) {
            visited++;
            if (!visit(e->code, e->name, context))
                break;
        }
    }
    return visited;
}

static int Mod7(int v)
{
    v %= 7;
    return v < 0 ? v + 7 : v;
}

PackedDate HolidayDateThisYear(HolidayCode code)
{
    const int32_t year = DATE_YEAR(TodayDate.date);
    if (code < HOLIDAY_LUNAR)
        return (year << 16) | (code & 0xFFF);
    const int month = (code >> 8) & 0xF;
    if (code < HOLIDAY_WEEKDAY) {
        // A rule read from a damaged file may name month 0 or 13..15; such a
        // rule has no date rather than one made from out-of-range lookups.
        if (month < 1 || month > 12)
            return 0;
        CalendarDay rec = {};
        rec.lunarYear = year;
        rec.lunarMonth = month;
        rec.lunarDay = code & 0xFF;
        LunarToSolarInPlace(&rec);
        return rec.packed;
    }
    if (code < HOLIDAY_NONE) {
        if (month < 1 || month > 12)
            return 0;
        const int n = (code >> 4) & 0xF;
        const int weekday = code & 0xF;
        int day;
        if (n < 6) {
            CalendarDay first = {};
            first.year = year;
            first.month = month;
            first.day = 1;
            NormalizeDay(&first);
            day = 1 + Mod7(weekday - first.weekday) + 7 * (n - 1);
        } else {
            const int length = DaysInMonth(year, month);
            CalendarDay last = {};
            last.year = year;
            last.month = month;
            last.day = length;
            NormalizeDay(&last);
            day = length - Mod7(last.weekday - weekday) - 7 * (n - 7);
        }
        CalendarDay rec = {};
        rec.year = year;
        rec.month = month;
        rec.day = day;
        ComputeDay(&rec);
        return rec.packed;
    }
    return 0;
}

const char *DescribeHolidayCodeInto(HolidayCode code, char *out, size_t size)
{
    if (!out || size == 0)
        return 0;
    if (code < HOLIDAY_SOLAR || code >= HOLIDAY_NONE)
        return 0;
    const int month = (code >> 8) & 0xF;
    if (code < HOLIDAY_WEEKDAY) {
        const char *format = LoadProgramString(code < HOLIDAY_LUNAR ? IDS_SOLAR_RULE : IDS_LUNAR_RULE);
        if (!format)
            return 0;
        snprintf(out, size, format, month, code & 0xFF);
        return out;
    }
    const int n = (code >> 4) & 0xF;
    const int weekday = code & 0xF;
    if (month < 1 || month > 12 || weekday > 6)
        return 0;
    const char *format = LoadProgramString(IDS_WEEK_RULE);
    if (!format)
        return 0;
    snprintf(out, size, format, Numerals[month], n < 6 ? "正" : "倒",
             Numerals[n % 6], WeekdayName(weekday));
    return out;
}

const char *DescribeHolidayCode(HolidayCode code)
{
    return DescribeHolidayCodeInto(code, SharedTextBuffer, sizeof SharedTextBuffer);
}

// Only a new "dlm.ini" gets these: a file keeps the rules it holds, so the
// earlier 植树节 of 14 March and 父亲节 of a fixed 15 June live on in old files.
// clang-format off
static const struct {
    int32_t code;
    const char *name;
} BuiltInHolidays[30] = {
    {0x2101, "元旦"},       {0x220E, "情人节"},     {0x2308, "国际妇女节"},
    {0x230C, "植树节"},     {0x230F, "消费者权益日"}, {0x2317, "世界气象日"},
    {0x2401, "愚人节"},     {0x2501, "国际劳动节"}, {0x2504, "青年节"},
    {0x250C, "护士节"},     {0x2601, "儿童节"},     {0x4630, "父亲节"},
    {0x2701, "建党节"},     {0x2801, "建军节"},     {0x290A, "教师节"},
    {0x2A01, "国庆节"},     {0x2A06, "老人节"},     {0x2A18, "联合国日"},
    {0x2C19, "圣诞节"},     {0x3101, "春节"},       {0x310F, "元宵节"},
    {0x3505, "端午节"},     {0x3707, "七夕情人节"}, {0x380F, "中秋节"},
    {0x3909, "重阳节"},     {0x3C08, "腊八"},       {0x4520, "母亲节"},
    {0x4716, "合作节"},     {0x4A21, "加拿大感恩节"}, {0x4B74, "美国感恩节"},
};
// clang-format on

void AddBuiltInHolidays()
{
    for (const auto &h : BuiltInHolidays)
        AddHoliday(h.code, h.name);
}
