#pragma once
#include "menus/FolderMenuItem.h"
#include "menus/PopUpMenu.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The entries of one menu of a folder menu (the root or a submenu) and the CPopUpMenu that shows
// them. Entries keep the order they were added in until the level is sorted for insertion.
class CFolderMenuLevel {
public:
    // A submenu's level gets its menu when the submenu is first opened.
    explicit CFolderMenuLevel(std::unique_ptr<CPopUpMenu> menu);
    CFolderMenuLevel(const CFolderMenuLevel&) = delete;
    CFolderMenuLevel& operator=(const CFolderMenuLevel&) = delete;

    CPopUpMenu* GetMenu() const { return m_menu.get(); }
    void SetMenu(std::unique_ptr<CPopUpMenu> menu) { m_menu = std::move(menu); }
    std::unique_ptr<CPopUpMenu> TakeMenu() { return std::move(m_menu); }
    // The same folder's level of an earlier build, whose menu this level takes over when it is
    // filled: its entries say what that menu's items show, so only the changes are made.
    CFolderMenuLevel* GetPrevious() const { return m_previous.get(); }
    void SetPrevious(std::unique_ptr<CFolderMenuLevel> previous) { m_previous = std::move(previous); }
    std::unique_ptr<CFolderMenuLevel> TakePrevious() { return std::move(m_previous); }
    BOOL IsFilled() const { return m_filled; }
    void SetFilled(BOOL filled) { m_filled = filled; }

    size_t GetEntryCount() const { return m_entries.size(); }
    CFolderMenuItem* GetEntry(size_t index) const { return m_entries[index].get(); }
    CFolderMenuItem* Append(std::unique_ptr<CFolderMenuItem> entry);
    // Destroys the entry (with its submenu's level).
    void Remove(CFolderMenuItem* entry);
    CFolderMenuItem* FindEntryOfCommand(UINT commandId) const;

    // The first entry, in the order added, whose key equals the name exactly: the text after the
    // last "\" of the entry's name (compareLastComponent) or the last component of its first path.
    CFolderMenuItem* FindByName(LPCWSTR name, BOOL compareLastComponent);

    // Folders first (0), folders last (1) or mixed (any other value), each group in menu name order.
    void SortEntries(UINT foldersPosition);
    // Entry names are about to change (extensions cut at insertion): drop the name lookup.
    void ForgetNames();

private:
    // The keys are copies: an entry's first path moves when the entry gains paths (a short path
    // lives inside the string object), so a view into it would outlive the text.
    typedef std::unordered_map<std::wstring, CFolderMenuItem*> NameIndex;

    // Destroyed after the menu, which detaches the submenus of the entries' levels first.
    std::vector<std::unique_ptr<CFolderMenuItem>> m_entries;
    std::unique_ptr<CPopUpMenu> m_menu;
    std::unique_ptr<CFolderMenuLevel> m_previous;
    BOOL m_filled;
    // Merging a large folder looks up every name; these indexes (one per kind of key) are built on
    // first use and extended lazily, so a lookup costs the same in a folder of 10 or 10,000 entries.
    NameIndex m_nameIndexes[2];
    size_t m_indexedCounts[2];
};
