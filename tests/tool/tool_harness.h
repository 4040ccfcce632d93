// Runs the built loomcal (its path in LOOMCAL) as a child process in a
// scratch directory. Arguments and results are GBK, like the test literals:
// natively they are converted to and from the terminal's UTF-8.
#pragma once
#include <string>
#include <vector>

struct ToolRun {
    int status;        // exit status, -1 when the tool could not be run or died
    std::string out;   // stdout, GBK
    std::string err;   // stderr, GBK
};

struct ScratchDir {
    std::string path;     // the data directory
    std::string ioPath;   // beside it: the captured output of each run
};

ScratchDir MakeScratchDir();
void RemoveScratchDir(const ScratchDir &dir);
std::string PathIn(const ScratchDir &dir, const char *name);

// An argument starting with this byte goes to loomcal as the bytes after it,
// not converted (natively: to pass text that is not UTF-8).
#define RAW_ARGUMENT '\x1B'

// Runs loomcal with "--dir <dir>" and the arguments.
ToolRun RunTool(const ScratchDir &dir, const std::vector<std::string> &args);
// Runs loomcal with exactly the arguments given, in the scratch directory.
// A run that takes longer than a minute is ended and counts as died (-1).
ToolRun RunToolBare(const ScratchDir &dir, const std::vector<std::string> &args);

// The same in two halves, for runs that go on side by side: StartTool starts
// loomcal with "--dir <dir>" and the arguments, FinishTool waits for it.
struct ToolProcess;
ToolProcess *StartTool(const ScratchDir &dir, const std::vector<std::string> &args);
ToolRun FinishTool(ToolProcess *process);

// Sets or clears the read-only attribute of a file.
void SetReadOnly(const std::string &path, bool readOnly);

std::vector<std::string> SplitLines(const std::string &text);
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &bytes);
