#include "small_testutil.h"
#include <stdio.h>
#include <algorithm>
#include <string.h>
#include "../../winbase/latebind.h"
#include "../../app/shell.h"
#include "../../app/tray.h"
#include "../../dialogs/about.h"
#include "../../dialogs/settingsdialog.h"
#include "../../monthview/monthview.h"
#include "../../remind/remind.h"
#include "../../resources/resource.h"

std::vector<TrayCall> TrayCalls;
std::vector<int> ChimeArmed;
std::vector<ReminderEntry *> ChimeDisarmed;
ChooserScript Chooser;
std::vector<ShellOpenCall> ShellOpens;
INT_PTR ShellOpenResult;

void ReadIconPicture(HICON icon, TrayCall *into)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return;
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    into->width = bm.bmWidth;
    into->height = bm.bmHeight;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;   // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits((size_t)bm.bmWidth * bm.bmHeight);
    HDC screen = GetDC(0);
    GetDIBits(screen, info.hbmColor, 0, bm.bmHeight, bits.data(), &bi, DIB_RGB_COLORS);
    into->pixels.clear();
    for (DWORD b : bits)
        into->pixels.push_back(RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF));
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    GetDIBits(screen, info.hbmMask, 0, bm.bmHeight, bits.data(), &bi, DIB_RGB_COLORS);
    into->transparent.clear();
    for (DWORD b : bits)
        into->transparent.push_back((b & 0xFFFFFF) != 0);
    ReleaseDC(0, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

static BOOL WINAPI RecordTrayCall(DWORD message, PNOTIFYICONDATAW data)
{
    TrayCall call;
    call.message = message;
    call.size = data->cbSize;
    call.window = data->hWnd;
    call.id = data->uID;
    call.flags = data->uFlags;
    call.callback = data->uCallbackMessage;
    call.hasIcon = data->hIcon != 0;
    char *tip = GbkFromWide(data->szTip, (int)wcsnlen(data->szTip, 64));
    call.tip = tip ? tip : "";
    free(tip);
    call.width = call.height = 0;
    if (data->hIcon)
        ReadIconPicture(data->hIcon, &call);
    TrayCalls.push_back(call);
    return TRUE;
}

const TrayCall *LastTrayCall(DWORD message)
{
    for (size_t i = TrayCalls.size(); i-- > 0;)
        if (TrayCalls[i].message == message)
            return &TrayCalls[i];
    return nullptr;
}

static void RecordArm(int announce) { ChimeArmed.push_back(announce); }
static void RecordDisarm(ReminderEntry *entry) { ChimeDisarmed.push_back(entry); }

static BOOL WINAPI ScriptedChooser(LPCHOOSECOLORA choice)
{
    Chooser.calls++;
    Chooser.seen = *choice;
    if (choice->lpCustColors)
        memcpy(Chooser.customSeen, choice->lpCustColors, sizeof Chooser.customSeen);
    if (Chooser.customSlot >= 0 && choice->lpCustColors)
        choice->lpCustColors[Chooser.customSlot] = Chooser.custom;
    if (!Chooser.confirm)
        return FALSE;
    choice->rgbResult = Chooser.result;
    return TRUE;
}

static HINSTANCE WINAPI RecordShellOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                        INT show)
{
    ShellOpens.push_back(
        {verb ? verb : "<null>", file ? file : "<null>", parameters != nullptr, directory != nullptr, show});
    return (HINSTANCE)ShellOpenResult;
}

static void InstallRecorders()
{
    TrayCalls.clear();
    ChimeArmed.clear();
    ChimeDisarmed.clear();
    Chooser = ChooserScript();
    ShellOpens.clear();
    ShellOpenResult = 42;   // above 32: success
    ShellNotifyIcon = RecordTrayCall;
    ArmChime = RecordArm;
    DisarmChime = RecordDisarm;
    PickColour = ScriptedChooser;
    ShellOpen = RecordShellOpen;
}

void SmallWindowsTest::SetUp()
{
    savedClock = ReadLocalClock;
    ReadLocalClock = ReadTestClock;
    SetTestClock(2023, 1, 1, 10, 0, 0);   // a Sunday and 元旦
    InstallRecorders();
    ASSERT_EQ(1, StartProgramInTempDir(IniText()));
    // no auto-hide behind the test's back while it pumps messages
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
    DockWindowActive = 0;
}

void SmallWindowsTest::TearDown()
{
    StopProgram();
    ShellNotifyIcon = nullptr;
    ArmChime = ArmHourlyChime;
    DisarmChime = UnscheduleReminder;
    PickColour = LateChooseColorA;
    ShellOpen = LateShellExecuteA;
    ReadLocalClock = savedClock;
}

void SmallWindowsTest::Restart()
{
    std::string ini = ProgramFileText("dlm.ini");
    StopProgram();
    InstallRecorders();
    ASSERT_EQ(1, StartProgramInTempDir(ini == "<missing>" ? nullptr : ini.c_str()));
    KillTimer(MonthWindow, TIMER_AUTOHIDE);
    DockWindowActive = 0;
}

std::string ProgramFileText(const char *name)
{
    static char buffer[1 << 16];
    long n = ReadProgramFile(name, buffer, sizeof buffer);
    return n < 0 ? std::string("<missing>") : std::string(buffer, (size_t)n);
}

void WriteProgramFile(const char *name, const std::string &bytes)
{
    char path[MAX_PATH * 2];
    snprintf(path, sizeof path, "%s\\%s", ProgramDir(), name);
    FILE *f = fopen(path, "wb");
    ASSERT_NE(nullptr, f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

bool ProgramFileExists(const char *name)
{
    char path[MAX_PATH * 2];
    snprintf(path, sizeof path, "%s\\%s", ProgramDir(), name);
    // the name may hold wildcards ("dlm.ini.*.tmp")
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(path, &found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return true;
}

std::string WithoutCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

int CountColour(HDC dc, RECT box, COLORREF colour)
{
    int n = 0;
    for (int y = box.top; y < box.bottom; y++)
        for (int x = box.left; x < box.right; x++)
            n += GetPixel(dc, x, y) == colour;
    return n;
}
