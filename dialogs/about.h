// The about box (template 114): what the tests reach besides OpenAboutBox.
#pragma once
#include <windows.h>

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The query that gives a new mail its subject.
#define MAIL_SUBJECT_QUERY "?subject=About:[Loomhouse]"
// The two links as the shell is given them: the home page, and "mailto:",
// the contact address and the subject query. False when a buffer is too small.
BOOL HomePageLink(char *out, int size);
BOOL MailLink(char *out, int size);

// The about box's word on a link that did not open, from ShellExecute's
// result: empty above 32 (opened).
const char *LinkFailureText(INT_PTR result);

// ShellExecuteA; the tests put a recorder here, so that no browser opens.
extern HINSTANCE(WINAPI *ShellOpen)(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show);
