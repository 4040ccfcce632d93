#include "alarmcalc.h"
#include "../calendar/holiday.h"
#include "../calendar/memo.h"
#include "../calendar/offdays.h"
#include "../calendar/strings.h"
#include "../records/gbk.h"
#include "../records/settings.h"
#include <stdio.h>
#include <string.h>
#ifndef _WIN32
#include <time.h>
#endif

// ---- clocks ----

static uint64_t SystemTickClock()
{
#ifdef _WIN32
    return GetTickCount64();
#else
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint64_t)t.tv_sec * 1000u + (uint64_t)t.tv_nsec / 1000000u;
#endif
}

uint64_t (*ReadTickClock)() = SystemTickClock;

// ---- the queue ----

ReminderEntry *AlarmQueue;

ReminderEntry *ChimeEntry() { return ReminderList ? (ReminderEntry *)ReminderList->record : 0; }

void QueueReminder(ReminderEntry *entry, uint64_t dueTick)
{
    entry->dueTick = dueTick;
    ReminderEntry **link = &AlarmQueue;
    // Past the entries due at the same time: they were queued first and fire first.
    while (*link && (*link)->dueTick <= dueTick)
        link = &(*link)->queueNext;
    entry->queueNext = *link;
    *link = entry;
}

void UnscheduleReminder(ReminderEntry *entry)
{
    for (ReminderEntry **link = &AlarmQueue; *link; link = &(*link)->queueNext) {
        if (*link == entry) {
            *link = entry->queueNext;
            entry->queueNext = 0;
            return;
        }
    }
}

void ClearAlarmQueue() { AlarmQueue = 0; }

int IsQueued(const ReminderEntry *entry)
{
    for (const ReminderEntry *e = AlarmQueue; e; e = e->queueNext)
        if (e == entry)
            return 1;
    return 0;
}

// A stable merge sort of a chain by dueTick: on equal times the entry that
// came first in the chain stays first.
static ReminderEntry *SortByDueTick(ReminderEntry *chain)
{
    if (!chain || !chain->queueNext)
        return chain;
    ReminderEntry *slow = chain, *fast = chain->queueNext;
    while (fast && fast->queueNext) {
        slow = slow->queueNext;
        fast = fast->queueNext->queueNext;
    }
    ReminderEntry *right = slow->queueNext;
    slow->queueNext = 0;
    ReminderEntry *left = SortByDueTick(chain);
    right = SortByDueTick(right);
    ReminderEntry *head = 0, **tail = &head;
    while (left && right) {
        ReminderEntry **taken = left->dueTick <= right->dueTick ? &left : &right;
        *tail = *taken;
        tail = &(*taken)->queueNext;
        *taken = (*taken)->queueNext;
    }
    *tail = left ? left : right;
    return head;
}

// ---- scheduling ----

int DueTickFor(PackedTime time, const SYSTEMTIME *now, uint64_t tick, uint64_t *due)
{
    const int32_t delta = SecondsBetween(PackedTimeFromSystemTime(now), time);
    if (delta < 0)
        return 0;
    // The wall clock's second began wMilliseconds ago: counting from there
    // makes a memo for 14:30:00 fire on the first tick at or after 14:30:00,
    // not up to a second later.
    uint64_t start = tick >= now->wMilliseconds ? tick - now->wMilliseconds : 0;
    *due = start + (uint64_t)delta * 1000u;
    return 1;
}

static const char *MemoText(const ReminderEntry *entry)
{
    // Only the chime entry goes without a text, and it is never alerted by it.
    return entry == ChimeEntry() ? "" : entry->text;
}

// The shared decision of ScheduleAt and RearmAt: SCHEDULE_QUEUED leaves the
// due tick in *due for the caller to queue.
static int PlanEntry(const ReminderEntry *entry, PackedDate today, const SYSTEMTIME *now, uint64_t tick,
                     AlertFn alert, uint64_t *due)
{
    if (!MemoAppliesOn(entry->when, today))
        return SCHEDULE_NOT_TODAY;
    if (entry->time == REMIND_NO_TIME) {
        if (alert)
            alert(MemoText(entry));
        return SCHEDULE_ALERTED;
    }
    return DueTickFor((PackedTime)entry->time, now, tick, due) ? SCHEDULE_QUEUED : SCHEDULE_PASSED;
}

int ScheduleAt(ReminderEntry *entry, PackedDate today, const SYSTEMTIME *now, uint64_t tick, AlertFn alert)
{
    uint64_t due;
    int plan = PlanEntry(entry, today, now, tick, alert, &due);
    if (plan == SCHEDULE_QUEUED)
        QueueReminder(entry, due);
    return plan;
}

void FormatChime(char *buffer, size_t size, int hour)
{
    const char *format = LoadProgramString(IDS_CHIME);
    snprintf(buffer, size, format ? format : BuiltInString(IDS_CHIME), hour);
}

void ArmChimeAt(int announce, const SYSTEMTIME *now, uint64_t tick, AlertFn alert)
{
    ReminderEntry *chime = ChimeEntry();
    if (!chime)
        return;
    UnscheduleReminder(chime);
    if (announce && alert) {
        char text[64];
        FormatChime(text, sizeof text, now->wHour);
        alert(text);
    }
    // At 23 o'clock this is 24:00:00, midnight of the next day, which lies
    // ahead like any other hour and so is always queued.
    chime->time = (uint32_t)PACK_TIME(now->wHour + 1, 0, 0);
    chime->when = REMIND_EVERY_DAY;
    uint64_t due;
    if (DueTickFor((PackedTime)chime->time, now, tick, &due))
        QueueReminder(chime, due);
}

void FireHeadAt(const SYSTEMTIME *now, uint64_t tick, AlertFn alert)
{
    ReminderEntry *head = AlarmQueue;
    if (!head)
        return;
    if (head == ChimeEntry()) {
        ArmChimeAt(1, now, tick, alert);
        return;
    }
    UnscheduleReminder(head);
    if (alert)
        alert(head->text);
}

// The midnight chime of the day that just began, still waiting when the
// re-arm runs in the first minute of the day. The monotonic clock and the wall
// clock drift apart by a few milliseconds an hour, so the tick that sees the
// new date can come just before the chime is due; the re-arm then announces
// the hour instead of dropping it.
static int MidnightChimeOwed(const SYSTEMTIME *now)
{
    ReminderEntry *chime = ChimeEntry();
    return chime && now->wHour == 0 && now->wMinute == 0 && chime->time == (uint32_t)PACK_TIME(24, 0, 0) &&
           IsQueued(chime);
}

void RearmAt(PackedDate today, const SYSTEMTIME *now, uint64_t tick, AlertFn alert)
{
    const int owed = MidnightChimeOwed(now);
    ClearAlarmQueue();
    // The memos to queue are chained in list order and sorted once: inserting
    // them one by one would walk the growing queue for each of them.
    ReminderEntry *chain = 0, **tail = &chain;
    for (ListNode *node = FirstMemo(); node; node = node->next) {
        ReminderEntry *memo = (ReminderEntry *)node->record;
        uint64_t due;
        if (PlanEntry(memo, today, now, tick, alert, &due) != SCHEDULE_QUEUED)
            continue;
        memo->dueTick = due;
        memo->queueNext = 0;
        *tail = memo;
        tail = &memo->queueNext;
    }
    AlarmQueue = SortByDueTick(chain);
    if (Settings.flags & CTRL_CHIME)
        ArmChimeAt(owed, now, tick, alert);
    if ((Settings.flags & CTRL_HOLIDAY_ALERT) && alert) {
        for (const HolidayEntry *e = HolidaysOn(today, SolarTermsAreHolidays()); e; e = e->nextMatch)
            alert(e->name);
        if (OffDayOn(today, 0) == OFFDAY_WORK)
            alert("今天调休上班");
    }
}

void ClearAllMemosAt(const SYSTEMTIME *now, uint64_t tick)
{
    // The queue points into the list: it goes first.
    ClearAlarmQueue();
    ListFreeAll(&ReminderList);
    AddChimeEntry();
    // The chime entry was freed with the list; a new one that nobody armed
    // would keep the hourly chime silent until the settings were confirmed.
    if (Settings.flags & CTRL_CHIME)
        ArmChimeAt(0, now, tick, 0);
}

// ---- the alert window ----

AlertSlide PlanAlertSlide(int32_t top, int32_t bottom, int direction)
{
    AlertSlide plan;
    if (direction == ALERT_SLIDE_IN) {
        plan.step = -top / ALERT_SLIDE_STEPS;
        plan.finalY = 0;
    } else {
        plan.step = -bottom / ALERT_SLIDE_STEPS;
        plan.finalY = top - bottom;
    }
    return plan;
}

int CountdownStep(int32_t *seconds)
{
    if (*seconds <= 1)
        return 1;
    --*seconds;
    return 0;
}

void FormatAlertLine(char *out, size_t size, const char *text)
{
    if (!out || size == 0)
        return;
    size_t o = 0;
    for (const char *p = text ? text : ""; *p;) {
        if (*p == '\r' || *p == '\n') {
            if (o + 1 >= size)
                break;
            out[o++] = ' ';
            p += (p[0] == '\r' && p[1] == '\n') ? 2 : 1;
            continue;
        }
        size_t n = GbkCharLength(p);
        if (o + n >= size)
            break;
        memcpy(out + o, p, n);
        o += n;
        p += n;
    }
    out[o] = 0;
}

// ---- the memo editor ----

uint32_t MemoWhenFrom(int mode, int hasDate, PackedDate date, int dayIndex, int weekdayIndex)
{
    if (mode == MEMO_WORKDAYS)
        return REMIND_WORKDAYS;
    if (mode == MEMO_WEEKLY)
        return REMIND_WEEKLY | (uint32_t)weekdayIndex;
    if (mode == MEMO_MONTHLY)
        return REMIND_MONTHLY | (uint32_t)(dayIndex + 1);
    if (mode == MEMO_DAILY)
        return REMIND_EVERY_DAY;
    return hasDate ? (uint32_t)date : REMIND_EVERY_DAY;
}

uint32_t YearlyMemoWhenFrom(int lunar, int monthIndex, int dayIndex, int leap)
{
    return lunar ? LunarYearlyWhen(monthIndex + 1, dayIndex + 1, leap)
                 : YearlyWhen(monthIndex + 1, dayIndex + 1);
}

int YearlyDayCount(int lunar, int monthIndex) { return HolidayRuleDays(monthIndex + 1, lunar); }

uint32_t MemoTimeFrom(int hasTime, int hour, int minute, int second)
{
    return hasTime ? (uint32_t)PACK_TIME(hour, minute, second) : REMIND_NO_TIME;
}

int CompareMemos(const ReminderEntry *a, const ReminderEntry *b, int column)
{
    if (column == 0 || column == 1) {
        int32_t x = (int32_t)(column == 0 ? a->when : a->time);
        int32_t y = (int32_t)(column == 0 ? b->when : b->time);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    // strcmp compares as unsigned bytes
    return strcmp(a->text, b->text);
}
