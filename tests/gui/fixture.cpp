// The in-process start and stop of the program for the GUI tests.
#include "fixture.h"
#include <stdio.h>
#include <string.h>
#include <stdlib.h>
#include "../../app/shell.h"
#include "../../app/tray.h"
#include "../../calendar/today.h"
#include "../../monthview/monthview.h"
#include "../../store/config.h"
#include "../../app/progdir.h"
#include "../../records/records.h"
#include "../../records/settings.h"
#include "../../resources/resource.h"

static char Dir[MAX_PATH];
static char CommandLineText[MAX_PATH + 32];
static int QuitSeen;
static int Counter;
static int CleanupRegistered;
static int FixedClockSet;   // the start put in the fixed day; the stop takes it out
static void (*ClockBeforeStart)(SYSTEMTIME *);

static const char *TestCommandLine() { return CommandLineText; }

// The in-process tests keep out of Wine's notification area: taking an icon
// out of it waits 2 s for a window manager that bare Xvfb does not have. The
// tray's own tests record the calls instead; the end-to-end run uses the real one.
static BOOL WINAPI NoNotificationArea(DWORD message, PNOTIFYICONDATAW data) { return TRUE; }

// The slides end where they end without their pauses; the start-up holiday
// alert alone spent a sixth of a second in them at every start on a holiday.
static void WINAPI NoPause(DWORD ms) {}

// Removes dir with its files and the folders tests made in it (loomcal's own).
static void RemoveDir(const char *dir)
{
    if (!dir[0])
        return;
    // The program made the directory current; let go of it first.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);
    char pattern[MAX_PATH * 2 + 4];
    snprintf(pattern, sizeof pattern, "%s\\*", dir);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(pattern, &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, ".."))
                continue;
            char path[MAX_PATH * 2];
            snprintf(path, sizeof path, "%s\\%s", dir, found.cFileName);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDir(path);
            else
                DeleteFileA(path);
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(dir);
}

static void RemoveLastDir()
{
    RemoveDir(Dir);
    Dir[0] = 0;
}

int StartProgramInTempDir(const char *iniText)
{
    if (!CleanupRegistered) {
        atexit(RemoveLastDir);
        CleanupRegistered = 1;
    }
    RemoveLastDir();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    size_t n = strlen(temp);
    if (n && temp[n - 1] == '\\')
        temp[n - 1] = 0;
    snprintf(Dir, sizeof Dir, "%s\\loomhouse-gui-%lu-%d-%lu", temp, (unsigned long)GetCurrentProcessId(),
             ++Counter, (unsigned long)GetTickCount());
    if (!CreateDirectoryA(Dir, 0))
        return 0;
    if (iniText) {
        char path[MAX_PATH * 2];
        snprintf(path, sizeof path, "%s\\dlm.ini", Dir);
        FILE *f = fopen(path, "wb");   // byte for byte: the tests compare it later
        if (!f)
            return 0;
        fwrite(iniText, 1, strlen(iniText), f);
        fclose(f);
    }
    snprintf(CommandLineText, sizeof CommandLineText, "\"%s\\Loomhouse.exe\"", Dir);
    ReadCommandLine = TestCommandLine;
    if (!ShellNotifyIcon)
        ShellNotifyIcon = NoNotificationArea;
    PauseSlide = NoPause;
    // A test that did not set a clock of its own runs at a fixed ordinary
    // time (a Wednesday without a holiday or a solar term, away from the
    // hour's chime), not on the day the suite happens to run: on a holiday
    // every start raised an alert.
    // (Compared with the test clock, not with GetLocalTime: the address of an
    // imported function differs between the program's code and the tests'.)
    if (ReadLocalClock != ReadTestClock) {
        ClockBeforeStart = ReadLocalClock;
        SetTestClock(2026, 3, 11, 9, 30, 0);
        ReadLocalClock = ReadTestClock;
        FixedClockSet = 1;
    }
    QuitSeen = 0;
    return InitApplication(GetModuleHandleA(0));
}

static void DispatchWaiting()
{
    MSG m;
    while (PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            QuitSeen = 1;
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void PumpMessages(int ms)
{
    DWORD end = GetTickCount() + (DWORD)ms;
    for (;;) {
        DispatchWaiting();
        int left = (int)(end - GetTickCount());
        if (left <= 0)
            return;
        MsgWaitForMultipleObjects(0, 0, FALSE, (DWORD)left, QS_ALLINPUT);
    }
}

int PumpMessagesUntil(const std::function<bool()> &done, int ms)
{
    DWORD end = GetTickCount() + (DWORD)ms;
    for (;;) {
        DispatchWaiting();
        if (done())
            return 1;
        int left = (int)(end - GetTickCount());
        if (left <= 0)
            return 0;
        // wakes for every message, and at least every 10 ms for what a
        // message does not announce (a file another writer replaced)
        MsgWaitForMultipleObjects(0, 0, FALSE, left < 10 ? (DWORD)left : 10, QS_ALLINPUT);
    }
}

void StopProgram()
{
    if (MonthWindow && IsWindow(MonthWindow)) {
        DestroyWindow(MonthWindow);
        // the shutdown posts the quit message: done as soon as it is taken,
        // not after a fixed wait
        PumpMessagesUntil([] { return QuitSeen != 0; }, 3000);
    } else {
        PumpMessages(0);
    }
    ReleaseInstanceGuard();
    UnregisterClassA(MONTH_CLASS, GetModuleHandleA(0));
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    memset(&Settings, 0, sizeof Settings);
    ConfigChanged = 0;
    ShownDate = 0;
    TodayDate.date = 0;
    TodayDate.weekday = 0;
    MonthWindow = 0;
    if (FixedClockSet && ReadLocalClock == ReadTestClock)
        ReadLocalClock = ClockBeforeStart;
    FixedClockSet = 0;
    MonthTooltip = 0;
    MonthToolbar = 0;
    DockWindowActive = 0;
    QuitSeen = 0;
}

const char *ProgramDir() { return Dir; }

long ReadProgramFile(const char *name, char *buffer, long size)
{
    char path[MAX_PATH * 2];
    snprintf(path, sizeof path, "%s\\%s", Dir, name);
    FILE *f = fopen(path, "rb");
    if (!f)
        return -1;
    long n = (long)fread(buffer, 1, (size_t)size, f);
    fclose(f);
    return n;
}

int QuitMessageSeen() { return QuitSeen; }

SYSTEMTIME TestClock;

void SetTestClock(int year, int month, int day, int hour, int minute, int second)
{
    memset(&TestClock, 0, sizeof TestClock);
    TestClock.wYear = (WORD)year;
    TestClock.wMonth = (WORD)month;
    TestClock.wDay = (WORD)day;
    TestClock.wDayOfWeek = (WORD)WeekdayOf(PACK_DATE(year, month, day));
    TestClock.wHour = (WORD)hour;
    TestClock.wMinute = (WORD)minute;
    TestClock.wSecond = (WORD)second;
}

void ReadTestClock(SYSTEMTIME *st) { *st = TestClock; }

void ModelessDialogTest::StartOnConfig(const char *iniText)
{
    ASSERT_EQ(1, StartProgramInTempDir(iniText));
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
    // Today is set by hand below: the clock's midnight check would see the
    // test clock's date differ and bring the month back to it.
    KillTimer(MonthWindow, TIMER_CLOCK);
    TodayDate.date = PACK_DATE(2026, 6, 1);
    TodayDate.weekday = 1;
}

HWND ModelessDialogTest::OpenModeless(int templateId, DLGPROC proc, LPARAM param)
{
    if (dialog)
        DestroyWindow(dialog);
    dialog = CreateDialogParamW(GetModuleHandleA(0), MAKEINTRESOURCEW(templateId), MonthWindow, proc, param);
    return dialog;
}

void ModelessDialogTest::TearDown()
{
    if (dialog)
        DestroyWindow(dialog);
    dialog = 0;
    StopProgram();
}
