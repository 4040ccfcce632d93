// The holiday editor (template 106): every holiday rule, built-in or the user's own.
#include "holidayeditor.h"
#include "dialogs.h"
#include "dialogcalc.h"
#include "dialogkit.h"
#include "listrows.h"
#include <commctrl.h>
#include <stdlib.h>
#include "../app/shell.h"
#include "../calendar/strings.h"
#include "../resources/resource.h"
#include "../store/config.h"

// The selectors as the first item of each is selected at the start, in that order.
static const int Selectors[] = {IDC_DIRECTION, IDC_WEEKDAY, IDC_WEEK_MONTH, IDC_ORDINAL, IDC_DAY, IDC_MONTH};

static int32_t Selection(HWND dialog, int id)
{
    return (int32_t)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

HolidayCode ReadHolidayCodeFromEditor(HWND dialog)
{
    HolidaySelection s;
    s.mode = IsDlgButtonChecked(dialog, IDC_HOLIDAY_SOLAR) == BST_CHECKED   ? HOLIDAY_MODE_SOLAR
             : IsDlgButtonChecked(dialog, IDC_HOLIDAY_LUNAR) == BST_CHECKED ? HOLIDAY_MODE_LUNAR
                                                                            : HOLIDAY_MODE_WEEK;
    s.month = Selection(dialog, IDC_MONTH);
    s.day = Selection(dialog, IDC_DAY);
    s.weekMonth = Selection(dialog, IDC_WEEK_MONTH);
    s.direction = Selection(dialog, IDC_DIRECTION);
    s.ordinal = Selection(dialog, IDC_ORDINAL);
    s.weekday = Selection(dialog, IDC_WEEKDAY);
    return HolidayCodeFromSelection(&s);
}

void FillHolidayDayList(HWND dialog, int lunar)
{
    const int32_t target = HolidayDayListLength(Selection(dialog, IDC_MONTH), lunar);
    if (target < 0)
        return;
    HWND days = GetDlgItem(dialog, IDC_DAY);
    const int32_t selection = (int32_t)SendMessageA(days, CB_GETCURSEL, 0, 0);
    int32_t count = (int32_t)SendMessageA(days, CB_GETCOUNT, 0, 0);
    // Only the end of the list changes; the items before it stay as they are.
    for (; count < target; count++) {
        char text[16];
        HolidaySelectorText(IDC_DAY, count, text, sizeof text);
        SendTextGbk(days, CB_ADDSTRING, 0, text);
    }
    for (; count > target; count--)
        SendMessageA(days, CB_DELETESTRING, (WPARAM)(count - 1), 0);
    SendMessageA(days, CB_SETCURSEL, (WPARAM)HolidayDaySelectionAfterResize(selection, target), 0);
}

// ---- opening ----

static void FillSelector(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    for (int32_t i = 0; i < HolidaySelectorCount(id); i++) {
        char text[32];
        HolidaySelectorText(id, i, text, sizeof text);
        SendTextGbk(list, CB_ADDSTRING, 0, text);
    }
}

static void ShowMode(HWND dialog, int mode)
{
    const int byDay = mode != HOLIDAY_MODE_WEEK;
    static const int DayRule[] = {IDC_MONTH, IDC_DAY};
    static const int WeekRule[] = {IDC_WEEK_MONTH, IDC_ORDINAL, IDC_WEEKDAY, IDC_DIRECTION};
    for (int id : DayRule)
        ShowWindow(GetDlgItem(dialog, id), byDay ? SW_SHOW : SW_HIDE);
    for (int id : WeekRule)
        ShowWindow(GetDlgItem(dialog, id), byDay ? SW_HIDE : SW_SHOW);
    if (byDay)
        FillHolidayDayList(dialog, mode == HOLIDAY_MODE_LUNAR);
}

static INT_PTR InitHolidayEditor(HWND dialog)
{
    SetDialogModified(dialog, 0);
    for (int id : Selectors)
        FillSelector(dialog, id);
    for (int id : Selectors)
        SendDlgItemMessageA(dialog, id, CB_SETCURSEL, 0, 0);
    CheckRadioButton(dialog, IDC_HOLIDAY_SOLAR, IDC_WEEKLY, IDC_HOLIDAY_SOLAR);
    ShowMode(dialog, HOLIDAY_MODE_SOLAR);

    HWND list = GetDlgItem(dialog, IDC_LIST_VIEW);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP |
                     LVS_EX_MULTIWORKAREAS);
    AddListColumn(list, 0, IDS_HOLIDAY, 130);
    AddListColumn(list, 1, IDS_DATE, 200);
    // Each row goes in at the top: the list shows the holidays in reverse order.
    for (ListNode *node = HolidayList; node; node = node->next)
        InsertCallbackRow(node, list);
    return TRUE;
}

// ---- the commands ----

static void ModeClicked(HWND dialog, int mode, int code)
{
    if (code == BN_CLICKED)
        ShowMode(dialog, mode);
}

static void MonthChanged(HWND dialog, int code)
{
    if (code == CBN_SELCHANGE)
        FillHolidayDayList(dialog, IsDlgButtonChecked(dialog, IDC_HOLIDAY_LUNAR) == BST_CHECKED);
}

static void NeedName(HWND dialog)
{
    MessageBoxGbk(dialog, LoadProgramString(IDS_NEED_HOLIDAY), LoadProgramString(IDS_ERROR),
                MB_OK | MB_ICONERROR);
}

static void AddFromEditor(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, IDC_NOTE_TEXT);
    char *name = GetTextGbk(edit);
    if (!name)
        return;   // out of memory: nothing added, nothing said
    ListNode *node = name[0] ? AddEditorHoliday(ReadHolidayCodeFromEditor(dialog), name) : 0;
    const int empty = !name[0];
    free(name);
    if (empty)
        NeedName(dialog);
    if (!node)
        return;
    InsertCallbackRow(node, GetDlgItem(dialog, IDC_LIST_VIEW));
    SetTextGbk(edit, "");
    SetDialogModified(dialog, 1);
}

static void DeleteSelected(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_LIST_VIEW);
    for (;;) {
        int i = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
        if (i < 0)
            break;
        LVITEMW item;
        ZeroMemory(&item, sizeof item);
        item.mask = LVIF_PARAM;
        item.iItem = i;
        SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&item);
        SendMessageA(list, LVM_DELETEITEM, (WPARAM)i, 0);
        RemoveHoliday((ListNode *)item.lParam);
        SetDialogModified(dialog, 1);
    }
}

static void ClearAll(HWND dialog)
{
    if (MessageBoxGbk(dialog, "该操作将删除所有节日数据，并且不可恢复，您确定要这么做吗？", "确认？",
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    SendDlgItemMessageA(dialog, IDC_LIST_VIEW, LVM_DELETEALLITEMS, 0, 0);
    ListFreeAll(&HolidayList);
    SetDialogModified(dialog, 1);
}

// Changes are in HolidayList already; closing (or quitting the program with
// the editor open) makes them show and puts them on disk.
static void KeepEditorChanges(HWND dialog)
{
    if (DialogModified(dialog)) {
        ConfigChanged = 1;
        PostCalendarChanged(CHANGED_HOLIDAYS | CHANGED_SHOW_TODAY);
        SaveConfigNow(dialog);
        SetDialogModified(dialog, 0);
    }
}

static void CloseEditor(HWND dialog)
{
    KeepEditorChanges(dialog);
    EndDialog(dialog, 0);
}

static INT_PTR HolidayEditorCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_HOLIDAY_SOLAR: ModeClicked(dialog, HOLIDAY_MODE_SOLAR, code); return TRUE;
    case IDC_HOLIDAY_LUNAR: ModeClicked(dialog, HOLIDAY_MODE_LUNAR, code); return TRUE;
    case IDC_WEEKLY: ModeClicked(dialog, HOLIDAY_MODE_WEEK, code); return TRUE;
    case IDC_MONTH: MonthChanged(dialog, code); return TRUE;
    case IDC_ADD: AddFromEditor(dialog); return TRUE;
    case IDC_DELETE: DeleteSelected(dialog); return TRUE;
    case IDC_CLEAR: ClearAll(dialog); return TRUE;
    case IDCANCEL: CloseEditor(dialog); return TRUE;
    default: return FALSE;
    }
}

// ---- the list view ----

static void RowText(NMLVDISPINFOW *info)
{
    if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        const ListNode *node = (const ListNode *)info->item.lParam;
        // GBK first: at most four bytes for each unit the row has room for
        char text[HOLIDAY_NAME_MAX + 1];
        const size_t room = (size_t)info->item.cchTextMax * 4;
        HolidayColumnText(node ? (const HolidayEntry *)node->record : 0, info->item.iSubItem, text,
                          room < sizeof text ? room : sizeof text);
        CopyGbkToWide(info->item.pszText, info->item.cchTextMax, text);
    }
}

static int CALLBACK ByName(LPARAM a, LPARAM b, LPARAM)
{
    return CompareHolidayNames((const HolidayEntry *)((ListNode *)a)->record,
                               (const HolidayEntry *)((ListNode *)b)->record);
}

static int CALLBACK ByCode(LPARAM a, LPARAM b, LPARAM)
{
    return CompareHolidayCodes((const HolidayEntry *)((ListNode *)a)->record,
                               (const HolidayEntry *)((ListNode *)b)->record);
}

static void SortByColumn(HWND list, int column)
{
    SendMessageA(list, LVM_SORTITEMS, 0, (LPARAM)(column == 0 ? ByName : ByCode));
}

static INT_PTR HolidayListNotify(HWND dialog, NMHDR *header)
{
    if (header->idFrom != IDC_LIST_VIEW)
        return FALSE;
    switch (header->code) {
    case LVN_GETDISPINFOW: RowText((NMLVDISPINFOW *)header); return TRUE;
    case LVN_COLUMNCLICK: SortByColumn(header->hwndFrom, ((NMLISTVIEW *)header)->iSubItem); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK HolidayEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitHolidayEditor(dialog);
    case WM_COMMAND: return HolidayEditorCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: return HolidayListNotify(dialog, (NMHDR *)lParam);
    case WM_QUERY_QUIT: KeepEditorChanges(dialog); return AnswerQuitQuery(dialog, 0);
    default: return FALSE;
    }
}

LRESULT OpenHolidayEditor(HWND owner)
{
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_HOLIDAYS), owner, HolidayEditorProc, 0);
    return 0;
}
