#include "dialogkit.h"
#include <commctrl.h>
#include <stdlib.h>
#include "../winbase/wintext.h"
#include "../calendar/strings.h"

void AddListColumn(HWND listView, int index, int titleId, int width)
{
    LVCOLUMNW column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    WCHAR *title = WideFromGbk(LoadProgramString(titleId));
    column.pszText = title ? title : (WCHAR *)L"";
    column.iSubItem = index;
    SendMessageW(listView, LVM_INSERTCOLUMNW, (WPARAM)index, (LPARAM)&column);
    free(title);
}

void SetDialogModified(HWND dialog, int modified) { SetWindowLongPtrA(dialog, DWLP_USER, modified ? 1 : 0); }

int DialogModified(HWND dialog) { return GetWindowLongPtrA(dialog, DWLP_USER) != 0; }

int SaveErrorBox(HWND owner, UINT buttons)
{
    return MessageBoxGbk(owner, "保存数据时出现错误，无法继续保存！", LoadProgramString(IDS_ERROR),
                         buttons | MB_ICONERROR);
}
