#include "containers/DesktopBrowserContainer.h"

#include "app/Pathwren.h"
#include "lib/IdList.h"

#include <shlobj.h>

CDesktopBrowserContainer::CDesktopBrowserContainer(HINSTANCE instance, CPathwren* application)
    : CShellBrowserContainer(instance, application) {}

CDesktopBrowserContainer::~CDesktopBrowserContainer() {
    // The view first, while the window it lives in still exists; then no change may reach us.
    m_browser.reset();
    Deregister();
}

CShellBrowserEx* CDesktopBrowserContainer::CreateBrowser(const FOLDERSETTINGS& settings) {
    return new CDesktopBrowser(m_window, &settings);
}

HRESULT CDesktopBrowserContainer::BrowseHome() {
    return m_browser->BrowseToDesktop();
}

BOOL CDesktopBrowserContainer::GoHome() {
    return !m_browser || SUCCEEDED(m_browser->BrowseToDesktop());
}

BOOL CDesktopBrowserContainer::Initialize(CGenericPathwrenObject* item) {
    if (!CShellBrowserContainer::Initialize(item))
        return FALSE;
    // Children only: a change deep inside a desktop folder moves no icon. Without the watch the
    // mirror still works, it only follows changes at the next refresh.
    CIdList desktopDirectory;
    if (SUCCEEDED(SHGetSpecialFolderLocation(m_window, CSIDL_DESKTOPDIRECTORY, desktopDirectory.Receive())))
        RegisterIdList(desktopDirectory.Get(), m_window, WM_DESKTOP_DIRECTORY_CHANGE, FALSE);
    return TRUE;
}

LRESULT CDesktopBrowserContainer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESKTOP_DIRECTORY_CHANGE) {
        HandleNotification(wParam, lParam);
        return 0;
    }
    return CShellBrowserContainer::WindowProc(window, message, wParam, lParam);
}

void CDesktopBrowserContainer::OnShellItemChange(LONG, LPCWSTR, LPCWSTR) {
    // The user is working in the mirror: a rebuild now would pull the view away under the mouse.
    // The next refresh catches up.
    if (!m_window || GetForegroundWindow() == m_window)
        return;
    // The same way as the user's refresh key, so the refresh takes the key's one path.
    MSG key = {m_window, WM_TRANSLATE_ACCELERATOR, VK_BROWSER_REFRESH, 0, GetTickCount(), {0, 0}};
    SendMessageW(m_window, WM_TRANSLATE_ACCELERATOR, 0, reinterpret_cast<LPARAM>(&key));
}
