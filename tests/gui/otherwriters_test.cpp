// The running program and another writer (loomcal) on its folder: the clock
// timer takes in what the other wrote, and the program's saves keep it.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include "dialog_testutil.h"
#include "fixture.h"
#include "../../app/shell.h"
#include "../../calendar/calendar.h"
#include "../../calendar/today.h"
#include "../../remind/alarmcalc.h"
#include "../../resources/resource.h"
#include "../../records/records.h"
#include "../../store/recordstore.h"
#include "../../records/settings.h"

namespace {

const UINT FAST_TICK = 25;   // ms

// The clock's ticks, counted where each one begins: it reads the tick clock.
uint64_t (*RealTickClock)();
int ClockTicks;
uint64_t CountingTickClock()
{
    ClockTicks++;
    return RealTickClock();
}

struct OtherWriterTest : public ProgramTest {
    void SetUp() override
    {
        ProgramTest::SetUp();
        ReadLocalClock = ReadTestClock;
        SetTestClock(2026, 3, 11, 9, 0, 0);   // a Wednesday, no holiday
        ClockPeriod = FAST_TICK;   // the look at the files comes with every tick, not every second
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        ClockPeriod = CLOCK_PERIOD;
        if (RealTickClock)
            ReadTickClock = RealTickClock;
        RealTickClock = nullptr;
    }
    void CountTicks()
    {
        RealTickClock = ReadTickClock;
        ReadTickClock = CountingTickClock;
        ClockTicks = 0;
    }
    std::string Path(const char *name) { return std::string(ProgramDir()) + "\\" + name; }
    void WriteIni(const std::string &text)
    {
        FILE *f = fopen(Path("dlm.ini").c_str(), "wb");
        ASSERT_NE(nullptr, f);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
    void OtherNote(int32_t date, const char *text, int32_t mark)
    {
        RecordStore *store = StoreOpen(Path("dlm.db").c_str(), 0, 0, 0);
        ASSERT_NE(nullptr, store);
        StoreItem *item = StoreAddItem(&store->root, date);
        StoreSetData(item, text, (uint32_t)strlen(text) + 1);
        StoreSetUserValue(item, mark);
        ASSERT_EQ(0, StoreClose(store, Path("dlm.db").c_str()));
    }
};

const char kControl[] = "[CONTROL]\nMonthPos=250,0,600,250,1\nNotePos=0,0,0,0,0\n";

ReminderEntry *MemoNamed(const char *text)
{
    for (ListNode *n = FirstMemo(); n; n = n->next)
        if (!strcmp(((ReminderEntry *)n->record)->text, text))
            return (ReminderEntry *)n->record;
    return nullptr;
}

TEST_F(OtherWriterTest, TheClockTakesInNotesMemosAndSettingsAndTheExitKeepsThem)
{
    ASSERT_EQ(1, StartProgramInTempDir((std::string(kControl) +
                                        "Color=ff8080,ffffff,ffff,ff,ff00\nControl=97\n[HOLIDAY]\n[REMIND]\n"
                                        "0=ffffffff,ffffffff,mine\n")
                                           .c_str()));
    const int32_t tomorrow = PACK_DATE(2026, 3, 12);
    ASSERT_EQ(nullptr, FindDayNote(tomorrow));
    OtherNote(tomorrow, "from loomcal", 1);
    char later[64];
    snprintf(later, sizeof later, "1=%x,%x,later today\n", (unsigned)PACK_DATE(2026, 3, 11),
             (unsigned)PACK_TIME(23, 0, 0));
    WriteIni(std::string(kControl) + "Color=123456,ffffff,ffff,ff,ff00\nControl=97\n[HOLIDAY]\n0=8449,E2E\n"
                                     "[REMIND]\n0=ffffffff,ffffffff,mine\n" + later);
    PumpMessagesUntil(
        [] { return FindDayNote(PACK_DATE(2026, 3, 12)) && MemoNamed("later today") && HolidayList; }, 3000);

    StoreItem *note = FindDayNote(tomorrow);
    ASSERT_NE(nullptr, note);
    EXPECT_EQ(1, note->entry.userValue);
    EXPECT_STREQ("from loomcal", StoreGetData(note));
    ReminderEntry *memo = MemoNamed("later today");
    ASSERT_NE(nullptr, memo);
    EXPECT_TRUE(IsQueued(memo)) << "the new memo is armed";
    EXPECT_NE(nullptr, MemoNamed("mine"));
    EXPECT_EQ(0x123456u, Settings.colorBackground);
    ASSERT_NE(nullptr, HolidayList);

    // Another note by the other writer while the program holds its own unsaved one.
    OtherNote(PACK_DATE(2026, 3, 13), "second", 0);
    StoreItem *own = StoreAddItem(&DayNoteStore->root, PACK_DATE(2026, 3, 14));
    StoreSetData(own, "own", 4);
    PumpMessagesUntil([] { return FindDayNote(PACK_DATE(2026, 3, 13)) != nullptr; }, 3000);
    ASSERT_NE(nullptr, FindDayNote(PACK_DATE(2026, 3, 13)));
    ASSERT_NE(nullptr, FindDayNote(PACK_DATE(2026, 3, 14))) << "the program's unsaved note stays";

    StopProgram();
    RecordStore *file = StoreOpen(Path("dlm.db").c_str(), 0, 0, 0);
    ASSERT_NE(nullptr, file);
    EXPECT_NE(nullptr, TreeFind(file->root.children, tomorrow));
    EXPECT_NE(nullptr, TreeFind(file->root.children, PACK_DATE(2026, 3, 13)));
    EXPECT_NE(nullptr, TreeFind(file->root.children, PACK_DATE(2026, 3, 14)));
    StoreDiscard(file);
}

// While a dialog is open the program takes nothing in (the dialog may hold
// records or unsaved input); once it is closed, the next tick does.
std::string DbPath;
bool Written;
int TicksSinceWritten;
bool TakenInWhileOpen;

int WriteWhileTheDialogIsOpen()
{
    HWND d = FindDialogTitled("日期信息");
    if (!d)
        return 1;
    if (!Written) {
        RecordStore *store = StoreOpen(DbPath.c_str(), 0, 0, 0);
        StoreItem *item = StoreAddItem(&store->root, PACK_DATE(2026, 3, 20));
        StoreSetData(item, "x", 2);
        StoreClose(store, DbPath.c_str());
        Written = true;
        ClockTicks = 0;
    }
    TakenInWhileOpen |= FindDayNote(PACK_DATE(2026, 3, 20)) != nullptr;
    TicksSinceWritten = ClockTicks;
    if (TicksSinceWritten < 3)   // the clock ticked more than once with the file changed
        return 1;
    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

void OpenDateInfo() { SendMessageA(MonthWindow, WM_COMMAND, MAKEWPARAM(IDM_DATE_INFO, 0), 0); }

TEST_F(OtherWriterTest, NothingIsTakenInWhileADialogIsOpen)
{
    ASSERT_EQ(1, StartProgramInTempDir(nullptr));
    DbPath = Path("dlm.db");
    Written = false;
    TicksSinceWritten = 0;
    TakenInWhileOpen = false;
    CountTicks();
    EXPECT_EQ(1, RunModalScript(OpenDateInfo, WriteWhileTheDialogIsOpen));
    EXPECT_GE(TicksSinceWritten, 3);
    EXPECT_FALSE(TakenInWhileOpen);
    PumpMessagesUntil([] { return FindDayNote(PACK_DATE(2026, 3, 20)) != nullptr; }, 3000);
    EXPECT_NE(nullptr, FindDayNote(PACK_DATE(2026, 3, 20)));
}

}   // namespace
