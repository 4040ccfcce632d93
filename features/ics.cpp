#include "ics.h"
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "../calendar/holiday.h"
#include "../calendar/memo.h"
#include "../calendar/offdays.h"
#include "../calendar/solarterm.h"
#include "../store/fileio.h"
#include "../records/gbk.h"
#include "../store/recordstore.h"

int IcsRangeValid(int32_t fromYear, int32_t toYear)
{
    return fromYear >= 1 && toYear <= 9999 && fromYear <= toYear && toYear - fromYear < ICS_MAX_YEARS;
}

// ---- writing content lines ----

struct IcsWriter {
    TextBuffer *out;
    TextBuffer line;   // the content line being put together, unfolded
    char *utf8;        // scratch for a converted text
    size_t utf8Size;
    int failed;       // memory ran out somewhere
    char stamp[40];   // DTSTAMP value
    PackedDate first, last;
    int32_t fromYear, toYear;
    int32_t events;
};

static void LineBytes(IcsWriter *w, const char *bytes, size_t n)
{
    if (!TextBufferAppendBytes(&w->line, bytes, n))
        w->failed = 1;
}

static void LineAscii(IcsWriter *w, const char *text) { LineBytes(w, text, strlen(text)); }

static void LineFormat(IcsWriter *w, const char *format, ...)
{
    char text[160];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n > 0)
        LineBytes(w, text, (size_t)n < sizeof text ? (size_t)n : sizeof text - 1);
}

// A GBK text as a TEXT value: converted to UTF-8, then backslash, semicolon
// and comma escaped and every line break (CR LF, CR or LF) written as \n.
// Control characters other than the tab may not stand in a value; they go.
static void LineText(IcsWriter *w, const char *gbk)
{
    size_t n = strlen(gbk);
    if (3 * n > w->utf8Size) {
        char *grown = (char *)realloc(w->utf8, 3 * n);
        if (!grown) {
            w->failed = 1;
            return;
        }
        w->utf8 = grown;
        w->utf8Size = 3 * n;
    }
    // converted first: a GBK trail byte may look like a backslash or a comma
    const size_t u = GbkToUtf8(gbk, n, w->utf8);
    const char *p = w->utf8;
    size_t run = 0;   // bytes at p that go through as they are
    for (size_t i = 0; i < u; i++) {
        unsigned char c = (unsigned char)p[i];
        const char *escape;
        if (c == '\\')
            escape = "\\\\";
        else if (c == ';')
            escape = "\\;";
        else if (c == ',')
            escape = "\\,";
        else if (c == '\r' || c == '\n')
            escape = "\\n";
        else if ((c < 0x20 && c != '\t') || c == 0x7F)
            escape = "";
        else
            continue;
        LineBytes(w, p + run, i - run);
        LineAscii(w, escape);
        if (c == '\r' && i + 1 < u && p[i + 1] == '\n')
            i++;
        run = i + 1;
    }
    LineBytes(w, p + run, u - run);
}

// Ends the content line: folded into lines of at most 75 octets, each
// continuation starting with a blank, never inside a UTF-8 character.
static void EndLine(IcsWriter *w)
{
    const char *p = w->line.text ? w->line.text : "";
    const size_t n = w->line.text ? w->line.length : 0;
    size_t at = 0;
    size_t room = 75;
    while (n - at > room) {
        size_t cut = at + room;
        while (cut > at && ((unsigned char)p[cut] & 0xC0) == 0x80)
            cut--;
        if (!TextBufferAppendBytes(w->out, p + at, cut - at) || !TextBufferAppendBytes(w->out, "\r\n ", 3))
            w->failed = 1;
        at = cut;
        room = 74;   // the blank that starts a continuation counts
    }
    if (!TextBufferAppendBytes(w->out, p + at, n - at) || !TextBufferAppendBytes(w->out, "\r\n", 2))
        w->failed = 1;
    w->line.length = 0;
}

static void Property(IcsWriter *w, const char *name, const char *value)
{
    LineAscii(w, name);
    LineAscii(w, ":");
    LineAscii(w, value);
    EndLine(w);
}

static void TextProperty(IcsWriter *w, const char *name, const char *gbk)
{
    LineAscii(w, name);
    LineAscii(w, ":");
    LineText(w, gbk);
    EndLine(w);
}

// ---- dates ----

static PackedDate AddDays(PackedDate date, int days)
{
    CalendarDay rec;
    memset(&rec, 0, sizeof rec);
    rec.year = DATE_YEAR(date);
    rec.month = DATE_MONTH(date);
    rec.day = DATE_DAY(date) + days;
    NormalizeDay(&rec);
    return PACK_DATE(rec.year, rec.month, rec.day);
}

static int IsValidDate(PackedDate date)
{
    int y = DATE_YEAR(date), m = DATE_MONTH(date), d = DATE_DAY(date);
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

static void FormatDate(char *out, size_t size, PackedDate date)
{
    snprintf(out, size, "%04d%02d%02d", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date));
}

// A memo's time that a calendar can hold; REMIND_NO_TIME and values no
// editor makes (24:00:00 and the like) count as no time.
static int HasClockTime(uint32_t time)
{
    return time != REMIND_NO_TIME && (time >> 16) <= 23 && ((time >> 8) & 0xFF) <= 59 && (time & 0xFF) <= 59;
}

static const char *const WeekdayCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// ---- events ----

struct IcsEvent {
    char uid[96];
    PackedDate date;        // the first occurrence
    uint32_t time;          // PackedTime, or REMIND_NO_TIME for an all-day event
    const char *rrule;      // the recurrence without its end, or null
    const char *summary;    // GBK
    const char *category;   // GBK
    const char *description; // GBK, or null
    // dates taken out of and added to the recurrence (EXDATE, RDATE)
    const PackedDate *exdates, *rdates;
    size_t exdateCount, rdateCount;
};

// One EXDATE or RDATE line per date, in the start's form: a date, or a local
// date and time.
static void DateList(IcsWriter *w, const char *name, const PackedDate *dates, size_t count, uint32_t time,
                     int timed)
{
    for (size_t i = 0; i < count; i++) {
        char date[16];
        FormatDate(date, sizeof date, dates[i]);
        if (timed)
            LineFormat(w, "%s:%sT%02u%02u%02u", name, date, time >> 16, (time >> 8) & 0xFF, time & 0xFF);
        else
            LineFormat(w, "%s;VALUE=DATE:%s", name, date);
        EndLine(w);
    }
}

static void WriteEvent(IcsWriter *w, const IcsEvent *e)
{
    const int timed = HasClockTime(e->time);
    char date[16], value[64];
    FormatDate(date, sizeof date, e->date);
    Property(w, "BEGIN", "VEVENT");
    LineFormat(w, "UID:%s@loomhouse", e->uid);
    EndLine(w);
    Property(w, "DTSTAMP", w->stamp);
    if (timed) {
        // a local time with no zone: the memo rings at its hour wherever the phone is
        snprintf(value, sizeof value, "%sT%02u%02u%02u", date, e->time >> 16, (e->time >> 8) & 0xFF,
                 e->time & 0xFF);
        Property(w, "DTSTART", value);
    } else {
        Property(w, "DTSTART;VALUE=DATE", date);
        FormatDate(value, sizeof value, AddDays(e->date, 1));
        Property(w, "DTEND;VALUE=DATE", value);
    }
    if (e->rrule) {
        // the end has the start's form: a date, or a local date and time
        LineFormat(w, "RRULE:%s;UNTIL=%04d1231%s", e->rrule, w->toYear, timed ? "T235959" : "");
        EndLine(w);
        DateList(w, "EXDATE", e->exdates, e->exdateCount, e->time, timed);
        DateList(w, "RDATE", e->rdates, e->rdateCount, e->time, timed);
    }
    TextProperty(w, "SUMMARY", e->summary);
    TextProperty(w, "CATEGORIES", e->category);
    if (e->description)
        TextProperty(w, "DESCRIPTION", e->description);
    if (!timed)
        Property(w, "TRANSP", "TRANSPARENT");
    if (timed) {
        Property(w, "BEGIN", "VALARM");
        Property(w, "ACTION", "DISPLAY");
        TextProperty(w, "DESCRIPTION", e->summary);
        Property(w, "TRIGGER", "PT0S");
        Property(w, "END", "VALARM");
    }
    Property(w, "END", "VEVENT");
    w->events++;
}

static int InRange(const IcsWriter *w, PackedDate date) { return date >= w->first && date <= w->last; }

// ---- identities ----

static uint64_t Fnv(uint64_t hash, const void *bytes, size_t n)
{
    const unsigned char *p = (const unsigned char *)bytes;
    for (size_t i = 0; i < n; i++) {
        hash ^= p[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

static uint64_t HashOf(uint32_t a, uint32_t b, const char *text)
{
    unsigned char head[8];
    for (int i = 0; i < 4; i++) {
        head[i] = (unsigned char)(a >> (8 * i));
        head[4 + i] = (unsigned char)(b >> (8 * i));
    }
    uint64_t hash = Fnv(14695981039346656037ull, head, sizeof head);
    return Fnv(hash, text, strlen(text));
}

struct Keyed {
    uint64_t key;
    uint32_t index;
};

static int CompareKeyed(const void *a, const void *b)
{
    const Keyed *x = (const Keyed *)a, *y = (const Keyed *)b;
    if (x->key != y->key)
        return x->key < y->key ? -1 : 1;
    return x->index < y->index ? -1 : x->index > y->index ? 1 : 0;
}

// Which copy of identical entries each one is (0 for the first in list
// order), so that two identical memos keep two events apart. 0 when memory ran out.
static int NumberRepeats(const uint64_t *keys, uint32_t *repeat, size_t n)
{
    Keyed *sorted = (Keyed *)malloc((n ? n : 1) * sizeof(Keyed));
    if (!sorted)
        return 0;
    for (size_t i = 0; i < n; i++) {
        sorted[i].key = keys[i];
        sorted[i].index = (uint32_t)i;
    }
    qsort(sorted, n, sizeof(Keyed), CompareKeyed);
    for (size_t i = 0; i < n; i++)
        repeat[sorted[i].index] =
            i > 0 && sorted[i].key == sorted[i - 1].key ? repeat[sorted[i - 1].index] + 1 : 0;
    free(sorted);
    return 1;
}

// "<kind>-<hash>" and, for a repeat, "-r<n>".
static void BaseUid(char *out, size_t size, const char *kind, uint64_t hash, uint32_t repeat)
{
    int n = snprintf(out, size, "%s-%016llx", kind, (unsigned long long)hash);
    if (repeat && n > 0 && (size_t)n < size)
        snprintf(out + n, size - (size_t)n, "-r%u", repeat);
}

// ---- holidays ----

// The date of a Gregorian or n-th weekday rule in a year, exactly where the
// holiday lookup finds it; 0 when the rule has no day that year.
static PackedDate RuleDateIn(HolidayCode code, int year)
{
    const int kind = code & 0xF000, month = (code >> 8) & 0xF;
    if (month < 1 || month > 12)
        return 0;
    const int length = DaysInMonth(year, month);
    if (kind == HOLIDAY_SOLAR) {
        int day = code & 0xFF;
        return day >= 1 && day <= length ? PACK_DATE(year, month, day) : 0;
    }
    const int ordinal = (code >> 4) & 0xF, weekday = code & 0xF;
    if (weekday > 6)
        return 0;
    int day;
    if (ordinal >= 1 && ordinal <= 5)
        day = 1 + (weekday - WeekdayOf(PACK_DATE(year, month, 1)) + 7) % 7 + 7 * (ordinal - 1);
    else if (ordinal >= 7 && ordinal <= 11)
        day = length - (WeekdayOf(PACK_DATE(year, month, length)) - weekday + 7) % 7 - 7 * (ordinal - 7);
    else
        return 0;
    return day >= 1 && day <= length ? PACK_DATE(year, month, day) : 0;
}

static void WriteHoliday(IcsWriter *w, const HolidayEntry *h, uint32_t repeat)
{
    const HolidayCode code = h->code & 0xFFFF;
    const int kind = code & 0xF000;
    IcsEvent e;
    memset(&e, 0, sizeof e);
    char kindName[16];
    snprintf(kindName, sizeof kindName, "holiday-%04x", (unsigned)code);
    BaseUid(e.uid, sizeof e.uid, kindName, HashOf((uint32_t)code, 0, h->name), repeat);
    e.time = REMIND_NO_TIME;
    e.summary = h->name;
    e.category = "节日";
    if (kind == HOLIDAY_SOLAR || kind == HOLIDAY_WEEKDAY) {
        for (int y = w->fromYear; y <= w->toYear && !e.date; y++)
            e.date = RuleDateIn(code, y);
        if (!e.date)
            return;   // a rule that never falls in the range (a 29 February in common years)
        char rule[80];
        const int month = (code >> 8) & 0xF, ordinal = (code >> 4) & 0xF;
        if (kind == HOLIDAY_SOLAR)
            snprintf(rule, sizeof rule, "FREQ=YEARLY;BYMONTH=%d;BYMONTHDAY=%d", month, code & 0xFF);
        else
            snprintf(rule, sizeof rule, "FREQ=YEARLY;BYMONTH=%d;BYDAY=%d%s", month,
                     ordinal <= 5 ? ordinal : 6 - ordinal, WeekdayCodes[code & 0xF]);
        e.rrule = rule;
        WriteEvent(w, &e);
        return;
    }
    if (kind != HOLIDAY_LUNAR)
        return;
    // No RRULE knows the lunar calendar: one event for each lunar year whose
    // month has the day (the rule skips a 30th the month lacks).
    const int month = (code >> 8) & 0xF, day = code & 0xFF;
    if (month < 1 || month > 12 || day < 1 || day > 30)
        return;
    const size_t base = strlen(e.uid);
    for (int y = w->fromYear - 1; y <= w->toYear; y++) {
        if (y < LUNAR_FIRST_YEAR || y > LUNAR_LAST_YEAR || day > LunarMonthDays(y, month))
            continue;
        CalendarDay rec;
        memset(&rec, 0, sizeof rec);
        rec.lunarYear = y;
        rec.lunarMonth = month;
        rec.lunarDay = day;
        LunarToSolarInPlace(&rec);
        if (!InRange(w, rec.packed))
            continue;
        e.date = rec.packed;
        snprintf(e.uid + base, sizeof e.uid - base, "-%d", y);
        WriteEvent(w, &e);
    }
}

static void WriteHolidays(IcsWriter *w)
{
    size_t n = 0;
    for (ListNode *node = HolidayList; node; node = node->next)
        n++;
    uint64_t *keys = (uint64_t *)malloc((n ? n : 1) * sizeof(uint64_t));
    uint32_t *repeat = (uint32_t *)malloc((n ? n : 1) * sizeof(uint32_t));
    size_t i = 0;
    for (ListNode *node = HolidayList; keys && node; node = node->next, i++) {
        const HolidayEntry *h = (const HolidayEntry *)node->record;
        keys[i] = HashOf((uint32_t)(h->code & 0xFFFF), 0, h->name);
    }
    if (!keys || !repeat || !NumberRepeats(keys, repeat, n)) {
        w->failed = 1;
    } else {
        i = 0;
        for (ListNode *node = HolidayList; node; node = node->next, i++)
            WriteHoliday(w, (const HolidayEntry *)node->record, repeat[i]);
    }
    free(keys);
    free(repeat);
}

static void WriteTerms(IcsWriter *w)
{
    for (int y = w->fromYear; y <= w->toYear; y++) {
        PackedDate dates[24];
        TermDatesOfYear(y, dates);
        for (int i = 0; i < 24; i++) {
            if (!dates[i] || !InRange(w, dates[i]))
                continue;
            IcsEvent e;
            memset(&e, 0, sizeof e);
            snprintf(e.uid, sizeof e.uid, "term-%04d-%02d", y, i);
            e.date = dates[i];
            e.time = REMIND_NO_TIME;
            e.summary = SolarTermNames[i];
            e.category = "节气";
            char moment[80], when[TERM_MOMENT_SIZE];
            if (SolarTermsArePrecise(y))
                snprintf(moment, sizeof moment, "交节时刻 %s（北京时间）", FormatTermMomentInto(y, i, when));
            else
                snprintf(moment, sizeof moment, "按平气公式推算，无时刻");
            e.description = moment;
            WriteEvent(w, &e);
        }
    }
}

// ---- days off and make-up workdays ----

static int WriteOffDay(PackedDate date, int kind, const char *name, void *context)
{
    IcsWriter *w = (IcsWriter *)context;
    IcsEvent e;
    memset(&e, 0, sizeof e);
    // one event per date and kind: a re-export replaces it, a changed kind is a new event
    snprintf(e.uid, sizeof e.uid, "offday-%04d%02d%02d-%s", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date),
             kind == OFFDAY_WORK ? "work" : "rest");
    e.date = date;
    e.time = REMIND_NO_TIME;
    char summary[OFFDAY_NAME_SIZE + 32];
    snprintf(summary, sizeof summary, "%s %s%s", OffDayMark(kind), name, kind == OFFDAY_WORK ? "调休上班" : "放假");
    e.summary = summary;
    e.category = "放假调休";
    WriteEvent(w, &e);
    return 1;
}

static void WriteOffDays(IcsWriter *w)
{
    for (int y = w->fromYear; y <= w->toYear; y++)
        ForEachOffDay(y, WriteOffDay, w);
}

// ---- memos ----

// The days off that fall on Monday to Friday and the make-up workdays that
// fall on a weekend: what a weekly Monday-to-Friday rule must leave out and
// take in to be the workday memo.
struct WorkdayChanges {
    PackedDate *out, *in;
    size_t outCount, inCount, outCapacity, inCapacity;
    int failed;
};

static void Push(PackedDate **list, size_t *count, size_t *capacity, PackedDate date, int *failed)
{
    if (*count == *capacity) {
        size_t grown = *capacity ? 2 * *capacity : 64;
        PackedDate *more = (PackedDate *)realloc(*list, grown * sizeof **list);
        if (!more) {
            *failed = 1;
            return;
        }
        *list = more;
        *capacity = grown;
    }
    (*list)[(*count)++] = date;
}

static int CollectWorkdayChange(PackedDate date, int kind, const char *name, void *context)
{
    (void)name;
    WorkdayChanges *c = (WorkdayChanges *)context;
    const int weekday = WeekdayOf(date);
    const int weekend = weekday == 0 || weekday == 6;
    if (kind == OFFDAY_REST && !weekend)
        Push(&c->out, &c->outCount, &c->outCapacity, date, &c->failed);
    else if (kind == OFFDAY_WORK && weekend)
        Push(&c->in, &c->inCount, &c->inCapacity, date, &c->failed);
    return 1;
}

static void WriteWorkdayMemo(IcsWriter *w, IcsEvent *e)
{
    WorkdayChanges c;
    memset(&c, 0, sizeof c);
    for (int y = w->fromYear; y <= w->toYear; y++)
        ForEachOffDay(y, CollectWorkdayChange, &c);
    if (c.failed) {
        w->failed = 1;
    } else {
        e->rrule = "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR";
        // the first Monday to Friday of the range starts the rule, even when
        // it is a day off: EXDATE takes it out like any other
        const int weekday = WeekdayOf(w->first);
        e->date = AddDays(w->first, weekday == 6 ? 2 : weekday == 0 ? 1 : 0);
        e->exdates = c.out;
        e->exdateCount = c.outCount;
        e->rdates = c.in;
        e->rdateCount = c.inCount;
        WriteEvent(w, e);
    }
    free(c.out);
    free(c.in);
}

static void WriteMemo(IcsWriter *w, const ReminderEntry *m, const char *text, uint32_t repeat)
{
    IcsEvent e;
    memset(&e, 0, sizeof e);
    char kindName[40];
    snprintf(kindName, sizeof kindName, "memo-%08x-%08x", m->when, m->time);
    BaseUid(e.uid, sizeof e.uid, kindName, HashOf(m->when, m->time, text), repeat);
    e.time = m->time;
    e.summary = text;
    e.category = "备忘";
    const uint32_t kind = m->when & REMIND_KIND_MASK, value = m->when & ~REMIND_KIND_MASK;
    const int from = w->fromYear;
    char rule[80];
    int month, day, leap;
    if (m->when == REMIND_EVERY_DAY) {
        e.rrule = "FREQ=DAILY";
        e.date = w->first;
    } else if (m->when == REMIND_WORKDAYS) {
        WriteWorkdayMemo(w, &e);
        return;
    } else if (kind == REMIND_WEEKLY && value <= 6) {
        snprintf(rule, sizeof rule, "FREQ=WEEKLY;BYDAY=%s", WeekdayCodes[value]);
        e.rrule = rule;
        e.date = AddDays(w->first, ((int)value - WeekdayOf(w->first) + 7) % 7);
    } else if (kind == REMIND_MONTHLY && value >= 1 && value <= 31) {
        // a month without the day is skipped, as the memo skips it
        snprintf(rule, sizeof rule, "FREQ=MONTHLY;BYMONTHDAY=%u", value);
        e.rrule = rule;
        e.date = PACK_DATE(from, 1, value);   // January has every day
    } else if (YearlyWhenParts(m->when, &month, &day)) {
        // 29 February is the last day of February, which is the 28th in common years
        if (month == 2 && day == 29)
            snprintf(rule, sizeof rule, "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1");
        else
            snprintf(rule, sizeof rule, "FREQ=YEARLY;BYMONTH=%d;BYMONTHDAY=%d", month, day);
        e.rrule = rule;
        e.date = YearlyMemoDate(m->when, from);
    } else if (LunarYearlyWhenParts(m->when, &month, &day, &leap)) {
        const size_t base = strlen(e.uid);
        for (int y = from - 1; y <= w->toYear; y++) {
            PackedDate date = LunarYearlyMemoDate(m->when, y);
            if (!date || !InRange(w, date))
                continue;
            e.date = date;
            snprintf(e.uid + base, sizeof e.uid - base, "-%d", y);
            WriteEvent(w, &e);
        }
        return;
    } else if (IsValidDate((PackedDate)m->when) && InRange(w, (PackedDate)m->when)) {
        e.date = (PackedDate)m->when;
    } else {
        return;   // another range's date, or a value no editor makes
    }
    WriteEvent(w, &e);
}

static void WriteMemos(IcsWriter *w)
{
    size_t n = 0;
    for (ListNode *node = FirstMemo(); node; node = node->next)
        n++;
    uint64_t *keys = (uint64_t *)malloc((n ? n : 1) * sizeof(uint64_t));
    uint32_t *repeat = (uint32_t *)malloc((n ? n : 1) * sizeof(uint32_t));
    size_t i = 0;
    for (ListNode *node = FirstMemo(); keys && node; node = node->next, i++) {
        const ReminderEntry *m = (const ReminderEntry *)node->record;
        keys[i] = HashOf(m->when, m->time, node->size > REMINDER_FIXED_SIZE ? m->text : "");
    }
    if (!keys || !repeat || !NumberRepeats(keys, repeat, n)) {
        w->failed = 1;
    } else {
        i = 0;
        for (ListNode *node = FirstMemo(); node; node = node->next, i++) {
            const ReminderEntry *m = (const ReminderEntry *)node->record;
            WriteMemo(w, m, node->size > REMINDER_FIXED_SIZE ? m->text : "", repeat[i]);
        }
    }
    free(keys);
    free(repeat);
}

// ---- day notes ----

static int WriteNote(void *record, void *context)
{
    IcsWriter *w = (IcsWriter *)context;
    StoreItem *item = (StoreItem *)record;
    const PackedDate date = item->entry.key;
    if (!IsValidDate(date) || !InRange(w, date) || item->entry.dataLength <= 0)
        return 0;
    const char *text = StoreGetData(item);
    // a block from a damaged file may lack its NUL; a mark alone says nothing
    if (!text || !memchr(text, 0, (size_t)item->entry.dataLength) || !text[0])
        return 0;
    IcsEvent e;
    memset(&e, 0, sizeof e);
    snprintf(e.uid, sizeof e.uid, "note-%04d%02d%02d", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date));
    e.date = date;
    e.time = REMIND_NO_TIME;
    e.summary = text;
    e.category = "备注";
    WriteEvent(w, &e);
    return 0;
}

// ---- the calendar ----

int32_t BuildIcs(TextBuffer *out, int32_t fromYear, int32_t toYear, int32_t flags, const SYSTEMTIME *stampUtc)
{
    if (!out || !IcsRangeValid(fromYear, toYear))
        return -1;
    IcsWriter w;
    memset(&w, 0, sizeof w);
    w.out = out;
    out->length = 0;
    if (out->text)
        out->text[0] = 0;
    w.fromYear = fromYear;
    w.toYear = toYear;
    w.first = PACK_DATE(fromYear, 1, 1);
    w.last = PACK_DATE(toYear, 12, 31);
    snprintf(w.stamp, sizeof w.stamp, "%04u%02u%02uT%02u%02u%02uZ", stampUtc->wYear, stampUtc->wMonth,
             stampUtc->wDay, stampUtc->wHour, stampUtc->wMinute, stampUtc->wSecond);

    Property(&w, "BEGIN", "VCALENDAR");
    Property(&w, "VERSION", "2.0");
    Property(&w, "PRODID", "-//Loomhouse//Loomhouse calendar//ZH");
    Property(&w, "CALSCALE", "GREGORIAN");
    Property(&w, "METHOD", "PUBLISH");
    Property(&w, "X-WR-CALNAME", "Loomhouse");
    WriteHolidays(&w);
    WriteTerms(&w);
    WriteOffDays(&w);
    WriteMemos(&w);
    if ((flags & ICS_NOTES) && DayNoteStore)
        TreeWalk(DayNoteStore->root.children, WriteNote, &w);
    Property(&w, "END", "VCALENDAR");

    TextBufferFree(&w.line);
    free(w.utf8);
    return w.failed ? -1 : w.events;
}

int ExportIcsFile(const char *name, int32_t fromYear, int32_t toYear, int32_t flags, int32_t *events)
{
    if (FileIsReadOnly(name)) {
        snprintf(FileErrorText, sizeof FileErrorText, "%s", "the file is read-only");
        return SAVE_READ_ONLY;
    }
    SYSTEMTIME now;
    GetSystemTime(&now);
    TextBuffer buffer;
    memset(&buffer, 0, sizeof buffer);
    int32_t count = BuildIcs(&buffer, fromYear, toYear, flags, &now);
    int result = count < 0 ? SAVE_NO_MEMORY : FileWriteComplete(name, buffer.text, buffer.length);
    TextBufferFree(&buffer);
    if (events)
        *events = count < 0 ? 0 : count;
    return result;
}
