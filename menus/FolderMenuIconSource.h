#pragma once
#include "lib/IconHandle.h"
#include "menus/FolderMenuIconCache.h"
#include "menus/FolderMenuShellIcons.h"
#include "menus/FolderMenuTypeIcons.h"
#include "menus/PopUpMenu.h"

#include <windows.h>

class CFolderMenuItem;
class CFolderMenuLevel;

// The icons of a folder menu's entries. An entry first shows the icon its type shares with others
// (cheap: one per extension); the file's own icon (programs, icons, shortcuts) is read only when
// the entry comes on screen, and kept across builds while the file stays the same.
class CFolderMenuIconSource : public IPopUpMenuIconSource {
public:
    CFolderMenuIconSource() = default;
    CFolderMenuIconSource(const CFolderMenuIconSource&) = delete;
    CFolderMenuIconSource& operator=(const CFolderMenuIconSource&) = delete;

    // The size of the entries' icons from the next build on; a change makes that build read every
    // icon anew.
    void SetIconSize(int size);
    int GetIconSize() const { return m_iconSize; }
    void SetHideShortcutsOverlay(BOOL hide);
    // File types may show other icons now: the next build asks the shell for every icon anew.
    void MarkStale() { m_stale = TRUE; }
    BOOL IsStale() const { return m_stale; }

    // A build starts: the icons no entry took since the build before are given back.
    void StartBuild() { m_reusable.Clear(); }
    // Offers the icons of the level's entries (and, withSubLevels, of every level under it) to the
    // entries listed next.
    void KeepReusableIcons(CFolderMenuLevel* level, BOOL withSubLevels);
    // Once no entry shows any of them: a stale build drops the shared icons and reads them anew.
    void RenewIfStale();

    // Gives the new entry the icon it shows first. `listedStamp` is the file's stamp when its
    // folder's listing just gave it; null makes the file system be asked.
    void AttachEntryIcon(CFolderMenuItem* entry, const FileStamp* listedStamp);
    // The grey folder that marks a folder whose listing has not answered yet.
    HICON UnknownFolderIcon();

    // The arrow the shell marks shortcuts with, as a new icon of about that size the caller
    // destroys.
    static HICON LoadLinkOverlayIcon(int size);

private:
    // The key is the entry, which lives as long as the level whose menu holds the item.
    HICON FetchItemIcon(ULONG_PTR key) override;
    HICON LoadEntryIcon(LPCWSTR path);
    // The icon the shell shows for a shortcut that names none, without the arrow: its target's.
    HICON LoadShortcutTargetIcon(LPCWSTR shortcutPath);
    HICON AddLinkOverlay(HICON icon);

    CFolderMenuIconCache m_reusable; // icons of the build before, for entries listed again
    CFolderMenuTypeIcons m_typeIcons;
    CFolderMenuShellIcons m_shellIcons;
    CIconHandle m_linkOverlay; // loaded with the first shortcut
    CIconHandle m_unknownFolderIcon;
    int m_iconSize = GetSystemMetrics(SM_CXSMICON);
    BOOL m_hideShortcutsOverlay = FALSE;
    BOOL m_stale = FALSE;
};
