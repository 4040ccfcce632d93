#include "traylook.h"
#include "../calendar/daytext.h"
#include "../monthview/daycolour.h"
#include "../records/gbk.h"
#include "../records/settings.h"

void CutTrayTip(char *tip, const char *text) { GbkCopyCut(tip, text ? text : "", TRAY_TIP_SIZE - 1); }

void TrayLookOf(PackedDate date, TrayLook *look)
{
    look->day = DATE_DAY(date);
    look->colour = DayColour(date);
    int flags = DAYTEXT_SOLAR | DAYTEXT_LUNAR | DAYTEXT_HOLIDAYS;
    if (SolarTermsAreHolidays())
        flags |= DAYTEXT_TERMS;
    CutTrayTip(look->tip, DayText(date, flags));
}
