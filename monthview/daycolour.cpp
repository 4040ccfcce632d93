#include "daycolour.h"
#include "../calendar/holiday.h"
#include "../store/recordstore.h"
#include "../store/settings.h"

static int IsMarked(PackedDate date)
{
    StoreItem *note = FindDayNote(date);
    return note && note->entry.userValue != 0;
}

uint32_t DayColourOf(PackedDate date, int weekday, int isHoliday)
{
    if (IsMarked(date))
        return Settings.colorMark;
    if (isHoliday)
        return Settings.colorHoliday;
    if (weekday == 0 || weekday == 6)
        return Settings.colorWeekend;
    return Settings.colorDefault;
}

uint32_t DayColour(PackedDate date)
{
    return DayColourOf(date, WeekdayOf(date), HolidaysOn(date, SolarTermsAreHolidays()) != 0);
}
