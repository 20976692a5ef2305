#include "menus/FolderMenu.h"

#include "menus/FolderMenuPaths.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <memory>

using Microsoft::WRL::ComPtr;

namespace {

struct IdListDeleter {
    void operator()(ITEMIDLIST* idList) const { CoTaskMemFree(idList); }
};
typedef std::unique_ptr<ITEMIDLIST, IdListDeleter> IdListHolder;

const SHCONTF kLibraryMembers = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;

// The members of a library come from the shell's folder for it; the file itself is only its
// description.
HRESULT EnumerateLibrary(LPCWSTR libraryPath, ComPtr<IShellFolder>& library, ComPtr<IEnumIDList>& members) {
    ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(&desktop);
    if (FAILED(hr))
        return hr;
    PIDLIST_RELATIVE parsed = nullptr;
    hr = desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(libraryPath), nullptr, &parsed, nullptr);
    if (FAILED(hr))
        return hr;
    IdListHolder idList(parsed);
    ComPtr<IShellItem> item;
    hr = SHCreateShellItem(nullptr, nullptr, idList.get(), &item);
    if (FAILED(hr))
        return hr;
    hr = item->BindToHandler(nullptr, BHID_SFObject, IID_PPV_ARGS(&library));
    if (FAILED(hr))
        return hr;
    hr = library->EnumObjects(nullptr, kLibraryMembers, &members);
    if (hr == S_FALSE || !members)
        return E_FAIL;
    return hr;
}

} // namespace

BOOL CFolderMenu::IsLibraryEmpty(LPCWSTR libraryPath) {
    ComPtr<IShellFolder> library;
    ComPtr<IEnumIDList> members;
    if (FAILED(EnumerateLibrary(libraryPath, library, members)))
        return TRUE;
    PITEMID_CHILD first = nullptr;
    if (members->Next(1, &first, nullptr) != S_OK)
        return TRUE;
    CoTaskMemFree(first);
    return FALSE;
}

BOOL CFolderMenu::ReadLibraryIntoLevel(CFolderMenuLevel* level, LPCWSTR libraryPath) {
    ComPtr<IShellFolder> library;
    ComPtr<IEnumIDList> members;
    if (FAILED(EnumerateLibrary(libraryPath, library, members)))
        return FALSE;
    PITEMID_CHILD child = nullptr;
    while (members->Next(1, &child, nullptr) == S_OK) {
        IdListHolder member(child);
        STRRET name = {};
        WCHAR path[kPathBufferLength];
        if (FAILED(library->GetDisplayNameOf(member.get(), SHGDN_FORPARSING, &name)) ||
            FAILED(StrRetToBufW(&name, member.get(), path, static_cast<UINT>(kPathBufferLength))))
            continue;
        WCHAR target[kPathBufferLength];
        // A library may list a shortcut to itself; following it would nest the library forever.
        if (m_allowSubFoldersLinksNavigation && IsShortcutExtension(FindExtension(path)) &&
            ResolveShortcutTarget(path, target) && _wcsicmp(target, libraryPath) == 0)
            continue;
        AddPath(level, path, IsExistingDirectory(path), FALSE);
    }
    return TRUE;
}
