// The user's days off as a GBK text file beside the program, one
// "YYYY-MM-DD 休|班 NAME" line each (calendar/offdays.h holds the lines).
#pragma once

// Reads the file; a missing file is an empty one. Lines that cannot be read
// are kept (and written back) but not used. 0 when read (or missing), 1 when
// the file exists but could not be opened.
int LoadOffDaysFile(const char *path);
// Writes the lines as a complete new file (SAVE_OK or a SAVE_* code).
int SaveOffDaysFile(const char *path);
