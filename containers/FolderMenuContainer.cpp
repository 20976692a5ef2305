#include "containers/FolderMenuContainer.h"

#include "lib/Dpi.h"
#include "lib/MonitorRect.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "config/SingleFolderOptions.h"
#include "config/SpecialPath.h"
#include "lib/FileSystem.h"
#include "lib/IdList.h"
#include "lib/StringCopy.h"
#include "lib/TextFormat.h"
#include "menus/FolderMenu.h"

#include <shlobj.h>

#include <cwchar>
#include <set>
#include <string>

namespace {

const DWORD kBalloonTimeoutMs = 15000;

// A directory of a "Multiple Folders Menu": special folders are created when missing (and may
// still not be directories), other paths must name an existing directory. FALSE skips it.
BOOL ResolveMergedDirectory(LPCWSTR directory, LPWSTR resolved) {
    if (wcsncmp(directory, L"::CSIDL:", 8) != 0)
        return ResolveSpecialPath(directory, resolved);
    int csidl = 0;
    if (!ParseSpecialPath(directory, &csidl))
        return FALSE;
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, resolved));
}

// The messages the shell's notifications may come with, one per container, so that containers
// watching through the same window each get their own. The range ends below the desktop
// container's message.
const UINT kChangeMessageCount = 96;

std::set<UINT>& ChangeMessagesInUse() {
    static std::set<UINT> inUse;
    return inUse;
}

// Past the fixed range, messages registered by name; the system has thousands of them, more
// than any configuration has items.
const UINT kRegisteredChangeMessageCount = 4096;

UINT ReserveChangeMessage() {
    for (UINT message = WM_SHELL_ITEM_CHANGE; message < WM_SHELL_ITEM_CHANGE + kChangeMessageCount; ++message) {
        if (ChangeMessagesInUse().insert(message).second)
            return message;
    }
    for (UINT number = 0; number < kRegisteredChangeMessageCount; ++number) {
        WCHAR name[48];
        swprintf(name, ARRAYSIZE(name), L"Pathwren folder change %u", number);
        UINT message = RegisterWindowMessageW(name);
        if (message && ChangeMessagesInUse().insert(message).second)
            return message;
    }
    return 0;
}

} // namespace

CFolderMenuContainer::CFolderMenuContainer(HINSTANCE instance, IContainerHost* host)
    : CContainerBase(instance, host), m_pFolderMenu(nullptr), m_pItem(nullptr), m_contentChanged(FALSE),
      m_hWatchedWindow(nullptr), m_buildCount(0), m_changeMessage(ReserveChangeMessage()) {
    // Until a click, a hotkey or the launch bar gives a place, menus open at the bottom right.
    RECT work = {};
    GetMonitorRect(0, &work, FALSE);
    m_showPoint.x = work.right;
    m_showPoint.y = work.bottom;
}

CFolderMenuContainer::~CFolderMenuContainer() {
    StopWatching();
    delete m_pFolderMenu;
    Deregister();
    ChangeMessagesInUse().erase(m_changeMessage);
}

BOOL CFolderMenuContainer::Initialize(CGenericPathwrenObject* item) {
    delete m_pFolderMenu;
    m_pFolderMenu = nullptr;
    StopWatching();
    m_pItem = item;
    AttachItemIcon(item);
    return CheckFolders();
}

BOOL CFolderMenuContainer::PrepareFolderMenu() {
    if (m_pFolderMenu)
        return m_pFolderMenu->GetRootMenu() != nullptr;
    if (!m_pItem)
        return FALSE;
    m_pFolderMenu = new CFolderMenu();
    m_pFolderMenu->ApplyItemSettings(*m_pItem);
    StartWatching();
    return Rebuild();
}

void CFolderMenuContainer::SetOwnerWindow(HWND window) {
    if (window == m_hOwnerWindow)
        return;
    StopWatching();
    CContainerBase::SetOwnerWindow(window);
    // A menu not made yet needs no watch: its first showing reads the folders as they are then.
    if (m_pItem && m_pFolderMenu)
        StartWatching();
}

BOOL CFolderMenuContainer::StartWatching() {
    m_contentChanged = FALSE;
    // Launch bar buttons get their owner window only after Initialize; the watch starts then.
    if (!m_hOwnerWindow || !m_pItem)
        return FALSE;
    StopWatching();
    m_hWatchedWindow = m_hOwnerWindow;
    SetTimer(m_hWatchedWindow, GetWatchIdentifier(), kFolderMenuRefreshPeriodMs, nullptr);
    m_watchHook.Install(m_hWatchedWindow, OwnerWindowProc, GetWatchIdentifier(), reinterpret_cast<DWORD_PTR>(this));
    if (!m_changeMessage)
        return FALSE;
    if (m_pItem->FolderPresentationType == FolderPresentationMultipleFoldersMenu)
        return RegisterMergedFolders();
    WCHAR folder[MAX_PATH];
    if (ResolveSpecialPath(m_pItem->Path, folder) && IsExistingDirectory(folder))
        RegisterPath(folder, m_hWatchedWindow, m_pItem->AllowSubFoldersNavigation, m_changeMessage);
    return m_changeRegistration != 0;
}

void CFolderMenuContainer::StopWatching() {
    Deregister();
    if (!m_hWatchedWindow)
        return;
    KillTimer(m_hWatchedWindow, GetWatchIdentifier());
    m_watchHook.Remove();
    m_hWatchedWindow = nullptr;
}

BOOL CFolderMenuContainer::RegisterMergedFolders() {
    std::vector<CIdList> idLists;
    std::vector<SHChangeNotifyEntry> entries;
    for (const MergedFolder& folder : *m_pItem->MergedFolders) {
        WCHAR resolved[MAX_PATH];
        if (!ResolveMergedDirectory(folder.Directory, resolved) || !IsExistingDirectory(resolved))
            continue;
        CIdList idList;
        if (FAILED(SHParseDisplayName(resolved, nullptr, idList.Receive(), 0, nullptr)))
            continue;
        entries.push_back({idList.Get(), m_pItem->IncludeSubFolders});
        idLists.push_back(std::move(idList));
    }
    Deregister();
    if (!entries.empty())
        m_changeRegistration =
            SHChangeNotifyRegister(m_hWatchedWindow, kShellChangeSources, kShellChangeEvents, m_changeMessage,
                                   static_cast<int>(entries.size()), entries.data());
    return m_changeRegistration != 0;
}

BOOL CFolderMenuContainer::Rebuild() {
    if (!m_pItem || !m_pFolderMenu)
        return FALSE;
    if (m_pItem->FolderPresentationType == FolderPresentationMultipleFoldersMenu)
        return RebuildMergedFolders();
    return RebuildSingleFolder();
}

BOOL CFolderMenuContainer::ResolveSingleFolder(LPWSTR folder) {
    if (!ResolveSpecialPath(m_pItem->Path, folder))
        return FALSE;
    if (!IsExistingDirectory(folder)) {
        ShowFolderError(folder);
        return FALSE;
    }
    return TRUE;
}

BOOL CFolderMenuContainer::CheckFolders() {
    if (m_pItem->FolderPresentationType != FolderPresentationMultipleFoldersMenu) {
        WCHAR folder[MAX_PATH];
        return ResolveSingleFolder(folder);
    }
    // Folders that are gone only leave their part of the menu empty.
    std::vector<MergedFolder> folders;
    CollectMergedFolders(folders);
    return TRUE;
}

BOOL CFolderMenuContainer::RebuildSingleFolder() {
    WCHAR folder[MAX_PATH];
    // A folder that has gone keeps the menu as it was: the user still sees what was there.
    if (!ResolveSingleFolder(folder))
        return FALSE;
    MergedFolder record = {};
    CopyTruncated(record.Directory, ARRAYSIZE(record.Directory), folder);
    ++m_buildCount;
    return m_pFolderMenu->Build(
        &record, 1,
        {m_pItem->IncludeSubFolders, m_pItem->AllowSubFoldersNavigation, m_pItem->AllowSubFoldersLinksNavigation});
}

BOOL CFolderMenuContainer::RebuildMergedFolders() {
    std::vector<MergedFolder> folders;
    CollectMergedFolders(folders);
    ++m_buildCount;
    return m_pFolderMenu->Build(
        folders.data(), static_cast<UINT>(folders.size()),
        {m_pItem->IncludeSubFolders, m_pItem->AllowSubFoldersNavigation, m_pItem->AllowSubFoldersLinksNavigation});
}

void CFolderMenuContainer::CollectMergedFolders(std::vector<MergedFolder>& folders) {
    for (const MergedFolder& stored : *m_pItem->MergedFolders) {
        MergedFolder record = stored;
        if (!ResolveMergedDirectory(stored.Directory, record.Directory))
            continue;
        if (!IsExistingDirectory(record.Directory)) {
            ShowFolderError(record.Directory);
            continue;
        }
        folders.push_back(record);
    }
}

void CFolderMenuContainer::ShowFolderError(LPCWSTR path) {
    if (!m_pNotifyIcon || !m_pLanguage)
        return;
    std::wstring text = FormatWithText(m_pLanguage->FolderNotFound, path);
    NOTIFYICONDATAW& data = m_pNotifyIcon->m_notifyIconData;
    CopyTruncated(data.szInfo, ARRAYSIZE(data.szInfo), text.c_str());
    CopyTruncated(data.szInfoTitle, ARRAYSIZE(data.szInfoTitle), L"Error");
    data.uTimeout = kBalloonTimeoutMs;
    data.dwInfoFlags = NIIF_ERROR;
    data.uFlags = NIF_INFO;
    m_pNotifyIcon->Modify();
}

BOOL CFolderMenuContainer::Show(BOOL) {
    PrepareFolderMenu();
    if (!m_pFolderMenu || !m_pFolderMenu->GetRootMenu())
        return FALSE;
    m_pFolderMenu->SetOwnerWindow(m_hOwnerWindow);
    // The menu was built before anyone knew where it would open; on a monitor of another scale
    // its icons are read again at that monitor's small icon size.
    int iconSize = GetSystemMetricForDpi(SM_CXSMICON, GetPointDpi(m_showPoint));
    if (iconSize != m_pFolderMenu->GetIconSize()) {
        m_pFolderMenu->SetIconSize(iconSize);
        Rebuild();
    }
    UINT chosen = m_pFolderMenu->GetRootMenu()->Track(m_showPoint.x, m_showPoint.y, m_hOwnerWindow, m_openUpward);
    BOOL result = m_pFolderMenu->RunCommand(chosen);
    // Submenus are read once per build, so the next showing must start from a fresh build.
    Rebuild();
    return result;
}

void CFolderMenuContainer::OnShellItemChange(LONG event, LPCWSTR, LPCWSTR) {
    if ((event & SHCNE_ASSOCCHANGED) && m_pFolderMenu)
        m_pFolderMenu->OnAssociationsChanged();
    m_contentChanged = TRUE;
}

LRESULT CALLBACK CFolderMenuContainer::OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                       UINT_PTR, DWORD_PTR referenceData) {
    auto* container = reinterpret_cast<CFolderMenuContainer*>(referenceData);
    if (message == WM_TIMER && wParam == container->GetWatchIdentifier()) {
        if (container->m_contentChanged) {
            container->m_contentChanged = FALSE;
            container->Rebuild();
        }
        return 1;
    }
    if (container->m_changeMessage && message == container->m_changeMessage) {
        container->HandleNotification(wParam, lParam);
        return 1;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
