// Quitting and the end of the session while a dialog is open, and the menu's
// dialog items while a modal dialog is open: the modal dialogs run for real,
// driven by a script from inside their loops.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include "dialog_testutil.h"
#include "fixture.h"
#include "../../app/shell.h"
#include "../../calendar/today.h"
#include "../../dialogs/dialogcalc.h"
#include "../../dialogs/dialogs.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"

namespace {

const PackedDate March5 = PACK_DATE(2026, 3, 5);

struct QuittingTest : ProgramTest {
    void SetUp() override
    {
        ProgramTest::SetUp();
        ASSERT_EQ(1, StartProgramInTempDir(0));
        KillTimer(MonthWindow, TIMER_AUTOHIDE);
        KillTimer(MonthWindow, TIMER_CLOCK);
    }
};

int Step;
HWND Info;
int OtherDialogSeen;
int ProgramAliveAfterCancel;

void OpenOnMarch5() { OpenDateInfo(MonthWindow, March5); }

void TypeInto(HWND dialog, const char *text)
{
    for (const unsigned char *p = (const unsigned char *)text; *p; p++)
        SendDlgItemMessageA(dialog, IDC_NOTE_TEXT, WM_CHAR, *p, 1);
}

// The tray menu's 退出 while the note holds unsaved text: the question closing
// asks comes; Cancel keeps the program, the dialog and the text; OK ends both.
int QuitFromTheMenuWithAnUnsavedNote()
{
    HWND box = FindDialogTitled("放弃更改");
    switch (Step) {
    case 0:
        Info = FindDialogTitled("日期信息");
        if (!Info)
            return 1;
        TypeInto(Info, "未存");
        PostMessageA(MonthWindow, WM_COMMAND, IDM_EXIT, 0);
        Step = 1;
        return 1;
    case 1:
        if (!box)
            return IsWindow(MonthWindow) ? 1 : 0;   // ended without asking: the test fails below
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        Step = 2;
        return 1;
    case 2:
        if (box)
            return 1;
        ProgramAliveAfterCancel = IsWindow(MonthWindow) && IsWindow(Info) &&
                                  SendDlgItemMessageA(Info, IDC_NOTE_TEXT, EM_GETMODIFY, 0, 0);
        PostMessageA(MonthWindow, WM_COMMAND, IDM_EXIT, 0);
        Step = 3;
        return 1;
    case 3:
        if (!box)
            return 1;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        Step = 4;
        return 0;
    }
    return 0;
}

TEST_F(QuittingTest, QuittingWithAnUnsavedNoteAsksWhatClosingAsks)
{
    Step = 0;
    ProgramAliveAfterCancel = 0;
    EXPECT_EQ(1, RunModalScript(OpenOnMarch5, QuitFromTheMenuWithAnUnsavedNote));
    EXPECT_EQ(4, Step);
    EXPECT_TRUE(ProgramAliveAfterCancel);
    PumpMessages(0);
    EXPECT_FALSE(IsWindow(MonthWindow));
    EXPECT_TRUE(QuitMessageSeen());
}

// The end of the session: nobody answers, the note is saved without a question.
int EndTheSessionWithAnUnsavedNote()
{
    Info = FindDialogTitled("日期信息");
    if (!Info)
        return 1;
    TypeInto(Info, "会话结束");
    EXPECT_TRUE(SendMessageA(MonthWindow, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(nullptr, FindDialogTitled("放弃更改"));
    SendMessageA(MonthWindow, WM_ENDSESSION, TRUE, 0);
    return 0;
}

TEST_F(QuittingTest, TheEndOfTheSessionSavesWhatADialogHolds)
{
    EXPECT_EQ(1, RunModalScript(OpenOnMarch5, EndTheSessionWithAnUnsavedNote));
    char file[4096];
    long n = ReadProgramFile("dlm.db", file, sizeof file);
    ASSERT_GT(n, 0);
    EXPECT_NE(file + n, std::search(file, file + n, "\xbb\xe1\xbb\xb0", "\xbb\xe1\xbb\xb0" + 4))
        << "会话 in GBK is in dlm.db";
}

// The menu's dialog items while the date information dialog is open.
int ChooseDialogItemsWhileOpen()
{
    static const int items[] = {IDM_SETTINGS, IDM_DATE_INFO, IDM_HOLIDAYS, IDM_OFFDAYS, IDM_REMINDERS, IDM_ABOUT};
    switch (Step) {
    case 0:
        Info = FindDialogTitled("日期信息");
        if (!Info)
            return 1;
        SetForegroundWindow(MonthWindow);   // as the popup menu does
        Step = 1;
        return 1;
    default:
        // a second dialog over the first: count it and let it go
        for (const char *title : {"系统设置", "节日设置", "放假调休", "电子备忘录", "关于Loomhouse"})
            if (HWND other = FindDialogTitled(title)) {
                OtherDialogSeen++;
                PostMessageA(other, WM_COMMAND, IDCANCEL, 0);
                return 1;
            }
        if (Step > 1) {
            EXPECT_EQ(Info, GetForegroundWindow()) << "after item " << Step - 2;
        }
        if (Step - 1 < (int)(sizeof items / sizeof items[0])) {
            SetForegroundWindow(MonthWindow);
            PostMessageA(MonthWindow, WM_COMMAND, items[Step - 1], 0);
            Step++;
            return 1;
        }
        PostMessageA(Info, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
}

TEST_F(QuittingTest, TheMenusDialogItemsBringTheOpenDialogForward)
{
    Step = 0;
    OtherDialogSeen = 0;
    EXPECT_EQ(1, RunModalScript(OpenOnMarch5, ChooseDialogItemsWhileOpen));
    EXPECT_EQ(0, OtherDialogSeen);
    EXPECT_EQ(nullptr, FindDialogTitled("日期信息"));
}

}   // namespace
