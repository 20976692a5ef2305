#include "menus/FolderMenuIconSource.h"

#include "lib/BackgroundWork.h"
#include "lib/IconOverlay.h"
#include "lib/SystemImageList.h"
#include "menus/FolderMenuItem.h"
#include "menus/FolderMenuLevel.h"
#include "menus/FolderMenuPaths.h"
#include "menus/FolderMenuShortcuts.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// Where the shell keeps no overlay of its own for links (Wine), its arrow comes from the icon
// resource the shell draws it from.
const int kShell32ShortcutArrowResource = 30;

// A screen of items reads in two or three batches: the first icons show before the last are read.
const size_t kIconsPerBatch = 12;

std::atomic<DWORD> g_iconReadingDelayMs{0};

} // namespace

struct CFolderMenuIconSource::ReadIcons {
    UINT generation = 0;
    std::vector<Request> requests;
    std::vector<CIconHandle> icons; // one per request, filled on the worker
};

CFolderMenuIconSource::CFolderMenuIconSource(std::shared_ptr<CBackgroundWork> workers)
    : m_background(std::move(workers)), m_self(std::make_shared<CFolderMenuIconSource*>(this)) {}

CFolderMenuIconSource::~CFolderMenuIconSource() = default;

void CFolderMenuIconSource::SetIconReadingDelay(DWORD milliseconds) {
    g_iconReadingDelayMs = milliseconds;
}

void CFolderMenuIconSource::StartBuild() {
    m_reusable.Clear();
    ++m_generation;
    m_queued.clear();
    m_reading.clear();
}

void CFolderMenuIconSource::Forget(CFolderMenuItem* entry) {
    m_reading.erase(entry);
    m_queued.erase(std::remove_if(m_queued.begin(), m_queued.end(),
                                  [entry](const Request& request) { return request.entry == entry; }),
                   m_queued.end());
}

void CFolderMenuIconSource::SetIconSize(int size) {
    if (size <= 0 || size == m_iconSize)
        return;
    m_iconSize = size;
    m_stale = TRUE;
    // Marked icons are copies: the arrow of the old size is no longer needed.
    m_linkOverlay.reset();
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
        ReadIconNow(entry);
}

HICON CFolderMenuIconSource::FetchItemIcon(ULONG_PTR key) {
    auto* entry = reinterpret_cast<CFolderMenuItem*>(key);
    entry->m_iconPending = FALSE;
    m_queued.push_back({entry, entry->m_paths.front()});
    ReadQueuedIcons();
    return nullptr;
}

void CFolderMenuIconSource::ReadIconNow(CFolderMenuItem* entry) {
    entry->m_iconPending = FALSE;
    Reading reading = {&m_shellIcons, &m_typeIcons, nullptr, m_iconSize, m_hideShortcutsOverlay};
    if (IsShortcutExtension(FindExtension(entry->m_paths.front().c_str())))
        reading.linkOverlay = LinkOverlay();
    TakeIcon(entry, CIconHandle(ReadOwnIcon(entry->m_paths.front().c_str(), reading)));
}

void CFolderMenuIconSource::TakeIcon(CFolderMenuItem* entry, CIconHandle icon) {
    entry->m_hIcon = std::move(icon);
    CPopUpMenu::ForgetIcon(entry->m_hIcon.Get());
    entry->m_hasIconStamp = entry->m_hasIconStamp && entry->m_hIcon;
}

void CFolderMenuIconSource::OnMenuSettled() {
    m_heldUntilSettled = FALSE;
    ReadQueuedIcons();
}

void CFolderMenuIconSource::ReadQueuedIcons() {
    if (m_batchRunning || m_heldUntilSettled || m_queued.empty())
        return;
    auto read = std::make_shared<ReadIcons>();
    read->generation = m_generation;
    size_t count = std::min(m_queued.size(), kIconsPerBatch);
    read->requests.assign(m_queued.begin(), m_queued.begin() + static_cast<ptrdiff_t>(count));
    m_queued.erase(m_queued.begin(), m_queued.begin() + static_cast<ptrdiff_t>(count));
    read->icons.resize(count);
    BOOL anyShortcut = FALSE;
    for (const Request& request : read->requests) {
        m_reading.insert(request.entry);
        anyShortcut = anyShortcut || IsShortcutExtension(FindExtension(request.path.c_str()));
    }
    // The arrow is loaded here, where the menu's icons are made; the workers only draw it.
    std::shared_ptr<CIconHandle> overlay;
    if (anyShortcut && LinkOverlay())
        overlay = m_linkOverlay;
    int iconSize = m_iconSize;
    BOOL hideOverlay = m_hideShortcutsOverlay;
    std::weak_ptr<CFolderMenuIconSource*> asker = m_self;
    m_batchRunning = m_background->Submit(
        [read, overlay, iconSize, hideOverlay] {
            // Each batch binds its folders anew: the shell's folder objects stay on the thread
            // that made them.
            CFolderMenuShellIcons shellIcons;
            shellIcons.SetIconSize(iconSize);
            Reading reading = {&shellIcons, nullptr, overlay ? overlay->Get() : nullptr, iconSize, hideOverlay};
            for (size_t index = 0; index < read->requests.size(); ++index) {
                if (DWORD delay = g_iconReadingDelayMs.load())
                    Sleep(delay);
                read->icons[index].Reset(ReadOwnIcon(read->requests[index].path.c_str(), reading));
            }
        },
        [asker, read] {
            if (std::shared_ptr<CFolderMenuIconSource*> self = asker.lock())
                (*self)->OnIconsRead(*read);
        });
    if (m_batchRunning)
        return;
    // Without a worker the icons are read here, as they were before there were any.
    for (const Request& request : read->requests) {
        m_reading.erase(request.entry);
        ReadIconNow(request.entry);
        if (request.entry->m_hIcon && m_pArrival)
            m_pArrival->OnEntryIconRead(request.entry);
    }
}

void CFolderMenuIconSource::OnIconsRead(ReadIcons& read) {
    m_batchRunning = FALSE;
    for (size_t index = 0; read.generation == m_generation && index < read.requests.size(); ++index) {
        CFolderMenuItem* entry = read.requests[index].entry;
        // An entry gone since may have left its address to a new one.
        if (!m_reading.erase(entry) || entry->m_paths.front() != read.requests[index].path)
            continue;
        TakeIcon(entry, std::move(read.icons[index]));
        if (entry->m_hIcon && m_pArrival)
            m_pArrival->OnEntryIconRead(entry);
    }
    ReadQueuedIcons();
}

HICON CFolderMenuIconSource::LinkOverlay() {
    if (!m_linkOverlay)
        m_linkOverlay = std::make_shared<CIconHandle>(LoadLinkOverlayIcon(m_iconSize));
    return m_linkOverlay->Get();
}

HICON CFolderMenuIconSource::ReadOwnIcon(LPCWSTR path, const Reading& reading) {
    CFolderMenuShellIcons& shellIcons = *reading.shellIcons;
    if (!IsShortcutExtension(FindExtension(path)))
        return shellIcons.SmallIconOf(path);
    if (HICON icon = ReadShortcutTargetIcon(path, reading))
        return reading.hideShortcutsOverlay ? icon : AddLinkOverlay(icon, reading);
    if (reading.hideShortcutsOverlay) {
        // The icon the shortcut names, or else its target's: neither carries the arrow.
        WCHAR target[kPathBufferLength] = L"";
        if (HICON icon = CFolderMenuShortcuts::LoadNamedIcon(path, target))
            return icon;
        if (HICON icon = target[0] ? shellIcons.SmallIconOf(target) : nullptr)
            return icon;
    }
    // A shortcut whose target is gone keeps its own icon, arrow and all.
    return AddLinkOverlay(shellIcons.SmallIconOf(path), reading);
}

HICON CFolderMenuIconSource::ReadShortcutTargetIcon(LPCWSTR shortcutPath, const Reading& reading) {
    WCHAR target[kPathBufferLength];
    BOOL namesItsIcon = TRUE;
    if (!CFolderMenuShortcuts::ReadShortcutFile(shortcutPath, target, &namesItsIcon) || namesItsIcon)
        return nullptr;
    // Asking the shell about the shortcut itself reads the file and its target's icon anew, ten
    // milliseconds under Wine; a target of a common type shows the icon its type shares, where
    // the shared icons are at hand.
    DWORD attributes = GetFileAttributesW(target);
    BOOL isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (HICON shared = reading.typeIcons ? reading.typeIcons->IconOf(target, isFolder, attributes) : nullptr)
        return CopyIcon(shared);
    return reading.shellIcons->SmallIconOf(target);
}

HICON CFolderMenuIconSource::AddLinkOverlay(HICON icon, const Reading& reading) {
    // The shell gives a shortcut file's icon without the arrow its views draw over it.
    if (!icon)
        return nullptr;
    CIconHandle plain(icon);
    HICON marked = reading.linkOverlay ? CreateIconWithOverlay(icon, reading.linkOverlay, reading.iconSize) : nullptr;
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
