// The few platform services the engine needs. On Windows they come from the
// system; the native build gets a stand-in that reads the local clock.
#pragma once
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <stdint.h>
typedef uint16_t WORD;
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
void GetLocalTime(SYSTEMTIME *st);
void GetSystemTime(SYSTEMTIME *st);   // UTC
#endif
