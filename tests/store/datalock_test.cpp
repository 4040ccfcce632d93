// The data lock: re-entrant within a process, exclusive between processes,
// let go when a process ends; and the running program's mark. (Between
// processes on Windows, the loomcal tests show the same with real runs.)
#include "store_testutil.h"
#include "store/config.h"
#include "store/datalock.h"
#include "records/records.h"
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

class DataLockTest : public StoreDirTest {
  protected:
    void TearDown() override
    {
        DataLockWaitMs = 5000;
        while (DataLockHeld(""))
            DataLockRelease("");
        DataLockUnmarkProgram();
        StoreDirTest::TearDown();
    }
};

TEST_F(DataLockTest, ReentrantWithinTheProcess)
{
    EXPECT_FALSE(DataLockHeld(""));
    ASSERT_EQ(DataLockAcquire("", 0), DATALOCK_OK);
    ASSERT_EQ(DataLockAcquire(".", 0), DATALOCK_OK) << "the same folder by another name";
    EXPECT_TRUE(DataLockHeld(""));
    // a save inside the held lock goes ahead without waiting
    DataLockWaitMs = 0;
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    PutNote(store, Date(2004, 1, 1), "abc", 1);
    EXPECT_EQ(StoreClose(store, "dlm.db"), SAVE_OK);
    EXPECT_TRUE(DataLockHeld(""));
    DataLockRelease("");
    EXPECT_TRUE(DataLockHeld(""));
    DataLockRelease("");
    EXPECT_FALSE(DataLockHeld(""));
    EXPECT_TRUE(FileExists(DATALOCK_FILE));
}

TEST_F(DataLockTest, TheProgramsOwnMark)
{
    EXPECT_EQ(DataLockProgramRunning(""), 0);
    ASSERT_EQ(DataLockMarkProgram(""), DATALOCK_OK);
    EXPECT_EQ(DataLockProgramRunning(""), 1);
    // taking and letting go of the write lock leaves the mark alone
    ASSERT_EQ(DataLockAcquire("", 0), DATALOCK_OK);
    DataLockRelease("");
    EXPECT_EQ(DataLockProgramRunning(""), 1);
    DataLockUnmarkProgram();
    EXPECT_EQ(DataLockProgramRunning(""), 0);
}

#ifndef _WIN32
// A child process that takes the write lock (or the mark) and holds it until told.
struct Holder {
    pid_t pid;
    int tell;
};

Holder HoldInChild(bool mark)
{
    int ready[2], go[2];
    Holder h = {-1, -1};
    if (pipe(ready) != 0 || pipe(go) != 0)
        return h;
    h.pid = fork();
    if (h.pid == 0) {
        int r = mark ? DataLockMarkProgram("") : DataLockAcquire("", 0);
        char c = r == DATALOCK_OK ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1)
            _exit(1);
        if (read(go[0], &c, 1) < 0)
            _exit(1);
        _exit(0);   // the lock goes with the process, released or not
    }
    char c = 0;
    if (read(ready[0], &c, 1) != 1 || c != 'y')
        h.pid = -1;
    close(ready[0]);
    close(ready[1]);
    close(go[0]);
    h.tell = go[1];
    return h;
}

void EndChild(Holder h)
{
    char c = 'x';
    if (write(h.tell, &c, 1) != 1)
        ADD_FAILURE();
    close(h.tell);
    int status;
    waitpid(h.pid, &status, 0);
}

TEST_F(DataLockTest, AnotherProcessHoldingTheLockMakesSavesFailNotHang)
{
    MakeStore({{Date(2004, 1, 1), Note("abc", 1)}});
    const std::string before = ReadWholeFile("dlm.db");
    Holder h = HoldInChild(false);
    ASSERT_GT(h.pid, 0);
    EXPECT_EQ(DataLockAcquire("", 50), DATALOCK_BUSY);
    EXPECT_FALSE(DataLockHeld(""));
    DataLockWaitMs = 50;
    RecordStore *store = StoreOpen("dlm.db", 0, 0, 0);
    PutNote(store, Date(2004, 1, 2), "def", 0);
    EXPECT_EQ(StoreSave(store, "dlm.db"), SAVE_BUSY);
    EXPECT_EQ(ReadWholeFile("dlm.db"), before);
    AddHoliday(0x2101, "元旦");
    EXPECT_EQ(WriteConfigFile("dlm.ini"), SAVE_BUSY);
    EXPECT_FALSE(FileExists("dlm.ini"));
    EndChild(h);
    // the holder has ended: the same store saves now
    EXPECT_EQ(StoreClose(store, "dlm.db"), SAVE_OK);
    EXPECT_EQ(ReadNotes().size(), 2u);
    EXPECT_EQ(WriteConfigFile("dlm.ini"), SAVE_OK);
    ListFreeAll(&HolidayList);
}

TEST_F(DataLockTest, AnotherProcessesMarkIsSeen)
{
    Holder h = HoldInChild(true);
    ASSERT_GT(h.pid, 0);
    EXPECT_EQ(DataLockProgramRunning(""), 1);
    EXPECT_EQ(DataLockMarkProgram(""), DATALOCK_BUSY) << "one program per folder";
    EXPECT_EQ(DataLockAcquire("", 0), DATALOCK_OK) << "the mark does not stop writers";
    DataLockRelease("");
    EndChild(h);
    EXPECT_EQ(DataLockProgramRunning(""), 0);
}
#endif

}   // namespace
