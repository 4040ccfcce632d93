// The calendar as one iCalendar file, for the calendars people carry on their
// phones: the holiday rules, the solar terms, the memos and, when asked, the
// day notes of a range of years. UTF-8 with CRLF line ends, lines folded at
// 75 octets, texts escaped; recurring rules as RRULE where the Gregorian
// calendar can say them, lunar ones one event per year.
#pragma once
#include <stdint.h>
#include "../calendar/calendar.h"
#include "report.h"

enum { ICS_NOTES = 1 };   // the day notes as all-day events as well

// The longest range of years one export covers.
#define ICS_MAX_YEARS 201

// 1 when 1 <= fromYear <= toYear <= 9999 and the range has at most
// ICS_MAX_YEARS years.
int IcsRangeValid(int32_t fromYear, int32_t toYear);

// Builds the calendar of the years fromYear..toYear from HolidayList,
// ReminderList and (with ICS_NOTES) DayNoteStore into out, replacing what it
// held. stampUtc is the time of the export (DTSTAMP, UTC). Every event has a
// UID made of what it is, not of where it stands in a list, so that importing
// a later export again updates the events instead of doubling them. Returns
// the number of events, or -1 for a range IcsRangeValid refuses or when
// memory ran out.
int32_t BuildIcs(TextBuffer *out, int32_t fromYear, int32_t toYear, int32_t flags,
                 const SYSTEMTIME *stampUtc);

// BuildIcs at the present UTC time, written to name as a complete new file
// (fileio.h). SAVE_OK with the number of events in *events, or a SAVE_*
// failure (SAVE_NO_MEMORY when it could not be built, SAVE_READ_ONLY for a
// read-only file), leaving an existing file as it was.
int ExportIcsFile(const char *name, int32_t fromYear, int32_t toYear, int32_t flags, int32_t *events);
