#include "containers/DesktopBrowserContainer.h"

#include "browser/DesktopBrowserXP.h"
#include "lib/IdList.h"

#include <shlobj.h>

namespace {

const UINT_PTR kChangesSettledTimer = 0x4D31;

} // namespace

template <class BrowserContainer>
TDesktopBrowserContainer<BrowserContainer>::TDesktopBrowserContainer(HINSTANCE instance, IContainerHost* host)
    : BrowserContainer(instance, host) {}

template <class BrowserContainer> TDesktopBrowserContainer<BrowserContainer>::~TDesktopBrowserContainer() {
    // The view first, while the window it lives in still exists; then no change may reach us.
    this->ReleaseBrowser();
    Deregister();
}

template <class BrowserContainer>
CShellBrowserEx* TDesktopBrowserContainer<BrowserContainer>::CreateBrowser(const FOLDERSETTINGS& settings) {
    return new CDesktopBrowser(this->GetWindow(), &settings);
}

template <class BrowserContainer> HRESULT TDesktopBrowserContainer<BrowserContainer>::BrowseHome() {
    return this->GetBrowser()->BrowseToDesktop();
}

template <class BrowserContainer> BOOL TDesktopBrowserContainer<BrowserContainer>::GoHome() {
    return !this->GetBrowser() || SUCCEEDED(this->GetBrowser()->BrowseToDesktop());
}

template <class BrowserContainer>
BOOL TDesktopBrowserContainer<BrowserContainer>::Initialize(CGenericPathwrenObject* item) {
    if (!BrowserContainer::Initialize(item))
        return FALSE;
    // Children only: a change deep inside a desktop folder moves no icon. Without the watch the
    // mirror still works, it only follows changes at the next refresh.
    CIdList desktopDirectory;
    if (SUCCEEDED(SHGetSpecialFolderLocation(this->GetWindow(), CSIDL_DESKTOPDIRECTORY, desktopDirectory.Receive())))
        RegisterIdList(desktopDirectory.Get(), this->GetWindow(), WM_DESKTOP_DIRECTORY_CHANGE, FALSE);
    return TRUE;
}

template <class BrowserContainer> BOOL TDesktopBrowserContainer<BrowserContainer>::Show(BOOL alwaysShow) {
    HWND window = this->GetWindow();
    // Rebuilt before the window appears, so the user never sees the stale layout replaced.
    if (m_changedWhileHidden && window && !IsWindowVisible(window)) {
        m_changedWhileHidden = FALSE;
        RefreshMirror();
    }
    return BrowserContainer::Show(alwaysShow);
}

template <class BrowserContainer>
LRESULT TDesktopBrowserContainer<BrowserContainer>::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                               LPARAM lParam) {
    if (message == WM_DESKTOP_DIRECTORY_CHANGE) {
        HandleNotification(wParam, lParam);
        return 0;
    }
    if (message == WM_TIMER && wParam == kChangesSettledTimer) {
        KillTimer(window, kChangesSettledTimer);
        m_changesPending = FALSE;
        OnChangesSettled();
        return 0;
    }
    return BrowserContainer::WindowProc(window, message, wParam, lParam);
}

template <class BrowserContainer>
void TDesktopBrowserContainer<BrowserContainer>::OnShellItemChange(LONG, LPCWSTR, LPCWSTR) {
    HWND window = this->GetWindow();
    // Counted from the first change of a burst, not the last: a desktop that keeps changing is
    // still followed, once per period.
    if (!window || m_changesPending)
        return;
    m_changesPending = SetTimer(window, kChangesSettledTimer, kDesktopChangeSettleMs, nullptr) != 0;
}

template <class BrowserContainer> void TDesktopBrowserContainer<BrowserContainer>::OnChangesSettled() {
    HWND window = this->GetWindow();
    if (!window)
        return;
    // Nobody sees a hidden mirror: reading Explorer's layout now would be wasted on every change.
    if (!IsWindowVisible(window)) {
        m_changedWhileHidden = TRUE;
        return;
    }
    // The user is working in the mirror: a rebuild now would pull the view away under the mouse.
    // The next refresh catches up.
    if (GetForegroundWindow() == window)
        return;
    RefreshMirror();
}

template <class BrowserContainer> void TDesktopBrowserContainer<BrowserContainer>::RefreshMirror() {
    HWND window = this->GetWindow();
    MSG key = {window, WM_TRANSLATE_ACCELERATOR, VK_BROWSER_REFRESH, 0, GetTickCount(), {0, 0}};
    SendMessageW(window, WM_TRANSLATE_ACCELERATOR, 0, reinterpret_cast<LPARAM>(&key));
}

template class TDesktopBrowserContainer<CShellBrowserContainer>;
template class TDesktopBrowserContainer<CShellBrowserContainerXP>;

CShellBrowserEx* CDesktopBrowserContainerXP::CreateBrowser(const FOLDERSETTINGS& settings) {
    return new CDesktopBrowserXP(GetWindow(), &settings);
}
