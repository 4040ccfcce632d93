// The decisions behind the reminders, free of any window: which memos apply
// today, when a queued memo is due, the queue of due memos and the hourly
// chime, the full re-arm pass, what clear-all leaves behind, the alert
// window's slide and countdown, and the values of the memo editor.
// reminders.cpp, alert.cpp and memoeditor.cpp read the clocks and the
// controls, call these and show the windows.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "../calendar/calendar.h"
#include "../records/records.h"

// ---- clocks ----

// The monotonic millisecond clock the due times are kept in. It has 64 bits,
// so it does not wrap the way the 32-bit tick of the timer message does after
// 49.7 days. GetTickCount64 on Windows, CLOCK_MONOTONIC natively; tests put a
// clock of their own here.
extern uint64_t (*ReadTickClock)();

// Where an alert line goes: ShowAlert in the program, a collector in tests.
// Null drops the line.
typedef void (*AlertFn)(const char *text);

// ---- the queue of due reminders ----

// Ascending dueTick; equal due times in the order they were queued. It never
// owns its entries: they live in ReminderList.
extern ReminderEntry *AlarmQueue;

// The chime entry: the head of ReminderList (null before start-up made it).
ReminderEntry *ChimeEntry();
// Puts the entry into the queue, due at dueTick, behind every entry due at
// the same time or earlier. The entry must not be queued already.
void QueueReminder(ReminderEntry *entry, uint64_t dueTick);
// Takes the entry out of the queue; nothing when it is not queued.
void UnscheduleReminder(ReminderEntry *entry);
void ClearAlarmQueue();
int IsQueued(const ReminderEntry *entry);

// The one test a clock tick makes: is the head of the queue due at tick?
inline int AlarmDue(uint64_t tick) { return AlarmQueue && tick >= AlarmQueue->dueTick; }

// ---- scheduling, with the clocks read by the caller ----
// now is the local wall clock and tick the monotonic clock, read together.

enum {
    SCHEDULE_NOT_TODAY = 0,   // does not apply on today
    SCHEDULE_ALERTED = 1,     // applies today, has no time: alerted at once
    SCHEDULE_PASSED = 2,      // its time of day has passed: nothing today
    SCHEDULE_QUEUED = 3,      // queued with its due tick
};
// 1 and the tick at which a time of day today is due, 0 when it has passed.
// The due tick falls on the start of the due second, so the first clock tick
// at or after that second fires it.
int DueTickFor(PackedTime time, const SYSTEMTIME *now, uint64_t tick, uint64_t *due);
// ScheduleReminder: tests the entry against today, alerts it at once when it
// has no time, queues it when its time is still to come. SCHEDULE_*.
int ScheduleAt(ReminderEntry *entry, PackedDate today, const SYSTEMTIME *now, uint64_t tick, AlertFn alert);
// ArmHourlyChime: the chime re-queued for the next full hour (24:00:00 at
// 23 o'clock), after announcing the current hour when announce is set.
void ArmChimeAt(int announce, const SYSTEMTIME *now, uint64_t tick, AlertFn alert);
// What a clock tick does once the head is due: the chime announces and
// re-queues itself, a memo leaves the queue and is alerted.
void FireHeadAt(const SYSTEMTIME *now, uint64_t tick, AlertFn alert);
// RearmReminders: empties the queue, schedules every memo in list order, arms
// the chime when CTRL_CHIME is set and alerts today's holidays when
// CTRL_HOLIDAY_ALERT is set.
void RearmAt(PackedDate today, const SYSTEMTIME *now, uint64_t tick, AlertFn alert);
// The memo editor's clear-all: no memo is left, a fresh chime entry heads
// ReminderList, and the chime is armed again when CTRL_CHIME is set.
void ClearAllMemosAt(const SYSTEMTIME *now, uint64_t tick);

// "现在时刻：%d点整" for an hour, in buffer.
void FormatChime(char *buffer, size_t size, int hour);

// ---- the alert window ----

#define ALERT_SLIDE_STEPS    20
#define ALERT_SLIDE_PAUSE_MS 5
#define ALERT_COUNTDOWN      10   // seconds after the last line
#define ALERT_CORNER         20   // width and height of the corner ellipses
enum { ALERT_SLIDE_OUT = 0, ALERT_SLIDE_IN = 1 };

struct AlertSlide {
    int32_t step;     // added to the top at each of the 20 steps
    int32_t finalY;   // where the top lands
};
// The slide of a window whose screen rectangle has this top and bottom: in
// from above the screen to y 0, or out until it lies just above the screen.
AlertSlide PlanAlertSlide(int32_t top, int32_t bottom, int direction);
// x of a window of this width centred on the screen.
inline int32_t AlertLeft(int32_t screenWidth, int32_t width) { return (screenWidth - width) / 2; }
// One second of the countdown: 1 when the window is to slide away now,
// otherwise 0 with the count one lower.
int CountdownStep(int32_t *seconds);

// An alert or list line of a text: each line break (CR LF, CR or LF) becomes
// one blank, and the copy is cut to size - 1 bytes on a whole GBK character.
void FormatAlertLine(char *out, size_t size, const char *text);

// ---- the memo editor ----

enum {
    MEMO_DATED = 0, MEMO_MONTHLY = 1, MEMO_WEEKLY = 2, MEMO_YEARLY = 3, MEMO_LUNAR_YEARLY = 4, MEMO_WORKDAYS = 5,
    MEMO_DAILY = 6
};
// The `when` of a new memo from the editor's mode and pickers: every day in
// the daily mode, the date (or every day when the date picker's box is
// cleared), the day list's index (0 = day 1) or the weekday list's index
// (0 = Sunday); every working day in the workday mode.
uint32_t MemoWhenFrom(int mode, int hasDate, PackedDate date, int dayIndex, int weekdayIndex);
// The `when` of a new yearly memo from the month list's index (0 = the first
// month), the day list's index (0 = day 1) and, for a lunar one, the leap box.
uint32_t YearlyMemoWhenFrom(int lunar, int monthIndex, int dayIndex, int leap);
// How many days the yearly day list offers for a month index: 30 for every
// lunar month; the Gregorian month's length with February at 29.
int YearlyDayCount(int lunar, int monthIndex);
// The `time` of a new memo: the picker's time, or REMIND_NO_TIME when its box is cleared.
uint32_t MemoTimeFrom(int hasTime, int hour, int minute, int second);
// The order of a click on column 0 (`when` as a signed number), 1 (`time`
// as a signed number) or 2 (the text byte by byte as unsigned bytes).
int CompareMemos(const ReminderEntry *a, const ReminderEntry *b, int column);
