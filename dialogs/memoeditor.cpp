// The memo editor (template 108): adds, deletes, clears and sorts the memos of
// ReminderList, and exports the calendar as an iCalendar file. Every change
// goes to the list and the alarm queue at once; a close after a change writes
// "dlm.ini" at once.
#include "../remind/remind.h"
#include "memoeditor.h"
#include <commctrl.h>
#include <commdlg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "../winbase/latebind.h"
#include "../app/shell.h"
#include "../features/ics.h"
#include "../calendar/memo.h"
#include "../calendar/names.h"
#include "../calendar/strings.h"
#include "../calendar/today.h"
#include "dialogs.h"
#include "dialogkit.h"
#include "listrows.h"
#include "../resources/resource.h"
#include "../store/fileio.h"
#include "../records/gbk.h"

static HWND MemoList(HWND dialog) { return GetDlgItem(dialog, IDC_LIST_VIEW); }

// The memo node a row refers to.
static ListNode *RowNode(HWND list, int row)
{
    LVITEMW item;
    memset(&item, 0, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&item))
        return 0;
    return (ListNode *)item.lParam;
}

// The seven mode buttons in the order of the MEMO_* modes.
static const int ModeRadios[7] = {IDC_MEMO_DATED,        IDC_MEMO_MONTHLY,  IDC_WEEKLY,    IDC_MEMO_YEARLY,
                                  IDC_MEMO_LUNAR_YEARLY, IDC_MEMO_WORKDAYS, IDC_MEMO_DAILY};

// Dated mode shows the date picker, monthly the day list, weekly the weekday
// list, yearly the month and day lists, lunar yearly the lunar month list,
// the leap box and the lunar day list; the workday and daily modes need none
// of them.
static void ShowMemoMode(HWND dialog, int radio)
{
    static const struct {
        int control, radio;
    } shown[] = {
        {IDC_MEMO_DATE, IDC_MEMO_DATED},
        {IDC_DAY, IDC_MEMO_MONTHLY},
        {IDC_WEEKDAY, IDC_WEEKLY},
        {IDC_YEARLY_MONTH, IDC_MEMO_YEARLY},
        {IDC_YEARLY_DAY, IDC_MEMO_YEARLY},
        {IDC_LUNAR_MONTH, IDC_MEMO_LUNAR_YEARLY},
        {IDC_LUNAR_LEAP, IDC_MEMO_LUNAR_YEARLY},
        {IDC_LUNAR_DAY, IDC_MEMO_LUNAR_YEARLY},
    };
    for (const auto &s : shown)
        ShowWindow(GetDlgItem(dialog, s.control), radio == s.radio ? SW_SHOW : SW_HIDE);
}

static void SelectMode(HWND dialog, int radio)
{
    for (int id : ModeRadios)
        CheckDlgButton(dialog, id, id == radio ? BST_CHECKED : BST_UNCHECKED);
    ShowMemoMode(dialog, radio);
}

// The Gregorian day list holds the days of the chosen month (29 for
// February); a day the month lacks gives way to its last day.
static void FillYearlyDays(HWND dialog)
{
    HWND days = GetDlgItem(dialog, IDC_YEARLY_DAY);
    int month = (int)SendDlgItemMessageA(dialog, IDC_YEARLY_MONTH, CB_GETCURSEL, 0, 0);
    int target = YearlyDayCount(0, month < 0 ? 0 : month);
    int selection = (int)SendMessageA(days, CB_GETCURSEL, 0, 0);
    int count = (int)SendMessageA(days, CB_GETCOUNT, 0, 0);
    for (; count < target; count++) {
        char text[16];
        snprintf(text, sizeof text, "%d日", count + 1);
        SendTextGbk(days, CB_ADDSTRING, 0, text);
    }
    for (; count > target; count--)
        SendMessageA(days, CB_DELETESTRING, (WPARAM)(count - 1), 0);
    if (selection < 0)
        selection = 0;
    SendMessageA(days, CB_SETCURSEL, (WPARAM)(selection < target ? selection : target - 1), 0);
}

// The month and day lists of the two yearly modes, at today's date and
// today's lunar date.
static void FillYearlyLists(HWND dialog, const SYSTEMTIME *now)
{
    char text[16];
    for (int month = 1; month <= 12; month++) {
        snprintf(text, sizeof text, "%d月", month);
        SendItemTextGbk(dialog, IDC_YEARLY_MONTH, CB_ADDSTRING, 0, text);
        snprintf(text, sizeof text, "%s月", LunarMonthName(month));
        SendItemTextGbk(dialog, IDC_LUNAR_MONTH, CB_ADDSTRING, 0, text);
    }
    for (int day = 1; day <= 30; day++)
        SendItemTextGbk(dialog, IDC_LUNAR_DAY, CB_ADDSTRING, 0, LunarDayName(day));
    SendDlgItemMessageA(dialog, IDC_YEARLY_MONTH, CB_SETCURSEL, (WPARAM)(now->wMonth - 1), 0);
    FillYearlyDays(dialog);
    SendDlgItemMessageA(dialog, IDC_YEARLY_DAY, CB_SETCURSEL, (WPARAM)(now->wDay - 1), 0);
    const CalendarDay *lunar = GetDayInfo(PackedDateFromSystemTime(now));
    const int valid = lunar->lunarValid;
    SendDlgItemMessageA(dialog, IDC_LUNAR_MONTH, CB_SETCURSEL, (WPARAM)(valid ? lunar->lunarMonth - 1 : 0),
                        0);
    SendDlgItemMessageA(dialog, IDC_LUNAR_DAY, CB_SETCURSEL, (WPARAM)(valid ? lunar->lunarDay - 1 : 0), 0);
    CheckDlgButton(dialog, IDC_LUNAR_LEAP, valid && lunar->isLeapMonth ? BST_CHECKED : BST_UNCHECKED);
}

// The widths are made for a 12-pixel font; a larger one would cut the
// dates and times, so a column is at least as wide as its longest such text.
static int ColumnWidth(HWND list, int width, const char *widest)
{
    if (widest) {
        int needed = (int)SendTextGbk(list, LVM_GETSTRINGWIDTHW, 0, widest) + 14;
        if (needed > width)
            return needed;
    }
    return width;
}

static INT_PTR InitMemoEditor(HWND dialog)
{
    char text[32];
    for (int day = 1; day <= 31; day++) {
        snprintf(text, sizeof text, "每月%d日", day);
        SendItemTextGbk(dialog, IDC_DAY, CB_ADDSTRING, 0, text);
    }
    for (int weekday = 0; weekday < 7; weekday++) {
        snprintf(text, sizeof text, "星期%s", WeekdayName(weekday));
        SendItemTextGbk(dialog, IDC_WEEKDAY, CB_ADDSTRING, 0, text);
    }
    SendDlgItemMessageA(dialog, IDC_DAY, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageA(dialog, IDC_WEEKDAY, CB_SETCURSEL, 0, 0);
    // Both pickers start at the program's clock with their boxes checked.
    SYSTEMTIME now;
    ReadLocalClock(&now);
    SendDlgItemMessageA(dialog, IDC_MEMO_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&now);
    SendDlgItemMessageA(dialog, IDC_MEMO_TIME, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&now);
    FillYearlyLists(dialog, &now);
    SelectMode(dialog, IDC_MEMO_DATED);

    HWND list = MemoList(dialog);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP |
                     LVS_EX_MULTIWORKAREAS);
    AddListColumn(list, 0, IDS_DATE, ColumnWidth(list, 70, "农历每年闰12月30日"));
    AddListColumn(list, 1, IDS_TIME, ColumnWidth(list, 60, "00:00:00"));
    AddListColumn(list, 2, IDS_REMIND, 400);
    // Each row goes on top, so the list shows ReminderList in reverse order.
    for (ListNode *node = FirstMemo(); node; node = node->next)
        InsertCallbackRow(node, list);
    SetDialogModified(dialog, 0);
    return TRUE;
}

static int MemoMode(HWND dialog)
{
    for (int mode = MEMO_DAILY; mode > MEMO_DATED; mode--)
        if (IsDlgButtonChecked(dialog, ModeRadios[mode]) == BST_CHECKED)
            return mode;
    return MEMO_DATED;
}

static int ListIndex(HWND dialog, int id)
{
    LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    return index < 0 ? 0 : (int)index;
}

// The memo text as typed, whole; AddReminder cuts it to its limit on a whole
// character. Null when memory ran out.
static char *ReadMemoText(HWND dialog)
{
    return GetTextGbk(GetDlgItem(dialog, IDC_NOTE_TEXT));
}

static void AddMemo(HWND dialog)
{
    char *text = ReadMemoText(dialog);
    if (!text)
        return;
    if (!text[0]) {
        free(text);
        MessageBoxGbk(dialog, LoadProgramString(IDS_NEED_MEMO_TEXT), LoadProgramString(IDS_ERROR),
                    MB_OK | MB_ICONERROR);
        return;
    }
    SYSTEMTIME date, time;
    memset(&date, 0, sizeof date);
    memset(&time, 0, sizeof time);
    int hasDate =
        SendDlgItemMessageA(dialog, IDC_MEMO_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&date) == GDT_VALID;
    int hasTime =
        SendDlgItemMessageA(dialog, IDC_MEMO_TIME, DTM_GETSYSTEMTIME, 0, (LPARAM)&time) == GDT_VALID;
    const int mode = MemoMode(dialog);
    uint32_t when;
    if (mode == MEMO_YEARLY)
        when =
            YearlyMemoWhenFrom(0, ListIndex(dialog, IDC_YEARLY_MONTH), ListIndex(dialog, IDC_YEARLY_DAY), 0);
    else if (mode == MEMO_LUNAR_YEARLY)
        when = YearlyMemoWhenFrom(1, ListIndex(dialog, IDC_LUNAR_MONTH), ListIndex(dialog, IDC_LUNAR_DAY),
                                  IsDlgButtonChecked(dialog, IDC_LUNAR_LEAP) == BST_CHECKED);
    else
        when = MemoWhenFrom(mode, hasDate, hasDate ? PackedDateFromSystemTime(&date) : 0,
                            ListIndex(dialog, IDC_DAY), ListIndex(dialog, IDC_WEEKDAY));
    uint32_t at = MemoTimeFrom(hasTime, time.wHour, time.wMinute, time.wSecond);
    int failed = AddReminder(when, at, text);
    free(text);
    if (failed)
        return;   // no memory: nothing added, nothing said
    // AddReminder puts the new memo directly after the chime entry.
    ListNode *node = FirstMemo();
    InsertCallbackRow(node, MemoList(dialog));
    ScheduleReminder((ReminderEntry *)node->record);
    SetItemTextGbk(dialog, IDC_NOTE_TEXT, "");
    SetDialogModified(dialog, 1);
}

static void DeleteSelectedMemos(HWND dialog)
{
    HWND list = MemoList(dialog);
    int row;
    while ((row = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED)) != -1) {
        ListNode *node = RowNode(list, row);
        SendMessageA(list, LVM_DELETEITEM, (WPARAM)row, 0);
        if (node) {
            UnscheduleReminder((ReminderEntry *)node->record);
            ListFreeNode(node);
        }
        SetDialogModified(dialog, 1);
    }
}

static void ClearMemos(HWND dialog)
{
    if (MessageBoxGbk(dialog, "该操作将删除所有备忘数据，并且不可恢复，您确定要这么做吗？", "确认？",
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    // The rows refer to the nodes about to be freed.
    SendMessageA(MemoList(dialog), LVM_DELETEALLITEMS, 0, 0);
    ClearAllMemos();
    SetDialogModified(dialog, 1);
}

// The export button: the holidays, solar terms and memos of this year and
// the next two, to a file the user names.
static void ExportCalendar(HWND dialog)
{
    char path[MAX_PATH] = "Loomhouse.ics";
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "iCalendar 日历文件 (*.ics)\0*.ics\0所有文件 (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrTitle = "导出日历";
    ofn.lpstrDefExt = "ics";
    // The program's data files are named relative to the current folder,
    // which the save dialog must leave alone.
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!LateGetSaveFileNameA(&ofn))
        return;
    ExportCalendarTo(dialog, path);
}

int ExportCalendarTo(HWND owner, const char *path)
{
    const int year = DATE_YEAR(TodayDate.date);
    int32_t events = 0;
    if (ExportIcsFile(path, year, year + 2, 0, &events) == SAVE_OK) {
        // A file written without a word looks like nothing happened.
        char done[MAX_PATH + 160];
        snprintf(done, sizeof done, "已导出 %d 个事件（%d年至%d年的节日、节气和备忘）到：\r\n%s", (int)events,
                 year, year + 2, path);
        MessageBoxGbk(owner, done, "导出日历", MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    MessageBoxGbk(owner, "导出日历时出现错误，文件未能保存！", LoadProgramString(IDS_ERROR),
                MB_OK | MB_ICONERROR);
    return 0;
}

// Saved means on disk: a crash or a kill after the editor closed (or the
// program ended with it open) loses no memo.
static void KeepMemoChanges(HWND dialog)
{
    if (DialogModified(dialog) && SaveConfigNow(dialog))
        SetDialogModified(dialog, 0);
}

static void CloseMemoEditor(HWND dialog)
{
    KeepMemoChanges(dialog);
    EndDialog(dialog, 0);
}

static void MemoItemText(NMLVDISPINFOW *info)
{
    LVITEMW *item = &info->item;
    if (!(item->mask & LVIF_TEXT) || !item->pszText || item->cchTextMax <= 0)
        return;
    const ListNode *node =
        item->lParam ? (const ListNode *)item->lParam : RowNode(info->hdr.hwndFrom, item->iItem);
    if (!node) {
        item->pszText[0] = 0;
        return;
    }
    const ReminderEntry *memo = (const ReminderEntry *)node->record;
    // GBK first: at most four bytes for each unit the row has room for
    char line[1024];
    const size_t size = (size_t)item->cchTextMax * 4 < sizeof line ? (size_t)item->cchTextMax * 4 : sizeof line;
    const char *text;
    switch (item->iSubItem) {
    case 0: text = FormatMemoWhen(memo->when); break;
    case 1: text = FormatPackedTime((PackedTime)memo->time); break;
    default: FormatAlertLine(line, size, memo->text); text = line; break;
    }
    // 00:00:00 has no text form either, like no time at all
    CopyGbkToWide(item->pszText, item->cchTextMax, text ? text : "[无]");
}

// The tip of a row shows the whole memo text, line breaks and all.
static void MemoInfoTip(NMLVGETINFOTIPW *tip)
{
    if (!tip->pszText || tip->cchTextMax <= 0)
        return;
    const ListNode *node = RowNode(tip->hdr.hwndFrom, tip->iItem);
    if (node)
        CopyGbkToWide(tip->pszText, tip->cchTextMax, ((const ReminderEntry *)node->record)->text);
}

static int CALLBACK CompareMemoRows(LPARAM a, LPARAM b, LPARAM column)
{
    return CompareMemos((const ReminderEntry *)((const ListNode *)a)->record,
                        (const ReminderEntry *)((const ListNode *)b)->record, (int)column);
}

static INT_PTR MemoNotify(HWND dialog, NMHDR *header)
{
    if (header->idFrom != IDC_LIST_VIEW)
        return FALSE;
    switch (header->code) {
    case LVN_GETDISPINFOW: MemoItemText((NMLVDISPINFOW *)header); return TRUE;
    case LVN_GETINFOTIPW: MemoInfoTip((NMLVGETINFOTIPW *)header); return TRUE;
    // ascending by the clicked column, each time anew
    case LVN_COLUMNCLICK:
        SendMessageA(header->hwndFrom, LVM_SORTITEMS, (WPARAM)((NMLISTVIEW *)header)->iSubItem,
                     (LPARAM)CompareMemoRows);
        return TRUE;
    default: return FALSE;
    }
}

static INT_PTR MemoCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_MEMO_DATED:
    case IDC_MEMO_MONTHLY:
    case IDC_WEEKLY:
    case IDC_MEMO_YEARLY:
    case IDC_MEMO_LUNAR_YEARLY:
    case IDC_MEMO_WORKDAYS:
    case IDC_MEMO_DAILY: ShowMemoMode(dialog, id); return TRUE;
    case IDC_YEARLY_MONTH:
        if (code == CBN_SELCHANGE)
            FillYearlyDays(dialog);
        return TRUE;
    case IDC_EXPORT: ExportCalendar(dialog); return TRUE;
    case IDC_ADD: AddMemo(dialog); return TRUE;
    case IDC_DELETE: DeleteSelectedMemos(dialog); return TRUE;
    case IDC_CLEAR: ClearMemos(dialog); return TRUE;
    case IDCANCEL: CloseMemoEditor(dialog); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK MemoEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitMemoEditor(dialog);
    case WM_COMMAND: return MemoCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: return MemoNotify(dialog, (NMHDR *)lParam);
    case WM_CLOSE: CloseMemoEditor(dialog); return TRUE;
    case WM_QUERY_QUIT: KeepMemoChanges(dialog); return AnswerQuitQuery(dialog, 0);
    default: return FALSE;
    }
}

LRESULT OpenMemoEditor(HWND owner)
{
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_MEMOS), owner, MemoEditorProc, 0);
    return 0;
}
