#include "daycolour.h"
#include "../calendar/holiday.h"
#include "../calendar/offdays.h"
#include "../store/recordstore.h"
#include "../records/settings.h"

static int IsMarked(PackedDate date)
{
    StoreItem *note = FindDayNote(date);
    return note && note->entry.userValue != 0;
}

uint32_t DayColourOf(PackedDate date, int weekday, int isHoliday)
{
    if (IsMarked(date))
        return Settings.colorMark;
    const int offDay = OffDayOn(date, 0);
    // a weekday off is a holiday; a weekend day worked is an ordinary day
    if (isHoliday || (offDay == OFFDAY_REST && weekday >= 1 && weekday <= 5))
        return Settings.colorHoliday;
    if ((weekday == 0 || weekday == 6) && offDay != OFFDAY_WORK)
        return Settings.colorWeekend;
    return Settings.colorDefault;
}

uint32_t DayColour(PackedDate date)
{
    return DayColourOf(date, WeekdayOf(date), HolidaysOn(date, SolarTermsAreHolidays()) != 0);
}
