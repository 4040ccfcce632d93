// Saving at once: when the user finishes an action that changes stored data,
// the file is replaced by a complete new one right then, not at exit.
#include "shell.h"
#include "../calendar/offdays.h"
#include "../calendar/strings.h"
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

int SaveConfigNow(HWND owner)
{
    // Set first: should this write fail, the one at exit tries again.
    ConfigChanged = 1;
    // During the run MonthPos holds the drawing rectangle; the file keeps the
    // window's place on the screen and its dock state, as the exit writes them.
    WindowPos drawing = Settings.MonthPos;
    if (MonthWindow)
        Settings.MonthPos = StoredPlacement(MonthWindow);
    int written = WriteConfigFile("dlm.ini") == 0;
    Settings.MonthPos = drawing;
    return written ? 1 : SaveFailed(owner);
}

int SaveOffDaysNow(HWND owner)
{
    return SaveOffDaysFile(OFFDAYS_FILE) == SAVE_OK ? 1 : SaveFailed(owner);
}

int SaveNotesNow(HWND owner)
{
    if (!DayNoteStore)
        return SaveFailed(owner);
    return StoreSave(DayNoteStore, "dlm.db") == 0 ? 1 : SaveFailed(owner);
}
