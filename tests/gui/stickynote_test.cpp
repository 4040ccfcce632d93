// The sticky note: its place and docking, the bytes of its file, when it is
// saved, and reopening at start-up.
#include "small_testutil.h"
#include <string.h>
#include "../../app/shell.h"
#include "../../dialogs/dialogs.h"
#include "../../dialogs/stickynote.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"
#include "../../store/config.h"
#include "../../records/settings.h"

namespace {

struct StickyNoteTest : SmallWindowsTest {
    HWND Open()
    {
        EXPECT_EQ(0, OnMonthCommand(MonthWindow, IDM_STICKY_NOTE, 0, 0));
        EXPECT_NE(nullptr, StickyNoteWindow);
        if (StickyNoteWindow)
            KillTimer(StickyNoteWindow, TIMER_AUTOHIDE);
        return StickyNoteWindow;
    }
    HWND Edit() { return GetDlgItem(StickyNoteWindow, IDC_NOTE_TEXT); }
    // Keys as the message loop hands them to the edit control.
    void Type(const char *keys)
    {
        for (const char *k = keys; *k; k++)
            SendMessageA(Edit(), WM_CHAR, (WPARAM)(unsigned char)*k, 1);
    }
    std::string NoteText()
    {
        char text[4096] = "";
        GetWindowTextA(Edit(), text, sizeof text);
        return text;
    }
    void CloseNote() { SendMessageA(StickyNoteWindow, WM_COMMAND, IDCANCEL, 0); }
};

RECT WindowRect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

TEST_F(StickyNoteTest, OpensAtTheDefaultPlaceAndDocksAndSlidesLikeTheCalendar)
{
    HWND note = Open();
    ASSERT_NE(nullptr, note);
    char title[64] = "";
    GetWindowTextA(note, title, sizeof title);
    EXPECT_STREQ("便签", title);
    EXPECT_EQ(MonthWindow, GetWindow(note, GW_OWNER));
    RECT r = WindowRect(note);
    EXPECT_EQ(250, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(350, r.right - r.left);
    EXPECT_EQ(250, r.bottom - r.top);
    EXPECT_EQ(DOCK_TOP, GetDockState(note));
    EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
              GetWindowLongA(note, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    EXPECT_TRUE(Settings.flags & CTRL_NOTE_OPEN);
    EXPECT_EQ(0, ConfigChanged) << "opening the note changes nothing the file must keep";
    RECT client, edit;
    GetClientRect(note, &client);
    GetWindowRect(Edit(), &edit);
    EXPECT_EQ(client.right, edit.right - edit.left) << "the edit fills the note";
    EXPECT_EQ(client.bottom, edit.bottom - edit.top);

    // the command again makes no second note
    Open();
    EXPECT_EQ(note, StickyNoteWindow);

    // away from it with nothing active: it slides up; the frame brings it back
    DockWindowActive = 0;
    SetCursorPos(900, 600);
    SendMessageA(note, WM_TIMER, TIMER_AUTOHIDE, 0);
    EXPECT_EQ(1 - 250, WindowRect(note).top);
    EXPECT_EQ(DOCK_TOP | DOCK_HIDDEN, GetDockState(note));
    SendMessageA(note, WM_NCMOUSEMOVE, HTBOTTOM, MAKELPARAM(400, 0));
    EXPECT_EQ(0, WindowRect(note).top);
    EXPECT_EQ(DOCK_TOP, GetDockState(note));
    KillTimer(note, TIMER_AUTOHIDE);

    // dragged near the right edge it snaps flush to it and docks there
    SetDockState(note, DOCK_NONE);
    SendMessageA(note, WM_ENTERSIZEMOVE, 0, 0);
    RECT moving = {ScreenWidth - 380, 200, ScreenWidth - 30, 450};
    SendMessageA(note, WM_MOVING, WMSZ_LEFT, (LPARAM)&moving);
    EXPECT_EQ(ScreenWidth, moving.right);
    EXPECT_EQ(ScreenWidth - 350, moving.left);
    EXPECT_EQ(DOCK_RIGHT, GetDockState(note));
    SendMessageA(note, WM_EXITSIZEMOVE, 0, 0);
    KillTimer(note, TIMER_AUTOHIDE);
}

// A place kept from a monitor that is gone, at the opening and while open.
TEST_F(StickyNoteTest, ANoteNoMonitorShowsComesBackDockedAtTheTopOfTheScreen)
{
    Settings.NotePos = WindowPos{ScreenWidth + 500, 300, ScreenWidth + 850, 550, DOCK_RIGHT | DOCK_HIDDEN};
    HWND note = Open();
    ASSERT_NE(nullptr, note);
    RECT r = WindowRect(note);
    EXPECT_EQ(ScreenWidth - 350, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(DOCK_TOP, GetDockState(note));

    SetWindowPos(note, HWND_TOPMOST, -2000, 300, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    SetDockState(note, DOCK_LEFT);
    SendMessageA(note, WM_DISPLAYCHANGE, 32, 0);
    r = WindowRect(note);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(DOCK_TOP, GetDockState(note));
    KillTimer(note, TIMER_AUTOHIDE);
}

TEST_F(StickyNoteTest, LineBreaksAreWrittenAsThreeBytesAndAnEmptyNoteLeavesAnEmptyFile)
{
    Open();
    Type("a\rb");   // Enter arrives as a carriage return
    EXPECT_EQ("a\r\nb", NoteText());
    CloseNote();
    EXPECT_EQ(nullptr, StickyNoteWindow);
    EXPECT_FALSE(Settings.flags & CTRL_NOTE_OPEN);
    EXPECT_EQ(std::string("\x61\x0D\x0D\x0A\x62"), ProgramFileText("便签.txt"));
    EXPECT_FALSE(ProgramFileExists("便签.txt.*.tmp"));

    Open();
    EXPECT_EQ("a\r\nb", NoteText());
    EXPECT_EQ(2, (int)SendMessageA(Edit(), EM_GETLINECOUNT, 0, 0));
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    SendMessageA(Edit(), WM_CLEAR, 0, 0);
    CloseNote();
    EXPECT_EQ("", ProgramFileText("便签.txt"));
}

TEST_F(StickyNoteTest, AFileOfAnotherEditorShowsItsLines)
{
    WriteProgramFile("便签.txt", std::string("第一行\r\n第二行\r\n最后\x1A后面不算", 31));
    Open();
    EXPECT_EQ(3, (int)SendMessageA(Edit(), EM_GETLINECOUNT, 0, 0));
    EXPECT_EQ("第一行\r\n第二行\r\n最后", NoteText());
    CloseNote();
    EXPECT_EQ("第一行\r\r\n第二行\r\r\n最后", ProgramFileText("便签.txt"));
}

TEST_F(StickyNoteTest, ReopensWithTheCaretAtTheEndAndNothingSelected)
{
    WriteProgramFile("便签.txt", "旧的便签");
    Open();
    auto expectCaretAtTheEnd = [this](const char *when) {
        DWORD from = 0, to = 0;
        SendMessageA(Edit(), EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
        EXPECT_EQ((DWORD)GetWindowTextLengthW(Edit()), from) << when;
        EXPECT_EQ(from, to) << when;
    };
    expectCaretAtTheEnd("opened");
    SetForegroundWindow(MonthWindow);
    SetForegroundWindow(StickyNoteWindow);
    expectCaretAtTheEnd("activated");
    Type("x");
    EXPECT_EQ("旧的便签x", NoteText()) << "the first key replaced the note";
}

// Correction: typing reaches the file while the note is open, not only at its close.
TEST_F(StickyNoteTest, TypingIsSavedWithinTwoSecondsAndWhenTheNoteIsLeft)
{
    EXPECT_EQ(2000u, NoteSaveDelay);
    // the same timer on a shorter delay: the test need not wait two seconds
    NoteSaveDelay = 300;
    Open();
    Type("x");
    DWORD first = GetTickCount();
    EXPECT_FALSE(ProgramFileExists("便签.txt"));
    PumpMessages(100);
    Type("y");   // typing on does not put the save off
    while (!ProgramFileExists("便签.txt") && GetTickCount() - first < 2000)
        PumpMessages(20);
    DWORD saved = GetTickCount() - first;
    NoteSaveDelay = NOTE_SAVE_DELAY;
    EXPECT_GE(saved, 280u);
    EXPECT_LE(saved, 900u);
    EXPECT_EQ("xy", ProgramFileText("便签.txt"));

    // nothing typed since: the save timer is off, so no more writes
    EXPECT_FALSE(KillTimer(StickyNoteWindow, TIMER_NOTE_SAVE));
    PumpMessages(100);
    EXPECT_EQ("xy", ProgramFileText("便签.txt"));

    // leaving the note saves what was typed at once
    Type("\rz");
    SendMessageA(StickyNoteWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(0, DockWindowActive);
    EXPECT_EQ("xy\r\r\nz", ProgramFileText("便签.txt"));
    EXPECT_TRUE(IsWindow(StickyNoteWindow));
}

TEST_F(StickyNoteTest, OpenAtExitItReopensAtTheNextStartWhereItWas)
{
    HWND note = Open();
    SetWindowPos(note, HWND_TOPMOST, 0, 100, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    SetDockState(note, DOCK_LEFT);
    Type("留着");
    ConfigChanged = 1;   // something else the file must keep
    // the end of the logon: the note is destroyed and saved before the settings are written
    SendMessageA(MonthWindow, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(nullptr, StickyNoteWindow);
    EXPECT_EQ("留着", ProgramFileText("便签.txt"));
    const std::string ini = WithoutCarriageReturns(ProgramFileText("dlm.ini"));
    EXPECT_NE(std::string::npos, ini.find("\nNotePos=0,100,350,350,2\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("\nControl=d7\n")) << ini;

    Restart();
    ASSERT_NE(nullptr, StickyNoteWindow);
    RECT r = WindowRect(StickyNoteWindow);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(100, r.top);
    EXPECT_EQ(350, r.bottom);
    EXPECT_EQ(DOCK_LEFT, GetDockState(StickyNoteWindow));

    // closed by the user, it stays closed
    CloseNote();
    EXPECT_FALSE(Settings.flags & CTRL_NOTE_OPEN);
}

}   // namespace

namespace {

int CALLBACK CountFace(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found)
{
    ++*(int *)found;
    return 1;
}

}   // namespace

// The note's close box (a tool window's caption button) is the letter "r" of
// Marlett, an X; a prefix without that font showed a plain "r" there.
TEST_F(StickyNoteTest, TheCloseBoxFontDrawsAnX)
{
    HDC dc = CreateCompatibleDC(0);
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    strcpy(lf.lfFaceName, "Marlett");
    int found = 0;
    EnumFontFamiliesExA(dc, &lf, CountFace, (LPARAM)&found, 0);
    EXPECT_GT(found, 0) << "no Marlett font in the prefix";

    // the glyph drawn as the caption draws it: an X is its own mirror image, an r is not
    HBITMAP bitmap = CreateCompatibleBitmap(GetDC(0), 32, 32);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT box = {0, 0, 32, 32};
    FillRect(dc, &box, (HBRUSH)GetStockObject(WHITE_BRUSH));
    HFONT font = CreateFontA(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "r", 1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    int left = 32, right = -1, ink = 0, mirrored = 0;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            if (GetPixel(dc, x, y) == RGB(0, 0, 0)) {
                ink++;
                left = x < left ? x : left;
                right = x > right ? x : right;
            }
    for (int y = 0; y < 32; y++)
        for (int x = left; x <= right; x++)
            mirrored += GetPixel(dc, x, y) == RGB(0, 0, 0) && GetPixel(dc, left + right - x, y) == RGB(0, 0, 0);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ASSERT_GT(ink, 20);
    EXPECT_GE(mirrored * 10, ink * 9) << mirrored << " of " << ink << " inked pixels have a mirror image";
}
