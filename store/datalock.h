// Writers of one data folder take turns. The file "dlm.lock" beside
// "dlm.ini" and "dlm.db" carries two locks:
// - byte 0, the write lock: loomcal holds it across its whole read, change
//   and write; the program takes it for each file it writes. It is
//   re-entrant within a process, so a write inside a held lock goes ahead.
// - byte 1, the program's mark: the running program holds it while its note
//   store is open, so that loomcal can tell that the program is running.
// The operating system lets go of both when a process ends, however it ends.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define DATALOCK_FILE "dlm.lock"

enum {
    DATALOCK_OK = 0,
    DATALOCK_BUSY = 1,    // another process held the lock for the whole wait
    DATALOCK_ERROR = 2,   // the lock file cannot be made or locked; why in FileErrorText
};

// How long a save waits for another writer before it fails (milliseconds).
extern int32_t DataLockWaitMs;

// folder: where the data files are ("" for the current folder).
int DataLockAcquire(const char *folder, int32_t waitMs);
void DataLockRelease(const char *folder);
// A writer's lock on the folder of the file `name` (its folder, for
// DataLockRelease, into `folder`): SAVE_OK, SAVE_BUSY or SAVE_LOCK_FAILED.
int DataLockForFile(const char *name, char *folder, size_t size);
// Replaces the file `name` under the writer's lock: `write` makes the new
// file in place of `target`, where a linked name really lies (the link
// stays). SAVE_* of the lock, the link or `write`.
int DataLockedReplace(const char *name, int (*write)(void *context, const char *target), void *context);
// 1 when this process holds the write lock of the folder.
int DataLockHeld(const char *folder);

// The running program's mark; a process marks one folder at a time.
int DataLockMarkProgram(const char *folder);
void DataLockUnmarkProgram();
// 1 when a program holds the mark of the folder, 0 when none does, -1 when it cannot be told.
int DataLockProgramRunning(const char *folder);
