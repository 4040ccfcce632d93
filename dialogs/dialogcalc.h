// What the date information dialog and the holiday editor decide without a
// window: the editor's rule code from its selections, the lengths and texts of
// its lists, the holiday list edits, the date a quick-lookup holiday shows,
// and the save of a day note. dateinfo.cpp and holidayeditor.cpp read their
// controls, ask these functions and draw.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "../calendar/calendar.h"
#include "../calendar/holiday.h"
#include "../records/records.h"
#include "../store/recordstore.h"   // SaveDayNote, the dialog's save

// ---- holiday editor ----

enum { HOLIDAY_MODE_SOLAR = 0, HOLIDAY_MODE_LUNAR = 1, HOLIDAY_MODE_WEEK = 2 };

// The selection indices of the editor's drop-down lists as the controls
// report them (-1 when a list has no selection).
struct HolidaySelection {
    int32_t mode;        // HOLIDAY_MODE_*, from the radio buttons
    int32_t month;       // month list of a solar or lunar rule, 0 = the first month
    int32_t day;         // day list, 0 = day 1
    int32_t weekMonth;   // month list of a month-week rule
    int32_t direction;   // 0 counted from the start ("正数"), 1 from the end ("倒数")
    int32_t ordinal;     // 0 = the first
    int32_t weekday;     // 0 = Sunday
};

// The rule the selections describe. A list without a selection counts as
// its first item, so no month or day 0 ever reaches a rule.
HolidayCode HolidayCodeFromSelection(const HolidaySelection *s);

// How many items the day list holds for the month selected (index, -1 for
// none): 30 for every lunar month, the month's length with February at 29
// for a solar one; -1 when no month is selected (the list stays as it is).
int32_t HolidayDayListLength(int32_t monthIndex, int lunar);
// The day list's selection after it was cut or grown to newLength items: the
// selected day when it still exists, otherwise the last remaining day.
int32_t HolidayDaySelectionAfterResize(int32_t selection, int32_t newLength);

// The fixed lists of the editor, by control id (IDC_WEEK_MONTH, IDC_MONTH,
// IDC_DIRECTION, IDC_DAY, IDC_ORDINAL, IDC_WEEKDAY): the number of items they
// start with and the text of item index. The day list grows and shrinks later
// with the same texts.
int32_t HolidaySelectorCount(int control);
void HolidaySelectorText(int control, int32_t index, char *buffer, size_t size);

// Column 0 (the name) or 1 (the rule) of a holiday's list row, cut to fit
// size bytes on a whole character.
void HolidayColumnText(const HolidayEntry *entry, int column, char *buffer, size_t size);
// The orders of the two column clicks: the name byte by byte as unsigned
// bytes, the rule code as a number. <0, 0, >0.
int CompareHolidayNames(const HolidayEntry *a, const HolidayEntry *b);
int CompareHolidayCodes(const HolidayEntry *a, const HolidayEntry *b);

// Adds a holiday as the editor does (the name cut to HOLIDAY_NAME_MAX bytes on
// a whole character) and returns its node, or null when memory ran out.
ListNode *AddEditorHoliday(HolidayCode code, const char *name);
// Removes one holiday from HolidayList; the list's head moves on first when
// the node is the head.
void RemoveHoliday(ListNode *node);

// ---- date information dialog ----

// 1 when the rule really falls on the date (a normalised day), 0 otherwise.
int HolidayFallsOn(HolidayCode code, PackedDate date);
// The date the quick lookup shows for a rule: its date in the year of
// TodayDate, or 0 when the rule has no date that year (29 February in a
// common year, a fifth weekday the month lacks, lunar day 30 of a short
// month), where the reverse lookup would give a day the holiday misses.
PackedDate QuickLookupDate(HolidayCode code);
// The one line the information pane shows for such a rule.
void FormatNoDateLine(char *buffer, size_t size, const char *name, HolidayCode code, int32_t year);

// ---- date information dialog: the lunar year, month and day choosers ----

enum { LUNAR_CHOOSER_YEAR = 0, LUNAR_CHOOSER_MONTH = 1, LUNAR_CHOOSER_DAY = 2 };

// One item of the month chooser: a month number and whether it is that
// number's leap month.
struct LunarMonthItem {
    int32_t month;
    int32_t leap;
};
// The months of a lunar year in calendar order, the leap month right after
// the month it repeats: 13 or 12 items, 0 for a year outside the table.
int32_t LunarMonthItems(int32_t lunarYear, LunarMonthItem items[13]);
// The text of a month item: "正月", "闰四月", "腊月".
void LunarMonthItemText(LunarMonthItem item, char *buffer, size_t size);

// What the choosers show for a date: the year's index (0 = LUNAR_FIRST_YEAR),
// the month's index in LunarMonthItems of that year, the day's index (0 =
// 初一) and the month's length. All -1 (days 0) when the date has no lunar date.
struct LunarChoice {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t days;
};
LunarChoice LunarChoiceOf(PackedDate date);

// The solar date of a lunar day: the leap month of that number when leap is
// set and the year has it, else the regular month; a day the month lacks
// (三十 of a short month) gives way to its last day. 0 outside the table.
PackedDate SolarOfLunarDay(int32_t year, int32_t month, int32_t leap, int32_t day);
// The date to show when one chooser was set to index while the dialog shows
// the date shown: the other two keep what they show, as far as the new year
// or month has it. A shown date without a lunar date counts as 正月初一.
PackedDate LunarChooserDate(PackedDate shown, int chooser, int32_t index);
