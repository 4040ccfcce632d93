// The system libraries the calendar needs only once it is on the screen, or
// only when the user asks for them: common controls (tooltip, toolbar, the
// dialogs' controls), the shell (tray icon, links), common dialogs (colour
// chooser, save dialog) and sound. A library a program imports is loaded
// before its first line runs, and under Wine these four cost about as much
// as everything else the calendar does before it shows. Each function loads
// its library at its first call and behaves as the function it stands for;
// where the library cannot be loaded it fails as that function fails.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

BOOL LateInitCommonControlsEx(const INITCOMMONCONTROLSEX *icc);
HIMAGELIST LateImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
int LateImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask);
BOOL LateImageList_Destroy(HIMAGELIST list);
BOOL WINAPI LateChooseColorA(LPCHOOSECOLORA choice);
BOOL LateGetSaveFileNameA(LPOPENFILENAMEA ofn);
HINSTANCE WINAPI LateShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                   INT show);
BOOL WINAPI LateShell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);
BOOL LatePlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);

// Functions that older Windows lack, looked up the same way: without one
// the program runs unscaled.
// shcore.dll's GetDpiForMonitor (Windows 8.1 and later); E_NOTIMPL without it.
HRESULT LateGetDpiForMonitor(HMONITOR monitor, int type, UINT *dpiX, UINT *dpiY);
// user32's GetDpiForWindow (Windows 10 1607 and later); 0 without it.
UINT LateGetDpiForWindow(HWND window);
