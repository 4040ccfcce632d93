#include "progdir.h"
#include "../records/gbk.h"
#include <string.h>
#ifdef _WIN32
#include <windows.h>

static const char *SystemCommandLine() { return GetCommandLineA(); }
const char *(*ReadCommandLine)() = SystemCommandLine;
#else
static const char *EmptyCommandLine() { return ""; }
const char *(*ReadCommandLine)() = EmptyCommandLine;
#endif

int ProgramDirectoryOf(const char *commandLine, char *out, size_t outSize)
{
    if (!commandLine || !out || outSize == 0)
        return 0;
    // A GBK path can hold a character whose second byte is a backslash, so the
    // separator is searched character by character.
    const char *slash = GbkFindLast(commandLine, '\\');
    if (!slash)
        return 0;
    const char *start = commandLine;
    if (*start == '"')
        start++;
    if (slash < start)
        return 0;
    size_t n = (size_t)(slash - start);
    if (n >= outSize)
        return 0;
    memcpy(out, start, n);
    out[n] = 0;
    return 1;
}

void ChangeToProgramDirectory()
{
#ifdef _WIN32
    static char directory[32768];
    if (ProgramDirectoryOf(ReadCommandLine(), directory, sizeof directory))
        SetCurrentDirectoryA(directory);
#endif
}
