#include "config.h"
#include "datalock.h"
#include "fileio.h"
#include "../records/gbk.h"
#include "merge.h"
#include "notesync.h"
#include "../records/records.h"
#include "recordstore.h"
#include "../records/settings.h"
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

int ConfigChanged;
const int32_t *ConfigPurgeDate;

// Line breaks in holiday names and memo texts.
//
// Each entry of "dlm.ini" is one line, but a memo typed with Ctrl+Enter holds
// CR LF pairs. On writing, the text is walked character by character: a GBK
// double-byte character is copied whole (its second byte may be 0x5C, which
// must not be taken for a backslash), a backslash becomes "\\", CR becomes
// "\r" and LF becomes "\n". Reading walks the same way and undoes exactly
// these three pairs; any other backslash is left as it is, so a text written
// before this scheme that holds "C:\temp" reads back unchanged.
//
// A lone lead byte (one not followed by a trail byte) directly before a CR or
// LF would, once the break is written as "\r", pair with the escape's
// backslash when read back. Such a byte is not valid GBK, so it is written as
// '?' in that one place.

// Encodes length bytes of text into out (NUL-terminated, never more than
// outSize bytes, never cutting a character or an escape). Returns the
// encoded length.
static size_t EncodeText(const char *text, size_t length, char *out, size_t outSize)
{
    if (!out || outSize == 0)
        return 0;
    const unsigned char *p = (const unsigned char *)text;
    size_t i = 0, o = 0;
    while (i < length && p[i]) {
        unsigned char piece[4];
        size_t n;
        if (GbkIsLead(p[i]) && i + 1 < length && GbkIsTrail(p[i + 1])) {
            piece[0] = p[i];
            piece[1] = p[i + 1];
            n = 2;
            i += 2;
        } else if (GbkIsLead(p[i]) && i + 3 < length && GbkIsDigit(p[i + 1]) && GbkIsLead(p[i + 2]) &&
                   GbkIsDigit(p[i + 3])) {
            // a four-byte character: one piece, so that the cut below keeps it whole
            memcpy(piece, p + i, 4);
            n = 4;
            i += 4;
        } else {
            unsigned char c = p[i++];
            unsigned char next = i < length ? p[i] : 0;
            n = 2;
            piece[0] = '\\';
            if (c == '\\')
                piece[1] = '\\';
            else if (c == '\r')
                piece[1] = 'r';
            else if (c == '\n')
                piece[1] = 'n';
            else {
                n = 1;
                piece[0] = (GbkIsLead(c) && (next == '\r' || next == '\n')) ? '?' : c;
            }
        }
        if (o + n >= outSize)
            break;
        memcpy(out + o, piece, n);
        o += n;
    }
    out[o] = 0;
    return o;
}

// The size EncodeText needs for the whole text, NUL included.
static size_t EncodedSize(const char *text, size_t length)
{
    size_t size = 1;
    for (size_t i = 0; i < length && text[i]; i++)
        size += (text[i] == '\\' || text[i] == '\r' || text[i] == '\n') ? 2 : 1;
    return size;
}

void EncodeLineBreaks(const char *text, char *out, size_t outSize)
{
    if (!text) {
        if (out && outSize)
            out[0] = 0;
        return;
    }
    EncodeText(text, strlen(text), out, outSize);
}

void DecodeLineBreaks(char *text)
{
    if (!text)
        return;
    unsigned char *p = (unsigned char *)text;
    size_t i = 0, o = 0;
    while (p[i]) {
        if (GbkIsLead(p[i]) && GbkIsTrail(p[i + 1])) {
            p[o++] = p[i++];
            p[o++] = p[i++];
        } else if (p[i] == '\\' && (p[i + 1] == '\\' || p[i + 1] == 'r' || p[i + 1] == 'n')) {
            unsigned char c = p[i + 1];
            p[o++] = c == 'r' ? '\r' : c == 'n' ? '\n' : '\\';
            i += 2;
        } else {
            p[o++] = p[i++];
        }
    }
    p[o] = 0;
}

// ---- reading lines ----

// One line of the file without its line end (LF, and a CR before it), whole
// whatever its length. The buffer is kept for the next line; FindKey hands
// out a pointer into it.
static char *lineText;
static size_t lineCapacity;
// Where the reader stands, counted from the lines it read, and where the
// last line read began: the loader remembers the lines it used by that.
static int64_t readerPosition;
static int64_t lineStart;

#if defined(_WIN32)
#define GETC _getc_nolock
#else
#define GETC getc_unlocked
#endif

// 1 when a line was read, 0 at the end of the file.
static int ReadLine(FILE *f, size_t *lengthOut)
{
    size_t length = 0;
    int64_t consumed = 0;
    int c = EOF;
    int full = 0;   // the line no longer fits in memory: the rest is dropped
    while ((c = GETC(f)) != EOF) {
        consumed++;
        if (c == '\n')
            break;
        if (length + 1 >= lineCapacity && !full) {
            size_t capacity = lineCapacity ? lineCapacity * 2 : 1024;
            char *text = (char *)realloc(lineText, capacity);
            if (text) {
                lineText = text;
                lineCapacity = capacity;
            } else {
                full = 1;
            }
        }
        if (!full)
            lineText[length++] = (char)c;
    }
    if (!consumed)
        return 0;
    lineStart = readerPosition;
    readerPosition += consumed;
    if (!lineText) {
        lineText = (char *)malloc(1024);
        if (!lineText)
            return 0;
        lineCapacity = 1024;
    }
    if (c == '\n' && length > 0 && lineText[length - 1] == '\r')
        length--;
    lineText[length] = 0;
    if (lengthOut)
        *lengthOut = length;
    return 1;
}

long FindSection(FILE *f, const char *name)
{
    if (!f || !name)
        return -1;
    rewind(f);
    readerPosition = 0;
    const size_t n = strlen(name);
    size_t length;
    while (ReadLine(f, &length)) {
        if (lineText[0] == '[' && length >= n + 2 && memcmp(lineText + 1, name, n) == 0 &&
            lineText[n + 1] == ']')
            return ftell(f);
    }
    return -1;
}

char *FindKey(FILE *f, long position, const char *key)
{
    if (!f || !key)
        return 0;
    if (position != -1) {
        if (fseek(f, position, SEEK_SET) != 0)
            return 0;
        readerPosition = position;
    }
    const size_t n = strlen(key);
    size_t length;
    while (ReadLine(f, &length)) {
        if (lineText[0] == '[')
            return 0;
        if (length > n && memcmp(lineText, key, n) == 0 && lineText[n] == '=')
            return lineText + n + 1;
    }
    return 0;
}

// ---- parsing values ----

static inline int IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Set by ParseNumber when a number did not fit the 32 bits it is read into.
static int numberTooLarge;

// One number as the formatted-input conversions "%d" and "%x" take it:
// leading blanks, a sign, for "%x" an optional 0x, then at least one digit.
// Values that overflow wrap around, as they always have; numberTooLarge
// says so, since no file the program wrote holds such a number.
static int ParseNumber(const char **text, int hex, uint32_t *out)
{
    const char *p = *text;
    while (IsBlank(*p))
        p++;
    int negative = 0;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (hex && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0)
        p += 2;
    const int base = hex ? 16 : 10;
    uint32_t value = 0;
    uint64_t magnitude = 0;
    int digits = 0;
    for (int d; (d = HexDigit(*p)) >= 0 && d < base; p++, digits++) {
        value = value * (uint32_t)base + (uint32_t)d;
        if (magnitude <= 0xFFFFFFFFull)
            magnitude = magnitude * (uint64_t)base + (uint64_t)d;
    }
    if (!digits)
        return 0;
    // "%x" takes all 32 bits, "%d" a signed 32-bit number
    const uint64_t limit = hex ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull;
    if (magnitude > limit)
        numberTooLarge = 1;
    *out = negative ? 0u - value : value;
    *text = p;
    return 1;
}

// Up to count comma-separated numbers; stores each one as it parses, like the
// formatted input does, and returns how many parsed. *end is where parsing stopped.
static int ParseFields(const char *text, int hex, int32_t *fields[], int count, const char **end)
{
    const char *p = text;
    int i = 0;
    for (; i < count; i++) {
        if (i > 0) {
            if (*p != ',')
                break;
            p++;
        }
        uint32_t value;
        if (!ParseNumber(&p, hex, &value))
            break;
        *fields[i] = (int32_t)value;
    }
    *end = p;
    return i;
}

// "n1,n2,...,text": the leading numbers and the text after their comma, which
// runs to the end of the line. 0 when the numbers or a comma are missing.
static char *ParseEntry(char *value, int hex, uint32_t *numbers, int count)
{
    const char *p = value;
    for (int i = 0; i < count; i++) {
        if (!ParseNumber(&p, hex, &numbers[i]) || *p != ',')
            return 0;
        p++;
    }
    return value + (p - value);
}

static int OnlyBlanks(const char *text, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (!IsBlank(text[i]))
            return 0;
    return 1;
}

// ---- what the loader used ----

// Growable list of file offsets.
struct OffsetList {
    int64_t *items;
    size_t count;
    size_t capacity;
};

static void OffsetAdd(OffsetList *list, int64_t value)
{
    if (list->count == list->capacity) {
        size_t capacity = list->capacity ? list->capacity * 2 : 64;
        int64_t *grown = (int64_t *)realloc(list->items, capacity * sizeof(int64_t));
        if (!grown)
            return;   // out of memory: the line merely reads as unused
        list->items = grown;
        list->capacity = capacity;
    }
    list->items[list->count++] = value;
}

static int CompareOffsets(const void *a, const void *b)
{
    int64_t x = *(const int64_t *)a, y = *(const int64_t *)b;
    return x < y ? -1 : x > y;
}

// The loader mostly takes lines in file order: sorted already, as a rule.
static void SortOffsets(OffsetList *list)
{
    for (size_t i = 1; i < list->count; i++) {
        if (list->items[i - 1] > list->items[i]) {
            qsort(list->items, list->count, sizeof(int64_t), CompareOffsets);
            return;
        }
    }
}

static int OffsetFind(const OffsetList *list, int64_t value)
{
    size_t low = 0, high = list->count;
    while (low < high) {
        size_t mid = (low + high) / 2;
        if (list->items[mid] < value)
            low = mid + 1;
        else if (list->items[mid] > value)
            high = mid;
        else
            return (int)1;
    }
    return 0;
}

enum { SECTION_CONTROL = 0, SECTION_HOLIDAY = 1, SECTION_REMIND = 2, SECTION_COUNT = 3 };
static const char *const SectionNames[SECTION_COUNT] = {"CONTROL", "HOLIDAY", "REMIND"};
enum { CONTROL_KEYS = 4 };
static const char *const ControlKeys[CONTROL_KEYS] = {"MonthPos", "NotePos", "Color", "Control"};

// A line the loader took but could not take whole.
enum {
    FLAW_BAD_VALUE = 1,
    FLAW_EXTRA_TEXT = 2,
    FLAW_TOO_LARGE = 3,      // a number was read cut to 32 bits
    FLAW_HOLIDAY_CUT = 4,    // the name is longer than a holiday record holds
    FLAW_MEMO_CUT = 5,       // the text is longer than a memo record holds
    FLAW_KINDS = 8,          // flawed holds start * FLAW_KINDS + flaw
};

struct LoadRecord {
    OffsetList used;          // the start of every line the loader took
    OffsetList flawed;        // start * FLAW_KINDS + FLAW_*
    OffsetList keyLines[2];   // [HOLIDAY], [REMIND]: the line of entry n
    int64_t sectionLines[SECTION_COUNT];
    int64_t controlLines[CONTROL_KEYS];
};

static void RecordInit(LoadRecord *record)
{
    memset(record, 0, sizeof *record);
    for (int i = 0; i < SECTION_COUNT; i++)
        record->sectionLines[i] = -1;
    for (int i = 0; i < CONTROL_KEYS; i++)
        record->controlLines[i] = -1;
}

static void RecordFree(LoadRecord *record)
{
    free(record->used.items);
    free(record->flawed.items);
    free(record->keyLines[0].items);
    free(record->keyLines[1].items);
}

static void Took(LoadRecord *record, int flaw)
{
    OffsetAdd(&record->used, lineStart);
    if (flaw)
        OffsetAdd(&record->flawed, lineStart * FLAW_KINDS + flaw);
}

// What is wrong with a holiday or memo line whose text (none: unread) is
// kept in records of at most `limit` bytes: read cut is damage too.
static int EntryFlaw(const char *text, size_t limit, int cutFlaw)
{
    return !text                                   ? FLAW_BAD_VALUE
           : numberTooLarge                        ? FLAW_TOO_LARGE
           : GbkCutLength(text, limit) < strlen(text) ? cutFlaw
                                                   : 0;
}

// ---- the loader ----

// Reads the file the way the program always has. With addEntries 0 it only
// looks: the settings go to the given record and nothing is added to the lists.
static void LoadFile(FILE *f, SettingsRecord *settings, int addEntries, LoadRecord *record)
{
    char *value;
    const char *end;

    const long control = FindSection(f, "CONTROL");
    if (control != -1) {
        record->sectionLines[SECTION_CONTROL] = lineStart;
        OffsetAdd(&record->used, lineStart);
        WindowPos *month = &settings->MonthPos, *note = &settings->NotePos;
        int32_t *monthFields[5] = {&month->left, &month->top, &month->right, &month->bottom,
                                   &month->dockState};
        int32_t *noteFields[5] = {&note->left, &note->top, &note->right, &note->bottom, &note->dockState};
        int32_t *colorFields[5] = {(int32_t *)&settings->colorBackground, (int32_t *)&settings->colorDefault,
                                   (int32_t *)&settings->colorHoliday, (int32_t *)&settings->colorWeekend,
                                   (int32_t *)&settings->colorMark};
        int32_t *flagField[1] = {(int32_t *)&settings->flags};
        int32_t **fields[CONTROL_KEYS] = {monthFields, noteFields, colorFields, flagField};
        const int counts[CONTROL_KEYS] = {5, 5, 5, 1};
        const int hex[CONTROL_KEYS] = {0, 0, 1, 1};
        for (int k = 0; k < CONTROL_KEYS; k++) {
            if (!(value = FindKey(f, control, ControlKeys[k])))
                continue;
            record->controlLines[k] = lineStart;
            numberTooLarge = 0;
            int parsed = ParseFields(value, hex[k], fields[k], counts[k], &end);
            Took(record, parsed < counts[k]              ? FLAW_BAD_VALUE
                         : !OnlyBlanks(end, strlen(end)) ? FLAW_EXTRA_TEXT
                         : numberTooLarge                ? FLAW_TOO_LARGE
                                                         : 0);
        }
    }

    char key[16];
    if (FindSection(f, "HOLIDAY") != -1) {
        record->sectionLines[SECTION_HOLIDAY] = lineStart;
        OffsetAdd(&record->used, lineStart);
        // Each key is looked for from where the previous one was found, which
        // keeps loading linear and makes keys out of order end the section.
        for (int n = 0;; n++) {
            snprintf(key, sizeof key, "%d", n);
            if (!(value = FindKey(f, -1, key)))
                break;
            OffsetAdd(&record->keyLines[0], lineStart);
            uint32_t code;
            numberTooLarge = 0;
            char *text = ParseEntry(value, 0, &code, 1);
            if (text)
                DecodeLineBreaks(text);
            // AddHoliday keeps what its record holds: a longer name would be saved cut
            Took(record, EntryFlaw(text, HOLIDAY_NAME_MAX, FLAW_HOLIDAY_CUT));
            if (!text)
                continue;
            if (addEntries)
                AddHoliday((int32_t)code, text);
        }
    }

    if (FindSection(f, "REMIND") != -1) {
        record->sectionLines[SECTION_REMIND] = lineStart;
        OffsetAdd(&record->used, lineStart);
        const int purge = (settings->flags & CTRL_PURGE_EXPIRED) != 0;
        for (int n = 0;; n++) {
            snprintf(key, sizeof key, "%d", n);
            if (!(value = FindKey(f, -1, key)))
                break;
            OffsetAdd(&record->keyLines[1], lineStart);
            uint32_t numbers[2];
            numberTooLarge = 0;
            char *text = ParseEntry(value, 1, numbers, 2);
            if (text)
                DecodeLineBreaks(text);
            // an expired memo that the purge drops was read all the same;
            // one that AddReminder would cut, or whose date was cut to 32
            // bits (and so moved to another day), was not
            Took(record, EntryFlaw(text, MEMO_TEXT_MAX, FLAW_MEMO_CUT));
            if (!text)
                continue;
            if (purge && ConfigPurgeDate && numbers[0] < (uint32_t)*ConfigPurgeDate)
                continue;
            if (addEntries)
                AddReminder(numbers[0], numbers[1], text);
        }
    }
}

// ---- the lines it left unread ----

int32_t ConfigProblemCount;
ConfigProblem ConfigProblems[CONFIG_PROBLEMS_KEPT];
char ConfigReadError[160];

static void AddProblem(int32_t line, const char *format, ...)
{
    if (ConfigProblemCount < CONFIG_PROBLEMS_KEPT) {
        ConfigProblem *p = &ConfigProblems[ConfigProblemCount];
        p->line = line;
        va_list args;
        va_start(args, format);
        vsnprintf(p->why, sizeof p->why, format, args);
        va_end(args);
    }
    ConfigProblemCount++;
}

// Where each line of the file starts, gathered only when a message has to
// name another line than the one at hand (a damaged file), by a scan of its
// own that leaves the reader where it was.
struct LineStarts {
    FILE *file;
    OffsetList starts;
    int built;
};

// The 1-based number of the line that starts at offset.
static int32_t LineNumberAt(LineStarts *lines, int64_t offset)
{
    if (!lines->built) {
        lines->built = 1;
        long resume = ftell(lines->file);
        OffsetAdd(&lines->starts, 0);
        if (fseek(lines->file, 0, SEEK_SET) == 0) {
            char chunk[4096];
            int64_t at = 0;
            size_t n;
            while ((n = fread(chunk, 1, sizeof chunk, lines->file)) > 0) {
                for (size_t i = 0; i < n; i++)
                    if (chunk[i] == '\n')
                        OffsetAdd(&lines->starts, at + (int64_t)i + 1);
                at += (int64_t)n;
            }
        }
        clearerr(lines->file);
        fseek(lines->file, resume, SEEK_SET);
    }
    const OffsetList *starts = &lines->starts;
    size_t low = 0, high = starts->count;
    while (low < high) {
        size_t mid = (low + high) / 2;
        if (starts->items[mid] < offset)
            low = mid + 1;
        else
            high = mid;
    }
    return (int32_t)low + 1;
}

// A name from the file, short and cut on a character boundary, for a message.
static void Quote(char *out, size_t size, const char *text, size_t length)
{
    size_t limit = size - 4 < length ? size - 4 : length;
    char scratch[64];
    size_t n = limit < sizeof scratch - 1 ? limit : sizeof scratch - 1;
    memcpy(scratch, text, n);
    scratch[n] = 0;
    for (size_t i = 0; i < n; i++)
        if ((unsigned char)scratch[i] < 0x20)
            scratch[i] = '?';
    size_t cut = GbkCutLength(scratch, n);
    snprintf(out, size, "%.*s%s", (int)cut, scratch, cut < length ? "..." : "");
}

static int SameLetters(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = (char)(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = (char)(y - 'a' + 'A');
        if (x != y)
            return 0;
    }
    return 1;
}

enum { REGION_NONE = -1, REGION_UNREAD = -2 };

// Why a section header the loader did not take is not read.
static void UnreadHeader(int32_t number, const char *text, size_t length)
{
    const char *close = (const char *)memchr(text, ']', length);
    char shown[64];
    if (!close) {
        Quote(shown, sizeof shown, text, length);
        AddProblem(number, "section header without ']': %s", shown);
        return;
    }
    size_t n = (size_t)(close - text - 1);
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (strlen(SectionNames[s]) != n)
            continue;
        if (memcmp(text + 1, SectionNames[s], n) == 0) {
            AddProblem(number, "a second [%s] section; only the first one is read", SectionNames[s]);
            return;
        }
        if (SameLetters(text + 1, SectionNames[s], n)) {
            AddProblem(number, "section names are upper case: [%s]", SectionNames[s]);
            return;
        }
    }
    Quote(shown, sizeof shown, text + 1, n);
    AddProblem(number, "unknown section [%s]", shown);
}

// Why an entry line of [HOLIDAY] or [REMIND] is not read.
static void UnreadEntry(int32_t number, const char *text, size_t length, const OffsetList *keyLines,
                        LineStarts *starts)
{
    const char *eq = (const char *)memchr(text, '=', length);
    if (!eq) {
        AddProblem(number, "not an entry line (number=value)");
        return;
    }
    size_t keyLength = (size_t)(eq - text);
    size_t first = 0, last = keyLength;
    while (first < last && IsBlank(text[first]))
        first++;
    while (last > first && IsBlank(text[last - 1]))
        last--;
    int digits = last > first;
    for (size_t i = first; i < last; i++)
        if (text[i] < '0' || text[i] > '9')
            digits = 0;
    if (!digits) {
        AddProblem(number, "not an entry line (number=value)");
        return;
    }
    if (first > 0 || last < keyLength) {
        AddProblem(number, "blank around the entry number");
        return;
    }
    if (keyLength > 1 && text[0] == '0') {
        AddProblem(number, "the entry number has a leading zero");
        return;
    }
    // a number too long for any entry is shown at its first digits' worth
    unsigned long key = 0;
    for (size_t i = 0; i < keyLength && key < 100000000ul; i++)
        key = key * 10 + (unsigned long)(text[i] - '0');
    const unsigned long found = (unsigned long)keyLines->count;
    if (key < found)
        AddProblem(number, "a second entry %lu; line %d is the one read", key,
                   LineNumberAt(starts, keyLines->items[key]));
    else if (key == found)
        AddProblem(number, "entry %lu comes before entry %lu; entries must be in order", key, key - 1);
    else
        AddProblem(number, "entry %lu is missing, so entry %lu and those after it are not read", found, key);
}

// Why a [CONTROL] line is not read.
static void UnreadControl(int32_t number, const char *text, size_t length, const LoadRecord *record,
                          LineStarts *starts)
{
    const char *eq = (const char *)memchr(text, '=', length);
    if (!eq) {
        AddProblem(number, "not a key=value line");
        return;
    }
    size_t keyLength = (size_t)(eq - text);
    for (int k = 0; k < CONTROL_KEYS; k++) {
        if (strlen(ControlKeys[k]) == keyLength && memcmp(text, ControlKeys[k], keyLength) == 0 &&
            record->controlLines[k] >= 0) {
            AddProblem(number, "a second %s line; line %d is the one read", ControlKeys[k],
                       LineNumberAt(starts, record->controlLines[k]));
            return;
        }
    }
    char shown[64];
    Quote(shown, sizeof shown, text, keyLength);
    AddProblem(number, "unknown key %s", shown);
}

// Walks every line again and names each one that the loader left unread or
// read only in part.
static void FindUnreadLines(FILE *f, LoadRecord *record)
{
    ConfigProblemCount = 0;
    SortOffsets(&record->used);
    SortOffsets(&record->flawed);

    LineStarts starts = {f, {0, 0, 0}, 0};
    size_t length;
    rewind(f);
    readerPosition = 0;
    int region = REGION_NONE;
    int32_t regionLine = 0, indentedLine = 0;
    int32_t number = 0;
    while (ReadLine(f, &length)) {
        number++;
        const char *text = lineText;
        if (OnlyBlanks(text, length))
            continue;
        const int used = OffsetFind(&record->used, lineStart);
        if (text[0] == '[') {
            indentedLine = 0;
            region = REGION_UNREAD;
            regionLine = number;
            for (int s = 0; s < SECTION_COUNT; s++)
                if (record->sectionLines[s] == lineStart)
                    region = s;
            if (region == REGION_UNREAD) {
                UnreadHeader(number, text, length);
                continue;
            }
            size_t nameEnd = strlen(SectionNames[region]) + 2;
            if (memchr(text, 0, length))
                AddProblem(number, "holds a NUL byte");
            else if (memchr(text + nameEnd, '\r', length - nameEnd))
                AddProblem(number, "its lines end in carriage returns alone; only the first line is read");
            else if (!OnlyBlanks(text + nameEnd, length - nameEnd))
                AddProblem(number, "text after [%s] is not read", SectionNames[region]);
            continue;
        }
        if (used) {
            if (memchr(text, 0, length))
                AddProblem(number, "holds a NUL byte; what follows it is not read");
            else if (OffsetFind(&record->flawed, lineStart * FLAW_KINDS + FLAW_BAD_VALUE))
                AddProblem(number, "the value cannot be read");
            else if (OffsetFind(&record->flawed, lineStart * FLAW_KINDS + FLAW_EXTRA_TEXT))
                AddProblem(number, "text after the value is not read");
            else if (OffsetFind(&record->flawed, lineStart * FLAW_KINDS + FLAW_TOO_LARGE))
                AddProblem(number, "a number is too large for 32 bits and is read cut");
            else if (OffsetFind(&record->flawed, lineStart * FLAW_KINDS + FLAW_HOLIDAY_CUT))
                AddProblem(number, "the name is longer than %d bytes and is read cut", HOLIDAY_NAME_MAX);
            else if (OffsetFind(&record->flawed, lineStart * FLAW_KINDS + FLAW_MEMO_CUT))
                AddProblem(number, "the text is longer than %d bytes and is read cut", MEMO_TEXT_MAX);
            continue;
        }
        size_t lead = 0;
        while (lead < length && IsBlank(text[lead]))
            lead++;
        if (number == 1 && length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
            AddProblem(number, "starts with a UTF-8 byte-order mark; the file must be plain GBK text");
        } else if (text[lead] == '[') {
            indentedLine = number;
            AddProblem(number, "an indented section header is not read");
        } else if (indentedLine) {
            AddProblem(number, "belongs to the indented section header of line %d", indentedLine);
        } else if (region == REGION_NONE) {
            AddProblem(number, "not in a section that is read");
        } else if (region == REGION_UNREAD) {
            AddProblem(number, "in the section of line %d, which is not read", regionLine);
        } else if (region == SECTION_CONTROL) {
            UnreadControl(number, text, length, record, &starts);
        } else {
            UnreadEntry(number, text, length, &record->keyLines[region - 1], &starts);
        }
    }
    free(starts.starts.items);
}

// ---- the file ----

// Opens, loads and checks the file. settings and addEntries as for LoadFile.
static int LoadAndCheck(const char *name, SettingsRecord *settings, int addEntries)
{
    ConfigProblemCount = 0;
    ConfigReadError[0] = 0;
    int missing;
    FILE *f = FileOpenRegular(name, &missing);
    if (!f) {
        if (missing)
            return CONFIG_MISSING;
        snprintf(ConfigReadError, sizeof ConfigReadError, "%s", FileErrorText);
        return CONFIG_UNREADABLE;
    }
    LoadRecord record;
    RecordInit(&record);
    LoadFile(f, settings, addEntries, &record);
    FindUnreadLines(f, &record);
    RecordFree(&record);
    int unreadable = ferror(f);
    if (unreadable)
        snprintf(ConfigReadError, sizeof ConfigReadError, "%s", "a read error");
    fclose(f);
    if (unreadable)
        return CONFIG_UNREADABLE;
    return ConfigProblemCount ? CONFIG_DAMAGED : CONFIG_READ;
}

// ---- merging with the file on the disk ----

// "dlm.ini" as the program last read or wrote it. BaseMemos, like
// ReminderList, has the chime entry at its head.
static SettingsRecord BaseSettings;
static RecordList BaseHolidays, BaseMemos;
static FileStamp BaseStamp;
static char BaseName[4096];   // the file they are of: without a base, a save writes what it holds
int ConfigTakenIn;

static void CopyRecords(RecordList from, RecordList *to)
{
    ListFreeAll(to);
    for (const ListNode *node = from; node; node = node->next)
        ListAdd(to, node->record, node->size);
}

static void TakeConfigBase(const char *name)
{
    BaseSettings = Settings;
    CopyRecords(HolidayList, &BaseHolidays);
    CopyRecords(ReminderList, &BaseMemos);
    FileStampOf(name, &BaseStamp);
    snprintf(BaseName, sizeof BaseName, "%s", name);
}

int ConfigFileChanged(const char *name)
{
    FileStamp now;
    FileStampOf(name, &now);
    return !FileStampsEqual(&now, &BaseStamp);
}

// The one line per key of [CONTROL], each as the bytes of its fields.
static MergeBlob SettingBytes(const SettingsRecord *s, int key)
{
    MergeBlob b;
    switch (key) {
    case 0: b.bytes = &s->MonthPos; b.size = sizeof s->MonthPos; break;
    case 1: b.bytes = &s->NotePos; b.size = sizeof s->NotePos; break;
    case 2: b.bytes = &s->colorBackground; b.size = 5 * sizeof(uint32_t); break;
    default: b.bytes = &s->flags; b.size = sizeof s->flags; break;
    }
    return b;
}

// A record as the file holds it: the numbers, then the text (no NUL).
struct RecordBlobs {
    MergeBlob *blobs;
    ListNode **nodes;
    int32_t count;
};

static void FreeBlobs(RecordBlobs *r)
{
    for (int32_t i = 0; i < r->count; i++)
        free((void *)r->blobs[i].bytes);
    free(r->blobs);
    free(r->nodes);
    memset(r, 0, sizeof *r);
}

static int MakeBlobs(RecordList list, int memos, RecordBlobs *r)
{
    memset(r, 0, sizeof *r);
    int32_t count = 0;
    for (const ListNode *node = list; node; node = node->next)
        count++;
    r->blobs = (MergeBlob *)malloc(((size_t)count + 1) * sizeof *r->blobs);
    r->nodes = (ListNode **)malloc(((size_t)count + 1) * sizeof *r->nodes);
    if (!r->blobs || !r->nodes) {
        FreeBlobs(r);
        return 0;
    }
    const size_t fixed = memos ? REMINDER_FIXED_SIZE : HOLIDAY_FIXED_SIZE;
    for (ListNode *node = memos && list ? list->next : list; node; node = node->next) {
        size_t room = node->size > fixed ? node->size - fixed : 0;
        const char *text = (const char *)node->record + fixed;
        size_t length = room ? strnlen(text, room) : 0;
        size_t numbers = memos ? 8 : 4;
        char *bytes = (char *)malloc(numbers + length + 1);
        if (!bytes) {
            FreeBlobs(r);
            return 0;
        }
        if (memos) {
            const ReminderEntry *e = (const ReminderEntry *)node->record;
            memcpy(bytes, &e->when, 4);
            memcpy(bytes + 4, &e->time, 4);
        } else {
            memcpy(bytes, &((const HolidayEntry *)node->record)->code, 4);
        }
        memcpy(bytes + numbers, text, length);
        r->blobs[r->count].bytes = bytes;
        r->blobs[r->count].size = (uint32_t)(numbers + length);
        r->nodes[r->count++] = node;
    }
    return 1;
}

// Makes *list the merged records: our nodes stay where they are picked (a
// memo in the alarm queue keeps its address), theirs are copied in; our
// nodes not picked are freed. 1 when the list changed.
static int Rebuild(RecordList *list, int memos, const RecordBlobs *ours, const RecordBlobs *theirs,
                   const MergePick *picks, int32_t n)
{
    // Nothing of theirs and nothing of ours dropped: the list stays as it is, in its order.
    int32_t fromOurs = 0;
    for (int32_t i = 0; i < n; i++)
        fromOurs += picks[i].from == MERGE_FROM_OURS;
    if (fromOurs == n && n == ours->count)
        return 0;
    ListNode *head = memos ? *list : 0, *tail = head;
    int changed = 0;
    char *picked = (char *)calloc((size_t)ours->count + 1, 1);
    if (!picked)
        return 0;
    for (int32_t i = 0; i < ours->count; i++)
        ListUnlink(ours->nodes[i]);
    for (int32_t i = 0; i < n; i++) {
        ListNode *node;
        if (picks[i].from == MERGE_FROM_OURS) {
            node = ours->nodes[picks[i].index];
            picked[picks[i].index] = 1;
        } else {
            const ListNode *from = theirs->nodes[picks[i].index];
            node = 0;
            if (ListAdd(&node, from->record, from->size))
                continue;
            if (memos) {
                ((ReminderEntry *)node->record)->queueNext = 0;
                ((ReminderEntry *)node->record)->dueTick = 0;
            }
            changed = 1;
        }
        if (!tail)
            head = node;
        else
            ListInsertAfter(tail, node);
        tail = node;
    }
    for (int32_t i = 0; i < ours->count; i++)
        if (!picked[i]) {
            ListFreeNode(ours->nodes[i]);
            changed = 1;
        }
    free(picked);
    *list = head;
    return changed;
}

static int MergeList(RecordList *list, RecordList base, RecordList theirs, int memos)
{
    RecordBlobs b, o, t;
    if (!MakeBlobs(base, memos, &b))
        return -1;
    if (!MakeBlobs(*list, memos, &o)) {
        FreeBlobs(&b);
        return -1;
    }
    if (!MakeBlobs(theirs, memos, &t)) {
        FreeBlobs(&b);
        FreeBlobs(&o);
        return -1;
    }
    int result = -1;
    MergePick *picks = (MergePick *)malloc(((size_t)o.count + t.count + 1) * sizeof *picks);
    int32_t n = picks ? MergeRecordLists(b.blobs, b.count, o.blobs, o.count, t.blobs, t.count, picks) : -1;
    if (n >= 0)
        result = Rebuild(list, memos, &o, &t, picks, n);
    free(picks);
    FreeBlobs(&b);
    FreeBlobs(&o);
    FreeBlobs(&t);
    return result;
}

// Reads the file as it is now and merges what the program changed since its
// base over it, into the program's settings and lists. The base becomes the
// file as read. With keepPlacements the window placements of the file are
// not taken over (the running windows own theirs). The CONFIG_* state of
// the file; CONFIG_UNREADABLE changes nothing.
static int MergeWithFile(const char *name, int keepPlacements)
{
    SettingsRecord file = BaseSettings;   // a key the file lacks counts as unchanged
    RecordList holidays = HolidayList, memos = ReminderList;
    HolidayList = 0;
    ReminderList = 0;
    AddChimeEntry();
    int state = LoadAndCheck(name, &file, 1);
    RecordList fileHolidays = HolidayList, fileMemos = ReminderList;
    HolidayList = holidays;
    ReminderList = memos;
    ConfigTakenIn = 0;
    // A file that is gone, or one the program has no base for, holds
    // nothing to keep: the program writes all it holds, as at first.
    if (state == CONFIG_MISSING || strcmp(name, BaseName) != 0) {
        ListFreeAll(&fileHolidays);
        ListFreeAll(&fileMemos);
        if (state == CONFIG_MISSING)
            FileStampOf(name, &BaseStamp);   // the next tick does not look again
    } else if (state != CONFIG_UNREADABLE) {
        for (int k = 0; k < CONTROL_KEYS; k++) {
            MergeBlob base = SettingBytes(&BaseSettings, k), ours = SettingBytes(&Settings, k),
                      theirs = SettingBytes(&file, k);
            if (!MergeBlobsEqual(&ours, &base) || MergeBlobsEqual(&ours, &theirs) || (keepPlacements && k < 2))
                continue;
            memcpy((void *)ours.bytes, theirs.bytes, ours.size);
            ConfigTakenIn |= CONFIG_TOOK_SETTINGS;
        }
        if (MergeList(&HolidayList, BaseHolidays, fileHolidays, 0) > 0)
            ConfigTakenIn |= CONFIG_TOOK_HOLIDAYS;
        if (MergeList(&ReminderList, BaseMemos, fileMemos, 1) > 0)
            ConfigTakenIn |= CONFIG_TOOK_MEMOS;
        BaseSettings = file;
        ListFreeAll(&BaseHolidays);
        ListFreeAll(&BaseMemos);
        BaseHolidays = fileHolidays;
        BaseMemos = fileMemos;
        FileStampOf(name, &BaseStamp);
    } else {
        ListFreeAll(&fileHolidays);
        ListFreeAll(&fileMemos);
    }
    return state;
}

int ConfigTakeIn(const char *name)
{
    char folder[4096];
    FileFolderOf(name, folder, sizeof folder);
    if (DataLockAcquire(folder, DataLockWaitMs) != DATALOCK_OK)
        return 0;
    static ConfigProblem problems[CONFIG_PROBLEMS_KEPT];
    int32_t problemCount = ConfigProblemCount;
    memcpy(problems, ConfigProblems, sizeof problems);
    MergeWithFile(name, 1);
    ConfigProblemCount = problemCount;
    memcpy(ConfigProblems, problems, sizeof problems);
    DataLockRelease(folder);
    return ConfigTakenIn;
}

int ReadConfigFile(const char *name)
{
    // Memos go in after the chime entry, which must be there first.
    if (!ReminderList)
        AddChimeEntry();
    int result = LoadAndCheck(name, &Settings, 1);
    // The records read are the base of later merges.
    TakeConfigBase(name);
    return result;
}

void ConfigTakeSettingsBase() { BaseSettings = Settings; }

int CheckConfigFile(const char *name)
{
    SettingsRecord scratch;
    memset(&scratch, 0, sizeof scratch);
    return LoadAndCheck(name, &scratch, 0);
}

// Writes one "n=numbers,text" line with the text encoded onto the line.
static int WriteEntry(FILE *f, const char *prefix, const char *text, size_t length)
{
    char small[2048];
    size_t size = EncodedSize(text, length);
    char *encoded = size <= sizeof small ? small : (char *)malloc(size);
    if (!encoded)
        return -1;
    EncodeText(text, length, encoded, size);
    int r = FilePrintf(f, "%s%s\n", prefix, encoded);
    if (encoded != small)
        free(encoded);
    return r < 0 ? -1 : 0;
}

static int WriteContent(FILE *f)
{
    const WindowPos *m = &Settings.MonthPos, *p = &Settings.NotePos;
    if (FilePrintf(f, "[CONTROL]\n") < 0 ||
        FilePrintf(f, "MonthPos=%d,%d,%d,%d,%d\n", m->left, m->top, m->right, m->bottom, m->dockState) < 0 ||
        FilePrintf(f, "NotePos=%d,%d,%d,%d,%d\n", p->left, p->top, p->right, p->bottom, p->dockState) < 0 ||
        FilePrintf(f, "Color=%x,%x,%x,%x,%x\n", Settings.colorBackground, Settings.colorDefault,
                   Settings.colorHoliday, Settings.colorWeekend, Settings.colorMark) < 0 ||
        FilePrintf(f, "Control=%x\n", Settings.flags) < 0 || FilePrintf(f, "[HOLIDAY]\n") < 0)
        return -1;
    char prefix[64];
    int n = 0;
    for (const ListNode *node = HolidayList; node; node = node->next, n++) {
        const HolidayEntry *e = (const HolidayEntry *)node->record;
        size_t room = node->size > HOLIDAY_FIXED_SIZE ? node->size - HOLIDAY_FIXED_SIZE : 0;
        snprintf(prefix, sizeof prefix, "%d=%d,", n, e->code);
        if (WriteEntry(f, prefix, room ? e->name : "", room) < 0)
            return -1;
    }
    if (FilePrintf(f, "[REMIND]\n") < 0)
        return -1;
    n = 0;
    for (const ListNode *node = FirstMemo(); node; node = node->next, n++) {
        const ReminderEntry *r = (const ReminderEntry *)node->record;
        size_t room = node->size > REMINDER_FIXED_SIZE ? node->size - REMINDER_FIXED_SIZE : 0;
        snprintf(prefix, sizeof prefix, "%d=%x,%x,", n, r->when, r->time);
        if (WriteEntry(f, prefix, room ? r->text : "", room) < 0)
            return -1;
    }
    return 0;
}

static int WriteContentTo(FILE *f, void *context) { return WriteContent(f); }

static int WriteLocked(const char *given, const char *name)
{
    if (FileIsReadOnly(name))
        return SAVE_READ_ONLY;
    // The file on the disk now, not as it was loaded: a line typed into it
    // by hand since then is kept as well.
    // What the caller's own load found stays as it was.
    static ConfigProblem problems[CONFIG_PROBLEMS_KEPT];
    static char readError[sizeof ConfigReadError];
    int32_t problemCount = ConfigProblemCount;
    memcpy(problems, ConfigProblems, sizeof problems);
    memcpy(readError, ConfigReadError, sizeof readError);
    int state = MergeWithFile(given, 0);
    if (state == CONFIG_UNREADABLE)
        snprintf(FileErrorText, sizeof FileErrorText, "%s", ConfigReadError);
    ConfigProblemCount = problemCount;
    memcpy(ConfigProblems, problems, sizeof problems);
    memcpy(ConfigReadError, readError, sizeof readError);
    if (state == CONFIG_UNREADABLE)
        return SAVE_UNREADABLE;
    if (state == CONFIG_DAMAGED && !FileKeepDamagedCopy(name))
        return SAVE_NOT_KEPT;
    FileRemoveStaleTemporaries(name);

    // The new content goes to a file beside the old one and replaces it in
    // one step once it is on the disk, so a failure or a crash at any point
    // leaves either the old file or the new one, never a part of either.
    int result = FileWriteCompleteBy(name, 1, WriteContentTo, 0);
    if (result == SAVE_OK)
        TakeConfigBase(given);
    return result;
}

static int WriteLockedAt(void *given, const char *target) { return WriteLocked((const char *)given, target); }

int WriteConfigFile(const char *name)
{
    FileErrorText[0] = 0;
    return DataLockedReplace(name, WriteLockedAt, (void *)name);
}
