// The one place where the program's text (GBK, with GB18030 four-byte codes)
// meets the Unicode windows. The windows are Unicode whatever the system's
// "language for non-Unicode programs" is; every text passes through the
// program's own converter (records/gb18030.h), never the ANSI code page.
#pragma once
#include <windows.h>

// malloc'ed NUL-terminated conversions; null only when memory ran out.
// length -1: up to the NUL.
WCHAR *WideFromGbk(const char *gbk, int length = -1);
char *GbkFromWide(const WCHAR *text, int length = -1);

// A window's or control's text.
BOOL SetTextGbk(HWND window, const char *gbk);
BOOL SetItemTextGbk(HWND dialog, int id, const char *gbk);
// The whole text as GBK, malloc'ed ("" when there is none); null when memory ran out.
char *GetTextGbk(HWND window);
// At most size - 1 bytes of it, cut on a character; returns the bytes copied.
int GetItemTextGbk(HWND dialog, int id, char *out, int size);

// A message whose lParam is a text: CB_ADDSTRING, LB_ADDSTRING, EM_REPLACESEL...
// sent as its Unicode form.
LRESULT SendTextGbk(HWND window, UINT message, WPARAM wParam, const char *gbk);
LRESULT SendItemTextGbk(HWND dialog, int id, UINT message, WPARAM wParam, const char *gbk);
// CB_GETLBTEXT of item index as GBK into out (size bytes, cut on a character).
int ComboTextGbk(HWND combo, WPARAM index, char *out, int size);

int MessageBoxGbk(HWND owner, const char *text, const char *caption, UINT type);
// A string of the string table as GBK, cut on a character; its length, 0 when missing.
int LoadStringGbk(HINSTANCE instance, UINT id, char *out, int size);

// GDI text of GBK strings (length -1: up to the NUL).
int DrawTextGbk(HDC dc, const char *gbk, int length, RECT *box, UINT format);
BOOL TextExtentGbk(HDC dc, const char *gbk, int length, SIZE *size);

// A list-view or tooltip callback asks for text into a WCHAR buffer of max units.
void CopyGbkToWide(WCHAR *out, int max, const char *gbk);
