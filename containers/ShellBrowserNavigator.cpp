#include "containers/ShellBrowserNavigator.h"

#include "config/SpecialPath.h"

#include <shlobj.h>

#include <cwchar>

CShellBrowserNavigator::CShellBrowserNavigator(IShellBrowserNavigatorEvents* events)
    : m_events(events), m_viewWindow(nullptr), m_listView(nullptr), m_atHome(FALSE), m_viewMode(0),
      m_changingViewMode(FALSE), m_currentPath(), m_homePath() {}

void CShellBrowserNavigator::Attach(CShellBrowserEx* browser, LPCWSTR itemPath, UINT viewMode) {
    m_browser.reset(browser);
    ResolveSpecialPath(itemPath, m_currentPath);
    m_browser->SetDefaultCommandCallback(OnDefaultCommand, this);
    m_browser->SetBrowseStartingCallback(OnBrowseStarting, this);
    m_browser->SetBrowseCompletedCallback(OnBrowseCompleted, this);
    m_browser->SetViewModeChangedCallback(OnViewModeChanged, this);
    m_browser->SetViewLostCallback(OnViewLost, this);
    m_viewMode = viewMode;
}

void CShellBrowserNavigator::Release() {
    m_browser.reset();
    m_viewWindow = m_listView = nullptr;
}

HRESULT CShellBrowserNavigator::BrowseHome(LPCWSTR itemPath) {
    if (!ResolveSpecialPath(itemPath, m_homePath))
        return E_FAIL;
    return m_browser->BrowseToPath(m_homePath);
}

BOOL CShellBrowserNavigator::GoTo(LPCWSTR itemPath) {
    if (!m_browser)
        return TRUE;
    WCHAR home[MAX_PATH];
    if (!ResolveSpecialPath(itemPath, home))
        return FALSE;
    return SUCCEEDED(m_browser->BrowseToPath(home));
}

BOOL CShellBrowserNavigator::Navigate(UINT flags) {
    return m_browser && SUCCEEDED(m_browser->BrowseObject(nullptr, flags | SBSP_SAMEBROWSER));
}

BOOL CShellBrowserNavigator::UpdateAtHome(PCIDLIST_ABSOLUTE location) {
    if (!SHGetPathFromIDListW(location, m_currentPath))
        m_currentPath[0] = L'\0';
    BOOL atHome = m_currentPath[0] && _wcsicmp(m_currentPath, m_homePath) == 0;
    BOOL changed = atHome != m_atHome;
    m_atHome = atHome;
    return changed;
}

void CShellBrowserNavigator::ShowInMode(UINT viewMode) {
    LONG_PTR command = m_browser->ViewCommand(viewMode);
    if (m_viewMode == viewMode || command == -1)
        return;
    m_changingViewMode = TRUE;
    SendMessageW(m_viewWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
    m_changingViewMode = FALSE;
}

void CShellBrowserNavigator::ShowInUsersMode() {
    LONG_PTR command = m_browser->ViewCommand(m_viewMode);
    if (command != -1)
        SendMessageW(m_viewWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

void CShellBrowserNavigator::OnDefaultCommand(void* context) {
    static_cast<CShellBrowserNavigator*>(context)->m_events->OnNavigatorDefaultCommand();
}

void CShellBrowserNavigator::OnBrowseStarting(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation,
                                              void* context) {
    static_cast<CShellBrowserNavigator*>(context)->m_events->OnNavigatorBrowseStarting(oldLocation, newLocation);
}

void CShellBrowserNavigator::OnBrowseCompleted(PCIDLIST_ABSOLUTE location, void* context) {
    auto* self = static_cast<CShellBrowserNavigator*>(context);
    self->m_viewWindow = self->m_browser->ViewWindow();
    self->m_listView = self->m_browser->ListView();
    self->m_events->OnNavigatorBrowseCompleted(location);
}

void CShellBrowserNavigator::OnViewModeChanged(HWND, UINT viewMode, void* context) {
    auto* self = static_cast<CShellBrowserNavigator*>(context);
    self->m_events->OnNavigatorViewModeChanged(viewMode);
    if (!self->m_changingViewMode)
        self->m_viewMode = viewMode;
}

void CShellBrowserNavigator::OnViewLost(void* context) {
    auto* self = static_cast<CShellBrowserNavigator*>(context);
    // Handles of destroyed windows may soon name other windows; keys, sizes and saves must find none.
    self->m_viewWindow = self->m_listView = nullptr;
    self->m_events->OnNavigatorViewLost();
}
