// The notification-area icon and its mouse actions.
#include "tray.h"
#include "../winbase/latebind.h"
#include "shell.h"
#include "traylook.h"
#include "../winbase/wintext.h"
#include <stdio.h>
#include <string.h>
#include "../calendar/today.h"
#include "../dialogs/dialogs.h"
#include "../monthview/monthview.h"
#include "../resources/resource.h"

BOOL(WINAPI *ShellNotifyIcon)(DWORD message, PNOTIFYICONDATAW data);
UINT TaskbarCreatedMessage;

// The system's small-icon size: 16 at 96 dpi, more on a scaled primary monitor.
#define DAY_ICON_SIZE GetSystemMetrics(SM_CXSMICON)

void TrayNotify(HWND window, DWORD message, HICON icon, const char *tip)
{
    NOTIFYICONDATAW data;
    memset(&data, 0, sizeof data);
    // The structure's first form (88 bytes on 32-bit Windows): every shell
    // takes it, and its 64-byte tip is all the icon shows.
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYICON;
    data.hIcon = icon;
    char cut[TRAY_TIP_SIZE];
    CutTrayTip(cut, tip);
    CopyGbkToWide(data.szTip, (int)(sizeof data.szTip / sizeof data.szTip[0]), cut);
    // No taskbar, no icon: the program runs on without one.
    (ShellNotifyIcon ? ShellNotifyIcon : LateShell_NotifyIconW)(message, &data);
}

void AddTrayIcon(HWND window)
{
    if (!TaskbarCreatedMessage)
        TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    // A shared icon of the module: nothing to destroy after the call.
    HICON icon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_PROGRAM));
    TrayNotify(window, NIM_ADD, icon, 0);
}

HICON MakeDayIcon(HWND window, int day, COLORREF colour) { return MakeDayIconSized(window, day, colour, DAY_ICON_SIZE); }

HICON MakeDayIconSized(HWND window, int day, COLORREF colour, int size)
{
    HDC windowDC = GetDC(window);
    if (!windowDC)
        return 0;
    HDC dc = CreateCompatibleDC(windowDC);
    HBITMAP picture = CreateCompatibleBitmap(windowDC, size, size);
    // compatible with the fresh memory DC, whose bitmap is monochrome
    HBITMAP mask = dc ? CreateCompatibleBitmap(dc, size, size) : 0;
    ReleaseDC(window, windowDC);
    HICON icon = 0;
    if (dc && picture && mask) {
        RECT box = {0, 0, size, size};
        HGDIOBJ first = SelectObject(dc, mask);
        FillRect(dc, &box, (HBRUSH)GetStockObject(BLACK_BRUSH));   // all opaque
        SelectObject(dc, picture);
        HBRUSH field = CreateSolidBrush(TrayFieldColour(colour));
        FillRect(dc, &box, field);
        DeleteObject(field);
        char number[12];
        snprintf(number, sizeof number, "%d", day);
        SetTextColor(dc, colour);
        SetBkMode(dc, TRANSPARENT);
        // 16 pixels keep the memory DC's own font, as the icon always had; the
        // larger icon of a scaled display gets digits grown with it
        HFONT font = size > 16 ? CreateFontA(-size * 3 / 4, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                             "Tahoma")
                               : 0;
        HGDIOBJ oldFont = font ? SelectObject(dc, font) : 0;
        DrawTextGbk(dc, number, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        if (font) {
            SelectObject(dc, oldFont);
            DeleteObject(font);
        }
        SelectObject(dc, first);
        ICONINFO info = {TRUE, 0, 0, mask, picture};
        icon = CreateIconIndirect(&info);
    }
    if (dc)
        DeleteDC(dc);
    if (mask)
        DeleteObject(mask);
    if (picture)
        DeleteObject(picture);
    return icon;
}

void SetTrayDayIcon(HWND window, int day, COLORREF colour, const char *tip)
{
    HICON icon = MakeDayIcon(window, day, colour);
    TrayNotify(window, NIM_MODIFY, icon, tip);
    if (icon)
        DestroyIcon(icon);   // the shell keeps a copy of its own
}

void UpdateTrayIcon(HWND window, PackedDate today)
{
    TrayLook look;
    TrayLookOf(today, &look);
    SetTrayDayIcon(window, look.day, look.colour, look.tip);
}

void RemoveTrayIcon(HWND window) { TrayNotify(window, NIM_DELETE, 0, 0); }

LRESULT OnTaskbarCreated(HWND window)
{
    AddTrayIcon(window);
    UpdateTrayIcon(window, TodayDate.date);
    return 0;
}

void OnTrayIcon(HWND window, LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: SetForegroundWindow(window); break;
    case WM_LBUTTONUP: SlideWindow(window, SLIDE_SHOW); break;
    case WM_LBUTTONDBLCLK:
        if (!BringModalDialogForward())
            OpenDateInfo(window, TodayDate.date);
        break;
    case WM_RBUTTONUP: ShowPopupMenu(window); break;
    }
}
