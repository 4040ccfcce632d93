#include "listrows.h"
#include <commctrl.h>

int InsertCallbackRow(const void *record, HWND listView)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 0;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.lParam = (LPARAM)record;
    return (int)SendMessageA(listView, LVM_INSERTITEMA, 0, (LPARAM)&item);
}
