// The date information dialog (template 121): the report of a date, its note and its mark.
#include "dateinfo.h"
#include "dialogs.h"
#include "dialogcalc.h"
#include "dialogkit.h"
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include "../app/shell.h"
#include "../calendar/names.h"
#include "../features/report.h"
#include "../calendar/strings.h"
#include "../calendar/today.h"
#include "../resources/resource.h"
#include "../records/settings.h"

static const char QueryTitle[] = " -- 节日快速查询 -- ";

// Set while the dialog moves the solar picker itself, so that a change
// notification the control may send is not taken for the user's choice.
static int MovingSolarPicker;

void AppendEditText(HWND edit, const char *text)
{
    if (!edit || !text)
        return;
    // One past the end: the control clamps it to the end of its text.
    LRESULT end = GetWindowTextLengthW(edit) + 1;
    SendMessageA(edit, EM_SETSEL, (WPARAM)end, (LPARAM)end);
    SendTextGbk(edit, EM_REPLACESEL, FALSE, text);
}

// ---- the pickers ----

static PackedDate PickerDate(HWND dialog, int id)
{
    SYSTEMTIME st;
    ZeroMemory(&st, sizeof st);
    if (SendDlgItemMessageA(dialog, id, DTM_GETSYSTEMTIME, 0, (LPARAM)&st) != GDT_VALID)
        return 0;
    return PACK_DATE(st.wYear, st.wMonth, st.wDay);
}

static void SetSolarPicker(HWND dialog, PackedDate date)
{
    SYSTEMTIME st;
    ZeroMemory(&st, sizeof st);
    st.wYear = (WORD)DATE_YEAR(date);
    st.wMonth = (WORD)DATE_MONTH(date);
    st.wDay = (WORD)DATE_DAY(date);
    st.wDayOfWeek = (WORD)WeekdayOf(date);
    MovingSolarPicker = 1;
    SendDlgItemMessageA(dialog, IDC_SOLAR_PICKER, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st);
    MovingSolarPicker = 0;
}

// The lunar choosers always show the lunar date of the date shown: the year
// list is fixed, the month list is that year's (with its leap month) and the
// day list that month's length. A date without a lunar date selects nothing.
static void FillLunarYears(HWND dialog)
{
    char text[16];
    for (int year = LUNAR_FIRST_YEAR; year <= LUNAR_LAST_YEAR; year++) {
        snprintf(text, sizeof text, "%d年", year);
        SendItemTextGbk(dialog, IDC_LUNAR_YEAR, CB_ADDSTRING, 0, text);
    }
}

static void SetLunarChoosers(HWND dialog, PackedDate date)
{
    const LunarChoice choice = LunarChoiceOf(date);
    HWND months = GetDlgItem(dialog, IDC_LUNAR_MONTH);
    HWND days = GetDlgItem(dialog, IDC_LUNAR_DAY);
    SendMessageA(months, CB_RESETCONTENT, 0, 0);
    SendMessageA(days, CB_RESETCONTENT, 0, 0);
    LunarMonthItem items[13];
    const int32_t n = choice.year < 0 ? 0 : LunarMonthItems(LUNAR_FIRST_YEAR + choice.year, items);
    char text[16];
    for (int32_t i = 0; i < n; i++) {
        LunarMonthItemText(items[i], text, sizeof text);
        SendTextGbk(months, CB_ADDSTRING, 0, text);
    }
    for (int32_t day = 1; day <= choice.days; day++)
        SendTextGbk(days, CB_ADDSTRING, 0, LunarDayName(day));
    SendDlgItemMessageA(dialog, IDC_LUNAR_YEAR, CB_SETCURSEL, (WPARAM)choice.year, 0);
    SendMessageA(months, CB_SETCURSEL, (WPARAM)choice.month, 0);
    SendMessageA(days, CB_SETCURSEL, (WPARAM)choice.day, 0);
}

// ---- the report and the note ----

static void ReplaceReport(void *context, const char *text) { SetTextGbk((HWND)context, text); }
static void AppendReport(void *context, const char *text) { AppendEditText((HWND)context, text); }

static void LoadNote(HWND dialog, PackedDate date)
{
    DayNoteView view = LoadDayNoteView(date);
    CheckDlgButton(dialog, IDC_MARK, view.mark ? BST_CHECKED : BST_UNCHECKED);
    SetItemTextGbk(dialog, IDC_NOTE_TEXT, view.text);
    // Loading is not an edit: the flag that starts a pending edit stays clear.
    SendDlgItemMessageA(dialog, IDC_NOTE_TEXT, EM_SETMODIFY, FALSE, 0);
}

void ShowDateReport(HWND dialog, PackedDate date)
{
    SetLunarChoosers(dialog, date);
    HWND pane = GetDlgItem(dialog, IDC_REPORT);
    if (pane) {
        TextSink sink = {ReplaceReport, AppendReport, pane};
        BuildDateReport(&sink, date, SolarTermsAreHolidays());
    }
    LoadNote(dialog, date);
}

// A date chosen some other way than with the solar picker moves the picker
// too: a save goes to the picker's date, which must be the date shown. The
// lunar choosers follow every date shown.
static void ShowChosenDate(HWND dialog, PackedDate date)
{
    SetSolarPicker(dialog, date);
    ShowDateReport(dialog, date);
}

// ---- the two states ----

void SetPendingEdit(HWND dialog, int on)
{
    EnableWindow(GetDlgItem(dialog, IDC_SOLAR_PICKER), !on);
    EnableWindow(GetDlgItem(dialog, IDC_LUNAR_YEAR), !on);
    EnableWindow(GetDlgItem(dialog, IDC_LUNAR_MONTH), !on);
    EnableWindow(GetDlgItem(dialog, IDC_LUNAR_DAY), !on);
    EnableWindow(GetDlgItem(dialog, IDC_HOLIDAY_QUERY), !on);
    ShowWindow(GetDlgItem(dialog, IDOK), on ? SW_SHOW : SW_HIDE);
}

static int EditPending(HWND dialog) { return !IsWindowEnabled(GetDlgItem(dialog, IDC_SOLAR_PICKER)); }

// ---- opening ----

static void FillHolidayQuery(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_HOLIDAY_QUERY);
    for (ListNode *node = HolidayList; node; node = node->next) {
        const HolidayEntry *e = (const HolidayEntry *)node->record;
        LRESULT i = SendTextGbk(list, CB_ADDSTRING, 0, e->name);
        if (i >= 0)
            SendMessageA(list, CB_SETITEMDATA, (WPARAM)i, (LPARAM)e->code);
    }
    // Inserted last, since an insert is never sorted: the title stays at 0
    // whatever the list's collation makes of its leading blank.
    SendTextGbk(list, CB_INSERTSTRING, 0, QueryTitle);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
}

// The report puts one tab after labels of four and five characters and two
// after shorter ones. With stops a little under four characters apart every
// value lands on the second stop, whatever the font's widths.
static void AlignReportValues(HWND pane)
{
    HDC dc = GetDC(pane);
    if (!dc)
        return;
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(pane, WM_GETFONT, 0, 0));
    SIZE three, four;
    BOOL measured =
        TextExtentGbk(dc, "本年闰", -1, &three) && TextExtentGbk(dc, "阳历日期", -1, &four);
    SelectObject(dc, old);
    ReleaseDC(pane, dc);
    if (!measured || four.cx <= three.cx)
        return;
    // Stops are given in dialog units, and controls differ in how they turn
    // those into pixels: a probe stop of 100 units shows this one's scale.
    UINT probe = 100;   // an array of unsigned int, one element: the distance between stops
    SetTextGbk(pane, "\tx");
    SendMessageA(pane, EM_SETTABSTOPS, 1, (LPARAM)&probe);
    int from = (short)LOWORD(SendMessageA(pane, EM_POSFROMCHAR, 0, 0));
    int to = (short)LOWORD(SendMessageA(pane, EM_POSFROMCHAR, 1, 0));
    if (to - from <= 0)
        return;
    UINT stop = (UINT)(((three.cx + four.cx) / 2) * 100 / (to - from));
    SendMessageA(pane, EM_SETTABSTOPS, 1, (LPARAM)&stop);
}

static INT_PTR InitDateInfo(HWND dialog, PackedDate date)
{
    if (!date)
        date = TodayDate.date;
    date = GetDayInfo(date)->packed;
    AlignReportValues(GetDlgItem(dialog, IDC_REPORT));
    FillLunarYears(dialog);
    SetSolarPicker(dialog, date);
    FillHolidayQuery(dialog);
    ShowDateReport(dialog, date);
    SetPendingEdit(dialog, 0);
    return TRUE;
}

// ---- choosing a date ----

static void PickedSolarDate(HWND dialog, const NMDATETIMECHANGE *change)
{
    if (MovingSolarPicker || change->dwFlags != GDT_VALID)
        return;
    SendDlgItemMessageA(dialog, IDC_HOLIDAY_QUERY, CB_SETCURSEL, 0, 0);
    ShowDateReport(dialog, PACK_DATE(change->st.wYear, change->st.wMonth, change->st.wDay));
}

static void ChoseLunar(HWND dialog, int id, int code)
{
    if (code != CBN_SELCHANGE)
        return;
    const int chooser = id == IDC_LUNAR_YEAR ? LUNAR_CHOOSER_YEAR
                        : id == IDC_LUNAR_MONTH ? LUNAR_CHOOSER_MONTH
                                                : LUNAR_CHOOSER_DAY;
    const int32_t index = (int32_t)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    SendDlgItemMessageA(dialog, IDC_HOLIDAY_QUERY, CB_SETCURSEL, 0, 0);
    ShowChosenDate(dialog, LunarChooserDate(PickerDate(dialog, IDC_SOLAR_PICKER), chooser, index));
}

static void ShowNoDate(HWND dialog, HWND list, LRESULT index, HolidayCode code)
{
    char name[HOLIDAY_NAME_MAX + 1];
    ComboTextGbk(list, (WPARAM)index, name, sizeof name);
    char line[HOLIDAY_NAME_MAX + 200];
    FormatNoDateLine(line, sizeof line, name, code, DATE_YEAR(TodayDate.date));
    SetItemTextGbk(dialog, IDC_REPORT, line);
}

static void ChoseHoliday(HWND dialog, int code)
{
    if (code != CBN_SELCHANGE)
        return;
    HWND list = GetDlgItem(dialog, IDC_HOLIDAY_QUERY);
    LRESULT i = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (i <= 0)
        return;   // the title item changes nothing
    HolidayCode rule = (HolidayCode)SendMessageA(list, CB_GETITEMDATA, (WPARAM)i, 0);
    PackedDate date = QuickLookupDate(rule);
    if (date)
        ShowChosenDate(dialog, date);
    else
        ShowNoDate(dialog, list, i, rule);   // no picker moves: there is no date to move to
}

// ---- editing and saving ----

static void NoteNotified(HWND dialog)
{
    if (SendDlgItemMessageA(dialog, IDC_NOTE_TEXT, EM_GETMODIFY, 0, 0))
        SetPendingEdit(dialog, 1);
}

// The note's text as typed, or "" when there is none; null when no buffer could be had.
static char *NoteText(HWND dialog) { return GetTextGbk(GetDlgItem(dialog, IDC_NOTE_TEXT)); }

// The grid paints marked days in the mark colour: it shows a changed mark now,
// not at some later redraw; the tray icon shows today's colour.
static void ShowMarkChange() { PostCalendarChanged(CHANGED_NOTES); }

static void SaveNote(HWND dialog)
{
    // Enter in a picker arrives here too; without an edit there is nothing to
    // save, and a note that could not be read must not be saved over.
    if (!EditPending(dialog))
        return;
    const int mark = IsDlgButtonChecked(dialog, IDC_MARK) == BST_CHECKED;
    char *text = NoteText(dialog);
    int markChanged = 0;
    int result =
        text ? SaveDayNote(PickerDate(dialog, IDC_SOLAR_PICKER), mark, text, &markChanged) : NOTE_SAVE_FAILED;
    free(text);
    if (result == NOTE_SAVE_FAILED)
        SaveErrorBox(dialog, MB_OK);
    else if (result != NOTE_SAVE_NOTHING)
        SaveNotesNow(dialog);
    if (markChanged)
        ShowMarkChange();
    HWND note = GetDlgItem(dialog, IDC_NOTE_TEXT);
    SendMessageA(note, EM_SETMODIFY, FALSE, 0);
    // The button that had the focus is about to be hidden.
    if (GetFocus() == GetDlgItem(dialog, IDOK))
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)note, TRUE);
    SetPendingEdit(dialog, 0);
}

// 1 when there is no unsaved edit or the user chose to drop it.
static int MayDropEdit(HWND dialog)
{
    return !EditPending(dialog) || MessageBoxGbk(dialog, "你所做的更改还未保存，确实要放弃保存，关闭该窗口吗？",
                                               "放弃更改", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

static void CloseDateInfo(HWND dialog)
{
    if (MayDropEdit(dialog))
        EndDialog(dialog, 0);
}

// The program is about to end: the question closing asks, or, when nobody
// can answer, the save.
static INT_PTR QueryQuit(HWND dialog, int nobodyCanAnswer)
{
    if (nobodyCanAnswer) {
        SaveNote(dialog);
        return AnswerQuitQuery(dialog, 0);
    }
    return AnswerQuitQuery(dialog, !MayDropEdit(dialog));
}

INT_PTR AnswerQuitQuery(HWND dialog, int keepOpen)
{
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, keepOpen ? QUIT_KEEP_OPEN : 0);
    return TRUE;
}

// ---- the procedure ----

static INT_PTR DateInfoCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK: SaveNote(dialog); return TRUE;
    case IDCANCEL: CloseDateInfo(dialog); return TRUE;
    case IDC_NOTE_TEXT: NoteNotified(dialog); return TRUE;
    case IDC_MARK: SetPendingEdit(dialog, 1); return TRUE;
    case IDC_HOLIDAY_QUERY: ChoseHoliday(dialog, code); return TRUE;
    case IDC_LUNAR_YEAR:
    case IDC_LUNAR_MONTH:
    case IDC_LUNAR_DAY: ChoseLunar(dialog, id, code); return TRUE;
    default: return FALSE;
    }
}

static INT_PTR DateInfoNotify(HWND dialog, const NMHDR *header)
{
    if (header->code != (UINT)DTN_DATETIMECHANGE)
        return FALSE;
    if (header->idFrom != IDC_SOLAR_PICKER)
        return FALSE;
    PickedSolarDate(dialog, (const NMDATETIMECHANGE *)header);
    return TRUE;
}

INT_PTR CALLBACK DateInfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitDateInfo(dialog, (PackedDate)lParam);
    case WM_COMMAND: return DateInfoCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: return DateInfoNotify(dialog, (const NMHDR *)lParam);
    case WM_QUERY_QUIT: return QueryQuit(dialog, (int)wParam);
    default: return FALSE;
    }
}

LRESULT OpenDateInfo(HWND owner, PackedDate date)
{
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_DATE_INFO), owner, DateInfoProc, (LPARAM)date);
    return 0;
}
