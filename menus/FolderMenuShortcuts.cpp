#include "menus/FolderMenu.h"

#include "menus/FolderMenuPaths.h"

#include "lib/IdList.h"
#include "lib/ShellLink.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

// SLR_NO_UI | SLR_ANY_MATCH | SLR_UPDATE | SLR_INVOKE_MSI, no window: a moved target is looked for
// without asking the user anything.
const DWORD kShortcutResolveFlags = SLR_NO_UI | SLR_ANY_MATCH | SLR_UPDATE | SLR_INVOKE_MSI;

BOOL GetResolvedTarget(IShellLinkW* link, LPWSTR target) {
    target[0] = L'\0';
    link->Resolve(nullptr, kShortcutResolveFlags);
    CIdList idList;
    if (SUCCEEDED(link->GetIDList(idList.Receive())) && idList && !SHGetPathFromIDListW(idList.Get(), target))
        target[0] = L'\0';
    if (!target[0] && FAILED(link->GetPath(target, static_cast<int>(kPathBufferLength), nullptr, SLGP_UNCPRIORITY)))
        target[0] = L'\0';
    return target[0] != L'\0';
}

HICON ExtractSmallIcon(LPCWSTR location, int index) {
    // Shortcuts made by the shell often name their icon with environment variables.
    WCHAR expanded[kPathBufferLength];
    DWORD length = ExpandEnvironmentStringsW(location, expanded, static_cast<DWORD>(kPathBufferLength));
    LPCWSTR file = (length && length <= kPathBufferLength) ? expanded : location;
    HICON icon = nullptr;
    if (ExtractIconExW(file, index, nullptr, &icon, 1) == 0)
        return nullptr;
    return icon;
}

} // namespace

BOOL CFolderMenu::ResolveShortcutTarget(LPCWSTR shortcutPath, LPWSTR target) {
    target[0] = L'\0';
    CComPtr<IShellLinkW> link;
    if (FAILED(LoadShellLink(shortcutPath, &link)))
        return FALSE;
    return GetResolvedTarget(link.Get(), target);
}

HICON CFolderMenu::LoadShortcutIcon(LPCWSTR shortcutPath, LPWSTR targetPath) {
    targetPath[0] = L'\0';
    CComPtr<IShellLinkW> link;
    if (FAILED(LoadShellLink(shortcutPath, &link)))
        return nullptr;
    WCHAR location[kPathBufferLength] = L"";
    int index = 0;
    if (SUCCEEDED(link->GetIconLocation(location, static_cast<int>(kPathBufferLength), &index)) && location[0]) {
        if (HICON icon = ExtractSmallIcon(location, index))
            return icon;
    }
    GetResolvedTarget(link.Get(), targetPath);
    return nullptr;
}
