#include "program.h"

HINSTANCE AppInstance;
HWND MonthWindow;
int32_t ScreenWidth;
void(WINAPI *PauseSlide)(DWORD ms) = Sleep;
