// The application shell: start-up, the message loop, shutdown and the
// dispatch of user commands. Process-wide state lives here.
#pragma once
#include <windows.h>
#include <stdint.h>

#define MONTH_CLASS         "LoomhouseMonth"
#define MONTH_TITLE         "Loomhouse"
#define INSTANCE_MUTEX_NAME "Local\\Loomhouse.SingleInstance"
// A second start posts this registered message to the running calendar,
// which slides in, and then ends.
#define BRING_OUT_MESSAGE_NAME "Loomhouse.BringOutCalendar"

extern HINSTANCE AppInstance;
extern HWND MonthWindow;
extern int32_t ScreenWidth;   // SM_CXSCREEN, read once at start-up
extern UINT BringOutMessage;  // BRING_OUT_MESSAGE_NAME, registered at start-up
// TIMER_CLOCK's period in ms: CLOCK_PERIOD; the in-process tests, whose tick
// clock is their own, let it tick faster instead of waiting seconds.
#define CLOCK_PERIOD 1000
extern UINT ClockPeriod;
// The pause between the steps of a slide (the calendar's and the alert
// window's): Sleep; the in-process tests pass over it.
extern void(WINAPI *PauseSlide)(DWORD ms);

int InitApplication(HINSTANCE instance);   // 1 on success, 0 when the program must end
int ShutdownApplication(HWND window);      // 0
// Closes the single-instance mutex. The program never calls it (the mutex lives
// as long as the process); the in-process tests do, to start the program again.
void ReleaseInstanceGuard();

// The commands of the toolbar and the popup menu.
LRESULT OnMonthCommand(HWND window, int id, int code, LPARAM lParam);
int ShowPopupMenu(HWND window);

// Saving at once, when the user finishes an action that changes stored data.
// Each replaces its file by a complete new one and, when that fails, says so
// in a message box owned by owner and keeps the data in memory. 1 when saved.
int SaveConfigNow(HWND owner);   // "dlm.ini"; sets ConfigChanged, so the exit writes it as well
int SaveNotesNow(HWND owner);    // "dlm.db"

// The midnight check of the one-second clock: when the local date is no
// longer TodayDate, do what a change of the system time does. 1 if it did.
int CheckDateChange(HWND window);
// What WM_TIMECHANGE does: refresh TodayDate, re-arm the reminders, refresh
// the tray icon and show today's month.
void OnTimeChange(HWND window);
