#pragma once
#include "config/SingleFolderOptions.h"
#include "menus/FolderMenu.h"
#include "menus/MenuTestOwner.h"
#include "support/MenuTexts.h"
#include "support/FolderTree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// A folder record as a "Multiple Folders Menu" item holds it.
MergedFolder FolderRecord(const std::wstring& directory, INT merged = 0, const std::wstring& mergedName = L"");

// A folder menu over a scratch tree.
class FolderMenuTest : public ::testing::Test {
protected:
    // Subfolders, navigation and links on, as a folder menu shows them by default.
    BOOL Build(const std::vector<MergedFolder>& records) {
        return m_menu.Build(records.data(), static_cast<UINT>(records.size()), {TRUE, TRUE, TRUE});
    }
    // The tree's root as the one folder of the menu.
    BOOL BuildRoot(BOOL includeSubFolders = TRUE, BOOL navigation = TRUE, BOOL links = TRUE) {
        MergedFolder record = FolderRecord(m_tree.Root());
        return m_menu.Build(&record, 1, {includeSubFolders, navigation, links});
    }
    HMENU Root() const { return m_menu.GetRootMenu()->GetHandle(); }
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
