// Start-up, shutdown, the resources' strings and the midnight check, with the
// real program started inside the test process.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include "dialog_testutil.h"
#include "fixture.h"
#include "../../app/shell.h"
#include "../../calendar/calendar.h"
#include "../../calendar/strings.h"
#include "../../calendar/today.h"
#include "../../resources/resource.h"
#include "../../monthview/monthview.h"
#include "../../remind/remind.h"
#include "../../store/config.h"
#include "../../records/records.h"
#include "../../store/recordstore.h"
#include "../../records/settings.h"

namespace {

std::string ProgramFile(const char *name)
{
    static char buffer[65536];
    long n = ReadProgramFile(name, buffer, sizeof buffer);
    return n < 0 ? std::string("<missing>") : std::string(buffer, (size_t)n);
}

RECT WindowRect()
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(MonthWindow, &r);
    return r;
}

struct Startup : ProgramTest {};
struct Shutdown : ProgramTest {};
struct Resources : ProgramTest {};
struct Midnight : ProgramTest {};

#define EXPECT_RECT(r, l, t, ri, b)                                                                          \
    do {                                                                                                     \
        RECT rr_ = (r);                                                                                      \
        EXPECT_EQ(l, rr_.left);                                                                              \
        EXPECT_EQ(t, rr_.top);                                                                               \
        EXPECT_EQ(ri, rr_.right);                                                                            \
        EXPECT_EQ(b, rr_.bottom);                                                                            \
    } while (0)

}   // namespace

TEST_F(Startup, WithoutConfigurationTheWindowTakesTheDefaultPlaceAndStyles)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    ASSERT_TRUE(IsWindow(MonthWindow));
    EXPECT_RECT(WindowRect(), 250, 0, 600, 250);
    LONG ex = GetWindowLongA(MonthWindow, GWL_EXSTYLE);
    EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, ex & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_APPWINDOW));
    LONG style = GetWindowLongA(MonthWindow, GWL_STYLE);
    EXPECT_EQ((LONG)(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              style & (LONG)(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(IsWindowVisible(MonthWindow));
    EXPECT_EQ(1, (int)GetWindowLongPtrA(MonthWindow, GWLP_USERDATA));   // docked to the top
    char title[64] = "";
    GetWindowTextA(MonthWindow, title, sizeof title);
    EXPECT_STREQ(MONTH_TITLE, title);
    // shown without being activated
    EXPECT_NE(MonthWindow, GetActiveWindow());

    // The month is drawn into the client rectangle; MonthPos keeps the place on the screen.
    EXPECT_RECT(DrawingRect(), 0, 0, 350, 250);
    EXPECT_EQ(250, Settings.MonthPos.left);
    EXPECT_EQ(600, Settings.MonthPos.right);
    EXPECT_EQ(0x97u, Settings.flags);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), ScreenWidth);
    EXPECT_EQ(GetModuleHandleA(0), AppInstance);

    EXPECT_NE(0, TodayDate.date);
    EXPECT_EQ(TodayDate.date, ShownDate);
    EXPECT_EQ(WeekdayOf(TodayDate.date), TodayDate.weekday);
    ASSERT_NE(nullptr, ReminderList);   // the chime entry heads the list
    EXPECT_EQ(REMINDER_FIXED_SIZE, ReminderList->size);
    EXPECT_NE(nullptr, HolidayList);   // the built-in holidays
    EXPECT_NE(nullptr, MemoryDC);
    EXPECT_TRUE(IsWindow(MonthTooltip));
    EXPECT_EQ(MonthWindow,
              GetParent(MonthTooltip) ? GetParent(MonthTooltip) : GetWindow(MonthTooltip, GW_OWNER));
    StopProgram();
    // nothing changed, no file existed: none is made
    EXPECT_EQ("<missing>", ProgramFile("dlm.ini"));
}

TEST_F(Startup, PlacementComesFromTheConfigurationFile)
{
    ASSERT_EQ(1, StartProgramInTempDir("[CONTROL]\nMonthPos=100,200,400,420,0\n"
                                       "Color=ff8080,ffffff,ffff,ff,ff00\nControl=93\n"));
    EXPECT_RECT(WindowRect(), 100, 200, 400, 420);
    EXPECT_EQ(0, (int)GetWindowLongPtrA(MonthWindow, GWLP_USERDATA));
    EXPECT_EQ(300, DrawingRect().right);
    EXPECT_EQ(220, DrawingRect().bottom);
    EXPECT_EQ(0x93u, Settings.flags);
}

TEST_F(Startup, AMonthPosWithoutWidthOrHeightGetsEveryDefault)
{
    const char *files[] = {
        "[CONTROL]\nMonthPos=100,200,0,420,0\nControl=20\n",
        "[CONTROL]\nMonthPos=100,200,400,0,2\nControl=20\n",
        "[CONTROL]\nControl=20\n",
    };
    for (const char *ini : files) {
        SCOPED_TRACE(ini);
        ASSERT_EQ(1, StartProgramInTempDir(ini));
        EXPECT_RECT(WindowRect(), 250, 0, 600, 250);
        EXPECT_EQ(1, (int)GetWindowLongPtrA(MonthWindow, GWLP_USERDATA));
        EXPECT_EQ(0x97u, Settings.flags);
        EXPECT_EQ(0xFF8080u, Settings.colorBackground);
        StopProgram();
    }
}

TEST_F(Startup, ADockedWindowSlidAwayAtExitComesBackFlushWithItsEdge)
{
    ASSERT_EQ(1, StartProgramInTempDir("[CONTROL]\nMonthPos=250,-249,600,1,65537\nControl=97\n"));
    EXPECT_RECT(WindowRect(), 250, 0, 600, 250);
    EXPECT_EQ(1, (int)GetWindowLongPtrA(MonthWindow, GWLP_USERDATA));
}

// The first start showed a one-pixel line: the auto-hide check took the
// calendar away half a second after it came, with the mouse elsewhere.
TEST_F(Startup, TheCalendarStaysOutUntilTheMouseWasOverItOrForAWhile)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    SetCursorPos(900, 700);
    SendMessageA(MonthWindow, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_RECT(WindowRect(), 250, 0, 600, 250);
    // the time is up: the next check slides it away
    MonthHold.since -= SHOW_HOLD_MS;
    SendMessageA(MonthWindow, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ(-249, WindowRect().top);
    StopProgram();

    // the mouse came and went: away at once
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    SetCursorPos(400, 100);
    SendMessageA(MonthWindow, WM_TIMER, TIMER_AUTOHIDE, 0);
    SetCursorPos(900, 700);
    SendMessageA(MonthWindow, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ(-249, WindowRect().top);
}

TEST_F(Startup, ASecondStartBringsTheRunningCalendarOutAndEnds)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    HWND first = MonthWindow;
    SetCursorPos(900, 700);
    MonthHold.active = 0;
    SendMessageA(MonthWindow, WM_TIMER, TIMER_AUTOHIDE, 0);
    ASSERT_EQ(-249, WindowRect().top);
    EXPECT_EQ(0, InitApplication(GetModuleHandleA(0)));
    EXPECT_EQ(first, MonthWindow);
    PumpMessages(50);
    EXPECT_RECT(WindowRect(), 250, 0, 600, 250);
    // and held out like a start
    SendMessageA(MonthWindow, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ(0, WindowRect().top);
    EXPECT_TRUE(IsWindowVisible(first));
    HANDLE probe = CreateMutexA(0, FALSE, INSTANCE_MUTEX_NAME);
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    CloseHandle(probe);
    StopProgram();

    // Released by the fixture: the next start works and owns the name again.
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    EXPECT_EQ(0, InitApplication(GetModuleHandleA(0)));
}

TEST_F(Shutdown, AMovedWindowAloneLeavesTheFileByteForByte)
{
    // CR LF line ends and a comment-like extra line: a rewrite would change both.
    const char *ini = "[CONTROL]\r\nMonthPos=100,200,400,420,0\r\nControl=97\r\n"
                      "Color=ff8080,ffffff,ffff,ff,ff00\r\n[HOLIDAY]\r\n0=8449,元旦\r\n[REMIND]\r\n";
    ASSERT_EQ(1, StartProgramInTempDir(ini));
    SetWindowPos(MonthWindow, 0, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    StopProgram();
    EXPECT_EQ(std::string(ini), ProgramFile("dlm.ini"));
}

// A dialog's save writes the file at once; the exit then has nothing left to
// write. It used to write again, over what loomcal had changed meanwhile.
TEST_F(Shutdown, AfterASaveTheExitDoesNotWriteTheFileAgain)
{
    ASSERT_EQ(1, StartProgramInTempDir("[CONTROL]\nMonthPos=100,200,400,420,0\nControl=97\n"));
    ASSERT_EQ(1, SaveConfigNow(MonthWindow));
    EXPECT_EQ(0, ConfigChanged);
    EXPECT_NE(std::string::npos, ProgramFile("dlm.ini").find("\nControl=97\r\n"));
    // loomcal adds a memo while the program runs
    const std::string later = "[CONTROL]\r\nMonthPos=100,200,400,420,0\r\nControl=97\r\n[REMIND]\r\n0=1,2,later\r\n";
    char path[MAX_PATH * 2];
    snprintf(path, sizeof path, "%s\\dlm.ini", ProgramDir());
    FILE *f = fopen(path, "wb");
    ASSERT_NE(nullptr, f);
    fwrite(later.data(), 1, later.size(), f);
    fclose(f);
    StopProgram();
    EXPECT_EQ(later, ProgramFile("dlm.ini"));
}

char KeptBoxText[512];

int ReadTheKeptCopyBox()
{
    HWND box = FindDialogTitled("提示");
    if (!box)
        return 1;
    MessageBoxText(box, KeptBoxText, sizeof KeptBoxText);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

void SaveTheNotes() { SaveNotesNow(MonthWindow); }

// A note file that is not one (a changed first byte) is kept whole before the
// first save replaces it, and the user learns where.
TEST_F(Shutdown, ADamagedNoteFileIsKeptAndTheUserIsTold)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    StoreDiscard(DayNoteStore);
    const std::string foreign(300, 'x');
    FILE *f = fopen("dlm.db", "wb");   // the program's folder is the current one
    ASSERT_NE(nullptr, f);
    fwrite(foreign.data(), 1, foreign.size(), f);
    fclose(f);
    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    ASSERT_EQ(STORE_FILE_FOREIGN, DayNoteStore->fileState);
    StoreSetData(StoreAddItem(&DayNoteStore->root, PACK_DATE(2024, 1, 1)), "abc", 4);
    KeptBoxText[0] = 0;
    EXPECT_EQ(1, RunModalScript(SaveTheNotes, ReadTheKeptCopyBox));
    EXPECT_NE(nullptr, strstr(KeptBoxText, "dlm.db.damaged")) << KeptBoxText;
    EXPECT_EQ(foreign, ProgramFile("dlm.db.damaged"));
    StopProgram();
}

TEST_F(Shutdown, WithAChangeTheWindowPlacementIsWritten)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    SetWindowPos(MonthWindow, 0, 120, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowLongPtrA(MonthWindow, GWLP_USERDATA, 0);
    ConfigChanged = 1;
    StopProgram();
    std::string text = ProgramFile("dlm.ini");
    // text mode: the lines may end in CR LF
    EXPECT_EQ(0u, text.find("[CONTROL]")) << text;
    EXPECT_NE(std::string::npos, text.find("\nMonthPos=120,80,470,330,0\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\nControl=97\r\n")) << text;

    // and the next start puts the window there
    ASSERT_EQ(1, StartProgramInTempDir(text.c_str()));
    EXPECT_RECT(WindowRect(), 120, 80, 470, 330);
}

TEST_F(Shutdown, TheHiddenFlagAndDockStateAreSavedAsTheyAre)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    SetWindowPos(MonthWindow, 0, 250, -249, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowLongPtrA(MonthWindow, GWLP_USERDATA, 0x10001);
    ConfigChanged = 1;
    StopProgram();
    EXPECT_NE(std::string::npos, ProgramFile("dlm.ini").find("\nMonthPos=250,-249,600,1,65537\r\n"));
}

TEST_F(Shutdown, DestroyingTheWindowFreesTheSurfacesAndEndsTheLoop)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    ASSERT_NE(nullptr, MemoryDC);
    DestroyWindow(MonthWindow);
    PumpMessages(50);
    EXPECT_TRUE(QuitMessageSeen());
    EXPECT_EQ(nullptr, MemoryDC);
    EXPECT_EQ(nullptr, CanvasBitmap);
    EXPECT_EQ(nullptr, BackgroundBitmap);
}

TEST_F(Resources, TheStringTableHoldsTheBuiltInTexts)
{
    const int ids[] = {IDS_TIME,      IDS_REMIND,       IDS_NEED_MEMO_TEXT, IDS_ERROR,
                       IDS_DATE,      IDS_CHIME,        IDS_SOLAR_RULE,     IDS_LUNAR_RULE,
                       IDS_WEEK_RULE, IDS_NEED_HOLIDAY, IDS_HOLIDAY};
    char text[256];
    for (int id : ids) {
        SCOPED_TRACE(id);
        ASSERT_NE(nullptr, BuiltInString(id));
        ASSERT_GT(LoadStringA(GetModuleHandleA(0), id, text, sizeof text), 0);
        EXPECT_STREQ(BuiltInString(id), text);
    }
    EXPECT_EQ(0, LoadStringA(GetModuleHandleA(0), 113, text, sizeof text));

    // After start-up the program's strings come from the resources, and a
    // pointer handed out stays valid while other strings are loaded.
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    const char *chime = LoadProgramString(IDS_CHIME);
    for (int id : ids) {
        SCOPED_TRACE(id);
        const char *loaded = LoadProgramString(id);
        ASSERT_NE(nullptr, loaded);
        EXPECT_STREQ(BuiltInString(id), loaded);
        EXPECT_NE(BuiltInString(id), loaded);   // a copy from the resources, not the built-in text
    }
    EXPECT_STREQ("现在时刻：%d点整", chime);
}

// ---- the midnight check, with a clock the test sets ----

namespace {

void Tick() { ClockTick(MonthWindow, WM_TIMER, TIMER_CLOCK, GetTickCount()); }

}   // namespace

TEST_F(Midnight, TheClockTickMovesTodayOnWhenTheDateChanges)
{
    ReadLocalClock = ReadTestClock;
    SetTestClock(2004, 2, 28, 23, 59, 58);
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    EXPECT_EQ(PACK_DATE(2004, 2, 28), TodayDate.date);
    EXPECT_EQ(6, TodayDate.weekday);
    EXPECT_EQ(PACK_DATE(2004, 2, 28), ShownDate);

    // The user browses away; the same date keeps everything as it is.
    OnMonthCommand(MonthWindow, IDM_PREV_YEAR, 0, 0);
    ASSERT_EQ(PACK_DATE(2003, 2, 28), ShownDate);
    SetTestClock(2004, 2, 28, 23, 59, 59);
    Tick();
    EXPECT_EQ(0, CheckDateChange(MonthWindow));
    EXPECT_EQ(PACK_DATE(2004, 2, 28), TodayDate.date);
    EXPECT_EQ(PACK_DATE(2003, 2, 28), ShownDate);

    // Past midnight the next tick brings the new today into view.
    SetTestClock(2004, 2, 29, 0, 0, 0);
    Tick();
    EXPECT_EQ(PACK_DATE(2004, 2, 29), TodayDate.date);
    EXPECT_EQ(0, TodayDate.weekday);
    EXPECT_EQ(PACK_DATE(2004, 2, 29), ShownDate);
    EXPECT_EQ(0, CheckDateChange(MonthWindow));

    // Into the next month, and a clock set back by the user: both follow.
    SetTestClock(2004, 3, 1, 0, 0, 1);
    EXPECT_EQ(1, CheckDateChange(MonthWindow));
    EXPECT_EQ(PACK_DATE(2004, 3, 1), ShownDate);
    SetTestClock(2003, 12, 31, 9, 0, 0);
    EXPECT_EQ(1, CheckDateChange(MonthWindow));
    EXPECT_EQ(PACK_DATE(2003, 12, 31), TodayDate.date);
    EXPECT_EQ(PACK_DATE(2003, 12, 31), ShownDate);
}

TEST_F(Midnight, ATimeChangeShowsTodayEvenWhenTheDateStaysTheSame)
{
    ReadLocalClock = ReadTestClock;
    SetTestClock(2010, 6, 15, 12, 0, 0);
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    OnMonthCommand(MonthWindow, IDM_NEXT_MONTH, 0, 0);
    ASSERT_EQ(PACK_DATE(2010, 7, 15), ShownDate);
    SetTestClock(2010, 6, 15, 18, 30, 0);
    OnTimeChange(MonthWindow);
    EXPECT_EQ(PACK_DATE(2010, 6, 15), TodayDate.date);
    EXPECT_EQ(PACK_DATE(2010, 6, 15), ShownDate);
}
