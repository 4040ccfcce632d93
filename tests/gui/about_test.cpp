// The about box: its texts, its two links and how it closes.
#include "small_testutil.h"
#include <string.h>
#include "../../app/shell.h"
#include "../../app/version.h"
#include "../../dialogs/about.h"
#include "../../dialogs/dialogs.h"
#include "../../resources/resource.h"

namespace {

struct AboutBoxTest : SmallWindowsTest {};

std::string Text(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(AboutBoxTest, TheLinksShowTheContactPointsAndOpenThroughTheShell)
{
    HWND box = CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(IDD_ABOUT), MonthWindow, AboutBoxProc, 0);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("关于Loomhouse", Text(box));
    HWND web = GetDlgItem(box, IDC_WEB_LINK), mail = GetDlgItem(box, IDC_MAIL_LINK);
    ASSERT_TRUE(web && mail);
    const std::string page = Text(web), address = Text(mail);
    EXPECT_EQ(0u, page.find("https://"));
    EXPECT_NE(std::string::npos, address.find('@'));
    EXPECT_EQ(std::string::npos, address.find("mailto:"));
    for (HWND link : {web, mail})
        EXPECT_TRUE(GetWindowLongA(link, GWL_STYLE) & SS_NOTIFY);
    EXPECT_EQ("确定", Text(GetDlgItem(box, IDOK)));

    bool icon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        icon = icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
    EXPECT_TRUE(icon) << "the program's icon";

    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_WEB_LINK, STN_CLICKED), (LPARAM)web);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_MAIL_LINK, STN_CLICKED), (LPARAM)mail);
    ASSERT_EQ(2u, ShellOpens.size());
    EXPECT_EQ("open", ShellOpens[0].verb);
    EXPECT_EQ(page, ShellOpens[0].file);
    EXPECT_FALSE(ShellOpens[0].parameters);
    EXPECT_FALSE(ShellOpens[0].directory);
    EXPECT_EQ(SW_SHOWNORMAL, ShellOpens[0].show);
    EXPECT_EQ("open", ShellOpens[1].verb);
    EXPECT_EQ("mailto:" + address + "?subject=About:[Loomhouse]", ShellOpens[1].file);
    EXPECT_EQ(SW_SHOWNORMAL, ShellOpens[1].show);
    EXPECT_EQ("", Text(GetDlgItem(box, IDC_LINK_STATUS)));
    EXPECT_EQ("版本 " LOOMHOUSE_VERSION, Text(GetDlgItem(box, IDC_VERSION)));

    // a link the system cannot open says so, and a later one that opens clears the word
    ShellOpenResult = SE_ERR_NOASSOC;
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_MAIL_LINK, STN_CLICKED), (LPARAM)mail);
    EXPECT_EQ("无法打开链接：系统中没有打开它的程序。", Text(GetDlgItem(box, IDC_LINK_STATUS)));
    ShellOpenResult = ERROR_FILE_NOT_FOUND;
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_WEB_LINK, STN_CLICKED), (LPARAM)web);
    EXPECT_EQ("无法打开链接：系统未能启动打开它的程序。", Text(GetDlgItem(box, IDC_LINK_STATUS)));
    ShellOpenResult = 42;
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_WEB_LINK, STN_CLICKED), (LPARAM)web);
    EXPECT_EQ("", Text(GetDlgItem(box, IDC_LINK_STATUS)));

    // the links in blue on the dialog's face; the other statics as they are
    HDC dc = CreateCompatibleDC(0);
    LRESULT brush = SendMessageA(box, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)mail);
    EXPECT_EQ((LRESULT)GetSysColorBrush(COLOR_BTNFACE), brush);
    EXPECT_EQ(RGB(0, 0, 255), GetTextColor(dc));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (child != web && child != mail && SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) {
            SetTextColor(dc, RGB(1, 2, 3));
            SendMessageA(box, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)child);
            EXPECT_NE(RGB(0, 0, 255), GetTextColor(dc));
        }
    DeleteDC(dc);
    DestroyWindow(box);
}

// Sends a key to the focused control of the about box once it is up.
UINT KeyToSend;
int BoxSeen;

void CALLBACK PressKeyInBox(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = FindWindowA(nullptr, "关于Loomhouse");
    if (!box || !IsWindowVisible(box))
        return;
    BoxSeen = GetWindow(box, GW_OWNER) == MonthWindow;
    KillTimer(0, id);
    HWND focus = GetFocus();
    PostMessageA(focus ? focus : box, WM_KEYDOWN, KeyToSend, 0);
}

TEST_F(AboutBoxTest, EnterAndEscCloseTheModalBox)
{
    for (UINT key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key);
        KeyToSend = key;
        BoxSeen = 0;
        UINT_PTR timer = SetTimer(0, 0, 20, PressKeyInBox);
        DWORD start = GetTickCount();
        EXPECT_EQ(0, OpenAboutBox(MonthWindow));
        KillTimer(0, timer);
        EXPECT_EQ(1, BoxSeen);
        EXPECT_LT(GetTickCount() - start, 5000u);
    }
    EXPECT_TRUE(ShellOpens.empty());
}

}   // namespace
