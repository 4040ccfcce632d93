// The file layer under the note store and the configuration file. Everything
// that changes a file on disk goes through here, so a test can stop the
// program at any write ("the process dies here") or fail one write alone
// and look at what is left.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

FILE *FileOpen(const char *name, const char *mode);
size_t FileWrite(const void *data, size_t size, size_t count, FILE *f);
int FilePrintf(FILE *f, const char *format, ...);
int FileSync(FILE *f);                               // flush and push to the disk; 0 on success
int FileClose(FILE *f);                              // 0 on success
int FileReplace(const char *from, const char *to);   // atomic replace of to by from; 0 on success
int FileSyncFolder(const char *name);                // makes a move or rename in name's folder durable
int FileRemove(const char *name);                    // 0 on success
int FileRename(const char *from, const char *to);    // fails when to exists; 0 on success
int FileExists(const char *name);                    // any kind of file; never opens it

// What tells a file's versions apart cheaply: its size and its last write
// time (in the platform's finest unit); all zero for a missing file. One
// system call, never opens the file.
struct FileStamp {
    int64_t size;
    int64_t writeTime;
    int32_t exists;
};
void FileStampOf(const char *name, FileStamp *stamp);
int FileStampsEqual(const FileStamp *a, const FileStamp *b);

// Opens an existing regular file for reading (binary). A missing file gives
// null with *missing set; anything else that is not a readable regular file
// (a folder, a FIFO, no permission) gives null with *missing 0 and the
// reason in FileErrorText.
FILE *FileOpenRegular(const char *name, int *missing);
// Creates, exclusively, a new file beside name whose name is unique to this
// process ("<name>.<pid>.tmp"), for writing (in text mode when textMode is
// set: line feeds become CR LF on Windows); its name goes to tempName.
FILE *FileCreateTemporary(const char *name, int textMode, char *tempName, size_t size);
// Removes what "<name>.<pid>.tmp" files earlier processes left behind when
// they died while writing. Only safe while the data lock is held.
void FileRemoveStaleTemporaries(const char *name);
// 1 when name exists with its read-only attribute (no write permission for its owner).
int FileIsReadOnly(const char *name);
// Keeps a complete copy of a file that is about to be replaced under a free
// "<name>.damaged", "<name>.damaged2", ... name (an identical copy kept
// earlier counts). 1 when the file is kept or there is nothing to keep.
int FileKeepDamagedCopy(const char *name);
// The name of the copy the last FileKeepDamagedCopy made or found, "" when
// there was nothing to keep; a caller that tells the user reads and clears it.
extern char FileKeptCopyName[4096];
// The folder part of a file name ("" for the current folder), GBK-aware.
void FileFolderOf(const char *name, char *folder, size_t size);

// The file a save of name must replace: name itself, or, when name is a
// symbolic link (a reparse point on Windows), the file it finally points to,
// so that the link stays and its target gets the new content. SAVE_OK with
// the path in target; SAVE_HARD_LINKED for a file with more than one hard
// link, whose other names a replacement would leave with the old content.
int FileResolveForReplace(const char *name, char *target, size_t size);
// 1 when both names exist and are the same file (through links as well).
int FileSameFile(const char *a, const char *b);

// Writes bytes as a complete new file beside name (binary, under a name of
// this process's own) and moves it over name, so that a crash at any point
// leaves the old file or the new one, whole. SAVE_OK, or SAVE_WRITE_FAILED,
// SAVE_REPLACE_FAILED or SAVE_NOT_DURABLE (below), with the old file
// untouched unless the move itself went through.
int FileWriteComplete(const char *name, const void *bytes, size_t length);
// The same with the content written by write(f, context), which returns 0
// when all of it went out; textMode as for FileCreateTemporary.
int FileWriteCompleteBy(const char *name, int textMode, int (*write)(FILE *f, void *context), void *context);

// Why the last failing call of this layer failed, in a few words.
extern char FileErrorText[160];

// Why a save of "dlm.db" or "dlm.ini" failed; 0 is success.
enum {
    SAVE_OK = 0,
    SAVE_BUSY = 1,              // another process kept the data lock for the whole wait
    SAVE_LOCK_FAILED = 2,       // the lock file could not be made or locked
    SAVE_READ_ONLY = 3,         // the file is read-only
    SAVE_UNREADABLE = 4,        // the file could not be read: it is not replaced blindly
    SAVE_NOT_KEPT = 5,          // a damaged file could not be kept as "<name>.damaged"
    SAVE_WRITE_FAILED = 6,      // the new file could not be made, written or flushed
    SAVE_REPLACE_FAILED = 7,    // the new file could not be moved over the old one
    SAVE_NOT_DURABLE = 8,       // moved, but the move could not be confirmed on the disk
    SAVE_DATA_UNREADABLE = 9,   // a note's text could not be read back from the old file
    SAVE_NO_MEMORY = 10,
    SAVE_HARD_LINKED = 11,      // the file has several hard links: it is not replaced
};
// One line for a save failure, with FileErrorText where it says more.
const char *SaveFailureText(int code);

// Fault injection: when FileFaultAfter >= 0, that many writing steps
// (create, write, printf, sync, close, replace, folder sync, remove, rename)
// succeed; the next one and every later one fail and change nothing, as if
// the process had died there. Files opened while it is armed are unbuffered
// so that the disk holds exactly the steps that succeeded. -1 (the default)
// disarms it.
extern int64_t FileFaultAfter;
extern int64_t FileStepsTaken;        // writing steps counted since the last reset
int FileFaultTripped();               // 1 once a step has failed
void FileFaultReset(int64_t after);   // arm (or -1 to disarm) and clear the counters
// Fails the writing step with this number (counted from 0) alone, as a full
// disk or a refused move would; the steps after it succeed again.
void FileFaultFailOne(int64_t step);
