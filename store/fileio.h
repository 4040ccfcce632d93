// The file layer under the note store and the configuration file. Everything
// that changes a file on disk goes through here, so a test can stop the
// program at any write ("the process dies here") and look at what is left.
#pragma once
#include <stdint.h>
#include <stdio.h>

FILE *FileOpen(const char *name, const char *mode);
size_t FileWrite(const void *data, size_t size, size_t count, FILE *f);
int FilePrintf(FILE *f, const char *format, ...);
int FileSync(FILE *f);                               // flush and push to the disk; 0 on success
int FileClose(FILE *f);                              // 0 on success
int FileReplace(const char *from, const char *to);   // atomic replace of to by from; 0 on success
int FileRemove(const char *name);                    // 0 on success
int FileRename(const char *from, const char *to);    // fails when to exists; 0 on success
int FileExists(const char *name);

// Fault injection: when FileFaultAfter >= 0, that many writing steps (write,
// printf, sync, close, replace, remove, rename) succeed; the next one and
// every later one fail and change nothing, as if the process had died there.
// Files opened while it is armed are unbuffered so that the disk holds exactly
// the steps that succeeded. -1 (the default) disarms it.
extern int64_t FileFaultAfter;
extern int64_t FileStepsTaken;        // writing steps counted since the last reset
int FileFaultTripped();               // 1 once a step has failed
void FileFaultReset(int64_t after);   // arm (or -1 to disarm) and clear the counters
