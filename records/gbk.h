// GBK text helpers. A double-byte character is a lead byte 0x81..0xFE followed
// by a trail byte 0x40..0xFE; a GB18030 four-byte character is a lead byte, a
// digit 0x30..0x39, a lead byte and a digit. Trail bytes and digits can look
// like ASCII ('\\', '@', '5', ...), so text is cut and scanned character by
// character from its start.
#pragma once
#include <stddef.h>

inline int GbkIsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
inline int GbkIsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE; }
inline int GbkIsDigit(unsigned char c) { return c >= 0x30 && c <= 0x39; }
// Bytes taken by the character at p in NUL-terminated text: 2 for a lead byte
// with a trail byte after it, 4 for lead, digit, lead, digit, 1 otherwise (a
// lone lead byte counts as a character of its own). Never reads past the NUL.
inline size_t GbkCharLength(const char *p)
{
    const unsigned char *u = (const unsigned char *)p;
    if (!GbkIsLead(u[0]))
        return 1;
    if (GbkIsTrail(u[1]))
        return 2;
    return (GbkIsDigit(u[1]) && GbkIsLead(u[2]) && GbkIsDigit(u[3])) ? 4 : 1;
}

// The length of the valid character at p with left bytes available: 1 for
// ASCII, 2 for a GBK pair (trail byte 0x40..0xFE but not 0x7F), 4 for a
// GB18030 four-byte sequence; 0 when the byte at p starts no valid character.
size_t GbkValidCharLength(const unsigned char *p, size_t left);
// 1 when length bytes of text are valid GBK (with GB18030 four-byte sequences).
int GbkIsValid(const char *text, size_t length);

// The longest prefix of text, at most limit bytes, that ends on a character boundary.
size_t GbkCutLength(const char *text, size_t limit);
// Copies at most limit bytes of src into dst without splitting a character; NUL-terminates.
void GbkCopyCut(char *dst, const char *src, size_t limit);
// The last occurrence of the single-byte character ch, or null; trail bytes never match.
const char *GbkFindLast(const char *text, char ch);

// Converts GBK text (with its four-byte sequences) to UTF-8 through the
// program's own converter (gb18030.h). A byte, pair or four-byte sequence that
// is no character becomes U+FFFD. out must hold 3 * length bytes; no NUL is
// added. Returns the bytes written.
size_t GbkToUtf8(const char *gbk, size_t length, char *out);
