// Days off and make-up workdays: the generated built-in table and the user's
// file, both searched by date.
#include "offdays.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../store/datalock.h"
#include "../store/fileio.h"
#include "../store/merge.h"

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

// The lines as the program last read or wrote them, the base of a merge.
static char **BaseLines;
static int BaseCount;
static char BasePath[4096];

static void FreeTexts(char **texts, int count)
{
    for (int i = 0; i < count; i++)
        free(texts[i]);
    free(texts);
}

static void TakeBase(const char *path)
{
    FreeTexts(BaseLines, BaseCount);
    BaseCount = 0;
    BaseLines = (char **)malloc(sizeof *BaseLines * (size_t)(LineCount + 1));
    if (!BaseLines)
        return;
    for (int i = 0; i < LineCount; i++)
        if ((BaseLines[BaseCount] = strdup(Lines[i].text)) != 0)
            BaseCount++;
    snprintf(BasePath, sizeof BasePath, "%s", path);
}

static int LoadLines(const char *path);

int LoadOffDaysFile(const char *path)
{
    int result = LoadLines(path);
    TakeBase(path);
    return result;
}

static int LoadLines(const char *path)
{
    ClearUserOffDays();
    int missing = 0;
    FILE *f = FileOpenRegular(path, &missing);
    if (!f)
        return missing ? 0 : 1;
    // Lines of any length are kept whole, so that they are written back as they were.
    size_t length = 0, capacity = 256;
    char *line = (char *)malloc(capacity);
    int failed = !line;
    while (line) {
        int c = fgetc(f);
        if (c == EOF && length == 0)
            break;
        if (c == EOF || c == '\n') {
            if (length && line[length - 1] == '\r')
                length--;
            line[length] = 0;
            failed |= AppendLine(line);
            length = 0;
            if (c == EOF)
                break;
            continue;
        }
        if (length + 2 > capacity) {
            size_t grown = 2 * capacity;
            char *more = (char *)realloc(line, grown);
            if (!more) {
                failed = 1;
                break;
            }
            line = more;
            capacity = grown;
        }
        line[length++] = (char)c;
    }
    free(line);
    fclose(f);
    Reindex();
    // out of memory: what was read is shown, but a save would lose the rest
    return failed ? 1 : 0;
}

static int WriteLines(FILE *f, void *context)
{
    (void)context;
    for (int i = 0; i < LineCount; i++)
        if (FilePrintf(f, "%s\r\n", Lines[i].text) < 0)
            return 1;
    return 0;
}

// A line as a record of the merge: its date first (0 for a comment or a
// line that is not a day), so that a day's line changed on one side is that
// day's line edited.
static char *LineRecord(const char *text, uint32_t *size)
{
    PackedDate date = 0;
    int kind, comment;
    char name[OFFDAY_NAME_SIZE];
    if (!ParseOffDayLine(text, &date, &kind, name, &comment))
        date = 0;
    size_t length = strlen(text);
    char *record = (char *)malloc(4 + length);
    if (record) {
        memcpy(record, &date, 4);
        memcpy(record + 4, text, length);
    }
    *size = (uint32_t)(4 + length);
    return record;
}

static MergeBlob *LineBlobs(char *const *texts, int count)
{
    MergeBlob *blobs = (MergeBlob *)calloc((size_t)count + 1, sizeof *blobs);
    for (int i = 0; blobs && i < count; i++)
        blobs[i].bytes = LineRecord(texts[i], &blobs[i].size);
    return blobs;
}

static void FreeBlobs(MergeBlob *blobs, int count)
{
    for (int i = 0; blobs && i < count; i++)
        free((void *)blobs[i].bytes);
    free(blobs);
}

// Merges the program's lines with the file's (another writer, loomcal, may
// have changed it): the program's changes since its base go over the file's
// lines, per day; the lines end up in the program. 0, 1 out of memory, -1
// when the file cannot be read.
static int MergeWithFile(const char *path)
{
    char **ours = (char **)malloc(sizeof *ours * (size_t)(LineCount + 1));
    if (!ours)
        return 1;
    const int oursCount = LineCount;
    for (int i = 0; i < LineCount; i++)
        ours[i] = Lines[i].text;   // taken over from Lines
    LineCount = 0;
    if (LoadLines(path) != 0) {
        // the file cannot be read whole: it is not replaced, the program's lines stay
        ClearUserOffDays();
        int failed = 0;
        for (int i = 0; i < oursCount; i++)
            failed |= AppendLine(ours[i]);
        Reindex();
        FreeTexts(ours, oursCount);
        return -1;
    }
    char **theirs = (char **)malloc(sizeof *theirs * (size_t)(LineCount + 1));
    const int theirsCount = LineCount;
    for (int i = 0; theirs && i < LineCount; i++)
        theirs[i] = strdup(Lines[i].text);
    MergeBlob *b = LineBlobs(BaseLines, BaseCount), *o = LineBlobs(ours, oursCount),
              *t = LineBlobs(theirs, theirsCount);
    MergePick *picks = (MergePick *)malloc(sizeof *picks * (size_t)(oursCount + theirsCount + 1));
    int32_t n = theirs && b && o && t && picks ? MergeRecordLists(b, BaseCount, o, oursCount, t, theirsCount, picks)
                                                : -1;
    // Nothing of theirs and nothing of ours dropped: the lines stay in their order.
    int32_t fromOurs = 0;
    for (int32_t i = 0; i < n; i++)
        fromOurs += picks[i].from == MERGE_FROM_OURS;
    if (fromOurs == n && n == oursCount)
        n = -1;
    ClearUserOffDays();
    int failed = 0;
    if (n < 0) {
        for (int i = 0; i < oursCount; i++)
            failed |= AppendLine(ours[i]);   // as the program holds them
        failed |= !picks;
    }
    for (int32_t i = 0; i < n; i++)
        failed |= AppendLine(picks[i].from == MERGE_FROM_OURS ? ours[picks[i].index] : theirs[picks[i].index]);
    Reindex();
    free(picks);
    FreeBlobs(b, BaseCount);
    FreeBlobs(o, oursCount);
    FreeBlobs(t, theirsCount);
    FreeTexts(ours, oursCount);
    if (theirs)
        FreeTexts(theirs, theirsCount);
    return failed;
}

int SaveOffDaysFile(const char *path)
{
    char folder[4096];
    int lock = DataLockForFile(path, folder, sizeof folder);
    if (lock != SAVE_OK)
        return lock;
    // Without a base of this file (or with the file gone) the lines are written as they are.
    int merged = strcmp(path, BasePath) == 0 && FileExists(path) ? MergeWithFile(path) : 0;
    if (merged != 0) {
        DataLockRelease(folder);
        return merged < 0 ? SAVE_UNREADABLE : SAVE_NO_MEMORY;
    }
    int result = FileWriteCompleteBy(path, 0, WriteLines, 0);
    if (result == SAVE_OK)
        TakeBase(path);
    DataLockRelease(folder);
    return result;
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
