// Saving at once: when the user finishes an action that changes stored data,
// the file is replaced by a complete new one right then, not at exit.
#include "shell.h"
#include "../calendar/offdays.h"
#include "../calendar/strings.h"
#include <stdio.h>
#include "../store/config.h"
#include "../store/fileio.h"
#include "../store/recordstore.h"
#include "../store/settings.h"
#include "../monthview/monthview.h"

static int SaveFailed(HWND owner)
{
    MessageBoxA(owner, "保存数据时出现错误，无法继续保存！", LoadProgramString(IDS_ERROR),
                MB_OK | MB_ICONERROR);
    return 0;
}

// A save that replaced a damaged file kept it first; the user learns where.
void TellKeptCopy(HWND owner)
{
    if (!FileKeptCopyName[0])
        return;
    char text[4300];
    snprintf(text, sizeof text, "原文件已损坏，已另存为“%s”，然后写入了新文件。", FileKeptCopyName);
    FileKeptCopyName[0] = 0;
    MessageBoxA(owner, text, "提示", MB_OK | MB_ICONWARNING);
}

int SaveConfigNow(HWND owner)
{
    // Set first: should this write fail, the one at exit tries again.
    ConfigChanged = 1;
    // During the run MonthPos holds the drawing rectangle; the file keeps the
    // window's place on the screen and its dock state, as the exit writes them.
    WindowPos drawing = Settings.MonthPos;
    if (MonthWindow)
        Settings.MonthPos = WindowPlacement(MonthWindow);
    FileKeptCopyName[0] = 0;
    int written = WriteConfigFile("dlm.ini") == 0;
    Settings.MonthPos = drawing;
    TellKeptCopy(owner);
    if (!written)
        return SaveFailed(owner);
    // Saved: the exit has nothing left to write.
    ConfigChanged = 0;
    return 1;
}

int SaveOffDaysNow(HWND owner)
{
    return SaveOffDaysFile(OFFDAYS_FILE) == SAVE_OK ? 1 : SaveFailed(owner);
}

int SaveNotesNow(HWND owner)
{
    if (!DayNoteStore)
        return SaveFailed(owner);
    FileKeptCopyName[0] = 0;
    int saved = StoreSave(DayNoteStore, "dlm.db") == 0;
    TellKeptCopy(owner);
    return saved ? 1 : SaveFailed(owner);
}
