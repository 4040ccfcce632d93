// The program keeps its files beside the executable.
#pragma once
#include <stddef.h>

// The process command line (GetCommandLineA on Windows); tests point it elsewhere.
extern const char *(*ReadCommandLine)();
// Makes the executable's directory the current directory (Windows; nothing natively).
void ChangeToProgramDirectory();
// The directory part of a command line: up to its last backslash, without a
// leading double quote. Returns 0 when the line has no backslash.
int ProgramDirectoryOf(const char *commandLine, char *out, size_t outSize);
