// The dialogs' fixed texts fit their controls at the display scale of the
// prefix: at 96 dpi in this suite, and at 150 % when tests/e2e/scaling_e2e.sh
// runs this test in a prefix at 144 dpi.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include "../../resources/resource.h"

namespace {

INT_PTR CALLBACK BareDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The rectangle the control's text needs when drawn as the control draws it.
RECT Needed(HWND control, const char *text, int width, UINT format)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
    RECT need = {0, 0, width, 0};
    DrawTextA(dc, text, -1, &need, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return need;
}

// The number of texts measured.
int ExpectTextsFit(HWND dialog, int id)
{
    int measured = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char text[512] = "";
        GetWindowTextA(c, text, sizeof text);
        if (!text[0])
            continue;
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        RECT client;
        GetClientRect(c, &client);
        const std::string cls = ClassOf(c);
        RECT need;
        if (cls == "Static") {
            const LONG type = style & SS_TYPEMASK;
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
                type != SS_SIMPLE)
                continue;   // pictures and frames
            const UINT wrap = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ? DT_WORDBREAK : DT_SINGLELINE;
            need = Needed(c, text, client.right, wrap | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
        } else if (cls == "Button") {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_GROUPBOX || type == BS_OWNERDRAW)
                continue;
            need = Needed(c, text, client.right, DT_SINGLELINE);
            // a check box or a radio button draws its box left of the text
            if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
                need.right += GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
        } else {
            continue;
        }
        measured++;
        EXPECT_LE(need.right, client.right) << "dialog " << id << ": \"" << text << "\" is cut on the right";
        EXPECT_LE(need.bottom, client.bottom) << "dialog " << id << ": \"" << text << "\" is cut at the bottom";
    }
    return measured;
}

TEST(DialogText, EveryLabelAndButtonTextFitsItsControl)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    const int dialogs[] = {IDD_SETTINGS, IDD_HOLIDAYS, IDD_MEMOS, IDD_ABOUT, IDD_ALERT, IDD_DATE_INFO, IDD_OFFDAYS};
    for (int id : dialogs) {
        HWND dialog = CreateDialogParamA(GetModuleHandleA(0), MAKEINTRESOURCEA(id), 0, BareDialog, 0);
        ASSERT_NE(nullptr, dialog) << id;
        EXPECT_GT(ExpectTextsFit(dialog, id), 0) << "dialog " << id << " has no text to measure";
        DestroyWindow(dialog);
    }
}

}   // namespace
