// The date information dialog: its report against loomcal's, the note and
// mark it saves (in memory and on disk), its two states, and the ways to
// choose a date.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include "dialog_testutil.h"
#include "fixture.h"
#include "../../app/shell.h"
#include "../../calendar/holiday.h"
#include "../../features/report.h"
#include "../../calendar/today.h"
#include "../../dialogs/dateinfo.h"
#include "../../dialogs/dialogcalc.h"
#include "../../dialogs/dialogs.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"
#include "../../store/config.h"
#include "../../store/recordstore.h"
#include "../../records/settings.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

// Built-in holidays, a holiday without a date in 2026, a weekly and a dated memo.
const char ConfigText[] =
    "[CONTROL]\r\nMonthPos=250,0,600,250,0\r\nColor=ff8080,ffffff,ffff,ff,ff00\r\nControl=97\r\n[HOLIDAY]\r\n"
    "0=8449,元旦\r\n1=12545,春节\r\n2=8718,情人节\r\n3=8733,闰日\r\n"
    "4=14351,中秋节\r\n5=17696,母亲节\r\n[REMIND]\r\n"
    "0=10000003,83000,周三晨会\r\n1=7e8020a,ffffffff,年初十\r\n";

std::string Text(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    int n = GetWindowTextLengthA(control);
    std::string s((size_t)n + 1, '\0');
    GetWindowTextA(control, &s[0], n + 1);
    s.resize(strlen(s.c_str()));
    return s;
}

PackedDate SolarPicker(HWND dialog)
{
    SYSTEMTIME st = {};
    SendDlgItemMessageA(dialog, IDC_SOLAR_PICKER, DTM_GETSYSTEMTIME, 0, (LPARAM)&st);
    return D(st.wYear, st.wMonth, st.wDay);
}

bool Shown(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

bool Browsing(HWND dialog)
{
    return Enabled(dialog, IDC_SOLAR_PICKER) && Enabled(dialog, IDC_LUNAR_YEAR) &&
           Enabled(dialog, IDC_LUNAR_MONTH) && Enabled(dialog, IDC_LUNAR_DAY) &&
           Enabled(dialog, IDC_HOLIDAY_QUERY) && !Shown(dialog, IDOK);
}

bool Pending(HWND dialog)
{
    return !Enabled(dialog, IDC_SOLAR_PICKER) && !Enabled(dialog, IDC_LUNAR_YEAR) &&
           !Enabled(dialog, IDC_LUNAR_MONTH) && !Enabled(dialog, IDC_LUNAR_DAY) &&
           !Enabled(dialog, IDC_HOLIDAY_QUERY) && Shown(dialog, IDOK);
}

// Typing, as the keyboard does it: character messages to the note.
void Type(HWND dialog, const char *text)
{
    HWND note = GetDlgItem(dialog, IDC_NOTE_TEXT);
    for (const unsigned char *p = (const unsigned char *)text; *p; p++)
        SendMessageA(note, WM_CHAR, *p, 1);
}

void ClearNote(HWND dialog)
{
    HWND note = GetDlgItem(dialog, IDC_NOTE_TEXT);
    SendMessageA(note, EM_SETSEL, 0, -1);
    SendMessageA(note, WM_CHAR, VK_BACK, 1);
}

void ClickMark(HWND dialog) { SendDlgItemMessageA(dialog, IDC_MARK, BM_CLICK, 0, 0); }
void Save(HWND dialog) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

// A date-time-change notification as the picker sends it when the user picks.
void Pick(HWND dialog, int id, int year, int month, int day)
{
    NMDATETIMECHANGE change = {};
    change.nmhdr.hwndFrom = GetDlgItem(dialog, id);
    change.nmhdr.idFrom = (UINT_PTR)id;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    change.st.wYear = (WORD)year;
    change.st.wMonth = (WORD)month;
    change.st.wDay = (WORD)day;
    SendDlgItemMessageA(dialog, id, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&change.st);
    SendMessageA(dialog, WM_NOTIFY, (WPARAM)id, (LPARAM)&change);
}

void ChooseHoliday(HWND dialog, const char *name)
{
    HWND list = GetDlgItem(dialog, IDC_HOLIDAY_QUERY);
    ASSERT_GT(SendMessageA(list, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)name), 0) << name;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HOLIDAY_QUERY, CBN_SELCHANGE), (LPARAM)list);
}

int QuerySelection(HWND dialog)
{
    return (int)SendDlgItemMessageA(dialog, IDC_HOLIDAY_QUERY, CB_GETCURSEL, 0, 0);
}

// What "dlm.db" on disk holds for a date, read from a copy with a store of its own.
struct DiskNote {
    bool exists;
    int mark;
    int dataLength;
    std::string text;
};

DiskNote NoteOnDisk(PackedDate date)
{
    DiskNote note = {false, 0, 0, ""};
    char from[MAX_PATH * 2], to[MAX_PATH * 2];
    snprintf(from, sizeof from, "%s\\dlm.db", ProgramDir());
    snprintf(to, sizeof to, "%s\\copy.db", ProgramDir());
    if (!CopyFileA(from, to, FALSE))
        return note;
    RecordStore *store = StoreOpen(to, 0, 0, 0);
    TreeNode *node = store ? TreeFind(store->root.children, date) : 0;
    if (node) {
        StoreItem *item = (StoreItem *)node->record;
        note.exists = true;
        note.mark = item->entry.userValue;
        note.dataLength = item->entry.dataLength;
        const char *data = StoreGetData(item);
        note.text = data ? data : "";
    }
    StoreDiscard(store);
    DeleteFileA(to);
    return note;
}

struct DateInfoTest : public ModelessDialogTest {
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(StartOnConfig(ConfigText)); }
    HWND Open(PackedDate date) { return OpenModeless(IDD_DATE_INFO, DateInfoProc, (LPARAM)date); }
};

// ---- the report ----

// `loomcal report DATE --dir DIR`, started; Printed gives what it printed
// (GBK under Windows), or "<failed>". Each run is a process start under Wine,
// so a test starts all of its runs before it reads the first.
struct LoomcalRun {
    HANDLE process = 0, output = 0;
};

LoomcalRun StartLoomcalReport(const char *dir, PackedDate date)
{
    LoomcalRun run;
    char exe[MAX_PATH];
    GetModuleFileNameA(0, exe, sizeof exe);
    char *slash = strrchr(exe, '\\');
    if (slash)
        strcpy(slash + 1, "loomcal.exe");
    char command[MAX_PATH * 3];
    snprintf(command, sizeof command, "\"%s\" report %04d-%02d-%02d --dir \"%s\"", exe, DATE_YEAR(date),
             DATE_MONTH(date), DATE_DAY(date), dir);
    SECURITY_ATTRIBUTES sa = {sizeof sa, 0, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi;
    BOOL started = CreateProcessA(0, command, 0, 0, TRUE, CREATE_NO_WINDOW, 0, 0, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return run;
    }
    CloseHandle(pi.hThread);
    run.process = pi.hProcess;
    run.output = readEnd;
    return run;
}

std::string Printed(LoomcalRun &run)
{
    if (!run.process)
        return "<failed>";
    // read to the end first: a run whose pipe is full waits for the reader
    std::string out;
    char buffer[4096];
    DWORD got;
    while (ReadFile(run.output, buffer, sizeof buffer, &got, 0) && got > 0)
        out.append(buffer, got);
    WaitForSingleObject(run.process, 20000);
    CloseHandle(run.process);
    CloseHandle(run.output);
    run.process = run.output = 0;
    return out;
}

std::string WithoutCarriageReturns(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); i++)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n'))
            out += s[i];
    return out;
}

// The report test's loomcal runs are six process starts under Wine, about a
// second together: they start with the suite, in a folder of their own with
// the same configuration, while the other tests' waits leave the processor free.
// a holiday, a leap month, a solar term, a weekly and a dated memo, no lunar date
const PackedDate ReportDates[] = {D(2024, 2, 10), D(2023, 3, 22), D(2024, 2, 4),
                                  D(2024, 2, 14), D(2026, 5, 13), D(1900, 1, 30)};
const int ReportCount = sizeof ReportDates / sizeof ReportDates[0];

struct LoomcalReports : ::testing::Environment {
    char dir[MAX_PATH] = "";
    bool configWritten = false;
    LoomcalRun runs[ReportCount];
    // Filtered out (a run of another test alone), the runs would only cost.
    static bool ReportTestRuns()
    {
        const ::testing::UnitTest *unit = ::testing::UnitTest::GetInstance();
        for (int i = 0; i < unit->total_test_suite_count(); i++) {
            const ::testing::TestSuite *suite = unit->GetTestSuite(i);
            for (int j = 0; j < suite->total_test_count(); j++) {
                const ::testing::TestInfo *test = suite->GetTestInfo(j);
                if (!strcmp(suite->name(), "DateInfoTest") && !strcmp(test->name(), "ShowsTheReportLoomcalPrints"))
                    return test->should_run();
            }
        }
        return false;
    }
    void SetUp() override
    {
        if (!ReportTestRuns())
            return;
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        snprintf(dir, sizeof dir, "%sloomhouse-report-%lu", temp, (unsigned long)GetCurrentProcessId());
        CreateDirectoryA(dir, 0);
        char ini[MAX_PATH * 2];
        snprintf(ini, sizeof ini, "%s\\dlm.ini", dir);
        FILE *f = fopen(ini, "wb");
        if (!f)
            return;
        configWritten = fwrite(ConfigText, 1, strlen(ConfigText), f) == strlen(ConfigText);
        fclose(f);
        for (int i = 0; i < ReportCount; i++)
            runs[i] = StartLoomcalReport(dir, ReportDates[i]);
    }
    void TearDown() override
    {
        if (!dir[0])
            return;
        for (LoomcalRun &run : runs)
            Printed(run);
        char pattern[MAX_PATH * 2];
        snprintf(pattern, sizeof pattern, "%s\\*", dir);
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA(pattern, &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                char path[MAX_PATH * 2];
                snprintf(path, sizeof path, "%s\\%s", dir, found.cFileName);
                DeleteFileA(path);
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(dir);
    }
};
LoomcalReports *Reports = (LoomcalReports *)::testing::AddGlobalTestEnvironment(new LoomcalReports);

TEST_F(DateInfoTest, ShowsTheReportLoomcalPrints)
{
    ASSERT_TRUE(Reports->configWritten);
    const PackedDate *dates = ReportDates;
    const int count = ReportCount;
    LoomcalRun *runs = Reports->runs;
    // what the dialog shows for each date, then what loomcal printed
    std::string shown[count];
    PackedDate picked[count];
    for (int i = 0; i < count; i++) {
        picked[i] = Open(dates[i]) ? SolarPicker(dialog) : 0;
        shown[i] = Text(dialog, IDC_REPORT);
    }
    for (int i = 0; i < count; i++) {
        SCOPED_TRACE(dates[i]);
        std::string printed = Printed(runs[i]);
        EXPECT_NE("<failed>", printed);
        EXPECT_EQ(printed, WithoutCarriageReturns(shown[i]) + "\n");
        EXPECT_EQ(dates[i], picked[i]);
    }
    EXPECT_NE(std::string::npos, Text(dialog, IDC_REPORT).find("阳历日期\t1900年1月30日"));
    Open(D(2026, 5, 13));
    EXPECT_NE(std::string::npos, Text(dialog, IDC_REPORT).find("周三晨会"));
    EXPECT_EQ(
        0u,
        Text(dialog, IDC_REPORT).find("==========◆日期信息◆==========\r\n\r\n阳历日期\t2026年5月13日\r\n"));
}

TEST_F(DateInfoTest, OpensBrowsingWithTheNoteAndMarkOfTheDate)
{
    ASSERT_EQ(NOTE_SAVE_STORED, SaveDayNote(D(2026, 3, 5), 1, "第一行\r\n第二行", nullptr));
    ASSERT_NE(nullptr, Open(D(2026, 3, 5)));
    EXPECT_TRUE(Browsing(dialog));
    EXPECT_EQ("第一行\r\n第二行", Text(dialog, IDC_NOTE_TEXT));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_MARK));
    EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_NOTE_TEXT, EM_GETMODIFY, 0, 0));

    // another date without a note: an empty note, no mark, still browsing
    Pick(dialog, IDC_SOLAR_PICKER, 2026, 3, 6);
    EXPECT_EQ("", Text(dialog, IDC_NOTE_TEXT));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_MARK));
    EXPECT_TRUE(Browsing(dialog));
    EXPECT_NE(std::string::npos, Text(dialog, IDC_REPORT).find("2026年3月6日"));
}

TEST_F(DateInfoTest, TheQuickLookupListsEveryHolidayUnderItsTitle)
{
    ASSERT_NE(nullptr, Open(D(2026, 1, 1)));
    HWND list = GetDlgItem(dialog, IDC_HOLIDAY_QUERY);
    ASSERT_EQ(7, SendMessageA(list, CB_GETCOUNT, 0, 0));
    char text[64];
    SendMessageA(list, CB_GETLBTEXT, 0, (LPARAM)text);
    EXPECT_STREQ(" -- 节日快速查询 -- ", text);
    EXPECT_EQ(0, QuerySelection(dialog));
    for (int i = 1; i < 7; i++) {
        SendMessageA(list, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
        HolidayCode code = (HolidayCode)SendMessageA(list, CB_GETITEMDATA, (WPARAM)i, 0);
        bool found = false;
        for (ListNode *n = HolidayList; n; n = n->next)
            found |= strcmp(((HolidayEntry *)n->record)->name, text) == 0 &&
                     ((HolidayEntry *)n->record)->code == code;
        EXPECT_TRUE(found) << text;
    }
    // choosing the title itself changes nothing
    std::string before = Text(dialog, IDC_REPORT);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HOLIDAY_QUERY, CBN_SELCHANGE), (LPARAM)list);
    EXPECT_EQ(before, Text(dialog, IDC_REPORT));
    EXPECT_EQ(D(2026, 1, 1), SolarPicker(dialog));
}

// ---- pending edit and save ----

TEST_F(DateInfoTest, TypingOrClickingTheMarkStartsAPendingEditAndSavingEndsIt)
{
    ASSERT_NE(nullptr, Open(D(2026, 3, 5)));
    Type(dialog, "abc");
    EXPECT_TRUE(Pending(dialog));
    char label[32];
    GetDlgItemTextA(dialog, IDOK, label, sizeof label);
    EXPECT_STREQ("保存信息", label);
    Save(dialog);
    EXPECT_TRUE(Browsing(dialog));
    EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_NOTE_TEXT, EM_GETMODIFY, 0, 0));
    EXPECT_EQ("abc", Text(dialog, IDC_NOTE_TEXT));   // the dialog stays open on its note

    ClickMark(dialog);
    EXPECT_TRUE(Pending(dialog));
    Save(dialog);
    EXPECT_TRUE(Browsing(dialog));

    // Enter in a picker reaches the dialog as the save command: while browsing it saves nothing.
    StoreItem *item = FindDayNote(D(2026, 3, 5));
    ASSERT_NE(nullptr, item);
    StoreDeleteItem(item);
    Save(dialog);
    EXPECT_EQ(nullptr, FindDayNote(D(2026, 3, 5)));
}

TEST_F(DateInfoTest, SavesReachTheStoreAndTheFileAtOnce)
{
    const PackedDate date = D(2026, 3, 5);
    ASSERT_NE(nullptr, Open(date));

    // a text without the mark
    Type(dialog, "会议");
    Save(dialog);
    DiskNote disk = NoteOnDisk(date);
    EXPECT_TRUE(disk.exists);
    EXPECT_EQ("会议", disk.text);
    EXPECT_EQ(0, disk.mark);
    Open(date);
    EXPECT_EQ("会议", Text(dialog, IDC_NOTE_TEXT));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_MARK));

    // the text and the mark cleared: the note goes
    ClearNote(dialog);
    Save(dialog);
    EXPECT_EQ(nullptr, FindDayNote(date));
    EXPECT_FALSE(NoteOnDisk(date).exists);

    // the mark alone on a date without a note: a note without data
    ClickMark(dialog);
    Save(dialog);
    StoreItem *item = FindDayNote(date);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(1, item->entry.userValue);
    EXPECT_EQ(0, item->entry.dataLength);
    disk = NoteOnDisk(date);
    EXPECT_TRUE(disk.exists);
    EXPECT_EQ(1, disk.mark);
    EXPECT_EQ(0, disk.dataLength);

    // unmarking it deletes it, on disk as well
    ClickMark(dialog);
    Save(dialog);
    EXPECT_EQ(nullptr, FindDayNote(date));
    EXPECT_FALSE(NoteOnDisk(date).exists);
}

// The windows are Unicode: a note beyond GBK ("𠀀😀한", typed as UTF-16 the
// way the keyboard and the clipboard deliver it) reaches the file as GB18030
// four-byte codes and comes back into the control whole.
TEST_F(DateInfoTest, TextBeyondGbkIsSavedAsFourByteCodesAndShownWhole)
{
    const PackedDate date = D(2026, 3, 5);
    const WCHAR typed[] = {0xD840, 0xDC00, 0xD83D, 0xDE00, 0xD55C, 0};
    const char stored[] = "\x95\x32\x82\x36\x94\x39\xFC\x36\x83\x36\x84\x33";
    ASSERT_NE(nullptr, Open(date));
    EXPECT_TRUE(IsWindowUnicode(dialog));
    HWND note = GetDlgItem(dialog, IDC_NOTE_TEXT);
    for (const WCHAR *p = typed; *p; p++)
        SendMessageW(note, WM_CHAR, *p, 1);
    EXPECT_TRUE(Pending(dialog));
    Save(dialog);
    EXPECT_EQ(stored, NoteOnDisk(date).text);

    Open(date);
    WCHAR shown[16] = {};
    GetWindowTextW(GetDlgItem(dialog, IDC_NOTE_TEXT), shown, 16);
    EXPECT_EQ(0, wcscmp(typed, shown));
    WCHAR title[16] = {};
    GetWindowTextW(dialog, title, 16);
    EXPECT_EQ(0, wcscmp(L"\x65E5\x671F\x4FE1\x606F", title));   // 日期信息, from the Unicode resource
}

TEST_F(DateInfoTest, AnEmptiedTextWithTheMarkLeavesAMarkOnlyNote)
{
    const PackedDate date = D(2026, 3, 5);
    ASSERT_NE(nullptr, Open(date));
    Type(dialog, "old text");
    ClickMark(dialog);
    Save(dialog);
    ASSERT_EQ("old text", NoteOnDisk(date).text);

    ClearNote(dialog);
    Save(dialog);
    Open(D(2026, 3, 6));
    Pick(dialog, IDC_SOLAR_PICKER, 2026, 3, 5);
    EXPECT_EQ("", Text(dialog, IDC_NOTE_TEXT));   // the old text does not come back
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_MARK));
    DiskNote disk = NoteOnDisk(date);
    EXPECT_TRUE(disk.exists);
    EXPECT_EQ(1, disk.mark);
    EXPECT_EQ(0, disk.dataLength);
}

TEST_F(DateInfoTest, AChangedMarkShowsInTheMonthAtOnce)
{
    // 2026-03-05 (a Thursday) is drawn in the month of 2026-03-10
    RECT r = DrawingRect();
    DrawMonth(MonthWindow, MemoryDC, D(2026, 3, 10), &r);
    auto greenPixels = []() {
        int n = 0;
        RECT area = DrawingRect();
        for (int y = area.top + HEADER_HEIGHT; y < area.bottom; y++)
            for (int x = area.left; x < area.right; x++)
                n += GetPixel(MemoryDC, x, y) == Settings.colorMark;
        return n;
    };
    ASSERT_EQ(0, greenPixels());
    ASSERT_NE(nullptr, Open(D(2026, 3, 5)));
    ClickMark(dialog);
    Save(dialog);
    EXPECT_GT(greenPixels(), 20);
    EXPECT_EQ(D(2026, 3, 10), ShownDate);   // the month stays where it was
    ClickMark(dialog);
    Save(dialog);
    EXPECT_EQ(0, greenPixels());
}

// ---- choosing a date ----

// What a lunar chooser shows: the selected item's text, or "" with none selected.
std::string Chosen(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    LRESULT i = SendMessageA(list, CB_GETCURSEL, 0, 0);
    char text[32] = "";
    if (i >= 0)
        SendMessageA(list, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
    return text;
}
std::string LunarShown(HWND dialog)
{
    return Chosen(dialog, IDC_LUNAR_YEAR) + Chosen(dialog, IDC_LUNAR_MONTH) + Chosen(dialog, IDC_LUNAR_DAY);
}
int Count(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0); }

// A choice in a drop-down list as the user makes it.
void ChooseItem(HWND dialog, int id, const char *text)
{
    HWND list = GetDlgItem(dialog, id);
    ASSERT_GE(SendMessageA(list, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text), 0) << text;
    SendMessageA(list, CB_SETCURSEL, SendMessageA(list, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
}

TEST_F(DateInfoTest, TheLunarChoosersShowTheShownDayAndFollowEveryWayOfChoosing)
{
    // 2023-03-31 is the tenth of the leap second month; the year has 13 months
    ASSERT_NE(nullptr, Open(D(2023, 3, 31)));
    EXPECT_EQ("2023年闰二月初十", LunarShown(dialog));
    EXPECT_EQ(13, Count(dialog, IDC_LUNAR_MONTH));
    EXPECT_EQ(29, Count(dialog, IDC_LUNAR_DAY));   // 闰二月 of 2023 is short

    Pick(dialog, IDC_SOLAR_PICKER, 2026, 3, 18);
    EXPECT_EQ("2026年正月三十", LunarShown(dialog));
    EXPECT_EQ(12, Count(dialog, IDC_LUNAR_MONTH));
    EXPECT_EQ(30, Count(dialog, IDC_LUNAR_DAY));
    ChooseHoliday(dialog, "中秋节");
    EXPECT_EQ("2026年八月十五", LunarShown(dialog));
    // no lunar date: nothing chosen
    Pick(dialog, IDC_SOLAR_PICKER, 1900, 1, 30);
    EXPECT_EQ("", LunarShown(dialog));
}

TEST_F(DateInfoTest, ChoosingALunarDayMovesTheDialogAndTheNoteGoesThere)
{
    ASSERT_NE(nullptr, Open(D(2026, 3, 5)));
    ChooseHoliday(dialog, "元旦");
    ChooseItem(dialog, IDC_LUNAR_YEAR, "2023年");
    ChooseItem(dialog, IDC_LUNAR_MONTH, "闰二月");
    ChooseItem(dialog, IDC_LUNAR_DAY, "初一");   // 2023-03-22
    EXPECT_EQ(0, QuerySelection(dialog));
    EXPECT_EQ(D(2023, 3, 22), SolarPicker(dialog));
    EXPECT_EQ("2023年闰二月初一", LunarShown(dialog));
    EXPECT_NE(std::string::npos, Text(dialog, IDC_REPORT).find("阳历日期\t2023年3月22日"));
    Type(dialog, "闰月");
    Save(dialog);
    EXPECT_EQ(nullptr, FindDayNote(D(2026, 3, 5)));
    EXPECT_EQ("闰月", NoteOnDisk(D(2023, 3, 22)).text);
}

TEST_F(DateInfoTest, TheHolidayListMovesTheSolarPickerAndTheNoteGoesThere)
{
    ASSERT_NE(nullptr, Open(D(2026, 3, 5)));
    ChooseHoliday(dialog, "中秋节");   // lunar 8/15 of 2026: 25 September
    EXPECT_EQ(D(2026, 9, 25), SolarPicker(dialog));
    EXPECT_NE(std::string::npos, Text(dialog, IDC_REPORT).find("阳历日期\t2026年9月25日"));
    EXPECT_GT(QuerySelection(dialog), 0);   // the list keeps the choice
    Type(dialog, "赏月");
    Save(dialog);
    EXPECT_STREQ("赏月", LoadDayNoteView(D(2026, 9, 25)).text);
    EXPECT_EQ(nullptr, FindDayNote(D(2026, 3, 5)));

    // the solar picker puts the list back to its title
    Pick(dialog, IDC_SOLAR_PICKER, 2026, 5, 10);
    EXPECT_EQ(0, QuerySelection(dialog));
    ChooseHoliday(dialog, "母亲节");
    EXPECT_EQ(D(2026, 5, 10), SolarPicker(dialog));
}

TEST_F(DateInfoTest, AHolidayWithoutADateThisYearSaysSoAndMovesNoPicker)
{
    ASSERT_NE(nullptr, Open(D(2026, 3, 5)));
    ChooseHoliday(dialog, "闰日");   // 29 February, and 2026 is a common year
    EXPECT_EQ("节日“闰日”（阳历 02月29日）在2026年没有日期。", Text(dialog, IDC_REPORT));
    EXPECT_EQ(D(2026, 3, 5), SolarPicker(dialog));

    TodayDate.date = D(2024, 6, 1);
    Open(D(2026, 3, 5));
    ChooseHoliday(dialog, "闰日");
    EXPECT_EQ(D(2024, 2, 29), SolarPicker(dialog));
}

// ---- closing ----

HWND ScriptDialog;
int ScriptStep;
char BoxText[256];

void OpenOnMarch5() { OpenDateInfo(MonthWindow, D(2026, 3, 5)); }

int EscWithPendingEdit()
{
    HWND box = FindDialogTitled("放弃更改");
    switch (ScriptStep) {
    case 0:
        ScriptDialog = FindDialogTitled("日期信息");
        if (!ScriptDialog)
            return 1;
        Type(ScriptDialog, "xyz");
        PostMessageA(ScriptDialog, WM_COMMAND, IDCANCEL, 0);   // Esc
        ScriptStep = 1;
        return 1;
    case 1:   // the question comes: Cancel keeps the dialog and the edit
        if (!box)
            return 1;
        MessageBoxText(box, BoxText, sizeof BoxText);
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        ScriptStep = 2;
        return 1;
    case 2:
        if (box)
            return 1;
        EXPECT_TRUE(IsWindow(ScriptDialog));
        EXPECT_TRUE(Pending(ScriptDialog));
        EXPECT_EQ("xyz", Text(ScriptDialog, IDC_NOTE_TEXT));
        PostMessageA(ScriptDialog, WM_COMMAND, IDCANCEL, 0);
        ScriptStep = 3;
        return 1;
    case 3:   // asked again: OK drops the edit and ends the dialog
        if (!box)
            return 1;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ScriptStep = 4;
        return 0;
    }
    return 0;
}

TEST_F(DateInfoTest, EscWithAPendingEditAsksAndCancelKeepsTheEdit)
{
    ScriptStep = 0;
    BoxText[0] = 0;
    EXPECT_EQ(1, RunModalScript(OpenOnMarch5, EscWithPendingEdit));
    EXPECT_EQ(4, ScriptStep);
    EXPECT_STREQ("你所做的更改还未保存，确实要放弃保存，关闭该窗口吗？", BoxText);
    EXPECT_EQ(nullptr, FindDayNote(D(2026, 3, 5)));   // dropped, not saved
}

PackedDate OpenedOn;

int NoteTheDateAndClose()
{
    HWND d = FindDialogTitled("日期信息");
    if (!d)
        return 1;
    OpenedOn = SolarPicker(d);
    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);   // browsing: Esc ends it at once
    return 0;
}

void OpenFromTheMenu() { SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_DATE_INFO, 0), 0); }

void DoubleClickThe20th()
{
    // August 2015 starts on a Saturday: 37-pixel rows, the 20th in row 3, column 4
    RECT r = DrawingRect();
    DrawMonth(MonthWindow, MemoryDC, D(2015, 8, 1), &r);
    SendMessageA(MonthWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4 * 50 + 10, 26 + 3 * 37 + 10));
}

TEST_F(DateInfoTest, TheMenuAndADoubleClickOpenItModallyOnTheirDay)
{
    ShownDate = D(2004, 5, 6);
    OpenedOn = 0;
    EXPECT_EQ(1, RunModalScript(OpenFromTheMenu, NoteTheDateAndClose));
    EXPECT_EQ(D(2004, 5, 6), OpenedOn);

    OpenedOn = 0;
    EXPECT_EQ(1, RunModalScript(DoubleClickThe20th, NoteTheDateAndClose));
    EXPECT_EQ(D(2015, 8, 20), OpenedOn);
    EXPECT_EQ(D(2015, 8, 20), ShownDate);
}

}   // namespace
