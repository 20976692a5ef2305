#pragma once
#include "config/SingleFolderOptions.h"
#include "lib/BackgroundWork.h"
#include "lib/MenuHandle.h"
#include "menus/FileNameFilter.h"
#include "menus/FolderMenuIconCache.h"
#include "menus/FolderMenuItem.h"
#include "menus/FolderMenuLevel.h"
#include "menus/FolderMenuShellIcons.h"
#include "menus/FolderMenuTypeIcons.h"
#include "menus/FolderVisibility.h"
#include "menus/PopUpMenu.h"

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The cascading popup menu of a folder item's content: files, folders, shortcuts and libraries of
// one folder, or of several folders merged into one menu or shown as one submenu each. Submenus of
// folders are read when the user first highlights them; choosing an entry opens it through the
// shell, right-clicking it shows the shell's context menu.
//
// The owner sets the filters and display settings, builds, gives the owner window, tracks the root
// menu and passes the chosen command to RunCommand:
//
//     menu.ApplyItemSettings(item);
//     menu.Build(folders, count, item.IncludeSubFolders, item.AllowSubFoldersNavigation,
//                item.AllowSubFoldersLinksNavigation);
//     menu.SetOwnerWindow(owner);
//     menu.RunCommand(menu.GetRootMenu()->Track(x, y, owner, openUpward));
//
// Build again after every showing: a submenu is read once per build. A rebuild keeps the menus of
// the build before and changes only the items whose entries changed.
//
// Whether a subfolder holds anything to show is found out by listing it, which a slow disk or a
// server that stopped answering can draw out for seconds. Those listings run on worker threads;
// the menu waits a moment for their answers and then shows the folders still unanswered with a
// grey folder icon. An answer that comes later makes the folder's item a plain one, or, for a
// folder that holds nothing to show, removes it; from a menu that is open it is only disabled,
// and gone from the next showing.
class CFolderMenu : public CPopUpMenuEventsBase, private IPopUpMenuIconSource {
public:
    CFolderMenu();
    ~CFolderMenu() override;
    CFolderMenu(const CFolderMenu&) = delete;
    CFolderMenu& operator=(const CFolderMenu&) = delete;

    // Each replaces the filter built before; an empty text makes a filter that accepts everything.
    BOOL SetInclusionFilter(LPCWSTR filters);
    BOOL SetExclusionFilter(LPCWSTR filters);
    void SetHideFilesExtensionInPopupMenu(BOOL hide) { m_hideFilesExtension = hide; }
    void SetHideShortcutsOverlayInPopupMenu(BOOL hide) {
        // Shortcut icons kept from an earlier build show the arrow or not as that build did.
        m_iconsStale = m_iconsStale || !hide != !m_hideShortcutsOverlay;
        m_hideShortcutsOverlay = hide;
    }
    // 0 folders first, 1 folders last, any other value mixed with the files.
    void SetFoldersPositionInPopupMenu(UINT position) { m_foldersPosition = position; }
    void SetMergeMenusInPopupMenu(BOOL merge) { m_mergeMenus = merge; }
    // The filters and the four display settings above, from the item.
    void ApplyItemSettings(const CSingleFolderOptions& item);
    // The size of the entries' icons from the next build on, the system's small icon size at the
    // DPI of the monitor the menu shows on; a change makes the next build read every icon anew.
    void SetIconSize(int size);
    int GetIconSize() const { return m_iconSize; }
    // The window that owns the shell's context menu; the one the root menu is tracked with.
    void SetOwnerWindow(HWND owner) { m_hOwner = owner; }

    // Replaces the whole menu. One folder is listed at the root; several are merged into the root
    // (MergeMenusInPopupMenu) or shown as one submenu per folder, records with the merged flag
    // sharing one submenu per merged name. FALSE when the single folder cannot be read or a
    // submenu cannot be made, and, leaving the menu as it is, while the root menu is open or a
    // command runs.
    BOOL Build(const MergedFolder* folders, UINT count, BOOL includeSubFolders, BOOL allowSubFoldersNavigation,
               BOOL allowSubFoldersLinksNavigation);
    // File types may show other icons now: the next build asks the shell for every icon anew.
    void OnAssociationsChanged() { m_iconsStale = TRUE; }
    // Null before the first build.
    CPopUpMenu* GetRootMenu() const;
    // The entry a menu command stands for, or null (also for 0).
    CFolderMenuItem* GetEntryOfCommand(UINT commandId) const;
    // Opens the chosen entry's first path; FALSE when nothing was chosen, the command is not an
    // entry or the shell failed (which it reports itself).
    BOOL RunCommand(UINT commandId);

    // TRUE when nothing of the folder would show: no file the filters accept, here or (with
    // IncludeSubFolders) in a subfolder or a folder a shortcut leads to. Paths of 258 characters
    // and more, and folders that cannot be read, count as empty.
    BOOL IsFolderWithoutVisibleFiles(LPCWSTR path);
    // Subfolders whose listings have not answered yet.
    size_t GetUnansweredFolderCount() const { return m_foldersBeingListed.size(); }

    // A shell library without members, or one that cannot be read, counts as empty.
    static BOOL IsLibraryEmpty(LPCWSTR libraryPath);
    // The path a shortcut leads to, into a buffer of MAX_PATH characters.
    static BOOL ResolveShortcutTarget(LPCWSTR shortcutPath, LPWSTR target);
    // The arrow the shell marks shortcuts with, as a new icon of about that size the caller
    // destroys.
    static HICON LoadLinkOverlayIcon(int size);

    void OnMenuSelect(CPopUpMenu* menu, WPARAM wParam, LPARAM lParam) override;
    void OnMenuItemRightClick(CPopUpMenu* menu, UINT position, HMENU itemMenu) override;

private:
    // The key is the entry, which lives as long as the level whose menu holds the item.
    HICON FetchItemIcon(ULONG_PTR key) override;
    struct AwaitingEntry {
        CFolderMenuLevel* level;
        CFolderMenuItem* entry;
    };
    enum FolderKnowledge { FolderUnknown, FolderShown, FolderEmpty };

    BOOL IsRootMenuOpen() const;
    void FreeLevels();
    // The root of the build before, for the next build to change, or null when it must start anew.
    std::unique_ptr<CFolderMenuLevel> TakeReusableRoot();
    // A submenu's level, whose menu is made (or taken over) only when it is opened, by OpenLevelMenu.
    std::unique_ptr<CFolderMenuLevel> CreateSubLevel();
    std::unique_ptr<CPopUpMenu> CreateMenu(CFolderMenuLevel* parent);
    BOOL GiveLevelMenu(CFolderMenuLevel* level, std::unique_ptr<CPopUpMenu> menu);
    BOOL OpenLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent, UINT position);
    // The earlier level's menu when there is one, its icons offered to the entries read next.
    std::unique_ptr<CPopUpMenu> TakeOverOrCreateMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent);
    // For a level read with the build, before its item is inserted.
    BOOL EnsureLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent);
    // For the submenu of one of several folders, read with the build.
    BOOL TakeOverSubMenu(CFolderMenuLevel* parent, CFolderMenuItem* entry);
    BOOL BuildLevels(const MergedFolder* folders, UINT count, std::unique_ptr<CFolderMenuLevel> previousRoot);
    void BuildSeparateFolders(const MergedFolder* folders, UINT count, BOOL* result);
    CFolderMenuLevel* FindLevelOfMenu(HMENU menu) const;
    CFolderMenuItem* FindEntryAt(HMENU menu, UINT position) const;

    BOOL ReadFolderIntoLevel(CFolderMenuLevel* level, LPCWSTR folder, BOOL merge);
    BOOL AddPath(CFolderMenuLevel* level, LPCWSTR fullPath, BOOL isDirectory, BOOL merge);
    BOOL AddLibrary(CFolderMenuLevel* level, LPCWSTR libraryPath, LPCWSTR name, BOOL merge);
    BOOL AddEntry(CFolderMenuLevel* level, LPCWSTR path, LPCWSTR name, BOOL isFolder, BOOL makeSubMenu,
                  BOOL mergeByName, BOOL compareLastComponent, CFolderMenuItem** entry);
    HICON LoadEntryIcon(LPCWSTR path);
    HICON AddLinkOverlay(HICON icon);
    void AttachEntryIcon(CFolderMenuItem* entry);
    // Offers the icons of the level's entries (and, withSubLevels, of every level under it) to the
    // entries listed next.
    void KeepReusableIcons(CFolderMenuLevel* level, BOOL withSubLevels);
    BOOL ReadLibraryIntoLevel(CFolderMenuLevel* level, LPCWSTR libraryPath);
    BOOL InsertLevelItems(CFolderMenuLevel* level, BOOL sort);
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
    BOOL IsFileShown(LPCWSTR fileName) const;
    static BOOL FilterAccepts(const CFileNameFilter* filter, LPCWSTR fileName);
    static HICON LoadShortcutIcon(LPCWSTR shortcutPath, LPWSTR targetPath);
    // The existing local target the shortcut file keeps, read from its bytes, and whether the
    // shortcut names an icon of its own; FALSE when the file does not say, for the shell to decide.
    static BOOL ReadShortcutFile(LPCWSTR shortcutPath, LPWSTR target, BOOL* namesItsIcon);
    // The icon the shell shows for a shortcut that names none, without the arrow: its target's.
    HICON LoadShortcutTargetIcon(LPCWSTR shortcutPath);
    BOOL ResolveListedShortcut(LPCWSTR shortcutPath, LPWSTR target);

    BOOL IsKnownToHoldAShownFile(LPCWSTR folder);
    void SetFilterText(int kind, LPCWSTR filters);
    const std::shared_ptr<const CFolderVisibility>& CurrentVisibility();
    void RetireVisibility();
    FolderKnowledge KnownVisibility(const std::wstring& folder);
    // Adds the folder's entry at once and asks a worker whether the folder holds a shown file.
    BOOL AddAwaitedFolder(CFolderMenuLevel* level, LPCWSTR folder, LPCWSTR name, BOOL merge);
    void ListFolderInBackground(const std::wstring& folder);
    void OnFolderAnswered(const std::wstring& folder, BOOL shown, const std::wstring& shownFile);
    // Waits a moment for the answers about the level's folders, before its items are inserted.
    void AwaitLevelAnswers(CFolderMenuLevel* level);
    // Applies the answers that came, to the level's entries only or (null) to every entry.
    void ApplyFolderAnswers(CFolderMenuLevel* onlyLevel);
    void ResolveAwaitedEntry(const AwaitingEntry& awaiting, const std::wstring& folder, BOOL shown);
    void HideEmptyEntry(CFolderMenuLevel* level, CFolderMenuItem* entry);
    void ShowResolvedIcon(CFolderMenuLevel* level, CFolderMenuItem* entry);
    HICON UnknownFolderIcon();

    std::unique_ptr<CFileNameFilter> m_inclusionFilter;
    std::unique_ptr<CFileNameFilter> m_exclusionFilter;
    // Every submenu item not opened yet opens this one empty menu, which the folder's own menu
    // replaces when the item is highlighted: a large folder's subfolders cost no menu each.
    CMenuHandle m_unopenedSubMenu;
    // Each level owns the levels of its entries' submenus.
    std::unique_ptr<CFolderMenuLevel> m_root;
    // The levels of this build that have a menu, the root first: those a tracked menu can show.
    std::vector<CFolderMenuLevel*> m_levelsWithMenus;
    // Icons of the build before, for entries listed again (submenus are listed after the build).
    CFolderMenuIconCache m_iconCache;
    CFolderMenuTypeIcons m_typeIcons; // kept across builds
    CIconHandle m_linkOverlay;        // loaded with the first shortcut
    int m_iconSize = GetSystemMetrics(SM_CXSMICON);
    CFolderMenuShellIcons m_shellIcons;
    // Where the shortcuts listed by this build and by the one before led. Resolving a shortcut
    // costs milliseconds, and every build lists them all again.
    struct ResolvedShortcut {
        FileStamp stamp;
        std::wstring target; // empty when it could not be resolved
    };
    std::unordered_map<std::wstring, ResolvedShortcut> m_shortcutTargets[2]; // this build's, the one before
    // A shown file of each folder the builds found one in. While it is still there and the filters
    // are the same, the folder is shown without listing it again. This build's, the one before.
    std::unordered_map<std::wstring, std::wstring> m_shownFileOfFolder[2];
    std::wstring m_filterTexts[2]; // inclusion, exclusion
    BOOL m_includeSubFolders;
    BOOL m_allowSubFoldersNavigation;
    BOOL m_allowSubFoldersLinksNavigation;
    BOOL m_hideFilesExtension;
    BOOL m_hideShortcutsOverlay;
    BOOL m_mergeMenus;
    UINT m_foldersPosition;
    HWND m_hOwner;
    // Set while the shell's context menu of an entry is open: a right click inside it must not
    // open another one for the folder menu item that happens to lie underneath.
    BOOL m_showingContextMenu;
    // Commands being opened; another click on the item may start one inside the first one's loop.
    int m_runningCommands;
    BOOL m_iconsStale;
    // The find data of the file being listed and its full path, while it is added: its entry
    // needs no second look at the file system. Null between files.
    const WIN32_FIND_DATAW* m_pListedFile;
    LPCWSTR m_listedPath;

    // The filters and settings of this build, for the listings on the workers.
    std::shared_ptr<const CFolderVisibility> m_visibility;
    // The entries of this build that wait for the listing of a folder, by folder.
    std::unordered_map<std::wstring, std::vector<AwaitingEntry>> m_awaitedFolders;
    // Listings on the workers: a folder is listed once however many builds wait for it.
    std::unordered_set<std::wstring> m_foldersBeingListed;
    // Answers come in while the menu is read; they are applied once the entries are in place.
    std::unordered_map<std::wstring, BOOL> m_folderAnswers;
    // Answers that came after their build, trusted by the next build so that a slow folder is not
    // shown as unknown again: those of the build before, and of this one.
    std::unordered_map<std::wstring, BOOL> m_lateAnswers[2];
    // Set while a build or a submenu reads folders, when answers must wait to be applied.
    int m_readingDepth;
    CIconHandle m_unknownFolderIcon;
    // Last, so that it stops its threads before anything a completion would touch goes.
    CBackgroundWork m_background;
};
