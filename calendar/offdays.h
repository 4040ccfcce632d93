// The statutory days off (休) and make-up workdays (班): the State Council's
// arrangements of 2004-2026 built in, and the user's own lines from a GBK
// text file beside the program ("YYYY-MM-DD 休|班 NAME"), which override the
// built-in day of their date.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "calendar.h"

#define OFFDAY_NONE 0   // an ordinary day
#define OFFDAY_REST 1   // 休: a day off
#define OFFDAY_WORK 2   // 班: a make-up workday

// ASCII, so that the program under Wine and a native loomcal name the same file
#define OFFDAYS_FILE     "offdays.txt"
#define OFFDAY_NAME_SIZE 64

// The kind of the date (OFFDAY_*) and, when it has one, its holiday's name
// through *name (may be null); the user's line wins over the built-in day.
int OffDayOn(PackedDate date, const char **name);
// Whether people go to work on the date: a make-up workday, or Monday to
// Friday unless it is a day off.
int IsWorkingDay(PackedDate date);
// The mark of the kind: "休", "班", or "" (GBK).
const char *OffDayMark(int kind);

// The year's marked days, built-in and user's merged, in date order: calls
// visit for each; stops early when visit returns 0.
void ForEachOffDay(int year, int (*visit)(PackedDate date, int kind, const char *name, void *context),
                   void *context);
// The first and last year with built-in data.
int OffDaysBuiltInFirstYear();
int OffDaysBuiltInLastYear();

// ---- the user's lines (features/offdaysfile.h reads and writes their file) ----
void ClearUserOffDays();
// Makes the lines the user's, replacing what there was (each text copied);
// 0 on success, 1 when memory ran out (the lines that fit are kept).
int SetUserOffDayLines(const char *const *texts, int count);
// Parses one line; 1 with the fields filled when it is a day, 0 otherwise
// (blank lines and '#' comments are neither: *comment set).
int ParseOffDayLine(const char *line, PackedDate *date, int *kind, char name[OFFDAY_NAME_SIZE], int *comment);
// Adds or replaces the user's line for the date; 0 on success, 1 out of memory.
int SetUserOffDay(PackedDate date, int kind, const char *name);
// Removes the user's lines for the date; the number removed.
int DeleteUserOffDay(PackedDate date);

// The lines of the file as loaded or edited.
struct OffDayLine {
    char *text;        // the line as in the file (GBK, no line end)
    PackedDate date;   // 0 unless the line is a usable day
    int kind;
    char name[OFFDAY_NAME_SIZE];
    int bad;           // a line that is neither a day nor blank nor a comment
};
int UserOffDayLineCount();
const OffDayLine *UserOffDayLine(int index);
