#include "fileio.h"
#include <stdarg.h>
#ifdef _WIN32
#include <windows.h>
#include <io.h>
#else
#include <unistd.h>
#endif

int64_t FileFaultAfter = -1;
int64_t FileStepsTaken = 0;
static int faultTripped = 0;

void FileFaultReset(int64_t after)
{
    FileFaultAfter = after;
    FileStepsTaken = 0;
    faultTripped = 0;
}

int FileFaultTripped() { return faultTripped; }

// One writing step: 1 when it may go ahead, 0 when the simulated death has come.
static int TakeStep()
{
    if (FileFaultAfter < 0)
        return 1;
    if (faultTripped || FileStepsTaken >= FileFaultAfter) {
        faultTripped = 1;
        return 0;
    }
    FileStepsTaken++;
    return 1;
}

FILE *FileOpen(const char *name, const char *mode)
{
    int writes = mode[0] == 'w' || mode[0] == 'a';
    // Opening for writing truncates or creates: that is a step of its own.
    if (writes && !TakeStep())
        return 0;
    FILE *f = fopen(name, mode);
    if (f && FileFaultAfter >= 0)
        setvbuf(f, 0, _IONBF, 0);
    return f;
}

size_t FileWrite(const void *data, size_t size, size_t count, FILE *f)
{
    if (!TakeStep())
        return 0;
    return fwrite(data, size, count, f);
}

int FilePrintf(FILE *f, const char *format, ...)
{
    if (!TakeStep())
        return -1;
    va_list args;
    va_start(args, format);
    int n = vfprintf(f, format, args);
    va_end(args);
    return n;
}

int FileSync(FILE *f)
{
    if (!TakeStep())
        return -1;
    if (fflush(f) != 0)
        return -1;
#ifdef _WIN32
    return FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(f))) ? 0 : -1;
#else
    return fsync(fileno(f));
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
    return alive ? r : -1;
}

int FileReplace(const char *from, const char *to)
{
    if (!TakeStep())
        return -1;
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
#else
    return rename(from, to);
#endif
}

int FileRemove(const char *name)
{
    if (!TakeStep())
        return -1;
    return remove(name);
}

int FileRename(const char *from, const char *to)
{
    if (!TakeStep())
        return -1;
    if (FileExists(to))
        return -1;
    return rename(from, to);
}

int FileExists(const char *name)
{
    FILE *f = fopen(name, "rb");
    if (!f)
        return 0;
    fclose(f);
    return 1;
}
