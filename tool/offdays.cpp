// loomcal offdays: the year's days off and make-up workdays, and edits of the
// user's file beside dlm.ini.
#include "loomcal.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "../calendar/offdays.h"
#include "../features/offdaysfile.h"
#include "../store/fileio.h"

static int PrintOffDay(PackedDate date, int kind, const char *name, void *context)
{
    (void)context;
    OutFormat("%04d-%02d-%02d\t%s\t", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date), OffDayMark(kind));
    OutEscaped(name);
    OutText("\n");
    return 1;
}

// Loads the file for a change: 1 when it may be written back.
static int LoadForChange()
{
    if (LockForChange() != EXIT_OK)
        return 0;
    if (LoadOffDaysFile(OFFDAYS_FILE) != 0) {
        ErrorLine("loomcal: %s cannot be read: %s", OFFDAYS_FILE, FileErrorText);
        return 0;
    }
    return 1;
}

static int Save()
{
    int result = SaveOffDaysFile(OFFDAYS_FILE);
    if (result != SAVE_OK) {
        ErrorLine("loomcal: %s was not saved: %s", OFFDAYS_FILE, SaveFailureText(result));
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

static int Add(int argc, char **argv)
{
    if (argc < 3)
        return ErrorLine("loomcal: 'offdays add' needs DATE 休|班 NAME"), EXIT_BAD_ARGUMENT;
    if (argc > 3)
        return ErrorLine("loomcal: too many arguments for 'offdays add' (quote the name)"), EXIT_BAD_ARGUMENT;
    PackedDate date;
    if (!ParseDate(argv[0], &date)) {
        ErrorLine("loomcal: '%s' is not a date (YYYY-MM-DD)", ShownArg(argv[0]));
        return EXIT_BAD_ARGUMENT;
    }
    char *kindText = ArgumentToGbk(argv[1]);
    int kind = !kindText                                         ? OFFDAY_NONE
               : strcmp(kindText, OffDayMark(OFFDAY_REST)) == 0 ? OFFDAY_REST
               : strcmp(kindText, OffDayMark(OFFDAY_WORK)) == 0 ? OFFDAY_WORK
                                                                : OFFDAY_NONE;
    free(kindText);
    if (kind == OFFDAY_NONE) {
        ErrorLine("loomcal: '%s' is not a kind of day (休 or 班)", ShownArg(argv[1]));
        return EXIT_BAD_ARGUMENT;
    }
    char *name = ArgumentToGbk(argv[2]);
    if (!name) {
        ErrorLine("loomcal: the name is not valid in the terminal's encoding");
        return EXIT_BAD_ARGUMENT;
    }
    // the name must read back as it was written: one line, not too long
    int usable = strlen(name) < OFFDAY_NAME_SIZE && !strpbrk(name, "\r\n\t");
    if (!usable) {
        free(name);
        ErrorLine("loomcal: the name must be one line of at most %d bytes", OFFDAY_NAME_SIZE - 1);
        return EXIT_BAD_ARGUMENT;
    }
    if (!LoadForChange()) {
        free(name);
        return EXIT_FAILED;
    }
    int failed = SetUserOffDay(date, kind, name);
    free(name);
    if (failed) {
        ErrorLine("loomcal: out of memory");
        return EXIT_FAILED;
    }
    return Save();
}

static int Delete(int argc, char **argv)
{
    if (argc < 1)
        return ErrorLine("loomcal: 'offdays delete' needs a date"), EXIT_BAD_ARGUMENT;
    if (argc > 1)
        return ErrorLine("loomcal: too many arguments for 'offdays delete'"), EXIT_BAD_ARGUMENT;
    PackedDate date;
    if (!ParseDate(argv[0], &date)) {
        ErrorLine("loomcal: '%s' is not a date (YYYY-MM-DD)", ShownArg(argv[0]));
        return EXIT_BAD_ARGUMENT;
    }
    if (!LoadForChange())
        return EXIT_FAILED;
    if (DeleteUserOffDay(date) == 0) {
        ErrorLine("loomcal: %s has no line for %s (built-in days cannot be deleted, only overridden)",
                  OFFDAYS_FILE, ShownArg(argv[0]));
        return EXIT_FAILED;
    }
    return Save();
}

int CommandOffDays(int argc, char **argv)
{
    if (argc < 1)
        return ErrorLine("loomcal: 'offdays' needs a year, add or delete"), EXIT_BAD_ARGUMENT;
    if (strcmp(argv[0], "add") == 0)
        return Add(argc - 1, argv + 1);
    if (strcmp(argv[0], "delete") == 0)
        return Delete(argc - 1, argv + 1);
    if (argc > 1)
        return ErrorLine("loomcal: too many arguments for 'offdays'"), EXIT_BAD_ARGUMENT;
    int year;
    if (!ParseNumber(argv[0], 1, 9999, &year)) {
        ErrorLine("loomcal: '%s' is not a year (1..9999), add or delete", ShownArg(argv[0]));
        return EXIT_BAD_ARGUMENT;
    }
    LoadOffDaysFile(OFFDAYS_FILE);
    WarnIfOffDaysDamaged();
    ForEachOffDay(year, PrintOffDay, 0);
    return EXIT_OK;
}

int OffDaysBadLineCount()
{
    int bad = 0;
    for (int i = 0; i < UserOffDayLineCount(); i++)
        bad += UserOffDayLine(i)->bad;
    return bad;
}

void WarnIfOffDaysDamaged()
{
    if (OffDaysBadLineCount())
        ErrorLine("loomcal: warning: %s has lines that cannot be read; they are not used (see 'loomcal check')",
                  OFFDAYS_FILE);
}

void CheckOffDays()
{
    int bad = OffDaysBadLineCount();
    if (!bad) {
        OutFormat("%s: %s\n", OFFDAYS_FILE, UserOffDayLineCount() ? "sound" : "missing or empty");
        return;
    }
    OutFormat("%s: %d lines cannot be read (kept in the file, not used)\n", OFFDAYS_FILE, bad);
    for (int i = 0; i < UserOffDayLineCount(); i++)
        if (UserOffDayLine(i)->bad) {
            OutFormat("  line %d: ", i + 1);
            OutEscaped(UserOffDayLine(i)->text);
            OutText("\n");
        }
}
