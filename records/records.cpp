#include "records.h"
#include "gbk.h"
#include <string.h>

RecordList HolidayList;
RecordList ReminderList;

int AddHoliday(int32_t code, const char *name)
{
    if (!name)
        return 3;
    // Scratch record on the stack: the list takes its own copy.
    union {
        HolidayEntry entry;
        char bytes[HOLIDAY_FIXED_SIZE + HOLIDAY_NAME_MAX + 1];
    } scratch;
    scratch.entry.code = code;
    scratch.entry.nextMatch = 0;
    size_t n = GbkCutLength(name, HOLIDAY_NAME_MAX);
    memcpy(scratch.bytes + HOLIDAY_FIXED_SIZE, name, n);
    scratch.bytes[HOLIDAY_FIXED_SIZE + n] = 0;
    return ListAdd(&HolidayList, &scratch, (uint32_t)(HOLIDAY_FIXED_SIZE + n + 1));
}

int AddReminder(uint32_t when, uint32_t time, const char *text)
{
    if (!text)
        return 3;
    union {
        ReminderEntry entry;
        char bytes[REMINDER_FIXED_SIZE + MEMO_TEXT_MAX + 1];
    } scratch;
    scratch.entry.when = when;
    scratch.entry.time = time;
    scratch.entry.dueTick = 0;
    scratch.entry.queueNext = 0;
    size_t n = GbkCutLength(text, MEMO_TEXT_MAX);
    memcpy(scratch.bytes + REMINDER_FIXED_SIZE, text, n);
    scratch.bytes[REMINDER_FIXED_SIZE + n] = 0;
    return ListAdd(&ReminderList, &scratch, (uint32_t)(REMINDER_FIXED_SIZE + n + 1));
}

int AddChimeEntry()
{
    // Anywhere but at the head it would be taken for a memo without text.
    if (ReminderList)
        return 3;
    ReminderEntry chime;
    memset(&chime, 0, sizeof chime);
    return ListAdd(&ReminderList, &chime, (uint32_t)REMINDER_FIXED_SIZE);
}
