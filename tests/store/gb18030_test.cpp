// The converter between the program's GBK/GB18030 text and Unicode, and the
// cuts and scans that must keep its four-byte characters whole.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include "records/gb18030.h"
#include "store/config.h"
#include "records/gbk.h"
#include "records/records.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string Encoded(uint32_t cp)
{
    char out[4];
    size_t n = Gb18030Encode(cp, out);
    return std::string(out, n);
}

// (code point, its bytes): the ends of every range and the characters a user types
struct Known {
    uint32_t cp;
    const char *bytes;
};
const Known kKnown[] = {
    {0x41, "A"},
    {0x20AC, "\x80"},                    // code page 936's euro sign
    {0x4E2D, "\xD6\xD0"},                // 中
    {0x00E9, "\xA8\xA6"},                // é, a GBK cell below U+0800
    {0x4DAE, "\xFE\x9F"},                // 䶮, one of GB18030's two-byte cells
    {0x0080, "\x81\x30\x81\x30"},        // the first four-byte code
    {0xD55C, "\x83\x36\x84\x33"},        // 한
    {0xE5E5, "\xA3\xA0"},              // code page 936's user-defined cell, not a second U+3000
    {0xFFFF, "\x84\x31\xA4\x39"},        // the last below U+10000
    {0x10000, "\x90\x30\x81\x30"},       // the first beyond it
    {0x1F600, "\x94\x39\xFC\x36"},       // 😀
    {0x20000, "\x95\x32\x82\x36"},       // 𠀀
    {0x10FFFF, "\xE3\x32\x9A\x35"},      // the last code point
};

TEST(Gb18030Test, KnownCharactersAndRangeEndsBothWays)
{
    for (const Known &k : kKnown) {
        SCOPED_TRACE(k.cp);
        EXPECT_EQ(Encoded(k.cp), k.bytes);
        uint32_t cp = 0;
        EXPECT_EQ(Gb18030Decode(k.bytes, strlen(k.bytes), &cp), strlen(k.bytes));
        EXPECT_EQ(cp, k.cp);
    }
}

TEST(Gb18030Test, EveryTwoByteCellReadsBackToItsBytes)
{
    int cells = 0;
    std::vector<std::string> other;
    for (int lead = 0x81; lead <= 0xFE; lead++) {
        for (int trail = 0x40; trail <= 0xFE; trail++) {
            if (trail == 0x7F)
                continue;
            const char bytes[2] = {(char)lead, (char)trail};
            uint32_t cp = 0;
            ASSERT_EQ(Gb18030Decode(bytes, 2, &cp), 2u) << lead << " " << trail;
            cells++;
            if (Encoded(cp) != std::string(bytes, 2))
                other.push_back(std::string(bytes, 2));
        }
    }
    EXPECT_EQ(cells, 126 * 190);
    // only GB18030's euro cell: code page 936 writes the euro as 0x80
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0], "\xA2\xE3");
}

TEST(Gb18030Test, EveryCodePointRoundTrips)
{
    int four = 0, moved = 0;
    for (uint32_t cp = 0; cp <= 0x10FFFF; cp++) {
        char out[4];
        size_t n = Gb18030Encode(cp, out);
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            EXPECT_EQ(n, 0u) << cp;
            continue;
        }
        ASSERT_GT(n, 0u) << cp;
        uint32_t back = 0;
        ASSERT_EQ(Gb18030Decode(out, n, &back), n) << cp;
        if (back != cp) {
            // code page 936's private-use code point of a cell that reads as
            // GB18030's character now: written as code page 936 wrote it
            EXPECT_TRUE(cp >= 0xE000 && cp <= 0xF8FF && n == 2 && back < 0xE000) << cp;
            moved++;
            continue;
        }
        ASSERT_EQ(GbkCharLength(std::string(out, n).c_str()), n) << cp;
        ASSERT_TRUE(GbkIsValid(out, n) || cp == 0x20AC) << cp;
        four += n == 4;
    }
    // GB18030 gives every code point a code: 39420 four-byte ones below U+10000,
    // but for those that code page 936 writes in two bytes
    EXPECT_EQ(moved, 82);
    EXPECT_EQ(four, 39420 - moved + 0x100000);
    char out[4];
    EXPECT_EQ(Gb18030Encode(0x110000, out), 0u);
}

TEST(Gb18030Test, InvalidSequencesAreRefused)
{
    const struct {
        const char *bytes;
        size_t length;
    } bad[] = {
        {"\xFF", 1},
        {"\x81", 1},                    // a lead byte at the end
        {"\x81\x7F", 2},
        {"\x81\x20", 2},
        {"\x81\x30\x81", 3},            // a four-byte code cut short
        {"\x81\x30\x20\x30", 4},
        {"\x81\x30\x81\x20", 4},
        {"\x84\x31\xA5\x30", 4},        // after U+FFFF, before U+10000's code
        {"\x8F\x39\xFE\x39", 4},
        {"\xE3\x32\x9A\x36", 4},        // beyond U+10FFFF
        {"\xFE\x39\xFE\x39", 4},
    };
    for (const auto &b : bad) {
        uint32_t cp = 0;
        EXPECT_EQ(Gb18030Decode(b.bytes, b.length, &cp), 0u) << b.bytes;
    }
}

TEST(Gb18030Test, Utf8IsStrict)
{
    const char *bad[] = {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                         "\xF8\x88\x80\x80\x80", "\x80", "\xE4\xB8", "\xF0\xA0\x80"};
    for (const char *b : bad) {
        uint32_t cp;
        EXPECT_EQ(Utf8Decode(b, strlen(b), &cp), 0u) << b;
        EXPECT_EQ(Utf8ToGbk(b, strlen(b), nullptr), nullptr);
    }
    // a valid text with one bad byte in the middle is refused whole
    const char mixed[] = "ok\xE4\xB8\xAD\xFF";
    EXPECT_EQ(Utf8ToGbk(mixed, strlen(mixed), nullptr), nullptr);
}

TEST(Gb18030Test, TextsConvertBetweenUtf8Utf16AndGbk)
{
    // "中𠀀😀한" in UTF-8, GB18030 and UTF-16
    const char utf8[] = "\xE4\xB8\xAD\xF0\xA0\x80\x80\xF0\x9F\x98\x80\xED\x95\x9C";
    const std::string gbk = "\xD6\xD0\x95\x32\x82\x36\x94\x39\xFC\x36\x83\x36\x84\x33";
    const uint16_t utf16[] = {0x4E2D, 0xD840, 0xDC00, 0xD83D, 0xDE00, 0xD55C};
    size_t n = 0;
    char *converted = Utf8ToGbk(utf8, strlen(utf8), &n);
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(std::string(converted, n), gbk);
    EXPECT_EQ(converted[n], 0);
    free(converted);

    std::string back(3 * gbk.size(), '\0');
    back.resize(GbkToUtf8(gbk.data(), gbk.size(), &back[0]));
    EXPECT_EQ(back, utf8);

    std::vector<uint16_t> wide(gbk.size());
    wide.resize(GbkToUtf16(gbk.data(), gbk.size(), wide.data()));
    EXPECT_EQ(wide, std::vector<uint16_t>(utf16, utf16 + 6));
    std::string narrow(4 * 6, '\0');
    narrow.resize(Utf16ToGbk(utf16, 6, &narrow[0]));
    EXPECT_EQ(narrow, gbk);

    // a lone surrogate is written as '?'; bytes that are no character read as
    // one U+FFFD each, a pair or a four-byte code taken whole
    const uint16_t lone[] = {0x61, 0xD800, 0x62, 0xDC00};
    narrow.assign(16, '\0');
    narrow.resize(Utf16ToGbk(lone, 4, &narrow[0]));
    EXPECT_EQ(narrow, "a?b?");
    const std::string bad = "\xFF"
                            "a\x84\x31\xA5\x30"
                            "b\x81";
    wide.assign(bad.size(), 0);
    wide.resize(GbkToUtf16(bad.data(), bad.size(), wide.data()));
    EXPECT_EQ(wide, (std::vector<uint16_t>{0xFFFD, 'a', 0xFFFD, 'b', 0xFFFD}));
}

// "a" 中 𠀀 "5" 😀 — four-byte codes hold digits and lead bytes that a byte scan takes apart
const std::string kMixed = "a\xD6\xD0\x95\x32\x82\x36"
                           "5\x94\x39\xFC\x36";
const size_t kBoundaries[] = {0, 1, 3, 7, 8, 12};

TEST(GbkTextTest, CutsAtEveryByteLimitKeepFourByteCharactersWhole)
{
    for (size_t limit = 0; limit <= kMixed.size() + 1; limit++) {
        size_t expect = 0;
        for (size_t b : kBoundaries)
            if (b <= limit)
                expect = b;
        EXPECT_EQ(GbkCutLength(kMixed.c_str(), limit), expect) << limit;
        char out[32];
        GbkCopyCut(out, kMixed.c_str(), limit);
        EXPECT_EQ(std::string(out), kMixed.substr(0, expect));
        EXPECT_TRUE(GbkIsValid(out, strlen(out)));
    }
    // the digit inside 𠀀 and 😀 is no '5' or '2' of the text
    EXPECT_EQ(GbkFindLast(kMixed.c_str(), '5'), kMixed.c_str() + 7);
    EXPECT_EQ(GbkFindLast(kMixed.c_str(), '2'), nullptr);
    // a four-byte code cut short at the NUL is read byte by byte, never past it
    EXPECT_EQ(GbkCharLength("\x95\x32\x82"), 1u);
    EXPECT_EQ(GbkCharLength("\x95\x32"), 1u);
}

// The config file's line-break encoding cuts at its buffer's end: never inside
// a four-byte character, at every size. A memo cut at its limit likewise.
TEST(GbkTextTest, EncodedLinesAndMemosAreCutOnWholeCharacters)
{
    const std::string text = "a\r\n" + kMixed;   // \r\n takes four bytes encoded
    for (size_t size = 1; size <= 2 * text.size() + 2; size++) {
        std::vector<char> out(size + 4, 'X');
        EncodeLineBreaks(text.c_str(), out.data(), size);
        const size_t n = strlen(out.data());
        ASSERT_LT(n, size);
        EXPECT_TRUE(GbkIsValid(out.data(), n)) << size;
        DecodeLineBreaks(out.data());
        EXPECT_EQ(text.compare(0, strlen(out.data()), out.data()), 0) << size;
    }
    std::string memo(MEMO_TEXT_MAX - 2, 'x');
    memo += "\x95\x32\x82\x36";   // 𠀀 over the limit by two bytes
    ASSERT_EQ(AddReminder(1, 0, memo.c_str()), 0);
    ListNode *last = ReminderList;
    while (last->next)
        last = last->next;
    EXPECT_EQ(std::string(((const ReminderEntry *)last->record)->text), std::string(MEMO_TEXT_MAX - 2, 'x'));
    ListFreeAll(&ReminderList);
}

#ifdef _WIN32
// What the program wrote before it had its own converter went through code
// page 936: every cell Windows maps must read, and be written, the same.
TEST(Gb18030Test, TwoByteCellsAreThoseOfCodePage936)
{
    int compared = 0;
    for (int lead = 0x81; lead <= 0xFE; lead++) {
        for (int trail = 0x40; trail <= 0xFE; trail++) {
            if (trail == 0x7F)
                continue;
            const char bytes[2] = {(char)lead, (char)trail};
            WCHAR wide[2];
            if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, 2, wide, 2) != 1)
                continue;
            uint32_t cp = 0;
            Gb18030Decode(bytes, 2, &cp);
            char windows[4];
            BOOL defaulted = FALSE;
            int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide, 1, windows, 4, 0, &defaulted);
            if (!defaulted && n > 0) {
                EXPECT_EQ(Encoded(wide[0]), std::string(windows, (size_t)n)) << lead << " " << trail;
            }
            compared++;
            // where Windows reads a private-use code point GB18030 may have a character
            if (!(wide[0] >= 0xE000 && wide[0] <= 0xF8FF && cp != wide[0] && cp < 0xE000)) {
                EXPECT_EQ(cp, wide[0]) << lead << " " << trail;
            }
        }
    }
    EXPECT_GT(compared, 21000);
    const char euro = (char)0x80;
    WCHAR wide = 0;
    ASSERT_EQ(MultiByteToWideChar(936, 0, &euro, 1, &wide, 1), 1);
    EXPECT_EQ(Encoded(wide), std::string(1, euro));
}
#endif

}   // namespace
