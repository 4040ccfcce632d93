// The about box (template 114): the program's icon, a word of thanks and two
// links, the project's home page and a new mail to its contact address.
#include "dialogs.h"
#include "about.h"
#include <shellapi.h>
#include <stdio.h>
#include "../winbase/latebind.h"
#include "../winbase/program.h"
#include "../app/version.h"
#include "../resources/resource.h"

HINSTANCE(WINAPI *ShellOpen)
(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) = LateShellExecuteA;

#define LINK_COLOUR RGB(0, 0, 255)

BOOL HomePageLink(char *out, int size) { return LoadStringGbk(AppInstance, IDS_HOME_PAGE, out, size) > 0; }

BOOL MailLink(char *out, int size)
{
    char address[128];
    if (LoadStringGbk(AppInstance, IDS_CONTACT_ADDRESS, address, sizeof address) <= 0)
        return FALSE;
    int n = snprintf(out, (size_t)size, "mailto:%s" MAIL_SUBJECT_QUERY, address);
    return n > 0 && n < size;
}

static INT_PTR InitAboutBox(HWND dialog)
{
    char text[256];
    if (LoadStringGbk(AppInstance, IDS_HOME_PAGE, text, sizeof text) > 0)
        SetItemTextGbk(dialog, IDC_WEB_LINK, text);
    if (LoadStringGbk(AppInstance, IDS_CONTACT_ADDRESS, text, sizeof text) > 0)
        SetItemTextGbk(dialog, IDC_MAIL_LINK, text);
    SetItemTextGbk(dialog, IDC_VERSION, "版本 " LOOMHOUSE_VERSION);
    return TRUE;
}

// ShellExecute's result of 32 or less is an error; a click that opens
// nothing must not pass for one that worked.
const char *LinkFailureText(INT_PTR result)
{
    if (result > 32)
        return "";
    switch (result) {
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE: return "无法打开链接：系统中没有打开它的程序。";
    case 0:
    case SE_ERR_OOM: return "无法打开链接：内存不足。";
    default: return "无法打开链接：系统未能启动打开它的程序。";
    }
}

static void OpenLink(HWND dialog, BOOL (*link)(char *, int))
{
    char target[512];
    INT_PTR result = 0;
    if (link(target, sizeof target))
        result = (INT_PTR)ShellOpen(dialog, "open", target, NULL, NULL, SW_SHOWNORMAL);
    SetItemTextGbk(dialog, IDC_LINK_STATUS, LinkFailureText(result));
}

// The two links in blue on the dialog's face; every other static as it is.
static INT_PTR ColourStatic(HDC dc, HWND control)
{
    int id = GetDlgCtrlID(control);
    if (id == IDC_LINK_STATUS) {
        SetTextColor(dc, RGB(192, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
    }
    if (id != IDC_WEB_LINK && id != IDC_MAIL_LINK)
        return FALSE;
    SetTextColor(dc, LINK_COLOUR);
    SetBkMode(dc, TRANSPARENT);
    return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

static INT_PTR AboutCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK:
    case IDCANCEL: EndDialog(dialog, id); return TRUE;
    case IDC_WEB_LINK:
        if (code == STN_CLICKED)
            OpenLink(dialog, HomePageLink);
        return TRUE;
    case IDC_MAIL_LINK:
        if (code == STN_CLICKED)
            OpenLink(dialog, MailLink);
        return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitAboutBox(dialog);
    case WM_COMMAND: return AboutCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_CTLCOLORSTATIC: return ColourStatic((HDC)wParam, (HWND)lParam);
    default: return FALSE;
    }
}

LRESULT OpenAboutBox(HWND owner)
{
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutBoxProc, 0);
    return 0;
}
