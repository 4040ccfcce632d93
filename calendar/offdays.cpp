// Days off and make-up workdays: the generated built-in table and the user's
// lines, both searched by date (offdaysfile.cpp reads and writes the lines).
#include "offdays.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct OffDayRow {
    PackedDate date;
    uint8_t work;
    uint8_t name;
};
#include "offdays_table.inc"

static OffDayLine *Lines;
static int LineCount, LineCapacity;
// Indices of the usable lines sorted by date; of two lines for one date only
// the later is kept, as it is the one that counts.
static int *ByDate;
static int ByDateCount;

int OffDaysBuiltInFirstYear() { return OFFDAY_FIRST_YEAR; }
int OffDaysBuiltInLastYear() { return OFFDAY_LAST_YEAR; }

const char *OffDayMark(int kind) { return kind == OFFDAY_REST ? "休" : kind == OFFDAY_WORK ? "班" : ""; }

static const OffDayRow *BuiltInOn(PackedDate date)
{
    int low = 0, high = (int)(sizeof OffDayTable / sizeof OffDayTable[0]) - 1;
    if (date < OffDayTable[0].date || date > OffDayTable[high].date)
        return 0;
    while (low <= high) {
        int mid = (low + high) / 2;
        if (OffDayTable[mid].date == date)
            return &OffDayTable[mid];
        if (OffDayTable[mid].date < date)
            low = mid + 1;
        else
            high = mid - 1;
    }
    return 0;
}

static const OffDayLine *UserOn(PackedDate date)
{
    int low = 0, high = ByDateCount - 1;
    while (low <= high) {
        int mid = (low + high) / 2;
        const OffDayLine *line = &Lines[ByDate[mid]];
        if (line->date == date)
            return line;
        if (line->date < date)
            low = mid + 1;
        else
            high = mid - 1;
    }
    return 0;
}

int OffDayOn(PackedDate date, const char **name)
{
    if (ByDateCount) {
        const OffDayLine *line = UserOn(date);
        if (line) {
            if (name)
                *name = line->name;
            return line->kind;
        }
    }
    const OffDayRow *row = BuiltInOn(date);
    if (!row)
        return OFFDAY_NONE;
    if (name)
        *name = OffDayNames[row->name];
    return row->work ? OFFDAY_WORK : OFFDAY_REST;
}

int IsWorkingDay(PackedDate date)
{
    int kind = OffDayOn(date, 0);
    if (kind != OFFDAY_NONE)
        return kind == OFFDAY_WORK;
    int weekday = WeekdayOf(date);
    return weekday >= 1 && weekday <= 5;
}

void ForEachOffDay(int year, int (*visit)(PackedDate date, int kind, const char *name, void *context),
                   void *context)
{
    // Two sorted runs merged: the built-in rows of the year and the user's lines.
    const int rows = (int)(sizeof OffDayTable / sizeof OffDayTable[0]);
    int r = 0, u = 0;
    while (r < rows && DATE_YEAR(OffDayTable[r].date) < year)
        r++;
    while (u < ByDateCount && DATE_YEAR(Lines[ByDate[u]].date) < year)
        u++;
    for (;;) {
        PackedDate builtIn = r < rows && DATE_YEAR(OffDayTable[r].date) == year ? OffDayTable[r].date : 0;
        PackedDate user = u < ByDateCount && DATE_YEAR(Lines[ByDate[u]].date) == year ? Lines[ByDate[u]].date : 0;
        if (!builtIn && !user)
            return;
        int go;
        if (user && (!builtIn || user <= builtIn)) {
            const OffDayLine *line = &Lines[ByDate[u++]];
            if (builtIn == user)
                r++;   // the user's line overrides the built-in day
            go = visit(line->date, line->kind, line->name, context);
        } else {
            const OffDayRow *row = &OffDayTable[r++];
            go = visit(row->date, row->work ? OFFDAY_WORK : OFFDAY_REST, OffDayNames[row->name], context);
        }
        if (!go)
            return;
    }
}

// ---- the user's file ----

static int CompareByDate(const void *a, const void *b)
{
    const OffDayLine *x = &Lines[*(const int *)a], *y = &Lines[*(const int *)b];
    if (x->date != y->date)
        return x->date < y->date ? -1 : 1;
    // the later line first, so that it is the one kept
    return *(const int *)b - *(const int *)a;
}

static void Reindex()
{
    free(ByDate);
    ByDate = 0;
    ByDateCount = 0;
    if (!LineCount)
        return;
    ByDate = (int *)malloc(sizeof(int) * (size_t)LineCount);
    if (!ByDate)
        return;
    for (int i = 0; i < LineCount; i++)
        if (Lines[i].date)
            ByDate[ByDateCount++] = i;
    qsort(ByDate, (size_t)ByDateCount, sizeof(int), CompareByDate);
    int kept = 0;
    for (int i = 0; i < ByDateCount; i++)
        if (!kept || Lines[ByDate[kept - 1]].date != Lines[ByDate[i]].date)
            ByDate[kept++] = ByDate[i];
    ByDateCount = kept;
}

void ClearUserOffDays()
{
    for (int i = 0; i < LineCount; i++)
        free(Lines[i].text);
    free(Lines);
    Lines = 0;
    LineCount = LineCapacity = 0;
    Reindex();
}

static const char *SkipBlanks(const char *p)
{
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

int ParseOffDayLine(const char *line, PackedDate *date, int *kind, char name[OFFDAY_NAME_SIZE], int *comment)
{
    const char *p = SkipBlanks(line);
    *comment = *p == 0 || *p == '#';
    if (*comment)
        return 0;
    // YYYY-MM-DD exactly: sscanf alone would take signs and blanks
    for (int i = 0; i < 10; i++)
        if (i == 4 || i == 7 ? p[i] != '-' : !(p[i] >= '0' && p[i] <= '9'))
            return 0;
    int y, m, d;
    if (sscanf(p, "%4d-%2d-%2d", &y, &m, &d) != 3)
        return 0;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return 0;
    p += 10;
    if (*p != ' ' && *p != '\t')
        return 0;
    p = SkipBlanks(p);
    const char *rest = SkipBlanks(p);
    if (strncmp(rest, OffDayMark(OFFDAY_REST), 2) == 0)
        *kind = OFFDAY_REST;
    else if (strncmp(rest, OffDayMark(OFFDAY_WORK), 2) == 0)
        *kind = OFFDAY_WORK;
    else
        return 0;
    p = rest + 2;
    if (*p && *p != ' ' && *p != '\t')
        return 0;
    p = SkipBlanks(p);
    size_t length = strlen(p);
    while (length && (p[length - 1] == ' ' || p[length - 1] == '\t'))
        length--;
    if (length >= OFFDAY_NAME_SIZE)
        return 0;   // a name cut short would be a different name
    memcpy(name, p, length);
    name[length] = 0;
    *date = PACK_DATE(y, m, d);
    return 1;
}

static int AppendLine(const char *text)
{
    if (LineCount == LineCapacity) {
        int capacity = LineCapacity ? 2 * LineCapacity : 32;
        OffDayLine *grown = (OffDayLine *)realloc(Lines, sizeof *Lines * (size_t)capacity);
        if (!grown)
            return 1;
        Lines = grown;
        LineCapacity = capacity;
    }
    OffDayLine *line = &Lines[LineCount];
    memset(line, 0, sizeof *line);
    line->text = strdup(text);
    if (!line->text)
        return 1;
    int comment;
    if (!ParseOffDayLine(text, &line->date, &line->kind, line->name, &comment)) {
        line->date = 0;
        line->bad = !comment;
    }
    LineCount++;
    return 0;
}

int SetUserOffDayLines(const char *const *texts, int count)
{
    ClearUserOffDays();
    int failed = 0;
    for (int i = 0; i < count; i++)
        failed |= AppendLine(texts[i]);
    Reindex();
    return failed;
}

int SetUserOffDay(PackedDate date, int kind, const char *name)
{
    char text[32 + OFFDAY_NAME_SIZE];
    snprintf(text, sizeof text, "%04d-%02d-%02d %s %s", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date),
             OffDayMark(kind), name ? name : "");
    // trailing blank of an empty name
    size_t length = strlen(text);
    while (length && text[length - 1] == ' ')
        text[--length] = 0;
    DeleteUserOffDay(date);
    int failed = AppendLine(text);
    Reindex();
    return failed;
}

int DeleteUserOffDay(PackedDate date)
{
    int removed = 0, kept = 0;
    for (int i = 0; i < LineCount; i++) {
        if (Lines[i].date == date) {
            free(Lines[i].text);
            removed++;
        } else {
            Lines[kept++] = Lines[i];
        }
    }
    LineCount = kept;
    Reindex();
    return removed;
}

int UserOffDayLineCount() { return LineCount; }
const OffDayLine *UserOffDayLine(int index) { return index >= 0 && index < LineCount ? &Lines[index] : 0; }
