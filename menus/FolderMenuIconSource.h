#pragma once
#include "lib/IconHandle.h"
#include "menus/FolderMenuIconCache.h"
#include "menus/FolderMenuShellIcons.h"
#include "menus/FolderMenuTypeIcons.h"
#include "menus/PopUpMenu.h"

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class CBackgroundWork;
class CFolderMenuItem;
class CFolderMenuLevel;

// Told when an entry's own icon, read on a worker, has come: the item that shows the entry is to
// show entry->Icon() now.
class IFolderMenuIconArrival {
public:
    virtual void OnEntryIconRead(CFolderMenuItem* entry) = 0;

protected:
    ~IFolderMenuIconArrival() {}
};

// The icons of a folder menu's entries. An entry first shows the icon its type shares with others
// (cheap: one per extension); the file's own icon (programs, icons, shortcuts) is read only when
// the entry comes on screen, on a worker thread, for the menu never to wait for a slow file, and
// kept across builds while the file stays the same.
class CFolderMenuIconSource : public IPopUpMenuIconSource {
public:
    explicit CFolderMenuIconSource(std::shared_ptr<CBackgroundWork> workers);
    ~CFolderMenuIconSource();
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

    void SetArrival(IFolderMenuIconArrival* arrival) { m_pArrival = arrival; }
    // A build starts: the icons no entry took since the build before are given back, and icons
    // still being read are for entries about to go.
    void StartBuild();
    // The entry goes: an icon being read for it is dropped when it comes.
    void Forget(CFolderMenuItem* entry);
    // Own icons asked for and not yet shown.
    size_t GetIconsBeingRead() const { return m_queued.size() + m_reading.size(); }
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
    // Makes every own icon read from now on take this long first, as a file on a slow disk or
    // server does; 0 ends it. Only tests set it.
    static void SetIconReadingDelay(DWORD milliseconds);

private:
    // How an own icon is read; the type icons only on the thread that owns them.
    struct Reading {
        CFolderMenuShellIcons* shellIcons;
        CFolderMenuTypeIcons* typeIcons; // null on a worker
        HICON linkOverlay;
        int iconSize;
        BOOL hideShortcutsOverlay;
    };
    struct Request {
        CFolderMenuItem* entry;
        std::wstring path;
    };
    struct ReadIcons;

    // The key is the entry, which lives as long as the level whose menu holds the item. Gives
    // null, the item keeping its type icon, and reads the entry's own icon on a worker.
    HICON FetchItemIcon(ULONG_PTR key) override;
    void OnMenuOpening() override { m_heldUntilSettled = TRUE; }
    void OnMenuSettled() override;
    // Reads the entry's own icon here and now.
    void ReadIconNow(CFolderMenuItem* entry);
    void ReadQueuedIcons();
    void OnIconsRead(ReadIcons& read);
    void TakeIcon(CFolderMenuItem* entry, CIconHandle icon);
    HICON LinkOverlay();
    static HICON ReadOwnIcon(LPCWSTR path, const Reading& reading);
    // The icon the shell shows for a shortcut that names none, without the arrow: its target's.
    static HICON ReadShortcutTargetIcon(LPCWSTR shortcutPath, const Reading& reading);
    static HICON AddLinkOverlay(HICON icon, const Reading& reading);

    CFolderMenuIconCache m_reusable; // icons of the build before, for entries listed again
    CFolderMenuTypeIcons m_typeIcons;
    CFolderMenuShellIcons m_shellIcons;
    // Loaded with the first shortcut; shared with the workers drawing it on their icons.
    std::shared_ptr<CIconHandle> m_linkOverlay;
    CIconHandle m_unknownFolderIcon;
    IFolderMenuIconArrival* m_pArrival = nullptr;
    std::shared_ptr<CBackgroundWork> m_background;
    // Completions check that this object is still there; the shared pool outlives it.
    std::shared_ptr<CFolderMenuIconSource*> m_self;
    // Entries waiting for their own icons, in the order they came on screen, and those whose
    // icons a worker reads now (one batch at a time, so that the first come first).
    std::vector<Request> m_queued;
    std::unordered_set<CFolderMenuItem*> m_reading;
    BOOL m_batchRunning = FALSE;
    // Icons asked for while the menu is first drawn wait until it is on screen: a worker reading
    // them took processor time and the window server from that drawing, and the menu came on
    // screen only after its icons.
    BOOL m_heldUntilSettled = FALSE;
    // Counts the builds: a batch of an earlier build read icons for entries gone since.
    UINT m_generation = 0;
    int m_iconSize = GetSystemMetrics(SM_CXSMICON);
    BOOL m_hideShortcutsOverlay = FALSE;
    BOOL m_stale = FALSE;
};
