// The navigation toolbar over the weekday band, its tips, and the hit test of
// the per-day tooltips.
#include <stdio.h>
#include "monthview.h"
#include "../winbase/latebind.h"
#include "../winbase/program.h"
#include "../calendar/today.h"
#include "../resources/resource.h"
#include "../records/settings.h"

HWND MonthTooltip;
HWND MonthToolbar;
static WNDPROC ToolbarPreviousProc;
// The toolbar appears with the first mouse move over the weekday band, so a
// click on the band in the same motion would hit a button nobody has seen
// (六 quits, 二 changes the month). Its buttons act only after it has been
// shown for a moment.
static int ToolbarArmed;

static const int ToolbarCommands[7] = {
    IDM_PREV_YEAR, IDM_NEXT_YEAR, IDM_PREV_MONTH, IDM_NEXT_MONTH, IDM_TODAY, IDM_SETTINGS, IDM_EXIT,
};

// The pictures are a size wide and one pixel less high (the bottom row is unused).
static HIMAGELIST LoadToolbarImages(int bitmapId, int size)
{
    HIMAGELIST list = LateImageList_Create(size, size - 1, ILC_MASK | ILC_COLOR16, 0, 5);
    HBITMAP bitmap = LoadBitmapA(AppInstance, MAKEINTRESOURCEA(bitmapId));
    if (list && bitmap)
        LateImageList_AddMasked(list, bitmap, CLR_DEFAULT);
    if (bitmap)
        DeleteObject(bitmap);
    return list;
}

void SetToolbarPictures(HWND toolbar)
{
    // drawn at the size for the month window's scale, not enlarged
    const int size = ToolbarPictureSize(MonthDpi);
    const int plain = size == 32 ? IDB_TOOLBAR_32 : size == 24 ? IDB_TOOLBAR_24 : IDB_TOOLBAR;
    const int hot = size == 32 ? IDB_TOOLBAR_HOT_32 : size == 24 ? IDB_TOOLBAR_HOT_24 : IDB_TOOLBAR_HOT;
    HIMAGELIST old = (HIMAGELIST)SendMessageA(toolbar, TB_SETIMAGELIST, 0, (LPARAM)LoadToolbarImages(plain, size));
    if (old)
        LateImageList_Destroy(old);
    old = (HIMAGELIST)SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, (LPARAM)LoadToolbarImages(hot, size));
    if (old)
        LateImageList_Destroy(old);
}

HWND CreateMonthToolbar(HWND window)
{
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                                   WS_CHILD | CCS_TOP | CCS_NODIVIDER | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT, 0, 0,
                                   0, 0, window, (HMENU)(INT_PTR)IDC_TOOLBAR, AppInstance, NULL);
    if (!toolbar)
        return NULL;
    MonthToolbar = toolbar;
    // 20 bytes on 32-bit Windows; the 64-bit structure is padded to 32
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SetToolbarPictures(toolbar);
    for (int i = 0; i < 7; i++) {
        TBBUTTON button = {};
        button.iBitmap = i;
        button.idCommand = ToolbarCommands[i];
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = TBSTYLE_BUTTON;
        button.iString = -1;
        SendMessageA(toolbar, TB_INSERTBUTTONA, i, (LPARAM)&button);
    }
    // one button over each weekday column
    UINT width = (UINT)MonthDrawingRect.right / 7;
    SendMessageA(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, HEADER_HEIGHT));
    ToolbarPreviousProc = (WNDPROC)SetWindowLongPtrW(toolbar, GWLP_WNDPROC, (LONG_PTR)ToolbarSubclassProc);
    // The calendar is shown without being activated and seldom becomes the
    // active window; a tooltip without this style shows only for one that is.
    HWND tips = (HWND)SendMessageA(toolbar, TB_GETTOOLTIPS, 0, 0);
    if (tips)
        SetWindowLongPtrA(tips, GWL_STYLE, GetWindowLongPtrA(tips, GWL_STYLE) | TTS_ALWAYSTIP);
    return toolbar;
}

void ShowMonthToolbar(HWND toolbar)
{
    if (IsWindowVisible(toolbar))
        return;
    ToolbarArmed = 0;
    ShowWindow(toolbar, SW_SHOW);
    SetTimer(toolbar, TIMER_TOOLBAR_ARM, TOOLBAR_ARM_DELAY, NULL);
}

LRESULT CALLBACK ToolbarSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSELEAVE: ShowWindow(window, SW_HIDE); break;
    case WM_TIMER:
        if (wParam != TIMER_TOOLBAR_ARM)
            break;
        KillTimer(window, TIMER_TOOLBAR_ARM);
        ToolbarArmed = IsWindowVisible(window) != 0;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (ToolbarArmed)
            break;
        // Not yet seen: the press is the band's, which drags the calendar
        // while the button is held.
        if (GetAsyncKeyState(VK_LBUTTON) & 0x8000)
            PostMessageA(GetParent(window), WM_NCLBUTTONDOWN, HTCAPTION, lParam);
        return 0;
    case WM_LBUTTONUP:
        if (!ToolbarArmed)
            return 0;
        break;
    case WM_SHOWWINDOW:
        if (!wParam)
            ToolbarArmed = 0;
        break;
    }
    return CallWindowProcW(ToolbarPreviousProc, window, message, wParam, lParam);
}

int ToolbarTipText(NMTTDISPINFOW *info)
{
    int year = DATE_YEAR(ShownDate);
    int month = DATE_MONTH(ShownDate);
    char text[sizeof info->szText / sizeof info->szText[0]];
    const size_t size = sizeof text;
    switch (info->hdr.idFrom) {
    case IDM_PREV_YEAR: snprintf(text, size, " 上一年\n%d年%d月", year - 1, month); break;
    case IDM_NEXT_YEAR: snprintf(text, size, " 下一年\n%d年%d月", year + 1, month); break;
    case IDM_PREV_MONTH:
        if (month == 1)
            snprintf(text, size, " 上一月\n%d年%d月", year - 1, 12);
        else
            snprintf(text, size, " 上一月\n%d年%d月", year, month - 1);
        break;
    case IDM_NEXT_MONTH:
        if (month == 12)
            snprintf(text, size, " 下一月\n%d年%d月", year + 1, 1);
        else
            snprintf(text, size, " 下一月\n%d年%d月", year, month + 1);
        break;
    case IDM_TODAY:
        snprintf(text, size, "    今日\n%d年%d月%d日", DATE_YEAR(TodayDate.date), DATE_MONTH(TodayDate.date),
                 DATE_DAY(TodayDate.date));
        break;
    case IDM_SETTINGS: snprintf(text, size, "设置"); break;
    case IDM_EXIT: snprintf(text, size, "退出"); break;
    default: return 0;
    }
    CopyGbkToWide(info->szText, (int)(sizeof info->szText / sizeof info->szText[0]), text);
    info->lpszText = info->szText;
    return 1;
}

PackedDate DayAtPoint(HWND window, LPARAM point)
{
    TTHITTESTINFOW hit = {};
    hit.hwnd = window;
    hit.pt.x = LOWORD(point);
    hit.pt.y = HIWORD(point);
    hit.ti.cbSize = MONTH_TOOLINFO_SIZE;
    SendMessageW(MonthTooltip, TTM_HITTESTW, 0, (LPARAM)&hit);
    if (hit.ti.uId == 0)
        return 0;
    return (PackedDate)(hit.ti.uId & 0x7FFFFFFF);
}
