// The program's dialogs: what the month window, the tray icon and start-up
// open. Each modal dialog is owned by the month window and returns when the
// user closes it; the sticky note is modeless.
#pragma once
#include <windows.h>
#include "../calendar/calendar.h"

// The date information dialog (template 121) on a date: its report, its note
// and its mark.
LRESULT OpenDateInfo(HWND owner, PackedDate date);
// The holiday editor (template 106).
LRESULT OpenHolidayEditor(HWND owner);
// The editor of the days off and make-up workdays (template 122).
LRESULT OpenOffDayEditor(HWND owner);
// The settings dialog (template 104).
LRESULT OpenSettingsDialog(HWND owner);
// The about box (template 114).
LRESULT OpenAboutBox(HWND owner);

// The sticky note (template 107): the window while it exists, else null.
extern HWND StickyNoteWindow;
// Creates the note, or slides it in when it exists already. 0.
LRESULT OpenStickyNote(HWND owner);

// A dialog's answer to WM_QUERY_QUIT: QUIT_KEEP_OPEN when keepOpen, else 0. TRUE.
INT_PTR AnswerQuitQuery(HWND dialog, int keepOpen);

// Appends text at the end of a multi-line edit control; nothing when either is missing.
void AppendEditText(HWND edit, const char *text);
