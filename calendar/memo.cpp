#include "memo.h"
#include "names.h"
#include <stdio.h>

int MemoAppliesOn(uint32_t when, PackedDate date)
{
    return when == (uint32_t)date || when == REMIND_EVERY_DAY ||
           when == (REMIND_MONTHLY | (uint32_t)DATE_DAY(date)) ||
           when == (REMIND_WEEKLY | (uint32_t)WeekdayOf(date));
}

const char *FormatMemoWhen(uint32_t when)
{
    const uint32_t value = when & 0x0FFFFFFF;
    if ((when & 0xF0000000) == REMIND_MONTHLY && value >= 1 && value <= 31) {
        snprintf(SharedTextBuffer, sizeof SharedTextBuffer, "每月%d日", (int)value);
        return SharedTextBuffer;
    }
    if ((when & 0xF0000000) == REMIND_WEEKLY && value <= 6) {
        snprintf(SharedTextBuffer, sizeof SharedTextBuffer, "每周%s", WeekdayName((int)value));
        return SharedTextBuffer;
    }
    const char *text = FormatPackedDate((PackedDate)when);
    return text ? text : "[无]";
}
