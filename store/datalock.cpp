#include "datalock.h"
#include "fileio.h"
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <windows.h>
typedef HANDLE LockHandle;
#define NO_LOCK_HANDLE INVALID_HANDLE_VALUE
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
typedef int LockHandle;
#define NO_LOCK_HANDLE (-1)
// Open file description locks belong to the open file, not to the process:
// they are not lost when some other descriptor of the file is closed.
#ifdef F_OFD_SETLK
#define LOCK_COMMAND F_OFD_SETLK
#else
#define LOCK_COMMAND F_SETLK
#endif
#endif

int32_t DataLockWaitMs = 5000;

enum { WRITE_BYTE = 0, PROGRAM_BYTE = 1, MAX_LOCK_FILES = 8, LOCK_PATH_MAX = 4096 };

// One open lock file of this process.
struct LockFileEntry {
    char path[LOCK_PATH_MAX];
    LockHandle handle;
    int32_t writeDepth;   // nested acquisitions of the write lock
    int32_t program;      // this process holds the program's mark here
};

static LockFileEntry lockFiles[MAX_LOCK_FILES];
static int lockFilesReady;

static void PrepareTable()
{
    if (lockFilesReady)
        return;
    for (int i = 0; i < MAX_LOCK_FILES; i++)
        lockFiles[i].handle = NO_LOCK_HANDLE;
    lockFilesReady = 1;
}

// ---- the platform ----

#ifdef _WIN32

static int LockPathOf(const char *folder, char *out, size_t size)
{
    char full[LOCK_PATH_MAX];
    DWORD n = GetFullPathNameA(folder && folder[0] ? folder : ".", sizeof full, full, 0);
    if (n == 0 || n >= sizeof full) {
        snprintf(FileErrorText, sizeof FileErrorText, "the folder name cannot be resolved");
        return 0;
    }
    size_t length = strlen(full);
    const char *separator = length && (full[length - 1] == '\\' || full[length - 1] == '/') ? "" : "\\";
    return snprintf(out, size, "%s%s%s", full, separator, DATALOCK_FILE) < (int)size;
}

static LockHandle OpenLockFile(const char *path, int create)
{
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                           create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE) {
        snprintf(FileErrorText, sizeof FileErrorText, "cannot open %s (Windows error %lu)", DATALOCK_FILE,
                 (unsigned long)GetLastError());
        return NO_LOCK_HANDLE;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        snprintf(FileErrorText, sizeof FileErrorText, "%s is not a regular file", DATALOCK_FILE);
        return NO_LOCK_HANDLE;
    }
    return h;
}

static void CloseLockFile(LockHandle h) { CloseHandle(h); }

// 1 locked, 0 held by another process, -1 error.
static int TryLockByte(LockHandle h, int offset, int exclusive)
{
    OVERLAPPED where;
    memset(&where, 0, sizeof where);
    where.Offset = (DWORD)offset;
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(h, flags, 0, 1, 0, &where))
        return 1;
    DWORD error = GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING || error == ERROR_SHARING_VIOLATION)
        return 0;
    snprintf(FileErrorText, sizeof FileErrorText, "cannot lock %s (Windows error %lu)", DATALOCK_FILE,
             (unsigned long)error);
    return -1;
}

static void UnlockByte(LockHandle h, int offset)
{
    OVERLAPPED where;
    memset(&where, 0, sizeof where);
    where.Offset = (DWORD)offset;
    UnlockFileEx(h, 0, 1, 0, &where);
}

static uint32_t NowMs() { return (uint32_t)GetTickCount(); }
static void SleepMs(int ms) { Sleep((DWORD)ms); }

#else

static int LockPathOf(const char *folder, char *out, size_t size)
{
    char *full = realpath(folder && folder[0] ? folder : ".", 0);
    if (!full) {
        snprintf(FileErrorText, sizeof FileErrorText, "%s", strerror(errno));
        return 0;
    }
    size_t length = strlen(full);
    const char *separator = length && full[length - 1] == '/' ? "" : "/";
    int n = snprintf(out, size, "%s%s%s", full, separator, DATALOCK_FILE);
    free(full);
    return n >= 0 && (size_t)n < size;
}

static LockHandle OpenLockFile(const char *path, int create)
{
    int fd = open(path, O_RDWR | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0), 0666);
    if (fd < 0) {
        snprintf(FileErrorText, sizeof FileErrorText, "cannot open %s: %s", DATALOCK_FILE, strerror(errno));
        return NO_LOCK_HANDLE;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        snprintf(FileErrorText, sizeof FileErrorText, "%s is not a regular file", DATALOCK_FILE);
        return NO_LOCK_HANDLE;
    }
    return fd;
}

static void CloseLockFile(LockHandle fd) { close(fd); }

static int TryLockByte(LockHandle fd, int offset, int exclusive)
{
    struct flock region;
    memset(&region, 0, sizeof region);
    region.l_type = exclusive ? F_WRLCK : F_RDLCK;
    region.l_whence = SEEK_SET;
    region.l_start = offset;
    region.l_len = 1;
    if (fcntl(fd, LOCK_COMMAND, &region) == 0)
        return 1;
    if (errno == EAGAIN || errno == EACCES)
        return 0;
    snprintf(FileErrorText, sizeof FileErrorText, "cannot lock %s: %s", DATALOCK_FILE, strerror(errno));
    return -1;
}

static void UnlockByte(LockHandle fd, int offset)
{
    struct flock region;
    memset(&region, 0, sizeof region);
    region.l_type = F_UNLCK;
    region.l_whence = SEEK_SET;
    region.l_start = offset;
    region.l_len = 1;
    fcntl(fd, LOCK_COMMAND, &region);
}

static uint32_t NowMs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)((uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u);
}

static void SleepMs(int ms)
{
    struct timespec pause = {ms / 1000, (long)(ms % 1000) * 1000000L};
    nanosleep(&pause, 0);
}

#endif

// ---- the table ----

static LockFileEntry *FindLockFile(const char *path)
{
    PrepareTable();
    for (int i = 0; i < MAX_LOCK_FILES; i++)
        if (lockFiles[i].handle != NO_LOCK_HANDLE && strcmp(lockFiles[i].path, path) == 0)
            return &lockFiles[i];
    return 0;
}

static LockFileEntry *OpenEntry(const char *path)
{
    LockFileEntry *entry = FindLockFile(path);
    if (entry)
        return entry;
    for (int i = 0; i < MAX_LOCK_FILES; i++) {
        if (lockFiles[i].handle != NO_LOCK_HANDLE)
            continue;
        LockHandle h = OpenLockFile(path, 1);
        if (h == NO_LOCK_HANDLE)
            return 0;
        entry = &lockFiles[i];
        snprintf(entry->path, sizeof entry->path, "%s", path);
        entry->handle = h;
        entry->writeDepth = 0;
        entry->program = 0;
        return entry;
    }
    snprintf(FileErrorText, sizeof FileErrorText, "too many data folders locked at once");
    return 0;
}

static void CloseIfUnused(LockFileEntry *entry)
{
    if (entry->writeDepth == 0 && !entry->program) {
        CloseLockFile(entry->handle);
        entry->handle = NO_LOCK_HANDLE;
        entry->path[0] = 0;
    }
}

// ---- the interface ----

int DataLockAcquire(const char *folder, int32_t waitMs)
{
    char path[LOCK_PATH_MAX];
    if (!LockPathOf(folder, path, sizeof path))
        return DATALOCK_ERROR;
    LockFileEntry *entry = OpenEntry(path);
    if (!entry)
        return DATALOCK_ERROR;
    if (entry->writeDepth > 0) {
        entry->writeDepth++;
        return DATALOCK_OK;
    }
    const uint32_t start = NowMs();
    int pause = 1;
    for (;;) {
        int r = TryLockByte(entry->handle, WRITE_BYTE, 1);
        if (r == 1) {
            entry->writeDepth = 1;
            return DATALOCK_OK;
        }
        uint32_t waited = NowMs() - start;
        if (r < 0 || waited >= (uint32_t)(waitMs > 0 ? waitMs : 0)) {
            CloseIfUnused(entry);
            return r < 0 ? DATALOCK_ERROR : DATALOCK_BUSY;
        }
        // Short pauses first: a writer usually holds the lock for milliseconds.
        uint32_t left = (uint32_t)waitMs - waited;
        SleepMs((int)((uint32_t)pause < left ? (uint32_t)pause : left));
        if (pause < 20)
            pause *= 2;
    }
}

void DataLockRelease(const char *folder)
{
    char path[LOCK_PATH_MAX];
    if (!LockPathOf(folder, path, sizeof path))
        return;
    LockFileEntry *entry = FindLockFile(path);
    if (!entry || entry->writeDepth == 0)
        return;
    if (--entry->writeDepth == 0) {
        UnlockByte(entry->handle, WRITE_BYTE);
        CloseIfUnused(entry);
    }
}

int DataLockHeld(const char *folder)
{
    char path[LOCK_PATH_MAX];
    if (!LockPathOf(folder, path, sizeof path))
        return 0;
    LockFileEntry *entry = FindLockFile(path);
    return entry && entry->writeDepth > 0;
}

int DataLockMarkProgram(const char *folder)
{
    char path[LOCK_PATH_MAX];
    if (!LockPathOf(folder, path, sizeof path))
        return DATALOCK_ERROR;
    LockFileEntry *entry = FindLockFile(path);
    if (entry && entry->program)
        return DATALOCK_OK;
    DataLockUnmarkProgram();
    entry = OpenEntry(path);
    if (!entry)
        return DATALOCK_ERROR;
    int r = TryLockByte(entry->handle, PROGRAM_BYTE, 1);
    if (r != 1) {
        CloseIfUnused(entry);
        return r == 0 ? DATALOCK_BUSY : DATALOCK_ERROR;
    }
    entry->program = 1;
    return DATALOCK_OK;
}

void DataLockUnmarkProgram()
{
    PrepareTable();
    for (int i = 0; i < MAX_LOCK_FILES; i++) {
        LockFileEntry *entry = &lockFiles[i];
        if (entry->handle != NO_LOCK_HANDLE && entry->program) {
            UnlockByte(entry->handle, PROGRAM_BYTE);
            entry->program = 0;
            CloseIfUnused(entry);
        }
    }
}

int DataLockProgramRunning(const char *folder)
{
    char path[LOCK_PATH_MAX];
    if (!LockPathOf(folder, path, sizeof path))
        return -1;
    LockFileEntry *entry = FindLockFile(path);
    if (entry && entry->program)
        return 1;
    if (!FileExists(path))
        return 0;   // a running program would have made it
    LockHandle h = entry ? entry->handle : OpenLockFile(path, 0);
    if (h == NO_LOCK_HANDLE)
        return -1;
    // A shared lock on the mark is refused exactly while someone holds it.
    int r = TryLockByte(h, PROGRAM_BYTE, 0);
    if (r == 1)
        UnlockByte(h, PROGRAM_BYTE);
    if (!entry)
        CloseLockFile(h);
    return r == 1 ? 0 : r == 0 ? 1 : -1;
}

int DataLockForFile(const char *name, char *folder, size_t size)
{
    FileFolderOf(name, folder, size);
    int lock = DataLockAcquire(folder, DataLockWaitMs);
    if (lock != DATALOCK_OK)
        return lock == DATALOCK_BUSY ? SAVE_BUSY : SAVE_LOCK_FAILED;
    return SAVE_OK;
}

int DataLockedReplace(const char *name, int (*write)(void *context, const char *target), void *context)
{
    char folder[4096];
    int lock = DataLockForFile(name, folder, sizeof folder);
    if (lock != SAVE_OK)
        return lock;
    char target[4096];
    int result = FileResolveForReplace(name, target, sizeof target);
    if (result == SAVE_OK)
        result = write(context, target);
    DataLockRelease(folder);
    return result;
}
