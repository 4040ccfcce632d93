// "dlm.ini": settings, holiday rules and memos, read at start-up and written
// at shutdown when something in it changed.
#pragma once
#include <stdio.h>

extern int ConfigChanged;

int LoadConfig();   // program directory, "dlm.ini" (or defaults), then the store
int LoadDefaults();
int SaveConfig();   // "dlm.ini" when ConfigChanged, then always closes the store

// The working halves of LoadConfig and SaveConfig, on a file in the current
// directory. ReadConfigFile returns CONFIG_* below; WriteConfigFile writes a
// complete new file beside the old one and then replaces it, 0 on success.
enum {
    CONFIG_READ = 0,      // the file was read
    CONFIG_MISSING = 1,   // no file: defaults were loaded
    CONFIG_DAMAGED = 2,   // read, but some lines could not be parsed and were skipped
};
int ReadConfigFile(const char *name);
int WriteConfigFile(const char *name);

long FindSection(FILE *f, const char *name);
char *FindKey(FILE *f, long position, const char *key);

// Line breaks in a memo text are kept on its one line in the file; see config.cpp.
void EncodeLineBreaks(const char *text, char *out, size_t outSize);
void DecodeLineBreaks(char *text);
