// The changing commands of loomcal across invocations (notes, memos, holiday
// rules), the check of damaged files, and bad arguments.
#include <gtest/gtest.h>
#include <algorithm>
#include <stdint.h>
#include <string.h>
#include "tool_harness.h"

namespace {

class FileCommands : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        ASSERT_FALSE(dir.path.empty());
    }
    void TearDown() override { RemoveScratchDir(dir); }
    ToolRun Run(const std::vector<std::string> &args) { return RunTool(dir, args); }
    ScratchDir dir;
};

// Emptying the text of a marked note leaves a note that was only ever
// marked: no data block in dlm.db, as the date information dialog's save
// leaves it (loomcal once kept a 1-byte block of its own).
TEST_F(FileCommands, AnEmptiedMarkedNoteHasNoDataBlock)
{
    ASSERT_EQ(Run({"notes", "set", "2004-01-01", "abc", "--mark"}).status, 0);
    ASSERT_EQ(Run({"notes", "set", "2004-01-01", ""}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "2004-01-01\t1\t\n") << "the mark stays";
    const std::string db = ReadWholeFile(PathIn(dir, "dlm.db"));
    ASSERT_GE(db.size(), 288u + 20u);
    // the one index entry closes the file: key, data offset, data length, children, mark
    int32_t entry[5];
    memcpy(entry, db.data() + db.size() - sizeof entry, sizeof entry);
    EXPECT_EQ(entry[0], 0x07D40101);
    EXPECT_EQ(entry[1], 0) << "data offset";
    EXPECT_EQ(entry[2], 0) << "data length";
    EXPECT_EQ(entry[4], 1) << "mark";
}

TEST_F(FileCommands, NotesRoundTripAcrossInvocations)
{
    EXPECT_EQ(Run({"notes", "list"}).out, "");
    ToolRun run = Run({"notes", "set", "2024-02-10", "年夜饭 之后\n拜年", "--mark"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(Run({"notes", "set", "2004-01-05", "abc"}).status, 0);
    ASSERT_EQ(Run({"notes", "mark", "2030-12-31"}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "2004-01-05\t0\tabc\n"
                                          "2024-02-10\t1\t年夜饭 之后\\r\\n拜年\n"
                                          "2030-12-31\t1\t\n");

    // the text is kept as the dialog keeps it: GBK, "\r\n", with its NUL
    std::string db = ReadWholeFile(PathIn(dir, "dlm.db"));
    std::string stored = std::string("年夜饭 之后\r\n拜年") + '\0';
    EXPECT_NE(db.find(stored), std::string::npos);

    // the day summary and the month grid show note and mark
    run = Run({"day", "2024-02-10"});
    EXPECT_NE(run.out.find("标记\t是\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("备注\t年夜饭 之后\\r\\n拜年\n"), std::string::npos) << run.out;
    EXPECT_NE(Run({"month", "2024-02"}).out.find("10*"), std::string::npos);

    // unmark keeps a note with text, and drops one that has nothing else
    ASSERT_EQ(Run({"notes", "unmark", "2024-02-10"}).status, 0);
    ASSERT_EQ(Run({"notes", "unmark", "2030-12-31"}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "2004-01-05\t0\tabc\n"
                                          "2024-02-10\t0\t年夜饭 之后\\r\\n拜年\n");

    // a longer text, a mark on a note with text, an empty set, a delete
    ASSERT_EQ(Run({"notes", "set", "2004-01-05", "a much longer text than before"}).status, 0);
    ASSERT_EQ(Run({"notes", "mark", "2004-01-05"}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "2004-01-05\t1\ta much longer text than before\n"
                                          "2024-02-10\t0\t年夜饭 之后\\r\\n拜年\n");
    ASSERT_EQ(Run({"notes", "set", "2024-02-10", ""}).status, 0);
    ASSERT_EQ(Run({"notes", "delete", "2004-01-05"}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, "");
    ASSERT_EQ(Run({"notes", "delete", "2004-01-05"}).status, 0) << "deleting a missing note is no error";

    ToolRun check = Run({"check"});
    EXPECT_EQ(check.status, 0) << check.out;
}

// "𠀀😀한": characters beyond GBK, stored as GB18030 four-byte codes
const char kBeyondGbk[] = "\x95\x32\x82\x36\x94\x39\xFC\x36\x83\x36\x84\x33";

TEST_F(FileCommands, TextBeyondGbkIsStoredAsFourByteCodesAndInvalidTextRefused)
{
    ASSERT_EQ(Run({"notes", "set", "2024-05-01", kBeyondGbk}).status, 0);
    EXPECT_EQ(Run({"notes", "list"}).out, std::string("2024-05-01\t0\t") + kBeyondGbk + "\n");
    EXPECT_NE(ReadWholeFile(PathIn(dir, "dlm.db")).find(std::string(kBeyondGbk) + '\0'), std::string::npos);
    // a memo shown in the month's table keeps its columns: two for each character
    ASSERT_EQ(Run({"memos", "add", "2024-05-02", std::string(kBeyondGbk) + "x"}).status, 0);
    EXPECT_NE(Run({"memos", "list"}).out.find(std::string(kBeyondGbk) + "x"), std::string::npos);
#ifndef _WIN32
    // text that is not UTF-8 is refused with one line before any file is touched
    const std::string before = ReadWholeFile(PathIn(dir, "dlm.db"));
    ToolRun bad = Run({"notes", "set", "2024-05-03", std::string(1, RAW_ARGUMENT) + "ok\xFF"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "dlm.db")), before);
#endif
}

TEST_F(FileCommands, MemosRoundTripWithBlanksAndLineBreaks)
{
    ASSERT_EQ(Run({"memos", "add", "2024-02-10", "08:30", "带 红包\n早点出门"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "weekly:3", "周会"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "monthly:15", "07:05:09", "交房租"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "daily", "喝水"}).status, 0);
    ToolRun run = Run({"memos", "list"});
    ASSERT_EQ(run.status, 0) << run.err;
    // the order is the list's, which loading and adding shuffle; compare sorted
    std::vector<std::string> lines = SplitLines(run.out);
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> expected = {
        "2024-02-10\t08:30:00\t带 红包\\r\\n早点出门",
        "每天\t[无]\t喝水",
        "每月15日\t07:05:09\t交房租",
        "每周三\t[无]\t周会",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);

    // the date report finds the memos of its day
    run = Run({"report", "2024-02-14"});
    EXPECT_NE(run.out.find("==========◆备忘事件◆=========="), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("日期：每周三\n时间：[无]\n提醒：周会"), std::string::npos) << run.out;
    run = Run({"report", "2024-02-10"});
    EXPECT_NE(run.out.find("提醒：带 红包\n早点出门"), std::string::npos) << run.out;

    // the holidays of dlm.ini survive the rewrite
    EXPECT_EQ(SplitLines(Run({"holidays-list"}).out).size(), 30u);
}

TEST_F(FileCommands, YearlyMemosAreAddedListedAndShownOnTheirDays)
{
    ASSERT_EQ(Run({"memos", "add", "yearly:02-29", "闰日"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "lunar:08-15", "19:30", "赏月"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "lunar:闰02-30", "闰月生日"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "lunar:L4-8", "浴佛"}).status, 0);
    std::vector<std::string> lines = SplitLines(Run({"memos", "list"}).out);
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> expected = {
        "农历每年8月15日\t19:30:00\t赏月",
        "农历每年闰2月30日\t[无]\t闰月生日",
        "农历每年闰4月8日\t[无]\t浴佛",
        "每年02月29日\t[无]\t闰日",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    EXPECT_NE(ReadWholeFile(PathIn(dir, "dlm.ini")).find("=4000029e,ffffffff,"), std::string::npos);

    // `day` names the memos of the date: 2023 has a leap second month of 29
    // days, 2024 none, and 2023 is a common year
    const struct {
        const char *date;
        const char *memo;   // null: no memo line
    } days[] = {
        {"2023-04-19", "备忘\t农历每年闰2月30日\t[无]\t闰月生日\n"},
        {"2023-03-21", nullptr},   // the regular second month's 30th
        {"2024-04-08", "备忘\t农历每年闰2月30日\t[无]\t闰月生日\n"},
        {"2023-02-28", "备忘\t每年02月29日\t[无]\t闰日\n"},
        {"2024-02-28", nullptr},
        {"2024-09-17", "备忘\t农历每年8月15日\t19:30:00\t赏月\n"},
        {"2020-05-30", "备忘\t农历每年闰4月8日\t[无]\t浴佛\n"},   // 2020 has a leap fourth month
        {"2020-04-30", nullptr},
    };
    for (const auto &d : days) {
        ToolRun run = Run({"day", d.date});
        ASSERT_EQ(run.status, 0) << run.err;
        if (d.memo)
            EXPECT_NE(run.out.find(d.memo), std::string::npos) << d.date << "\n" << run.out;
        else
            EXPECT_EQ(run.out.find("备忘"), std::string::npos) << d.date << "\n" << run.out;
    }
    ToolRun run = Run({"report", "2023-04-19"});
    EXPECT_NE(run.out.find("日期：农历每年闰2月30日\n时间：[无]\n提醒：闰月生日"), std::string::npos)
        << run.out;
}

static size_t Count(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

TEST_F(FileCommands, IcsGoesToTheFileOrTheStandardOutput)
{
    ASSERT_EQ(Run({"memos", "add", "lunar:08-15", "19:30", "赏月"}).status, 0);
    ASSERT_EQ(Run({"notes", "set", "2024-03-01", "笔记"}).status, 0);
    ToolRun run = Run({"ics", "--from", "2024", "--to=2024", "--notes", "-o", "cal.ics"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string file = ReadWholeFile(PathIn(dir, "cal.ics"));
    ASSERT_EQ(file.rfind("BEGIN:VCALENDAR\r\n", 0), 0u) << file.substr(0, 100);
    // 30 built-in holidays (7 of them lunar, one event each), 24 terms, 36 days
    // off and make-up workdays, the memo, the note
    EXPECT_EQ(Count(file, "BEGIN:VEVENT"), 30u + 24 + 36 + 1 + 1);
    EXPECT_NE(file.find("UID:offday-20240218-work@loomhouse\r\n"), std::string::npos);
    EXPECT_EQ(Count(file, "BEGIN:VALARM"), 1u);
    EXPECT_NE(file.find("DTSTART:20240917T193000\r\n"), std::string::npos);
    EXPECT_NE(file.find("UID:note-20240301@loomhouse\r\n"), std::string::npos);

    // without -o: the same calendar on the standard output
    run = Run({"ics", "--from", "2024", "--to", "2024", "--notes"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Count(run.out, "BEGIN:VEVENT"), Count(file, "BEGIN:VEVENT"));
    EXPECT_EQ(Count(run.out, "\r\n"), Count(file, "\r\n"));

    // by default this year and the next two: three years of terms
    run = Run({"ics", "-o", "default.ics"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string byDefault = ReadWholeFile(PathIn(dir, "default.ics"));
    EXPECT_EQ(Count(byDefault, "UID:term-"), 72u);
    EXPECT_EQ(Count(byDefault, "UID:note-"), 0u);

    // a read-only file is left as it is
    SetReadOnly(PathIn(dir, "cal.ics"), true);
    run = Run({"ics", "-o", "cal.ics"});
    SetReadOnly(PathIn(dir, "cal.ics"), false);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cal.ics was not written"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "cal.ics")), file);
}

TEST_F(FileCommands, HolidayRulesAdded)
{
    ASSERT_EQ(Run({"holidays-add", "solar", "02-29", "闰日"}).status, 0);
    ASSERT_EQ(Run({"holidays-add", "lunar", "2-2", "龙抬头"}).status, 0);
    ASSERT_EQ(Run({"holidays-add", "weekday", "5", "-1", "1", "阵亡将士纪念日"}).status, 0);
    ASSERT_EQ(Run({"holidays-add", "weekday", "9", "1", "1", "劳工节"}).status, 0);
    std::string list = Run({"holidays-list"}).out;
    EXPECT_EQ(SplitLines(list).size(), 34u);
    EXPECT_NE(list.find("221D\t阳历 02月29日\t闰日\n"), std::string::npos) << list;
    EXPECT_NE(list.find("3202\t农历 02月02日\t龙抬头\n"), std::string::npos);
    EXPECT_NE(list.find("4571\t五月倒数第一个星期一\t阵亡将士纪念日\n"), std::string::npos);
    EXPECT_NE(list.find("4911\t九月正数第一个星期一\t劳工节\n"), std::string::npos);
    EXPECT_NE(list.find("2101\t阳历 01月01日\t元旦\n"), std::string::npos);

    EXPECT_EQ(Run({"holidays", "2024-05-27"}).out, "4571\t阵亡将士纪念日\n");
    EXPECT_EQ(Run({"holidays", "2024-03-11"}).out, "3202\t龙抬头\n");
    EXPECT_EQ(Run({"holidays", "2024-09-02"}).out, "4911\t劳工节\n");
}

// Writes a little-endian 32-bit word.
void PutWord(std::string &bytes, size_t at, int32_t value)
{
    for (int i = 0; i < 4; i++)
        bytes[at + i] = (char)((uint32_t)value >> (8 * i));
}

TEST_F(FileCommands, CheckFindsDamageAndWritesNothing)
{
    ToolRun check = Run({"check"});
    EXPECT_EQ(check.status, 0) << check.out;   // no files at all is sound

    ASSERT_EQ(Run({"notes", "set", "2024-02-10", "one"}).status, 0);
    ASSERT_EQ(Run({"notes", "set", "2024-02-11", "two"}).status, 0);
    ASSERT_EQ(Run({"memos", "add", "daily", "x"}).status, 0);
    check = Run({"check"});
    EXPECT_EQ(check.status, 0) << check.out;

    std::string db = ReadWholeFile(PathIn(dir, "dlm.db"));
    ASSERT_GT(db.size(), 284u + 40);
    std::string ini = ReadWholeFile(PathIn(dir, "dlm.ini"));

    // the index cut short
    std::string truncated = db.substr(0, db.size() - 10);
    WriteWholeFile(PathIn(dir, "dlm.db"), truncated);
    check = Run({"check"});
    EXPECT_EQ(check.status, 1) << check.out;
    EXPECT_NE(check.out.find("dlm.db: damaged"), std::string::npos) << check.out;
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "dlm.db")), truncated) << "check never writes";
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "dlm.ini")), ini);
    // the other commands say so and do not crash; a change is refused
    ToolRun list = Run({"notes", "list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.err.find("dlm.db"), std::string::npos);
    EXPECT_EQ(Run({"notes", "mark", "2024-03-01"}).status, 1);
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "dlm.db")), truncated);

    // a data block that lies past the end of the file
    std::string badBlock = db;
    int32_t dataEnd = 0;
    memcpy(&dataEnd, &db[16], 4);
    PutWord(badBlock, (size_t)dataEnd + 4, 1 << 20);
    WriteWholeFile(PathIn(dir, "dlm.db"), badBlock);
    check = Run({"check"});
    EXPECT_EQ(check.status, 1) << check.out;

    // a damaged dlm.ini with a sound dlm.db
    WriteWholeFile(PathIn(dir, "dlm.db"), db);
    WriteWholeFile(PathIn(dir, "dlm.ini"), ini + "");
    std::string badIni =
        "[CONTROL]\nMonthPos=250,0,600,250,1\nControl=97\n[HOLIDAY]\n0=not a code\n1=8449,元旦\n";
    WriteWholeFile(PathIn(dir, "dlm.ini"), badIni);
    check = Run({"check"});
    EXPECT_EQ(check.status, 1) << check.out;
    EXPECT_NE(check.out.find("dlm.ini: damaged"), std::string::npos) << check.out;
    EXPECT_EQ(Run({"memos", "add", "daily", "y"}).status, 1) << "no rewrite that would drop the bad line";
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "dlm.ini")), badIni);
}

struct BadCase {
    std::vector<std::string> args;
};

// A workday memo: on the Saturday worked before 春节 2026, not on 除夕's Monday off.
TEST_F(FileCommands, WorkdayMemosFollowTheDaysOff)
{
    ASSERT_EQ(Run({"memos", "add", "workdays", "09:00", "打卡"}).status, 0);
    EXPECT_EQ(Run({"memos", "list"}).out, "工作日\t09:00:00\t打卡\n");
    EXPECT_NE(Run({"day", "2026-02-14"}).out.find("备忘\t工作日\t09:00:00\t打卡\n"), std::string::npos);
    EXPECT_EQ(Run({"day", "2026-02-16"}).out.find("打卡"), std::string::npos);
    EXPECT_NE(ReadWholeFile(PathIn(dir, "dlm.ini")).find("=50000000,90000,"), std::string::npos);
}

// The user's days off: added and deleted through loomcal, merged with the
// built-in days, an unreadable line reported by check and kept.
TEST_F(FileCommands, OffDaysFileEditedMergedAndChecked)
{
    ASSERT_EQ(Run({"offdays", "add", "2027-02-06", "休", "春节"}).status, 0);
    ASSERT_EQ(Run({"offdays", "add", "2024-02-18", "休", "不调休"}).status, 0);   // overrides a built-in 班
    ASSERT_EQ(Run({"offdays", "add", "2027-02-06", "班", "春节"}).status, 0);     // replaces its own line
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "offdays.txt")), "2024-02-18 休 不调休\r\n2027-02-06 班 春节\r\n");
    EXPECT_EQ(Run({"offdays", "2027"}).out, "2027-02-06\t班\t春节\n");
    std::string year = Run({"offdays", "2024"}).out;
    EXPECT_NE(year.find("2024-02-17\t休\t春节\n2024-02-18\t休\t不调休\n2024-04-04"), std::string::npos) << year;

    // a line the loader cannot read: reported, not used, kept through an edit
    std::string file = ReadWholeFile(PathIn(dir, "offdays.txt")) + "2027-13-01 休 坏\r\n";
    WriteWholeFile(PathIn(dir, "offdays.txt"), file);
    ToolRun run = Run({"check"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("offdays.txt: 1 lines cannot be read (kept in the file, not used)\n  line 3: "
                           "2027-13-01 休 坏\n"),
              std::string::npos)
        << run.out;
    ASSERT_EQ(Run({"offdays", "delete", "2027-02-06"}).status, 0);
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "offdays.txt")), "2024-02-18 休 不调休\r\n2027-13-01 休 坏\r\n");
    run = Run({"offdays", "delete", "2027-02-06"});
    EXPECT_EQ(run.status, 1) << "nothing to delete";
    EXPECT_EQ(Run({"day", "2024-02-18"}).out.find("放假调休\t休\t不调休\n") != std::string::npos, true);
}

TEST_F(FileCommands, BadArgumentsGiveOneLineAndStatusTwo)
{
    const BadCase cases[] = {
        {{"day", "2024-13-01"}},
        {{"day", "2024-02-30"}},
        {{"day", "2024-00-10"}},
        {{"day", "2024-01-00"}},
        {{"day", "yesterday"}},
        {{"day", "2024-1-1x"}},
        {{"day"}},
        {{"day", "2024-01-01", "x"}},
        {{"month", "2024-13"}},
        {{"month", "2024"}},
        {{"days", "2024-01-01"}},
        {{"days", "2024-01-02", "2024-01-01"}},
        {{"terms", "20x4"}},
        {{"terms"}},
        {{"lunar", "1899-12-01"}},
        {{"lunar", "2101-01-01"}},
        {{"lunar", "2024-13-01"}},
        {{"lunar", "2024-01-31"}},
        {{"lunar", "2024-01-00"}},
        {{"holidays"}},
        {{"report", "2024-2"}},
        {{"frobnicate"}},
        {{"notes"}},
        {{"notes", "set", "2024-01-01"}},
        {{"notes", "tidy"}},
        {{"notes", "mark", "2024-02-31"}},
        {{"notes", "list", "--mark"}},
        {{"memos", "add", "daily"}},
        {{"memos", "add", "monthly:32", "x"}},
        {{"memos", "add", "weekly:7", "x"}},
        {{"memos", "add", "daily", "25:00", "x"}},
        {{"memos", "add", "daily", ""}},
        {{"memos", "add", "yearly:02-30", "x"}},
        {{"memos", "add", "yearly:13-01", "x"}},
        {{"memos", "add", "yearly:2-", "x"}},
        {{"memos", "add", "lunar:01-31", "x"}},
        {{"memos", "add", "lunar:闰00-01", "x"}},
        {{"memos", "add", "lunar:X01-01", "x"}},
        {{"memos", "add", "lunar:", "x"}},
        {{"holidays-add", "solar", "02-30", "x"}},
        {{"holidays-add", "lunar", "13-01", "x"}},
        {{"holidays-add", "weekday", "5", "0", "1", "x"}},
        {{"holidays-add", "weekday", "5", "-6", "1", "x"}},
        {{"holidays-add", "weekday", "5", "1", "7", "x"}},
        {{"holidays-add", "moon", "x"}},
        {{"holidays-add", "solar", "02-10", ""}},
        {{"--bogus", "month"}},
        {{"ics", "--from", "2025", "--to", "2024"}},
        {{"ics", "--from", "1800", "--to", "2100"}},
        {{"ics", "--from", "x"}},
        {{"ics", "--to"}},
        {{"ics", "-o"}},
        {{"ics", "now"}},
        {{"day", "2024-01-01", "--notes"}},
        {{"memos", "list", "-o", "x.ics"}},
        {{"memos", "add", "workday", "x"}},
        {{"offdays"}},
        {{"offdays", "20x4"}},
        {{"offdays", "add", "2027-02-30", "休", "春节"}},
        {{"offdays", "add", "2027-02-06", "假", "春节"}},
        {{"offdays", "add", "2027-02-06", "休"}},
        {{"offdays", "add", "2027-02-06", "休", "春节\n补"}},
        {{"offdays", "delete", "2027-02-31"}},
    };
    for (const BadCase &c : cases) {
        std::string shown;
        for (const std::string &a : c.args)
            shown += a + " ";
        ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_EQ(run.out, "") << shown;
        ASSERT_FALSE(run.err.empty()) << shown;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << shown << ": " << run.err;
    }
    // nothing was written by any of them
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "dlm.ini")), "");
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "dlm.db")), "");
    EXPECT_EQ(ReadWholeFile(PathIn(dir, "offdays.txt")), "");

    ToolRun run = RunToolBare(dir, {"--dir", PathIn(dir, "no-such-dir"), "month"});
    EXPECT_EQ(run.status, 2);
    run = RunToolBare(dir, {});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("loomcal"), std::string::npos);
}

}   // namespace
