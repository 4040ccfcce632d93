// loomcal: the calendar, the day notes and the memos from a terminal, on the
// same "dlm.ini" and "dlm.db" the desktop program keeps.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "../calendar/calendar.h"
#include "../store/recordstore.h"

// Exit statuses.
enum {
    EXIT_OK = 0,
    EXIT_FAILED = 1,   // a damaged file, a file that could not be written
    EXIT_BAD_ARGUMENT = 2,
};

// ---- output (output.cpp) ----
// Everything for stdout is collected as GBK and written once at the end, in
// the terminal's encoding.
void OutText(const char *gbk);
void OutBytes(const char *gbk, size_t length);
void OutFormat(const char *format, ...);
void OutFlush();
// Flushes and closes stdout; when anything written to it was lost (a full
// disk, /dev/full, a closed pipe) one line on stderr and EXIT_FAILED.
int OutFinish();
// One line on stderr (GBK in, terminal encoding out); a newline is added.
void ErrorLine(const char *format, ...);

// Converts a command-line text into GBK; null when it is not valid text.
// The result is malloc'ed.
char *ArgumentToGbk(const char *arg);
#ifdef _WIN32
// The arguments as GBK from the Unicode command line, malloc'ed; null when
// memory ran out. *bad: the first one holding half a surrogate pair, or 0.
char **WideArguments(int *argc, int *bad);
#endif

// A command-line argument as GBK for a message, from a small ring of static
// buffers (so a message may quote two arguments).
const char *ShownArg(const char *arg);

// Display columns of GBK text: a double-byte character takes two.
int DisplayWidth(const char *gbk);
// Appends text cut to at most width columns, padded with blanks to width.
void OutCell(const char *gbk, int width);
// Appends text with a carriage return shown as \r, a line feed as \n, a tab
// as \t, a backslash as \\ and a byte that is no GBK character as \xNN, so
// that it stays on one line and in one column and reads back unmistakably.
void OutEscaped(const char *gbk);

// 1 when highlighting escapes may be written to stdout.
int StdoutIsColourTerminal();

// ---- arguments (loomcal.cpp) ----
// Strict YYYY-MM-DD; 0 when the text is not a valid Gregorian date of 1..9999.
int ParseDate(const char *text, PackedDate *out);
// YYYY-MM-DD read as numbers only; 0 when it is not of that form.
int ParseTriple(const char *text, int *year, int *month, int *day);
// Whole decimal number in [low, high]; 0 otherwise.
int ParseNumber(const char *text, int low, int high, int *out);

// ---- files (loomcal.cpp) ----
// Reads "dlm.ini" into Settings, HolidayList and ReminderList as the program
// does at start-up; returns the CONFIG_* result.
int LoadConfigForTool();
// Opens "dlm.db" as DayNoteStore and looks at every block (StoreVerify), so
// that every command judges the file as 'check' does; what it found goes to
// StoreBlocks.
void OpenStoreForTool();
extern StoreVerifyResult StoreBlocks;
// Writes "dlm.ini"; 0 on success, one line on stderr and EXIT_FAILED otherwise.
int SaveConfigForTool();
// Closes DayNoteStore, writing it back only when write is set; the exit
// status, with one line on stderr when the save failed.
int CloseStoreForTool(int write);
// A changing command holds the data lock from before it reads the files
// until it has written them, so that parallel runs take turns and none
// loses another's change. EXIT_OK, or EXIT_FAILED with one line on stderr.
// It warns when the program is running, whose next save may overwrite it.
int LockForChange();
// How long a changing command waits for the data lock (--wait).
extern int32_t ToolWaitMs;
// One line on stderr and 1 when the file exists but cannot be read (for
// "dlm.db" also: it is not a note file, so none of its notes can be read).
int RefuseUnreadableConfig(int configResult);
int RefuseUnreadableStore();

// What the options of 'ics' asked for: years (0 = not given), the notes,
// and the file (null or "-" = the standard output).
struct IcsToolRequest {
    int32_t fromYear;
    int32_t toYear;
    int32_t notes;
    const char *output;
};
extern IcsToolRequest IcsRequest;

// Writes bytes to stdout as they are (UTF-8 text that needs no conversion).
void OutRaw(const char *bytes, size_t length);

// ---- commands (commands.cpp) ----
// argv[0] is the command's first argument (after the subcommand name).
int CommandMonth(int argc, char **argv);
int CommandDay(int argc, char **argv);
int CommandDays(int argc, char **argv);
int CommandTerms(int argc, char **argv);
int CommandLunar(int argc, char **argv);
int CommandHolidays(int argc, char **argv);
int CommandReport(int argc, char **argv);
// mark: 1 --mark, 0 --unmark, -1 neither (notes set keeps the mark it finds)
int CommandNotes(int argc, char **argv, int mark);
int CommandMemos(int argc, char **argv);
int CommandHolidaysList(int argc, char **argv);
int CommandHolidaysAdd(int argc, char **argv);
int CommandCheck(int argc, char **argv);
int CommandIcs(int argc, char **argv);
int CommandOffDays(int argc, char **argv);
// The days-off file's lines that cannot be read: a warning on stderr, and
// the section of 'check'.
void WarnIfOffDaysDamaged();
void CheckOffDays();
int OffDaysBadLineCount();
void PrintUsage();
