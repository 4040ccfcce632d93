// The settings dialog (template 104): seven options and five colours, edited on
// a working copy that OK puts in place, applies and saves at once.
#include "dialogs.h"
#include "settingsdialog.h"
#include "settingsedit.h"
#include <stdlib.h>
#include <string.h>
#include "../winbase/latebind.h"
#include "../app/shell.h"
#include "../remind/remind.h"
#include "../resources/resource.h"
#include "../records/settings.h"

BOOL(WINAPI *PickColour)(LPCHOOSECOLORA choice) = LateChooseColorA;
void (*ArmChime)(int announce) = ArmHourlyChime;
void (*DisarmChime)(ReminderEntry *entry) = UnscheduleReminder;

static_assert(sizeof(COLORREF) == sizeof(uint32_t),
              "the custom colours are handed to the chooser as they are");

// The working copy lives with the window. When it cannot be made, the dialog
// edits the live settings: Cancel then undoes nothing.
static SettingsRecord *WorkingCopy(HWND dialog)
{
    return (SettingsRecord *)GetWindowLongPtrA(dialog, DWLP_USER);
}

static INT_PTR InitSettingsDialog(HWND dialog)
{
    SettingsRecord *copy = (SettingsRecord *)calloc(1, sizeof *copy);
    if (copy)
        CopyOptionBlock(copy, &Settings);
    else
        copy = &Settings;
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)copy);
    for (int control = IDC_OPT_CHIME; control <= IDC_OPT_MEAN_TERMS; control++)
        if (OptionBitOf(control))
            CheckDlgButton(dialog, control,
                           (copy->flags & OptionBitOf(control)) ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

static void FreeWorkingCopy(HWND dialog)
{
    SettingsRecord *copy = WorkingCopy(dialog);
    if (copy != &Settings)
        free(copy);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

static void ChooseButtonColour(HWND dialog, int control)
{
    SettingsRecord *copy = WorkingCopy(dialog);
    uint32_t *field = ColourFieldOf(copy, control);
    if (!field)
        return;
    CHOOSECOLORA choice;
    memset(&choice, 0, sizeof choice);
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog;
    choice.rgbResult = *field;
    choice.lpCustColors = (COLORREF *)copy->customColors;   // the chooser may change them in place
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    // Confirmed or not: a cancelled chooser hands back the colour it was given.
    PickColour(&choice);
    if (TakeChosenColour(copy, control, choice.rgbResult))
        InvalidateRect(GetDlgItem(dialog, control), NULL, FALSE);
}

static INT_PTR DrawColourButton(HWND dialog, const DRAWITEMSTRUCT *item)
{
    SettingsRecord *copy = WorkingCopy(dialog);
    uint32_t *field = copy ? ColourFieldOf(copy, (int)item->CtlID) : 0;
    if (!field)
        return FALSE;
    // the colour alone: no text, no frame, no focus mark
    HBRUSH brush = CreateSolidBrush(*field);
    FillRect(item->hDC, &item->rcItem, brush);
    DeleteObject(brush);
    return TRUE;
}

void ApplySettings()
{
    PostCalendarChanged(CHANGED_LOOKS | CHANGED_SHOW_TODAY);
    if (Settings.flags & CTRL_CHIME)
        ArmChime(0);
    else if (ReminderList)
        DisarmChime((ReminderEntry *)ReminderList->record);   // the chime entry heads the list
}

static void ConfirmSettings(HWND dialog)
{
    CopyOptionBlock(&Settings, WorkingCopy(dialog));
    ApplySettings();
    // The choice is kept at once (ConfigChanged is set there too), not only at exit.
    SaveConfigNow(dialog);
    EndDialog(dialog, IDOK);
}

static INT_PTR SettingsCommand(HWND dialog, int id, int code)
{
    if (code != BN_CLICKED)
        return FALSE;   // a double click on a colour button is not a second choice
    switch (id) {
    case IDOK: ConfirmSettings(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_COLOR_BACK:
    case IDC_COLOR_HOLIDAY:
    case IDC_COLOR_WEEKEND:
    case IDC_COLOR_DEFAULT:
    case IDC_COLOR_MARK: ChooseButtonColour(dialog, id); return TRUE;
    default: return ToggleOption(WorkingCopy(dialog), id);
    }
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return InitSettingsDialog(dialog);
    case WM_COMMAND: return SettingsCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DRAWITEM: return DrawColourButton(dialog, (const DRAWITEMSTRUCT *)lParam);
    case WM_DESTROY: FreeWorkingCopy(dialog); return FALSE;
    default: return FALSE;
    }
}

LRESULT OpenSettingsDialog(HWND owner)
{
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_SETTINGS), owner, SettingsDialogProc, 0);
    return 0;
}
