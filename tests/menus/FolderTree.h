#pragma once
#include "config/SingleFolderOptions.h"
#include "lib/MenuTree.h"
#include "lib/StringCopy.h"
#include "menus/FolderMenu.h"
#include "menus/MenuTestOwner.h"
#include "support/MenuTexts.h"
#include "support/FolderTree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// A folder record as a "Multiple Folders Menu" item holds it.
inline MergedFolder FolderRecord(const std::wstring& directory, INT merged = 0, const std::wstring& mergedName = L"") {
    MergedFolder record = {};
    record.MergedMenu = merged;
    CopyTruncated(record.MergedMenuName, mergedName.c_str());
    CopyTruncated(record.Directory, directory.c_str());
    return record;
}

// The position of the first item with this text, or -1.
inline int FindItemPosition(HMENU menu, const std::wstring& text) {
    Texts texts = MenuItemTexts(menu);
    auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
}
// Null or 0 when no item has the text; the command is also that of an item opening a submenu.
inline HMENU FindSubMenu(HMENU menu, const std::wstring& text) {
    return GetSubMenu(menu, FindItemPosition(menu, text));
}
inline UINT FindCommand(HMENU menu, const std::wstring& text) {
    return MenuItemIdAt(menu, FindItemPosition(menu, text));
}
// Tells the folder menu that the submenu item with this text was highlighted, as the menu loop does.
inline void HighlightSubMenuItem(CFolderMenu& folderMenu, HMENU menu, const std::wstring& text) {
    folderMenu.OnMenuSelect(folderMenu.GetRootMenu(), MAKEWPARAM(FindItemPosition(menu, text), MF_POPUP | MF_HILITE),
                            reinterpret_cast<LPARAM>(menu));
}

// A folder menu over a scratch tree.
class FolderMenuTest : public ::testing::Test {
protected:
    // Subfolders, navigation and links on, as a folder menu shows them by default.
    BOOL Build(const std::vector<MergedFolder>& records) {
        return m_menu.Build(records.data(), static_cast<UINT>(records.size()), {TRUE, TRUE, TRUE});
    }
    BOOL BuildRoot(BOOL includeSubFolders = TRUE, BOOL navigation = TRUE, BOOL links = TRUE) {
        MergedFolder record = FolderRecord(m_tree.Root());
        return m_menu.Build(&record, 1, {includeSubFolders, navigation, links});
    }
    HMENU Root() const { return m_menu.GetRootMenu()->GetHandle(); }
    std::wstring PathOfCommand(HMENU menu, const std::wstring& text) {
        CFolderMenuItem* entry = m_menu.GetEntryOfCommand(FindCommand(menu, text));
        return entry ? entry->m_paths.front() : L"(no entry)";
    }
    // The hidden window that owns the menu, made on first use: desktop-free cases make none.
    MenuTestOwner& Owner() {
        if (!m_owner) {
            m_owner.reset(new MenuTestOwner());
            m_menu.SetOwnerWindow(m_owner->Handle());
        }
        return *m_owner;
    }
    UINT Show(std::vector<MenuTestOwner::Step> steps, size_t* stepsRun = nullptr) {
        return Owner().Track(*m_menu.GetRootMenu(), std::move(steps), {100, 100}, FALSE, stepsRun);
    }

    FolderTree m_tree;
    CFolderMenu m_menu;
    std::unique_ptr<MenuTestOwner> m_owner;
};
