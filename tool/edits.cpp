// The changing commands of loomcal: day notes and marks in "dlm.db", memos and
// holiday rules in "dlm.ini". Each makes the change the program's own dialogs
// make and writes the file the way the program does at exit.
#include "loomcal.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "../calendar/holiday.h"
#include "../calendar/memo.h"
#include "../features/report.h"
#include "../store/config.h"
#include "../records/gbk.h"
#include "../records/records.h"
#include "../store/recordstore.h"

// A text from the command line as the program's dialogs would hold it: GBK,
// line breaks as "\r\n" (the edit controls' form). Malloc'ed, or null with a
// message when the text cannot be read.
static char *DialogText(const char *arg)
{
    char *gbk = ArgumentToGbk(arg);
    if (!gbk) {
        ErrorLine("loomcal: the text is not valid in the terminal's encoding");
        return 0;
    }
    size_t breaks = 0;
    for (const char *p = gbk; *p; p++)
        if (*p == '\n')
            breaks++;
    char *text = (char *)malloc(strlen(gbk) + breaks + 1);
    if (!text) {
        free(gbk);
        ErrorLine("loomcal: out of memory");
        return 0;
    }
    char *out = text;
    for (const char *p = gbk; *p; p++) {
        // '\n' and '\r' never occur as the trail byte of a GBK character
        if (*p == '\n' && (p == gbk || p[-1] != '\r'))
            *out++ = '\r';
        *out++ = *p;
    }
    *out = 0;
    free(gbk);
    return text;
}

static int RefuseDamagedStore()
{
    if (RefuseUnreadableStore())
        return 1;
    if (DayNoteStore->fileState == STORE_FILE_DAMAGED) {
        ErrorLine("loomcal: dlm.db is damaged (%s); not changing it (see 'loomcal check')", DayNoteStore->damage);
        return 1;
    }
    return 0;
}

static int RefuseDamagedConfig(int configResult)
{
    if (RefuseUnreadableConfig(configResult))
        return 1;
    if (configResult == CONFIG_DAMAGED) {
        // writing it back would drop the lines that could not be read
        ErrorLine("loomcal: dlm.ini is damaged; not changing it (see 'loomcal check')");
        return 1;
    }
    return 0;
}

// ---- notes ----

static int ListNote(void *record, void *context)
{
    StoreItem *item = (StoreItem *)record;
    PackedDate date = item->entry.key;
    const char *text = "";
    if (item->entry.dataLength > 0) {
        const char *data = StoreGetData(item);
        if (data) {
            text = data;
        } else {
            *(int *)context += 1;
        }
    }
    OutFormat("%04d-%02d-%02d\t%d\t", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date),
              item->entry.userValue != 0 ? 1 : 0);
    OutEscaped(text);
    OutText("\n");
    return 0;
}

static int HasText(StoreItem *item)
{
    if (item->entry.dataLength <= 0)
        return 0;
    const char *data = StoreGetData(item);
    return data && data[0];
}

int CommandNotes(int argc, char **argv, int mark)
{
    if (argc < 1)
        return ErrorLine("loomcal: 'notes' needs list, set, mark, unmark or delete"), EXIT_BAD_ARGUMENT;
    const char *action = argv[0];
    if (strcmp(action, "list") == 0) {
        if (argc > 1)
            return ErrorLine("loomcal: too many arguments for 'notes list'"), EXIT_BAD_ARGUMENT;
        OpenStoreForTool();
        if (RefuseUnreadableStore())
            return EXIT_FAILED;
        if (DayNoteStore->fileState == STORE_FILE_DAMAGED)
            ErrorLine("loomcal: warning: dlm.db is damaged (%s); what could be read follows (see 'loomcal check')",
                      DayNoteStore->damage);
        int unreadable = 0;
        TreeWalk(DayNoteStore->root.children, ListNote, &unreadable);
        if (unreadable)
            ErrorLine("loomcal: warning: the text of %d notes could not be read from dlm.db", unreadable);
        return EXIT_OK;
    }

    int isSet = strcmp(action, "set") == 0;
    if (!isSet && strcmp(action, "mark") != 0 && strcmp(action, "unmark") != 0 &&
        strcmp(action, "delete") != 0) {
        ErrorLine("loomcal: unknown notes action '%s' (list, set, mark, unmark, delete)", ShownArg(action));
        return EXIT_BAD_ARGUMENT;
    }
    int wanted = isSet ? 3 : 2;
    if (argc < wanted) {
        ErrorLine(isSet ? "loomcal: 'notes set' needs a date YYYY-MM-DD and a text"
                        : "loomcal: 'notes %s' needs a date YYYY-MM-DD",
                  action);
        return EXIT_BAD_ARGUMENT;
    }
    if (argc > wanted) {
        ErrorLine("loomcal: too many arguments for 'notes %s'", action);
        return EXIT_BAD_ARGUMENT;
    }
    PackedDate date;
    if (!ParseDate(argv[1], &date)) {
        ErrorLine("loomcal: '%s' is not a date (YYYY-MM-DD, year 1..9999)", ShownArg(argv[1]));
        return EXIT_BAD_ARGUMENT;
    }
    char *text = 0;
    if (isSet) {
        text = DialogText(argv[2]);
        if (!text)
            return EXIT_BAD_ARGUMENT;
    }

    if (LockForChange() != EXIT_OK) {
        free(text);
        return EXIT_FAILED;
    }
    OpenStoreForTool();
    if (RefuseDamagedStore()) {
        free(text);
        return EXIT_FAILED;
    }
    StoreItem *item = FindDayNote(date);
    int status = EXIT_OK;
    if (isSet) {
        // the save of the date information dialog, with the text given and
        // the mark given, or else the mark the note already has
        if (mark < 0)
            mark = item && item->entry.userValue != 0;
        if (SaveDayNote(date, mark, text, 0) == NOTE_SAVE_FAILED) {
            ErrorLine("loomcal: could not save the note of %s: out of memory", ShownArg(argv[1]));
            status = EXIT_FAILED;
        }
    } else if (strcmp(action, "mark") == 0) {
        if (!item)
            item = StoreAddItem(&DayNoteStore->root, date);
        if (!item) {
            ErrorLine("loomcal: could not add the note of %s", ShownArg(argv[1]));
            status = EXIT_FAILED;
        } else {
            StoreSetUserValue(item, 1);
        }
    } else if (strcmp(action, "unmark") == 0) {
        if (item) {
            if (HasText(item))
                StoreSetUserValue(item, 0);
            else
                StoreDeleteItem(item);   // neither text nor mark: the note goes, as in the dialog
        }
    } else if (item) {
        StoreDeleteItem(item);
    }
    free(text);
    // A mark or a deletion alone does not make the store write itself back;
    // the command's whole point is the change on disk.
    StoreMarkChanged(DayNoteStore);
    if (status != EXIT_OK) {
        CloseStoreForTool(0);
        return status;
    }
    return CloseStoreForTool(1);
}

// ---- memos ----

// The text argument of a new memo or holiday: converted to GBK and refused
// when empty (AddReminder and AddHoliday cut it to what the record holds,
// limit bytes, which is said with a warning); then, under the data lock, the
// configuration it joins is loaded, refusing a damaged one so that saving
// cannot drop its skipped lines.
// Returns the text to free, or 0 with the exit status in *status.
static char *RecordTextForAdd(const char *arg, const char *what, size_t limit, int *status)
{
    *status = EXIT_BAD_ARGUMENT;
    char *text = DialogText(arg);
    if (!text)
        return 0;
    if (!text[0]) {
        free(text);
        ErrorLine("loomcal: the %s is empty", what);
        return 0;
    }
    size_t kept = GbkCutLength(text, limit);
    if (kept < strlen(text))
        ErrorLine("loomcal: warning: the %s is longer than %u bytes; only its first %u bytes are kept", what,
                  (unsigned)limit, (unsigned)kept);
    if (LockForChange() != EXIT_OK) {
        free(text);
        *status = EXIT_FAILED;
        return 0;
    }
    if (RefuseDamagedConfig(LoadConfigForTool())) {
        free(text);
        *status = EXIT_FAILED;
        return 0;
    }
    return text;
}

static int SaveAfterAdd(int added)
{
    if (added != 0) {
        ErrorLine("loomcal: out of memory");
        return EXIT_FAILED;
    }
    ConfigChanged = 1;
    return SaveConfigForTool();
}

static int ParseTime(const char *text, uint32_t *out)
{
    int h, m, s = 0;
    char tail;
    int fields = sscanf(text, "%2d:%2d:%2d%c", &h, &m, &s, &tail);
    if (fields != 2 && fields != 3)
        return 0;
    // sscanf accepts blanks and signs; the text itself must be digits and colons
    size_t length = strlen(text);
    if (length != (fields == 2 ? 5u : 8u))
        return 0;
    for (size_t i = 0; i < length; i++)
        if (!((text[i] >= '0' && text[i] <= '9') || (text[i] == ':' && (i == 2 || i == 5))))
            return 0;
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return 0;
    *out = (uint32_t)PACK_TIME(h, m, s);
    return 1;
}

// MM-DD after the kind's prefix: a month 1..12 and a day 1..maxDay(month),
// one or two digits each.
static int ParseMonthDay(const char *text, int lunar, int *month, int *day)
{
    const char *p = text;
    int m = 0, d = 0, digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 3) {
        m = m * 10 + (*p++ - '0');
        digits++;
    }
    if (digits < 1 || digits > 2 || *p++ != '-')
        return 0;
    digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 3) {
        d = d * 10 + (*p++ - '0');
        digits++;
    }
    if (digits < 1 || digits > 2 || *p || m < 1 || m > 12 || d < 1 || d > HolidayRuleDays(m, lunar))
        return 0;
    *month = m;
    *day = d;
    return 1;
}

// lunar:MM-DD, with the month of a leap month written 闰MM or LMM.
static int ParseLunarWhen(const char *text, uint32_t *out)
{
    char *gbk = ArgumentToGbk(text);
    if (!gbk)
        return 0;
    static const char LeapWord[] = "闰";   // GBK, two bytes
    const char *rest = gbk;
    int leap = 0, month, day;
    if (strncmp(rest, LeapWord, sizeof LeapWord - 1) == 0) {
        leap = 1;
        rest += sizeof LeapWord - 1;
    } else if (*rest == 'L' || *rest == 'l') {
        leap = 1;
        rest++;
    }
    int ok = ParseMonthDay(rest, 1, &month, &day);
    free(gbk);
    if (ok)
        *out = LunarYearlyWhen(month, day, leap);
    return ok;
}

static int ParseWhen(const char *text, uint32_t *out)
{
    PackedDate date;
    int value, month, day;
    if (strcmp(text, "daily") == 0) {
        *out = REMIND_EVERY_DAY;
        return 1;
    }
    if (strcmp(text, "workdays") == 0) {
        *out = REMIND_WORKDAYS;
        return 1;
    }
    if (strncmp(text, "monthly:", 8) == 0 && text[8] != '-' && text[8] != '+' &&
        ParseNumber(text + 8, 1, 31, &value)) {
        *out = REMIND_MONTHLY | (uint32_t)value;
        return 1;
    }
    if (strncmp(text, "weekly:", 7) == 0 && text[7] != '-' && text[7] != '+' &&
        ParseNumber(text + 7, 0, 6, &value)) {
        *out = REMIND_WEEKLY | (uint32_t)value;
        return 1;
    }
    if (strncmp(text, "yearly:", 7) == 0 && ParseMonthDay(text + 7, 0, &month, &day)) {
        *out = YearlyWhen(month, day);
        return 1;
    }
    if (strncmp(text, "lunar:", 6) == 0)
        return ParseLunarWhen(text + 6, out);
    if (ParseDate(text, &date)) {
        *out = (uint32_t)date;
        return 1;
    }
    return 0;
}

int CommandMemos(int argc, char **argv)
{
    if (argc < 1)
        return ErrorLine("loomcal: 'memos' needs list or add"), EXIT_BAD_ARGUMENT;
    if (strcmp(argv[0], "list") == 0) {
        if (argc > 1)
            return ErrorLine("loomcal: too many arguments for 'memos list'"), EXIT_BAD_ARGUMENT;
        int config = LoadConfigForTool();
        if (RefuseUnreadableConfig(config))
            return EXIT_FAILED;
        if (config == CONFIG_DAMAGED)
            ErrorLine(
                "loomcal: warning: dlm.ini is damaged, some of its lines were skipped (see 'loomcal check')");
        // every walk over memos starts after the chime entry
        for (ListNode *node = FirstMemo(); node; node = node->next) {
            const ReminderEntry *e = (const ReminderEntry *)node->record;
            char when[64], time[64];
            const char *w = FormatMemoWhen(e->when);
            snprintf(when, sizeof when, "%s", w ? w : "[无]");
            const char *t = e->time == REMIND_NO_TIME ? 0 : FormatPackedTime((PackedTime)e->time);
            snprintf(time, sizeof time, "%s", t ? t : "[无]");
            OutFormat("%s\t%s\t", when, time);
            if (node->size > REMINDER_FIXED_SIZE)
                OutEscaped(e->text);
            OutText("\n");
        }
        return EXIT_OK;
    }
    if (strcmp(argv[0], "add") != 0) {
        ErrorLine("loomcal: unknown memos action '%s' (list, add)", ShownArg(argv[0]));
        return EXIT_BAD_ARGUMENT;
    }
    if (argc < 3)
        return ErrorLine("loomcal: 'memos add' needs WHEN [TIME] TEXT"), EXIT_BAD_ARGUMENT;
    if (argc > 4)
        return ErrorLine("loomcal: too many arguments for 'memos add' (quote the text)"), EXIT_BAD_ARGUMENT;
    uint32_t when, time = REMIND_NO_TIME;
    if (!ParseWhen(argv[1], &when)) {
        ErrorLine("loomcal: '%s' is not a memo date (YYYY-MM-DD, daily, workdays, monthly:1..31, weekly:0..6, "
                  "yearly:MM-DD, lunar:MM-DD, lunar:闰MM-DD or lunar:LMM-DD)",
                  ShownArg(argv[1]));
        return EXIT_BAD_ARGUMENT;
    }
    if (argc == 4 && !ParseTime(argv[2], &time)) {
        ErrorLine("loomcal: '%s' is not a time (HH:MM or HH:MM:SS)", ShownArg(argv[2]));
        return EXIT_BAD_ARGUMENT;
    }
    int status;
    char *text = RecordTextForAdd(argv[argc - 1], "memo text", MEMO_TEXT_MAX, &status);
    if (!text)
        return status;
    int added = AddReminder(when, time, text);
    free(text);
    return SaveAfterAdd(added);
}

// ---- holiday rules ----

int CommandHolidaysAdd(int argc, char **argv)
{
    if (argc < 1)
        return ErrorLine("loomcal: 'holidays-add' needs solar, lunar or weekday"), EXIT_BAD_ARGUMENT;
    const char *kind = argv[0];
    int32_t code;
    const char *nameArg;
    if (strcmp(kind, "solar") == 0 || strcmp(kind, "lunar") == 0) {
        int lunar = kind[0] == 'l';
        if (argc < 3)
            return ErrorLine("loomcal: 'holidays-add %s' needs MM-DD and a name", kind), EXIT_BAD_ARGUMENT;
        if (argc > 3)
            return ErrorLine("loomcal: too many arguments for 'holidays-add %s'", kind), EXIT_BAD_ARGUMENT;
        const char *p = argv[1];
        int month = 0, day = 0, digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 3) {
            month = month * 10 + (*p++ - '0');
            digits++;
        }
        int ok = digits >= 1 && digits <= 2 && *p++ == '-';
        digits = 0;
        while (ok && *p >= '0' && *p <= '9' && digits < 3) {
            day = day * 10 + (*p++ - '0');
            digits++;
        }
        ok = ok && digits >= 1 && digits <= 2 && !*p && month >= 1 && month <= 12 && day >= 1 &&
             day <= HolidayRuleDays(month, lunar);
        if (!ok) {
            ErrorLine("loomcal: '%s' is not a %s month and day (MM-DD)", ShownArg(argv[1]),
                      lunar ? "lunar" : "Gregorian");
            return EXIT_BAD_ARGUMENT;
        }
        code = lunar ? LunarHolidayCode(month, day) : SolarHolidayCode(month, day);
        nameArg = argv[2];
    } else if (strcmp(kind, "weekday") == 0) {
        if (argc < 5)
            return ErrorLine("loomcal: 'holidays-add weekday' needs MONTH N WEEKDAY and a name"),
                   EXIT_BAD_ARGUMENT;
        if (argc > 5)
            return ErrorLine("loomcal: too many arguments for 'holidays-add weekday'"), EXIT_BAD_ARGUMENT;
        int month, n, weekday;
        if (!ParseNumber(argv[1], 1, 12, &month)) {
            ErrorLine("loomcal: '%s' is not a month (1..12)", ShownArg(argv[1]));
            return EXIT_BAD_ARGUMENT;
        }
        if (!ParseNumber(argv[2], -5, 5, &n) || n == 0) {
            ErrorLine("loomcal: '%s' is not an ordinal (1..5 from the start, -1..-5 from the end)",
                      ShownArg(argv[2]));
            return EXIT_BAD_ARGUMENT;
        }
        if (!ParseNumber(argv[3], 0, 6, &weekday)) {
            ErrorLine("loomcal: '%s' is not a weekday (0..6, 0 = Sunday)", ShownArg(argv[3]));
            return EXIT_BAD_ARGUMENT;
        }
        code = n > 0 ? WeekdayHolidayCode(month, n, 0, weekday) : WeekdayHolidayCode(month, -n, 1, weekday);
        nameArg = argv[4];
    } else {
        ErrorLine("loomcal: unknown holiday kind '%s' (solar, lunar, weekday)", ShownArg(kind));
        return EXIT_BAD_ARGUMENT;
    }
    int status;
    char *name = RecordTextForAdd(nameArg, "holiday name", HOLIDAY_NAME_MAX, &status);
    if (!name)
        return status;
    int added = AddHoliday(code, name);
    free(name);
    return SaveAfterAdd(added);
}
