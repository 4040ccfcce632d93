// The settings dialog: its options and colours, OK and Cancel, and what OK
// applies and saves at once.
#include "small_testutil.h"
#include <string.h>
#include "../../app/shell.h"
#include "../../app/tray.h"
#include "../../calendar/today.h"
#include "../../dialogs/dialogs.h"
#include "../../dialogs/settingsdialog.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"
#include "../../store/config.h"
#include "../../records/settings.h"

namespace {

struct SettingsTest : SmallWindowsTest {
    HWND dialog = nullptr;
    void Open()
    {
        dialog = CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(IDD_SETTINGS), MonthWindow,
                                    SettingsDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
    }
    void Click(int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }
    // OK or Cancel; the modeless stand-in is only hidden by EndDialog.
    void Close(int id)
    {
        Click(id);
        EXPECT_FALSE(IsWindowVisible(dialog));
        DestroyWindow(dialog);
        dialog = nullptr;
        PumpMessages(0);   // the month window takes the change the dialog posted
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        SmallWindowsTest::TearDown();
    }
    // Paints a colour button as the dialog does into a bitmap of its own; the
    // number of pixels of its rectangle that are not colour.
    int PixelsNotOfColour(int id, COLORREF colour)
    {
        HDC dc = CreateCompatibleDC(0);
        HDC screen = GetDC(0);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 20);
        ReleaseDC(0, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, 40, 20};
        FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = (UINT)id;
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = GetDlgItem(dialog, id);
        item.hDC = dc;
        item.rcItem = {0, 0, 40, 20};
        SendMessageA(dialog, WM_DRAWITEM, (WPARAM)id, (LPARAM)&item);
        int other = 40 * 20 - CountColour(dc, all, colour);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return other;
    }
};

std::string Text(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(SettingsTest, TheDialogShowsTheOptionsAndColoursOfTheSettings)
{
    Open();
    EXPECT_EQ("系统设置", Text(dialog));
    const struct {
        int id;
        const char *text;
        bool checked;   // by the default options 0x97
    } boxes[] = {
        {IDC_OPT_CHIME, "正点报时", true},
        {IDC_OPT_TERMS, "节日包含24节气", true},
        {IDC_OPT_HOLIDAY, "节日提醒", true},
        {IDC_OPT_SOUND, "声音报警", true},
        {IDC_OPT_PURGE, "自动清除过期备忘事件", false},
        {IDC_OPT_AUTOCLOSE, "提醒窗口自动关闭", true},
        {IDC_OPT_MEAN_TERMS, "节气按平气公式计算", false},
    };
    for (const auto &b : boxes) {
        SCOPED_TRACE(b.text);
        HWND box = GetDlgItem(dialog, b.id);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(b.text, Text(box));
        EXPECT_EQ(BS_AUTOCHECKBOX, GetWindowLongA(box, GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(b.checked, IsDlgButtonChecked(dialog, b.id) == BST_CHECKED);
    }
    const struct {
        int id;
        COLORREF colour;
    } buttons[] = {
        {IDC_COLOR_BACK, 0xFF8080},    {IDC_COLOR_HOLIDAY, 0x00FFFF}, {IDC_COLOR_WEEKEND, 0x0000FF},
        {IDC_COLOR_DEFAULT, 0xFFFFFF}, {IDC_COLOR_MARK, 0x00FF00},
    };
    for (const auto &b : buttons) {
        SCOPED_TRACE(b.id);
        HWND button = GetDlgItem(dialog, b.id);
        ASSERT_NE(nullptr, button);
        EXPECT_EQ(BS_OWNERDRAW, GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(0, PixelsNotOfColour(b.id, b.colour)) << "the whole button in its colour, nothing else";
    }
    EXPECT_EQ("确定", Text(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ("取消", Text(GetDlgItem(dialog, IDCANCEL)));
}

// Correction: OK saves at once; before, the choice reached the file only at exit.
TEST_F(SettingsTest, OkKeepsATwiceToggledBitAndSavesAtOnce)
{
    Open();
    Click(IDC_OPT_HOLIDAY);
    Click(IDC_OPT_HOLIDAY);
    Click(IDC_OPT_PURGE);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_OPT_HOLIDAY));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_OPT_PURGE));
    EXPECT_EQ(0x97u, Settings.flags) << "the live settings wait for OK";
    ASSERT_FALSE(ProgramFileExists("dlm.ini"));
    TrayCalls.clear();
    Close(IDOK);

    EXPECT_EQ(0xB7u, Settings.flags);
    EXPECT_EQ(0, ConfigChanged) << "saved: the exit has nothing left to write";
    const std::string ini = WithoutCarriageReturns(ProgramFileText("dlm.ini"));
    EXPECT_NE(std::string::npos, ini.find("\nControl=b7\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("\nColor=ff8080,ffffff,ffff,ff,ff00\n")) << ini;
    // the window's place on the screen, as the exit would write it, not the drawing rectangle
    EXPECT_NE(std::string::npos, ini.find("[CONTROL]\nMonthPos=250,0,600,250,1\n")) << ini;
    EXPECT_FALSE(ProgramFileExists("dlm.ini.*.tmp"));
    EXPECT_EQ(350, DrawingRect().right) << "the month is still drawn into the client rectangle";
    EXPECT_EQ(0, DrawingRect().left);

    // applied: the tray icon, and the chime armed without an announcement
    ASSERT_NE(nullptr, LastTrayCall(NIM_MODIFY));
    ASSERT_EQ(1u, ChimeArmed.size());
    EXPECT_EQ(0, ChimeArmed[0]);
    EXPECT_TRUE(ChimeDisarmed.empty());
}

TEST_F(SettingsTest, TheChimeSwitchedOffAtOkLeavesTheQueue)
{
    Open();
    Click(IDC_OPT_CHIME);
    Close(IDOK);
    EXPECT_EQ(0x96u, Settings.flags);
    EXPECT_TRUE(ChimeArmed.empty());
    ASSERT_EQ(1u, ChimeDisarmed.size());
    EXPECT_EQ((ReminderEntry *)ReminderList->record, ChimeDisarmed[0]) << "the chime entry heads the list";
}

TEST_F(SettingsTest, ChosenColoursShowOnTheButtonsAndCancelForgetsThem)
{
    Open();
    Chooser.result = RGB(10, 200, 30);
    Chooser.customSlot = 0;
    Chooser.custom = RGB(1, 2, 3);
    Click(IDC_COLOR_BACK);
    ASSERT_EQ(1, Chooser.calls);
    EXPECT_EQ(sizeof(CHOOSECOLORA), Chooser.seen.lStructSize);
    EXPECT_EQ(dialog, Chooser.seen.hwndOwner);
    EXPECT_EQ((COLORREF)0xFF8080, Chooser.seen.rgbResult) << "it opens on the button's colour";
    EXPECT_EQ((DWORD)(CC_RGBINIT | CC_FULLOPEN), Chooser.seen.Flags);
    EXPECT_NE(nullptr, Chooser.seen.lpCustColors);
    EXPECT_EQ(0, PixelsNotOfColour(IDC_COLOR_BACK, RGB(10, 200, 30)));

    // a cancelled chooser leaves the button as it was
    Chooser.confirm = FALSE;
    Click(IDC_COLOR_WEEKEND);
    EXPECT_EQ(2, Chooser.calls);
    EXPECT_EQ(0, PixelsNotOfColour(IDC_COLOR_WEEKEND, 0x0000FF));
    EXPECT_EQ(RGB(1, 2, 3), Chooser.customSeen[0]) << "custom colours stay while the dialog is open";

    Close(IDCANCEL);
    EXPECT_EQ(0xFF8080u, Settings.colorBackground);
    EXPECT_EQ(0u, Settings.customColors[0]);
    EXPECT_EQ(0, ConfigChanged);
    EXPECT_FALSE(ProgramFileExists("dlm.ini"));
    EXPECT_GT(CountColour(MemoryDC, DrawingRect(), 0xFF8080), 20000) << "the month keeps its background";
    EXPECT_TRUE(ChimeArmed.empty() && ChimeDisarmed.empty());
}

TEST_F(SettingsTest, OkRecoloursTheMonthShowsTodayAndKeepsCustomColoursForTheRun)
{
    RECT r = DrawingRect();
    DrawMonth(MonthWindow, MemoryDC, PACK_DATE(2015, 8, 10), &r);
    Open();
    Chooser.result = RGB(10, 200, 30);
    Chooser.customSlot = 3;
    Chooser.custom = RGB(9, 8, 7);
    Click(IDC_COLOR_BACK);
    Close(IDOK);
    EXPECT_EQ((uint32_t)RGB(10, 200, 30), Settings.colorBackground);
    EXPECT_EQ(TodayDate.date, ShownDate);
    EXPECT_GT(CountColour(MemoryDC, DrawingRect(), RGB(10, 200, 30)), 20000);
    EXPECT_EQ(0, CountColour(MemoryDC, DrawingRect(), 0xFF8080));
    EXPECT_NE(std::string::npos, WithoutCarriageReturns(ProgramFileText("dlm.ini")).find("\nColor=1ec80a,"));

    // the next opening offers the custom colour again; the file never holds it
    Open();
    Chooser.customSlot = -1;
    Click(IDC_COLOR_MARK);
    EXPECT_EQ(RGB(9, 8, 7), Chooser.customSeen[3]);
    Close(IDCANCEL);
    EXPECT_EQ(std::string::npos, WithoutCarriageReturns(ProgramFileText("dlm.ini")).find("70809"))
        << "custom colours live for the run";
}

HWND SeenDialog, SeenOwner;

void CALLBACK CancelSettings(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND found = FindWindowA(nullptr, "系统设置");
    if (!found || !IsWindowVisible(found))
        return;
    SeenDialog = found;
    SeenOwner = GetWindow(found, GW_OWNER);
    KillTimer(0, id);
    PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(SettingsTest, TheCommandOpensTheDialogModallyUntilItIsClosed)
{
    SeenDialog = nullptr;
    UINT_PTR timer = SetTimer(0, 0, 20, CancelSettings);
    EXPECT_EQ(0, SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_SETTINGS, 0), 0));
    KillTimer(0, timer);
    ASSERT_NE(nullptr, SeenDialog);
    EXPECT_EQ(MonthWindow, SeenOwner);
    EXPECT_FALSE(IsWindow(SeenDialog));
    EXPECT_EQ(0x97u, Settings.flags);
    EXPECT_EQ(0, ConfigChanged);
    EXPECT_TRUE(IsWindowEnabled(MonthWindow));
}

}   // namespace
