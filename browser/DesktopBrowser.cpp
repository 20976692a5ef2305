#include "browser/DesktopBrowser.h"

#include "lib/ComPtr.h"
#include "lib/Dpi.h"
#include "lib/MonitorRect.h"
#include "lib/RegistryKey.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace {

const wchar_t kHideDesktopIconsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\";
// Hidden on every desktop whatever the settings say.
const wchar_t* const kAlwaysHidden[] = {L"::{26EE0668-A00A-44D7-9371-BEB064C98683}",
                                        L"::{5399E694-6CE5-4D6C-8FCE-1D8870FDCBA0}"};
const UINT kSmallIconsViewMode = 2, kIconsViewMode = 0, kMediumIconsViewMode = 5;

CIdList ParseOnDesktop(IShellFolder* desktop, LPCWSTR name) {
    CIdList item;
    WCHAR text[MAX_PATH];
    lstrcpynW(text, name, MAX_PATH);
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, text, nullptr, item.Receive(), nullptr)))
        item.Reset();
    return item;
}

// Applies one key's REG_DWORD values: a machine value only adds; a user value adds, or with 0
// takes back what the machine hid.
void ApplyHideValues(HKEY root, LPCWSTR keyName, BOOL userKey, IShellFolder* desktop, std::vector<CIdList>* hidden) {
    CRegistryKey key;
    if (RegOpenKeyW(root, keyName, key.Receive()) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        WCHAR name[MAX_PATH] = L"::";
        DWORD nameLength = MAX_PATH - 2, type = 0, value = 0, valueSize = sizeof(value);
        LONG status = RegEnumValueW(key.Get(), index, name + 2, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(&value), &valueSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        // The key's unnamed value would parse as "::", the desktop itself.
        if (status != ERROR_SUCCESS || type != REG_DWORD || valueSize != sizeof(value) || nameLength == 0)
            continue;
        CIdList item = ParseOnDesktop(desktop, name);
        if (!item)
            continue;
        auto listed = hidden->begin();
        while (listed != hidden->end() && !ILIsEqual(listed->Get(), item.Get()))
            ++listed;
        if (listed != hidden->end()) {
            if (userKey && value == 0)
                hidden->erase(listed);
        } else if (value != 0) {
            hidden->push_back(std::move(item));
        }
    }
}

} // namespace

std::vector<CIdList> LoadHiddenDesktopItems(IShellFolder* desktop) {
    std::vector<CIdList> hidden;
    if (!desktop)
        return hidden;
    SHELLSTATEW state = {};
    SHGetSetSettings(&state, SSF_STARTPANELON, FALSE);
    std::wstring keyName = kHideDesktopIconsKey;
    keyName += state.fStartPanelOn ? L"NewStartPanel" : L"ClassicStartMenu";
    ApplyHideValues(HKEY_LOCAL_MACHINE, keyName.c_str(), FALSE, desktop, &hidden);
    ApplyHideValues(HKEY_CURRENT_USER, keyName.c_str(), TRUE, desktop, &hidden);
    for (LPCWSTR name : kAlwaysHidden)
        if (CIdList item = ParseOnDesktop(desktop, name))
            hidden.push_back(std::move(item));
    return hidden;
}

BOOL IsHiddenDesktopItem(const std::vector<CIdList>& hidden, PCUITEMID_CHILD child) {
    for (const CIdList& item : hidden)
        if (ILIsEqual(item.Get(), reinterpret_cast<PCIDLIST_ABSOLUTE>(child)))
            return TRUE;
    return FALSE;
}

CDesktopBrowser::CDesktopBrowser(HWND parentWindow, const FOLDERSETTINGS* folderSettings)
    : CShellBrowserEx(parentWindow, folderSettings), m_userViewMode(ViewModeFromFolderSettings(folderSettings)) {
    InitializeCriticalSection(&m_layoutLock);
    InitializeCriticalSection(&m_labelsLock);
    SHGetFolderLocation(parentWindow, CSIDL_DESKTOP, nullptr, 0, m_desktopIdList.Receive());
    m_showDriveRoots = FALSE;
    CComPtr<IShellFolder> desktop;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop)))
        m_hiddenItems = LoadHiddenDesktopItems(desktop.Get());
}

CDesktopBrowser::~CDesktopBrowser() {
    RemoveLabelSubclasses();
    DeleteCriticalSection(&m_labelsLock);
    DeleteCriticalSection(&m_layoutLock);
}

STDMETHODIMP CDesktopBrowser::IncludeObject(IShellView* view, PCUITEMID_CHILD child) {
    if (m_showingDesktop && child && IsHiddenDesktopItem(m_hiddenItems, child))
        return S_FALSE;
    return CShellBrowserEx::IncludeObject(view, child);
}

DesktopMirrorGeometry CDesktopBrowser::Geometry() const {
    DesktopMirrorGeometry geometry;
    geometry.workAreas = m_layoutWorkAreas.empty() ? GetMonitorWorkAreas() : m_layoutWorkAreas;
    geometry.allIconsOnFirstMonitor = m_allIconsOnFirstMonitor;
    geometry.view = m_viewRect;
    geometry.dpi = GetWindowDpi(m_listView);
    geometry.scrollBars = {GetSystemMetricForDpi(SM_CXVSCROLL, geometry.dpi),
                           GetSystemMetricForDpi(SM_CYHSCROLL, geometry.dpi)};
    geometry.compact = m_compact;
    return geometry;
}

BOOL CDesktopBrowser::IsSmallWindow() const {
    return IsSmallMirror(Geometry());
}

void CDesktopBrowser::SendViewModeCommand(UINT viewMode) {
    // Raised so that our own switch does not read as the user's choice, which ends the mirror.
    m_switchingViewMode = TRUE;
    SendMessageW(m_viewWindow, WM_COMMAND, static_cast<WPARAM>(ViewCommand(viewMode)), 0);
    m_switchingViewMode = FALSE;
}

void CDesktopBrowser::OnBeforeBrowse(PCIDLIST_ABSOLUTE location) {
    // The view is about to be built anew: its items, labels and subclasses go with the old one.
    if (m_mirroring && m_showingDesktop) {
        LeaveCompactLayout();
        RemoveLabelSubclasses();
    }
    if (location && m_desktopIdList && ILIsEqual(location, m_desktopIdList.Get())) {
        m_showingDesktop = m_mirroring = TRUE;
        m_compact = IsSmallWindow();
        m_showDriveRoots = FALSE;
    } else {
        m_showDriveRoots = TRUE;
        m_showingDesktop = m_mirroring = FALSE;
    }
    // The view is built in the mode it will show: a list has no places to set, and a view that
    // ignores the mode commands (Wine's ignores those from Vista on) would stay a list.
    m_viewMode = m_mirroring ? (m_compact ? kSmallIconsViewMode : kIconsViewMode) : m_userViewMode;
    FolderSettingsFromViewMode(m_viewMode, &m_folderSettings);
}

void CDesktopBrowser::OnViewWindowCreated() {
    m_labelsHidden = FALSE;
    m_layoutRereadsLeft = kLayoutRereads;
    if (!m_mirroring) {
        SendViewModeCommand(m_userViewMode < ShellBrowserViewModeCount ? m_userViewMode : 0);
        CShellBrowserEx::OnViewWindowCreated();
        return;
    }
    if (m_listView)
        SetWindowTheme(m_listView, nullptr, L"");
    CComPtr<IShellFolder> desktop;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop)))
        m_hiddenItems = LoadHiddenDesktopItems(desktop.Get());
    m_compact = IsSmallWindow();
    SendLayoutViewMode(m_compact ? kSmallIconsViewMode : kIconsViewMode);
    CShellBrowserEx::OnViewWindowCreated();
    SetUpLayout();
    PlaceAllItems();
}

void CDesktopBrowser::SetViewRect(const RECT& rect) {
    if (EqualRect(&rect, &m_viewRect))
        return;
    RECT old = m_viewRect;
    BOOL growing = rect.right - rect.left >= old.right - old.left && rect.bottom - rect.top >= old.bottom - old.top;
    // A growing view is resized first so that the icons are placed into room that exists; a
    // shrinking one places them first, so that none is pushed about by the shrinking edge.
    if (growing || !m_mirroring)
        CShellBrowserEx::SetViewRect(rect);
    if (!m_mirroring)
        return;
    m_viewRect = rect;
    BOOL compact = IsSmallWindow();
    if (compact != m_compact) {
        if (!compact)
            LeaveCompactLayout();
        m_compact = compact;
        // Before Vista the view has no medium icons: its plain icons are that size.
        UINT normal = ViewCommand(kMediumIconsViewMode) != -1 ? kMediumIconsViewMode : kIconsViewMode;
        SendLayoutViewMode(compact ? kSmallIconsViewMode : normal);
        SetUpLayout();
    }
    PlaceAllItems();
    if (!growing) {
        m_viewRect = old;
        CShellBrowserEx::SetViewRect(rect);
    }
}

HRESULT CDesktopBrowser::Refresh() {
    if (!m_mirroring)
        return CShellBrowserEx::Refresh();
    if (!m_location)
        return E_FAIL;
    ReadDesktopLayout();
    CIdList location(ILClone(m_location.Get()));
    SetRebrowseSameLocation(TRUE);
    HRESULT result = BrowseObject(location.Get(), SBSP_SAMEBROWSER | SBSP_ABSOLUTE);
    SetRebrowseSameLocation(FALSE);
    return result;
}

void CDesktopBrowser::OnViewModeCommand(UINT viewMode, WPARAM, LPARAM) {
    if (m_switchingViewMode)
        return;
    m_userViewMode = viewMode;
    if (m_mirroring && m_showingDesktop)
        StopMirroring();
}

void CDesktopBrowser::StopMirroring() {
    LeaveCompactLayout();
    RemoveLabelSubclasses();
    m_mirroring = FALSE;
}
