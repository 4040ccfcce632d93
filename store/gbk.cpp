#include "gbk.h"
#include <string.h>

static inline int IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
static inline int IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE; }

// Bytes taken by the character at p: 2 for a lead byte with a trail byte
// after it, 1 otherwise (a lone lead byte counts as a character of its own).
static inline size_t CharLength(const unsigned char *p) { return (IsLead(p[0]) && IsTrail(p[1])) ? 2 : 1; }

size_t GbkCutLength(const char *text, size_t limit)
{
    if (!text)
        return 0;
    const unsigned char *p = (const unsigned char *)text;
    size_t n = 0;
    while (p[n]) {
        size_t step = CharLength(p + n);
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
        size_t step = CharLength(p);
        if (step == 1 && *p == (unsigned char)ch)
            found = (const char *)p;
        p += step;
    }
    return found;
}
