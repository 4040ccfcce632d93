#include "records.h"
#include "gbk.h"
#include <string.h>

RecordList HolidayList;
RecordList ReminderList;

// Adds the record made of the fixed fields at the start of scratch and the
// text, cut to at most limit bytes on a character boundary, with its NUL.
// scratch holds fixedSize + limit + 1 bytes; the list takes its own copy.
static int AddWithText(RecordList *list, char *scratch, size_t fixedSize, const char *text, size_t limit)
{
    size_t n = GbkCutLength(text, limit);
    memcpy(scratch + fixedSize, text, n);
    scratch[fixedSize + n] = 0;
    return ListAdd(list, scratch, (uint32_t)(fixedSize + n + 1));
}

int AddHoliday(int32_t code, const char *name)
{
    if (!name)
        return 3;
    union {
        HolidayEntry entry;
        char bytes[HOLIDAY_FIXED_SIZE + HOLIDAY_NAME_MAX + 1];
    } scratch;
    scratch.entry.code = code;
    scratch.entry.nextMatch = 0;
    return AddWithText(&HolidayList, scratch.bytes, HOLIDAY_FIXED_SIZE, name, HOLIDAY_NAME_MAX);
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
    return AddWithText(&ReminderList, scratch.bytes, REMINDER_FIXED_SIZE, text, MEMO_TEXT_MAX);
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
