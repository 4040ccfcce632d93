// The day engine: packed dates and times, the day record, Gregorian arithmetic
// and the conversion to and from the Chinese lunisolar calendar.
#pragma once
#include <stdint.h>
#include "platform.h"

typedef int32_t PackedDate;   // year << 16 | month << 8 | day
typedef int32_t PackedTime;   // hour << 16 | minute << 8 | second

#define PACK_DATE(y, m, d) ((PackedDate)(((int32_t)(y) << 16) | ((m) << 8) | (d)))
#define PACK_TIME(h, m, s) ((PackedTime)(((int32_t)(h) << 16) | ((m) << 8) | (s)))
#define DATE_YEAR(p)       ((int32_t)(p) >> 16)
#define DATE_MONTH(p)      (((p) >> 8) & 0xFF)
#define DATE_DAY(p)        ((p)&0xFF)

// The engine's day record: the Gregorian part followed by the lunar part,
// 22 signed 32-bit fields in this order.
struct CalendarDay {
    // Gregorian part
    int32_t year;
    int32_t month;
    int32_t weekday;   // 0 = Sunday .. 6 = Saturday
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t dayOfYear;
    int32_t packed;
    int32_t daysInMonth;
    int32_t weekOfYear;   // ISO 8601
    // lunar part
    int32_t lunarValid;
    int32_t lunarYear;
    int32_t lunarMonth;
    int32_t lunarDay;
    int32_t lunarDayOfYear;
    int32_t lunarMonthDays;
    int32_t leapMonth;
    int32_t isLeapMonth;
    int32_t yearCycle;
    int32_t monthCycle;
    int32_t dayCycle;
};

// ---- Gregorian arithmetic ----
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
int DayOfYear(const CalendarDay *rec);
int32_t DaysBetween(PackedDate from, PackedDate to);
int WeekdayOf(PackedDate date);
int WeekOfYear(const CalendarDay *rec, int firstWeekday);
void NormalizeDay(CalendarDay *rec);
void AddMilliseconds(CalendarDay *rec, double ms);
int32_t SecondsBetween(PackedTime from, PackedTime to);

// Text forms in the shared 500-byte buffer; null for 0 and -1.
extern char SharedTextBuffer[500];
const char *FormatPackedDate(PackedDate date);
const char *FormatPackedTime(PackedTime time);

PackedDate PackedDateFromSystemTime(const SYSTEMTIME *st);
PackedTime PackedTimeFromSystemTime(const SYSTEMTIME *st);
SYSTEMTIME *SystemTimeFromPackedDate(PackedDate date);
PackedDate GetTodayPacked();
int GetTodayWeekday();

// The local wall clock. GetLocalTime by default; tests put a clock of their
// own here to play through midnight or a change of the system time.
extern void (*ReadLocalClock)(SYSTEMTIME *st);

// ---- Lunar calendar ----
#define LUNAR_FIRST_YEAR 1900
#define LUNAR_LAST_YEAR  2100
#define LUNAR_EPOCH      PACK_DATE(1900, 1, 31)   // lunar 1900/1/1
#define LUNAR_LAST_DATE  PACK_DATE(2101, 1, 28)   // lunar 2100/12/29

extern const uint32_t LunarYearTable[201];

int LunarMonthDays(int lunarYear, int month);
int LeapMonthOf(int lunarYear);
int LeapMonthDays(int lunarYear);
int LunarYearDays(int lunarYear);
int SolarToLunar(CalendarDay *rec);         // 0 ok, 1 outside the table
int ComputeDay(CalendarDay *rec);           // NormalizeDay, then SolarToLunar
// The day record of the date, the caller's own (lunar fields 0 outside the
// table); GetDayInfo fills the shared one, which the next call of the engine
// may overwrite and whose lunar fields outside the table are left as they were.
CalendarDay DayInfo(PackedDate date);
CalendarDay *GetDayInfo(PackedDate date);   // the shared day record
void LunarToSolarInPlace(CalendarDay *rec);
CalendarDay *LunarToSolarDay(int32_t packedLunar);
PackedDate LunarToSolar(int32_t packedLunar);
