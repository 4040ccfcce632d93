// The editor of the days off and make-up workdays (template 122): the lines
// of the file beside the program. Each add or delete is on disk at once.
#include "dialogs.h"
#include "offdayeditor.h"
#include <commctrl.h>
#include <stdio.h>
#include <string.h>
#include "../app/shell.h"
#include "../calendar/offdays.h"
#include "../features/offdaysfile.h"
#include "../calendar/today.h"
#include "../monthview/monthview.h"
#include "../remind/remind.h"
#include "../resources/resource.h"

// The list's rows are the file's lines in order; a row's item data is its
// line index.
static void FillList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_OFFDAY_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < UserOffDayLineCount(); i++) {
        const OffDayLine *line = UserOffDayLine(i);
        if (!line->date && !line->bad)
            continue;   // blank lines and comments are kept in the file, not listed
        char row[1100];
        snprintf(row, sizeof row, "%s%s", line->bad ? "（无法读取，不使用）" : "", line->text);
        LRESULT at = SendTextGbk(list, LB_ADDSTRING, 0, row);
        if (at >= 0)
            SendMessageA(list, LB_SETITEMDATA, (WPARAM)at, (LPARAM)i);
    }
}

static void ShowChange(HWND dialog)
{
    FillList(dialog);
    PostCalendarChanged(CHANGED_OFFDAYS);
    // the workday memos follow the days off
    RequeueReminders();
}

static INT_PTR InitOffDayEditor(HWND dialog)
{
    // The limit counts UTF-16 units; a unit takes at most two bytes of GBK (a
    // four-byte character is two units), so whatever fits is saved whole.
    SendDlgItemMessageA(dialog, IDC_OFFDAY_NAME, EM_LIMITTEXT, (OFFDAY_NAME_SIZE - 1) / 2, 0);
    SendDlgItemMessageA(dialog, IDC_OFFDAY_DATE, DTM_SETFORMATA, 0, (LPARAM) "yyyy'-'MM'-'dd");
    SYSTEMTIME *st = SystemTimeFromPackedDate(ShownDate ? ShownDate : TodayDate.date);
    SendDlgItemMessageA(dialog, IDC_OFFDAY_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)st);
    CheckRadioButton(dialog, IDC_OFFDAY_REST, IDC_OFFDAY_WORK, IDC_OFFDAY_REST);
    // Read again: loomcal may have changed the file since start-up. A file that
    // exists but cannot be read is not written over.
    if (LoadOffDaysFile(OFFDAYS_FILE) != 0) {
        EnableWindow(GetDlgItem(dialog, IDC_ADD), FALSE);
        EnableWindow(GetDlgItem(dialog, IDC_DELETE), FALSE);
        SetItemTextGbk(dialog, IDC_OFFDAY_NOTE, "offdays.txt 无法读取，不能修改。");
    }
    FillList(dialog);
    return TRUE;
}

static void AddDay(HWND dialog)
{
    SYSTEMTIME st;
    if (SendDlgItemMessageA(dialog, IDC_OFFDAY_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&st) != GDT_VALID)
        return;
    char name[OFFDAY_NAME_SIZE];
    GetItemTextGbk(dialog, IDC_OFFDAY_NAME, name, sizeof name);
    const int kind = IsDlgButtonChecked(dialog, IDC_OFFDAY_WORK) == BST_CHECKED ? OFFDAY_WORK : OFFDAY_REST;
    if (SetUserOffDay(PackedDateFromSystemTime(&st), kind, name) != 0)
        return;
    SaveOffDaysNow(dialog);
    ShowChange(dialog);
}

static void DeleteDay(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_OFFDAY_LIST);
    LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row < 0)
        return;
    const OffDayLine *line = UserOffDayLine((int)SendMessageA(list, LB_GETITEMDATA, (WPARAM)row, 0));
    // an unreadable line is the user's to mend in the file; the editor leaves it
    if (!line || !line->date)
        return;
    DeleteUserOffDay(line->date);
    SaveOffDaysNow(dialog);
    ShowChange(dialog);
}

// A selected row fills the fields, so that a change is a select, edit, add.
static void RowSelected(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_OFFDAY_LIST);
    LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    const OffDayLine *line = row < 0 ? 0 : UserOffDayLine((int)SendMessageA(list, LB_GETITEMDATA, (WPARAM)row, 0));
    if (!line || !line->date)
        return;
    SendDlgItemMessageA(dialog, IDC_OFFDAY_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                        (LPARAM)SystemTimeFromPackedDate(line->date));
    CheckRadioButton(dialog, IDC_OFFDAY_REST, IDC_OFFDAY_WORK,
                     line->kind == OFFDAY_WORK ? IDC_OFFDAY_WORK : IDC_OFFDAY_REST);
    SetItemTextGbk(dialog, IDC_OFFDAY_NAME, line->name);
}

static INT_PTR OffDayEditorCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_ADD: AddDay(dialog); return TRUE;
    case IDC_DELETE: DeleteDay(dialog); return TRUE;
    case IDC_OFFDAY_LIST:
        if (code == LBN_SELCHANGE)
            RowSelected(dialog);
        return TRUE;
    case IDOK:   // Enter in the name: the default button's add
        AddDay(dialog);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK OffDayEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitOffDayEditor(dialog);
    case WM_COMMAND: return OffDayEditorCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default: return FALSE;
    }
}

LRESULT OpenOffDayEditor(HWND owner)
{
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_OFFDAYS), owner, OffDayEditorProc, 0);
    return 0;
}
