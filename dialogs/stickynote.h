// The sticky note (template 107): what the tests reach besides OpenStickyNote.
#pragma once
#include <windows.h>

INT_PTR CALLBACK StickyNoteProc(HWND note, UINT message, WPARAM wParam, LPARAM lParam);

// Unsaved typing reaches "便签.txt" at most NoteSaveDelay ms after its first
// change: NOTE_SAVE_DELAY; the in-process tests wait a shorter time.
#define NOTE_SAVE_DELAY     2000
extern UINT NoteSaveDelay;
// The place of a note that has none saved: 250, 0, 350 x 250, docked to the top.
#define NOTE_DEFAULT_LEFT   250
#define NOTE_DEFAULT_TOP    0
#define NOTE_DEFAULT_RIGHT  600
#define NOTE_DEFAULT_BOTTOM 250
