// The calendar as an iCalendar file: the line format (UTF-8, CRLF, folding,
// escaping), the events of each kind of rule and memo, and identities that
// stay the same from one export to the next.
#include <gtest/gtest.h>
#include <string.h>
#include <algorithm>
#include "tests/testdir.h"
#include <map>
#include <set>
#include <string>
#include <vector>
#include "calendar/holiday.h"
#include "features/ics.h"
#include "records/gbk.h"
#include "store/recordstore.h"

namespace {

SYSTEMTIME Stamp()
{
    SYSTEMTIME t;
    memset(&t, 0, sizeof t);
    t.wYear = 2024;
    t.wMonth = 3;
    t.wDay = 1;
    t.wHour = 8;
    return t;
}

std::string Build(int from, int to, int flags = 0)
{
    TextBuffer buffer = {};
    SYSTEMTIME stamp = Stamp();
    int32_t events = BuildIcs(&buffer, from, to, flags, &stamp);
    EXPECT_GE(events, 0);
    std::string text = buffer.text ? std::string(buffer.text, buffer.length) : "";
    TextBufferFree(&buffer);
    return text;
}

// The content lines, unfolded, without their CRLF.
std::vector<std::string> ContentLines(const std::string &ics)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < ics.size()) {
        size_t end = ics.find("\r\n", at);
        if (end == std::string::npos)
            end = ics.size();
        std::string line = ics.substr(at, end - at);
        if (!line.empty() && line[0] == ' ' && !lines.empty())
            lines.back() += line.substr(1);
        else
            lines.push_back(line);
        at = end + 2;
    }
    return lines;
}

struct Event {
    std::map<std::string, std::string> props;   // name with parameters -> value
    bool alarm = false;
};

std::vector<Event> Events(const std::string &ics)
{
    std::vector<Event> events;
    bool inEvent = false, inAlarm = false;
    for (const std::string &line : ContentLines(ics)) {
        if (line == "BEGIN:VEVENT") {
            events.emplace_back();
            inEvent = true;
        } else if (line == "END:VEVENT") {
            inEvent = false;
        } else if (line == "BEGIN:VALARM") {
            inAlarm = true;
            events.back().alarm = true;
        } else if (line == "END:VALARM") {
            inAlarm = false;
        } else if (inEvent && !inAlarm) {
            size_t colon = line.find(':');
            events.back().props[line.substr(0, colon)] = line.substr(colon + 1);
        }
    }
    return events;
}

// GBK text as the file carries it, UTF-8.
std::string Utf8(const char *gbk)
{
    std::string out(3 * strlen(gbk), '\0');
    out.resize(GbkToUtf8(gbk, strlen(gbk), &out[0]));
    return out;
}

const Event *Find(const std::vector<Event> &events, const char *summaryGbk, const char *start = nullptr)
{
    for (const Event &e : events) {
        auto s = e.props.find("SUMMARY");
        if (s == e.props.end() || s->second != Utf8(summaryGbk))
            continue;
        if (!start)
            return &e;
        for (const char *key : {"DTSTART;VALUE=DATE", "DTSTART"}) {
            auto d = e.props.find(key);
            if (d != e.props.end() && d->second == start)
                return &e;
        }
    }
    return nullptr;
}

class IcsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
        AddChimeEntry();
    }
    void TearDown() override
    {
        ListFreeAll(&HolidayList);
        ListFreeAll(&ReminderList);
    }
};

}   // namespace

TEST(GbkToUtf8Test, ConvertsAndReplacesWhatIsNotGbk)
{
    EXPECT_EQ(Utf8("a,b"), "a,b");
    // "中" is D6 D0 in GBK and E4 B8 AD in UTF-8
    EXPECT_EQ(Utf8("\xD6\xD0"), "\xE4\xB8\xAD");
    // a lead byte at the end, and one before a byte that cannot trail it
    EXPECT_EQ(Utf8("x\xD6"), "x\xEF\xBF\xBD");
    EXPECT_EQ(Utf8("\xD6\x0A\xD6\xD0"), "\xEF\xBF\xBD\n\xE4\xB8\xAD");
}

TEST_F(IcsTest, LinesAreCrLfFoldedAt75OctetsOnWholeCharactersWithTextsEscaped)
{
    // 60 Chinese characters, 20 emoji (four bytes in GB18030 and in UTF-8, so
    // that the folds fall at every offset within one) and the characters a
    // TEXT value escapes
    const std::string emoji = "\x94\x39\xFC\x36";   // U+1F600
    std::string text;
    for (int i = 0; i < 20; i++)
        text += "长备忘" + emoji;
    text += "a,b;c\\d\r\ne\nf\tg\x01h";
    AddReminder(PACK_DATE(2024, 5, 1), REMIND_NO_TIME, text.c_str());
    const std::string ics = Build(2024, 2024);
    ASSERT_GE(ics.size(), 2u);
    EXPECT_EQ(ics.substr(ics.size() - 2), "\r\n");
    size_t at = 0;
    int folded = 0;
    while (at < ics.size()) {
        size_t end = ics.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string line = ics.substr(at, end - at);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
        if (!line.empty() && line[0] == ' ') {
            folded++;
            // the continuation starts on a character's first byte
            ASSERT_GE(line.size(), 2u);
            EXPECT_NE((unsigned char)line[1] & 0xC0, 0x80) << line;
        }
        at = end + 2;
    }
    EXPECT_GE(folded, 2);
    std::string expected;
    for (int i = 0; i < 20; i++)
        expected += Utf8("长备忘") + "\xF0\x9F\x98\x80";
    expected += "a\\,b\\;c\\\\d\\ne\\nf\tgh";
    bool found = false;
    for (const Event &ev : Events(ics))
        if (ev.props.count("SUMMARY") && ev.props.at("SUMMARY") == expected)
            found = true;
    EXPECT_TRUE(found) << ics;
    EXPECT_EQ(ContentLines(ics).front(), "BEGIN:VCALENDAR");
    EXPECT_EQ(ContentLines(ics).back(), "END:VCALENDAR");
}

// The rules that a Gregorian RRULE can say are one event each, starting on
// their first day in the range and ending with it; lunar rules are one event
// per year, and only where the holiday lookup finds them.
TEST_F(IcsTest, HolidayRules)
{
    AddHoliday(0x2101, "元旦");
    AddHoliday(0x221D, "闰日");     // 29 February: only in leap years
    AddHoliday(0x4B74, "感恩节");   // November, the last Thursday
    AddHoliday(0x4520, "母亲节");   // May, the second Sunday
    AddHoliday(0x4250, "五周日");   // February, the fifth Sunday
    AddHoliday(0x3C08, "腊八");
    AddHoliday(0x311E, "正月三十");
    AddHoliday(0x5000, "无规则");
    const std::vector<Event> events = Events(Build(2025, 2027));
    const struct {
        const char *name, *start, *rrule;
    } rules[] = {
        {"元旦", "20250101", "FREQ=YEARLY;BYMONTH=1;BYMONTHDAY=1;UNTIL=20271231"},
        {"闰日", nullptr, nullptr},   // no 29 February in 2025..2027
        {"感恩节", "20251127", "FREQ=YEARLY;BYMONTH=11;BYDAY=-1TH;UNTIL=20271231"},
        {"母亲节", "20250511", "FREQ=YEARLY;BYMONTH=5;BYDAY=2SU;UNTIL=20271231"},
        {"五周日", nullptr, nullptr},   // February 2026 has four Sundays, 2025 and 2027 too
        {"无规则", nullptr, nullptr},
    };
    for (const auto &r : rules) {
        SCOPED_TRACE(r.name);
        const Event *e = Find(events, r.name);
        if (!r.start) {
            EXPECT_EQ(e, nullptr);
            continue;
        }
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->props.at("DTSTART;VALUE=DATE"), r.start);
        EXPECT_EQ(e->props.at("RRULE"), r.rrule);
        EXPECT_EQ(e->props.at("CATEGORIES"), Utf8("节日"));
        EXPECT_FALSE(e->alarm);
    }
    // 腊八 of the lunar years 2024..2027 that fall in the range
    std::set<std::string> dates;
    for (const Event &e : events)
        if (e.props.at("SUMMARY") == Utf8("腊八")) {
            EXPECT_EQ(e.props.count("RRULE"), 0u);
            dates.insert(e.props.at("DTSTART;VALUE=DATE"));
        }
    EXPECT_EQ(dates, (std::set<std::string>{"20250107", "20260126", "20270115"}));
    // only in the years whose first month has 30 days
    dates.clear();
    for (const Event &e : events)
        if (e.props.at("SUMMARY") == Utf8("正月三十"))
            dates.insert(e.props.at("DTSTART;VALUE=DATE"));
    size_t longMonths = 0;
    for (int y = 2025; y <= 2027; y++)
        longMonths += LunarMonthDays(y, 1) == 30;
    EXPECT_GE(longMonths, 1u);
    EXPECT_LT(longMonths, 4u);
    EXPECT_EQ(dates.size(), longMonths);
    for (const std::string &d : dates) {
        const PackedDate date =
            PACK_DATE(std::stoi(d.substr(0, 4)), std::stoi(d.substr(4, 2)), std::stoi(d.substr(6)));
        bool found = false;
        for (HolidayEntry *h = HolidaysOn(date, 0); h; h = h->nextMatch)
            found = found || strcmp(h->name, "正月三十") == 0;
        EXPECT_TRUE(found) << d;
    }
    // the solar terms: 24 a year
    int terms = 0;
    for (const Event &e : events)
        terms += e.props.at("CATEGORIES") == Utf8("节气");
    EXPECT_EQ(terms, 72);
    EXPECT_TRUE(Find(events, "清明", "20260405"));
    // the astronomical date, with the moment in the description
    const Event *mangzhong = Find(events, "芒种", "20260605");
    ASSERT_NE(mangzhong, nullptr);
    EXPECT_EQ(mangzhong->props.at("DESCRIPTION"), Utf8("交节时刻 2026-06-05 23:49（北京时间）"));
    EXPECT_EQ(Find(events, "芒种", "20260606"), nullptr);
}

TEST_F(IcsTest, MemosOfEveryKind)
{
    AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, "每天");
    AddReminder(REMIND_WEEKLY | 3, PACK_TIME(8, 30, 0), "周三");
    AddReminder(REMIND_MONTHLY | 31, REMIND_NO_TIME, "月底");
    AddReminder(YearlyWhen(2, 29), REMIND_NO_TIME, "闰日");
    AddReminder(YearlyWhen(10, 1), PACK_TIME(9, 0, 5), "国庆");
    AddReminder(PACK_DATE(2024, 6, 1), REMIND_NO_TIME, "当天");
    AddReminder(PACK_DATE(2030, 6, 1), REMIND_NO_TIME, "范围外");
    AddReminder(0, REMIND_NO_TIME, "无日期");
    AddReminder(REMIND_EVERY_DAY, PACK_TIME(24, 0, 0), "无效时间");
    const std::vector<Event> events = Events(Build(2024, 2025));
    const struct {
        const char *name, *startKey, *start, *rrule;
        bool alarm;
    } memos[] = {
        {"每天", "DTSTART;VALUE=DATE", "20240101", "FREQ=DAILY;UNTIL=20251231", false},
        {"周三", "DTSTART", "20240103T083000", "FREQ=WEEKLY;BYDAY=WE;UNTIL=20251231T235959", true},
        {"月底", "DTSTART;VALUE=DATE", "20240131", "FREQ=MONTHLY;BYMONTHDAY=31;UNTIL=20251231", false},
        // the last day of February, which is the 28th in common years
        {"闰日", "DTSTART;VALUE=DATE", "20240229", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1;UNTIL=20251231",
         false},
        {"国庆", "DTSTART", "20241001T090005", "FREQ=YEARLY;BYMONTH=10;BYMONTHDAY=1;UNTIL=20251231T235959",
         true},
        {"当天", "DTSTART;VALUE=DATE", "20240601", nullptr, false},
        {"无效时间", "DTSTART;VALUE=DATE", "20240101", "FREQ=DAILY;UNTIL=20251231", false},
    };
    for (const auto &m : memos) {
        SCOPED_TRACE(m.name);
        const Event *e = Find(events, m.name);
        ASSERT_NE(e, nullptr);
        ASSERT_EQ(e->props.count(m.startKey), 1u);
        EXPECT_EQ(e->props.at(m.startKey), m.start);
        EXPECT_EQ(e->props.count("RRULE") ? e->props.at("RRULE") : "", m.rrule ? m.rrule : "");
        EXPECT_EQ(e->alarm, m.alarm);
        // an all-day event lasts its day
        EXPECT_EQ(e->props.count("DTEND;VALUE=DATE"), m.alarm ? 0u : 1u);
        EXPECT_EQ(e->props.at("CATEGORIES"), Utf8("备忘"));
    }
    EXPECT_EQ(Find(events, "范围外"), nullptr);
    EXPECT_EQ(Find(events, "无日期"), nullptr);
}

// Lunar yearly memos, one event for each year, by the memo's own rules.
TEST_F(IcsTest, LunarMemosAreExpandedYearByYear)
{
    AddReminder(LunarYearlyWhen(2, 30, 1), PACK_TIME(7, 0, 0), "闰二月三十");
    AddReminder(LunarYearlyWhen(12, 30, 0), REMIND_NO_TIME, "除夕");
    const std::vector<Event> events = Events(Build(2023, 2024));
    std::set<std::string> leap, eve;
    for (const Event &e : events) {
        if (e.props.at("SUMMARY") == Utf8("闰二月三十")) {
            EXPECT_TRUE(e.alarm);
            leap.insert(e.props.at("DTSTART"));
        }
        if (e.props.at("SUMMARY") == Utf8("除夕"))
            eve.insert(e.props.at("DTSTART;VALUE=DATE"));
    }
    // 2023: the leap month's last day (it has 29); 2024: no leap second
    // month, so the regular one, which has its 30th
    EXPECT_EQ(leap, (std::set<std::string>{"20230419T070000", "20240408T070000"}));
    // the last day of the twelfth month of the lunar years 2022 and 2023
    EXPECT_EQ(eve, (std::set<std::string>{"20230121", "20240209"}));
}

TEST_F(IcsTest, IdentitiesStayWhenTheListsChange)
{
    AddHoliday(0x380F, "中秋节");
    AddReminder(REMIND_WEEKLY | 1, REMIND_NO_TIME, "同样");
    AddReminder(REMIND_WEEKLY | 1, REMIND_NO_TIME, "同样");
    AddReminder(LunarYearlyWhen(1, 1, 0), REMIND_NO_TIME, "拜年");
    auto uids = [](const std::string &ics) {
        std::vector<std::string> all;
        for (const Event &e : Events(ics))
            all.push_back(e.props.at("UID"));
        return all;
    };
    const std::vector<std::string> before = uids(Build(2024, 2026));
    const std::set<std::string> unique(before.begin(), before.end());
    EXPECT_EQ(unique.size(), before.size()) << "two identical memos keep two events";
    // a memo and a holiday added in front of the others change no identity
    AddReminder(REMIND_EVERY_DAY, REMIND_NO_TIME, "新的");
    AddHoliday(0x2101, "元旦");
    const std::vector<std::string> after = uids(Build(2024, 2026));
    for (const std::string &uid : before)
        EXPECT_NE(std::find(after.begin(), after.end(), uid), after.end()) << uid;
    EXPECT_EQ(after.size(), before.size() + 2);
    // and a second export of the same lists is the same file
    EXPECT_EQ(Build(2024, 2026), Build(2024, 2026));
}

TEST_F(IcsTest, DayNotesOnlyWhenAskedAndOnlyWithText)
{
    const TempWorkDir work("loom_ics_");
    DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
    ASSERT_NE(DayNoteStore, nullptr);
    const char text[] = "体检;带, 证件";
    StoreSetData(StoreAddItem(&DayNoteStore->root, PACK_DATE(2024, 4, 2)), text, sizeof text);
    StoreSetUserValue(StoreAddItem(&DayNoteStore->root, PACK_DATE(2024, 4, 3)), 1);   // a mark alone
    StoreSetData(StoreAddItem(&DayNoteStore->root, PACK_DATE(2026, 1, 1)), "later", 6);

    const char escaped[] = "体检\\;带\\, 证件";
    EXPECT_EQ(Find(Events(Build(2024, 2024)), escaped), nullptr);
    const std::vector<Event> events = Events(Build(2024, 2024, ICS_NOTES));
    int notes = 0;
    for (const Event &e : events)
        notes += e.props.at("CATEGORIES") == Utf8("备注");
    EXPECT_EQ(notes, 1);
    const Event *e = Find(events, escaped);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->props.at("DTSTART;VALUE=DATE"), "20240402");
    EXPECT_EQ(e->props.at("UID"), "note-20240402@loomhouse");

    StoreDiscard(DayNoteStore);
    DayNoteStore = nullptr;
}

TEST(IcsRangeTest, RangesOfOneTo201YearsWithin1To9999)
{
    EXPECT_TRUE(IcsRangeValid(2024, 2024));
    EXPECT_TRUE(IcsRangeValid(1900, 2100));
    EXPECT_FALSE(IcsRangeValid(1900, 2101));
    EXPECT_FALSE(IcsRangeValid(2025, 2024));
    EXPECT_FALSE(IcsRangeValid(0, 10));
    EXPECT_FALSE(IcsRangeValid(9999, 10000));
    TextBuffer buffer = {};
    SYSTEMTIME stamp = Stamp();
    EXPECT_EQ(BuildIcs(&buffer, 2025, 2024, 0, &stamp), -1);
    TextBufferFree(&buffer);
}
