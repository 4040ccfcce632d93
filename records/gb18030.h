// The program's one converter between its text (GBK, with GB18030 four-byte
// sequences for the characters beyond GBK) and Unicode. It is the same on
// every system, so the Windows program and loomcal agree byte for byte, and it
// never asks the system: the two-byte cells are those of Windows code page 936
// whatever the machine's ANSI code page is.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The code point of the character at p (left bytes available) into *cp; returns
// its length (1, 2 or 4), or 0 when the bytes start no valid character.
size_t Gb18030Decode(const char *p, size_t left, uint32_t *cp);
// The bytes of code point cp into out (room for 4); returns their count, or 0
// for a surrogate or a value beyond U+10FFFF. Every code point that Windows
// code page 936 maps takes its bytes (the euro sign its single 0x80, and the
// 82 private-use code points of cells that GB18030 has since given characters
// to: those are the one case that does not read back as written); all others
// take GB18030's two- or four-byte code.
size_t Gb18030Encode(uint32_t cp, char *out);

// The character at p as Gb18030Decode reads it, or U+FFFD for bytes that
// decode to none: a lead byte with a trail byte, or with digit, lead byte and
// digit, is one unknown character; any other byte is one on its own. Returns
// the bytes taken (0 only when left is 0).
size_t Gb18030DecodeOrMark(const char *p, size_t left, uint32_t *cp);

// Strict UTF-8: no overlong forms, surrogates or values beyond U+10FFFF.
size_t Utf8Decode(const char *p, size_t left, uint32_t *cp);
size_t Utf8Encode(uint32_t cp, char *out);

// UTF-8 text to GBK/GB18030, NUL-terminated and malloc'ed, its length in
// *outLen when outLen is given; null when the text is not valid UTF-8.
char *Utf8ToGbk(const char *utf8, size_t length, size_t *outLen);

// GBK/GB18030 text to UTF-16. A byte that starts no valid character becomes
// U+FFFD (with the trail byte of a pair, so that one bad pair is one mark).
// out must hold length units; no NUL is added. Returns the units written.
size_t GbkToUtf16(const char *gbk, size_t length, uint16_t *out);
// UTF-16 text to GBK/GB18030; a lone surrogate becomes '?'. out must hold
// 4 * length bytes; no NUL is added. Returns the bytes written.
size_t Utf16ToGbk(const uint16_t *text, size_t length, char *out);
