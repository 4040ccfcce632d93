// Helpers of the settings, tray icon, sticky note and about box tests. The
// program runs in a fresh directory with recorders in place of the shell's
// icon call, the colour chooser, the chime and the link opener, so nothing
// reaches the real taskbar, no chooser or browser opens, and with a clock of
// the test's own, so that today is a date the test chose.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "fixture.h"
#include "../../calendar/calendar.h"
#include "../../records/records.h"

// One call of the shell for the tray icon, with the icon's pixels read at once
// (the program destroys its icon right after the call).
struct TrayCall {
    DWORD message;   // NIM_ADD, NIM_MODIFY, NIM_DELETE
    DWORD size;
    HWND window;
    UINT id, flags, callback;
    bool hasIcon;
    std::string tip;
    int width, height;
    std::vector<COLORREF> pixels;   // row by row from the top
    std::vector<int> transparent;   // the mask, 1 where the icon lets the screen through
};
extern std::vector<TrayCall> TrayCalls;
// The last call with this message, or null.
const TrayCall *LastTrayCall(DWORD message);
// Reads an icon's colour bitmap and mask into a TrayCall's picture fields.
void ReadIconPicture(HICON icon, TrayCall *into);

extern std::vector<int> ChimeArmed;                  // the announce flag of each ArmHourlyChime
extern std::vector<ReminderEntry *> ChimeDisarmed;   // each UnscheduleReminder

// What the colour chooser does when the program calls it.
struct ChooserScript {
    int calls = 0;
    CHOOSECOLORA seen = {};         // the structure as the program handed it over
    COLORREF customSeen[16] = {};   // its custom colours at that moment
    BOOL confirm = TRUE;            // TRUE: OK with result; FALSE: cancelled, nothing written
    COLORREF result = 0;
    int customSlot = -1;   // when >= 0, the user defines this custom colour
    COLORREF custom = 0;
};
extern ChooserScript Chooser;

struct ShellOpenCall {
    std::string verb, file;
    bool parameters, directory;
    INT show;
};
extern std::vector<ShellOpenCall> ShellOpens;
// What the recorder answers: above 32 for an opened link (the default), or an error.
extern INT_PTR ShellOpenResult;

struct SmallWindowsTest : public ::testing::Test {
    void (*savedClock)(SYSTEMTIME *) = nullptr;
    // The dlm.ini the program starts with; null for none.
    virtual const char *IniText() { return nullptr; }
    void SetUp() override;
    void TearDown() override;
    // Stops the program and starts it again (in a fresh directory) on the dlm.ini it left.
    void Restart();
};

std::string ProgramFileText(const char *name);
void WriteProgramFile(const char *name, const std::string &bytes);
bool ProgramFileExists(const char *name);
// "dlm.ini" is written in text mode: CR LF line ends on Windows.
std::string WithoutCarriageReturns(std::string text);
// The number of pixels of one colour in a rectangle of a device context.
int CountColour(HDC dc, RECT box, COLORREF colour);
