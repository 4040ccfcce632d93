#include "report.h"
#include "../calendar/holiday.h"
#include "../calendar/names.h"
#include "../calendar/offdays.h"
#include "../calendar/solarterm.h"
#include "../store/recordstore.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void Append(const TextSink *sink, const char *text)
{
    if (sink && sink->append && text)
        sink->append(sink->context, text);
}

static void AppendHoliday(const TextSink *sink, HolidayCode code, const char *name)
{
    if (code < HOLIDAY_SOLAR) {
        Append(sink, "节气：");
        Append(sink, name);
        return;
    }
    Append(sink, "节日：");
    Append(sink, name);
    char described[200];
    const char *rule = DescribeHolidayCodeInto(code, described, sizeof described);
    if (rule) {
        Append(sink, "\r\n日期：");
        Append(sink, rule);
    }
}

// The term's moment under its name: "交节：芒种 2026-06-05 23:49（北京时间）",
// or where the date comes from the mean-year formula, that it has no moment.
static void AppendTermMoment(const TextSink *sink, PackedDate date, int index)
{
    if (index < 0 || index >= 24)
        return;
    const int year = DATE_YEAR(date);
    char piece[160], moment[TERM_MOMENT_SIZE];
    if (SolarTermsArePrecise(year)) {
        snprintf(piece, sizeof piece, "\r\n交节：%s %s（北京时间）", SolarTermNames[index],
                 FormatTermMomentInto(year, index, moment));
    } else if (year >= 1900 && year <= 2100) {
        snprintf(piece, sizeof piece, "\r\n交节：%s，按平气公式推算，无时刻", SolarTermNames[index]);
    } else {
        snprintf(piece, sizeof piece, "\r\n交节：%s，按平气公式推算（交节时刻只有1900至2100年），无时刻",
                 SolarTermNames[index]);
    }
    Append(sink, piece);
}

// One holiday of the report's section, the section's title before the first.
struct HolidaySection {
    const TextSink *sink;
    PackedDate date;
    int lines;
};

static int AppendSectionHoliday(HolidayCode code, const char *name, void *context)
{
    HolidaySection *section = (HolidaySection *)context;
    if (section->lines++ == 0)
        Append(section->sink, "\r\n\r\n==========◆节日信息◆==========");
    Append(section->sink, "\r\n\r\n");
    AppendHoliday(section->sink, code, name);
    if (code < HOLIDAY_SOLAR)
        AppendTermMoment(section->sink, section->date, code & 0xFF);
    return 1;
}

void BuildDateReport(const TextSink *sink, PackedDate date, int withTerms)
{
    const CalendarDay day = DayInfo(date);
    const CalendarDay *rec = &day;
    if (sink && sink->replace)
        sink->replace(sink->context, "==========◆日期信息◆==========\r\n\r\n");

    char piece[400];
    snprintf(piece, sizeof piece,
             "阳历日期\t%d年%d月%d日\r\n星期\t\t%s\r\n本年周计数\t%d\r\n阳历天计数\t%d\r\n阳历月天数\t%d",
             DATE_YEAR(rec->packed), DATE_MONTH(rec->packed), DATE_DAY(rec->packed),
             WeekdayName(rec->weekday), rec->weekOfYear, rec->dayOfYear, rec->daysInMonth);
    Append(sink, piece);

    if (rec->lunarValid == 1) {
        snprintf(piece, sizeof piece,
                 "\r\n农历日期\t%d年%d月%d日\r\n生肖\t\t%s\r\n农历年\t\t%s%s\r\n农历月\t\t%s%s"
                 "\r\n农历日\t\t%s%s\r\n农历天计数\t%d\r\n农历月大小\t%s月",
                 rec->lunarYear, rec->lunarMonth, rec->lunarDay, AnimalOf(rec->yearCycle),
                 StemOf(rec->yearCycle), BranchOf(rec->yearCycle), StemOf(rec->monthCycle),
                 BranchOf(rec->monthCycle), StemOf(rec->dayCycle), BranchOf(rec->dayCycle),
                 rec->lunarDayOfYear, MonthSizeWord(rec->lunarMonthDays));
        Append(sink, piece);
        if (rec->leapMonth != 0) {
            snprintf(piece, sizeof piece, "\r\n本年闰\t\t%d月", rec->leapMonth);
            Append(sink, piece);
            if (rec->lunarMonth == rec->leapMonth) {
                snprintf(piece, sizeof piece, "\r\n本月是闰月\t%s", rec->isLeapMonth == 1 ? "是" : "否");
                Append(sink, piece);
            }
        }
    }

    const char *offName = "";
    const int offKind = OffDayOn(date, &offName);
    if (offKind != OFFDAY_NONE) {
        snprintf(piece, sizeof piece, "\r\n放假调休\t%s（%s%s）", OffDayMark(offKind), offName,
                 offKind == OFFDAY_WORK ? "调休上班" : "放假");
        Append(sink, piece);
    }

    HolidaySection section = {sink, date, 0};
    ForEachHolidayOn(date, withTerms, AppendSectionHoliday, &section);
    AppendMemoSection(sink, date);
}

void AppendMemoSection(const TextSink *sink, PackedDate date)
{
    if (!ReminderList)
        return;
    int first = 1;
    // The head of the list is the chime entry, never a memo.
    for (const ListNode *node = FirstMemo(); node; node = node->next) {
        const ReminderEntry *m = (const ReminderEntry *)node->record;
        if (!MemoAppliesOn(m->when, date))
            continue;
        if (first) {
            Append(sink, "\r\n\r\n==========◆备忘事件◆==========");
            first = 0;
        }
        Append(sink, "\r\n\r\n日期：");
        // Both texts live in the shared buffer: each goes out before the next is made.
        Append(sink, FormatMemoWhen(m->when));
        Append(sink, "\r\n时间：");
        const char *time = FormatPackedTime((PackedTime)m->time);
        Append(sink, time ? time : "[无]");
        Append(sink, "\r\n提醒：");
        Append(sink, node->size > REMINDER_FIXED_SIZE ? m->text : "");
    }
}

DayNoteView LoadDayNoteView(PackedDate date)
{
    DayNoteView view = {0, ""};
    if (!DayNoteStore)
        return view;
    StoreItem *item = FindDayNote(date);
    if (!item)
        return view;
    view.mark = item->entry.userValue != 0;
    const char *data = StoreGetData(item);
    // A block from a damaged file may lack its NUL; it is not shown then.
    if (data && item->entry.dataLength > 0 && memchr(data, 0, (size_t)item->entry.dataLength))
        view.text = data;
    return view;
}

// ---- TextBuffer ----

static int Reserve(TextBuffer *b, size_t extra)
{
    size_t need = b->length + extra + 1;
    if (need <= b->capacity)
        return 1;
    size_t capacity = b->capacity ? b->capacity : 256;
    while (capacity < need)
        capacity *= 2;
    char *text = (char *)realloc(b->text, capacity);
    if (!text)
        return 0;
    b->text = text;
    b->capacity = capacity;
    return 1;
}

static void BufferAppend(void *context, const char *text)
{
    TextBuffer *b = (TextBuffer *)context;
    if (!b || !text)
        return;
    size_t n = strlen(text);
    if (!Reserve(b, n))
        return;
    memcpy(b->text + b->length, text, n + 1);
    b->length += n;
}

int TextBufferAppendBytes(TextBuffer *b, const char *bytes, size_t length)
{
    if (!Reserve(b, length))
        return 0;
    if (length)
        memcpy(b->text + b->length, bytes, length);
    b->length += length;
    b->text[b->length] = 0;
    return 1;
}

static void BufferReplace(void *context, const char *text)
{
    TextBuffer *b = (TextBuffer *)context;
    if (!b)
        return;
    b->length = 0;
    if (b->text)
        b->text[0] = 0;
    BufferAppend(context, text);
}

TextSink TextBufferSink(TextBuffer *buffer)
{
    TextSink sink = {BufferReplace, BufferAppend, buffer};
    return sink;
}

void TextBufferFree(TextBuffer *buffer)
{
    if (!buffer)
        return;
    free(buffer->text);
    buffer->text = 0;
    buffer->length = 0;
    buffer->capacity = 0;
}
