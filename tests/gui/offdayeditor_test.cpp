// The editor of the days off: add, select, change and delete reach the file
// at once, the month is redrawn, and the menu opens it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "dialog_testutil.h"
#include "fixture.h"
#include "../../app/shell.h"
#include "../../calendar/offdays.h"
#include "../../calendar/today.h"
#include "../../dialogs/offdayeditor.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"

namespace {

std::string FileText()
{
    char text[4096];
    long n = ReadProgramFile("offdays.txt", text, sizeof text - 1);
    return n < 0 ? std::string("(missing)") : std::string(text, (size_t)n);
}

void Command(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void PickDate(HWND dialog, int y, int m, int d)
{
    SYSTEMTIME st = {};
    st.wYear = (WORD)y;
    st.wMonth = (WORD)m;
    st.wDay = (WORD)d;
    SendDlgItemMessageA(dialog, IDC_OFFDAY_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st);
}

int Rows(HWND dialog) { return (int)SendDlgItemMessageA(dialog, IDC_OFFDAY_LIST, LB_GETCOUNT, 0, 0); }

std::string Row(HWND dialog, int i)
{
    char text[256] = "";
    SendDlgItemMessageA(dialog, IDC_OFFDAY_LIST, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
    return text;
}

struct OffDayEditorTest : public ProgramTest {
    HWND dialog = 0;
    void Open()
    {
        dialog = CreateDialogParamW(GetModuleHandleA(0), MAKEINTRESOURCEW(IDD_OFFDAYS), MonthWindow,
                                    OffDayEditorProc, 0);
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        ClearUserOffDays();
        ProgramTest::TearDown();
    }
};

TEST_F(OffDayEditorTest, AddChangeAndDeleteAreSavedAtOnce)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    Open();
    EXPECT_EQ(0, Rows(dialog));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_OFFDAY_REST));

    PickDate(dialog, 2027, 2, 6);
    SetDlgItemTextA(dialog, IDC_OFFDAY_NAME, "春节");
    Command(dialog, IDC_ADD);
    EXPECT_EQ("2027-02-06 休 春节\r\n", FileText());
    EXPECT_EQ(OFFDAY_REST, OffDayOn(PACK_DATE(2027, 2, 6), 0));
    ASSERT_EQ(1, Rows(dialog));
    EXPECT_EQ("2027-02-06 休 春节", Row(dialog, 0));

    // a selected row fills the fields; adding the same date again replaces it
    PickDate(dialog, 2027, 3, 1);
    SetDlgItemTextA(dialog, IDC_OFFDAY_NAME, "");
    SendDlgItemMessageA(dialog, IDC_OFFDAY_LIST, LB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_OFFDAY_LIST, LBN_SELCHANGE), 0);
    char name[64] = "";
    GetDlgItemTextA(dialog, IDC_OFFDAY_NAME, name, sizeof name);
    EXPECT_STREQ("春节", name);
    CheckRadioButton(dialog, IDC_OFFDAY_REST, IDC_OFFDAY_WORK, IDC_OFFDAY_WORK);
    Command(dialog, IDC_ADD);
    EXPECT_EQ("2027-02-06 班 春节\r\n", FileText());
    EXPECT_EQ(1, Rows(dialog));

    SendDlgItemMessageA(dialog, IDC_OFFDAY_LIST, LB_SETCURSEL, 0, 0);
    Command(dialog, IDC_DELETE);
    EXPECT_EQ("", FileText());
    EXPECT_EQ(0, Rows(dialog));
    EXPECT_EQ(OFFDAY_NONE, OffDayOn(PACK_DATE(2027, 2, 6), 0));
}

// A line the editor cannot read is listed as such, kept through an edit and
// not deleted by it.
TEST_F(OffDayEditorTest, AnUnreadableLineIsShownAndKept)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    std::string path = std::string(ProgramDir()) + "\\offdays.txt";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    DWORD written;
    WriteFile(f, "2027-13-01 休 坏\r\n", 18, &written, 0);
    CloseHandle(f);
    Open();
    ASSERT_EQ(1, Rows(dialog));
    EXPECT_EQ("（无法读取，不使用）2027-13-01 休 坏", Row(dialog, 0));
    SendDlgItemMessageA(dialog, IDC_OFFDAY_LIST, LB_SETCURSEL, 0, 0);
    Command(dialog, IDC_DELETE);
    PickDate(dialog, 2027, 2, 6);
    Command(dialog, IDC_ADD);
    EXPECT_EQ("2027-13-01 休 坏\r\n2027-02-06 休\r\n", FileText());
}

void OpenFromTheMenu() { SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_OFFDAYS, 0), 0); }
int CloseIt()
{
    HWND editor = FindDialogTitled("放假调休");
    if (!editor)
        return 1;
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

TEST_F(OffDayEditorTest, TheMenuOpensItModally)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    EXPECT_EQ(1, RunModalScript(OpenFromTheMenu, CloseIt));
}

}   // namespace
