// The program's texts that are addressed by string id.
#include "strings.h"

const char *BuiltInString(int id)
{
    switch (id) {
    case IDS_TIME: return "时间";
    case IDS_REMIND: return "提醒";
    case IDS_NEED_MEMO_TEXT: return "请输入提醒文本！";
    case IDS_ERROR: return "错误";
    case IDS_DATE: return "日期";
    case IDS_CHIME: return "现在时刻：%d点整";
    case IDS_SOLAR_RULE: return "阳历 %02d月%02d日";
    case IDS_LUNAR_RULE: return "农历 %02d月%02d日";
    case IDS_WEEK_RULE: return "%02s月%s数第%s个星期%s";
    case IDS_NEED_HOLIDAY: return "请输入节日名称！";
    case IDS_HOLIDAY: return "节日";
    default: return 0;
    }
}

const char *(*LoadProgramString)(int id) = BuiltInString;
