#include "programfiles.h"
#include "progdir.h"
#include "../calendar/holiday.h"
#include "../calendar/today.h"
#include "../records/settings.h"
#include "../store/config.h"
#include "../store/datalock.h"
#include "../store/fileio.h"
#include "../store/notesync.h"
#include "../store/recordstore.h"

int LoadDefaults()
{
    Settings.MonthPos.left = 250;
    Settings.MonthPos.top = 0;
    Settings.MonthPos.right = 600;
    Settings.MonthPos.bottom = 250;
    Settings.MonthPos.dockState = DOCK_TOP;
    Settings.colorBackground = 0xFF8080;
    Settings.colorDefault = 0xFFFFFF;
    Settings.colorHoliday = 0x00FFFF;
    Settings.colorWeekend = 0x0000FF;
    Settings.colorMark = 0x00FF00;
    Settings.flags = CTRL_DEFAULTS;
    AddBuiltInHolidays();
    return 0;
}

int LoadConfigFile(const char *name)
{
    ConfigPurgeDate = &TodayDate.date;
    int result = ReadConfigFile(name);
    // Without a file that can be read the program runs on its defaults, which
    // its first save writes; merges take them as the settings it read.
    if (result == CONFIG_MISSING || result == CONFIG_UNREADABLE) {
        LoadDefaults();
        ConfigTakeSettingsBase();
    }
    return result;
}

int LoadConfig()
{
    ChangeToProgramDirectory();
    // From here until SaveConfig loomcal can tell that the program runs.
    DataLockMarkProgram("");
    LoadConfigFile("dlm.ini");
    NotesOpen("dlm.db");
    return 0;
}

int SaveConfig()
{
    int result = SAVE_OK;
    if (ConfigChanged) {
        result = WriteConfigFile("dlm.ini");
        if (result == SAVE_OK)
            ConfigChanged = 0;
    }
    if (DayNoteStore) {
        // A store that could not be saved stays open with its changes, so
        // that calling SaveConfig again can still save them.
        int stored = DayNoteStore->storeChanged ? NotesSync("dlm.db", 1) : SAVE_OK;
        if (stored == SAVE_OK) {
            NotesDiscard();
        } else if (result == SAVE_OK) {
            result = stored;
        }
    }
    if (result == SAVE_OK)
        DataLockUnmarkProgram();
    return result;
}
