#pragma once
#include "config/SingleFolderOptions.h"
#include "menus/FolderMenu.h"
#include "support/MenuTexts.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

// A scratch folder tree for folder menu tests, removed with everything in it (paths past the
// 260-character limit included).
class FolderTree {
public:
    FolderTree() = default;
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    const std::wstring& Root() const { return m_directory.Path(); }
    std::wstring Path(const std::wstring& relative) const { return m_directory.File(relative); }
    // Each creates the folders on the way and returns the full path.
    std::wstring AddFile(const std::wstring& relative, const std::string& content = "");
    // Made by the shell's own link object.
    std::wstring AddShortcut(const std::wstring& relative, const std::wstring& target);
    // A script that writes the line into the file `marker` when it runs.
    std::wstring AddMarkerScript(const std::wstring& relative, const std::wstring& marker, const std::string& line);

private:
    TempDirectory m_directory;
};

// A folder record as a "Multiple Folders Menu" item holds it.
MergedFolder FolderRecord(const std::wstring& directory, INT merged = 0, const std::wstring& mergedName = L"");

// A folder menu over a scratch tree.
class FolderMenuTest : public ::testing::Test {
protected:
    // Subfolders, navigation and links on, as a folder menu shows them by default.
    BOOL Build(const std::vector<MergedFolder>& records) {
        return m_menu.Build(records.data(), static_cast<UINT>(records.size()), TRUE, TRUE, TRUE);
    }
    // The tree's root as the one folder of the menu.
    BOOL BuildRoot(BOOL includeSubFolders = TRUE, BOOL navigation = TRUE, BOOL links = TRUE) {
        MergedFolder record = FolderRecord(m_tree.Root());
        return m_menu.Build(&record, 1, includeSubFolders, navigation, links);
    }
    HMENU Root() const { return m_menu.GetRootMenu()->GetHandle(); }

    FolderTree m_tree;
    CFolderMenu m_menu;
};

// The position of the first item with this text, or -1.
int FindItemPosition(HMENU menu, const std::wstring& text);
// Null or 0 when no item has the text.
inline HMENU FindSubMenu(HMENU menu, const std::wstring& text) {
    return GetSubMenu(menu, FindItemPosition(menu, text));
}
inline UINT FindCommand(HMENU menu, const std::wstring& text) {
    int position = FindItemPosition(menu, text);
    return position < 0 ? 0 : GetMenuItemID(menu, position);
}
// Tells the folder menu that the submenu item with this text was highlighted, as the menu loop does.
void HighlightSubMenuItem(CFolderMenu& folderMenu, HMENU menu, const std::wstring& text);
