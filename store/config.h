// "dlm.ini": settings, holiday rules and memos, read at start-up and written
// at shutdown when something in it changed.
#pragma once
#include <stdint.h>
#include <stdio.h>

extern int ConfigChanged;
// With CTRL_PURGE_EXPIRED, memos dated before this date are dropped when the
// file is read (none while it is null); the application points it at its today.
extern const int32_t *ConfigPurgeDate;

// Reading and writing the file; the application adds the defaults, the
// folder and the lock (app/programfiles.h). ReadConfigFile returns CONFIG_*
// below; without a file that can be read it leaves the settings and lists as
// they were. WriteConfigFile, under the data lock, writes a complete new file
// beside the old one and then replaces it, after keeping a damaged old file
// as "<name>.damaged"; 0 on success, else a SAVE_* failure (fileio.h).
enum {
    CONFIG_READ = 0,         // the file was read whole
    CONFIG_MISSING = 1,      // no file
    CONFIG_DAMAGED = 2,      // read, but some lines that are not empty were left unread
    CONFIG_UNREADABLE = 3,   // there is a file but it cannot be read (ConfigReadError)
};
int ReadConfigFile(const char *name);
// The settings as they are now become the base of later merges, as those
// read are (for defaults put in place of a file that could not be read).
void ConfigTakeSettingsBase();
int WriteConfigFile(const char *name);
// Other writers (loomcal) change the file while the program runs. Every
// WriteConfigFile merges: under the lock it reads the file again and writes
// the program's changes since it last read or wrote it over what is there,
// per key of [CONTROL] and per record of [HOLIDAY] and [REMIND]; what others
// changed stays, and where both changed the same thing the program's (the
// later save) wins. ConfigTakenIn tells what the last merge took from the
// file (CONFIG_TOOK_*); memos it dropped are freed, so the alarm queue is
// built again after it.
enum { CONFIG_TOOK_SETTINGS = 1, CONFIG_TOOK_HOLIDAYS = 2, CONFIG_TOOK_MEMOS = 4 };
extern int ConfigTakenIn;
// 1 when the file is not the one the program last read or wrote.
int ConfigFileChanged(const char *name);
// Takes in what others wrote, keeping the program's unsaved changes (and
// its window placements); CONFIG_TOOK_* of what changed.
int ConfigTakeIn(const char *name);
// Reads the file as ReadConfigFile does, but changes nothing in the program.
int CheckConfigFile(const char *name);

// The lines the last ReadConfigFile or CheckConfigFile left unread or read
// only in part: how many, and the first few with the reason.
#define CONFIG_PROBLEMS_KEPT 20
struct ConfigProblem {
    int32_t line;   // 1-based
    char why[120];
};
extern int32_t ConfigProblemCount;
extern ConfigProblem ConfigProblems[CONFIG_PROBLEMS_KEPT];
extern char ConfigReadError[160];   // why CONFIG_UNREADABLE

long FindSection(FILE *f, const char *name);
char *FindKey(FILE *f, long position, const char *key);

// Line breaks in a memo text are kept on its one line in the file; see config.cpp.
void EncodeLineBreaks(const char *text, char *out, size_t outSize);
void DecodeLineBreaks(char *text);
