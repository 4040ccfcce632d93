// The holiday editor: its modes and lists, the rules it builds, add, delete,
// clear-all and sorting against HolidayList, and what its close does.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include "dialog_testutil.h"
#include "fixture.h"
#include "../../app/shell.h"
#include "../../calendar/holiday.h"
#include "../../calendar/today.h"
#include "../../dialogs/dialogcalc.h"
#include "../../dialogs/dialogs.h"
#include "../../dialogs/holidayeditor.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"
#include "../../store/config.h"
#include "../../records/settings.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

const char ConfigText[] =
    "[CONTROL]\r\nMonthPos=250,0,600,250,0\r\nColor=ff8080,ffffff,ffff,ff,ff00\r\n"
    "Control=97\r\n[HOLIDAY]\r\n0=8449,元旦\r\n1=12545,春节\r\n2=17696,母亲节\r\n[REMIND]\r\n";

bool Shown(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}
int Count(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0); }
int Selected(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }

std::string ItemText(HWND dialog, int id, int index)
{
    char text[64] = "";
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
    return text;
}

void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

void Select(HWND dialog, int id, int index)
{
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, (WPARAM)index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, id));
}

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_LIST_VIEW); }
int Rows(HWND dialog) { return (int)SendMessageA(List(dialog), LVM_GETITEMCOUNT, 0, 0); }

// A row's text as the list view draws it: asked of the dialog on demand.
std::string Cell(HWND dialog, int row, int column)
{
    char text[260] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(List(dialog), LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
    return text;
}

ListNode *RowNode(HWND dialog, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(List(dialog), LVM_GETITEMA, 0, (LPARAM)&item);
    return (ListNode *)item.lParam;
}

std::vector<std::string> ListNames()
{
    std::vector<std::string> names;
    for (ListNode *n = HolidayList; n; n = n->next)
        names.push_back(((HolidayEntry *)n->record)->name);
    return names;
}

void TypeName(HWND dialog, const char *name) { SetDlgItemTextA(dialog, IDC_NOTE_TEXT, name); }
void Command(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

struct HolidayEditorTest : public ModelessDialogTest {
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartOnConfig(ConfigText));
        ASSERT_NE(nullptr, OpenModeless(IDD_HOLIDAYS, HolidayEditorProc, 0));
    }
};

TEST_F(HolidayEditorTest, OpensInSolarModeWithTheListsAndEveryHoliday)
{
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_HOLIDAY_SOLAR));
    EXPECT_TRUE(Shown(dialog, IDC_MONTH));
    EXPECT_TRUE(Shown(dialog, IDC_DAY));
    EXPECT_FALSE(Shown(dialog, IDC_WEEK_MONTH));
    EXPECT_FALSE(Shown(dialog, IDC_DIRECTION));
    EXPECT_FALSE(Shown(dialog, IDC_ORDINAL));
    EXPECT_FALSE(Shown(dialog, IDC_WEEKDAY));
    // the lists are filled (their texts are checked natively) with their first items selected
    const int lists[] = {IDC_WEEK_MONTH, IDC_MONTH, IDC_DIRECTION, IDC_DAY, IDC_ORDINAL, IDC_WEEKDAY};
    for (int id : lists) {
        EXPECT_EQ(HolidaySelectorCount(id), Count(dialog, id)) << id;
        EXPECT_EQ(0, Selected(dialog, id)) << id;
    }
    EXPECT_EQ("十二月", ItemText(dialog, IDC_MONTH, 11));
    // the list view shows HolidayList (元旦, 母亲节, 春节 as loaded) from its end
    ASSERT_EQ(3, Rows(dialog));
    EXPECT_EQ("春节", Cell(dialog, 0, 0));
    EXPECT_EQ("农历 01月01日", Cell(dialog, 0, 1));
    EXPECT_EQ("母亲节", Cell(dialog, 1, 0));
    EXPECT_EQ("五月正数第二个星期日", Cell(dialog, 1, 1));
    EXPECT_EQ("元旦", Cell(dialog, 2, 0));
    EXPECT_EQ(HolidayList, RowNode(dialog, 2));

    char title[32] = "";
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    SendMessageA(List(dialog), LVM_GETCOLUMNA, 0, (LPARAM)&column);
    EXPECT_STREQ("节日", title);
    EXPECT_EQ(130, column.cx);
    SendMessageA(List(dialog), LVM_GETCOLUMNA, 1, (LPARAM)&column);
    EXPECT_STREQ("日期", title);
    EXPECT_EQ(200, column.cx);
}

TEST_F(HolidayEditorTest, ModesAndTheDayList)
{
    Select(dialog, IDC_DAY, 30);    // the 31st
    Select(dialog, IDC_MONTH, 1);   // February: 29 days, the last of them selected
    EXPECT_EQ(29, Count(dialog, IDC_DAY));
    EXPECT_EQ(28, Selected(dialog, IDC_DAY));
    EXPECT_EQ("29日", ItemText(dialog, IDC_DAY, 28));
    EXPECT_EQ(0x221D, ReadHolidayCodeFromEditor(dialog));

    Click(dialog, IDC_HOLIDAY_LUNAR);
    for (int m = 0; m < 12; m++) {
        Select(dialog, IDC_MONTH, m);
        EXPECT_EQ(30, Count(dialog, IDC_DAY)) << m;
    }
    EXPECT_EQ("30日", ItemText(dialog, IDC_DAY, 29));
    Select(dialog, IDC_DAY, 29);
    EXPECT_EQ(0x3C1E, ReadHolidayCodeFromEditor(dialog));   // lunar 12/30

    Click(dialog, IDC_HOLIDAY_SOLAR);   // December: 31 again, the 30th kept
    EXPECT_EQ(31, Count(dialog, IDC_DAY));
    EXPECT_EQ(29, Selected(dialog, IDC_DAY));
    Select(dialog, IDC_MONTH, 3);   // April
    EXPECT_EQ(30, Count(dialog, IDC_DAY));

    Click(dialog, IDC_WEEKLY);
    EXPECT_FALSE(Shown(dialog, IDC_MONTH));
    EXPECT_FALSE(Shown(dialog, IDC_DAY));
    EXPECT_TRUE(Shown(dialog, IDC_WEEK_MONTH));
    EXPECT_TRUE(Shown(dialog, IDC_DIRECTION));
    EXPECT_TRUE(Shown(dialog, IDC_ORDINAL));
    EXPECT_TRUE(Shown(dialog, IDC_WEEKDAY));
    Select(dialog, IDC_WEEK_MONTH, 4);
    Select(dialog, IDC_ORDINAL, 1);
    EXPECT_EQ(0x4520, ReadHolidayCodeFromEditor(dialog));   // May, the second Sunday
    Select(dialog, IDC_WEEK_MONTH, 10);
    Select(dialog, IDC_DIRECTION, 1);
    Select(dialog, IDC_ORDINAL, 0);
    Select(dialog, IDC_WEEKDAY, 4);
    EXPECT_EQ(0x4B74, ReadHolidayCodeFromEditor(dialog));   // November, the last Thursday: k = 7
}

TEST_F(HolidayEditorTest, AddPutsTheHolidayAfterTheHeadAndAtTheTopOfTheList)
{
    Click(dialog, IDC_WEEKLY);
    Select(dialog, IDC_WEEK_MONTH, 7);   // August, the first Monday
    Select(dialog, IDC_WEEKDAY, 1);
    TypeName(dialog, "八月节");
    Command(dialog, IDC_ADD);
    EXPECT_EQ((std::vector<std::string>{"元旦", "八月节", "母亲节", "春节"}), ListNames());
    EXPECT_EQ(0x4811, ((HolidayEntry *)HolidayList->next->record)->code);
    ASSERT_EQ(4, Rows(dialog));
    EXPECT_EQ("八月节", Cell(dialog, 0, 0));
    EXPECT_EQ("八月正数第一个星期一", Cell(dialog, 0, 1));
    EXPECT_EQ(HolidayList->next, RowNode(dialog, 0));
    char name[16] = "x";
    GetDlgItemTextA(dialog, IDC_NOTE_TEXT, name, sizeof name);
    EXPECT_STREQ("", name);
    EXPECT_EQ(7, Selected(dialog, IDC_WEEK_MONTH));   // the selectors keep their values
    EXPECT_EQ(1, Selected(dialog, IDC_WEEKDAY));
    // the grid knows it at once: 2026-08-03 is the first Monday of August
    HolidayEntry *e = HolidaysOn(D(2026, 8, 3), 0);
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ("八月节", e->name);
}

TEST_F(HolidayEditorTest, DeletingTheHeadRecordKeepsTheOthersMatching)
{
    ListView_SetItemState(List(dialog), 2, LVIS_SELECTED, LVIS_SELECTED);   // 元旦, the head
    Command(dialog, IDC_DELETE);
    EXPECT_EQ((std::vector<std::string>{"母亲节", "春节"}), ListNames());
    ASSERT_EQ(2, Rows(dialog));
    EXPECT_EQ(nullptr, HolidaysOn(D(2026, 1, 1), 0));
    ASSERT_NE(nullptr, HolidaysOn(D(2026, 2, 17), 0));
    EXPECT_STREQ("春节", HolidaysOn(D(2026, 2, 17), 0)->name);
    ASSERT_NE(nullptr, HolidaysOn(D(2026, 5, 10), 0));

    // several at once
    ListView_SetItemState(List(dialog), 0, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(List(dialog), 1, LVIS_SELECTED, LVIS_SELECTED);
    Command(dialog, IDC_DELETE);
    EXPECT_EQ(nullptr, HolidayList);
    EXPECT_EQ(0, Rows(dialog));
}

TEST_F(HolidayEditorTest, SortingByNameAndByRule)
{
    TypeName(dialog, "Apple");
    Command(dialog, IDC_ADD);   // solar 1 January, like 元旦
    auto click = [this](int column) {
        NMLISTVIEW n = {};
        n.hdr.hwndFrom = List(dialog);
        n.hdr.idFrom = IDC_LIST_VIEW;
        n.hdr.code = LVN_COLUMNCLICK;
        n.iItem = -1;
        n.iSubItem = column;
        SendMessageA(dialog, WM_NOTIFY, IDC_LIST_VIEW, (LPARAM)&n);
    };
    click(0);
    // unsigned bytes: ASCII first, then 春 (B4BA), 母 (C4B8), 元 (D4AA)
    EXPECT_EQ("Apple", Cell(dialog, 0, 0));
    EXPECT_EQ("春节", Cell(dialog, 1, 0));
    EXPECT_EQ("母亲节", Cell(dialog, 2, 0));
    EXPECT_EQ("元旦", Cell(dialog, 3, 0));
    click(1);
    EXPECT_EQ(0x2101, ((HolidayEntry *)RowNode(dialog, 0)->record)->code);
    EXPECT_EQ(0x2101, ((HolidayEntry *)RowNode(dialog, 1)->record)->code);
    EXPECT_EQ("春节", Cell(dialog, 2, 0));
    EXPECT_EQ("母亲节", Cell(dialog, 3, 0));
    click(0);   // ascending again, never descending
    EXPECT_EQ("Apple", Cell(dialog, 0, 0));
    EXPECT_EQ(4u, ListNames().size());   // sorting leaves HolidayList alone
}

char BoxText[256], BoxTitle[64];
int Answer;

int AnswerTheBox()
{
    HWND box = 0;
    const char *titles[] = {"错误", "确认？"};
    for (const char *t : titles)
        if (!box && (box = FindDialogTitled(t)))
            strcpy(BoxTitle, t);
    if (!box)
        return 1;
    MessageBoxText(box, BoxText, sizeof BoxText);
    PostMessageA(box, WM_COMMAND, (WPARAM)Answer, 0);
    return 0;
}

HWND Editor;
void PressAdd() { SendMessageA(Editor, WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), 0); }
void PressClear() { SendMessageA(Editor, WM_COMMAND, MAKEWPARAM(IDC_CLEAR, BN_CLICKED), 0); }

TEST_F(HolidayEditorTest, AnEmptyNameIsRefused)
{
    Editor = dialog;
    Answer = IDOK;
    BoxText[0] = BoxTitle[0] = 0;
    EXPECT_EQ(1, RunModalScript(PressAdd, AnswerTheBox));
    EXPECT_STREQ("错误", BoxTitle);
    EXPECT_STREQ("请输入节日名称！", BoxText);
    EXPECT_EQ(3u, ListNames().size());
    EXPECT_EQ(3, Rows(dialog));
}

TEST_F(HolidayEditorTest, ClearAllAsksAndRemovesEveryHoliday)
{
    Editor = dialog;
    Answer = IDCANCEL;
    EXPECT_EQ(1, RunModalScript(PressClear, AnswerTheBox));
    EXPECT_STREQ("确认？", BoxTitle);
    EXPECT_STREQ("该操作将删除所有节日数据，并且不可恢复，您确定要这么做吗？", BoxText);
    EXPECT_EQ(3u, ListNames().size());
    EXPECT_EQ(3, Rows(dialog));

    Answer = IDOK;
    EXPECT_EQ(1, RunModalScript(PressClear, AnswerTheBox));
    EXPECT_EQ(nullptr, HolidayList);
    EXPECT_EQ(0, Rows(dialog));
    EXPECT_EQ(nullptr, HolidaysOn(D(2026, 2, 17), 0));
}

TEST_F(HolidayEditorTest, ClosingWithChangesRedrawsTodaysMonthAndWritesTheFile)
{
    ShownDate = D(2015, 8, 20);
    Click(dialog, IDC_HOLIDAY_LUNAR);
    Select(dialog, IDC_MONTH, 4);
    Select(dialog, IDC_DAY, 4);
    TypeName(dialog, "端午");
    Command(dialog, IDC_ADD);
    Command(dialog, IDCANCEL);
    PumpMessages(0);   // the redraw the editor posted
    EXPECT_EQ(0, ConfigChanged) << "saved: the exit has nothing left to write";
    EXPECT_EQ(TodayDate.date, ShownDate);
    char text[4096];
    long n = ReadProgramFile("dlm.ini", text, sizeof text - 1);
    ASSERT_GT(n, 0);
    text[n] = 0;
    EXPECT_NE(nullptr, strstr(text, "=13573,端午"));   // 0x3505, before any exit
}

TEST_F(HolidayEditorTest, ClosingWithoutChangesDoesNothing)
{
    ShownDate = D(2015, 8, 20);
    Click(dialog, IDC_WEEKLY);
    Select(dialog, IDC_WEEK_MONTH, 3);
    Command(dialog, IDCANCEL);
    EXPECT_EQ(0, ConfigChanged);
    EXPECT_EQ(D(2015, 8, 20), ShownDate);
    char text[4096];
    long n = ReadProgramFile("dlm.ini", text, sizeof text - 1);
    ASSERT_GT(n, 0);
    text[n] = 0;
    EXPECT_STREQ(ConfigText, text);   // the file the test wrote, untouched
}

void OpenFromTheMenu() { SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_HOLIDAYS, 0), 0); }
int EditorRows;

int CountRowsAndClose()
{
    HWND editor = FindDialogTitled("节日设置");
    if (!editor)
        return 1;
    EditorRows = Rows(editor);
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

TEST_F(HolidayEditorTest, TheMenuOpensItModally)
{
    EditorRows = -1;
    EXPECT_EQ(1, RunModalScript(OpenFromTheMenu, CountRowsAndClose));
    EXPECT_EQ(3, EditorRows);
}

}   // namespace
