// GBK text helpers. A double-byte character is a lead byte 0x81..0xFE followed
// by a trail byte 0x40..0xFE; trail bytes can look like ASCII ('\\', '@', ...),
// so text is cut and scanned character by character from its start.
#pragma once
#include <stddef.h>

// The longest prefix of text, at most limit bytes, that ends on a character boundary.
size_t GbkCutLength(const char *text, size_t limit);
// Copies at most limit bytes of src into dst without splitting a character; NUL-terminates.
void GbkCopyCut(char *dst, const char *src, size_t limit);
// The last occurrence of the single-byte character ch, or null; trail bytes never match.
const char *GbkFindLast(const char *text, char ch);
