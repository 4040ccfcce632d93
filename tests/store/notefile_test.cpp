// "便签.txt": the bytes written for a note, the text read back from files of
// this program and of other editors, and the complete-new-file replacement
// under a process death at every writing step.
#include <stdlib.h>
#include <string>
#include "store_testutil.h"
#include "records/gbk.h"
#include "store/notefile.h"

namespace {

std::string Encoded(const std::string &text)
{
    std::string out(EncodeNoteText(text.c_str(), nullptr), '\0');
    EncodeNoteText(text.c_str(), &out[0]);
    return out;
}

std::string Decoded(std::string bytes)
{
    bytes.push_back('\0');   // room for the terminating NUL
    size_t n = DecodeNoteBytes(&bytes[0], bytes.size() - 1);
    EXPECT_EQ(bytes[n], '\0');
    return bytes.substr(0, n);
}

std::string ForEdit(const std::string &text)
{
    char *out = NoteTextForEdit(text.c_str());
    std::string s = out ? out : "<null>";
    free(out);
    return s;
}

TEST(NoteFileFormat, EveryLineFeedIsWrittenAsCarriageReturnLineFeed)
{
    const struct {
        std::string text, bytes;
    } cases[] = {
        {"", ""},
        {"a\r\nb", "\x61\x0D\x0D\x0A\x62"},   // the edit control's line break
        {"a\nb", "a\r\nb"},
        {"\r\n\r\n", "\r\r\n\r\r\n"},
        {"a\rb", "a\rb"},   // a lone CR is left alone
        {"第一行\r\n第二行", "第一行\r\r\n第二行"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Encoded(c.text), c.bytes) << c.text;
}

TEST(NoteFileFormat, CarriageReturnLineFeedPairsReadAsLineFeed)
{
    const struct {
        std::string bytes, text;
    } cases[] = {
        {"\x61\x0D\x0D\x0A\x62", "a\r\nb"},   // this program's own line break
        {"a\r\nb\r\n", "a\nb\n"},             // another editor's
        {"a\nb", "a\nb"},
        {"a\rb\r", "a\rb\r"},
        {std::string("ab\x1A"
                     "cd",
                     5),
         "ab"},   // 0x1A ends the text
        {std::string("\x1A", 1), ""},
        {std::string("a\0b", 3), "ab"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Decoded(c.bytes), c.text) << c.bytes;
}

TEST(NoteFileFormat, TheEditControlGetsLineBreaksItCanShow)
{
    EXPECT_EQ(ForEdit("a\nb"), "a\r\nb");
    EXPECT_EQ(ForEdit("\n\n"), "\r\n\r\n");
    EXPECT_EQ(ForEdit("a\r\nb"), "a\r\nb");
    EXPECT_EQ(ForEdit("a\rb"), "a\rb");
    EXPECT_EQ(ForEdit(""), "");
}

class NoteFileTest : public StoreDirTest {};

std::string ReadNote(const char *name)
{
    char *text = nullptr;
    if (ReadNoteFile(name, &text) != 0) {
        EXPECT_EQ(text, nullptr);
        return "<unreadable>";
    }
    std::string s = text;
    free(text);
    return s;
}

TEST_F(NoteFileTest, WrittenAndReadBack)
{
    ASSERT_EQ(WriteNoteFile(NOTE_FILE_NAME, "a\r\nb"), 0);
    EXPECT_EQ(ReadWholeFile(NOTE_FILE_NAME), "\x61\x0D\x0D\x0A\x62");
    EXPECT_EQ(ReadNote(NOTE_FILE_NAME), "a\r\nb");
    EXPECT_EQ(0, TemporaryFilesHere());

    // a file of another editor
    WriteWholeFile("other.txt", "第一行\r\n第二行\r\n");
    EXPECT_EQ(ReadNote("other.txt"), "第一行\n第二行\n");

    EXPECT_EQ(ReadNote("missing.txt"), "<unreadable>");
}

TEST_F(NoteFileTest, AnEmptyNoteLeavesAnEmptyFile)
{
    WriteWholeFile(NOTE_FILE_NAME, "old text");
    ASSERT_EQ(WriteNoteFile(NOTE_FILE_NAME, ""), 0);
    EXPECT_TRUE(FileExists(NOTE_FILE_NAME));
    EXPECT_EQ(ReadWholeFile(NOTE_FILE_NAME), "");
    EXPECT_EQ(ReadNote(NOTE_FILE_NAME), "");
}

TEST_F(NoteFileTest, ALongNoteKeepsEveryCharacter)
{
    // far beyond the read buffer's first size, with double-byte characters
    // across every boundary a piecewise reader could cut
    std::string text;
    for (int i = 0; i < 3000; i++)
        text += (i % 7 == 0) ? "行\r\n" : "便签";
    ASSERT_EQ(WriteNoteFile(NOTE_FILE_NAME, text.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(NOTE_FILE_NAME).size(), text.size() + 3000 / 7 + 1);
    EXPECT_EQ(ReadNote(NOTE_FILE_NAME), text);
}

TEST_F(NoteFileTest, EveryStepLeavesTheOldNoteOrTheNew)
{
    WriteWholeFile(NOTE_FILE_NAME, "旧的便签\r\r\n第二行");
    const std::string oldFile = ReadWholeFile(NOTE_FILE_NAME);
    const std::string newText = "新的便签\r\n第二行\r\n第三行";
    const std::string newFile = Encoded(newText);

    int deaths = 0;
    for (int64_t k = 0;; k++) {
        ASSERT_LT(k, 100) << "the save never completes";
        FileFaultReset(k);
        int result = WriteNoteFile(NOTE_FILE_NAME, newText.c_str());
        const int died = FileFaultTripped();
        FileFaultReset(-1);
        const std::string now = ReadWholeFile(NOTE_FILE_NAME);
        if (died) {
            deaths++;
            EXPECT_NE(result, 0) << "a failed save reported success after " << k << " steps";
            // a death at the sync of the folder finds the new file moved in already
            ASSERT_TRUE(now == oldFile || now == newFile) << "death after " << k << " steps";
            continue;
        }
        ASSERT_EQ(result, 0);
        ASSERT_EQ(now, newFile) << "completed after " << k << " steps";
        break;
    }
    // create, write, sync, close, replace and the folder's sync can each be the last step
    EXPECT_GE(deaths, 5);
    EXPECT_EQ(0, TemporaryFilesHere());
}

}   // namespace
