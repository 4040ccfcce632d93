// The alert window, the memo editor and the clock tick, with the real program
// started inside the test process and both clocks set by the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include "fixture.h"
#include "../../app/shell.h"
#include "../../calendar/calendar.h"
#include "../../calendar/memo.h"
#include "../../calendar/today.h"
#include "../../remind/remind.h"
#include "../../dialogs/memoeditor.h"
#include "../../resources/resource.h"
#include "../../store/config.h"
#include "../../records/records.h"
#include "../../records/settings.h"

namespace {

uint64_t TickClock;
const UINT FAST_CLOCK = 100;   // ms, the clock timer's period in these tests
uint64_t ReadTestTick() { return TickClock; }

// Both clocks move on together, as they do outside the test.
void Advance(int seconds)
{
    CalendarDay d = {};
    d.year = TestClock.wYear;
    d.month = TestClock.wMonth;
    d.day = TestClock.wDay;
    d.hour = TestClock.wHour;
    d.minute = TestClock.wMinute;
    d.second = TestClock.wSecond + seconds;
    NormalizeDay(&d);
    SetTestClock(d.year, d.month, d.day, d.hour, d.minute, d.second);
    TickClock += (uint64_t)seconds * 1000;
}

// A configuration with the month window's place, so that the flags hold.
std::string Ini(unsigned flags, const char *sections = "")
{
    char control[200];
    snprintf(control, sizeof control,
             "[CONTROL]\nMonthPos=250,0,600,250,1\nColor=ff8080,ffffff,ffff,ff,ff00\nControl=%x\n", flags);
    return std::string(control) + sections;
}

std::vector<std::string> AlertLines()
{
    std::vector<std::string> lines;
    if (!AlertWindow)
        return lines;
    HWND list = GetDlgItem(AlertWindow, IDC_ALERT_LIST);
    int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        char text[1100] = "";
        SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        lines.push_back(text);
    }
    return lines;
}
typedef std::vector<std::string> Lines;

// Pumps messages until the alert window holds count lines, or about 3 s.
// Clock ticks come a second apart, so a short step sees each one's effect alone.
void PumpUntilLines(size_t count)
{
    for (int i = 0; i < 300 && AlertLines().size() < count; i++)
        PumpMessages(10);
}

std::string ControlText(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string ProgramFile(const char *name)
{
    static char buffer[65536];
    long n = ReadProgramFile(name, buffer, sizeof buffer);
    return n < 0 ? std::string("<missing>") : std::string(buffer, (size_t)n);
}

class ReminderTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        savedWall = ReadLocalClock;
        savedTick = ReadTickClock;
        ReadLocalClock = ReadTestClock;
        ReadTickClock = ReadTestTick;
        SetTestClock(2026, 3, 11, 9, 0, 0);   // a Wednesday, no holiday
        TickClock = 50000000;
        // the tick clock is the test's: the timer need not wait real seconds
        ClockPeriod = FAST_CLOCK;
    }
    void TearDown() override
    {
        if (editor)
            DestroyWindow(editor);
        StopProgram();
        ReadLocalClock = savedWall;
        ReadTickClock = savedTick;
        ClockPeriod = CLOCK_PERIOD;
    }
    void Start(const std::string &ini) { ASSERT_EQ(1, StartProgramInTempDir(ini.c_str())); }
    // The memo editor, modeless so the test can drive it, shown like the modal one.
    HWND OpenEditor()
    {
        editor = CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(IDD_MEMOS), MonthWindow, MemoEditorProc, 0);
        EXPECT_NE(nullptr, editor);
        ShowWindow(editor, SW_SHOW);
        return editor;
    }
    HWND List() { return GetDlgItem(editor, IDC_LIST_VIEW); }
    int Rows() { return (int)SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0); }
    std::string Cell(int row, int column)
    {
        char text[1100] = "";
        LVITEMA item;
        memset(&item, 0, sizeof item);
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(List(), LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
        return text;
    }
    std::string Column(int column)
    {
        std::string all;
        for (int i = 0; i < Rows(); i++)
            all += Cell(i, column) + "|";
        return all;
    }
    void Click(int id) { SendMessageA(GetDlgItem(editor, id), BM_CLICK, 0, 0); }
    // null clears the picker's box (Wine wants a time with GDT_NONE as well)
    void SetPicker(int id, const SYSTEMTIME *value)
    {
        SendDlgItemMessageA(editor, id, DTM_SETSYSTEMTIME, value ? GDT_VALID : GDT_NONE,
                            (LPARAM)(value ? value : &TestClock));
    }
    void AddText(const char *text)
    {
        SetDlgItemTextA(editor, IDC_NOTE_TEXT, text);
        Click(IDC_ADD);
    }
    void Close() { SendMessageA(editor, WM_COMMAND, IDCANCEL, 0); }

    HWND editor = nullptr;
    void (*savedWall)(SYSTEMTIME *);
    uint64_t (*savedTick)();
};

// A message box the code under test opens is answered from a timer that
// runs inside the box's own modal loop.
std::string BoxText;
int BoxAnswer;
HWND BoxOwner;
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = 0;
    for (HWND w = FindWindowA("#32770", 0); w; w = FindWindowExA(0, w, "#32770", 0)) {
        if (GetWindow(w, GW_OWNER) == BoxOwner && IsWindowVisible(w)) {
            box = w;
            break;
        }
    }
    if (!box)
        return;
    KillTimer(0, id);
    char caption[64] = "", text[256] = "";
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    BoxText = std::string(caption) + ": " + text;
    PostMessageA(box, WM_COMMAND, (WPARAM)BoxAnswer, 0);
}
void AnswerNextBox(HWND owner, int answer)
{
    BoxOwner = owner;
    BoxText.clear();
    BoxAnswer = answer;
    SetTimer(0, 0, 20, AnswerBox);
}

const unsigned AUTO_CLOSE = CTRL_AUTO_CLOSE;

}   // namespace

// ---- the alert window ----

TEST_F(ReminderTest, TheAlertWindowSlidesInBesideTheCalendarRoundedAndListsTheNewestLineFirst)
{
    Start(Ini(AUTO_CLOSE | CTRL_SOUND));
    ASSERT_EQ(nullptr, AlertWindow);
    HWND active = GetActiveWindow();
    ShowAlert("第一条");
    ShowAlert("第二条\r\n第二行");
    ASSERT_NE(nullptr, AlertWindow);
    EXPECT_EQ((Lines{"第二条 第二行", "第一条"}), AlertLines());
    EXPECT_EQ(active, GetActiveWindow());   // it took nothing from the user

    RECT r, client;
    GetWindowRect(AlertWindow, &r);
    GetClientRect(AlertWindow, &client);
    EXPECT_EQ(0, r.top);
    // beside the calendar docked at the top, on the screen, not over it
    RECT calendar, both;
    GetWindowRect(MonthWindow, &calendar);
    calendar.top = 0;
    calendar.bottom = 1;
    EXPECT_FALSE(IntersectRect(&both, &r, &calendar));
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.right, ScreenWidth);
    EXPECT_EQ(client.right, r.right - r.left);   // no border
    EXPECT_TRUE(GetWindowLongA(AlertWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongA(AlertWindow, GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(MonthWindow, GetWindow(AlertWindow, GW_OWNER));
    EXPECT_EQ("Loomhouse提醒您", ControlText(AlertWindow, IDC_ALERT_TITLE));

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(AlertWindow, region));
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, client.right - 1, client.bottom - 1));
    EXPECT_TRUE(PtInRegion(region, client.right / 2, 0));
    EXPECT_TRUE(PtInRegion(region, 0, client.bottom / 2));
    // resized, as on a monitor of another scale: the corners follow
    RECT before, after;
    GetRgnBox(region, &before);
    SetWindowPos(AlertWindow, 0, 0, 0, client.right + 100, client.bottom + 40,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(ERROR, GetWindowRgn(AlertWindow, region));
    GetRgnBox(region, &after);
    EXPECT_EQ(before.right + 100, after.right);
    EXPECT_EQ(before.bottom + 40, after.bottom);
    DeleteObject(region);
}

TEST_F(ReminderTest, TheCountdownRunsFromTheLastLineAndPausesWhileTheWindowIsActive)
{
    Start(Ini(AUTO_CLOSE));
    ShowAlert("一");
    HWND window = AlertWindow;
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("", ControlText(window, IDC_COUNTDOWN));
    for (int i = 0; i < 4; i++)
        SendMessageA(window, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ("6", ControlText(window, IDC_COUNTDOWN));

    // A new line starts the ten seconds again; the label shows it at the next tick.
    ShowAlert("二");
    EXPECT_EQ("6", ControlText(window, IDC_COUNTDOWN));
    SendMessageA(window, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ("9", ControlText(window, IDC_COUNTDOWN));

    // Active, the window stops its timer; inactive again, it starts it.
    SendMessageA(window, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_FALSE(KillTimer(window, TIMER_AUTOHIDE));
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(KillTimer(window, TIMER_AUTOHIDE));

    for (int i = 0; i < 8; i++)
        SendMessageA(window, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ("1", ControlText(window, IDC_COUNTDOWN));
    ASSERT_TRUE(IsWindow(window));
    SendMessageA(window, WM_TIMER, TIMER_AUTOHIDE, 0);   // at 1: away
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, AlertWindow);

    // the next alert opens a fresh, empty window
    ShowAlert("三");
    EXPECT_EQ(Lines{"三"}, AlertLines());
}

TEST_F(ReminderTest, WithoutAutoCloseTheWindowStaysUntilItsSurfaceIsClicked)
{
    Start(Ini(0));
    ShowAlert("一");
    HWND window = AlertWindow;
    ASSERT_NE(nullptr, window);
    PumpMessages(50);
    EXPECT_FALSE(KillTimer(window, TIMER_AUTOHIDE));   // no countdown at all
    EXPECT_EQ("", ControlText(window, IDC_COUNTDOWN));
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(KillTimer(window, TIMER_AUTOHIDE));
    RECT r;
    GetWindowRect(window, &r);
    SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(4, (r.bottom - r.top) / 2));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, AlertWindow);
}

TEST(AlarmSound, IsAWaveResourceOf26716EightBitMonoSamplesAt8000PerSecond)
{
    HMODULE module = GetModuleHandleA(0);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDW_ALARM), "WAVE");
    ASSERT_NE(nullptr, found);
    const unsigned char *wave = (const unsigned char *)LockResource(LoadResource(module, found));
    const DWORD size = SizeofResource(module, found);
    ASSERT_GE(size, 44u);
    auto u16 = [&](DWORD at) { return (unsigned)(wave[at] | wave[at + 1] << 8); };
    auto u32 = [&](DWORD at) { return (unsigned)(u16(at) | u16(at + 2) << 16); };
    EXPECT_EQ(0, memcmp(wave, "RIFF", 4));
    EXPECT_EQ(0, memcmp(wave + 8, "WAVEfmt ", 8));
    EXPECT_EQ(1u, u16(20));      // PCM
    EXPECT_EQ(1u, u16(22));      // mono
    EXPECT_EQ(8000u, u32(24));   // samples per second
    EXPECT_EQ(8u, u16(34));      // bits per sample
    DWORD at = 12 + 8 + u32(16);
    while (at + 8 <= size && memcmp(wave + at, "data", 4) != 0)
        at += 8 + u32(at + 4);
    ASSERT_LE(at + 8, size);
    EXPECT_EQ(26716u, u32(at + 4));
    // clearly audible: the samples swing well away from silence (128)
    int low = 255, high = 0;
    for (DWORD i = at + 8; i < at + 8 + 26716 && i < size; i++) {
        low = wave[i] < low ? wave[i] : low;
        high = wave[i] > high ? wave[i] : high;
    }
    EXPECT_LT(low, 64);
    EXPECT_GT(high, 192);
}

// ---- the clock tick through the real timer ----

TEST_F(ReminderTest, ADueMemoAndTheChimeFireThroughTheClockTimer)
{
    SetTestClock(2026, 3, 11, 10, 59, 57);
    Start(Ini(CTRL_CHIME, "[REMIND]\n0=7ea030b,a3b3a,到点了\n1=ffffffff,a3b3a,同一秒\n"));
    ASSERT_EQ(nullptr, AlertWindow);
    PumpMessages(FAST_CLOCK * 13 / 10);   // ticks, but nothing is due
    EXPECT_EQ(nullptr, AlertWindow);

    // 10:59:58: both memos are due in the same second; they fire on two ticks.
    Advance(1);
    PumpUntilLines(1);   // looks every 10 ms: both at once would show here as 2
    EXPECT_EQ(1u, AlertLines().size());
    PumpUntilLines(2);
    // ReminderList holds them in the reverse of the file's order
    EXPECT_EQ((Lines{"到点了", "同一秒"}), AlertLines());

    // 11:00:00, the chime
    Advance(2);
    PumpUntilLines(3);
    EXPECT_EQ((Lines{"现在时刻：11点整", "到点了", "同一秒"}), AlertLines());
    EXPECT_EQ((uint32_t)PACK_TIME(12, 0, 0), ChimeEntry()->time);
    EXPECT_EQ(ChimeEntry(), AlarmQueue);
}

TEST_F(ReminderTest, ANewDayRaisesItsMemosAndHolidaysInARunningProgram)
{
    SetTestClock(2004, 12, 31, 23, 59, 59);
    Start(Ini(CTRL_CHIME | CTRL_HOLIDAY_ALERT,
              "[HOLIDAY]\n0=8449,元旦\n"
              "[REMIND]\n0=7d50101,ffffffff,新年第一天\n1=7d50101,a0000,十点\n"));
    EXPECT_EQ(nullptr, AlertWindow);
    EXPECT_EQ((uint32_t)PACK_TIME(24, 0, 0), ChimeEntry()->time);

    Advance(1);   // midnight
    PumpUntilLines(3);
    EXPECT_EQ(PACK_DATE(2005, 1, 1), TodayDate.date);
    // the chime of midnight first, then the new day's memo and holiday
    EXPECT_EQ((Lines{"元旦", "新年第一天", "现在时刻：0点整"}), AlertLines());
    const ReminderEntry *ten = (const ReminderEntry *)FirstMemo()->record;
    ASSERT_STREQ("十点", ten->text);
    EXPECT_TRUE(IsQueued(ten));
    EXPECT_EQ((uint32_t)PACK_TIME(1, 0, 0), ChimeEntry()->time);
}

TEST_F(ReminderTest, TodaysHolidaysAreAlertedAtStartUpWhenTheOptionIsOn)
{
    SetTestClock(2026, 10, 1, 8, 0, 0);
    Start(Ini(CTRL_HOLIDAY_ALERT, "[HOLIDAY]\n0=10753,国庆节\n1=8449,元旦\n"));
    EXPECT_EQ(Lines{"国庆节"}, AlertLines());
    StopProgram();
    Start(Ini(0, "[HOLIDAY]\n0=10753,国庆节\n1=8449,元旦\n"));
    EXPECT_EQ(nullptr, AlertWindow);
}

// ---- the memo editor ----

TEST_F(ReminderTest, TheEditorStartsInDatedModeAndSwitchesWhatItShows)
{
    Start(Ini(0, "[REMIND]\n0=7d40101,ffffffff,旧的\n1=2000001f,0,月底\n"));
    OpenEditor();
    EXPECT_EQ(31, (int)SendDlgItemMessageA(editor, IDC_DAY, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(7, (int)SendDlgItemMessageA(editor, IDC_WEEKDAY, CB_GETCOUNT, 0, 0));
    char text[32];
    SendDlgItemMessageA(editor, IDC_DAY, CB_GETLBTEXT, 30, (LPARAM)text);
    EXPECT_STREQ("每月31日", text);
    SendDlgItemMessageA(editor, IDC_WEEKDAY, CB_GETLBTEXT, 0, (LPARAM)text);
    EXPECT_STREQ("星期日", text);
    SendDlgItemMessageA(editor, IDC_WEEKDAY, CB_GETLBTEXT, 6, (LPARAM)text);
    EXPECT_STREQ("星期六", text);
    EXPECT_EQ(0, (int)SendDlgItemMessageA(editor, IDC_DAY, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(0, (int)SendDlgItemMessageA(editor, IDC_WEEKDAY, CB_GETCURSEL, 0, 0));

    // both pickers start at the program's clock, boxes checked
    SYSTEMTIME picked;
    EXPECT_EQ(GDT_VALID, SendDlgItemMessageA(editor, IDC_MEMO_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&picked));
    EXPECT_EQ(PACK_DATE(2026, 3, 11), PackedDateFromSystemTime(&picked));
    EXPECT_EQ(GDT_VALID, SendDlgItemMessageA(editor, IDC_MEMO_TIME, DTM_GETSYSTEMTIME, 0, (LPARAM)&picked));
    EXPECT_EQ(PACK_TIME(9, 0, 0), PackedTimeFromSystemTime(&picked));

    // each mode shows its own controls in the place of the date picker
    const int controls[] = {IDC_MEMO_DATE,  IDC_DAY,         IDC_WEEKDAY,    IDC_YEARLY_MONTH,
                            IDC_YEARLY_DAY, IDC_LUNAR_MONTH, IDC_LUNAR_LEAP, IDC_LUNAR_DAY};
    struct Mode {
        int radio;
        const char *shown;   // one letter per control above
    } modes[] = {
        {0, "x......."},
        {IDC_WEEKLY, "..x....."},
        {IDC_MEMO_MONTHLY, ".x......"},
        {IDC_MEMO_YEARLY, "...xx..."},
        {IDC_MEMO_LUNAR_YEARLY, ".....xxx"},
        {IDC_MEMO_WORKDAYS, "........"},
        {IDC_MEMO_DAILY, "........"},
        {IDC_MEMO_DATED, "x......."},
    };
    for (const Mode &m : modes) {
        SCOPED_TRACE(m.radio);
        if (m.radio)
            Click(m.radio);
        std::string shown;
        for (int id : controls)
            shown += IsWindowVisible(GetDlgItem(editor, id)) ? 'x' : '.';
        EXPECT_EQ(m.shown, shown);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(editor, IDC_MEMO_TIME)));
        int checked = 0;
        for (int id : {IDC_MEMO_DATED, IDC_MEMO_MONTHLY, IDC_WEEKLY, IDC_MEMO_YEARLY, IDC_MEMO_LUNAR_YEARLY,
                       IDC_MEMO_WORKDAYS, IDC_MEMO_DAILY})
            checked += IsDlgButtonChecked(editor, id) == BST_CHECKED;
        EXPECT_EQ(1, checked);
    }
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(editor, IDC_MEMO_DATED));

    // the columns, and the memos in the reverse of ReminderList's order
    HWND header = (HWND)SendMessageA(List(), LVM_GETHEADER, 0, 0);
    ASSERT_EQ(3, (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    const char *titles[] = {"日期", "时间", "提醒"};
    for (int i = 0; i < 3; i++) {
        HDITEMA item;
        memset(&item, 0, sizeof item);
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, (WPARAM)i, (LPARAM)&item);
        EXPECT_STREQ(titles[i], text);
    }
    EXPECT_GE(SendMessageA(List(), LVM_GETCOLUMNWIDTH, 0, 0), 70);
    EXPECT_GE(SendMessageA(List(), LVM_GETCOLUMNWIDTH, 1, 0), 60);
    EXPECT_EQ(400, SendMessageA(List(), LVM_GETCOLUMNWIDTH, 2, 0));
    DWORD ex = (DWORD)SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ((DWORD)(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP),
              ex & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP));
    EXPECT_FALSE(GetWindowLongA(List(), GWL_STYLE) & LVS_SINGLESEL);
    EXPECT_EQ("2004-01-01|每月31日|", Column(0));
    // a memo at 00:00:00 reads "[无]", though it has a time
    EXPECT_EQ("[无]|[无]|", Column(1));
    EXPECT_EQ("旧的|月底|", Column(2));
}

TEST_F(ReminderTest, AddingStoresWhatTheControlsSayAndSchedulesIt)
{
    Start(Ini(CTRL_CHIME));
    OpenEditor();
    SYSTEMTIME at = TestClock;
    at.wMinute = 30;   // 09:30:00, still to come

    // every day by its own choice, whatever the date picker holds
    Click(IDC_MEMO_DAILY);
    SetPicker(IDC_MEMO_TIME, &at);
    AddText("每天九点半");
    // weekly on Sunday, no time: not today, so no alert
    Click(IDC_WEEKLY);
    SetPicker(IDC_MEMO_TIME, nullptr);
    AddText("周日");
    // monthly on the last day item
    Click(IDC_MEMO_MONTHLY);
    SendDlgItemMessageA(editor, IDC_DAY, CB_SETCURSEL, 30, 0);
    AddText("月底");
    // monthly on the 11th, no time: applies today and alerts at once
    SendDlgItemMessageA(editor, IDC_DAY, CB_SETCURSEL, 10, 0);
    AddText("今天的");

    EXPECT_EQ("每月11日|每月31日|每周日|每天|", Column(0));
    EXPECT_EQ("[无]|[无]|[无]|09:30:00|", Column(1));
    EXPECT_EQ("今天的|月底|周日|每天九点半|", Column(2));
    EXPECT_EQ("", ControlText(editor, IDC_NOTE_TEXT));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(editor, IDC_MEMO_MONTHLY));   // the mode stays

    const uint32_t whens[] = {REMIND_MONTHLY | 11, REMIND_MONTHLY | 31, REMIND_WEEKLY | 0, REMIND_EVERY_DAY};
    const ListNode *node = FirstMemo();
    for (uint32_t when : whens) {
        ASSERT_NE(nullptr, node);
        EXPECT_EQ(when, ((const ReminderEntry *)node->record)->when);
        node = node->next;
    }
    EXPECT_EQ(Lines{"今天的"}, AlertLines());
    const ReminderEntry *nineThirty = (const ReminderEntry *)FirstMemo()->next->next->next->record;
    EXPECT_TRUE(IsQueued(nineThirty));
    EXPECT_EQ(nineThirty, AlarmQueue);   // before the ten o'clock chime
}

TEST_F(ReminderTest, TheYearlyModesStoreTheMonthTheDayAndTheLeapMonth)
{
    Start(Ini(0));
    OpenEditor();
    auto item = [&](int id, int index) {
        char text[32] = "";
        SendDlgItemMessageA(editor, id, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
        return std::string(text);
    };
    auto count = [&](int id) { return (int)SendDlgItemMessageA(editor, id, CB_GETCOUNT, 0, 0); };
    auto selection = [&](int id) { return (int)SendDlgItemMessageA(editor, id, CB_GETCURSEL, 0, 0); };
    // a choice in a list, as the user makes it: the list tells its dialog
    auto choose = [&](int id, int index) {
        SendDlgItemMessageA(editor, id, CB_SETCURSEL, (WPARAM)index, 0);
        SendMessageA(editor, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)GetDlgItem(editor, id));
    };
    // the lists start at today, 2026-03-11, lunar 1/23
    EXPECT_EQ(12, count(IDC_YEARLY_MONTH));
    EXPECT_EQ("12月", item(IDC_YEARLY_MONTH, 11));
    EXPECT_EQ(2, selection(IDC_YEARLY_MONTH));
    EXPECT_EQ(31, count(IDC_YEARLY_DAY));
    EXPECT_EQ(10, selection(IDC_YEARLY_DAY));
    EXPECT_EQ("正月", item(IDC_LUNAR_MONTH, 0));
    EXPECT_EQ("腊月", item(IDC_LUNAR_MONTH, 11));
    EXPECT_EQ(0, selection(IDC_LUNAR_MONTH));
    EXPECT_EQ(30, count(IDC_LUNAR_DAY));
    EXPECT_EQ("三十", item(IDC_LUNAR_DAY, 29));
    EXPECT_EQ(22, selection(IDC_LUNAR_DAY));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(editor, IDC_LUNAR_LEAP));

    // the day list follows the month: 29 days for February, and the 31st of
    // March gives way to April's 30th
    SetPicker(IDC_MEMO_TIME, nullptr);
    Click(IDC_MEMO_YEARLY);
    choose(IDC_YEARLY_MONTH, 1);
    EXPECT_EQ(29, count(IDC_YEARLY_DAY));
    EXPECT_EQ("29日", item(IDC_YEARLY_DAY, 28));
    choose(IDC_YEARLY_DAY, 28);
    AddText("闰日");
    choose(IDC_YEARLY_MONTH, 2);
    choose(IDC_YEARLY_DAY, 30);
    choose(IDC_YEARLY_MONTH, 3);
    EXPECT_EQ(30, count(IDC_YEARLY_DAY));
    EXPECT_EQ(29, selection(IDC_YEARLY_DAY));

    Click(IDC_MEMO_LUNAR_YEARLY);
    choose(IDC_LUNAR_MONTH, 3);
    Click(IDC_LUNAR_LEAP);
    choose(IDC_LUNAR_DAY, 7);
    AddText("浴佛");
    // lunar 1/23 is today: a memo without a time alerts at once
    choose(IDC_LUNAR_MONTH, 0);
    Click(IDC_LUNAR_LEAP);
    choose(IDC_LUNAR_DAY, 22);
    AddText("今天");

    EXPECT_EQ("农历每年1月23日|农历每年闰4月8日|每年02月29日|", Column(0));
    const uint32_t whens[] = {LunarYearlyWhen(1, 23, 0), LunarYearlyWhen(4, 8, 1), YearlyWhen(2, 29)};
    const ListNode *node = FirstMemo();
    for (uint32_t when : whens) {
        ASSERT_NE(nullptr, node);
        EXPECT_EQ(when, ((const ReminderEntry *)node->record)->when);
        node = node->next;
    }
    EXPECT_EQ(Lines{"今天"}, AlertLines());
    // the date column is wide enough for the longest of its texts
    HWND list = List();
    EXPECT_GE(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0),
              SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, (LPARAM) "农历每年闰12月30日"));
}

// 工作日备忘: today, Wednesday 2026-03-11, is a working day, so an untimed
// workday memo alerts at once and a timed one is queued.
TEST_F(ReminderTest, TheWorkdayModeStoresAWorkdayMemo)
{
    Start(Ini(0));
    OpenEditor();
    SYSTEMTIME at = TestClock;
    at.wMinute = 30;
    Click(IDC_MEMO_WORKDAYS);
    SetPicker(IDC_MEMO_TIME, nullptr);
    AddText("站会");
    SetPicker(IDC_MEMO_TIME, &at);
    AddText("日报");
    EXPECT_EQ("工作日|工作日|", Column(0));
    const ReminderEntry *report = (const ReminderEntry *)FirstMemo()->record;
    const ReminderEntry *standUp = (const ReminderEntry *)FirstMemo()->next->record;
    EXPECT_EQ(REMIND_WORKDAYS, report->when);
    EXPECT_EQ(REMIND_WORKDAYS, standUp->when);
    EXPECT_TRUE(IsQueued(report));
    EXPECT_EQ(Lines{"站会"}, AlertLines());
}

// The export writes the holidays, terms and memos of this year and the next
// two and says how many and where; a file that cannot be written is said so.
TEST_F(ReminderTest, TheExportWritesTheCalendarOrSaysItCouldNot)
{
    Start(Ini(0, "[REMIND]\n0=40000c1e,70000,除夕\n"));
    OpenEditor();
    const std::string path = std::string(ProgramDir()) + "\\export.ics";
    AnswerNextBox(editor, IDOK);
    EXPECT_EQ(1, ExportCalendarTo(editor, path.c_str()));
    const std::string ics = ProgramFile("export.ics");
    size_t events = 0;
    for (size_t at = ics.find("BEGIN:VEVENT"); at != std::string::npos; at = ics.find("BEGIN:VEVENT", at + 1))
        events++;
    EXPECT_EQ("导出日历: 已导出 " + std::to_string(events) + " 个事件（2026年至2028年的节日、节气和备忘）到：\r\n" +
                  path,
              BoxText);
    ASSERT_EQ(0u, ics.rfind("BEGIN:VCALENDAR\r\n", 0)) << ics.substr(0, 80);
    // the last day of the twelfth month of the lunar years 2025..2028, in 2026..2028
    size_t eves = 0;
    for (size_t at = ics.find("SUMMARY:\xE9\x99\xA4\xE5\xA4\x95\r\n"); at != std::string::npos;
         at = ics.find("SUMMARY:\xE9\x99\xA4\xE5\xA4\x95\r\n", at + 1))
        eves++;
    EXPECT_EQ(3u, eves);
    EXPECT_NE(std::string::npos, ics.find("DTSTART:20260216T070000\r\n"))
        << "2025's 12/29, the month's last day";
    EXPECT_EQ(std::string::npos, ics.find("UID:term-2029"));

    AnswerNextBox(editor, IDOK);
    const std::string nowhere = std::string(ProgramDir()) + "\\no such folder\\export.ics";
    EXPECT_EQ(0, ExportCalendarTo(editor, nowhere.c_str()));
    EXPECT_EQ("错误: 导出日历时出现错误，文件未能保存！", BoxText);
}

// The button asks for the file with the system's save dialog, which leaves
// the program's current folder (where its data files are) alone.
TEST_F(ReminderTest, TheExportButtonAsksForTheFileName)
{
    Start(Ini(0));
    OpenEditor();
    char before[MAX_PATH] = "", after[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof before, before);
    static std::string target;
    static bool seen, reported;
    target = std::string(ProgramDir()) + "\\named.ics";
    seen = reported = false;
    struct Saver {
        static void CALLBACK Answer(HWND, UINT, UINT_PTR id, DWORD)
        {
            HWND box = FindWindowA("#32770", "导出日历");
            if (!box)
                return;
            if (GetDlgItem(box, 0xFFFF)) {   // the report of the export that followed
                KillTimer(0, id);
                reported = true;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            if (seen)
                return;
            seen = true;
            // the file name box: a combo box in the explorer-style dialog, an edit in the older one
            HWND name = GetDlgItem(box, 0x47C);
            if (!name)
                name = GetDlgItem(box, 0x480);
            SetWindowTextA(name, target.c_str());
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    };
    UINT_PTR timer = SetTimer(0, 0, 40, Saver::Answer);
    Click(IDC_EXPORT);
    KillTimer(0, timer);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(reported);
    EXPECT_EQ(0u, ProgramFile("named.ics").rfind("BEGIN:VCALENDAR", 0));
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(before, after);
}

TEST_F(ReminderTest, AnEmptyTextIsRefusedAndALongOneKeepsWholeCharacters)
{
    Start(Ini(0));
    OpenEditor();
    AnswerNextBox(editor, IDOK);
    AddText("");
    EXPECT_EQ("错误: 请输入提醒文本！", BoxText);
    EXPECT_EQ(nullptr, FirstMemo());
    EXPECT_EQ(0, Rows());

    // 982 bytes and then a character that would end at byte 984
    std::string text = std::string(MEMO_TEXT_MAX - 1, 'x') + "测试";
    AddText(text.c_str());
    ASSERT_NE(nullptr, FirstMemo());
    EXPECT_EQ(std::string(MEMO_TEXT_MAX - 1, 'x'), ((const ReminderEntry *)FirstMemo()->record)->text);
}

TEST_F(ReminderTest, DeleteTakesEverySelectedMemoOutOfTheListAndTheQueue)
{
    Start(Ini(CTRL_CHIME, "[REMIND]\n0=ffffffff,a0000,十点\n1=ffffffff,b0000,十一点\n"
                          "2=ffffffff,c0000,十二点\n3=ffffffff,d0000,十三点\n"));
    OpenEditor();
    ASSERT_EQ("十点|十一点|十二点|十三点|", Column(2));
    LVITEMA state;
    memset(&state, 0, sizeof state);
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(List(), LVM_SETITEMSTATE, 1, (LPARAM)&state);
    SendMessageA(List(), LVM_SETITEMSTATE, 3, (LPARAM)&state);
    Click(IDC_DELETE);
    EXPECT_EQ("十点|十二点|", Column(2));
    std::string queued, listed;
    for (const ReminderEntry *e = AlarmQueue; e; e = e->queueNext)
        queued += e == ChimeEntry() ? "<chime>|" : std::string(e->text) + "|";
    for (const ListNode *n = FirstMemo(); n; n = n->next)
        listed += std::string(((const ReminderEntry *)n->record)->text) + "|";
    // ten o'clock is the chime's time too: the memo was queued first
    EXPECT_EQ("十点|<chime>|十二点|", queued);
    EXPECT_EQ("十二点|十点|", listed);
}

TEST_F(ReminderTest, ClearAllAsksFirstAndKeepsTheChimeArmed)
{
    Start(Ini(CTRL_CHIME, "[REMIND]\n0=ffffffff,a0000,十点\n1=7ea030b,ffffffff,今天\n"));
    OpenEditor();
    AnswerNextBox(editor, IDCANCEL);
    Click(IDC_CLEAR);
    EXPECT_EQ("确认？: 该操作将删除所有备忘数据，并且不可恢复，您确定要这么做吗？", BoxText);
    EXPECT_EQ(2, Rows());
    ASSERT_NE(nullptr, FirstMemo());

    AnswerNextBox(editor, IDOK);
    Click(IDC_CLEAR);
    EXPECT_EQ(0, Rows());
    EXPECT_EQ(nullptr, FirstMemo());
    // the hourly chime goes on
    EXPECT_EQ(ChimeEntry(), AlarmQueue);
    EXPECT_EQ(nullptr, AlarmQueue->queueNext);
    EXPECT_EQ((uint32_t)PACK_TIME(10, 0, 0), ChimeEntry()->time);
}

TEST_F(ReminderTest, AColumnClickSortsAscendingByThatColumn)
{
    Start(Ini(0, "[REMIND]\n0=2000000a,80000,b\n1=10000003,ffffffff,测试\n"
                 "2=7ea0101,0,a\n3=ffffffff,c0000,B\n"));
    OpenEditor();
    auto clickColumn = [&](int column) {
        NMLISTVIEW click;
        memset(&click, 0, sizeof click);
        click.hdr.hwndFrom = List();
        click.hdr.idFrom = IDC_LIST_VIEW;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageA(editor, WM_NOTIFY, IDC_LIST_VIEW, (LPARAM)&click);
    };
    clickColumn(0);
    EXPECT_EQ("B|a|测试|b|", Column(2));
    clickColumn(1);
    EXPECT_EQ("测试|a|b|B|", Column(2));
    clickColumn(2);
    EXPECT_EQ("B|a|b|测试|", Column(2));
    clickColumn(2);   // again: still ascending
    EXPECT_EQ("B|a|b|测试|", Column(2));
}

TEST_F(ReminderTest, ClosingAfterAChangeWritesTheFileAtOnce)
{
    Start(Ini(0));
    // no change: the close writes nothing
    OpenEditor();
    Close();
    DestroyWindow(editor);
    EXPECT_EQ(0, ConfigChanged);
    EXPECT_EQ(std::string::npos, ProgramFile("dlm.ini").find("[REMIND]\n0="));

    OpenEditor();
    SetPicker(IDC_MEMO_TIME, nullptr);
    AddText("第一行\r\n第二行");
    EXPECT_EQ(std::string::npos, ProgramFile("dlm.ini").find("第一行"));
    Close();
    EXPECT_EQ(0, ConfigChanged) << "saved: the exit has nothing left to write";
    // text mode: the lines may end in CR LF
    std::string file = ProgramFile("dlm.ini");
    EXPECT_NE(std::string::npos, file.find("[REMIND]\r\n0=7ea030b,ffffffff,第一行\\r\\n第二行\r\n")) << file;
}

TEST_F(ReminderTest, TheMenuCommandOpensTheEditorModally)
{
    Start(Ini(0));
    struct Closer {
        static void CALLBACK Close(HWND, UINT, UINT_PTR id, DWORD)
        {
            HWND dialog = FindWindowA("#32770", "电子备忘录");
            if (!dialog)
                return;
            KillTimer(0, id);
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        }
    };
    UINT_PTR timer = SetTimer(0, 0, 20, Closer::Close);
    EXPECT_EQ(0, SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_REMINDERS, 0), 0));
    KillTimer(0, timer);
    EXPECT_EQ(nullptr, FindWindowA("#32770", "电子备忘录"));
}
