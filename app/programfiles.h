// The program's files over a run: "dlm.ini" (or its defaults) and "dlm.db"
// in the program's folder, opened at start-up under the program's mark in the
// data lock and saved at shutdown. Platform-free, so that loomcal loads the
// same defaults.
#pragma once

// The colours, options, placement and built-in holidays of a first start.
int LoadDefaults();
// ReadConfigFile, with the defaults when there is no file that can be read;
// expired memos are purged by the program's today. CONFIG_* of the file.
int LoadConfigFile(const char *name);
// Program directory, "dlm.ini" (or defaults), then the store; from here to
// SaveConfig the program holds its mark in the data lock (datalock.h).
int LoadConfig();
// "dlm.ini" when ConfigChanged, then the store, which it closes. 0 when
// everything that had to be saved was saved; else the first SAVE_* failure,
// and a store that could not be saved stays open, so that a second call may
// still save it.
int SaveConfig();
