#include "options/ItemShortcut.h"

#include "lib/ErrorMessages.h"
#include "config/GenericPathwrenObject.h"
#include "config/ItemIdentifiers.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/AppShortcut.h"
#include "lib/FileSystem.h"
#include "lib/IdList.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

namespace {

const WCHAR kInvalidNameCharacters[] = L"\\/:*?\"<>|";

void ShowSelectedInFolder(LPCWSTR path) {
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(path);
    if (!item)
        return;
    SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ILFree(item);
}

std::wstring DirectoryOf(LPCWSTR path) {
    std::wstring text(path);
    size_t separator = text.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : text.substr(0, separator);
}

// The display name made fit for a file name; the identifier when nothing of it is left.
std::wstring ShortcutName(CGenericPathwrenObject& item) {
    WCHAR name[MAX_PATH] = L"";
    item.GetDisplayName(name);
    std::wstring fitted;
    for (LPCWSTR c = name; *c; ++c)
        fitted += (*c < L' ' || wcschr(kInvalidNameCharacters, *c)) ? L'_' : *c;
    while (!fitted.empty() && (fitted.back() == L'.' || fitted.back() == L' '))
        fitted.pop_back();
    return fitted.empty() ? std::wstring(item.ItemIdentifier) : fitted;
}

// The item's own icon; else the icon its folder shows (a desktop.ini may give it one); else the
// system's folder icon.
void ChooseIcon(CGenericPathwrenObject& item, AppShortcut& shortcut) {
    if (item.AssociatedIconPath[0]) {
        shortcut.iconPath = item.AssociatedIconPath;
        shortcut.iconIndex = item.AssociatedIconIndex;
        return;
    }
    WCHAR folder[MAX_PATH];
    SHFILEINFOW info = {};
    if (item.FolderPresentationType != FolderPresentationMultipleFoldersMenu && ResolveSpecialPath(item.Path, folder) &&
        SHGetFileInfoW(folder, 0, &info, sizeof(info), SHGFI_ICONLOCATION) && info.szDisplayName[0]) {
        shortcut.iconPath = info.szDisplayName;
        shortcut.iconIndex = info.iIcon;
        return;
    }
    WCHAR system[MAX_PATH];
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 12)
        return;
    shortcut.iconPath = std::wstring(system) + L"\\shell32.dll";
    shortcut.iconIndex = 3; // the closed folder
}

} // namespace

void (*g_showFileInFolder)(LPCWSTR path) = ShowSelectedInFolder;

std::wstring ItemShortcutFolder(ItemShortcutPlace place, LPCWSTR foldersFile) {
    if (place == ItemShortcutPlace::BesideFolders) {
        std::wstring directory = DirectoryOf(foldersFile);
        return directory.empty() ? directory : directory + L"\\Shortcuts";
    }
    WCHAR programs[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, programs)))
        return L"";
    return std::wstring(programs) + L"\\Pathwren";
}

std::wstring WriteItemShortcut(CGenericPathwrenObject& item, const std::wstring& folder) {
    if (!item.ItemIdentifier[0] && !MakeItemIdentifier(item.ItemIdentifier, ARRAYSIZE(item.ItemIdentifier)))
        return L"";
    WCHAR program[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return L"";
    AppShortcut shortcut;
    shortcut.target = program;
    shortcut.arguments = std::wstring(L"--show ") + item.ItemIdentifier;
    shortcut.appUserModelId = std::wstring(L"Pathwren.Item.") + item.ItemIdentifier;
    ChooseIcon(item, shortcut);
    std::wstring path = folder + L"\\" + ShortcutName(item) + L".lnk";
    if (path.size() >= MAX_PATH)
        return L"";
    return SUCCEEDED(WriteAppShortcut(path.c_str(), shortcut)) ? path : L"";
}

void OfferItemShortcut(HWND dialog, CGenericPathwrenObject& item, ItemShortcutPlace place, LPCWSTR foldersFile,
                       const CLanguage& language) {
    std::wstring folder = ItemShortcutFolder(place, foldersFile);
    bool firstShortcut = !folder.empty() && !IsExistingDirectory(folder.c_str());
    if (folder.empty() || (firstShortcut && SHCreateDirectoryExW(dialog, folder.c_str(), nullptr) != ERROR_SUCCESS)) {
        ShowLastError(folder.c_str(), dialog);
        return;
    }
    std::wstring path = WriteItemShortcut(item, folder);
    if (path.empty()) {
        ShowLastError(folder.c_str(), dialog);
        return;
    }
    g_showFileInFolder(path.c_str());
    // The hint is for the first shortcut of the place; whoever made more already knows it.
    if (firstShortcut)
        MessageBoxW(dialog, language.PinShortcutHint, L"Pathwren", MB_ICONINFORMATION);
}
