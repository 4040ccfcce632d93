#include "gbk.h"
#include <stdint.h>
#include <string.h>
#include "gb18030.h"

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

size_t GbkToUtf8(const char *gbk, size_t length, char *out)
{
    size_t written = 0;
    for (size_t i = 0; i < length;) {
        uint32_t cp;
        // one U+FFFD for the whole of a pair or four-byte sequence that is no character
        size_t used = Gb18030DecodeOrMark(gbk + i, length - i, &cp);
        written += Utf8Encode(cp, out + written);
        i += used;
    }
    return written;
}
