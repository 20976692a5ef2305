#pragma once
#include "config/SingleFolderOptions.h"
#include "menus/FolderMenuBuildOptions.h"
#include "menus/FolderMenuFolderAnswers.h"
#include "menus/FolderMenuIconSource.h"
#include "menus/FolderMenuItem.h"
#include "menus/FolderMenuLevel.h"
#include "menus/FolderMenuLevelBuilder.h"
#include "menus/FolderMenuListing.h"
#include "menus/FolderMenuShortcuts.h"
#include "menus/PopUpMenu.h"

#include <windows.h>

#include <memory>

// The cascading popup menu of a folder item's content: files, folders, shortcuts and libraries of
// one folder, or of several folders merged into one menu or shown as one submenu each. Submenus of
// folders are read when the user first highlights them; choosing an entry opens it through the
// shell, right-clicking it shows the shell's context menu.
//
// The owner sets the filters and display settings, builds, gives the owner window, tracks the root
// menu and passes the chosen command to RunCommand:
//
//     menu.ApplyItemSettings(item);
//     menu.Build(folders, count, {item.IncludeSubFolders, item.AllowSubFoldersNavigation,
//                                 item.AllowSubFoldersLinksNavigation});
//     menu.SetOwnerWindow(owner);
//     menu.RunCommand(menu.GetRootMenu()->Track(x, y, owner, openUpward));
//
// Build again after every showing: a submenu is read once per build. A rebuild keeps the menus of
// the build before and changes only the items whose entries changed.
//
// The work is shared out: the listing reads folders into levels, the level builder makes and
// changes the menus, the icon source gives the entries their icons, the shortcut resolver says
// where shortcuts lead, and the folder answers find out on worker threads whether subfolders hold
// anything to show.
class CFolderMenu : public CPopUpMenuEventsBase {
public:
    CFolderMenu();
    ~CFolderMenu() override;
    CFolderMenu(const CFolderMenu&) = delete;
    CFolderMenu& operator=(const CFolderMenu&) = delete;

    // Each replaces the filter built before; an empty text makes a filter that accepts everything.
    BOOL SetInclusionFilter(LPCWSTR filters);
    BOOL SetExclusionFilter(LPCWSTR filters);
    void SetHideFilesExtensionInPopupMenu(BOOL hide) { m_builder.SetHideFilesExtension(hide); }
    void SetHideShortcutsOverlayInPopupMenu(BOOL hide) { m_icons.SetHideShortcutsOverlay(hide); }
    // 0 folders first, 1 folders last, any other value mixed with the files.
    void SetFoldersPositionInPopupMenu(UINT position) { m_builder.SetFoldersPosition(position); }
    void SetMergeMenusInPopupMenu(BOOL merge) { m_mergeMenus = merge; }
    // The filters and the four display settings above, from the item.
    void ApplyItemSettings(const CSingleFolderOptions& item);
    // The size of the entries' icons from the next build on, the system's small icon size at the
    // DPI of the monitor the menu shows on; a change makes the next build read every icon anew.
    void SetIconSize(int size) { m_icons.SetIconSize(size); }
    int GetIconSize() const { return m_icons.GetIconSize(); }
    // The window that owns the shell's context menu; the one the root menu is tracked with.
    void SetOwnerWindow(HWND owner) { m_hOwner = owner; }

    // Replaces the whole menu. One folder is listed at the root; several are merged into the root
    // (MergeMenusInPopupMenu) or shown as one submenu per folder, records with the merged flag
    // sharing one submenu per merged name. FALSE when the single folder cannot be read or a
    // submenu cannot be made, and, leaving the menu as it is, while the root menu is open or a
    // command runs.
    BOOL Build(const MergedFolder* folders, UINT count, const FolderMenuBuildOptions& options);
    // File types may show other icons now: the next build asks the shell for every icon anew.
    void OnAssociationsChanged() { m_icons.MarkStale(); }
    // Null before the first build.
    CPopUpMenu* GetRootMenu() const;
    // The entry a menu command stands for, or null (also for 0).
    CFolderMenuItem* GetEntryOfCommand(UINT commandId) const { return m_builder.GetEntryOfCommand(commandId); }
    // Opens the chosen entry's first path; FALSE when nothing was chosen, the command is not an
    // entry or the shell failed (which it reports itself).
    BOOL RunCommand(UINT commandId);

    // TRUE when nothing of the folder would show: no file the filters accept, here or (with
    // IncludeSubFolders) in a subfolder or a folder a shortcut leads to. Paths of 258 characters
    // and more, and folders that cannot be read, count as empty.
    BOOL IsFolderWithoutVisibleFiles(LPCWSTR path) { return m_answers.IsFolderWithoutVisibleFiles(path); }
    // Own icons of entries that came on screen, still being read.
    size_t GetIconsBeingRead() const { return m_icons.GetIconsBeingRead(); }
    // Subfolders whose listings have not answered yet.
    size_t GetUnansweredFolderCount() const { return m_answers.GetUnansweredFolderCount(); }

    void OnMenuSelect(CPopUpMenu* menu, WPARAM wParam, LPARAM lParam) override;
    void OnMenuItemRightClick(CPopUpMenu* menu, UINT position, HMENU itemMenu) override;

private:
    BOOL IsRootMenuOpen() const;
    BOOL BuildLevels(const MergedFolder* folders, UINT count, std::unique_ptr<CFolderMenuLevel> previousRoot);
    BOOL BuildSeparateFolders(const MergedFolder* folders, UINT count);

    // The workers every folder menu of this thread shares, handed to the parts that use them; it
    // stays until the parts below have let go of their jobs.
    std::shared_ptr<CBackgroundWork> m_workers;
    // In the order they depend on each other: the answers and the levels go before the icons
    // their entries show.
    CFolderMenuIconSource m_icons;
    CFolderMenuShortcuts m_shortcuts;
    CFolderMenuLevelBuilder m_builder;
    CFolderMenuFolderAnswers m_answers;
    CFolderMenuListing m_listing;
    BOOL m_mergeMenus;
    HWND m_hOwner;
    // Set while the shell's context menu of an entry is open: a right click inside it must not
    // open another one for the folder menu item that happens to lie underneath.
    BOOL m_showingContextMenu;
    // Commands being opened; another click on the item may start one inside the first one's loop.
    int m_runningCommands;
};
