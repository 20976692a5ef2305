#include "menus/FolderMenuIconSource.h"

#include "lib/IconOverlay.h"
#include "lib/SystemImageList.h"
#include "menus/FolderMenuItem.h"
#include "menus/FolderMenuLevel.h"
#include "menus/FolderMenuPaths.h"
#include "menus/FolderMenuShortcuts.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace {

// Where the shell keeps no overlay of its own for links (Wine), its arrow comes from the icon
// resource the shell draws it from.
const int kShell32ShortcutArrowResource = 30;

} // namespace

void CFolderMenuIconSource::SetIconSize(int size) {
    if (size <= 0 || size == m_iconSize)
        return;
    m_iconSize = size;
    m_stale = TRUE;
    // Marked icons are copies: the arrow of the old size is no longer needed.
    m_linkOverlay.Reset();
    m_shellIcons.SetIconSize(size);
}

void CFolderMenuIconSource::SetHideShortcutsOverlay(BOOL hide) {
    // Shortcut icons kept from an earlier build show the arrow or not as that build did.
    m_stale = m_stale || !hide != !m_hideShortcutsOverlay;
    m_hideShortcutsOverlay = hide;
}

void CFolderMenuIconSource::KeepReusableIcons(CFolderMenuLevel* level, BOOL withSubLevels) {
    std::vector<CFolderMenuLevel*> levels{level};
    while (!levels.empty()) {
        CFolderMenuLevel* kept = levels.back();
        levels.pop_back();
        for (size_t index = 0; index < kept->GetEntryCount(); ++index) {
            CFolderMenuItem* entry = kept->GetEntry(index);
            if (withSubLevels && entry->SubMenuLevel())
                levels.push_back(entry->SubMenuLevel());
            if (entry->m_hasIconStamp && entry->m_hIcon)
                m_reusable.Keep(entry->m_paths.front(), entry->m_iconStamp, std::move(entry->m_hIcon));
        }
    }
}

void CFolderMenuIconSource::RenewIfStale() {
    if (!m_stale)
        return;
    m_unknownFolderIcon.Reset();
    m_typeIcons.Clear(m_iconSize);
    m_stale = FALSE;
}

void CFolderMenuIconSource::AttachEntryIcon(CFolderMenuItem* entry, const FileStamp* listedStamp) {
    LPCWSTR path = entry->m_paths.front().c_str();
    // A shortcut's target or a library's member asks the file system for its stamp.
    BOOL stamped = TRUE;
    if (listedStamp)
        entry->m_iconStamp = *listedStamp;
    else
        stamped = FileStamp::Read(path, &entry->m_iconStamp);
    entry->m_hTypeIcon =
        m_typeIcons.IconOf(path, entry->m_isFolder, stamped ? entry->m_iconStamp.attributes : INVALID_FILE_ATTRIBUTES);
    if (entry->m_hTypeIcon)
        return;
    // A shortcut's icon follows its target, which its own stamp does not show; it is read anew when
    // the shortcut changes or the program starts again.
    entry->m_hasIconStamp = stamped;
    if (stamped)
        entry->m_hIcon = m_reusable.Take(entry->m_paths.front(), entry->m_iconStamp);
    if (entry->m_hIcon)
        return;
    // Reading the file's own icon costs milliseconds; most entries of a large folder never show.
    entry->m_hTypeIcon = m_typeIcons.GenericIconOf(path, entry->m_isFolder);
    entry->m_iconPending = entry->m_hTypeIcon != nullptr;
    if (!entry->m_iconPending)
        FetchItemIcon(reinterpret_cast<ULONG_PTR>(entry));
}

HICON CFolderMenuIconSource::FetchItemIcon(ULONG_PTR key) {
    auto* entry = reinterpret_cast<CFolderMenuItem*>(key);
    entry->m_iconPending = FALSE;
    entry->m_hIcon.Reset(LoadEntryIcon(entry->m_paths.front().c_str()));
    CPopUpMenu::ForgetIcon(entry->m_hIcon.Get());
    entry->m_hasIconStamp = entry->m_hasIconStamp && entry->m_hIcon;
    if (!entry->m_hIcon)
        return nullptr;
    // A folder still unknown keeps its mark until its listing answers.
    entry->m_hShownIcon = entry->Icon();
    return entry->Icon();
}

HICON CFolderMenuIconSource::LoadEntryIcon(LPCWSTR path) {
    if (!IsShortcutExtension(FindExtension(path)))
        return m_shellIcons.SmallIconOf(path);
    if (HICON icon = LoadShortcutTargetIcon(path))
        return m_hideShortcutsOverlay ? icon : AddLinkOverlay(icon);
    if (m_hideShortcutsOverlay) {
        // The icon the shortcut names, or else its target's: neither carries the arrow.
        WCHAR target[kPathBufferLength] = L"";
        if (HICON icon = CFolderMenuShortcuts::LoadNamedIcon(path, target))
            return icon;
        if (HICON icon = target[0] ? m_shellIcons.SmallIconOf(target) : nullptr)
            return icon;
    }
    // A shortcut whose target is gone keeps its own icon, arrow and all.
    return AddLinkOverlay(m_shellIcons.SmallIconOf(path));
}

HICON CFolderMenuIconSource::LoadShortcutTargetIcon(LPCWSTR shortcutPath) {
    WCHAR target[kPathBufferLength];
    BOOL namesItsIcon = TRUE;
    if (!CFolderMenuShortcuts::ReadShortcutFile(shortcutPath, target, &namesItsIcon) || namesItsIcon)
        return nullptr;
    // Asking the shell about the shortcut itself reads the file and its target's icon anew, ten
    // milliseconds under Wine; a target of a common type shows the icon its type shares.
    DWORD attributes = GetFileAttributesW(target);
    BOOL isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (HICON shared = m_typeIcons.IconOf(target, isFolder, attributes))
        return CopyIcon(shared);
    return m_shellIcons.SmallIconOf(target);
}

HICON CFolderMenuIconSource::AddLinkOverlay(HICON icon) {
    // The shell gives a shortcut file's icon without the arrow its views draw over it.
    if (!icon)
        return nullptr;
    CIconHandle plain(icon);
    if (!m_linkOverlay)
        m_linkOverlay.Reset(LoadLinkOverlayIcon(m_iconSize));
    HICON marked = CreateIconWithOverlay(icon, m_linkOverlay.Get(), m_iconSize);
    return marked ? marked : plain.Detach();
}

HICON CFolderMenuIconSource::UnknownFolderIcon() {
    if (!m_unknownFolderIcon) {
        HICON folder = m_typeIcons.GenericIconOf(L"folder", TRUE);
        m_unknownFolderIcon.Reset(folder ? CPopUpMenu::CreateGrayIcon(folder) : nullptr);
        CPopUpMenu::ForgetIcon(m_unknownFolderIcon.Get());
    }
    return m_unknownFolderIcon.Get();
}

HICON CFolderMenuIconSource::LoadLinkOverlayIcon(int size) {
    int index = SHGetIconOverlayIndexW(nullptr, IDO_SHGIOI_LINK);
    if (HICON overlay = index >= 0 ? CreateSystemImageListIcon(index, size) : nullptr)
        return overlay;
    HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
    return static_cast<HICON>(
        LoadImageW(shell32, MAKEINTRESOURCEW(kShell32ShortcutArrowResource), IMAGE_ICON, size, size, 0));
}
