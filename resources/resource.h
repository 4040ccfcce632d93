// Every resource, control, command and string id of the program, defined once.
// Included by the resource script and by the code, so plain defines only.
#pragma once

// ---- dialog templates ----
#define IDD_SETTINGS       104
#define IDD_HOLIDAYS       106
#define IDD_STICKY_NOTE    107
#define IDD_MEMOS          108
#define IDD_ABOUT          114
#define IDD_ALERT          118
#define IDD_DATE_INFO      121
#define IDD_OFFDAYS        122

// ---- menus ----
#define IDR_POPUP_MENU     119

// ---- bitmaps and icons ----
#define IDB_TOOLBAR_HOT    111
#define IDB_TOOLBAR        112
// the toolbar pictures drawn at 24 and 32 pixels, for 150 % and 200 %
#define IDB_TOOLBAR_24     140
#define IDB_TOOLBAR_HOT_24 141
#define IDB_TOOLBAR_32     142
#define IDB_TOOLBAR_HOT_32 143
#define IDI_PROGRAM        116

// ---- sounds ----
#define IDW_ALARM          127

// ---- strings ----
#define IDS_TIME           109   // "时间"
#define IDS_REMIND         110   // "提醒"
#define IDS_NEED_MEMO_TEXT 111   // "请输入提醒文本！"
#define IDS_ERROR          112   // "错误"
#define IDS_DATE           114   // "日期"
#define IDS_CHIME          115   // "现在时刻：%d点整"
#define IDS_SOLAR_RULE     116   // "阳历 %02d月%02d日"
#define IDS_LUNAR_RULE     117   // "农历 %02d月%02d日"
#define IDS_WEEK_RULE      118   // "%02s月%s数第%s个星期%s"
#define IDS_NEED_HOLIDAY   119   // "请输入节日名称！"
#define IDS_HOLIDAY        120   // "节日"
#define IDS_HOME_PAGE      130   // the project's home page, the about box's first link
#define IDS_CONTACT_ADDRESS 131   // the project's contact address, the about box's mail link

// ---- commands ----
#define IDM_ABOUT          40014
#define IDM_STICKY_NOTE    40042
#define IDM_PREV_YEAR      40043
#define IDM_NEXT_YEAR      40044
#define IDM_PREV_MONTH     40045
#define IDM_NEXT_MONTH     40046
#define IDM_TODAY          40047
#define IDM_EXIT           40048
#define IDM_DATE_INFO      40055
#define IDM_HOLIDAYS       40064
#define IDM_REMINDERS      40065
#define IDM_SETTINGS       40066
#define IDM_OFFDAYS        40067

// ---- controls ----
#define IDC_TOOLBAR        100
#define IDC_ALERT_LIST     1001
#define IDC_NOTE_TEXT      1002
#define IDC_LIST_VIEW      1003
#define IDC_MEMO_DATE      1004
#define IDC_MEMO_TIME      1005
#define IDC_REPORT         1006
#define IDC_HOLIDAY_SOLAR  1010
#define IDC_HOLIDAY_LUNAR  1011
#define IDC_WEEKLY         1012
#define IDC_WEEK_MONTH     1013
#define IDC_MONTH          1014
#define IDC_DAY            1015
#define IDC_WEEKDAY        1016
#define IDC_ORDINAL        1017
#define IDC_DIRECTION      1018
#define IDC_MARK           1019
#define IDC_OPT_CHIME      1020
#define IDC_OPT_TERMS      1021
#define IDC_OPT_HOLIDAY    1022
#define IDC_COLOR_BACK     1023
#define IDC_COLOR_HOLIDAY  1024
#define IDC_COLOR_WEEKEND  1025
#define IDC_COLOR_DEFAULT  1026
#define IDC_COLOR_MARK     1027
#define IDC_OPT_PURGE      1029
#define IDC_OPT_AUTOCLOSE  1030
#define IDC_OPT_SOUND      1031
#define IDC_OPT_MEAN_TERMS 1032
#define IDC_WEB_LINK       1038
#define IDC_MAIL_LINK      1039
#define IDC_VERSION        1040   // the about box's version line
#define IDC_LINK_STATUS    1041   // the about box: why a link did not open
#define IDC_ALERT_TITLE    1044
#define IDC_SOLAR_PICKER   1045
#define IDC_LUNAR_YEAR     1046   // the date information dialog's; it shares IDC_LUNAR_MONTH and IDC_LUNAR_DAY
#define IDC_ADD            1047
#define IDC_DELETE         1048
#define IDC_CLEAR          1049
#define IDC_HOLIDAY_QUERY  1051
#define IDC_MEMO_DATED     1055
#define IDC_MEMO_MONTHLY   1056
#define IDC_COUNTDOWN      1060
// the memo editor's yearly modes and the calendar export
#define IDC_MEMO_YEARLY    1061
#define IDC_MEMO_LUNAR_YEARLY 1062
#define IDC_YEARLY_MONTH   1063
#define IDC_YEARLY_DAY     1064
#define IDC_LUNAR_MONTH    1065
#define IDC_LUNAR_LEAP     1066
#define IDC_LUNAR_DAY      1067
#define IDC_EXPORT         1068
#define IDC_OFFDAY_DATE    1069
#define IDC_OFFDAY_REST    1070
#define IDC_OFFDAY_WORK    1071
#define IDC_OFFDAY_NAME    1072
#define IDC_OFFDAY_LIST    1073
#define IDC_OFFDAY_NOTE    1074
#define IDC_MEMO_WORKDAYS  1075
#define IDC_MEMO_DAILY     1076

// ---- timers and private messages ----
#define TIMER_AUTOHIDE     275
#define TIMER_NOTE_SAVE    276   // the sticky note: unsaved typing reaches its file
#define TIMER_TOOLBAR_ARM  277   // the toolbar's buttons act once it has been seen
#define TOOLBAR_ARM_DELAY  300   // ms
#define TIMER_CLOCK        1224
#define WM_TRAYICON        2024
// WM_APP + 1, sent to each open dialog before the program ends: wParam 1 when
// nobody can answer (save), 0 to ask as closing would. QUIT_KEEP_OPEN when
// the user chose to stay.
#define WM_QUERY_QUIT      0x8001
#define QUIT_KEEP_OPEN     1
// WM_APP + 2, posted to the month window when something it shows changed:
// wParam holds what (CHANGED_*). The month is redrawn and the tray icon
// refreshed, once for all of it.
#define WM_CALENDAR_CHANGED 0x8002
#define CHANGED_NOTES      0x01    // a day's note or mark
#define CHANGED_HOLIDAYS   0x02
#define CHANGED_OFFDAYS    0x04    // the days off and make-up workdays
#define CHANGED_LOOKS      0x08    // the settings: colours and options
#define CHANGED_DATE       0x10    // today
#define CHANGED_SHOW_TODAY 0x100   // and the month shown goes back to today's
