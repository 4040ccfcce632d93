// The reminder decisions: which memos apply today, due times in the 64-bit
// clock, the queue, the chime, the re-arm pass, clear-all, the alert window's
// slide and countdown, and the memo editor's values.
#include <gtest/gtest.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>
#include "calendar/holiday.h"
#include "calendar/memo.h"
#include "remind/alarmcalc.h"
#include "records/settings.h"

namespace {

std::vector<std::string> Alerts;
void Collect(const char *text) { Alerts.push_back(text); }

SYSTEMTIME Clock(int h, int m, int s, int ms = 0)
{
    SYSTEMTIME t;
    memset(&t, 0, sizeof t);
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 11;   // a Wednesday
    t.wHour = (WORD)h;
    t.wMinute = (WORD)m;
    t.wSecond = (WORD)s;
    t.wMilliseconds = (WORD)ms;
    return t;
}

const PackedDate Today = PACK_DATE(2026, 3, 11);
const uint64_t Wrap32 = 0x100000000ull;

// The memo added last (AddReminder puts it right after the chime entry).
ReminderEntry *AddMemo(uint32_t when, uint32_t time, const char *text)
{
    EXPECT_EQ(0, AddReminder(when, time, text));
    return (ReminderEntry *)FirstMemo()->record;
}

std::vector<std::string> QueueTexts()
{
    std::vector<std::string> texts;
    for (ReminderEntry *e = AlarmQueue; e; e = e->queueNext)
        texts.push_back(e == ChimeEntry() ? "<chime>" : e->text);
    return texts;
}

typedef std::vector<std::string> Texts;

class AlarmTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ClearAlarmQueue();
        ListFreeAll(&ReminderList);
        ListFreeAll(&HolidayList);
        AddChimeEntry();
        Settings.flags = 0;
        Alerts.clear();
    }
    void TearDown() override
    {
        ClearAlarmQueue();
        ListFreeAll(&ReminderList);
        ListFreeAll(&HolidayList);
        Settings.flags = 0;
    }
};

// ---- which memos apply today ----

TEST_F(AlarmTest, OnlyMemosOfTodayAreAlertedOrQueued)
{
    struct Case {
        uint32_t when;
        PackedDate today;
        int applies;
    } cases[] = {
        {(uint32_t)PACK_DATE(2026, 3, 11), Today, 1},
        {(uint32_t)PACK_DATE(2026, 3, 12), Today, 0},
        {(uint32_t)PACK_DATE(2025, 3, 11), Today, 0},
        {REMIND_EVERY_DAY, Today, 1},
        {REMIND_MONTHLY | 11, Today, 1},
        {REMIND_MONTHLY | 12, Today, 0},
        {REMIND_WEEKLY | 3, Today, 1},   // Wednesday
        {REMIND_WEEKLY | 4, Today, 0},
        {REMIND_WEEKLY | 0, PACK_DATE(2026, 3, 15), 1},   // weekday 0 is Sunday
        {REMIND_WEEKLY | 0, PACK_DATE(2026, 3, 14), 0},
        // day 31 in a month of 30 days, and on the 1st that follows it
        {REMIND_MONTHLY | 31, PACK_DATE(2026, 4, 30), 0},
        {REMIND_MONTHLY | 31, PACK_DATE(2026, 5, 1), 0},
        {REMIND_MONTHLY | 31, PACK_DATE(2026, 5, 31), 1},
        {0, Today, 0},   // a hand-edited file
        // yearly: 29 February on the 28th in a common year (2026)
        {YearlyWhen(3, 11), Today, 1},
        {YearlyWhen(3, 11), PACK_DATE(2027, 3, 11), 1},
        {YearlyWhen(3, 12), Today, 0},
        {YearlyWhen(2, 29), PACK_DATE(2026, 2, 28), 1},
        {YearlyWhen(2, 29), PACK_DATE(2028, 2, 28), 0},
        // lunar yearly: 2026-03-11 is lunar 1/23; in 2025 the sixth month
        // (30 days) is followed by a leap sixth month (29 days)
        {LunarYearlyWhen(1, 23, 0), Today, 1},
        {LunarYearlyWhen(1, 23, 1), Today, 1},   // 2026 has no leap first month
        {LunarYearlyWhen(6, 1, 0), PACK_DATE(2025, 6, 25), 1},
        {LunarYearlyWhen(6, 1, 0), PACK_DATE(2025, 7, 25), 0},   // leap 6/1
        {LunarYearlyWhen(6, 1, 1), PACK_DATE(2025, 7, 25), 1},
        {LunarYearlyWhen(6, 30, 0), PACK_DATE(2025, 7, 24), 1},
        {LunarYearlyWhen(6, 30, 1), PACK_DATE(2025, 8, 22), 1},   // leap 6/29, the month's last day
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.when << " on " << c.today);
        Alerts.clear();
        SYSTEMTIME now = Clock(9, 0, 0);
        ReminderEntry *untimed = AddMemo(c.when, REMIND_NO_TIME, "untimed");
        EXPECT_EQ(c.applies ? SCHEDULE_ALERTED : SCHEDULE_NOT_TODAY,
                  ScheduleAt(untimed, c.today, &now, 0, Collect));
        EXPECT_EQ(c.applies ? Texts{"untimed"} : Texts{}, Alerts);
        ReminderEntry *timed = AddMemo(c.when, (uint32_t)PACK_TIME(10, 0, 0), "timed");
        EXPECT_EQ(c.applies ? SCHEDULE_QUEUED : SCHEDULE_NOT_TODAY,
                  ScheduleAt(timed, c.today, &now, 0, Collect));
        EXPECT_EQ(c.applies, IsQueued(timed));
        EXPECT_FALSE(IsQueued(untimed));
        ClearAlarmQueue();
    }
}

// ---- due times ----

TEST_F(AlarmTest, AMemoFiresOnTheFirstTickAtOrAfterItsSecond)
{
    const uint64_t t = 5000000;
    struct Case {
        SYSTEMTIME now;
        int plan;
        uint64_t due;   // when queued
    } cases[] = {
        {Clock(14, 29, 59), SCHEDULE_QUEUED, t + 1000},
        // 400 ms into 14:29:59: 14:30:00 begins in 600 ms
        {Clock(14, 29, 59, 400), SCHEDULE_QUEUED, t + 600},
        // due this very second: the next tick fires it
        {Clock(14, 30, 0, 250), SCHEDULE_QUEUED, t - 250},
        {Clock(14, 30, 1), SCHEDULE_PASSED, 0},
        {Clock(13, 0, 0), SCHEDULE_QUEUED, t + 5400000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.now.wHour << ":" << c.now.wMinute << ":" << c.now.wSecond << "."
                                        << c.now.wMilliseconds);
        ClearAlarmQueue();
        Alerts.clear();
        ReminderEntry *m = AddMemo((uint32_t)Today, (uint32_t)PACK_TIME(14, 30, 0), "14:30");
        EXPECT_EQ(c.plan, ScheduleAt(m, Today, &c.now, t, Collect));
        EXPECT_TRUE(Alerts.empty());   // a passed time raises nothing either
        if (c.plan != SCHEDULE_QUEUED) {
            EXPECT_EQ(nullptr, AlarmQueue);
            continue;
        }
        EXPECT_EQ(c.due, m->dueTick);
        EXPECT_FALSE(AlarmDue(c.due - 1));
        EXPECT_TRUE(AlarmDue(c.due));
    }
}

TEST_F(AlarmTest, DueTimesStayRightPastTheWrapOfA32BitTick)
{
    // 49.7 days after boot a 32-bit tick wraps to 0: due times computed in
    // it would be small numbers that every tick already passes.
    const uint64_t t = Wrap32 - 500;
    SYSTEMTIME now = Clock(8, 0, 0);
    ReminderEntry *later = AddMemo((uint32_t)Today, (uint32_t)PACK_TIME(8, 0, 10), "after the wrap");
    ReminderEntry *sooner = AddMemo((uint32_t)Today, (uint32_t)PACK_TIME(8, 0, 0), "before the wrap");
    ASSERT_EQ(SCHEDULE_QUEUED, ScheduleAt(later, Today, &now, t, Collect));
    ASSERT_EQ(SCHEDULE_QUEUED, ScheduleAt(sooner, Today, &now, t, Collect));
    EXPECT_EQ((Texts{"before the wrap", "after the wrap"}), QueueTexts());
    EXPECT_EQ(t + 10000, later->dueTick);

    FireHeadAt(&now, t, Collect);   // "before the wrap" is due at t
    EXPECT_EQ(Texts{"before the wrap"}, Alerts);
    EXPECT_FALSE(AlarmDue(t + 1000));   // past the wrap, still 9 s early
    EXPECT_FALSE(AlarmDue(Wrap32 + 5000));
    EXPECT_TRUE(AlarmDue(t + 10000));

    // and long after: 60 days of uptime
    ClearAlarmQueue();
    const uint64_t sixtyDays = 60ull * 86400 * 1000;
    ASSERT_EQ(SCHEDULE_QUEUED, ScheduleAt(later, Today, &now, sixtyDays, Collect));
    EXPECT_FALSE(AlarmDue(sixtyDays + 9999));
    EXPECT_TRUE(AlarmDue(sixtyDays + 10000));
}

// ---- the queue ----

TEST_F(AlarmTest, TheQueueKeepsDueOrderAndEqualTimesInTheOrderQueued)
{
    ReminderEntry *a = AddMemo(1, 1, "a"), *b = AddMemo(1, 1, "b"), *c = AddMemo(1, 1, "c"),
                  *d = AddMemo(1, 1, "d"), *e = AddMemo(1, 1, "e");
    QueueReminder(a, 300);
    QueueReminder(b, 100);
    QueueReminder(c, 300);   // equal to a: behind it
    QueueReminder(d, 200);
    QueueReminder(e, 100);   // equal to b: behind it
    EXPECT_EQ((Texts{"b", "e", "d", "a", "c"}), QueueTexts());

    UnscheduleReminder(b);   // the head
    UnscheduleReminder(d);   // in the middle
    UnscheduleReminder(d);   // no longer queued: nothing happens
    EXPECT_EQ((Texts{"e", "a", "c"}), QueueTexts());
    UnscheduleReminder(c);   // the tail
    EXPECT_EQ((Texts{"e", "a"}), QueueTexts());
    EXPECT_FALSE(IsQueued(c));
    // an entry taken out can be queued again
    QueueReminder(c, 50);
    EXPECT_EQ((Texts{"c", "e", "a"}), QueueTexts());
    ClearAlarmQueue();
    EXPECT_EQ(nullptr, AlarmQueue);
    EXPECT_FALSE(AlarmDue(~0ull));
}

TEST_F(AlarmTest, OneEntryFiresPerTickAndAFiredMemoStaysInTheList)
{
    SYSTEMTIME now = Clock(7, 59, 59);
    ReminderEntry *first = AddMemo((uint32_t)Today, (uint32_t)PACK_TIME(8, 0, 0), "first");
    ReminderEntry *second = AddMemo(REMIND_WEEKLY | 3, (uint32_t)PACK_TIME(8, 0, 0), "second");
    ScheduleAt(first, Today, &now, 0, Collect);
    ScheduleAt(second, Today, &now, 0, Collect);
    ASSERT_TRUE(AlarmDue(1000));
    FireHeadAt(&now, 1000, Collect);
    EXPECT_EQ(Texts{"first"}, Alerts);
    EXPECT_TRUE(AlarmDue(2000));   // the second, on the next tick
    FireHeadAt(&now, 2000, Collect);
    EXPECT_EQ((Texts{"first", "second"}), Alerts);
    EXPECT_FALSE(AlarmDue(~0ull));
    int memos = 0;
    for (ListNode *n = FirstMemo(); n; n = n->next)
        memos++;
    EXPECT_EQ(2, memos);
}

// ---- the hourly chime ----

TEST_F(AlarmTest, TheChimeComesOnEveryFullHourAndAtMidnight)
{
    const uint64_t t = 1000000;
    SYSTEMTIME now = Clock(14, 20, 30, 200);
    ArmChimeAt(0, &now, t, Collect);
    ReminderEntry *chime = ChimeEntry();
    EXPECT_TRUE(Alerts.empty());
    EXPECT_EQ(REMIND_EVERY_DAY, chime->when);
    EXPECT_EQ((uint32_t)PACK_TIME(15, 0, 0), chime->time);
    EXPECT_EQ(t - 200 + (39 * 60 + 30) * 1000, chime->dueTick);

    // Arming again re-queues it: it is never in the queue twice.
    ArmChimeAt(0, &now, t, Collect);
    EXPECT_EQ(Texts{"<chime>"}, QueueTexts());

    // Fired at 15:00:00 it announces 15 and waits for 16:00:00.
    now = Clock(15, 0, 0);
    FireHeadAt(&now, chime->dueTick, Collect);
    EXPECT_EQ(Texts{"现在时刻：15点整"}, Alerts);
    EXPECT_EQ((uint32_t)PACK_TIME(16, 0, 0), chime->time);

    // At 23 o'clock the next chime is 24:00:00, an hour ahead, across the
    // wrap of a 32-bit tick as well; it announces hour 0.
    Alerts.clear();
    const uint64_t late = Wrap32 - 1000;
    now = Clock(23, 0, 0);
    ArmChimeAt(0, &now, late, Collect);
    EXPECT_EQ((uint32_t)PACK_TIME(24, 0, 0), chime->time);
    EXPECT_EQ(late + 3600000, chime->dueTick);
    EXPECT_FALSE(AlarmDue(late + 1000));
    EXPECT_FALSE(AlarmDue(late + 3599999));
    EXPECT_TRUE(AlarmDue(late + 3600000));
    now = Clock(0, 0, 0);
    FireHeadAt(&now, late + 3600000, Collect);
    EXPECT_EQ(Texts{"现在时刻：0点整"}, Alerts);
    EXPECT_EQ((uint32_t)PACK_TIME(1, 0, 0), chime->time);
    EXPECT_EQ(late + 7200000, chime->dueTick);
}

TEST_F(AlarmTest, UnschedulingTheChimeSilencesIt)
{
    SYSTEMTIME now = Clock(10, 30, 0);
    ArmChimeAt(0, &now, 0, Collect);
    UnscheduleReminder(ChimeEntry());
    EXPECT_FALSE(AlarmDue(~0ull));
}

// ---- the re-arm pass ----

TEST_F(AlarmTest, RearmQueuesInDueOrderAlertsUntimedMemosAndHolidays)
{
    Settings.flags = CTRL_CHIME | CTRL_HOLIDAY_ALERT | CTRL_SOLAR_TERMS;
    // 2026-03-20 is the spring equinox, 春分
    const PackedDate day = PACK_DATE(2026, 3, 20);
    AddHoliday(0x2314, "三月二十");
    AddHoliday(0x2101, "元旦");
    // ReminderList order: chime, then the memos in the reverse of their adding
    AddMemo((uint32_t)day, (uint32_t)PACK_TIME(9, 0, 0), "passed");
    AddMemo((uint32_t)day, (uint32_t)PACK_TIME(16, 0, 0), "at four, added first");
    AddMemo(REMIND_EVERY_DAY, REMIND_NO_TIME, "untimed every day");
    AddMemo((uint32_t)day + 1, (uint32_t)PACK_TIME(11, 0, 0), "tomorrow");
    AddMemo(REMIND_MONTHLY | 20, (uint32_t)PACK_TIME(10, 30, 0), "half past ten");
    AddMemo(REMIND_WEEKLY | 5, (uint32_t)PACK_TIME(16, 0, 0), "at four, added last");
    AddMemo(REMIND_MONTHLY | 20, REMIND_NO_TIME, "untimed monthly");

    SYSTEMTIME now = Clock(10, 0, 0);
    // leftovers of an earlier pass are dropped
    ReminderEntry *stale = (ReminderEntry *)FirstMemo()->next->next->record;
    QueueReminder(stale, 1);
    RearmAt(day, &now, 0, Collect);
    EXPECT_EQ((Texts{"half past ten", "<chime>", "at four, added last", "at four, added first"}),
              QueueTexts());
    EXPECT_EQ((Texts{"untimed monthly", "untimed every day", "春分", "三月二十"}), Alerts);

    // A second pass builds the same queue, each entry once, and raises the
    // untimed memos again.
    Alerts.clear();
    RearmAt(day, &now, 0, Collect);
    EXPECT_EQ((Texts{"half past ten", "<chime>", "at four, added last", "at four, added first"}),
              QueueTexts());
    EXPECT_EQ(4u, Alerts.size());

    // Without the options: no chime, no holidays.
    Settings.flags = 0;
    Alerts.clear();
    RearmAt(day, &now, 0, Collect);
    EXPECT_EQ((Texts{"half past ten", "at four, added last", "at four, added first"}), QueueTexts());
    EXPECT_EQ((Texts{"untimed monthly", "untimed every day"}), Alerts);
}

// The start-up alert of a make-up workday (2026-02-14, a Saturday worked
// before 春节), with the holiday alerts and only with them; a day off has no line.
TEST_F(AlarmTest, AMakeUpWorkdayIsAnnouncedWithTheHolidays)
{
    SYSTEMTIME now = Clock(8, 0, 0);
    Settings.flags = CTRL_HOLIDAY_ALERT;
    RearmAt(PACK_DATE(2026, 2, 14), &now, 0, Collect);
    EXPECT_EQ((Texts{"今天调休上班"}), Alerts);
    Alerts.clear();
    RearmAt(PACK_DATE(2026, 2, 16), &now, 0, Collect);
    EXPECT_EQ(Texts{}, Alerts);
    Settings.flags = 0;
    RearmAt(PACK_DATE(2026, 2, 14), &now, 0, Collect);
    EXPECT_EQ(Texts{}, Alerts);
}

TEST_F(AlarmTest, ARearmAtMidnightAnnouncesTheMidnightChimeItWouldReplace)
{
    Settings.flags = CTRL_CHIME;
    SYSTEMTIME evening = Clock(23, 59, 59);
    const uint64_t t = 10000000;
    ArmChimeAt(0, &evening, t, Collect);
    ASSERT_EQ((uint32_t)PACK_TIME(24, 0, 0), ChimeEntry()->time);

    // The wall clock says midnight a few milliseconds before the tick does.
    SYSTEMTIME midnight = Clock(0, 0, 0);
    midnight.wDay = 12;
    ASSERT_FALSE(AlarmDue(t + 995));
    RearmAt(PACK_DATE(2026, 3, 12), &midnight, t + 995, Collect);
    EXPECT_EQ(Texts{"现在时刻：0点整"}, Alerts);
    EXPECT_EQ((uint32_t)PACK_TIME(1, 0, 0), ChimeEntry()->time);

    // Once it has fired, or at any other hour, the re-arm says nothing.
    Alerts.clear();
    RearmAt(PACK_DATE(2026, 3, 12), &midnight, t + 1500, Collect);
    SYSTEMTIME afternoon = Clock(15, 0, 0);
    RearmAt(PACK_DATE(2026, 3, 12), &afternoon, t, Collect);
    EXPECT_TRUE(Alerts.empty());
}

// ---- clear-all ----

TEST_F(AlarmTest, ClearAllLeavesOnlyAFreshChimeArmedWhenTheChimeIsOn)
{
    for (int chimeOn = 0; chimeOn <= 1; chimeOn++) {
        SCOPED_TRACE(chimeOn);
        Settings.flags = chimeOn ? CTRL_CHIME | CTRL_SOUND : CTRL_SOUND;
        SYSTEMTIME now = Clock(18, 45, 0);
        AddMemo((uint32_t)Today, (uint32_t)PACK_TIME(19, 0, 0), "one");
        AddMemo(REMIND_EVERY_DAY, (uint32_t)PACK_TIME(20, 0, 0), "two");
        RearmAt(Today, &now, 0, Collect);
        ASSERT_NE(nullptr, AlarmQueue);

        ClearAllMemosAt(&now, 0);
        ASSERT_NE(nullptr, ReminderList);
        EXPECT_EQ(nullptr, FirstMemo());
        EXPECT_EQ(REMINDER_FIXED_SIZE, ReminderList->size);
        if (chimeOn) {
            EXPECT_EQ(Texts{"<chime>"}, QueueTexts());
            EXPECT_EQ((uint32_t)PACK_TIME(19, 0, 0), ChimeEntry()->time);
        } else {
            EXPECT_EQ(nullptr, AlarmQueue);
        }
    }
}

// ---- the alert window ----

TEST(AlertWindowCalc, SlidesLandOnTheirPlaceWhateverTheRounding)
{
    struct Case {
        int32_t top, bottom;
        int direction;
        int32_t step, finalY;
    } cases[] = {
        {-83, 0, ALERT_SLIDE_IN, 4, 0},   // 20 steps of 4 end at -3, then 0
        {-100, 0, ALERT_SLIDE_IN, 5, 0},   {-19, 0, ALERT_SLIDE_IN, 0, 0},   // truncated to nothing
        {0, 83, ALERT_SLIDE_OUT, -4, -83}, {0, 100, ALERT_SLIDE_OUT, -5, -100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.top << "," << c.bottom);
        AlertSlide plan = PlanAlertSlide(c.top, c.bottom, c.direction);
        EXPECT_EQ(c.step, plan.step);
        EXPECT_EQ(c.finalY, plan.finalY);
    }
}

TEST(AlertWindowCalc, TheCountdownEndsTenSecondsAfterTheLastLine)
{
    // seconds of the lines -> second at which the window slides away
    struct Case {
        std::vector<int> lines;
        int closes;
    } cases[] = {
        {{0}, 10},
        {{0, 7}, 17},
        {{0, 3, 9}, 19},
    };
    for (const Case &c : cases) {
        int32_t seconds = 0;
        int closed = -1;
        for (int second = 0; second < 60 && closed < 0; second++) {
            // the timer fires once a second, from one second after the window opened
            if (second > 0 && CountdownStep(&seconds))
                closed = second;
            if (std::find(c.lines.begin(), c.lines.end(), second) != c.lines.end())
                seconds = ALERT_COUNTDOWN;
        }
        EXPECT_EQ(c.closes, closed);
    }
}

TEST(AlertWindowCalc, LinesKeepWholeCharactersAndLoseTheirLineBreaks)
{
    struct Case {
        const char *text;
        size_t size;
        const char *line;
    } cases[] = {
        {"第一行\r\n第二行", 64, "第一行 第二行"},
        {"a\nb\rc\r\n\r\nd", 64, "a b c  d"},
        {"ab测试", 5, "ab测"},   // "试" would need bytes 5 and 6
        {"ab测试", 6, "ab测"},
        {"ab测试", 7, "ab测试"},
        {"a测", 3, "a"},
        {"x乗", 3, "x"},   // 乗 ends in the byte of a backslash
        {"", 8, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        char out[64];
        memset(out, 'x', sizeof out);
        FormatAlertLine(out, c.size, c.text);
        EXPECT_STREQ(c.line, out);
    }
    // a text whose last character straddles the end of the line buffer
    std::string name = std::string(1022, 'h') + "节日";
    char line[1024];
    FormatAlertLine(line, sizeof line, name.c_str());
    EXPECT_EQ(std::string(1022, 'h'), std::string(line));
    char chime[64];
    FormatChime(chime, sizeof chime, 0);
    EXPECT_STREQ("现在时刻：0点整", chime);
}

// ---- the memo editor ----

TEST(MemoEditorCalc, WhenAndTimeFromTheControls)
{
    struct Case {
        int mode, hasDate;
        PackedDate date;
        int dayIndex, weekdayIndex;
        uint32_t when;
    } cases[] = {
        {MEMO_DATED, 1, PACK_DATE(2004, 1, 1), 5, 5, 0x07D40101},
        {MEMO_DATED, 0, PACK_DATE(2004, 1, 1), 5, 5, REMIND_EVERY_DAY},
        {MEMO_MONTHLY, 1, PACK_DATE(2004, 1, 1), 30, 5, 0x2000001F},
        {MEMO_MONTHLY, 0, 0, 0, 5, 0x20000001},
        {MEMO_WEEKLY, 1, PACK_DATE(2004, 1, 1), 30, 0, 0x10000000},
        {MEMO_WEEKLY, 1, PACK_DATE(2004, 1, 1), 30, 6, 0x10000006},
        {MEMO_DAILY, 1, PACK_DATE(2004, 1, 1), 30, 6, REMIND_EVERY_DAY},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.when, MemoWhenFrom(c.mode, c.hasDate, c.date, c.dayIndex, c.weekdayIndex));
    EXPECT_EQ(YearlyWhen(1, 1), YearlyMemoWhenFrom(0, 0, 0, 1));   // no leap box for Gregorian dates
    EXPECT_EQ(YearlyWhen(2, 29), YearlyMemoWhenFrom(0, 1, 28, 0));
    EXPECT_EQ(LunarYearlyWhen(12, 30, 0), YearlyMemoWhenFrom(1, 11, 29, 0));
    EXPECT_EQ(LunarYearlyWhen(4, 8, 1), YearlyMemoWhenFrom(1, 3, 7, 1));
    EXPECT_EQ(29, YearlyDayCount(0, 1));
    EXPECT_EQ(30, YearlyDayCount(0, 3));
    EXPECT_EQ(30, YearlyDayCount(1, 1));
    EXPECT_EQ(REMIND_NO_TIME, MemoTimeFrom(0, 8, 30, 0));
    EXPECT_EQ(0x00081E00u, MemoTimeFrom(1, 8, 30, 0));
    // midnight is a time, though it reads "[无]"
    EXPECT_EQ(0u, MemoTimeFrom(1, 0, 0, 0));
}

TEST_F(AlarmTest, AMemoAtMidnightIsATimeThatCanFire)
{
    ReminderEntry *m = AddMemo(REMIND_EVERY_DAY, MemoTimeFrom(1, 0, 0, 0), "midnight");
    SYSTEMTIME now = Clock(0, 0, 0, 100);
    EXPECT_EQ(SCHEDULE_QUEUED, ScheduleAt(m, Today, &now, 1000, Collect));
    EXPECT_TRUE(Alerts.empty());
}

TEST_F(AlarmTest, ColumnSortsAscendByTheirOwnKeys)
{
    const struct {
        uint32_t when, time;
        const char *text;
    } memos[] = {
        {REMIND_MONTHLY | 3, 0x000A0000, "b"},
        {REMIND_WEEKLY | 2, REMIND_NO_TIME, "测"},
        {(uint32_t)PACK_DATE(2030, 1, 1), 0, "a"},
        {REMIND_EVERY_DAY, 0x00080000, "B"},
        {(uint32_t)PACK_DATE(2004, 6, 1), 0x00173B3B, "aa"},
        {LunarYearlyWhen(4, 8, 1), 1, "lunar leap 4"},
        {YearlyWhen(12, 25), 2, "yearly"},
        {LunarYearlyWhen(5, 5, 0), 3, "lunar 5"},
        {LunarYearlyWhen(4, 8, 0), 4, "lunar 4"},
    };
    std::vector<ReminderEntry *> rows;
    for (const auto &m : memos)
        rows.push_back(AddMemo(m.when, m.time, m.text));
    auto sorted = [&](int column) {
        std::vector<ReminderEntry *> v = rows;
        std::stable_sort(v.begin(), v.end(),
                         [&](ReminderEntry *a, ReminderEntry *b) { return CompareMemos(a, b, column) < 0; });
        std::string order;
        for (ReminderEntry *e : v)
            order += std::string(e->text) + " ";
        return order;
    };
    // every day first, then dates, then weekly, monthly, yearly and lunar
    // yearly, a leap month after the regular month of its number
    EXPECT_EQ("B aa a 测 b yearly lunar 4 lunar leap 4 lunar 5 ", sorted(0));
    // no time first (it is -1), then by time; midnight is 0
    EXPECT_EQ("测 a lunar leap 4 yearly lunar 5 lunar 4 B b aa ", sorted(1));
    // bytes as unsigned: upper case, lower case, then the double-byte text
    EXPECT_EQ("B a aa b lunar 4 lunar 5 lunar leap 4 yearly 测 ", sorted(2));
}

}   // namespace
