// Loads the libraries of latebind.h at the first call of one of their functions.
#include "latebind.h"

// Already loaded (a test program imports them itself) or loaded now. The
// common controls come in the version the program's manifest asks for.
static FARPROC Resolve(const char *library, const char *name)
{
    HMODULE module = GetModuleHandleA(library);
    if (!module)
        module = LoadLibraryA(library);
    return module ? GetProcAddress(module, name) : 0;
}

// The function's address, looked up at the first call (a failed look-up is
// not repeated: the library is not there).
#define LATE(Type, library, name) static const Type Function = (Type)(void (*)())Resolve(library, name)

typedef BOOL(WINAPI *InitCommonControlsExType)(const INITCOMMONCONTROLSEX *);
typedef HIMAGELIST(WINAPI *ImageListCreateType)(int, int, UINT, int, int);
typedef int(WINAPI *ImageListAddMaskedType)(HIMAGELIST, HBITMAP, COLORREF);
typedef BOOL(WINAPI *ImageListDestroyType)(HIMAGELIST);
typedef BOOL(WINAPI *ChooseColorType)(LPCHOOSECOLORA);
typedef BOOL(WINAPI *GetSaveFileNameType)(LPOPENFILENAMEA);
typedef HINSTANCE(WINAPI *ShellExecuteType)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
typedef BOOL(WINAPI *ShellNotifyIconType)(DWORD, PNOTIFYICONDATAW);
typedef BOOL(WINAPI *PlaySoundType)(LPCSTR, HMODULE, DWORD);
typedef HRESULT(WINAPI *GetDpiForMonitorType)(HMONITOR, int, UINT *, UINT *);
typedef UINT(WINAPI *GetDpiForWindowType)(HWND);

BOOL LateInitCommonControlsEx(const INITCOMMONCONTROLSEX *icc)
{
    LATE(InitCommonControlsExType, "comctl32.dll", "InitCommonControlsEx");
    return Function ? Function(icc) : FALSE;
}

HIMAGELIST LateImageList_Create(int cx, int cy, UINT flags, int initial, int grow)
{
    LATE(ImageListCreateType, "comctl32.dll", "ImageList_Create");
    return Function ? Function(cx, cy, flags, initial, grow) : 0;
}

int LateImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask)
{
    LATE(ImageListAddMaskedType, "comctl32.dll", "ImageList_AddMasked");
    return Function ? Function(list, bitmap, mask) : -1;
}

BOOL LateImageList_Destroy(HIMAGELIST list)
{
    LATE(ImageListDestroyType, "comctl32.dll", "ImageList_Destroy");
    return Function ? Function(list) : FALSE;
}

BOOL WINAPI LateChooseColorA(LPCHOOSECOLORA choice)
{
    LATE(ChooseColorType, "comdlg32.dll", "ChooseColorA");
    return Function ? Function(choice) : FALSE;
}

BOOL LateGetSaveFileNameA(LPOPENFILENAMEA ofn)
{
    LATE(GetSaveFileNameType, "comdlg32.dll", "GetSaveFileNameA");
    return Function ? Function(ofn) : FALSE;
}

HINSTANCE WINAPI LateShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                   INT show)
{
    LATE(ShellExecuteType, "shell32.dll", "ShellExecuteA");
    // the result of a shell that could not run: out of memory
    return Function ? Function(window, verb, file, parameters, directory, show) : (HINSTANCE)0;
}

BOOL WINAPI LateShell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data)
{
    LATE(ShellNotifyIconType, "shell32.dll", "Shell_NotifyIconW");
    return Function ? Function(message, data) : FALSE;
}

BOOL LatePlaySoundA(LPCSTR sound, HMODULE module, DWORD flags)
{
    LATE(PlaySoundType, "winmm.dll", "PlaySoundA");
    return Function ? Function(sound, module, flags) : FALSE;
}

HRESULT LateGetDpiForMonitor(HMONITOR monitor, int type, UINT *dpiX, UINT *dpiY)
{
    LATE(GetDpiForMonitorType, "shcore.dll", "GetDpiForMonitor");
    return Function ? Function(monitor, type, dpiX, dpiY) : E_NOTIMPL;
}

UINT LateGetDpiForWindow(HWND window)
{
    LATE(GetDpiForWindowType, "user32.dll", "GetDpiForWindow");
    return Function ? Function(window) : 0;
}
