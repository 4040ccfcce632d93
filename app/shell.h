// The application shell: start-up, the message loop, shutdown and the
// dispatch of user commands. Process-wide state lives here.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "../winbase/program.h"

#define MONTH_CLASS         "LoomhouseMonth"
#define MONTH_TITLE         "Loomhouse"
#define INSTANCE_MUTEX_NAME "Local\\Loomhouse.SingleInstance"
// A second start posts this registered message to the running calendar,
// which slides in, and then ends.
#define BRING_OUT_MESSAGE_NAME "Loomhouse.BringOutCalendar"

// AppInstance, MonthWindow, ScreenWidth and PauseSlide are in winbase/program.h.
extern UINT BringOutMessage;  // BRING_OUT_MESSAGE_NAME, registered at start-up
// TIMER_CLOCK's period in ms: CLOCK_PERIOD; the in-process tests, whose tick
// clock is their own, let it tick faster instead of waiting seconds.
#define CLOCK_PERIOD 1000
extern UINT ClockPeriod;

int InitApplication(HINSTANCE instance);   // 1 on success, 0 when the program must end
int ShutdownApplication(HWND window);      // 0
// Closes the single-instance mutex. The program never calls it (the mutex lives
// as long as the process); the in-process tests do, to start the program again.
void ReleaseInstanceGuard();

// The month window's procedure (the program's main window).
LRESULT CALLBACK MonthWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_CALENDAR_CHANGED: the month is drawn again (at today's month with
// CHANGED_SHOW_TODAY, its background too with CHANGED_LOOKS) and the tray
// icon shows today anew. Nothing once the drawing surfaces are gone.
void OnCalendarChanged(HWND window, UINT what);
// Posts WM_CALENDAR_CHANGED with what to the month window, if there is one:
// how the dialogs tell it that what it shows has changed.
void PostCalendarChanged(UINT what);

// The commands of the toolbar and the popup menu.
LRESULT OnMonthCommand(HWND window, int id, int code, LPARAM lParam);
int ShowPopupMenu(HWND window);

// Saving at once, when the user finishes an action that changes stored data.
// Each replaces its file by a complete new one and, when that fails, says so
// in a message box owned by owner and keeps the data in memory. 1 when saved.
int SaveConfigNow(HWND owner);   // "dlm.ini"; ConfigChanged stays set only when the save failed
// Says where a save kept a damaged file (FileKeptCopyName), if it did.
void TellKeptCopy(HWND owner);
int SaveNotesNow(HWND owner);    // "dlm.db"
int SaveOffDaysNow(HWND owner);  // the days-off file
// Other writers (loomcal) change the files while the program runs. The
// one-second clock looks at each file's size and time (one system call each)
// and takes in what changed: notes and holidays redraw the month, memos are
// queued again, settings apply. While a dialog is open this waits: the
// dialog may hold records being edited, and its own save merges anyway.
void TakeInOtherWriters();
// What a merge brought in from the file (CONFIG_TOOK_*) takes effect.
void ApplyTakenIn(int took);
// The days-off file as the program last read or wrote it.
void NoteOffDaysFileSeen();

// The TIMER_CLOCK callback, once a second: the due reminder (at most one),
// then the midnight check, then what other writers changed.
void CALLBACK ClockTick(HWND window, UINT message, UINT_PTR id, DWORD tick);
// The midnight check of the one-second clock: when the local date is no
// longer TodayDate, do what a change of the system time does. 1 if it did.
int CheckDateChange(HWND window);
// What WM_TIMECHANGE does: refresh TodayDate, re-arm the reminders, refresh
// the tray icon and show today's month.
void OnTimeChange(HWND window);

// ---- quitting, and one modal dialog at a time ----

// The dialog that takes the user's input while a modal dialog is open (the
// dialog, or a message box over it); null when none is open.
HWND OpenModalDialog();
// Brings that dialog to the front. 1 when there was one.
int BringModalDialogForward();
// Asks every open dialog (WM_QUERY_QUIT) to let the program end, as closing
// it would: a dialog with unsaved changes asks its question or saves. When
// nobody can answer (the end of the session) each saves what it holds and
// stays. 1 when the program may end (the dialogs are ended, unless nobody
// can answer), 0 when the user chose to stay.
int CloseDialogsForQuit(int nobodyCanAnswer);
// 退出, from the toolbar, the popup menu or a close: the dialogs are asked
// first, then the month window is destroyed.
LRESULT QuitProgram(HWND window);
// WM_QUERYENDSESSION: every open dialog saves what it holds. TRUE.
LRESULT OnQueryEndSession(HWND window);
