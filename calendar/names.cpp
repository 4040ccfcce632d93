// The fixed names of the Chinese calendar.
#include "names.h"

// clang-format off
const char *const CalendarNames[47] = {
    // heavenly stems
    "甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸",
    // earthly branches
    "子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥",
    // zodiac animals
    "鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪",
    // numerals, 0 being the empty text
    "", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "十一", "十二",
};
// clang-format on

// The counters are never negative in practice; a floor residue keeps a stray
// negative value inside the tables all the same.
static int Residue(int32_t value, int modulus)
{
    int r = (int)(value % modulus);
    return r < 0 ? r + modulus : r;
}

const char *WeekdayName(int weekday)
{
    int w = Residue(weekday, 7);
    return w == 0 ? "日" : Numerals[w];
}

const char *LunarMonthName(int month)
{
    if (month <= 1)
        return "正";
    if (month >= 12)
        return "腊";
    return Numerals[month];
}

// The thirty day names, written out: 初一..初十, 十一..十九, 二十, 廿一..廿九, 三十.
// clang-format off
static const char *const LunarDayNames[31] = {
    "初",
    "初一", "初二", "初三", "初四", "初五", "初六", "初七", "初八", "初九", "初十",
    "十一", "十二", "十三", "十四", "十五", "十六", "十七", "十八", "十九", "二十",
    "廿一", "廿二", "廿三", "廿四", "廿五", "廿六", "廿七", "廿八", "廿九", "三十",
};
// clang-format on

const char *LunarDayName(int day)
{
    if (day < 0)
        day = 0;   // as 初 with the empty numeral
    if (day > 30)
        day = 30;
    return LunarDayNames[day];
}

const char *StemOf(int32_t counter) { return HeavenlyStems[Residue(counter, 10)]; }
const char *BranchOf(int32_t counter) { return EarthlyBranches[Residue(counter, 12)]; }
const char *AnimalOf(int32_t yearCycle) { return ZodiacAnimals[Residue(yearCycle, 12)]; }

const char *MonthSizeWord(int monthDays) { return monthDays == 29 ? "小" : "大"; }
