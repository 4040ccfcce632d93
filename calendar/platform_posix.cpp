// The local and UTC clocks for the native build, in the shape of the Win32 calls.
#ifndef _WIN32
#include "platform.h"

#include <sys/time.h>
#include <time.h>

static void FromTm(SYSTEMTIME *st, const struct tm &local, const struct timeval &now)
{
    st->wYear = (WORD)(local.tm_year + 1900);
    st->wMonth = (WORD)(local.tm_mon + 1);
    st->wDayOfWeek = (WORD)local.tm_wday;
    st->wDay = (WORD)local.tm_mday;
    st->wHour = (WORD)local.tm_hour;
    st->wMinute = (WORD)local.tm_min;
    st->wSecond = (WORD)local.tm_sec;
    st->wMilliseconds = (WORD)(now.tv_usec / 1000);
}

// The clock now, broken down by convert (local time or UTC).
static void ReadClock(SYSTEMTIME *st, struct tm *(*convert)(const time_t *, struct tm *))
{
    struct timeval now;
    gettimeofday(&now, 0);
    time_t seconds = now.tv_sec;
    struct tm broken;
    convert(&seconds, &broken);
    FromTm(st, broken, now);
}

void GetLocalTime(SYSTEMTIME *st) { ReadClock(st, localtime_r); }

void GetSystemTime(SYSTEMTIME *st) { ReadClock(st, gmtime_r); }
#endif
