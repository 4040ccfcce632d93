// The alert window (template 118): every reminder, chime and holiday alert as
// one line, newest on top, in one small topmost window that slides down from
// the top edge and, with auto-close on, away again ten seconds after the last line.
#include "remind.h"
#include <mmsystem.h>
#include "../winbase/latebind.h"
#include "../winbase/program.h"
#include "../monthview/monthview.h"
#include "../resources/resource.h"
#include "../records/settings.h"

HWND AlertWindow;
static HBRUSH AlertBrush;
static int32_t CountdownSeconds;
// The top of the alert at rest; it slides in from just above it.
static int32_t AlertRestTop;
// 0 when it rests below the calendar: a slide from the top would cross it.
static int AlertSlides = 1;

void SlideAlertWindow(HWND window, int direction)
{
    RECT r;
    GetWindowRect(window, &r);
    AlertSlide plan = PlanAlertSlide(r.top - AlertRestTop, r.bottom - AlertRestTop, direction);
    plan.finalY += AlertRestTop;
    int32_t top = r.top;
    for (int i = 0; i < ALERT_SLIDE_STEPS; i++) {
        top += plan.step;
        SetWindowPos(window, HWND_TOPMOST, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        // Nothing else runs during the slide, so the window paints itself on the way.
        UpdateWindow(window);
        PauseSlide(ALERT_SLIDE_PAUSE_MS);
    }
    // the steps were rounded
    SetWindowPos(window, HWND_TOPMOST, r.left, plan.finalY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// Again at every change of size: on a monitor of another scale the dialog
// manager resizes the window, and the old region would cut it.
static void RoundAlertCorners(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    const int corner = ScaleForDpi(ALERT_CORNER, WindowDpi(dialog));
    SetWindowRgn(dialog, CreateRoundRectRgn(0, 0, client.right, client.bottom, corner, corner),
                 IsWindowVisible(dialog));
}

static void StartCountdown(HWND dialog) { SetTimer(dialog, TIMER_AUTOHIDE, 1000, 0); }

static INT_PTR InitAlertWindow(HWND dialog)
{
    AlertBrush = CreateSolidBrush(Settings.colorBackground);
    // No caption shows, but the heading names the window in lists of windows.
    char title[64] = "";
    GetItemTextGbk(dialog, IDC_ALERT_TITLE, title, sizeof title);
    SetTextGbk(dialog, title);
    RoundAlertCorners(dialog);
    RECT client;
    GetClientRect(dialog, &client);
    const int32_t w = client.right, h = client.bottom;
    // Just above its place at the top of the calendar's monitor: centred
    // unless that would cover the calendar.
    ScreenMonitor monitors[SCREEN_MONITORS_MAX];
    int count = ReadMonitors(monitors, SCREEN_MONITORS_MAX);
    AlertPlace rest = {AlertLeft(ScreenWidth, w), 0, 1};
    if (count > 0)
        rest = PlaceAlert(monitors, count, WindowPlacement(MonthWindow), w, h);
    AlertRestTop = rest.y;
    AlertSlides = rest.slides;
    SetWindowPos(dialog, HWND_TOPMOST, rest.x, AlertSlides ? rest.y - h : rest.y, w, h, SWP_NOACTIVATE);
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    if (AlertSlides)
        SlideAlertWindow(dialog, ALERT_SLIDE_IN);
    if (Settings.flags & CTRL_AUTO_CLOSE) {
        StartCountdown(dialog);
        CountdownSeconds = ALERT_COUNTDOWN;
    }
    return FALSE;   // no focus: the window must not take it from the user's work
}

static void CountdownTick(HWND dialog, WPARAM id)
{
    if (id != TIMER_AUTOHIDE)
        return;
    if (CountdownStep(&CountdownSeconds)) {
        if (AlertSlides)
            SlideAlertWindow(dialog, ALERT_SLIDE_OUT);
        DestroyWindow(dialog);
        return;
    }
    SetDlgItemInt(dialog, IDC_COUNTDOWN, (UINT)CountdownSeconds, FALSE);
}

// The countdown pauses while the user works in the window.
static void NoteAlertActivation(HWND dialog, WPARAM wParam)
{
    if (LOWORD(wParam) != WA_INACTIVE)
        KillTimer(dialog, TIMER_AUTOHIDE);
    else if (Settings.flags & CTRL_AUTO_CLOSE)
        StartCountdown(dialog);
}

static INT_PTR AlertColours(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Settings.colorDefault);
    return (INT_PTR)AlertBrush;
}

static void AlertDestroyed(HWND dialog)
{
    KillTimer(dialog, TIMER_AUTOHIDE);
    if (AlertBrush)
        DeleteObject(AlertBrush);
    AlertBrush = 0;
    if (AlertWindow == dialog)
        AlertWindow = 0;
}

INT_PTR CALLBACK AlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitAlertWindow(dialog);
    case WM_TIMER: CountdownTick(dialog, wParam); return TRUE;
    case WM_ACTIVATE: NoteAlertActivation(dialog, wParam); return FALSE;
    case WM_SIZE: RoundAlertCorners(dialog); return FALSE;
    // Only clicks on the window's own surface and its labels arrive here;
    // the list box keeps its clicks.
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: DestroyWindow(dialog); return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: return AlertColours((HDC)wParam);
    case WM_DESTROY: AlertDestroyed(dialog); return FALSE;
    default: return FALSE;
    }
}

void ShowAlert(const char *text)
{
    if (!AlertWindow)
        AlertWindow = CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(IDD_ALERT), MonthWindow, AlertProc, 0);
    if (AlertWindow) {
        // A list box line has no room for line breaks; holiday names run to 991 bytes.
        char line[1024];
        FormatAlertLine(line, sizeof line, text);
        HWND list = GetDlgItem(AlertWindow, IDC_ALERT_LIST);
        SendTextGbk(list, LB_INSERTSTRING, 0, line);
        SendMessageA(list, LB_SETTOPINDEX, 0, 0);
    }
    CountdownSeconds = ALERT_COUNTDOWN;
    // A new alert restarts the sound; a failure to play is no reason to stop.
    if (Settings.flags & CTRL_SOUND)
        LatePlaySoundA(MAKEINTRESOURCEA(IDW_ALARM), AppInstance, SND_RESOURCE | SND_ASYNC);
}
