#include "containers/ContainerBase.h"

#include "config/ApplicationOptions.h"
#include "config/Language.h"
#include "launchbar/LaunchBarPlacement.h"
#include "lib/Dpi.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"

#include <cwchar>

DWORD CContainerBase::s_trayRetryDelayMs = 6000;

namespace {

const int kTrayAddAttempts = 10;

// Tray icon identifiers are unique for the whole program run.
UINT g_nextTrayIdentifier = 0;

struct MenuEntry {
    LPCWSTR (*text)(const CLanguage&);
    UINT icon;
    ContainerMenuAction action;
    bool separatorAfter;
};

const MenuEntry kShowEntry = {[](const CLanguage& l) -> LPCWSTR { return l.Show; }, IDI_SHOW, ContainerMenuActionShow,
                              true};
const MenuEntry kCommonEntries[] = {
    {[](const CLanguage& l) -> LPCWSTR { return l.Options; }, IDI_OPTIONS, ContainerMenuActionOptions, true},
    {[](const CLanguage& l) -> LPCWSTR { return l.Help; }, IDI_HELP, ContainerMenuActionHelp, false},
    {[](const CLanguage& l) -> LPCWSTR { return l.About; }, IDI_ABOUT, ContainerMenuActionAbout, true},
    {[](const CLanguage& l) -> LPCWSTR { return l.CheckForUpdate; }, IDI_CHECK_FOR_UPDATE,
     ContainerMenuActionCheckForUpdate, true},
    {[](const CLanguage& l) -> LPCWSTR { return l.MakeADonation; }, IDI_DONATE, ContainerMenuActionDonate, true},
    {[](const CLanguage& l) -> LPCWSTR { return l.Exit; }, IDI_EXIT, ContainerMenuActionExit, false},
};

// The picture of items without an icon of their own: a hundred such items show one picture, not a
// hundred copies. Every container takes it from the same module, the program's.
CSharedResourceIcon& DefaultItemPictures(HINSTANCE instance) {
    static CSharedResourceIcon pictures(instance, MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER));
    return pictures;
}

} // namespace

CContainerBase::CContainerBase(HINSTANCE instance, IContainerHost* host)
    : m_hInstance(instance), m_hIcon(nullptr), m_hHotIcon(nullptr), m_hDownIcon(nullptr), m_pNotifyIcon(nullptr),
      m_pContextMenu(nullptr), m_pLanguage(nullptr), m_showPoint(), m_openUpward(TRUE), m_hDefaultIcon(nullptr),
      m_hOwnerWindow(nullptr), m_pHost(host) {}

CContainerBase::~CContainerBase() {
    delete m_pContextMenu;
    DeleteNotifyIcon();
    DestroyItemIcons();
}

void CContainerBase::DestroyItemIcons() {
    m_hIcon = m_hHotIcon = m_hDownIcon = nullptr;
    m_extractedIcons[0].Reset();
    m_extractedIcons[1].Reset();
    m_extractedIcons[2].Reset();
    m_defaultPicture.reset();
}

HICON CContainerBase::AttachExtractedIcon(int slot, LPCWSTR path, int index, int size, HICON fallback) {
    m_extractedIcons[slot] = ExtractItemIcon(path, index, size);
    return m_extractedIcons[slot] ? m_extractedIcons[slot].Get() : fallback;
}

void CContainerBase::DeleteNotifyIcon() {
    if (!m_pNotifyIcon)
        return;
    if (m_hOwnerWindow == m_pNotifyIcon->m_hWnd)
        m_hOwnerWindow = nullptr;
    m_pNotifyIcon->Destroy();
    m_pNotifyIcon = nullptr;
}

BOOL CContainerBase::OnNotifyIconLeftClick(CNotifyIcon*, POINT cursor) {
    m_showPoint = cursor;
    m_openUpward = TRUE;
    Show(TRUE);
    return ReturnFocusToTray();
}

BOOL CContainerBase::OnNotifyIconRightClick(CNotifyIcon*, POINT cursor) {
    return ShowContextMenu(cursor, TRUE);
}

BOOL CContainerBase::OnNotifyIconDoubleClick(CNotifyIcon* notifyIcon, POINT cursor) {
    return OnNotifyIconLeftClick(notifyIcon, cursor);
}

void CContainerBase::ShowFromLaunchBar(POINT point, BOOL openUpward) {
    SetShowPoint(point, openUpward);
    Show(TRUE);
}

BOOL CContainerBase::OnHotKey() {
    GetCursorPos(&m_showPoint);
    return Show(FALSE);
}

BOOL CContainerBase::InLaunchBarMode() const {
    return m_pHost && m_pHost->GetOptions() && m_pHost->GetOptions()->LaunchMode == LaunchModeLaunchBar;
}

int CContainerBase::ItemIconSize() const {
    // Taken at the size the bar draws its buttons, so that they are never stretched.
    if (InLaunchBarMode()) {
        const CLaunchBarOptions& bar = m_pHost->GetOptions()->LaunchBarOptions;
        return static_cast<int>(ScaleLaunchBarOptions(bar, GetLaunchBarDpi(bar)).IconSize);
    }
    // The notification area shows small icons at the system DPI, whatever monitor it is on.
    return GetSystemMetrics(SM_CXSMICON);
}

CIconHandle CContainerBase::ExtractItemIcon(LPCWSTR path, int index, int size) const {
    HICON icon = nullptr;
    if (!path || !*path)
        return CIconHandle();
    UINT extracted = PrivateExtractIconsW(path, index, size, size, &icon, nullptr, 1, 0);
    return CIconHandle((extracted >= 1 && extracted != 0xFFFFFFFF) ? icon : nullptr);
}

BOOL CContainerBase::AttachItemIcon(CGenericPathwrenObject* item) {
    m_pIconItem = item;
    if (!TakeItemIcons(ItemIconSize()))
        return FALSE;
    DeleteNotifyIcon();
    if (InLaunchBarMode())
        return TRUE;
    WCHAR displayName[MAX_PATH];
    item->GetDisplayName(displayName);
    return AddTrayIcon(displayName);
}

BOOL CContainerBase::TakeItemIcons(int size) {
    DestroyItemIcons();
    const CGenericPathwrenObject* item = m_pIconItem;
    if (!item)
        return FALSE;
    // The hot and down icons fall back to the normal icon, and the normal icon to the application's
    // default icon, which the container never destroys.
    m_hIcon = AttachExtractedIcon(0, item->AssociatedIconPath, item->AssociatedIconIndex, size, m_hDefaultIcon);
    // An item without an icon of its own shows the default picture taken at the size it is shown
    // at, for the shell or the bar not to stretch a picture of another size.
    if (!m_extractedIcons[0]) {
        CSharedResourceIcon& pictures = DefaultItemPictures(m_hInstance);
        m_defaultPicture = InLaunchBarMode() ? pictures.AtSize(size) : pictures.Small();
        if (m_defaultPicture)
            m_hIcon = m_defaultPicture->Get();
    }
    if (!m_hIcon || !InLaunchBarMode())
        return m_hIcon != nullptr;
    m_hHotIcon = AttachExtractedIcon(1, item->AssociatedHotIconPath, item->AssociatedHotIconIndex, size, m_hIcon);
    m_hDownIcon = AttachExtractedIcon(2, item->AssociatedDownIconPath, item->AssociatedDownIconIndex, size, m_hIcon);
    return TRUE;
}

void CContainerBase::TakeIconsAtSize(int size, HICON* images) {
    TakeItemIcons(size);
    GetLaunchBarImages(images);
}

void CContainerBase::GetLaunchBarImages(HICON* images) const {
    images[ToolbarButtonNormal] = m_hIcon;
    images[ToolbarButtonHot] = m_hHotIcon;
    images[ToolbarButtonPressed] = m_hDownIcon;
    images[ToolbarButtonDisabled] = m_hIcon;
}

BOOL CContainerBase::AddTrayIcon(LPCWSTR tooltip) {
    m_pNotifyIcon = new CNotifyIcon(m_hInstance, this, m_hIcon, g_nextTrayIdentifier++, tooltip);
    m_pNotifyIcon->Create();
    m_hOwnerWindow = m_pNotifyIcon->m_hWnd;
    // At logon the notification area may not exist yet; the icon keeps trying for about a minute.
    m_pNotifyIcon->AddWithRetries(kTrayAddAttempts, s_trayRetryDelayMs);
    return TRUE;
}

BOOL CContainerBase::BuildMenu(CLanguage* language, BOOL withShowEntry) {
    m_pLanguage = language;
    delete m_pContextMenu;
    m_pContextMenu = new CPopUpMenu();
    m_commandMap.clear();
    // Without texts there is nothing to show; the container still works by click and hotkey.
    if (!language)
        return TRUE;
    auto append = [&](const MenuEntry& entry) {
        UINT commandId = m_pContextMenu->AppendIconItem(entry.text(*language), entry.icon, m_hInstance);
        if (commandId)
            AddMenuAction(commandId, entry.action);
        if (entry.separatorAfter)
            m_pContextMenu->AppendSeparator();
    };
    if (withShowEntry)
        append(kShowEntry);
    for (const MenuEntry& entry : kCommonEntries)
        append(entry);
    return TRUE;
}

int CContainerBase::GetMenuAction(UINT commandId) const {
    auto found = m_commandMap.find(commandId);
    return found == m_commandMap.end() ? -1 : static_cast<int>(found->second);
}

CPopUpMenu* CContainerBase::PrepareContextMenu() {
    if (!m_pContextMenu)
        BuildContextMenu(m_pLanguage);
    return m_pContextMenu;
}

BOOL CContainerBase::ShowContextMenu(POINT point, BOOL openUpward) {
    m_showPoint = point;
    m_openUpward = openUpward;
    if (!PrepareContextMenu())
        return TRUE;
    UINT chosen = m_pContextMenu->Track(point.x, point.y, m_hOwnerWindow, openUpward);
    if (chosen == 0)
        return FALSE;
    auto found = m_commandMap.find(chosen);
    if (found == m_commandMap.end() || found->second > ContainerMenuActionExit)
        return TRUE;
    return RunMenuAction(found->second);
}

BOOL CContainerBase::RunMenuAction(UINT action) {
    switch (action) {
        case ContainerMenuActionShow:
            Show(FALSE);
            return ReturnFocusToTray();
        case ContainerMenuActionToggleMaximize:
            ToggleMaximize();
            return FALSE;
        case ContainerMenuActionOptions:
            return RunApplicationCommand(ApplicationCommandOptions, FALSE);
        case ContainerMenuActionExit:
            return RunApplicationCommand(ApplicationCommandExit, TRUE);
        case ContainerMenuActionHelp:
            return RunApplicationCommand(ApplicationCommandHelp, FALSE);
        case ContainerMenuActionAbout:
            return RunApplicationCommand(ApplicationCommandAbout, FALSE);
        case ContainerMenuActionDonate:
            return RunApplicationCommand(ApplicationCommandDonate, FALSE);
        case ContainerMenuActionCheckForUpdate:
            return RunApplicationCommand(ApplicationCommandCheckForUpdate, FALSE);
        default:
            return FALSE;
    }
}

BOOL CContainerBase::RunApplicationCommand(ApplicationCommand command, BOOL result) {
    if (m_pHost)
        m_pHost->RunApplicationCommand(command);
    return result;
}
