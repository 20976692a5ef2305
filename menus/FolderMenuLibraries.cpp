#include "menus/FolderMenu.h"

#include "menus/FolderMenuPaths.h"

#include "lib/ComPtr.h"
#include "lib/IdList.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

const SHCONTF kLibraryMembers = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;

// The members of a library come from the shell's folder for it; the file itself is only its
// description.
HRESULT EnumerateLibrary(LPCWSTR libraryPath, CComPtr<IShellFolder>& library, CComPtr<IEnumIDList>& members) {
    CIdList idList;
    HRESULT hr = SHParseDisplayName(libraryPath, nullptr, idList.Receive(), 0, nullptr);
    if (FAILED(hr))
        return hr;
    CComPtr<IShellItem> item;
    hr = SHCreateShellItem(nullptr, nullptr, idList.Get(), &item);
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
    CComPtr<IShellFolder> library;
    CComPtr<IEnumIDList> members;
    if (FAILED(EnumerateLibrary(libraryPath, library, members)))
        return TRUE;
    CIdList first;
    return members->Next(1, first.Receive(), nullptr) != S_OK;
}

BOOL CFolderMenu::ReadLibraryIntoLevel(CFolderMenuLevel* level, LPCWSTR libraryPath) {
    CComPtr<IShellFolder> library;
    CComPtr<IEnumIDList> members;
    if (FAILED(EnumerateLibrary(libraryPath, library, members)))
        return FALSE;
    CIdList member;
    while (members->Next(1, member.Receive(), nullptr) == S_OK) {
        STRRET name = {};
        WCHAR path[kPathBufferLength];
        if (FAILED(library->GetDisplayNameOf(member.Get(), SHGDN_FORPARSING, &name)) ||
            FAILED(StrRetToBufW(&name, member.Get(), path, static_cast<UINT>(kPathBufferLength))))
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
