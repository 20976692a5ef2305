#include "lib/Clipboard.h"

#include "lib/ErrorMessages.h"

#include <cstring>

namespace {

// Gives the memory to the clipboard, which owns it from a successful SetClipboardData on.
BOOL PlaceOnClipboard(UINT format, const void* data, SIZE_T size) {
    if (!EmptyClipboard())
        return FALSE;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return FALSE;
    void* bytes = GlobalLock(memory);
    if (!bytes) {
        GlobalFree(memory);
        return FALSE;
    }
    memcpy(bytes, data, size);
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) {
        // Keeps the failure's code for the message across GlobalFree.
        DWORD error = GetLastError();
        GlobalFree(memory);
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL CopyToClipboard(HWND owner, UINT format, const void* data, SIZE_T size) {
    if (!data || IsBadReadPtr(data, size))
        return FALSE;
    if (!OpenClipboard(owner)) {
        ShowLastError(L"Error copying data to clipboard");
        return FALSE;
    }
    BOOL placed = PlaceOnClipboard(format, data, size);
    DWORD error = GetLastError();
    CloseClipboard();
    if (placed)
        return TRUE;
    SetLastError(error);
    ShowLastError(L"Error copying data to clipboard");
    return FALSE;
}
