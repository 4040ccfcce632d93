// Runs the program's real start-up and shutdown inside the test process, each
// time in a fresh temporary program directory.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include "../../calendar/calendar.h"

// Creates a fresh temporary directory, writes iniText there as "dlm.ini" when
// it is not null, makes the program believe its executable lives there and
// runs InitApplication. Returns 1 on success. Without a test clock set, the
// program runs on 2026-03-11 09:30 (TestClock) until StopProgram.
int StartProgramInTempDir(const char *iniText);
// Destroys the month window (which runs the shutdown and saves), pumps the
// remaining messages and releases the single-instance guard for the next start.
void StopProgram();
// The temporary program directory of the last start (Windows path, no trailing backslash).
const char *ProgramDir();
// Dispatches window messages for about ms milliseconds.
void PumpMessages(int ms);
// Dispatches window messages until done() holds (asked after each batch and at
// least every 10 ms), at most about ms milliseconds. 1 when done() held.
// Waiting for what a test expects ends as soon as it happened; a fixed wait
// must cover a loaded machine's worst case every time.
int PumpMessagesUntil(const std::function<bool()> &done, int ms);
// 1 once PumpMessages (or StopProgram) has taken the quit message of this run.
int QuitMessageSeen();
// Reads a whole file of the program directory; returns its size or -1.
long ReadProgramFile(const char *name, char *buffer, long size);

// A wall clock the test sets: SetTestClock, then ReadLocalClock = ReadTestClock.
extern SYSTEMTIME TestClock;
void SetTestClock(int year, int month, int day, int hour, int minute, int second);
void ReadTestClock(SYSTEMTIME *st);

// Tests that start the program themselves derive their fixture from this one:
// whatever way a test ends, a failed assertion included, the program is
// stopped (its single-instance guard released) and the clock put back.
struct ProgramTest : public ::testing::Test {
    void (*savedClock)(SYSTEMTIME *) = nullptr;
    void SetUp() override { savedClock = ReadLocalClock; }
    void TearDown() override
    {
        StopProgram();
        ReadLocalClock = savedClock;
    }
};

// The editors' tests: the program started on the test's configuration with
// today a fixed Monday (1 June 2026) and no timers of its own running, and one
// dialog of it opened modeless, so that the test can send it messages. Both
// end with the test.
struct ModelessDialogTest : public ::testing::Test {
    HWND dialog = 0;
    // In SetUp; wrap it in ASSERT_NO_FATAL_FAILURE.
    void StartOnConfig(const char *iniText);
    // Replaces the open dialog with a new one of that template.
    HWND OpenModeless(int templateId, DLGPROC proc, LPARAM param);
    void TearDown() override;
};
