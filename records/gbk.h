// GBK text helpers. A double-byte character is a lead byte 0x81..0xFE followed
// by a trail byte 0x40..0xFE; trail bytes can look like ASCII ('\\', '@', ...),
// so text is cut and scanned character by character from its start.
#pragma once
#include <stddef.h>

inline int GbkIsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
inline int GbkIsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE; }
// Bytes taken by the character at p: 2 for a lead byte with a trail byte
// after it, 1 otherwise (a lone lead byte counts as a character of its own).
inline size_t GbkCharLength(const char *p)
{
    return (GbkIsLead((unsigned char)p[0]) && GbkIsTrail((unsigned char)p[1])) ? 2 : 1;
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

// Converts GBK text to UTF-8 through the system's converter (code page 936
// on Windows, iconv elsewhere). A byte or pair that is not GBK becomes U+FFFD.
// out must hold 3 * length bytes; no NUL is added. Returns the bytes written.
size_t GbkToUtf8(const char *gbk, size_t length, char *out);
