// loomcal: entry, argument reading and the two data files.
#include "loomcal.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "../app/version.h"
#include "../calendar/offdays.h"
#include "../features/offdaysfile.h"
#include "../calendar/today.h"
#include "../store/config.h"
#include "../app/programfiles.h"
#include "../store/datalock.h"
#include "../store/fileio.h"
#include "../records/records.h"
#include "../store/recordstore.h"
#include "../records/settings.h"
#ifdef _WIN32
#include <direct.h>
#define chdir _chdir
#define getcwd _getcwd
#define PATH_SEPARATOR "\\"
#else
#include <unistd.h>
#define PATH_SEPARATOR "/"
#endif

static int IsAbsolutePath(const char *path)
{
#ifdef _WIN32
    // "C:\x", "\\server\share", "\x"; "C:x" is relative to C:'s own folder, left as it is
    return path[0] == '\\' || path[0] == '/' || (path[0] && path[1] == ':');
#else
    return path[0] == '/';
#endif
}

static int ReadDigits(const char **p, int minDigits, int maxDigits, int *out)
{
    int n = 0, value = 0;
    while (**p >= '0' && **p <= '9') {
        if (++n > maxDigits)
            return 0;
        value = value * 10 + (**p - '0');
        (*p)++;
    }
    if (n < minDigits)
        return 0;
    *out = value;
    return 1;
}

int ParseTriple(const char *text, int *year, int *month, int *day)
{
    const char *p = text;
    if (!ReadDigits(&p, 1, 4, year) || *p++ != '-')
        return 0;
    if (!ReadDigits(&p, 1, 2, month) || *p++ != '-')
        return 0;
    if (!ReadDigits(&p, 1, 2, day) || *p)
        return 0;
    return 1;
}

int ParseDate(const char *text, PackedDate *out)
{
    int y, m, d;
    if (!ParseTriple(text, &y, &m, &d))
        return 0;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return 0;
    *out = PACK_DATE(y, m, d);
    return 1;
}

int ParseNumber(const char *text, int low, int high, int *out)
{
    const char *p = text;
    int negative = 0;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        p++;
    }
    int value;
    if (!ReadDigits(&p, 1, 6, &value) || *p)
        return 0;
    if (negative)
        value = -value;
    if (value < low || value > high)
        return 0;
    *out = value;
    return 1;
}

int LoadConfigForTool()
{
    // The chime entry heads the memo list before the file is read, as at start-up.
    if (!ReminderList)
        AddChimeEntry();
    int result = LoadConfigFile("dlm.ini");
    LoadOffDaysFile(OFFDAYS_FILE);
    // The program falls back to its defaults when the file gave it no window
    // placement; do the same so that options and holidays agree with it.
    if (Settings.MonthPos.right == 0 || Settings.MonthPos.bottom == 0)
        LoadDefaults();
    return result;
}

StoreVerifyResult StoreBlocks;

void OpenStoreForTool()
{
    if (!DayNoteStore) {
        DayNoteStore = StoreOpen("dlm.db", 0, 0, 0);
        StoreVerify(DayNoteStore, &StoreBlocks);
    }
}

int SaveConfigForTool()
{
    int result = WriteConfigFile("dlm.ini");
    if (result != SAVE_OK) {
        ErrorLine("loomcal: dlm.ini was not saved: %s", SaveFailureText(result));
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int CloseStoreForTool(int write)
{
    if (!DayNoteStore)
        return EXIT_OK;
    // A reading command leaves the file exactly as it found it.
    int result = SAVE_OK;
    if (write)
        result = StoreClose(DayNoteStore, "dlm.db");
    else
        StoreDiscard(DayNoteStore);
    DayNoteStore = 0;
    if (result != SAVE_OK) {
        ErrorLine("loomcal: dlm.db was not saved: %s", SaveFailureText(result));
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int32_t ToolWaitMs = 10000;
IcsToolRequest IcsRequest;

int LockForChange()
{
    int lock = DataLockAcquire("", ToolWaitMs);
    if (lock == DATALOCK_BUSY) {
        ErrorLine("loomcal: another loomcal or the program is writing dlm.ini or dlm.db; try again");
        return EXIT_FAILED;
    }
    if (lock != DATALOCK_OK) {
        ErrorLine("loomcal: the lock file %s cannot be used: %s", DATALOCK_FILE, FileErrorText);
        return EXIT_FAILED;
    }
    // A running program merges its own saves over this change and takes it
    // in: there is nothing to warn about.
    return EXIT_OK;
}

int RefuseUnreadableConfig(int configResult)
{
    if (configResult != CONFIG_UNREADABLE)
        return 0;
    ErrorLine("loomcal: dlm.ini cannot be read: %s", ConfigReadError);
    return 1;
}

int RefuseUnreadableStore()
{
    if (!DayNoteStore)
        return 0;
    if (DayNoteStore->fileState == STORE_FILE_UNREADABLE) {
        ErrorLine("loomcal: dlm.db cannot be read: %s", DayNoteStore->openError);
        return 1;
    }
    if (DayNoteStore->fileState == STORE_FILE_FOREIGN) {
        // not an empty store: the notes may be behind one changed byte
        ErrorLine("loomcal: dlm.db cannot be read: %s (see 'loomcal check')", DayNoteStore->damage);
        return 1;
    }
    return 0;
}

void PrintUsage()
{
    OutText("用法: loomcal [--dir 目录] 命令 [参数]\n"
            "\n"
            "  month [YYYY-MM]              月历（默认本月）\n"
            "  day YYYY-MM-DD               某日的全部信息\n"
            "  days FROM TO                 逐日数据（制表符分隔）\n"
            "  terms [--mean] YEAR          一年的二十四节气与交节时刻（北京时间）；--mean 按平气公式\n"
            "  lunar YYYY-MM-DD             农历日期换算为公历（闰月：YYYY-闰MM-DD 或 YYYY-LMM-DD）\n"
            "  holidays YYYY-MM-DD          某日的节日\n"
            "  report YYYY-MM-DD            日期信息报告\n"
            "  notes list                   全部日期备注\n"
            "  notes set YYYY-MM-DD TEXT [--mark|--unmark]\n"
            "  notes mark|unmark|delete YYYY-MM-DD\n"
            "  memos list                   全部备忘\n"
            "  memos add WHEN [HH:MM[:SS]] TEXT\n"
            "                               WHEN: YYYY-MM-DD, daily, workdays（工作日，按放假调休）,\n"
            "                               monthly:D, weekly:W (0=周日),\n"
            "                               yearly:MM-DD（每年）, lunar:MM-DD（农历每年，闰月 lunar:闰MM-DD\n"
            "                               或 lunar:LMM-DD）\n"
            "  holidays-list                全部节日规则\n"
            "  holidays-add solar|lunar MM-DD NAME\n"
            "  holidays-add weekday MONTH N WEEKDAY NAME   (N: 1..5 正数, -1..-5 倒数)\n"
            "  offdays YEAR                 一年的法定放假（休）与调休上班（班）\n"
            "  offdays add YYYY-MM-DD 休|班 NAME   在 offdays.txt 中加入或改写一天（优先于内置数据）\n"
            "  offdays delete YYYY-MM-DD    删除 offdays.txt 中该日的一行\n"
            "  check                        检查 dlm.ini、dlm.db 与 offdays.txt 是否完好\n"
            "  ics [--from 年] [--to 年] [--notes] [-o 文件]\n"
            "                               导出 iCalendar 日历（节日、节气、备忘；--notes 含日期备注）\n"
            "                               默认今年起三年，默认写到标准输出\n"
            "  help                         本说明\n"
            "  --version                    版本号\n"
            "\n"
            "--dir 目录: dlm.ini 与 dlm.db 所在的目录（默认当前目录）\n"
            "--wait 秒: 修改命令等待其他写入者的最长时间（默认 10 秒）\n"
            "日历程序运行时也可修改：程序每次保存都先合并文件里的新内容，不会覆盖这些修改。\n");
}

struct CommandEntry {
    const char *name;
    int (*run)(int argc, char **argv);
};

static const CommandEntry Commands[] = {
    {"month", CommandMonth},
    {"day", CommandDay},
    {"days", CommandDays},
    {"terms", CommandTerms},
    {"offdays", CommandOffDays},
    {"lunar", CommandLunar},
    {"holidays", CommandHolidays},
    {"report", CommandReport},
    {"notes", 0},
    {"memos", CommandMemos},
    {"holidays-list", CommandHolidaysList},
    {"holidays-add", CommandHolidaysAdd},
    {"check", CommandCheck},
    {"ics", CommandIcs},
};

static void ReleaseEverything()
{
    CloseStoreForTool(0);
    ListFreeAll(&HolidayList);
    ListFreeAll(&ReminderList);
    if (DataLockHeld(""))
        DataLockRelease("");
}

// The value of an option given as "NAME=VALUE" or as NAME and the next
// argument (taken, so the caller's index moves on); null when there is none.
static const char *OptionValue(const char *arg, const char *name, int argc, char **argv, int *i)
{
    const size_t n = strlen(name);
    if (strncmp(arg, name, n) == 0 && arg[n] == '=')
        return arg + n + 1;
    return *i + 1 < argc ? argv[++*i] : 0;
}

int main(int argc, char **argv)
{
    const char *dir = 0;
    int mark = -1;               // notes set keeps the mark unless --mark or --unmark says otherwise
    const char *icsOption = 0;   // the first option of 'ics' seen, to refuse it elsewhere
    int endOfOptions = 0;
#ifdef _WIN32
    // the arguments as typed, not as the ANSI code page can hold them
    int bad = 0;
    char **wide = WideArguments(&argc, &bad);
    if (wide)
        argv = wide;
    if (bad) {
        ErrorLine("loomcal: argument %d is not valid text", bad);
        return EXIT_BAD_ARGUMENT;
    }
#endif
    char **positional = (char **)calloc((size_t)argc + 1, sizeof(char *));
    int count = 0;
    if (!positional)
        return EXIT_FAILED;
#ifndef _WIN32
    // Every text is converted before anything happens, so that a text that
    // cannot be stored is refused before a file is touched.
    for (int i = 1; i < argc; i++) {
        char *gbk = ArgumentToGbk(argv[i]);
        if (!gbk) {
            ErrorLine("loomcal: argument %d is not valid UTF-8 text", i);
            free(positional);
            return EXIT_BAD_ARGUMENT;
        }
        free(gbk);
    }
#endif
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        if (!endOfOptions && strcmp(arg, "--") == 0) {
            endOfOptions = 1;
        } else if (!endOfOptions && strcmp(arg, "--dir") == 0) {
            if (i + 1 >= argc) {
                ErrorLine("loomcal: --dir needs a directory");
                free(positional);
                return EXIT_BAD_ARGUMENT;
            }
            dir = argv[++i];
        } else if (!endOfOptions && strncmp(arg, "--dir=", 6) == 0) {
            dir = arg + 6;
        } else if (!endOfOptions && (strcmp(arg, "--mark") == 0 || strcmp(arg, "--unmark") == 0)) {
            int wanted = arg[2] == 'm';
            if (mark >= 0 && mark != wanted) {
                ErrorLine("loomcal: --mark and --unmark exclude each other");
                free(positional);
                return EXIT_BAD_ARGUMENT;
            }
            mark = wanted;
        } else if (!endOfOptions && (strcmp(arg, "--wait") == 0 || strncmp(arg, "--wait=", 7) == 0)) {
            const char *value = arg[6] == '=' ? arg + 7 : (i + 1 < argc ? argv[++i] : 0);
            int seconds;
            if (!value || !ParseNumber(value, 0, 3600, &seconds) || value[0] == '-' || value[0] == '+') {
                ErrorLine("loomcal: --wait needs a number of seconds (0..3600)");
                free(positional);
                return EXIT_BAD_ARGUMENT;
            }
            ToolWaitMs = seconds * 1000;
        } else if (!endOfOptions && (strcmp(arg, "--from") == 0 || strncmp(arg, "--from=", 7) == 0 ||
                                     strcmp(arg, "--to") == 0 || strncmp(arg, "--to=", 5) == 0)) {
            const int isFrom = arg[2] == 'f';
            const char *value = OptionValue(arg, isFrom ? "--from" : "--to", argc, argv, &i);
            int year;
            if (!value || !ParseNumber(value, 1, 9999, &year) || value[0] == '-' || value[0] == '+') {
                ErrorLine("loomcal: %s needs a year (1..9999)", isFrom ? "--from" : "--to");
                free(positional);
                return EXIT_BAD_ARGUMENT;
            }
            *(isFrom ? &IcsRequest.fromYear : &IcsRequest.toYear) = year;
            icsOption = arg;
        } else if (!endOfOptions && strcmp(arg, "--notes") == 0) {
            IcsRequest.notes = 1;
            icsOption = arg;
        } else if (!endOfOptions && (strcmp(arg, "-o") == 0 || strcmp(arg, "--output") == 0 ||
                                     strncmp(arg, "--output=", 9) == 0)) {
            const char *value = OptionValue(arg, "--output", argc, argv, &i);
            if (!value || !*value) {
                ErrorLine("loomcal: %s needs a file name (- for the standard output)",
                          arg[1] == 'o' ? "-o" : "--output");
                free(positional);
                return EXIT_BAD_ARGUMENT;
            }
            IcsRequest.output = value;
            icsOption = arg;
        } else if (!endOfOptions && strcmp(arg, "--mean") == 0) {
            // the terms command's own option, handed on to it
            positional[count++] = (char *)arg;
        } else if (!endOfOptions && (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0)) {
            positional[count++] = (char *)"help";
        } else if (!endOfOptions && strcmp(arg, "--version") == 0) {
            OutText("loomcal (Loomhouse) " LOOMHOUSE_VERSION "\n");
            OutFlush();
            free(positional);
            return EXIT_OK;
        } else if (!endOfOptions && strncmp(arg, "--", 2) == 0) {
            ErrorLine("loomcal: unknown option '%s' (see 'loomcal help')", ShownArg(arg));
            free(positional);
            return EXIT_BAD_ARGUMENT;
        } else {
            positional[count++] = argv[i];
        }
    }

    if (count == 0 || strcmp(positional[0], "help") == 0) {
        PrintUsage();
        OutFlush();
        free(positional);
        return OutFinish();
    }

    const CommandEntry *command = 0;
    for (size_t i = 0; i < sizeof Commands / sizeof Commands[0]; i++)
        if (strcmp(positional[0], Commands[i].name) == 0)
            command = &Commands[i];
    if (!command) {
        ErrorLine("loomcal: unknown command '%s' (see 'loomcal help')", ShownArg(positional[0]));
        free(positional);
        return EXIT_BAD_ARGUMENT;
    }
    int isNotes = strcmp(command->name, "notes") == 0;
    if (mark >= 0 && !(isNotes && count >= 2 && strcmp(positional[1], "set") == 0)) {
        ErrorLine("loomcal: --mark and --unmark belong to 'notes set' only");
        free(positional);
        return EXIT_BAD_ARGUMENT;
    }
    if (icsOption && strcmp(command->name, "ics") != 0) {
        ErrorLine("loomcal: %s belongs to 'ics' only", ShownArg(icsOption));
        free(positional);
        return EXIT_BAD_ARGUMENT;
    }
    // -o names a file from where loomcal was started, as every command-line
    // user expects, not from inside --dir.
    char output[4096];
    if (dir && IcsRequest.output && strcmp(IcsRequest.output, "-") != 0 && !IsAbsolutePath(IcsRequest.output)) {
        if (!getcwd(output, sizeof output) ||
            strlen(output) + 1 + strlen(IcsRequest.output) >= sizeof output) {
            ErrorLine("loomcal: the current folder cannot be named");
            free(positional);
            return EXIT_FAILED;
        }
        strcat(output, PATH_SEPARATOR);
        strcat(output, IcsRequest.output);
        IcsRequest.output = output;
    }
    if (dir && chdir(dir) != 0) {
        ErrorLine("loomcal: cannot enter the directory '%s'", ShownArg(dir));
        free(positional);
        return EXIT_BAD_ARGUMENT;
    }

    SetTodayFromClock();
    int status;
    if (isNotes)
        status = CommandNotes(count - 1, positional + 1, mark);
    else
        status = command->run(count - 1, positional + 1);
    OutFlush();
    ReleaseEverything();
    free(positional);
    int written = OutFinish();
    return status == EXIT_OK ? written : status;
}
