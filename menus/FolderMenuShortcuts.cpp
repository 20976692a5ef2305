#include "menus/FolderMenuShortcuts.h"

#include "menus/FolderMenuPaths.h"

#include "lib/ComPtr.h"
#include "lib/IdList.h"
#include "lib/KernelHandle.h"
#include "lib/ShellLink.h"
#include "lib/ShellLinkFile.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

// SLR_NO_UI | SLR_ANY_MATCH | SLR_UPDATE | SLR_INVOKE_MSI, no window: a moved target is looked for
// without asking the user anything.
const DWORD kShortcutResolveFlags = SLR_NO_UI | SLR_ANY_MATCH | SLR_UPDATE | SLR_INVOKE_MSI;

BOOL GetStoredTarget(IShellLinkW* link, LPWSTR target) {
    target[0] = L'\0';
    // The path the shortcut keeps beside its item identifiers is read as it is; turning the
    // identifiers into a path binds every folder on the way, milliseconds per shortcut.
    if (link->GetPath(target, static_cast<int>(kPathBufferLength), nullptr, SLGP_UNCPRIORITY) != S_OK)
        target[0] = L'\0';
    CIdList idList;
    if (!target[0] && SUCCEEDED(link->GetIDList(idList.Receive())) && idList &&
        !SHGetPathFromIDListW(idList.Get(), target))
        target[0] = L'\0';
    return target[0] != L'\0';
}

BOOL GetResolvedTarget(IShellLinkW* link, LPWSTR target) {
    // Resolving looks for a target that moved, and costs milliseconds even when it did not: a
    // folder of shortcuts would take that long per shortcut at every listing.
    if (GetStoredTarget(link, target) && GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    link->Resolve(nullptr, kShortcutResolveFlags);
    return GetStoredTarget(link, target);
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

BOOL CFolderMenuShortcuts::ReadShortcutFile(LPCWSTR shortcutPath, LPWSTR target, BOOL* namesItsIcon) {
    target[0] = L'\0';
    *namesItsIcon = TRUE;
    CFileHandle file(CreateFileW(shortcutPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // The target comes within the first kilobytes, after the item identifiers.
    uint8_t bytes[16384];
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), bytes, sizeof(bytes), &read, nullptr))
        return FALSE;
    std::u16string unicodePath;
    std::string ansiPath;
    if (!CShellLinkFile::ReadLocalTarget(bytes, read, &unicodePath, &ansiPath))
        return FALSE;
    *namesItsIcon = CShellLinkFile::NamesItsIcon(bytes, read);
    if (!unicodePath.empty()) {
        if (unicodePath.size() >= kPathBufferLength)
            return FALSE;
        wmemcpy(target, reinterpret_cast<const wchar_t*>(unicodePath.c_str()), unicodePath.size() + 1);
    } else if (!MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, target, static_cast<int>(kPathBufferLength))) {
        target[0] = L'\0';
    }
    if (target[0] && GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    target[0] = L'\0';
    return FALSE;
}

BOOL CFolderMenuShortcuts::ResolveTarget(LPCWSTR shortcutPath, LPWSTR target) {
    BOOL namesItsIcon = TRUE;
    if (ReadShortcutFile(shortcutPath, target, &namesItsIcon))
        return TRUE;
    CComPtr<IShellLinkW> link;
    if (FAILED(LoadShellLink(shortcutPath, &link)))
        return FALSE;
    return GetResolvedTarget(link.Get(), target);
}

BOOL CFolderMenuShortcuts::ResolveListed(LPCWSTR shortcutPath, const FileStamp& stamp, LPWSTR target) {
    std::wstring key(shortcutPath);
    for (auto& known : m_targets) {
        auto found = known.find(key);
        // A target that moved away is searched for again, as resolving does.
        if (found == known.end() || !(found->second.stamp == stamp) ||
            (!found->second.target.empty() &&
             GetFileAttributesW(found->second.target.c_str()) == INVALID_FILE_ATTRIBUTES))
            continue;
        ResolvedShortcut resolved = found->second;
        CopyPathCut(target, resolved.target.c_str());
        m_targets[0][key] = std::move(resolved);
        return target[0] != L'\0';
    }
    BOOL resolved = ResolveTarget(shortcutPath, target);
    m_targets[0][key] = {stamp, resolved ? target : L""};
    return resolved;
}

void CFolderMenuShortcuts::StartBuild() {
    m_targets[1] = std::move(m_targets[0]);
    m_targets[0].clear();
}

HICON CFolderMenuShortcuts::LoadNamedIcon(LPCWSTR shortcutPath, LPWSTR targetPath) {
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
