#include "config.h"
#include "fileio.h"
#include "gbk.h"
#include "progdir.h"
#include "records.h"
#include "recordstore.h"
#include "settings.h"
#include "../calendar/holiday.h"
#include "../calendar/today.h"
#include <stdlib.h>
#include <string.h>

int ConfigChanged;

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
        unsigned char piece[2];
        size_t n;
        if (GbkIsLead(p[i]) && i + 1 < length && GbkIsTrail(p[i + 1])) {
            piece[0] = p[i];
            piece[1] = p[i + 1];
            n = 2;
            i += 2;
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

#if defined(_WIN32)
#define GETC _getc_nolock
#else
#define GETC getc_unlocked
#endif

// 1 when a line was read, 0 at the end of the file.
static int ReadLine(FILE *f, size_t *lengthOut)
{
    size_t length = 0;
    int c = EOF;
    int any = 0;
    int full = 0;   // the line no longer fits in memory: the rest is dropped
    while ((c = GETC(f)) != EOF) {
        any = 1;
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
    if (!any)
        return 0;
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
    if (position != -1 && fseek(f, position, SEEK_SET) != 0)
        return 0;
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

// One number as the formatted-input conversions "%d" and "%x" take it:
// leading blanks, a sign, for "%x" an optional 0x, then at least one digit.
// Values that overflow wrap around.
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
    int digits = 0;
    for (int d; (d = HexDigit(*p)) >= 0 && d < base; p++, digits++)
        value = value * (uint32_t)base + (uint32_t)d;
    if (!digits)
        return 0;
    *out = negative ? 0u - value : value;
    *text = p;
    return 1;
}

// Up to count comma-separated numbers; stores each one as it parses, like the
// formatted input does, and returns how many parsed.
static int ParseFields(const char *text, int hex, int32_t *fields[], int count)
{
    const char *p = text;
    for (int i = 0; i < count; i++) {
        if (i > 0) {
            if (*p != ',')
                return i;
            p++;
        }
        uint32_t value;
        if (!ParseNumber(&p, hex, &value))
            return i;
        *fields[i] = (int32_t)value;
    }
    return count;
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

// ---- the file ----

int ReadConfigFile(const char *name)
{
    // Memos go in after the chime entry, which must be there first.
    if (!ReminderList)
        AddChimeEntry();
    FILE *f = fopen(name, "rb");
    if (!f) {
        LoadDefaults();
        return CONFIG_MISSING;
    }
    int damaged = 0;
    char *value;

    const long control = FindSection(f, "CONTROL");
    if (control != -1) {
        WindowPos *month = &Settings.MonthPos, *note = &Settings.NotePos;
        int32_t *monthFields[5] = {&month->left, &month->top, &month->right, &month->bottom,
                                   &month->dockState};
        int32_t *noteFields[5] = {&note->left, &note->top, &note->right, &note->bottom, &note->dockState};
        int32_t *colorFields[5] = {(int32_t *)&Settings.colorBackground, (int32_t *)&Settings.colorDefault,
                                   (int32_t *)&Settings.colorHoliday, (int32_t *)&Settings.colorWeekend,
                                   (int32_t *)&Settings.colorMark};
        int32_t *flagField[1] = {(int32_t *)&Settings.flags};
        if ((value = FindKey(f, control, "MonthPos")) && ParseFields(value, 0, monthFields, 5) < 5)
            damaged = 1;
        if ((value = FindKey(f, control, "NotePos")) && ParseFields(value, 0, noteFields, 5) < 5)
            damaged = 1;
        if ((value = FindKey(f, control, "Color")) && ParseFields(value, 1, colorFields, 5) < 5)
            damaged = 1;
        if ((value = FindKey(f, control, "Control")) && ParseFields(value, 1, flagField, 1) < 1)
            damaged = 1;
    }

    char key[16];
    if (FindSection(f, "HOLIDAY") != -1) {
        // Each key is looked for from where the previous one was found, which
        // keeps loading linear and makes keys out of order end the section.
        for (int n = 0;; n++) {
            snprintf(key, sizeof key, "%d", n);
            if (!(value = FindKey(f, -1, key)))
                break;
            uint32_t code;
            char *text = ParseEntry(value, 0, &code, 1);
            if (!text) {
                damaged = 1;
                continue;
            }
            DecodeLineBreaks(text);
            AddHoliday((int32_t)code, text);
        }
    }

    if (FindSection(f, "REMIND") != -1) {
        const int purge = (Settings.flags & CTRL_PURGE_EXPIRED) != 0;
        for (int n = 0;; n++) {
            snprintf(key, sizeof key, "%d", n);
            if (!(value = FindKey(f, -1, key)))
                break;
            uint32_t numbers[2];
            char *text = ParseEntry(value, 1, numbers, 2);
            if (!text) {
                damaged = 1;
                continue;
            }
            if (purge && numbers[0] < (uint32_t)TodayDate.date)
                continue;
            DecodeLineBreaks(text);
            AddReminder(numbers[0], numbers[1], text);
        }
    }
    fclose(f);
    return damaged ? CONFIG_DAMAGED : CONFIG_READ;
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
    for (const ListNode *node = ReminderList ? ReminderList->next : 0; node; node = node->next, n++) {
        const ReminderEntry *r = (const ReminderEntry *)node->record;
        size_t room = node->size > REMINDER_FIXED_SIZE ? node->size - REMINDER_FIXED_SIZE : 0;
        snprintf(prefix, sizeof prefix, "%d=%x,%x,", n, r->when, r->time);
        if (WriteEntry(f, prefix, room ? r->text : "", room) < 0)
            return -1;
    }
    return 0;
}

int WriteConfigFile(const char *name)
{
    // The new content goes to a file beside the old one and replaces it in
    // one step once it is on the disk, so a failure or a crash at any point
    // leaves either the old file or the new one, never a part of either.
    char temporary[1024];
    if (snprintf(temporary, sizeof temporary, "%s.new", name) >= (int)sizeof temporary)
        return -1;
    FILE *f = FileOpen(temporary, "w");
    if (!f)
        return -1;
    int ok = WriteContent(f) == 0 && FileSync(f) == 0;
    ok = FileClose(f) == 0 && ok;
    if (ok && FileReplace(temporary, name) == 0)
        return 0;
    FileRemove(temporary);
    return -1;
}

int LoadDefaults()
{
    Settings.MonthPos.left = 250;
    Settings.MonthPos.top = 0;
    Settings.MonthPos.right = 600;
    Settings.MonthPos.bottom = 250;
    Settings.MonthPos.dockState = DOCK_TOP;
    Settings.colorBackground = 0xFF8080;
    Settings.colorDefault = 0xFFFFFF;
    Settings.colorHoliday = 0x00FFFF;
    Settings.colorWeekend = 0x0000FF;
    Settings.colorMark = 0x00FF00;
    Settings.flags = CTRL_DEFAULTS;
    AddBuiltInHolidays();
    return 0;
}

int LoadConfig()
{
    ChangeToProgramDirectory();
    ReadConfigFile("dlm.ini");
    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    return 0;
}

int SaveConfig()
{
    if (ConfigChanged)
        WriteConfigFile("dlm.ini");
    if (DayNoteStore)
        StoreClose(DayNoteStore, "dlm.db");
    DayNoteStore = 0;
    return 0;
}
