// Reading and writing the user's days off: the lines go whole into and out
// of the engine's list, and a save merges per day with what another writer
// (loomcal) put into the file meanwhile.
#include "offdaysfile.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../calendar/offdays.h"
#include "../store/datalock.h"
#include "../store/fileio.h"
#include "../store/merge.h"

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
    const int count = UserOffDayLineCount();
    BaseLines = (char **)malloc(sizeof *BaseLines * (size_t)(count + 1));
    if (!BaseLines)
        return;
    for (int i = 0; i < count; i++)
        if ((BaseLines[BaseCount] = strdup(UserOffDayLine(i)->text)) != 0)
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

// Appends a copy of text to the growing array; 0, or 1 out of memory.
static int AddText(char ***texts, int *count, int *capacity, const char *text)
{
    if (*count == *capacity) {
        int grown = *capacity ? 2 * *capacity : 32;
        char **more = (char **)realloc(*texts, sizeof **texts * (size_t)grown);
        if (!more)
            return 1;
        *texts = more;
        *capacity = grown;
    }
    char *copy = strdup(text);
    if (!copy)
        return 1;
    (*texts)[(*count)++] = copy;
    return 0;
}

static int LoadLines(const char *path)
{
    ClearUserOffDays();
    int missing = 0;
    FILE *f = FileOpenRegular(path, &missing);
    if (!f)
        return missing ? 0 : 1;
    char **texts = 0;
    int count = 0, textCapacity = 0;
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
            failed |= AddText(&texts, &count, &textCapacity, line);
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
    failed |= SetUserOffDayLines(texts, count);
    FreeTexts(texts, count);
    // out of memory: what was read is shown, but a save would lose the rest
    return failed ? 1 : 0;
}

static int WriteLines(FILE *f, void *context)
{
    (void)context;
    for (int i = 0; i < UserOffDayLineCount(); i++)
        if (FilePrintf(f, "%s\r\n", UserOffDayLine(i)->text) < 0)
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
    const int oursCount = UserOffDayLineCount();
    char **ours = (char **)malloc(sizeof *ours * (size_t)(oursCount + 1));
    if (!ours)
        return 1;
    int copied = 0;
    for (int i = 0; i < oursCount; i++)
        if ((ours[copied] = strdup(UserOffDayLine(i)->text)) != 0)
            copied++;
    if (copied < oursCount) {
        FreeTexts(ours, copied);
        return 1;
    }
    if (LoadLines(path) != 0) {
        // the file cannot be read whole: it is not replaced, the program's lines stay
        SetUserOffDayLines(ours, oursCount);
        FreeTexts(ours, oursCount);
        return -1;
    }
    const int theirsCount = UserOffDayLineCount();
    char **theirs = (char **)malloc(sizeof *theirs * (size_t)(theirsCount + 1));
    for (int i = 0; theirs && i < theirsCount; i++)
        theirs[i] = strdup(UserOffDayLine(i)->text);
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
    int failed = 0;
    if (n < 0) {
        failed |= SetUserOffDayLines(ours, oursCount);   // as the program holds them
        failed |= !picks;
    } else {
        const char **merged = (const char **)malloc(sizeof *merged * (size_t)(n + 1));
        for (int32_t i = 0; merged && i < n; i++)
            merged[i] = picks[i].from == MERGE_FROM_OURS ? ours[picks[i].index] : theirs[picks[i].index];
        failed |= merged ? SetUserOffDayLines(merged, n) : SetUserOffDayLines(ours, oursCount) | 1;
        free(merged);
    }
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

