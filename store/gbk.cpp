#include "gbk.h"
#include <string.h>

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
