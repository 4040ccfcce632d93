// The program's day notes and "dlm.db", which loomcal writes as well. The
// program keeps every note in memory and the file closed; each save and each
// look at the file opens it under the data lock, merges per date (merge.h)
// and closes it again, so that another writer can replace it at any time.
#pragma once
#include <stdint.h>
#include "fileio.h"

// Opens DayNoteStore on the file, reads every note, closes the file and
// takes what it read as the base of later merges.
void NotesOpen(const char *name);
// Under the data lock reads the file again and merges the changes made in
// memory since the base over it. With save, writes the result when it
// differs from the file (SAVE_OK or a SAVE_* failure, the changes kept in
// memory); without, only takes in what others wrote (changes of the program
// stay unsaved). DayNoteStore is replaced by the merged store; nothing may
// hold a StoreItem across the call.
int NotesSync(const char *name, int save);
// 1 when the file changed since the program last read or wrote it.
int NotesFileChanged(const char *name);
// Releases the notes and the base.
void NotesDiscard();
