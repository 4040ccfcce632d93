// The variable-length records of the holiday list and the memo list.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "recordlist.h"

struct HolidayEntry {
    int32_t code;              // HolidayCode
    HolidayEntry *nextMatch;   // chains the results of one holiday lookup; 0 when made
    char name[1];              // NUL-terminated GBK, the record runs on past the struct
};
#define HOLIDAY_FIXED_SIZE offsetof(HolidayEntry, name)

// A memo's `when`: a PackedDate (dated), or one of the kinds below, told
// apart by the high four bits.
#define REMIND_EVERY_DAY   0xFFFFFFFFu
#define REMIND_MONTHLY     0x20000000u   // + day of month 1..31
#define REMIND_WEEKLY      0x10000000u   // + weekday 0..6, 0 = Sunday
// Yearly on a Gregorian month and day: + month << 8 | day (2/29 falls on
// 2/28 in common years). Lunar yearly: + month << 8 | day, with
// REMIND_LUNAR_LEAP in the day byte for a leap month (the lunar day 30 falls
// on day 29 of a short month).
// The kinds are chosen so that
// - they lie above every dated value (year 9999 at most, 0x270F0C1F) read
//   unsigned, so the purge of expired memos keeps them;
// - read signed, as column 0 of the memo list sorts, they come after the
//   monthly memos, yearly before lunar yearly, each in the calendar's order:
//   the leap bit sits below the month, so a leap fourth month sorts between
//   the fourth and the fifth;
// - an older program, which compares `when` for equality with a date, -1,
//   0x20000000 | day and 0x10000000 | weekday, never finds them equal to
//   anything (as dates they would be in the years 12288 and 16384), so it
//   keeps them as memos that never apply and writes them back unchanged.
#define REMIND_YEARLY       0x30000000u
#define REMIND_LUNAR_YEARLY 0x40000000u
#define REMIND_LUNAR_LEAP   0x80u
// Every working day: Monday to Friday except the statutory days off, and the
// make-up workdays. One value, above the lunar yearly kind by the same rules.
#define REMIND_WORKDAYS     0x50000000u
#define REMIND_KIND_MASK    0xF0000000u
#define REMIND_NO_TIME      0xFFFFFFFFu

struct ReminderEntry {
    uint32_t when;              // PackedDate or one of REMIND_*
    uint32_t time;              // PackedTime or REMIND_NO_TIME
    uint64_t dueTick;           // run-time: monotonic millisecond at which a queued memo fires
    ReminderEntry *queueNext;   // run-time: next entry of the alarm queue
    char text[1];               // NUL-terminated GBK; absent in the chime entry
};
#define REMINDER_FIXED_SIZE offsetof(ReminderEntry, text)

// Longest texts the editors accept.
#define HOLIDAY_NAME_MAX    991
#define MEMO_TEXT_MAX       983

extern RecordList HolidayList;
extern RecordList ReminderList;   // its head is always the chime entry

// The first memo of ReminderList, past the chime entry; null when there is none.
inline ListNode *FirstMemo()
{
    if (!ReminderList)
        return 0;
    return ReminderList->next;
}

// Adds a record made of the fixed fields and the text (NUL included).
int AddHoliday(int32_t code, const char *name);
int AddReminder(uint32_t when, uint32_t time, const char *text);
// Makes the chime entry (the fixed fields alone) the head of an empty ReminderList.
int AddChimeEntry();
