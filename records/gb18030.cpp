#include "gb18030.h"
#include <stdlib.h>
#include <string.h>
#include "gbk.h"

#include "gb18030_table.inc"

// The index of a four-byte code counted from 0x81308130; codes below U+10000
// end at 39419 (0x8431A439), the others start at 189000 (0x90308130) in order.
enum { BmpFourByteCodes = 39420, SupplementaryFirst = 189000 };

static int IsDigit(unsigned char c) { return c >= 0x30 && c <= 0x39; }

size_t Gb18030Decode(const char *text, size_t left, uint32_t *cp)
{
    const unsigned char *p = (const unsigned char *)text;
    if (left == 0)
        return 0;
    if (p[0] < 0x80) {
        *cp = p[0];
        return 1;
    }
    if (p[0] == 0x80) {   // code page 936's euro sign
        *cp = 0x20AC;
        return 1;
    }
    if (p[0] == 0xFF || left < 2)
        return 0;
    if (p[1] >= 0x40 && p[1] <= 0xFE && p[1] != 0x7F) {
        *cp = GbkCells[(p[0] - 0x81) * 190 + p[1] - 0x40 - (p[1] > 0x7F)];
        return 2;
    }
    if (!IsDigit(p[1]) || left < 4 || p[2] < 0x81 || p[2] == 0xFF || !IsDigit(p[3]))
        return 0;
    uint32_t linear = (((uint32_t)(p[0] - 0x81) * 10 + (p[1] - 0x30)) * 126 + (p[2] - 0x81)) * 10 + (p[3] - 0x30);
    if (linear < BmpFourByteCodes) {
        size_t lo = 0, hi = FOUR_BYTE_RUNS;   // the last run starting at or before linear
        while (hi - lo > 1) {
            size_t mid = (lo + hi) / 2;
            if (FourByteRuns[mid][0] <= linear)
                lo = mid;
            else
                hi = mid;
        }
        *cp = FourByteRuns[lo][1] + (linear - FourByteRuns[lo][0]);
        return 4;
    }
    if (linear >= SupplementaryFirst && linear - SupplementaryFirst <= 0x10FFFF - 0x10000) {
        *cp = 0x10000 + (linear - SupplementaryFirst);
        return 4;
    }
    return 0;
}

// Code point -> two-byte cell, made once from GbkCells (a function-local static
// is made once even when threads race for it).
struct CellIndex {
    uint16_t cell[0x10000];   // lead << 8 | trail, 0 for none
    // FourByteRuns in the order of their code points: GB18030-2005 moved a
    // few characters, so the runs do not count up in both at once.
    uint16_t byCodePoint[FOUR_BYTE_RUNS];
};

static const CellIndex *BuildCellIndex()
{
    CellIndex *index = (CellIndex *)calloc(1, sizeof(CellIndex));
    if (!index)
        return 0;
    // Backwards, so that a code point with two cells keeps the first.
    for (int i = 126 * 190 - 1; i >= 0; i--) {
        int lead = 0x81 + i / 190, trail = 0x40 + i % 190;
        if (trail >= 0x7F)
            trail++;
        index->cell[GbkCells[i]] = (uint16_t)(lead << 8 | trail);
    }
    // What code page 936 wrote for these stays what is written (they read back
    // as the characters GB18030 gives those cells).
    for (int i = 0; i < CODE_PAGE_936_EXTRAS; i++)
        index->cell[CodePage936Extras[i][0]] = CodePage936Extras[i][1];
    for (int i = 0; i < FOUR_BYTE_RUNS; i++) {
        int at = i;
        for (; at > 0 && FourByteRuns[index->byCodePoint[at - 1]][1] > FourByteRuns[i][1]; at--)
            index->byCodePoint[at] = index->byCodePoint[at - 1];
        index->byCodePoint[at] = (uint16_t)i;
    }
    return index;
}

static const CellIndex *Cells()
{
    static const CellIndex *index = BuildCellIndex();
    return index;
}

static size_t FourBytes(uint32_t linear, char *out)
{
    out[3] = (char)(0x30 + linear % 10);
    linear /= 10;
    out[2] = (char)(0x81 + linear % 126);
    linear /= 126;
    out[1] = (char)(0x30 + linear % 10);
    out[0] = (char)(0x81 + linear / 10);
    return 4;
}

size_t Gb18030Encode(uint32_t cp, char *out)
{
    if (cp < 0x80) {
        out[0] = (char)cp;
        return 1;
    }
    if (cp == 0x20AC) {   // what code page 936 writes, and so every file so far
        out[0] = (char)0x80;
        return 1;
    }
    if (cp >= 0xD800 && cp <= 0xDFFF)
        return 0;
    if (cp >= 0x10000)
        return cp <= 0x10FFFF ? FourBytes(SupplementaryFirst + cp - 0x10000, out) : 0;
    const CellIndex *index = Cells();
    if (!index)
        return 0;
    if (uint16_t cell = index->cell[cp]) {
        out[0] = (char)(cell >> 8);
        out[1] = (char)(cell & 0xFF);
        return 2;
    }
    size_t lo = 0, hi = FOUR_BYTE_RUNS;   // the last run whose code points start at or before cp
    while (hi - lo > 1) {
        size_t mid = (lo + hi) / 2;
        if (FourByteRuns[index->byCodePoint[mid]][1] <= cp)
            lo = mid;
        else
            hi = mid;
    }
    const uint16_t *run = FourByteRuns[index->byCodePoint[lo]];
    return FourBytes(run[0] + (cp - run[1]), out);
}

size_t Utf8Decode(const char *text, size_t left, uint32_t *cp)
{
    const unsigned char *p = (const unsigned char *)text;
    if (left == 0)
        return 0;
    if (p[0] < 0x80) {
        *cp = p[0];
        return 1;
    }
    size_t n;
    uint32_t c, min;
    if ((p[0] & 0xE0) == 0xC0) {
        n = 2, c = p[0] & 0x1F, min = 0x80;
    } else if ((p[0] & 0xF0) == 0xE0) {
        n = 3, c = p[0] & 0x0F, min = 0x800;
    } else if ((p[0] & 0xF8) == 0xF0) {
        n = 4, c = p[0] & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    for (size_t i = 1; i < n; i++) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (p[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *cp = c;
    return n;
}

size_t Utf8Encode(uint32_t cp, char *out)
{
    if (cp < 0x80) {
        out[0] = (char)cp;
        return 1;
    }
    if (cp < 0x800) {
        out[0] = (char)(0xC0 | cp >> 6);
        out[1] = (char)(0x80 | (cp & 0x3F));
        return 2;
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    if (cp < 0x10000) {
        out[0] = (char)(0xE0 | cp >> 12);
        out[1] = (char)(0x80 | ((cp >> 6) & 0x3F));
        out[2] = (char)(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = (char)(0xF0 | cp >> 18);
    out[1] = (char)(0x80 | ((cp >> 12) & 0x3F));
    out[2] = (char)(0x80 | ((cp >> 6) & 0x3F));
    out[3] = (char)(0x80 | (cp & 0x3F));
    return 4;
}

char *Utf8ToGbk(const char *utf8, size_t length, size_t *outLen)
{
    // A character never takes more bytes in GB18030 than in UTF-8, but for
    // U+0080..U+07FF (two in UTF-8, four in GB18030): twice the length is enough.
    char *out = (char *)malloc(2 * length + 1);
    if (!out)
        return 0;
    size_t n = 0;
    for (size_t i = 0; i < length;) {
        uint32_t cp;
        size_t used = Utf8Decode(utf8 + i, length - i, &cp);
        size_t made = used ? Gb18030Encode(cp, out + n) : 0;
        if (!made) {
            free(out);
            return 0;
        }
        i += used;
        n += made;
    }
    out[n] = 0;
    if (outLen)
        *outLen = n;
    return out;
}

size_t Gb18030DecodeOrMark(const char *text, size_t left, uint32_t *cp)
{
    const unsigned char *p = (const unsigned char *)text;
    if (left == 0)
        return 0;
    size_t used = Gb18030Decode(text, left, cp);
    if (used)
        return used;
    *cp = 0xFFFD;
    if (left >= 2 && GbkIsLead(p[0]) && GbkIsTrail(p[1]))
        return 2;
    if (left >= 4 && GbkIsLead(p[0]) && IsDigit(p[1]) && GbkIsLead(p[2]) && IsDigit(p[3]))
        return 4;
    return 1;
}

size_t GbkToUtf16(const char *gbk, size_t length, uint16_t *out)
{
    size_t n = 0;
    for (size_t i = 0; i < length;) {
        uint32_t cp;
        size_t used = Gb18030DecodeOrMark(gbk + i, length - i, &cp);
        if (cp >= 0x10000) {   // four bytes in, two units out
            out[n++] = (uint16_t)(0xD800 + ((cp - 0x10000) >> 10));
            out[n++] = (uint16_t)(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out[n++] = (uint16_t)cp;
        }
        i += used;
    }
    return n;
}

size_t Utf16ToGbk(const uint16_t *text, size_t length, char *out)
{
    size_t n = 0;
    for (size_t i = 0; i < length; i++) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            i++;
        }
        size_t made = Gb18030Encode(cp, out + n);
        if (!made)
            out[made++ + n] = '?';
        n += made;
    }
    return n;
}
