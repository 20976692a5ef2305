#include "menus/FolderMenuShellIcons.h"

#include "lib/SystemImageList.h"

#include <shellapi.h>

HICON CFolderMenuShellIcons::IconOfFileInfo(LPCWSTR pathOrIdList, DWORD attributes, UINT flags) const {
    SHFILEINFOW info = {};
    // The shell's own icon at its small size; any other size comes from the system image list
    // drawn nearest to it, where the index is the same.
    if (m_iconSize == GetSystemMetrics(SM_CXSMICON)) {
        if (!SHGetFileInfoW(pathOrIdList, attributes, &info, sizeof(info), flags | SHGFI_ICON | SHGFI_SMALLICON))
            return nullptr;
        return info.hIcon;
    }
    if (!SHGetFileInfoW(pathOrIdList, attributes, &info, sizeof(info), flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return nullptr;
    return CreateSystemImageListIcon(info.iIcon, m_iconSize);
}

HICON CFolderMenuShellIcons::SmallIconOf(LPCWSTR path) {
    std::wstring fullPath(path);
    size_t backslash = fullPath.rfind(L'\\');
    // A drive root or a bare name has no folder worth binding.
    if (backslash == std::wstring::npos || backslash + 1 == fullPath.size() ||
        !BindFolder(fullPath.substr(0, backslash == 2 ? 3 : backslash)))
        return IconOfFileInfo(path, FILE_ATTRIBUTE_NORMAL, 0);
    std::wstring name = fullPath.substr(backslash + 1);
    CIdList child;
    if (FAILED(m_shellFolder->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, child.Receive(), nullptr)))
        return IconOfFileInfo(path, FILE_ATTRIBUTE_NORMAL, 0);
    CIdList item(ILCombine(m_folderIdList.Get(), child.Get()));
    if (!item)
        return IconOfFileInfo(path, FILE_ATTRIBUTE_NORMAL, 0);
    return IconOfFileInfo(reinterpret_cast<LPCWSTR>(item.Get()), 0, SHGFI_PIDL);
}

BOOL CFolderMenuShellIcons::BindFolder(const std::wstring& folder) {
    if (m_shellFolder && _wcsicmp(folder.c_str(), m_folder.c_str()) == 0)
        return TRUE;
    m_folder.clear();
    m_shellFolder.Reset();
    CComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop)) ||
        FAILED(desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(folder.c_str()), nullptr,
                                         m_folderIdList.Receive(), nullptr)) ||
        FAILED(desktop->BindToObject(m_folderIdList.Get(), nullptr, IID_PPV_ARGS(&m_shellFolder))))
        return FALSE;
    m_folder = folder;
    return TRUE;
}
