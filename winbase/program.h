// What every Win32 part of the program shares: the module that holds its
// resources, the month window, the screen's width and the pause of a slide.
// Start-up sets them; the folders above this one read them.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "wintext.h"

extern HINSTANCE AppInstance;
extern HWND MonthWindow;
extern int32_t ScreenWidth;   // SM_CXSCREEN, read once at start-up
// The pause between the steps of a slide (the calendar's and the alert
// window's): Sleep; the in-process tests pass over it.
extern void(WINAPI *PauseSlide)(DWORD ms);
