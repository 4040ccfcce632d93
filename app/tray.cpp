// The notification-area icon and its mouse actions.
#include "tray.h"
#include "shell.h"
#include "../calendar/today.h"
#include "../dialogs/dialogs.h"
#include "../monthview/monthview.h"

// The icon itself is not built yet: until it is, there is none to add,
// refresh or remove.
void AddTrayIcon(HWND window) { (void)window; }
void UpdateTrayIcon(HWND window, PackedDate today)
{
    (void)window;
    (void)today;
}
void RemoveTrayIcon(HWND window) { (void)window; }

void OnTrayIcon(HWND window, LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: SetForegroundWindow(window); break;
    case WM_LBUTTONUP: SlideWindow(window, SLIDE_SHOW); break;
    case WM_LBUTTONDBLCLK: OpenDateInfo(window, TodayDate.date); break;
    case WM_RBUTTONUP: ShowPopupMenu(window); break;
    }
}
