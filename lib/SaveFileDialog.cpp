#include "lib/SaveFileDialog.h"

#include <commdlg.h>

BOOL AskSaveFileName(HWND owner, LPCWSTR filter, DWORD filterIndex, LPCWSTR defaultExtension, LPWSTR path, DWORD size) {
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = filterIndex;
    dialog.lpstrFile = path;
    dialog.nMaxFile = size;
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = OFN_EXPLORER | OFN_NOREADONLYRETURN | OFN_OVERWRITEPROMPT;
    return GetSaveFileNameW(&dialog);
}
