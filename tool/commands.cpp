// The calendar commands of loomcal: month, day, days, terms, lunar, holidays,
// report and check.
#include "loomcal.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "../calendar/daytext.h"
#include "../calendar/holiday.h"
#include "../features/ics.h"
#include "../calendar/memo.h"
#include "../calendar/names.h"
#include "../calendar/offdays.h"
#include "../features/report.h"
#include "../calendar/solarterm.h"
#include "../calendar/today.h"
#include "../store/config.h"
#include "../store/datalock.h"
#include "../store/notefile.h"
#include "../store/fileio.h"
#include "../records/records.h"
#include "../store/recordstore.h"
#include "../records/settings.h"

static int TooMany(const char *command)
{
    ErrorLine("loomcal: too many arguments for '%s'", command);
    return EXIT_BAD_ARGUMENT;
}

static int Missing(const char *command, const char *what)
{
    ErrorLine("loomcal: '%s' needs %s", command, what);
    return EXIT_BAD_ARGUMENT;
}

static int NotADate(const char *arg)
{
    ErrorLine("loomcal: '%s' is not a date (YYYY-MM-DD, year 1..9999)", ShownArg(arg));
    return EXIT_BAD_ARGUMENT;
}

// The one date argument of day, holidays and report.
static int OneDate(const char *command, int argc, char **argv, PackedDate *date)
{
    if (argc < 1)
        return Missing(command, "a date YYYY-MM-DD");
    if (argc > 1)
        return TooMany(command);
    if (!ParseDate(argv[0], date))
        return NotADate(argv[0]);
    return EXIT_OK;
}

static PackedDate NextDate(PackedDate date)
{
    int y = DATE_YEAR(date), m = DATE_MONTH(date), d = DATE_DAY(date);
    if (d < DaysInMonth(y, m))
        return PACK_DATE(y, m, d + 1);
    if (m < 12)
        return PACK_DATE(y, m + 1, 1);
    return PACK_DATE(y + 1, 1, 1);
}

static void CopyText(char *dst, size_t size, const char *src)
{
    if (!src)
        src = "";
    size_t n = strlen(src);
    if (n >= size)
        n = size - 1;
    memcpy(dst, src, n);
    dst[n] = 0;
}

// Warns once on stderr when "dlm.ini" lost lines; reading commands go on with
// the rest. A file that cannot be read at all ends the command with status 1
// (nothing has been printed yet at this point).
static void WarnIfConfigDamaged(int configResult)
{
    if (RefuseUnreadableConfig(configResult))
        exit(EXIT_FAILED);
    if (configResult == CONFIG_DAMAGED)
        ErrorLine(
            "loomcal: warning: dlm.ini is damaged, some of its lines were skipped (see 'loomcal check')");
}

// The same for "dlm.db".
static void WarnIfStoreDamaged()
{
    if (RefuseUnreadableStore())
        exit(EXIT_FAILED);
    if (DayNoteStore && DayNoteStore->fileState == STORE_FILE_DAMAGED)
        ErrorLine("loomcal: warning: dlm.db is damaged (%s); what could be read is shown (see 'loomcal check')",
                  DayNoteStore->damage);
}

// ---- terms ----

int CommandTerms(int argc, char **argv)
{
    // --mean may stand before or after the year
    int mean = 0;
    char *args[2];
    int n = 0;
    for (int i = 0; i < argc; i++) {
        if (strcmp(argv[i], "--mean") == 0)
            mean = 1;
        else if (n < 2)
            args[n++] = argv[i];
        else
            n++;
    }
    if (n < 1)
        return Missing("terms", "a year");
    if (n > 1)
        return TooMany("terms");
    int year;
    if (!ParseNumber(args[0], 1, 9999, &year)) {
        ErrorLine("loomcal: '%s' is not a year (1..9999)", ShownArg(args[0]));
        return EXIT_BAD_ARGUMENT;
    }
    WarnIfConfigDamaged(LoadConfigForTool());
    if (mean)
        Settings.flags |= CTRL_MEAN_TERMS;
    PackedDate dates[24];
    TermDatesOfYear(year, dates);
    for (int i = 0; i < 24; i++) {
        int minute = -1;
        if (dates[i])
            SolarTermMoment(year, i, &minute);
        if (dates[i] && minute >= 0)
            OutFormat("%d\t%s\t%04d-%02d-%02d\t%02d:%02d\n", i, SolarTermNames[i], DATE_YEAR(dates[i]),
                      DATE_MONTH(dates[i]), DATE_DAY(dates[i]), minute / 60, minute % 60);
        else if (dates[i])
            OutFormat("%d\t%s\t%04d-%02d-%02d\t--:--\n", i, SolarTermNames[i], DATE_YEAR(dates[i]),
                      DATE_MONTH(dates[i]), DATE_DAY(dates[i]));
        else
            OutFormat("%d\t%s\t-\n", i, SolarTermNames[i]);
    }
    return EXIT_OK;
}

// ---- days ----

int CommandDays(int argc, char **argv)
{
    if (argc < 2)
        return Missing("days", "two dates FROM TO");
    if (argc > 2)
        return TooMany("days");
    PackedDate from, to;
    if (!ParseDate(argv[0], &from))
        return NotADate(argv[0]);
    if (!ParseDate(argv[1], &to))
        return NotADate(argv[1]);
    if (from > to) {
        ErrorLine("loomcal: FROM (%s) is after TO (%s)", ShownArg(argv[0]), ShownArg(argv[1]));
        return EXIT_BAD_ARGUMENT;
    }
    WarnIfConfigDamaged(LoadConfigForTool());
    OutText("date\tweekday\tdayOfYear\tweekOfYear\tdaysInMonth\tlunarValid\tlunarYear\tlunarMonth\t"
            "lunarDay\tisLeapMonth\tlunarMonthDays\tleapMonth\tlunarDayOfYear\tyearCycle\tmonthCycle\t"
            "dayCycle\tterm\n");
    int termYear = 0;
    PackedDate terms[24];
    for (PackedDate d = from;; d = NextDate(d)) {
        if (DATE_YEAR(d) != termYear) {
            termYear = DATE_YEAR(d);
            TermDatesOfYear(termYear, terms);
        }
        int term = -1;
        for (int i = 0; i < 24; i++)
            if (terms[i] == d)
                term = i;
        const CalendarDay *r = GetDayInfo(d);
        char line[256];
        int n = snprintf(line, sizeof line, "%04d-%02d-%02d\t%d\t%d\t%d\t%d\t%d\t", r->year, r->month, r->day,
                         r->weekday, r->dayOfYear, r->weekOfYear, r->daysInMonth, r->lunarValid ? 1 : 0);
        if (r->lunarValid)
            n += snprintf(line + n, sizeof line - n, "%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t", r->lunarYear,
                          r->lunarMonth, r->lunarDay, r->isLeapMonth, r->lunarMonthDays, r->leapMonth,
                          r->lunarDayOfYear, r->yearCycle, r->monthCycle, r->dayCycle);
        else
            n += snprintf(line + n, sizeof line - n, "\t\t\t\t\t\t\t\t\t\t");
        n += snprintf(line + n, sizeof line - n, "%d\n", term);
        OutBytes(line, (size_t)n);
        if (d == to)
            break;
    }
    return EXIT_OK;
}

// ---- lunar ----

// A lunar date as typed: YYYY-MM-DD, the month of a leap month written as
// 闰MM or LMM. 0 when the text is not of that form.
static int ParseLunarDate(const char *text, int *year, int *month, int *day, int *leap)
{
    char *gbk = ArgumentToGbk(text);
    if (!gbk)
        return 0;
    static const char LeapWord[] = "闰";   // GBK, two bytes
    char plain[64];
    *leap = 0;
    const char *dash = strchr(gbk, '-');
    int ok = dash && strlen(gbk) < sizeof plain;
    if (ok) {
        // the same text with the leap mark taken out, for ParseTriple
        size_t head = (size_t)(dash - gbk) + 1;
        const char *rest = dash + 1;
        if (strncmp(rest, LeapWord, sizeof LeapWord - 1) == 0) {
            *leap = 1;
            rest += sizeof LeapWord - 1;
        } else if (*rest == 'L' || *rest == 'l') {
            *leap = 1;
            rest++;
        }
        memcpy(plain, gbk, head);
        snprintf(plain + head, sizeof plain - head, "%s", rest);
        ok = ParseTriple(plain, year, month, day);
    }
    free(gbk);
    return ok;
}

int CommandLunar(int argc, char **argv)
{
    if (argc < 1)
        return Missing("lunar", "a lunar date YYYY-MM-DD");
    if (argc > 1)
        return TooMany("lunar");
    int y, m, d, leap;
    if (!ParseLunarDate(argv[0], &y, &m, &d, &leap)) {
        ErrorLine("loomcal: '%s' is not a lunar date YYYY-MM-DD (a leap month: YYYY-闰MM-DD or YYYY-LMM-DD)",
                  ShownArg(argv[0]));
        return EXIT_BAD_ARGUMENT;
    }
    if (y < LUNAR_FIRST_YEAR || y > LUNAR_LAST_YEAR) {
        ErrorLine("loomcal: lunar year %d is outside %d..%d", y, LUNAR_FIRST_YEAR, LUNAR_LAST_YEAR);
        return EXIT_BAD_ARGUMENT;
    }
    if (m < 1 || m > 12 || d < 1 || d > 30) {
        ErrorLine("loomcal: '%s' is not a lunar date (month 1..12, day 1..30)", ShownArg(argv[0]));
        return EXIT_BAD_ARGUMENT;
    }
    if (leap && LeapMonthOf(y) != m) {
        if (LeapMonthOf(y))
            ErrorLine("loomcal: lunar year %d has no leap month %d (its leap month is %d)", y, m,
                      LeapMonthOf(y));
        else
            ErrorLine("loomcal: lunar year %d has no leap month", y);
        return EXIT_BAD_ARGUMENT;
    }
    int days = leap ? LeapMonthDays(y) : LunarMonthDays(y, m);
    if (d > days) {
        ErrorLine("loomcal: lunar month %s%d of %d has only %d days", leap ? "闰" : "", m, y, days);
        return EXIT_BAD_ARGUMENT;
    }
    PackedDate date = LunarToSolar(PACK_DATE(y, m, d));
    if (leap) {
        // the leap month follows the month of its number
        PackedDate first = LunarToSolar(PACK_DATE(y, m, 1));
        CalendarDay day;
        memset(&day, 0, sizeof day);
        day.year = DATE_YEAR(first);
        day.month = DATE_MONTH(first);
        day.day = DATE_DAY(first) + LunarMonthDays(y, m) + d - 1;
        ComputeDay(&day);
        date = day.packed;
    }
    const CalendarDay *check = GetDayInfo(date);
    if (!check->lunarValid || check->lunarYear != y || check->lunarMonth != m || check->lunarDay != d ||
        (check->isLeapMonth != 0) != (leap != 0)) {
        ErrorLine("loomcal: lunar %d-%s%02d-%02d has no Gregorian date in the table", y, leap ? "闰" : "", m,
                  d);
        return EXIT_FAILED;
    }
    OutFormat("%04d-%02d-%02d\n", DATE_YEAR(date), DATE_MONTH(date), DATE_DAY(date));
    return EXIT_OK;
}

// ---- holidays ----

int CommandHolidays(int argc, char **argv)
{
    PackedDate date;
    int status = OneDate("holidays", argc, argv, &date);
    if (status != EXIT_OK)
        return status;
    WarnIfConfigDamaged(LoadConfigForTool());
    for (HolidayEntry *e = HolidaysOn(date, SolarTermsAreHolidays()); e; e = e->nextMatch)
        OutFormat("%04X\t%s\n", (unsigned)(e->code & 0xFFFF), e->name);
    return EXIT_OK;
}

int CommandHolidaysList(int argc, char **argv)
{
    if (argc > 0)
        return TooMany("holidays-list");
    WarnIfConfigDamaged(LoadConfigForTool());
    for (ListNode *node = HolidayList; node; node = node->next) {
        const HolidayEntry *e = (const HolidayEntry *)node->record;
        char rule[500];
        CopyText(rule, sizeof rule, DescribeHolidayCode(e->code));
        OutFormat("%04X\t%s\t", (unsigned)(e->code & 0xFFFF), rule);
        OutEscaped(e->name);
        OutText("\n");
    }
    return EXIT_OK;
}

// ---- report ----

int CommandReport(int argc, char **argv)
{
    PackedDate date;
    int status = OneDate("report", argc, argv, &date);
    if (status != EXIT_OK)
        return status;
    WarnIfConfigDamaged(LoadConfigForTool());
    TextBuffer buffer;
    memset(&buffer, 0, sizeof buffer);
    TextSink sink = TextBufferSink(&buffer);
    BuildDateReport(&sink, date, SolarTermsAreHolidays());
    const char *p = buffer.text ? buffer.text : "";
    size_t length = buffer.text ? buffer.length : 0;
    for (size_t i = 0; i < length; i++) {
        if (p[i] == '\r' && i + 1 < length && p[i + 1] == '\n')
            continue;
        OutBytes(p + i, 1);
    }
    OutText("\n");
    TextBufferFree(&buffer);
    return EXIT_OK;
}

// ---- day ----

static const char *NoteText(StoreItem *item)
{
    if (!item || item->entry.dataLength <= 0)
        return "";
    const char *text = StoreGetData(item);
    return text ? text : "";
}

int CommandDay(int argc, char **argv)
{
    PackedDate date;
    int status = OneDate("day", argc, argv, &date);
    if (status != EXIT_OK)
        return status;
    WarnIfConfigDamaged(LoadConfigForTool());
    OpenStoreForTool();
    WarnIfStoreDamaged();

    CalendarDay r = *GetDayInfo(date);
    OutFormat("公历\t%d年%d月%d日 星期%s\n", r.year, r.month, r.day, WeekdayName(r.weekday));
    OutFormat("ISO周\t第%d周\n", r.weekOfYear);
    OutFormat("年内第\t%d天\n", r.dayOfYear);
    if (r.lunarValid) {
        OutFormat("农历\t%s%s月%s（%d年%s%d月%d日，%s月）\n", r.isLeapMonth ? "闰" : "",
                  LunarMonthName(r.lunarMonth), LunarDayName(r.lunarDay), r.lunarYear,
                  r.isLeapMonth ? "闰" : "", r.lunarMonth, r.lunarDay, MonthSizeWord(r.lunarMonthDays));
        OutFormat("干支\t%s%s年 %s%s月 %s%s日\n", StemOf(r.yearCycle), BranchOf(r.yearCycle),
                  StemOf(r.monthCycle), BranchOf(r.monthCycle), StemOf(r.dayCycle), BranchOf(r.dayCycle));
        OutFormat("生肖\t%s\n", AnimalOf(r.yearCycle));
        if (r.leapMonth)
            OutFormat("闰月\t本年闰%d月\n", r.leapMonth);
    } else {
        OutText("农历\t超出农历表的范围（1900-01-31 至 2101-01-28）\n");
    }
    int term = SolarTermIndexOn(date);
    if (term >= 0 && term < 24) {
        OutFormat("节气\t%s\n", SolarTermNames[term]);
        char moment[TERM_MOMENT_SIZE];
        OutFormat("交节\t%s%s\n", FormatTermMomentInto(r.year, term, moment),
                  SolarTermsArePrecise(r.year) ? "" : "（平气公式，无时刻）");
    }
    const char *offName = "";
    int offKind = OffDayOn(date, &offName);
    if (offKind != OFFDAY_NONE) {
        OutFormat("放假调休\t%s\t", OffDayMark(offKind));
        OutEscaped(offName);
        OutText("\n");
    }
    for (HolidayEntry *e = HolidaysOn(date, SolarTermsAreHolidays()); e; e = e->nextMatch)
        if (e->code >= HOLIDAY_SOLAR) {   // the term has its own line above
            OutText("节日\t");
            OutEscaped(e->name);
            OutText("\n");
        }
    // the memos that apply on the date, as the date report lists them
    for (ListNode *node = FirstMemo(); node; node = node->next) {
        const ReminderEntry *m = (const ReminderEntry *)node->record;
        if (!MemoAppliesOn(m->when, date))
            continue;
        OutFormat("备忘\t%s\t", FormatMemoWhen(m->when));
        const char *t = FormatPackedTime((PackedTime)m->time);
        OutFormat("%s\t", t ? t : "[无]");
        if (node->size > REMINDER_FIXED_SIZE)
            OutEscaped(m->text);
        OutText("\n");
    }
    StoreItem *note = FindDayNote(date);
    if (note) {
        if (note->entry.userValue != 0)
            OutText("标记\t是\n");
        const char *text = NoteText(note);
        if (*text) {
            OutText("备注\t");
            OutEscaped(text);
            OutText("\n");
        }
    }
    return EXIT_OK;
}

// ---- month ----

#define CELL_WIDTH 10   // columns per day; the caption gets CELL_WIDTH - 1 of them

int CommandMonth(int argc, char **argv)
{
    int year = DATE_YEAR(TodayDate.date), month = DATE_MONTH(TodayDate.date);
    if (argc > 1)
        return TooMany("month");
    if (argc == 1) {
        const char *text = argv[0];
        const char *dash = strchr(text, '-');
        char yearText[16];
        if (!dash || (size_t)(dash - text) >= sizeof yearText) {
            ErrorLine("loomcal: '%s' is not a month (YYYY-MM)", ShownArg(text));
            return EXIT_BAD_ARGUMENT;
        }
        memcpy(yearText, text, (size_t)(dash - text));
        yearText[dash - text] = 0;
        if (!ParseNumber(yearText, 1, 9999, &year) || yearText[0] == '-' || yearText[0] == '+' ||
            !ParseNumber(dash + 1, 1, 12, &month) || dash[1] == '-' || dash[1] == '+' ||
            strlen(dash + 1) > 2) {
            ErrorLine("loomcal: '%s' is not a month (YYYY-MM, year 1..9999, month 1..12)", ShownArg(text));
            return EXIT_BAD_ARGUMENT;
        }
    }
    WarnIfConfigDamaged(LoadConfigForTool());
    OpenStoreForTool();
    WarnIfStoreDamaged();
    int colour = StdoutIsColourTerminal();

    char title[64];
    snprintf(title, sizeof title, "%d年%d月", year, month);
    int gridWidth = CELL_WIDTH * 6 + CELL_WIDTH - 1;
    int indent = (gridWidth - DisplayWidth(title)) / 2;
    OutFormat("%*s%s\n", indent > 0 ? indent : 0, "", title);
    for (int w = 0; w < 7; w++) {
        if (w < 6)
            OutCell(WeekdayName(w), CELL_WIDTH);
        else
            OutText(WeekdayName(w));
    }
    OutText("\n");

    int days = DaysInMonth(year, month);
    int first = WeekdayOf(PACK_DATE(year, month, 1));
    int cells = first + days;
    int rows = (cells + 6) / 7;
    for (int row = 0; row < rows; row++) {
        // two lines per week: the day numbers, then the captions
        char captions[7][1000];
        int highlight[7];   // 0 none, 1 today, 2 marked, 3 both
        int dayOf[7];
        for (int col = 0; col < 7; col++) {
            int day = row * 7 + col - first + 1;
            dayOf[col] = (day >= 1 && day <= days) ? day : 0;
            captions[col][0] = 0;
            highlight[col] = 0;
            if (!dayOf[col])
                continue;
            PackedDate date = PACK_DATE(year, month, day);
            CopyText(captions[col], sizeof captions[col],
                     DayCaption(date, HolidaysOn(date, SolarTermsAreHolidays())));
            // a caption is one line in its cell
            for (char *c = captions[col]; *c; c++)
                if (*c == '\r' || *c == '\n' || *c == '\t')
                    *c = ' ';
            StoreItem *note = FindDayNote(date);
            int marked = note && note->entry.userValue != 0;
            highlight[col] = (date == TodayDate.date ? 1 : 0) | (marked ? 2 : 0);
        }
        for (int line = 0; line < 2; line++) {
            int lastCol = 6;
            while (lastCol > 0 && !dayOf[lastCol])
                lastCol--;
            for (int col = 0; col <= lastCol; col++) {
                char number[16];
                const char *content;
                if (line == 0) {
                    number[0] = 0;
                    if (dayOf[col]) {
                        // without colours a marked day carries a star instead
                        int star = !colour && (highlight[col] & 2);
                        snprintf(number, sizeof number, "%2d%s", dayOf[col], star ? "*" : "");
                    }
                    content = number;
                } else {
                    content = captions[col];
                }
                int width = CELL_WIDTH - 1;
                const char *on = 0;
                if (colour && highlight[col] == 1)
                    on = "\x1b[7m";
                else if (colour && highlight[col] == 2)
                    on = "\x1b[1;32m";
                else if (colour && highlight[col] == 3)
                    on = "\x1b[1;32;7m";
                if (on) {
                    OutText(on);
                    OutCell(content, width);
                    OutText("\x1b[0m");
                } else if (col == lastCol) {
                    OutCell(content, DisplayWidth(content) < width ? DisplayWidth(content) : width);
                } else {
                    OutCell(content, width);
                }
                if (col < lastCol)
                    OutText(" ");
            }
            OutText("\n");
        }
    }
    return EXIT_OK;
}

// ---- ics ----

static int SameNameIgnoringCase(const char *a, const char *b)
{
    for (;; a++, b++) {
        char x = *a >= 'A' && *a <= 'Z' ? (char)(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? (char)(*b - 'A' + 'a') : *b;
        if (x != y)
            return 0;
        if (!x)
            return 1;
    }
}

// The files the program and loomcal keep in the data folder (the current one
// by now), by any name that reaches them: a link, another case, a path.
static int IsProgramFile(const char *name)
{
    static const char *const Own[] = {"dlm.db", "dlm.ini", DATALOCK_FILE, NOTE_FILE_NAME, OFFDAYS_FILE};
    char folder[4096];
    FileFolderOf(name, folder, sizeof folder);
    const char *base = name + strlen(folder);
    while (*base == '/' || *base == '\\')
        base++;
    // a name not made yet is the program's when it would land in the data folder
    const int inDataFolder = FileSameFile(folder[0] ? folder : ".", ".");
    for (size_t i = 0; i < sizeof Own / sizeof Own[0]; i++) {
        if (FileSameFile(name, Own[i]))
            return 1;
        if (inDataFolder && SameNameIgnoringCase(base, Own[i]))
            return 1;
    }
    // "便签.txt" as the terminal spells it
    char *gbk = ArgumentToGbk(base);
    int own = inDataFolder && gbk && strcmp(gbk, NOTE_FILE_NAME) == 0;
    free(gbk);
    return own;
}

int CommandIcs(int argc, char **argv)
{
    if (argc > 0)
        return TooMany("ics");
    // this year and the next two, or three years from --from
    int32_t from = IcsRequest.fromYear ? IcsRequest.fromYear : DATE_YEAR(TodayDate.date);
    int32_t to = IcsRequest.toYear ? IcsRequest.toYear : from + 2;
    if (to > 9999 && !IcsRequest.toYear)
        to = 9999;
    if (!IcsRangeValid(from, to)) {
        ErrorLine("loomcal: the years %d..%d are not a range of 1 to %d years within 1..9999", from, to,
                  ICS_MAX_YEARS);
        return EXIT_BAD_ARGUMENT;
    }
    WarnIfConfigDamaged(LoadConfigForTool());
    if (IcsRequest.notes) {
        OpenStoreForTool();
        WarnIfStoreDamaged();
    }
    const char *output = IcsRequest.output;
    const int toFile = output && strcmp(output, "-") != 0;
    if (toFile && IsProgramFile(output)) {
        ErrorLine("loomcal: %s is one of the calendar's own files; not writing over it", ShownArg(output));
        return EXIT_FAILED;
    }
    if (toFile) {
        int32_t events = 0;
        int result = ExportIcsFile(output, from, to, IcsRequest.notes ? ICS_NOTES : 0, &events);
        if (result != SAVE_OK) {
            ErrorLine("loomcal: %s was not written: %s", ShownArg(output), SaveFailureText(result));
            return EXIT_FAILED;
        }
        return EXIT_OK;
    }
    SYSTEMTIME now;
    GetSystemTime(&now);
    TextBuffer buffer;
    memset(&buffer, 0, sizeof buffer);
    int32_t events = BuildIcs(&buffer, from, to, IcsRequest.notes ? ICS_NOTES : 0, &now);
    if (events < 0) {
        TextBufferFree(&buffer);
        ErrorLine("loomcal: out of memory");
        return EXIT_FAILED;
    }
    OutRaw(buffer.text, buffer.length);
    TextBufferFree(&buffer);
    return EXIT_OK;
}

// ---- check ----

static void OutDateOf(int32_t key)
{
    OutFormat("%04d-%02d-%02d", DATE_YEAR(key), DATE_MONTH(key), DATE_DAY(key));
}

int CommandCheck(int argc, char **argv)
{
    if (argc > 0)
        return TooMany("check");
    int sound = 1;
    int config = LoadConfigForTool();
    if (config == CONFIG_UNREADABLE) {
        OutFormat("dlm.ini: cannot be read: %s\n", ConfigReadError);
        sound = 0;
    } else if (config == CONFIG_DAMAGED) {
        OutFormat("dlm.ini: damaged (%d lines are not read, or not read whole)\n", ConfigProblemCount);
        int shown = ConfigProblemCount < CONFIG_PROBLEMS_KEPT ? ConfigProblemCount : CONFIG_PROBLEMS_KEPT;
        for (int i = 0; i < shown; i++)
            OutFormat("  line %d: %s\n", ConfigProblems[i].line, ConfigProblems[i].why);
        if (ConfigProblemCount > shown)
            OutFormat("  ... and %d more\n", ConfigProblemCount - shown);
        sound = 0;
    } else if (config == CONFIG_MISSING) {
        OutText("dlm.ini: missing (the defaults apply)\n");
    } else {
        OutText("dlm.ini: sound\n");
    }
    CheckOffDays();
    if (OffDaysBadLineCount())
        sound = 0;
    // the same look at the file that every other command and the program take
    OpenStoreForTool();
    if (!DayNoteStore) {
        OutText("dlm.db: could not be opened\n");
        return EXIT_FAILED;
    }
    const StoreVerifyResult *state = &StoreBlocks;
    if (DayNoteStore->fileState == STORE_FILE_UNREADABLE) {
        OutFormat("dlm.db: cannot be read: %s\n", DayNoteStore->openError);
        sound = 0;
    } else if (DayNoteStore->fileState == STORE_FILE_FOREIGN) {
        OutFormat("dlm.db: not a note file (%s)\n", DayNoteStore->damage);
        sound = 0;
    } else if (DayNoteStore->fileState == STORE_FILE_NEW) {
        OutText(FileExists("dlm.db") ? "dlm.db: empty (no notes)\n" : "dlm.db: missing (no notes)\n");
    } else if (state->unreadable) {
        OutFormat("dlm.db: damaged (%d of %d notes cannot be read, the first on ", state->unreadable,
                  state->items);
        OutDateOf(state->firstUnreadable);
        OutText(")\n");
        sound = 0;
    } else if (state->unterminated) {
        OutFormat("dlm.db: damaged (%d of %d notes have no end to their text, the first on ", state->unterminated,
                  state->items);
        OutDateOf(state->firstUnterminated);
        OutText(")\n");
        sound = 0;
    } else if (DayNoteStore->fileState == STORE_FILE_DAMAGED) {
        OutFormat("dlm.db: damaged (%s; %d notes could be read)\n", DayNoteStore->damage, state->items);
        sound = 0;
    } else {
        OutFormat("dlm.db: sound (%d notes)\n", state->items);
    }
    if (state->notGbk) {
        // kept byte for byte by every save, but shown with \xNN escapes
        OutFormat("dlm.db: %d notes are not valid GBK text, the first on ", state->notGbk);
        OutDateOf(state->firstNotGbk);
        OutText("\n");
        sound = 0;
    }
    return sound ? EXIT_OK : EXIT_FAILED;
}
