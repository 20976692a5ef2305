#pragma once
#include "lib/IconHandle.h"
#include "menus/FolderMenuIconCache.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CFolderMenuLevel;

// One entry of a folder menu level: a file, a folder, a library or a shortcut, under the name the
// menu shows. A folder entry into which same-named folders of several places were merged holds one
// path per place; the first path is the one that opens.
class CFolderMenuItem {
public:
    // The icon is attached afterwards, once the entry knows its (possibly cut) path.
    CFolderMenuItem(LPCWSTR path, LPCWSTR name, BOOL isFolder, std::unique_ptr<CFolderMenuLevel> subMenuLevel);
    ~CFolderMenuItem();
    CFolderMenuItem(const CFolderMenuItem&) = delete;
    CFolderMenuItem& operator=(const CFolderMenuItem&) = delete;

    void AddPath(LPCWSTR path);
    // A merged folder's path that turned out to show nothing; the first path left is the one that opens.
    void RemovePath(const std::wstring& path);
    // What the menu shows for the entry; null when the shell had no icon. While the entry's own
    // icon is not read yet, the icon of its type.
    // A folder not yet known to hold anything shows the menu's mark for that instead.
    HICON Icon() const { return m_hUnknownIcon ? m_hUnknownIcon : m_hIcon ? m_hIcon.Get() : m_hTypeIcon; }
    // A folder entry whose folders are still being listed, none of them yet found to hold a shown file.
    BOOL IsUnknown() const { return m_foldersAwaited > 0 && !m_holdsShownFile; }
    // Null for plain entries.
    CFolderMenuLevel* SubMenuLevel() const { return m_subMenuLevel.get(); }
    // The submenu's level for a later build to take over: the level itself when its menu was made,
    // else the earlier level it had taken over (a submenu left closed for a few showings keeps its
    // menu); null when there is none.
    std::unique_ptr<CFolderMenuLevel> TakeSubMenuLevelToReuse();

    std::vector<std::wstring> m_paths; // never empty
    std::wstring m_name;
    // The file's extension was cut from the name; a level inserted a second time (a merged
    // submenu joining one already listed) must not cut what is left.
    BOOL m_extensionCut;
    UINT m_commandId; // 0 until the entry is in the menu
    BOOL m_isFolder;
    CIconHandle m_hIcon; // the entry's own icon, for types whose files each show their own
    HICON m_hTypeIcon;   // else the icon its type shares with others, not owned
    // The entry's own icon is read when the entry first shows on screen.
    BOOL m_iconPending;
    // What the entry's menu item shows, not owned: the entry's icons move to the next build's
    // entries before that build compares what its items show with what they should.
    HICON m_hShownIcon;
    std::unique_ptr<CFolderMenuLevel> m_subMenuLevel;
    // Set when the icon is (or, pending, will be) the shell's icon of the first path as it was
    // then, so the next build may reuse it while the file stays the same.
    BOOL m_hasIconStamp;
    FileStamp m_iconStamp;
    // Listings of the entry's folders still to answer whether they hold a shown file; the entry
    // goes when every one answered no.
    UINT m_foldersAwaited;
    BOOL m_holdsShownFile; // also for every entry that is no folder or was known to hold one
    HICON m_hUnknownIcon;  // the menu's mark while IsUnknown(), not owned
};
