// The commands of the toolbar and the popup menu.
#include "shell.h"
#include "../calendar/calendar.h"
#include "../calendar/today.h"
#include "../dialogs/dialogs.h"
#include "../monthview/monthview.h"
#include "../remind/remind.h"
#include "../dialogs/memoeditor.h"
#include "../resources/resource.h"

static int ClampDay(int year, int month, int day)
{
    int length = DaysInMonth(year, month);
    return day < length ? day : length;
}

// The commands that open a modal dialog.
static int OpensModalDialog(int id)
{
    return id == IDM_ABOUT || id == IDM_DATE_INFO || id == IDM_HOLIDAYS || id == IDM_OFFDAYS ||
           id == IDM_REMINDERS || id == IDM_SETTINGS;
}

LRESULT OnMonthCommand(HWND window, int id, int code, LPARAM lParam)
{
    // One modal dialog at a time: the tray menu works while one is open, and
    // its dialog items bring that one forward instead of stacking another.
    if (OpensModalDialog(id) && BringModalDialogForward())
        return 0;
    PackedDate shown = ShownDate ? ShownDate : TodayDate.date;
    int y = DATE_YEAR(shown), m = DATE_MONTH(shown), d = DATE_DAY(shown);
    switch (id) {
    case IDM_PREV_YEAR: y -= 1; break;   // 29 Feb to a common year: DrawMonth makes it 1 Mar
    case IDM_NEXT_YEAR: y += 1; break;
    // Month 0 and 13 are left to DrawMonth, which rolls them into the
    // neighbouring year; both neighbours have 31 days, so no clamp is needed.
    case IDM_PREV_MONTH:
        m -= 1;
        if (m >= 1)
            d = ClampDay(y, m, d);
        break;
    case IDM_NEXT_MONTH:
        m += 1;
        if (m <= 12)
            d = ClampDay(y, m, d);
        break;
    case IDM_TODAY:
        y = DATE_YEAR(TodayDate.date);
        m = DATE_MONTH(TodayDate.date);
        d = DATE_DAY(TodayDate.date);
        break;
    case IDM_EXIT: return QuitProgram(window);
    case IDM_ABOUT: return OpenAboutBox(window);
    case IDM_STICKY_NOTE: return OpenStickyNote(window);
    case IDM_DATE_INFO: return OpenDateInfo(window, ShownDate);
    case IDM_HOLIDAYS: return OpenHolidayEditor(window);
    case IDM_OFFDAYS: return OpenOffDayEditor(window);
    case IDM_REMINDERS: return OpenMemoEditor(window);
    case IDM_SETTINGS: return OpenSettingsDialog(window);
    default: return DefWindowProcW(window, WM_COMMAND, MAKEWPARAM(id, code), lParam);
    }
    RECT rect = DrawingRect();
    DrawMonth(window, MemoryDC, PACK_DATE(y, m, d), &rect);
    return 0;
}

int ShowPopupMenu(HWND window)
{
    HMENU menu = LoadMenuW(AppInstance, MAKEINTRESOURCEW(IDR_POPUP_MENU));
    if (!menu)
        return 0;
    POINT cursor;
    GetCursorPos(&cursor);
    // A menu whose owner is not the foreground window is not dismissed by a
    // click elsewhere, and the next one may close as soon as it opens; the
    // calendar is shown without activation and the tray opens this menu too.
    SetForegroundWindow(window);
    TrackPopupMenuEx(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, window, 0);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return 0;
}
