// Straightforward transcriptions of the calendar engine's algorithms: year by
// year day counts, unit by unit carries, table walks and the term-by-term
// solar term search. Slow on purpose; the fast engine is checked against them.
// They fill records of their own and never touch the engine's shared record.
#pragma once
#include "calendar/calendar.h"

bool RefIsLeapYear(int year);
int RefDaysInMonth(int year, int month);
int RefDayOfYear(const CalendarDay *rec);
int32_t RefDaysBetween(PackedDate from, PackedDate to);
int RefWeekdayOf(PackedDate date);
int RefWeekOfYear(const CalendarDay *rec, int firstWeekday);
void RefNormalizeDay(CalendarDay *rec);
void RefAddMilliseconds(CalendarDay *rec, double ms);

int RefLunarMonthDays(int lunarYear, int month);
int RefLeapMonthOf(int lunarYear);
int RefLeapMonthDays(int lunarYear);
int RefLunarYearDays(int lunarYear);
int RefSolarToLunar(CalendarDay *rec);
int RefComputeDay(CalendarDay *rec);
CalendarDay *RefGetDayInfo(PackedDate date);   // the reference's own shared record
void RefLunarToSolarInPlace(CalendarDay *rec);
CalendarDay *RefLunarToSolarDay(int32_t packedLunar);
PackedDate RefLunarToSolar(int32_t packedLunar);

// The index 0..23 of the solar term on the date, or -1: RefFirstTermOf the
// date's year, then RefTermIndexFrom.
int RefSolarTermIndexOn(PackedDate date);
// The record of the year's 小寒: 1900-01-06 02:05 moved by whole mean years.
void RefFirstTermOf(int year, CalendarDay *rec);
// The term search from a year's 小寒 record, term by term.
int RefTermIndexFrom(const CalendarDay *firstTerm, PackedDate date);

// The name of the first of the 22 fields in which two day records differ, or
// null when they are equal.
const char *RefFirstDifference(const CalendarDay *a, const CalendarDay *b);
