#include "menus/FolderMenuShellIcons.h"

#include <shellapi.h>

namespace {

HICON SmallIconOfParsedPath(LPCWSTR path) {
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON))
        return nullptr;
    return info.hIcon;
}

} // namespace

HICON CFolderMenuShellIcons::SmallIconOf(LPCWSTR path) {
    std::wstring fullPath(path);
    size_t backslash = fullPath.rfind(L'\\');
    // A drive root or a bare name has no folder worth binding.
    if (backslash == std::wstring::npos || backslash + 1 == fullPath.size() ||
        !BindFolder(fullPath.substr(0, backslash == 2 ? 3 : backslash)))
        return SmallIconOfParsedPath(path);
    std::wstring name = fullPath.substr(backslash + 1);
    CIdList child;
    if (FAILED(m_shellFolder->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, child.Receive(), nullptr)))
        return SmallIconOfParsedPath(path);
    CIdList item(ILCombine(m_folderIdList.Get(), child.Get()));
    if (!item)
        return SmallIconOfParsedPath(path);
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item.Get()), 0, &info, sizeof(info),
                        SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON))
        return nullptr;
    return info.hIcon;
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
