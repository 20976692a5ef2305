#include "menus/FolderTree.h"

#include "support/FileFixtures.h"
#include "support/MarkerScript.h"
#include "support/Shortcut.h"

#include <algorithm>

namespace {

void CreateFoldersOnTheWay(const std::wstring& path) {
    for (size_t separator = path.find(L'\\', 3); separator != std::wstring::npos;
         separator = path.find(L'\\', separator + 1))
        CreateDirectoryW((L"\\\\?\\" + path.substr(0, separator)).c_str(), nullptr);
}

} // namespace

FolderTree::~FolderTree() {
    // Deep trees pass the path limit of the plain Win32 calls.
    RemoveTree(L"\\\\?\\" + Root());
}

std::wstring FolderTree::AddFile(const std::wstring& relative, const std::string& content) {
    std::wstring path = Path(relative);
    CreateFoldersOnTheWay(path);
    WriteFileBytes(L"\\\\?\\" + path, std::vector<unsigned char>(content.begin(), content.end()));
    return path;
}

std::wstring FolderTree::AddShortcut(const std::wstring& relative, const std::wstring& target) {
    std::wstring path = Path(relative);
    CreateFoldersOnTheWay(path);
    return CreateShortcut(path, target) ? path : L"";
}

std::wstring FolderTree::AddMarkerScript(const std::wstring& relative, const std::wstring& marker,
                                         const std::string& line) {
    std::wstring path = Path(relative);
    CreateFoldersOnTheWay(path);
    return WriteMarkerScript(path, marker, line) ? path : L"";
}

MergedFolder FolderRecord(const std::wstring& directory, INT merged, const std::wstring& mergedName) {
    MergedFolder record = {};
    record.MergedMenu = merged;
    wcsncpy(record.MergedMenuName, mergedName.c_str(), ARRAYSIZE(record.MergedMenuName) - 1);
    wcsncpy(record.Directory, directory.c_str(), ARRAYSIZE(record.Directory) - 1);
    return record;
}

int FindItemPosition(HMENU menu, const std::wstring& text) {
    Texts texts = MenuItemTexts(menu);
    auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
}

void HighlightSubMenuItem(CFolderMenu& folderMenu, HMENU menu, const std::wstring& text) {
    int position = FindItemPosition(menu, text);
    folderMenu.OnMenuSelect(folderMenu.GetRootMenu(), MAKEWPARAM(position, MF_POPUP | MF_HILITE),
                            reinterpret_cast<LPARAM>(menu));
}
