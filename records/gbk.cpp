#include "gbk.h"
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <iconv.h>
#endif

size_t GbkValidCharLength(const unsigned char *p, size_t left)
{
    if (left == 0)
        return 0;
    if (p[0] < 0x80)
        return 1;
    if (p[0] == 0x80 || p[0] == 0xFF || left < 2)
        return 0;
    if (p[1] >= 0x40 && p[1] <= 0xFE && p[1] != 0x7F)
        return 2;
    if (p[1] >= 0x30 && p[1] <= 0x39 && left >= 4 && p[2] >= 0x81 && p[2] <= 0xFE && p[3] >= 0x30 &&
        p[3] <= 0x39)
        return 4;
    return 0;
}

int GbkIsValid(const char *text, size_t length)
{
    const unsigned char *p = (const unsigned char *)text;
    size_t i = 0;
    while (i < length) {
        size_t n = GbkValidCharLength(p + i, length - i);
        if (!n)
            return 0;
        i += n;
    }
    return 1;
}

size_t GbkCutLength(const char *text, size_t limit)
{
    if (!text)
        return 0;
    const unsigned char *p = (const unsigned char *)text;
    size_t n = 0;
    while (p[n]) {
        size_t step = GbkCharLength((const char *)p + n);
        if (n + step > limit)
            break;
        n += step;
    }
    return n;
}

void GbkCopyCut(char *dst, const char *src, size_t limit)
{
    size_t n = GbkCutLength(src, limit);
    if (n)
        memcpy(dst, src, n);
    dst[n] = 0;
}

const char *GbkFindLast(const char *text, char ch)
{
    if (!text)
        return 0;
    const unsigned char *p = (const unsigned char *)text;
    const char *found = 0;
    while (*p) {
        size_t step = GbkCharLength((const char *)p);
        if (step == 1 && *p == (unsigned char)ch)
            found = (const char *)p;
        p += step;
    }
    return found;
}

static const char Replacement[3] = {(char)0xEF, (char)0xBF, (char)0xBD};   // U+FFFD

#ifdef _WIN32
// One character (n bytes) that the whole-text conversion refused, or a text
// with such a character in it, taken a character at a time.
static size_t ConvertEach(const char *gbk, size_t length, char *out)
{
    size_t written = 0;
    for (size_t i = 0; i < length;) {
        size_t n = length - i >= 2 ? GbkCharLength(gbk + i) : 1;
        WCHAR wide[2];
        int w = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk + i, (int)n, wide, 2);
        int u = w > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, w, out + written, (int)(3 * n), 0, 0) : 0;
        if (u > 0) {
            written += (size_t)u;
        } else {
            memcpy(out + written, Replacement, 3);
            written += 3;
        }
        i += n;
    }
    return written;
}

size_t GbkToUtf8(const char *gbk, size_t length, char *out)
{
    if (length == 0)
        return 0;
    // The whole text in two calls; only a text that is not all GBK goes
    // character by character, so that one bad pair costs one U+FFFD.
    WCHAR small[512];
    WCHAR *wide = length <= 512 ? small : (WCHAR *)malloc(length * sizeof(WCHAR));
    int w = wide ? MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk, (int)length, wide, (int)length) : 0;
    int u = w > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, w, out, (int)(3 * length), 0, 0) : 0;
    if (wide != small)
        free(wide);
    return u > 0 ? (size_t)u : ConvertEach(gbk, length, out);
}
#else
size_t GbkToUtf8(const char *gbk, size_t length, char *out)
{
    // Opened once: a converter costs far more to open than to use.
    static iconv_t converter = (iconv_t)-1;
    if (converter == (iconv_t)-1)
        converter = iconv_open("UTF-8", "GBK");
    char *in = (char *)gbk;
    size_t inLeft = length;
    char *to = out;
    size_t toLeft = 3 * length;
    while (inLeft > 0) {
        if (converter != (iconv_t)-1 && iconv(converter, &in, &inLeft, &to, &toLeft) != (size_t)-1)
            break;
        // iconv stopped at a byte or pair that is not GBK: one U+FFFD for it
        if (converter != (iconv_t)-1)
            iconv(converter, 0, 0, 0, 0);
        size_t n = inLeft >= 2 ? GbkCharLength(in) : 1;
        memcpy(to, Replacement, 3);
        to += 3;
        toLeft -= 3;
        in += n;
        inLeft -= n;
    }
    return (size_t)(to - out);
}
#endif
