#include "containers/DesktopBrowserContainer.h"

#include "browser/DesktopBrowserXP.h"
#include "lib/IdList.h"

#include <shlobj.h>

template <class BrowserContainer>
TDesktopBrowserContainer<BrowserContainer>::TDesktopBrowserContainer(HINSTANCE instance, IContainerHost* host)
    : BrowserContainer(instance, host) {}

template <class BrowserContainer> TDesktopBrowserContainer<BrowserContainer>::~TDesktopBrowserContainer() {
    // The view first, while the window it lives in still exists; then no change may reach us.
    this->m_browser.reset();
    Deregister();
}

template <class BrowserContainer>
CShellBrowserEx* TDesktopBrowserContainer<BrowserContainer>::CreateBrowser(const FOLDERSETTINGS& settings) {
    return new CDesktopBrowser(this->m_window, &settings);
}

template <class BrowserContainer> HRESULT TDesktopBrowserContainer<BrowserContainer>::BrowseHome() {
    return this->m_browser->BrowseToDesktop();
}

template <class BrowserContainer> BOOL TDesktopBrowserContainer<BrowserContainer>::GoHome() {
    return !this->m_browser || SUCCEEDED(this->m_browser->BrowseToDesktop());
}

template <class BrowserContainer>
BOOL TDesktopBrowserContainer<BrowserContainer>::Initialize(CGenericPathwrenObject* item) {
    if (!BrowserContainer::Initialize(item))
        return FALSE;
    // Children only: a change deep inside a desktop folder moves no icon. Without the watch the
    // mirror still works, it only follows changes at the next refresh.
    CIdList desktopDirectory;
    if (SUCCEEDED(SHGetSpecialFolderLocation(this->m_window, CSIDL_DESKTOPDIRECTORY, desktopDirectory.Receive())))
        RegisterIdList(desktopDirectory.Get(), this->m_window, WM_DESKTOP_DIRECTORY_CHANGE, FALSE);
    return TRUE;
}

template <class BrowserContainer>
LRESULT TDesktopBrowserContainer<BrowserContainer>::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                               LPARAM lParam) {
    if (message == WM_DESKTOP_DIRECTORY_CHANGE) {
        HandleNotification(wParam, lParam);
        return 0;
    }
    return BrowserContainer::WindowProc(window, message, wParam, lParam);
}

template <class BrowserContainer>
void TDesktopBrowserContainer<BrowserContainer>::OnShellItemChange(LONG, LPCWSTR, LPCWSTR) {
    HWND window = this->m_window;
    // The user is working in the mirror: a rebuild now would pull the view away under the mouse.
    // The next refresh catches up.
    if (!window || GetForegroundWindow() == window)
        return;
    // The same way as the user's refresh key, so the refresh takes the key's one path.
    MSG key = {window, WM_TRANSLATE_ACCELERATOR, VK_BROWSER_REFRESH, 0, GetTickCount(), {0, 0}};
    SendMessageW(window, WM_TRANSLATE_ACCELERATOR, 0, reinterpret_cast<LPARAM>(&key));
}

template class TDesktopBrowserContainer<CShellBrowserContainer>;
template class TDesktopBrowserContainer<CShellBrowserContainerXP>;

CShellBrowserEx* CDesktopBrowserContainerXP::CreateBrowser(const FOLDERSETTINGS& settings) {
    return new CDesktopBrowserXP(m_window, &settings);
}
