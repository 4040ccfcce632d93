// Saving at once: when the user finishes an action that changes stored data,
// the file is replaced by a complete new one right then, not at exit.
#include "shell.h"
#include "../calendar/offdays.h"
#include "../features/offdaysfile.h"
#include "../calendar/strings.h"
#include <stdio.h>
#include "../store/config.h"
#include "../store/fileio.h"
#include "../store/notesync.h"
#include "../store/recordstore.h"
#include "../records/settings.h"
#include "../monthview/monthview.h"
#include "../dialogs/dialogkit.h"
#include "../dialogs/settingsdialog.h"
#include "../remind/remind.h"
#include "../resources/resource.h"

static int SaveFailed(HWND owner)
{
    SaveErrorBox(owner, MB_OK);
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
    MessageBoxGbk(owner, text, "提示", MB_OK | MB_ICONWARNING);
}

int SaveConfigNow(HWND owner)
{
    // Set first: should this write fail, the one at exit tries again.
    ConfigChanged = 1;
    // The file keeps the window's place on the screen and its dock state, as
    // the exit writes them.
    if (MonthWindow)
        Settings.MonthPos = StoredPlacement(MonthWindow);
    FileKeptCopyName[0] = 0;
    int written = WriteConfigFile("dlm.ini") == 0;
    ApplyTakenIn(written ? ConfigTakenIn : 0);
    TellKeptCopy(owner);
    if (!written)
        return SaveFailed(owner);
    // Saved: the exit has nothing left to write.
    ConfigChanged = 0;
    return 1;
}

static FileStamp OffDaysSeen;

void NoteOffDaysFileSeen()
{
    FileStampOf(OFFDAYS_FILE, &OffDaysSeen);
}

int SaveOffDaysNow(HWND owner)
{
    if (SaveOffDaysFile(OFFDAYS_FILE) != SAVE_OK)
        return SaveFailed(owner);
    NoteOffDaysFileSeen();
    return 1;
}

static void RedrawMonth(UINT what)
{
    if (MonthWindow)
        OnCalendarChanged(MonthWindow, what);
}

void ApplyTakenIn(int took)
{
    // memos the merge dropped are freed: the queue is built anew before the next tick reads it
    if (took & CONFIG_TOOK_MEMOS)
        RequeueReminders();
    if (took & CONFIG_TOOK_SETTINGS)
        ApplySettings();
    else if (took & CONFIG_TOOK_HOLIDAYS)
        RedrawMonth(CHANGED_HOLIDAYS);
}

void TakeInOtherWriters()
{
    if (OpenModalDialog())
        return;
    UINT redraw = 0;
    if (DayNoteStore && NotesFileChanged("dlm.db") && NotesSync("dlm.db", 0) == SAVE_OK)
        redraw = CHANGED_NOTES;
    if (ConfigFileChanged("dlm.ini")) {
        int took = ConfigTakeIn("dlm.ini");
        ApplyTakenIn(took);
        if (took & CONFIG_TOOK_SETTINGS)
            redraw = 0;   // ApplySettings draws the month
    }
    FileStamp offDays;
    FileStampOf(OFFDAYS_FILE, &offDays);
    if (!FileStampsEqual(&offDays, &OffDaysSeen)) {
        OffDaysSeen = offDays;
        LoadOffDaysFile(OFFDAYS_FILE);
        // the workday memos follow the days off
        RequeueReminders();
        redraw |= CHANGED_OFFDAYS;
    }
    if (redraw)
        RedrawMonth(redraw);
}

int SaveNotesNow(HWND owner)
{
    if (!DayNoteStore)
        return SaveFailed(owner);
    FileKeptCopyName[0] = 0;
    int saved = NotesSync("dlm.db", 1) == 0;
    // the merge may have brought other writers' notes: the month shows them
    RedrawMonth(CHANGED_NOTES);
    TellKeptCopy(owner);
    return saved ? 1 : SaveFailed(owner);
}
