// The local clock for the native build, in the shape of the Win32 call.
#ifndef _WIN32
#include "platform.h"

#include <sys/time.h>
#include <time.h>

void GetLocalTime(SYSTEMTIME *st)
{
    struct timeval now;
    gettimeofday(&now, 0);
    time_t seconds = now.tv_sec;
    struct tm local;
    localtime_r(&seconds, &local);
    st->wYear = (WORD)(local.tm_year + 1900);
    st->wMonth = (WORD)(local.tm_mon + 1);
    st->wDayOfWeek = (WORD)local.tm_wday;
    st->wDay = (WORD)local.tm_mday;
    st->wHour = (WORD)local.tm_hour;
    st->wMinute = (WORD)local.tm_min;
    st->wSecond = (WORD)local.tm_sec;
    st->wMilliseconds = (WORD)(now.tv_usec / 1000);
}
#endif
