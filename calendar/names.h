// Names of the Chinese calendar: stems, branches, animals, numerals, weekday,
#include <stdint.h>
// lunar month and lunar day names.
#pragma once

// The four tables one after another: 10 stems, 12 branches, 12 animals, 13 numerals.
extern const char *const CalendarNames[47];
#define HeavenlyStems   (CalendarNames + 0)
#define EarthlyBranches (CalendarNames + 10)
#define ZodiacAnimals   (CalendarNames + 22)
#define Numerals        (CalendarNames + 34)   // index 0 is the empty text

const char *WeekdayName(int weekday);       // "日" for 0, 一..六
const char *LunarMonthName(int month);      // 正, 二 .. 十一, 腊
const char *LunarDayName(int day);          // 初一 .. 三十 (anything above 29 is 三十)
const char *StemOf(int32_t counter);        // HeavenlyStems[counter mod 10]
const char *BranchOf(int32_t counter);      // EarthlyBranches[counter mod 12]
const char *AnimalOf(int32_t yearCycle);    // ZodiacAnimals[yearCycle mod 12]
const char *MonthSizeWord(int monthDays);   // "大" for 30, "小" for 29
