// What a memo's `when` means: on which dates it applies, and how it reads.
#pragma once
#include <stdint.h>
#include "calendar.h"
#include "../store/records.h"

// 1 when a memo with this `when` applies on the date: that date itself,
// every day, the day of the month (monthly) or the weekday (weekly).
int MemoAppliesOn(uint32_t when, PackedDate date);
// "每月%d日", "每周%s", the date, or "[无]" for every day; in the shared
// 500-byte buffer (or a constant), valid until the next use of that buffer.
const char *FormatMemoWhen(uint32_t when);
