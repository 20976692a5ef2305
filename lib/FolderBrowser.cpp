#include "lib/FolderBrowser.h"

#include "lib/IdList.h"
#include "lib/StringCopy.h"

#include <cwchar>

namespace {

const UINT kBrowseFlags = BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

void CentreOverOwner(HWND dialog, HWND owner) {
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner)
        GetWindowRect(owner, &area);
    RECT dialogRect;
    if (!GetWindowRect(dialog, &dialogRect))
        return;
    int x = area.left + ((area.right - area.left) - (dialogRect.right - dialogRect.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (dialogRect.bottom - dialogRect.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM parameter, LPARAM data) {
    auto* state = reinterpret_cast<BrowseFolderState*>(data);
    if (message == BFFM_INITIALIZED) {
        CentreOverOwner(dialog, state->browseInfo.hwndOwner);
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(state->initialPath));
        // Wine's dialog can stop part way down the path while it still fills its tree: once more after that.
        if (_wcsicmp(state->chosenPath, state->initialPath) != 0)
            PostMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(state->initialPath));
    } else if (message == BFFM_SELCHANGED) {
        WCHAR path[MAX_PATH];
        auto selection = reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter);
        if (selection && SHGetPathFromIDListW(selection, path)) {
            wcscpy(state->chosenPath, path);
            SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(state->chosenPath));
        }
    }
    return 0;
}

} // namespace

BOOL BrowseForFolder(BrowseFolderState* state, HWND owner, LPCWSTR initialPath) {
    ZeroMemory(state, sizeof(*state));
    if (initialPath && *initialPath) {
        CopyTruncated(state->initialPath, ARRAYSIZE(state->initialPath), initialPath);
    } else if (!GetCurrentDirectoryW(ARRAYSIZE(state->initialPath), state->initialPath)) {
        state->initialPath[0] = L'\0';
    }
    BROWSEINFOW& info = state->browseInfo;
    info.hwndOwner = owner;
    info.pszDisplayName = state->chosenPath;
    info.ulFlags = kBrowseFlags;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(state);
    CIdList chosen(SHBrowseForFolderW(&info));
    if (!chosen) {
        // The path followed the selection until the user cancelled.
        state->chosenPath[0] = L'\0';
        return FALSE;
    }
    // The dialog left the chosen item's display name in the buffer; only a real path may stay.
    BOOL gotPath = SHGetPathFromIDListW(chosen.Get(), state->chosenPath);
    if (!gotPath)
        state->chosenPath[0] = L'\0';
    return gotPath;
}
