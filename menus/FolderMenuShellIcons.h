#pragma once
#include "lib/ComPtr.h"
#include "lib/IdList.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

// The shell's small icons of single files, asked for through the file's item identifier in its
// folder. Giving the shell a full path makes it parse and bind every folder on the way, for every
// file; the entries a menu shows come from a few folders, and each folder is bound once here.
class CFolderMenuShellIcons {
public:
    CFolderMenuShellIcons() = default;
    CFolderMenuShellIcons(const CFolderMenuShellIcons&) = delete;
    CFolderMenuShellIcons& operator=(const CFolderMenuShellIcons&) = delete;

    // A new icon the caller destroys, or null when the shell has none.
    HICON SmallIconOf(LPCWSTR path);
    // The size small icons are wanted at: the system's small icon size at the DPI of the
    // monitor the menu shows on.
    void SetIconSize(int size) { m_iconSize = size; }

private:
    BOOL BindFolder(const std::wstring& folder);

    HICON IconOfFileInfo(LPCWSTR pathOrIdList, DWORD attributes, UINT flags) const;

    int m_iconSize = GetSystemMetrics(SM_CXSMICON);
    std::wstring m_folder; // the folder bound last, or empty
    CIdList m_folderIdList;
    CComPtr<IShellFolder> m_shellFolder;
};
