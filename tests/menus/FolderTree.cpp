#include "menus/FolderTree.h"

#include <algorithm>

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
