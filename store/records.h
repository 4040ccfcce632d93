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

#define REMIND_EVERY_DAY   0xFFFFFFFFu
#define REMIND_MONTHLY     0x20000000u   // + day of month 1..31
#define REMIND_WEEKLY      0x10000000u   // + weekday 0..6, 0 = Sunday
#define REMIND_NO_TIME     0xFFFFFFFFu

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

// Adds a record made of the fixed fields and the text (NUL included).
int AddHoliday(int32_t code, const char *name);
int AddReminder(uint32_t when, uint32_t time, const char *text);
// Makes the chime entry (the fixed fields alone) the head of an empty ReminderList.
int AddChimeEntry();
