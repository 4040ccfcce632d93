// Small pieces the dialogs share.
#pragma once
#include <windows.h>

// Adds a left-aligned column to a list view, its title a program string.
void AddListColumn(HWND listView, int index, int titleId, int width);

// The modified flag of an editor (holidays, memos), kept in the dialog's
// DWLP_USER slot: set by every change, cleared at the start and once saved.
void SetDialogModified(HWND dialog, int modified);
int DialogModified(HWND dialog);

// Tells the user that data could not be saved (it stays in memory); buttons
// as MessageBox takes them besides the icon. MessageBox's answer.
int SaveErrorBox(HWND owner, UINT buttons);
