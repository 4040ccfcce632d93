#include "wintext.h"
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include "../records/gb18030.h"
#include "../records/gbk.h"

WCHAR *WideFromGbk(const char *gbk, int length)
{
    size_t n = gbk ? (length < 0 ? strlen(gbk) : (size_t)length) : 0;
    // one unit for each byte at most: four bytes give two units
    WCHAR *wide = (WCHAR *)malloc((n + 1) * sizeof(WCHAR));
    if (!wide)
        return 0;
    size_t units = n ? GbkToUtf16(gbk, n, (uint16_t *)wide) : 0;
    wide[units] = 0;
    return wide;
}

char *GbkFromWide(const WCHAR *text, int length)
{
    size_t n = text ? (length < 0 ? wcslen(text) : (size_t)length) : 0;
    char *gbk = (char *)malloc(4 * n + 1);   // a unit beyond GBK takes four bytes
    if (!gbk)
        return 0;
    size_t bytes = n ? Utf16ToGbk((const uint16_t *)text, n, gbk) : 0;
    gbk[bytes] = 0;
    return gbk;
}

BOOL SetTextGbk(HWND window, const char *gbk)
{
    WCHAR *wide = WideFromGbk(gbk);
    BOOL done = wide ? SetWindowTextW(window, wide) : FALSE;
    free(wide);
    return done;
}

BOOL SetItemTextGbk(HWND dialog, int id, const char *gbk) { return SetTextGbk(GetDlgItem(dialog, id), gbk); }

char *GetTextGbk(HWND window)
{
    int n = GetWindowTextLengthW(window);
    WCHAR *wide = (WCHAR *)calloc((size_t)(n > 0 ? n : 0) + 1, sizeof(WCHAR));
    if (!wide)
        return 0;
    if (n > 0)
        GetWindowTextW(window, wide, n + 1);
    char *gbk = GbkFromWide(wide);
    free(wide);
    return gbk;
}

static int CopyCut(char *out, int size, const char *gbk)
{
    if (!out || size <= 0)
        return 0;
    GbkCopyCut(out, gbk ? gbk : "", (size_t)size - 1);
    return (int)strlen(out);
}

int GetItemTextGbk(HWND dialog, int id, char *out, int size)
{
    char *gbk = GetTextGbk(GetDlgItem(dialog, id));
    int n = CopyCut(out, size, gbk);
    free(gbk);
    return n;
}

LRESULT SendTextGbk(HWND window, UINT message, WPARAM wParam, const char *gbk)
{
    WCHAR *wide = WideFromGbk(gbk);
    LRESULT result = wide ? SendMessageW(window, message, wParam, (LPARAM)wide) : -1;
    free(wide);
    return result;
}

LRESULT SendItemTextGbk(HWND dialog, int id, UINT message, WPARAM wParam, const char *gbk)
{
    return SendTextGbk(GetDlgItem(dialog, id), message, wParam, gbk);
}

int ComboTextGbk(HWND combo, WPARAM index, char *out, int size)
{
    LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (n == CB_ERR || n < 0)
        return CopyCut(out, size, "");
    WCHAR *wide = (WCHAR *)calloc((size_t)n + 1, sizeof(WCHAR));
    if (!wide)
        return CopyCut(out, size, "");
    SendMessageW(combo, CB_GETLBTEXT, index, (LPARAM)wide);
    char *gbk = GbkFromWide(wide);
    int copied = CopyCut(out, size, gbk);
    free(gbk);
    free(wide);
    return copied;
}

int MessageBoxGbk(HWND owner, const char *text, const char *caption, UINT type)
{
    WCHAR *wideText = WideFromGbk(text);
    WCHAR *wideCaption = WideFromGbk(caption);
    int answer = MessageBoxW(owner, wideText ? wideText : L"", wideCaption, type);
    free(wideText);
    free(wideCaption);
    return answer;
}

int LoadStringGbk(HINSTANCE instance, UINT id, char *out, int size)
{
    const WCHAR *resource = 0;
    // with no buffer LoadStringW hands out the string in the resource itself
    int n = LoadStringW(instance, id, (LPWSTR)&resource, 0);
    if (n <= 0 || !resource) {
        CopyCut(out, size, "");
        return 0;
    }
    char *gbk = GbkFromWide(resource, n);
    int copied = CopyCut(out, size, gbk);
    free(gbk);
    return copied;
}

int DrawTextGbk(HDC dc, const char *gbk, int length, RECT *box, UINT format)
{
    WCHAR *wide = WideFromGbk(gbk, length);
    int height = wide ? DrawTextW(dc, wide, -1, box, format) : 0;
    free(wide);
    return height;
}

BOOL TextExtentGbk(HDC dc, const char *gbk, int length, SIZE *size)
{
    WCHAR *wide = WideFromGbk(gbk, length);
    BOOL done = wide ? GetTextExtentPoint32W(dc, wide, (int)wcslen(wide), size) : FALSE;
    free(wide);
    return done;
}

void CopyGbkToWide(WCHAR *out, int max, const char *gbk)
{
    if (!out || max <= 0)
        return;
    WCHAR *wide = WideFromGbk(gbk);
    int n = wide ? (int)wcslen(wide) : 0;
    if (n > max - 1) {
        n = max - 1;
        if (n > 0 && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF)
            n--;   // never half a surrogate pair
    }
    if (n > 0)
        memcpy(out, wide, (size_t)n * sizeof(WCHAR));
    out[n] = 0;
    free(wide);
}
