#pragma once
#include "lib/MenuHandle.h"
#include "menus/FolderMenuIconCache.h"
#include "menus/FolderMenuIconSource.h"
#include "menus/FolderMenuItem.h"
#include "menus/FolderMenuLevel.h"
#include "menus/PopUpMenu.h"

#include <windows.h>

#include <memory>
#include <vector>

// Told just before a level's entries go into its menu, for whatever must be settled first.
class IFolderMenuLevelInsertion {
public:
    virtual void BeforeInsertingLevel(CFolderMenuLevel* level) = 0;

protected:
    ~IFolderMenuLevelInsertion() {}
};

// How an entry joins a level.
struct FolderMenuEntryOptions {
    BOOL isFolder = FALSE;
    // The entry opens a submenu of its own level.
    BOOL makeSubMenu = FALSE;
    // An entry of the same name already there takes the path instead (when both have submenus).
    BOOL mergeByName = FALSE;
    // Names are compared by the text after their last "\" rather than whole.
    BOOL compareLastComponent = FALSE;
    // The file's stamp when its folder's listing just gave it, else null.
    const FileStamp* listedStamp = nullptr;
};

// The levels of a folder menu and the menus that show them: which level has a menu, inserting a
// level's entries as items, and, when a build reads a folder again, changing only the items of the
// menu of the build before whose entries changed.
class CFolderMenuLevelBuilder : public IFolderMenuIconArrival {
public:
    // The menus made here report to `events` and ask `icons` for the icons they defer.
    CFolderMenuLevelBuilder(IPopUpMenuEvents* events, CFolderMenuIconSource* icons,
                            IFolderMenuLevelInsertion* insertion);
    CFolderMenuLevelBuilder(const CFolderMenuLevelBuilder&) = delete;
    CFolderMenuLevelBuilder& operator=(const CFolderMenuLevelBuilder&) = delete;

    void SetHideFilesExtension(BOOL hide) { m_hideFilesExtension = hide; }
    // 0 folders first, 1 folders last, any other value mixed with the files.
    void SetFoldersPosition(UINT position) { m_foldersPosition = position; }

    // The root of the build before, for the next build to change, or null when it must start anew
    // (also when icons are stale).
    std::unique_ptr<CFolderMenuLevel> TakeReusableRoot(BOOL iconsStale);
    CFolderMenuLevel* GetRoot() const { return m_root.get(); }
    void FreeLevels();
    // A new root level with a menu: the previous root's, when given, else a new one.
    BOOL StartRoot(std::unique_ptr<CFolderMenuLevel> previousRoot);

    // Null (and no entry) when an entry of a submenu cannot be made.
    CFolderMenuItem* AddEntry(CFolderMenuLevel* level, LPCWSTR path, LPCWSTR name,
                              const FolderMenuEntryOptions& options);
    // Inserts the level's entries into its menu (sorted, when asked), changing the items of the
    // menu it took over from the build before where it can.
    BOOL InsertLevelItems(CFolderMenuLevel* level, BOOL sort);
    // For the submenu of one of several folders, read with the build.
    BOOL TakeOverSubMenu(CFolderMenuLevel* parent, CFolderMenuItem* entry);
    // For a submenu highlighted the first time: its item opens the level's own menu from now on.
    BOOL OpenLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent, UINT position);

    CFolderMenuLevel* FindLevelOfMenu(HMENU menu) const;
    CFolderMenuItem* FindEntryAt(HMENU menu, UINT position) const;
    CFolderMenuItem* GetEntryOfCommand(UINT commandId) const;

    // The level's menu shows only a disabled mark until its entries are inserted.
    void ShowLevelBeingRead(CFolderMenuLevel* level);
    // An entry found to hold nothing to show: gone, or disabled while its menu is on screen.
    void HideEmptyEntry(CFolderMenuLevel* level, CFolderMenuItem* entry);
    // The entry's item shows its icon again, no longer the mark of an unknown folder.
    void ShowResolvedIcon(CFolderMenuLevel* level, CFolderMenuItem* entry);
    void OnEntryIconRead(CFolderMenuItem* entry) override;

private:
    std::unique_ptr<CFolderMenuLevel> CreateSubLevel();
    std::unique_ptr<CPopUpMenu> CreateMenu(CFolderMenuLevel* parent);
    BOOL GiveLevelMenu(CFolderMenuLevel* level, std::unique_ptr<CPopUpMenu> menu);
    // The earlier level's menu when there is one, its icons offered to the entries read next.
    std::unique_ptr<CPopUpMenu> TakeOverOrCreateMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent);
    // For a level read with the build, before its item is inserted.
    BOOL EnsureLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent);
    void CutExtensions(CFolderMenuLevel* level);
    // The disabled "Empty" item of a level without entries.
    static void AppendEmptyLevelItem(CPopUpMenu* menu);
    UINT InsertEntryItem(CPopUpMenu* menu, CFolderMenuItem* entry, UINT position);
    // What a submenu item opens: the level's menu, the earlier menu it will take over, or the
    // stand-in for a submenu not opened yet.
    HMENU SubMenuHandleOf(const CFolderMenuItem* entry) const;
    // Changes the items of the previous level's menu, now the level's, into the level's entries:
    // FALSE, changing nothing, when the menu does not show the previous entries.
    BOOL ChangeLevelItems(CFolderMenuLevel* level, CFolderMenuLevel* previous);
    void ChangeKeptItem(CPopUpMenu* menu, UINT position, CFolderMenuItem* shown, CFolderMenuItem* entry);

    IPopUpMenuEvents* m_pEvents;
    CFolderMenuIconSource* m_pIcons;
    IFolderMenuLevelInsertion* m_pInsertion;
    // Every submenu item not opened yet opens this one empty menu, which the folder's own menu
    // replaces when the item is highlighted: a large folder's subfolders cost no menu each.
    CMenuHandle m_unopenedSubMenu;
    // Each level owns the levels of its entries' submenus.
    std::unique_ptr<CFolderMenuLevel> m_root;
    // The levels of this build that have a menu, the root first: those a tracked menu can show.
    std::vector<CFolderMenuLevel*> m_levelsWithMenus;
    BOOL m_hideFilesExtension = FALSE;
    UINT m_foldersPosition = 0;
};
