#include "listrows.h"
#include <commctrl.h>

int InsertCallbackRow(const void *record, HWND listView)
{
    LVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 0;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.lParam = (LPARAM)record;
    return (int)SendMessageW(listView, LVM_INSERTITEMW, 0, (LPARAM)&item);
}
