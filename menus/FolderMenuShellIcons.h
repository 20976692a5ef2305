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

private:
    BOOL BindFolder(const std::wstring& folder);

    std::wstring m_folder; // the folder bound last, or empty
    CIdList m_folderIdList;
    CComPtr<IShellFolder> m_shellFolder;
};
