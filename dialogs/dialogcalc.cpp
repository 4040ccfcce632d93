#include "dialogcalc.h"
#include "../calendar/names.h"
#include "../calendar/today.h"
#include "../resources/resource.h"
#include "../records/gbk.h"
#include "../store/recordstore.h"
#include <stdio.h>
#include <string.h>

// ---- holiday editor ----

static int32_t Picked(int32_t selection) { return selection < 0 ? 0 : selection; }

HolidayCode HolidayCodeFromSelection(const HolidaySelection *s)
{
    if (s->mode != HOLIDAY_MODE_WEEK) {
        const int month = Picked(s->month) + 1;
        const int day = Picked(s->day) + 1;
        return s->mode == HOLIDAY_MODE_LUNAR ? LunarHolidayCode(month, day) : SolarHolidayCode(month, day);
    }
    return WeekdayHolidayCode(Picked(s->weekMonth) + 1, Picked(s->ordinal) + 1, Picked(s->direction) != 0,
                              Picked(s->weekday));
}

int32_t HolidayDayListLength(int32_t monthIndex, int lunar)
{
    if (monthIndex < 0 || monthIndex > 11)
        return -1;
    return HolidayRuleDays(monthIndex + 1, lunar);
}

int32_t HolidayDaySelectionAfterResize(int32_t selection, int32_t newLength)
{
    if (newLength <= 0)
        return -1;
    // Deleting the selected item leaves a list with no selection, and an add
    // would then store day 0.
    if (selection < 0 || selection >= newLength)
        return newLength - 1;
    return selection;
}

int32_t HolidaySelectorCount(int control)
{
    switch (control) {
    case IDC_WEEK_MONTH:
    case IDC_MONTH: return 12;
    case IDC_DIRECTION: return 2;
    case IDC_DAY: return 31;   // January, the month selected at the start
    case IDC_ORDINAL: return 5;
    case IDC_WEEKDAY: return 7;
    default: return 0;
    }
}

void HolidaySelectorText(int control, int32_t index, char *buffer, size_t size)
{
    if (!buffer || size == 0)
        return;
    buffer[0] = 0;
    if (index < 0)
        return;
    switch (control) {
    case IDC_WEEK_MONTH:
    case IDC_MONTH:
        if (index < 12)
            snprintf(buffer, size, "%s月", Numerals[index + 1]);
        break;
    case IDC_DIRECTION:
        if (index < 2)
            snprintf(buffer, size, "%s", index == 0 ? "正数" : "倒数");
        break;
    case IDC_DAY: snprintf(buffer, size, "%d日", (int)index + 1); break;
    case IDC_ORDINAL:
        if (index < 5)
            snprintf(buffer, size, "第%s个", Numerals[index + 1]);
        break;
    case IDC_WEEKDAY:
        if (index < 7)
            snprintf(buffer, size, "星期%s", WeekdayName(index));
        break;
    }
}

void HolidayColumnText(const HolidayEntry *entry, int column, char *buffer, size_t size)
{
    if (!buffer || size == 0)
        return;
    buffer[0] = 0;
    if (!entry)
        return;
    char rule[200];
    const char *text = column == 0 ? entry->name : DescribeHolidayCodeInto(entry->code, rule, sizeof rule);
    if (text)
        GbkCopyCut(buffer, text, size - 1);
}

int CompareHolidayNames(const HolidayEntry *a, const HolidayEntry *b)
{
    // strcmp compares as unsigned char, so GBK names sort after ASCII ones.
    return strcmp(a->name, b->name);
}

int CompareHolidayCodes(const HolidayEntry *a, const HolidayEntry *b)
{
    return a->code < b->code ? -1 : a->code > b->code;
}

ListNode *AddEditorHoliday(HolidayCode code, const char *name)
{
    if (!name || AddHoliday(code, name) != 0)
        return 0;
    // ListAdd puts a record after the head, or makes it the head of an empty list.
    return HolidayList->next ? HolidayList->next : HolidayList;
}

void RemoveHoliday(ListNode *node)
{
    if (!node)
        return;
    if (node == HolidayList)
        HolidayList = node->next;
    ListFreeNode(node);
}

// ---- date information dialog ----

int HolidayFallsOn(HolidayCode code, PackedDate date)
{
    if (code < HOLIDAY_SOLAR || code >= HOLIDAY_NONE)
        return 0;
    const CalendarDay day = DayInfo(date);
    const CalendarDay *rec = &day;
    if (rec->packed != date)
        return 0;   // 29 February of a common year and the like: no such day
    if (code < HOLIDAY_LUNAR)
        return code == SolarHolidayCode(rec->month, rec->day);
    if (code < HOLIDAY_WEEKDAY)
        return rec->lunarValid == 1 && rec->isLeapMonth == 0 &&
               code == LunarHolidayCode(rec->lunarMonth, rec->lunarDay);
    const int32_t week = HOLIDAY_WEEKDAY | rec->month << 8 | rec->weekday;
    return code == (week | ((rec->day - 1) / 7 + 1) << 4) ||
           code == (week | ((rec->daysInMonth - rec->day) / 7 + 7) << 4);
}

PackedDate QuickLookupDate(HolidayCode code)
{
    const PackedDate date = HolidayDateThisYear(code);
    return date != 0 && HolidayFallsOn(code, date) ? date : 0;
}

void FormatNoDateLine(char *buffer, size_t size, const char *name, HolidayCode code, int32_t year)
{
    if (!buffer || size == 0)
        return;
    char rule[64] = "", full[200];
    const char *described = DescribeHolidayCodeInto(code, full, sizeof full);
    if (described)
        GbkCopyCut(rule, described, sizeof rule - 1);
    // The name gets what the rest of the line leaves, cut on a whole character.
    static const char Format[] = "节日“%s”（%s）在%d年没有日期。";
    const int rest = snprintf(0, 0, Format, "", rule, (int)year);
    if (rest < 0 || (size_t)rest >= size) {
        buffer[0] = 0;
        return;
    }
    char cut[HOLIDAY_NAME_MAX + 1];
    size_t room = size - 1 - (size_t)rest;
    GbkCopyCut(cut, name ? name : "", room < HOLIDAY_NAME_MAX ? room : HOLIDAY_NAME_MAX);
    snprintf(buffer, size, Format, cut, rule, (int)year);
}

// ---- date information dialog: the lunar choosers ----

static int InLunarTable(int32_t year) { return year >= LUNAR_FIRST_YEAR && year <= LUNAR_LAST_YEAR; }

int32_t LunarMonthItems(int32_t lunarYear, LunarMonthItem items[13])
{
    if (!InLunarTable(lunarYear))
        return 0;
    const int leap = LeapMonthOf(lunarYear);
    int32_t n = 0;
    for (int month = 1; month <= 12; month++) {
        items[n++] = LunarMonthItem{month, 0};
        if (month == leap)
            items[n++] = LunarMonthItem{month, 1};
    }
    return n;
}

void LunarMonthItemText(LunarMonthItem item, char *buffer, size_t size)
{
    if (buffer && size > 0)
        snprintf(buffer, size, "%s%s月", item.leap ? "闰" : "", LunarMonthName(item.month));
}

LunarChoice LunarChoiceOf(PackedDate date)
{
    const CalendarDay day = DayInfo(date);
    const CalendarDay *d = &day;
    LunarChoice choice = {-1, -1, -1, 0};
    if (d->lunarValid != 1 || !InLunarTable(d->lunarYear))
        return choice;
    LunarMonthItem items[13];
    const int32_t n = LunarMonthItems(d->lunarYear, items);
    for (int32_t i = 0; i < n; i++)
        if (items[i].month == d->lunarMonth && items[i].leap == (d->isLeapMonth ? 1 : 0))
            choice.month = i;
    choice.year = d->lunarYear - LUNAR_FIRST_YEAR;
    choice.day = d->lunarDay - 1;
    choice.days = d->lunarMonthDays;
    return choice;
}

PackedDate SolarOfLunarDay(int32_t year, int32_t month, int32_t leap, int32_t day)
{
    if (!InLunarTable(year) || month < 1 || month > 12)
        return 0;
    leap = leap && LeapMonthOf(year) == month;
    const int length = leap ? LeapMonthDays(year) : LunarMonthDays(year, month);
    if (day < 1)
        day = 1;
    if (day > length)
        day = length;
    // The conversion knows regular months only; the leap month follows the
    // regular one of its number directly.
    const PackedDate first = LunarToSolar(PACK_DATE(year, month, 1));
    const int offset = (leap ? LunarMonthDays(year, month) : 0) + day - 1;
    // at most 58 days past the first: the day record rolls the overflow into the next months
    return DayInfo(PACK_DATE(DATE_YEAR(first), DATE_MONTH(first), DATE_DAY(first) + offset)).packed;
}

PackedDate LunarChooserDate(PackedDate shown, int chooser, int32_t index)
{
    const CalendarDay shownDay = DayInfo(shown);
    const CalendarDay *d = &shownDay;
    int32_t year = LUNAR_FIRST_YEAR, month = 1, leap = 0, day = 1;
    if (d->lunarValid == 1) {
        year = d->lunarYear;
        month = d->lunarMonth;
        leap = d->isLeapMonth ? 1 : 0;
        day = d->lunarDay;
    }
    if (index < 0)
        return shown;
    switch (chooser) {
    case LUNAR_CHOOSER_YEAR: year = LUNAR_FIRST_YEAR + index; break;
    case LUNAR_CHOOSER_MONTH: {
        LunarMonthItem items[13];
        if (index >= LunarMonthItems(year, items))
            return shown;
        month = items[index].month;
        leap = items[index].leap;
        break;
    }
    case LUNAR_CHOOSER_DAY: day = index + 1; break;
    default: return shown;
    }
    const PackedDate date = SolarOfLunarDay(year, month, leap, day);
    return date ? date : shown;
}
