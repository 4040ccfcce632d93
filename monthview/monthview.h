// The month window: its procedure, painting, toolbar, tooltips and docking.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <stdint.h>
#include "../calendar/calendar.h"
#include "../records/settings.h"
#include "daycolour.h"
#include "dockcalc.h"
#include "screencalc.h"

#include "dpicalc.h"

// The DPI of the month window's monitor, kept by start-up and WM_DPICHANGED;
// the month's sizes below are for 96 dpi and scale by it.
extern int32_t MonthDpi;
#define HEADER_HEIGHT       ScaleForDpi(26, MonthDpi)

// cbSize of the day tools (TTTOOLINFOW, also inside TTHITTESTINFOW). The
// structure is 44 bytes in its first form on 32-bit Windows only; on 64-bit
// its pointers make it larger. The form up to lParam is accepted by the
// version 5 and the version 6 controls alike, on both.
#define MONTH_TOOLINFO_SIZE TTTOOLINFOW_V2_SIZE

// Drawing surfaces and controls, created at start-up and kept for the run.
extern HDC MemoryDC;
extern HBITMAP CanvasBitmap;
extern HBITMAP BackgroundBitmap;
extern HWND MonthTooltip;
extern HWND MonthToolbar;
extern PackedDate ShownDate;   // its month is shown, its day is the selected day

// The month window's client rectangle, which the month is drawn into; set by
// CreateMonthSurfaces. (Settings.MonthPos keeps the place on the screen.)
extern RECT MonthDrawingRect;
// Creates MemoryDC with CanvasBitmap selected and BackgroundBitmap, both of
// the window's client size, and makes that size MonthDrawingRect.
void CreateMonthSurfaces(HWND window);
void FreeMonthSurfaces();

// Painting (everything goes to a device context, so a test can paint into a bitmap).
int RenderBackground(HDC dc, const RECT *rect, COLORREF colour);
int DrawMonth(HWND window, HDC dc, PackedDate date, const RECT *rect);
void PresentMonth(HWND window);
// MonthDrawingRect.
RECT DrawingRect();

// Toolbar and tooltips.
HWND CreateMonthToolbar(HWND window);
// The toolbar's pictures at the size for MonthDpi; the ones before are freed.
void SetToolbarPictures(HWND toolbar);
LRESULT CALLBACK ToolbarSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the hidden toolbar; its buttons act TOOLBAR_ARM_DELAY ms later
// (TIMER_TOOLBAR_ARM of the toolbar), not on a click that came with it.
void ShowMonthToolbar(HWND toolbar);
int ToolbarTipText(NMTTDISPINFOW *info);
// The day under a client point (the tooltip's hit test), or 0.
PackedDate DayAtPoint(HWND window, LPARAM point);

// Docking and sliding, shared with the sticky note.
enum { SLIDE_HIDE = 0, SLIDE_SHOW = 1 };
extern POINT DragAnchor;
extern int DockWindowActive;
int SnapWhileMoving(HWND window, RECT *rect);
void SlideWindow(HWND window, int direction);
void AutoHideCheck(HWND window);
// Slides the month window in and holds it out for a while (see ShowHold):
// every start, and a second start's call.
void BringOutMonth(HWND window);
extern ShowHold MonthHold;
// A docking window's screen rectangle and DockState, as MonthPos and NotePos keep them.
WindowPos WindowPlacement(HWND window);
// The window's DockState, kept in GWLP_USERDATA.
int32_t GetDockState(HWND window);
void SetDockState(HWND window, int32_t state);
// WM_ENTERSIZEMOVE: anchor the drag at the cursor, stop the auto-hide timer
// (KillTimer's result). WM_EXITSIZEMOVE: restart it (SetTimer's result).
LRESULT BeginDockDrag(HWND window);
LRESULT EndDockDrag(HWND window);
// 1 when the window's place or dock state differs from the drag's start: a
// click that only pressed and released moved nothing and saves nothing.
int DragMovedWindow(HWND window);

// The monitors of the desktop, at most max of them; the count. A test may
// put a layout of its own here.
extern int (*ReadMonitors)(ScreenMonitor *monitors, int max);
// A place kept in "dlm.ini" as the window takes it on today's monitors:
// scaled to the DPI of its monitor and reseated (ReseatWindow).
WindowPos PlaceOnMonitors(WindowPos stored);
// The DPI of the window's monitor (96 where Windows cannot tell).
int32_t WindowDpi(HWND window);
// WindowPlacement as "dlm.ini" keeps it: the size in 96-dpi pixels.
WindowPos StoredPlacement(HWND window);
// WM_DISPLAYCHANGE: a window the monitors no longer show comes back docked
// at the top of the nearest one.
void ReseatOnMonitors(HWND window);
