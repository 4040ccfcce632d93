// Times one full DrawMonth of the month window: background copy, weekday band,
// 28 to 31 day cells with their captions and colours, and the rebuilt day
// tooltips. The goal is 5 ms per redraw. Prints the time per call.
#include <stdio.h>
#include <windows.h>
#include <commctrl.h>
#include "../../app/shell.h"
#include "../../calendar/calendar.h"
#include "../../calendar/today.h"
#include "../../monthview/monthview.h"
#include "../../store/config.h"
#include "../../app/programfiles.h"
#include "../../records/settings.h"
#include "benchclock.h"


// 120 months, so leap Februaries, six-row months and the lunar new year all take their turn.
static PackedDate MonthOf(int i) { return PACK_DATE(2015 + i / 12 % 10, i % 12 + 1, 1 + i % 28); }

static double TimeDraws(HWND window, int count)
{
    RECT r = DrawingRect();
    double start = Seconds();
    for (int i = 0; i < count; i++) {
        DrawMonth(window, MemoryDC, MonthOf(i), &r);
        if (window && i % 64 == 0) {
            MSG m;
            while (PeekMessageA(&m, 0, 0, 0, PM_REMOVE))
                DispatchMessageA(&m);
        }
    }
    return (Seconds() - start) / count;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    AppInstance = instance;
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    INITCOMMONCONTROLSEX icc = {sizeof icc, 0x110D};
    InitCommonControlsEx(&icc);
    LoadDefaults();   // colours, options (solar terms on) and the built-in holidays
    SetTodayFromClock();

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "DrawMonthBench";
    RegisterClassExA(&wc);
    HWND window =
        CreateWindowExA(WS_EX_TOOLWINDOW, "DrawMonthBench", "", WS_POPUP, 0, 0, 350, 250, 0, 0, instance, 0);
    if (!window) {
        printf("drawmonth_bench: no window\n");
        return 1;
    }
    MonthWindow = window;

    HDC windowDC = GetDC(window);
    MemoryDC = CreateCompatibleDC(windowDC);
    RECT client;
    GetClientRect(window, &client);
    MonthDrawingRect = client;
    CanvasBitmap = CreateCompatibleBitmap(windowDC, client.right, client.bottom);
    BackgroundBitmap = CreateCompatibleBitmap(windowDC, client.right, client.bottom);
    ReleaseDC(window, windowDC);
    HGDIOBJ firstBitmap = SelectObject(MemoryDC, CanvasBitmap);
    SetBkMode(MemoryDC, TRANSPARENT);
    MonthTooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, "", TTS_ALWAYSTIP, 0, 0, 0, 0, window, 0, instance, 0);
    RECT r = DrawingRect();
    RenderBackground(MemoryDC, &r, Settings.colorBackground);

    const int count = 2000;
    TimeDraws(window, 50);   // warm-up: fonts, glyph caches
    double full = TimeDraws(window, count);
    double paintOnly = TimeDraws(NULL, count);
    printf("DrawMonth with tooltips: %.0f ns/call (%.3f ms), %d calls\n", full * 1e9, full * 1e3, count);
    printf("DrawMonth without window: %.0f ns/call (%.3f ms), %d calls\n", paintOnly * 1e9, paintOnly * 1e3,
           count);
    printf("goal 5 ms per call: %s\n", full <= 0.005 ? "met" : "NOT met");
    fflush(stdout);

    DestroyWindow(MonthTooltip);
    SelectObject(MemoryDC, firstBitmap);
    DeleteObject(CanvasBitmap);
    DeleteObject(BackgroundBitmap);
    DeleteDC(MemoryDC);
    DestroyWindow(window);
    return 0;
}
