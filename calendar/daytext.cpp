#include "daytext.h"
#include "holiday.h"
#include "names.h"
#include "offdays.h"
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

char DayTextBuffer[1000];

// Appends to DayTextBuffer at *length; returns the number of bytes added.
static int AppendFormat(size_t *length, const char *format, ...)
{
    if (*length >= sizeof DayTextBuffer - 1)
        return 0;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(DayTextBuffer + *length, sizeof DayTextBuffer - *length, format, args);
    va_end(args);
    if (n < 0)
        return 0;
    if ((size_t)n >= sizeof DayTextBuffer - *length)
        n = (int)(sizeof DayTextBuffer - 1 - *length);
    *length += (size_t)n;
    return n;
}

const char *DayText(PackedDate date, int flags)
{
    const CalendarDay *d = GetDayInfo(date);
    int budget = 998;
    size_t length = 0;
    DayTextBuffer[0] = 0;

    if (flags & DAYTEXT_SOLAR)
        budget -= AppendFormat(&length, "公元%d年%d月%d日 星期%s ", d->year, d->month, d->day,
                               WeekdayName(d->weekday));

    if ((flags & (DAYTEXT_LUNAR | DAYTEXT_LUNAR_SHORT)) && d->lunarValid) {
        const char *dayName = LunarDayName(d->lunarDay);
        const char *leap = d->isLeapMonth ? "闰" : "";
        if (flags & DAYTEXT_LUNAR_SHORT) {
            length = 0;
            if (d->lunarDay == 1)
                AppendFormat(&length, "%s%d月%s", leap, d->lunarMonth, MonthSizeWord(d->lunarMonthDays));
            else
                AppendFormat(&length, "%s", dayName);
            return DayTextBuffer;
        }
        budget -= AppendFormat(&length, "\n农历 %s%s月%s", leap, LunarMonthName(d->lunarMonth), dayName);
        if (flags & DAYTEXT_CYCLE)
            budget -= AppendFormat(&length, " \n%s%s年 %s%s月 %s%s日  ", StemOf(d->yearCycle),
                                   BranchOf(d->yearCycle), StemOf(d->monthCycle), BranchOf(d->monthCycle),
                                   StemOf(d->dayCycle), BranchOf(d->dayCycle));
    }

    if (flags & DAYTEXT_HOLIDAYS) {
        for (const HolidayEntry *e = HolidaysOn(date, flags & DAYTEXT_TERMS); e; e = e->nextMatch) {
            const int cost = (int)strlen(e->name) + 9;
            if (budget - cost < 0)
                break;
            budget -= cost;
            AppendFormat(&length, "%s%s ", e->code > HOLIDAY_SOLAR ? "\n节日：" : "\n节气：", e->name);
        }
        const char *name = "";
        int kind = OffDayOn(date, &name);
        if (kind != OFFDAY_NONE && budget - (int)strlen(name) - 16 >= 0)
            AppendFormat(&length, "\n%s：%s ", kind == OFFDAY_WORK ? "调休上班" : "放假", name);
    }
    return DayTextBuffer;
}

const char *DayCaption(PackedDate date, const HolidayEntry *holidays)
{
    if (holidays)
        return holidays->name;
    if (!GetDayInfo(date)->lunarValid)
        return 0;
    return DayText(date, DAYTEXT_LUNAR_SHORT);
}
