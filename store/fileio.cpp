#include "fileio.h"
#include "../records/gbk.h"
#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

int64_t FileFaultAfter = -1;
int64_t FileStepsTaken = 0;
static int faultTripped = 0;
static int faultOnce = 0;   // FileFaultFailOne: only the one step fails

char FileErrorText[160];

void FileFaultReset(int64_t after)
{
    FileFaultAfter = after;
    FileStepsTaken = 0;
    faultTripped = 0;
    faultOnce = 0;
}

void FileFaultFailOne(int64_t step)
{
    FileFaultReset(step);
    faultOnce = 1;
}

int FileFaultTripped() { return faultTripped; }

static void SetErrorText(const char *text) { snprintf(FileErrorText, sizeof FileErrorText, "%s", text); }

static void SetErrnoText(int error) { SetErrorText(strerror(error)); }

#ifdef _WIN32
static void SetWindowsErrorText(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED: SetErrorText("access denied"); break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: SetErrorText("in use by another program"); break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: SetErrorText("the disk is full"); break;
    case ERROR_WRITE_PROTECT: SetErrorText("the disk is write-protected"); break;
    case ERROR_FILE_NOT_FOUND: SetErrorText("no such file"); break;
    case ERROR_PATH_NOT_FOUND: SetErrorText("no such folder"); break;
    default: snprintf(FileErrorText, sizeof FileErrorText, "Windows error %lu", (unsigned long)error); break;
    }
}

// A C stream over the handle; on failure the handle is closed and the error
// text says why.
static FILE *StreamOfHandle(HANDLE h, int flags, const char *mode)
{
    int fd = _open_osfhandle((intptr_t)h, flags);
    if (fd < 0) {
        CloseHandle(h);
        SetErrnoText(errno);
        return 0;
    }
    FILE *f = _fdopen(fd, mode);
    if (!f) {
        SetErrnoText(errno);
        _close(fd);
    }
    return f;
}
#endif

// One writing step: 1 when it may go ahead, 0 when the simulated fault has come.
static int TakeStep()
{
    if (FileFaultAfter < 0)
        return 1;
    if (faultOnce) {
        int fails = !faultTripped && FileStepsTaken == FileFaultAfter;
        FileStepsTaken++;
        if (fails) {
            faultTripped = 1;
            SetErrorText("injected fault");
        }
        return !fails;
    }
    if (faultTripped || FileStepsTaken >= FileFaultAfter) {
        faultTripped = 1;
        SetErrorText("injected fault");
        return 0;
    }
    FileStepsTaken++;
    return 1;
}

static void UnbufferedWhileFaultsAreArmed(FILE *f)
{
    if (f && FileFaultAfter >= 0)
        setvbuf(f, 0, _IONBF, 0);
}

FILE *FileOpen(const char *name, const char *mode)
{
    int writes = mode[0] == 'w' || mode[0] == 'a';
    // Opening for writing truncates or creates: that is a step of its own.
    if (writes && !TakeStep())
        return 0;
    FILE *f = fopen(name, mode);
    if (!f)
        SetErrnoText(errno);
    UnbufferedWhileFaultsAreArmed(f);
    return f;
}

size_t FileWrite(const void *data, size_t size, size_t count, FILE *f)
{
    if (!TakeStep())
        return 0;
    size_t n = fwrite(data, size, count, f);
    if (n != count)
        SetErrnoText(errno);
    return n;
}

int FilePrintf(FILE *f, const char *format, ...)
{
    if (!TakeStep())
        return -1;
    va_list args;
    va_start(args, format);
    int n = vfprintf(f, format, args);
    va_end(args);
    if (n < 0)
        SetErrnoText(errno);
    return n;
}

int FileSync(FILE *f)
{
    if (!TakeStep())
        return -1;
    if (fflush(f) != 0) {
        SetErrnoText(errno);
        return -1;
    }
#ifdef _WIN32
    if (!FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(f)))) {
        SetWindowsErrorText(GetLastError());
        return -1;
    }
    return 0;
#else
    if (fsync(fileno(f)) != 0) {
        SetErrnoText(errno);
        return -1;
    }
    return 0;
#endif
}

int FileClose(FILE *f)
{
    if (!f)
        return -1;
    // A dead process closes nothing on purpose, but the handle must still go;
    // the file is unbuffered while faults are armed, so nothing is pending.
    int alive = TakeStep();
    int r = fclose(f);
    if (r != 0 && alive)
        SetErrnoText(errno);
    return alive ? r : -1;
}

int FileReplace(const char *from, const char *to)
{
    if (!TakeStep())
        return -1;
#ifdef _WIN32
    // Someone reading the old file (an antivirus, loomcal listing the notes)
    // holds it open for a moment; the move waits for that a little.
    for (int attempt = 0;; attempt++) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        DWORD error = GetLastError();
        int transient =
            error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!transient || attempt >= 20) {
            SetWindowsErrorText(error);
            return -1;
        }
        Sleep(50);
    }
#else
    // The new file takes the old one's permissions, so a file the user keeps
    // private stays private.
    struct stat old;
    if (stat(to, &old) == 0)
        chmod(from, old.st_mode & 07777);
    if (rename(from, to) != 0) {
        SetErrnoText(errno);
        return -1;
    }
    return 0;
#endif
}

int FileSyncFolder(const char *name)
{
    if (!TakeStep())
        return -1;
#ifdef _WIN32
    // MOVEFILE_WRITE_THROUGH has already waited for the move to reach the disk.
    (void)name;
    return 0;
#else
    char folder[4096];
    FileFolderOf(name, folder, sizeof folder);
    int fd = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        SetErrnoText(errno);
        return -1;
    }
    int r = fsync(fd);
    if (r != 0)
        SetErrnoText(errno);
    close(fd);
    return r == 0 ? 0 : -1;
#endif
}

int FileRemove(const char *name)
{
    if (!TakeStep())
        return -1;
    if (remove(name) != 0) {
        SetErrnoText(errno);
        return -1;
    }
    return 0;
}

int FileRename(const char *from, const char *to)
{
    if (!TakeStep())
        return -1;
#ifdef _WIN32
    if (!MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH)) {   // no REPLACE_EXISTING: never clobbers
        SetWindowsErrorText(GetLastError());
        return -1;
    }
    return 0;
#else
    // A second name and then the old one removed: link refuses an existing
    // name in the same step that makes the new one.
    if (link(from, to) == 0) {
        unlink(from);
        return 0;
    }
    if (errno == EEXIST) {
        SetErrnoText(errno);
        return -1;
    }
    // A file system without hard links: checked and renamed, which is enough
    // for the one writer that holds the data lock.
    if (FileExists(to)) {
        SetErrnoText(EEXIST);
        return -1;
    }
    if (rename(from, to) != 0) {
        SetErrnoText(errno);
        return -1;
    }
    return 0;
#endif
}

void FileStampOf(const char *name, FileStamp *stamp)
{
    memset(stamp, 0, sizeof *stamp);
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data))
        return;
    stamp->exists = 1;
    stamp->size = ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    stamp->writeTime = ((int64_t)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime;
#else
    struct stat st;
    if (stat(name, &st) != 0)
        return;
    stamp->exists = 1;
    stamp->size = (int64_t)st.st_size;
    stamp->writeTime = (int64_t)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
#endif
}

int FileStampsEqual(const FileStamp *a, const FileStamp *b)
{
    return a->exists == b->exists && a->size == b->size && a->writeTime == b->writeTime;
}

int FileExists(const char *name)
{
#ifdef _WIN32
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return stat(name, &st) == 0;
#endif
}

int FileIsReadOnly(const char *name)
{
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
    // The permission bit, not access(): the super-user may write anything,
    // but a file its owner made read-only is still not to be replaced.
    struct stat st;
    return stat(name, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
#endif
}

FILE *FileOpenRegular(const char *name, int *missing)
{
    *missing = 0;
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            *missing = 1;
        else
            SetWindowsErrorText(error);
        return 0;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        SetErrorText("not a regular file");
        return 0;
    }
    HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE) {
        SetWindowsErrorText(GetLastError());
        return 0;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        SetErrorText("not a regular file");
        return 0;
    }
    return StreamOfHandle(h, _O_RDONLY | _O_BINARY, "rb");
#else
    // Without O_NONBLOCK, opening a FIFO would wait for a writer forever.
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            *missing = 1;
        else
            SetErrnoText(errno);
        return 0;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        SetErrorText("not a regular file");
        return 0;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE *f = fdopen(fd, "rb");
    if (!f) {
        SetErrnoText(errno);
        close(fd);
    }
    return f;
#endif
}

static unsigned long ProcessId()
{
#ifdef _WIN32
    return (unsigned long)GetCurrentProcessId();
#else
    return (unsigned long)getpid();
#endif
}

FILE *FileCreateTemporary(const char *name, int textMode, char *tempName, size_t size)
{
    if (!TakeStep())
        return 0;
    // The process id keeps two writers apart; the counter steps over a name
    // that an earlier process with the same id left behind.
    for (int attempt = 0; attempt < 100; attempt++) {
        int n = attempt == 0 ? snprintf(tempName, size, "%s.%lu.tmp", name, ProcessId())
                             : snprintf(tempName, size, "%s.%lu-%d.tmp", name, ProcessId(), attempt);
        if (n < 0 || (size_t)n >= size) {
            SetErrorText("file name too long");
            return 0;
        }
#ifdef _WIN32
        HANDLE h =
            CreateFileA(tempName, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            SetWindowsErrorText(error);
            return 0;
        }
        FILE *f = StreamOfHandle(h, _O_WRONLY | (textMode ? _O_TEXT : _O_BINARY), textMode ? "w" : "wb");
        if (!f) {
            DeleteFileA(tempName);
            return 0;
        }
#else
        (void)textMode;
        int fd = open(tempName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            SetErrnoText(errno);
            return 0;
        }
        FILE *f = fdopen(fd, "wb");
        if (!f) {
            SetErrnoText(errno);
            close(fd);
            unlink(tempName);
            return 0;
        }
#endif
        UnbufferedWhileFaultsAreArmed(f);
        return f;
    }
    SetErrorText("no free name for a temporary file");
    return 0;
}

// The last folder separator of the name, or null.
static const char *LastSeparator(const char *name)
{
    const char *slash = GbkFindLast(name, '/');
#ifdef _WIN32
    // A GBK file name can hold a character whose second byte is a backslash.
    const char *backslash = GbkFindLast(name, '\\');
    if (backslash && (!slash || backslash > slash))
        slash = backslash;
#endif
    return slash;
}

// The name without its folder.
static const char *BaseNameOf(const char *name)
{
    const char *slash = LastSeparator(name);
    return slash ? slash + 1 : name;
}

// "<digits>.tmp" or "<digits>-<digits>.tmp": the tail of a temporary name.
static int IsTemporaryTail(const char *tail)
{
    const char *p = tail;
    if (*p < '0' || *p > '9')
        return 0;
    while (*p >= '0' && *p <= '9')
        p++;
    if (*p == '-') {
        p++;
        if (*p < '0' || *p > '9')
            return 0;
        while (*p >= '0' && *p <= '9')
            p++;
    }
    return strcmp(p, ".tmp") == 0;
}

void FileRemoveStaleTemporaries(const char *name)
{
    char folder[4096];
    FileFolderOf(name, folder, sizeof folder);
    const char *base = BaseNameOf(name);
    size_t baseLength = strlen(base);
    char path[4096 + 300];
#ifdef _WIN32
    char pattern[4096 + 300];
    snprintf(pattern, sizeof pattern, "%s%s%s.*.tmp", folder, folder[0] ? "\\" : "", base);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(pattern, &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const char *entry = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strncmp(entry, base, baseLength) == 0 &&
            entry[baseLength] == '.' && IsTemporaryTail(entry + baseLength + 1)) {
            snprintf(path, sizeof path, "%s%s%s", folder, folder[0] ? "\\" : "", entry);
            FileRemove(path);
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
#else
    DIR *d = opendir(folder[0] ? folder : ".");
    if (!d)
        return;
    while (struct dirent *entry = readdir(d)) {
        const char *entryName = entry->d_name;
        if (strncmp(entryName, base, baseLength) == 0 && entryName[baseLength] == '.' &&
            IsTemporaryTail(entryName + baseLength + 1)) {
            snprintf(path, sizeof path, "%s%s%s", folder, folder[0] ? "/" : "", entryName);
            FileRemove(path);
        }
    }
    closedir(d);
#endif
}

void FileFolderOf(const char *name, char *folder, size_t size)
{
    if (!folder || size == 0)
        return;
    folder[0] = 0;
    if (!name)
        return;
    const char *slash = LastSeparator(name);
    if (!slash)
        return;
    size_t n = (size_t)(slash - name);
    if (n == 0)
        n = 1;   // the root folder keeps its separator
    if (n >= size)
        n = size - 1;
    memcpy(folder, name, n);
    folder[n] = 0;
}

// ---- keeping a damaged file ----

static int SameContent(FILE *a, const char *name)
{
    int missing;
    FILE *b = FileOpenRegular(name, &missing);
    if (!b)
        return 0;
    int same = fseek(a, 0, SEEK_SET) == 0;
    char x[4096], y[4096];
    while (same) {
        size_t n = fread(x, 1, sizeof x, a);
        size_t m = fread(y, 1, sizeof y, b);
        if (n != m || memcmp(x, y, n) != 0)
            same = 0;
        else if (n == 0)
            break;
    }
    fclose(b);
    return same;
}

// Copies the open file into a new temporary file beside name, on the disk;
// 1 with its name in tempName.
static int CopyToTemporary(FILE *in, const char *name, char *tempName, size_t size)
{
    FILE *out = FileCreateTemporary(name, 0, tempName, size);
    if (!out)
        return 0;
    enum { CHUNK = 64 * 1024 };
    char *buffer = (char *)malloc(CHUNK);
    int ok = buffer && fseek(in, 0, SEEK_SET) == 0;
    while (ok) {
        size_t n = fread(buffer, 1, CHUNK, in);
        if (n == 0) {
            ok = !ferror(in);
            break;
        }
        if (FileWrite(buffer, 1, n, out) != n)
            ok = 0;
    }
    free(buffer);
    if (ok && FileSync(out) != 0)
        ok = 0;
    if (FileClose(out) != 0)
        ok = 0;
    if (!ok)
        FileRemove(tempName);
    return ok;
}

char FileKeptCopyName[4096];

int FileKeepDamagedCopy(const char *name)
{
    int missing;
    FILE *in = FileOpenRegular(name, &missing);
    if (!in)
        return missing;   // nothing there to lose, or nothing that can be read and kept
    fseek(in, 0, SEEK_END);
    long size = ftell(in);
    if (size <= 0) {
        fclose(in);
        return size == 0;
    }
    size_t nameLength = strlen(name);
    size_t copySize = nameLength + 16;
    char *copyName = (char *)malloc(copySize);
    char *tempName = (char *)malloc(nameLength + 64);
    int kept = 0;
    for (int i = 1; copyName && tempName && i <= 99 && !kept; i++) {
        if (i == 1)
            snprintf(copyName, copySize, "%s.damaged", name);
        else
            snprintf(copyName, copySize, "%s.damaged%d", name, i);
        if (FileExists(copyName)) {
            if (SameContent(in, copyName)) {
                kept = 1;
                snprintf(FileKeptCopyName, sizeof FileKeptCopyName, "%s", copyName);
            }
            continue;
        }
        // A copy that is interrupted must never sit under the final name.
        if (CopyToTemporary(in, name, tempName, nameLength + 64)) {
            if (FileRename(tempName, copyName) == 0 && FileSyncFolder(copyName) == 0) {
                kept = 1;
                snprintf(FileKeptCopyName, sizeof FileKeptCopyName, "%s", copyName);
            } else
                FileRemove(tempName);
        }
        break;
    }
    free(copyName);
    free(tempName);
    fclose(in);
    return kept;
}

const char *SaveFailureText(int code)
{
    static char text[256];
    const char *what;
    int detail = 1;
    switch (code) {
    case SAVE_OK: return "saved";
    case SAVE_BUSY:
        what = "another loomcal or the program is writing; try again";
        detail = 0;
        break;
    case SAVE_LOCK_FAILED: what = "the lock file could not be used"; break;
    case SAVE_READ_ONLY:
        what = "the file is read-only";
        detail = 0;
        break;
    case SAVE_UNREADABLE: what = "the file cannot be read, so it is not replaced"; break;
    case SAVE_NOT_KEPT: what = "the damaged file could not be kept as a copy, so it is not replaced"; break;
    case SAVE_WRITE_FAILED: what = "the new file could not be written"; break;
    case SAVE_REPLACE_FAILED: what = "the new file could not replace the old one"; break;
    case SAVE_NOT_DURABLE: what = "the new file is in place but could not be confirmed on the disk"; break;
    case SAVE_DATA_UNREADABLE:
        what = "a note could not be read back from the old file";
        detail = 0;
        break;
    case SAVE_HARD_LINKED:
        what = "the file has other hard links, which a new file would leave with the old content, so it is not "
               "replaced (keep one name, or use a symbolic link)";
        detail = 0;
        break;
    case SAVE_NO_MEMORY:
        what = "out of memory";
        detail = 0;
        break;
    default:
        what = "unknown failure";
        detail = 0;
        break;
    }
    if (detail && FileErrorText[0])
        snprintf(text, sizeof text, "%s (%s)", what, FileErrorText);
    else
        snprintf(text, sizeof text, "%s", what);
    return text;
}

#ifndef _WIN32
// One step along a symbolic link: where it points, relative to the link's folder.
static int FollowLink(const char *link, char *out, size_t size)
{
    char target[4096];
    ssize_t n = readlink(link, target, sizeof target - 1);
    if (n < 0) {
        SetErrnoText(errno);
        return 0;
    }
    target[n] = 0;
    char folder[4096];
    FileFolderOf(link, folder, sizeof folder);
    int written = target[0] == '/' || !folder[0]
                      ? snprintf(out, size, "%s", target)
                      : snprintf(out, size, "%s%s%s", folder, strcmp(folder, "/") == 0 ? "" : "/", target);
    if (written < 0 || (size_t)written >= size) {
        SetErrorText("file name too long");
        return 0;
    }
    return 1;
}
#endif

int FileResolveForReplace(const char *name, char *target, size_t size)
{
    if (snprintf(target, size, "%s", name) >= (int)size) {
        SetErrorText("file name too long");
        return SAVE_WRITE_FAILED;
    }
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return SAVE_OK;   // nothing there yet: the new file takes the name
    HANDLE h = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (h == INVALID_HANDLE_VALUE) {
        SetWindowsErrorText(GetLastError());
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? SAVE_WRITE_FAILED : SAVE_OK;
    }
    BY_HANDLE_FILE_INFORMATION info;
    int several = GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 1;
    int ok = 1;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The handle was opened through the link: its final path is the target's.
        char path[4096];
        DWORD n = GetFinalPathNameByHandleA(h, path, sizeof path, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0 || n >= sizeof path || n >= size) {
            SetWindowsErrorText(n == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
            ok = 0;
        } else {
            const char *p = path;
            if (strncmp(p, "\\\\?\\", 4) == 0 && p[5] == ':')
                p += 4;   // "\\?\C:\..." is "C:\..."
            snprintf(target, size, "%s", p);
        }
    }
    CloseHandle(h);
    if (!ok)
        return SAVE_WRITE_FAILED;
    return several ? SAVE_HARD_LINKED : SAVE_OK;
#else
    struct stat st;
    for (int hops = 0;; hops++) {
        if (lstat(target, &st) != 0)
            return SAVE_OK;   // nothing there yet (a link may point at a file still to be made)
        if (!S_ISLNK(st.st_mode))
            break;
        if (hops >= 40) {
            SetErrnoText(ELOOP);
            return SAVE_WRITE_FAILED;
        }
        char next[4096];
        if (!FollowLink(target, next, sizeof next))
            return SAVE_WRITE_FAILED;
        if (strlen(next) >= size) {
            SetErrorText("file name too long");
            return SAVE_WRITE_FAILED;
        }
        strcpy(target, next);
    }
    return S_ISREG(st.st_mode) && st.st_nlink > 1 ? SAVE_HARD_LINKED : SAVE_OK;
#endif
}

int FileSameFile(const char *a, const char *b)
{
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION info[2];
    const char *names[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        HANDLE h = CreateFileA(names[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
        if (h == INVALID_HANDLE_VALUE)
            return 0;
        int got = GetFileInformationByHandle(h, &info[i]);
        CloseHandle(h);
        if (!got)
            return 0;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
#else
    struct stat x, y;
    return stat(a, &x) == 0 && stat(b, &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
#endif
}

int FileWriteCompleteBy(const char *name, int textMode, int (*write)(FILE *f, void *context), void *context)
{
    char resolved[4096];
    int resolution = FileResolveForReplace(name, resolved, sizeof resolved);
    if (resolution != SAVE_OK)
        return resolution;
    name = resolved;
    char temporary[4096];
    FILE *f = FileCreateTemporary(name, textMode, temporary, sizeof temporary);
    if (!f)
        return SAVE_WRITE_FAILED;
    int ok = write(f, context) == 0 && FileSync(f) == 0;
    ok = FileClose(f) == 0 && ok;
    if (!ok) {
        FileRemove(temporary);
        return SAVE_WRITE_FAILED;
    }
    if (FileReplace(temporary, name) != 0) {
        FileRemove(temporary);
        return SAVE_REPLACE_FAILED;
    }
    return FileSyncFolder(name) == 0 ? SAVE_OK : SAVE_NOT_DURABLE;
}

struct ByteBlock {
    const void *bytes;
    size_t length;
};

static int WriteBlock(FILE *f, void *context)
{
    const ByteBlock *block = (const ByteBlock *)context;
    return block->length == 0 || FileWrite(block->bytes, 1, block->length, f) == block->length ? 0 : -1;
}

int FileWriteComplete(const char *name, const void *bytes, size_t length)
{
    ByteBlock block = {bytes, length};
    return FileWriteCompleteBy(name, 0, WriteBlock, &block);
}
