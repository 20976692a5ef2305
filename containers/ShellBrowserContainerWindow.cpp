#include "containers/ShellBrowserContainerBase.h"

#include "config/GenericPathwrenObject.h"
#include "lib/ShellLaunch.h"
#include "lib/ThemePalette.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// Everything, children and frame included, at once: a moved window must not show stale parts.
const UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;

} // namespace

LRESULT CShellBrowserContainerBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_BROWSER_COMMAND:
            RunCommand(static_cast<UINT>(lParam));
            FocusView();
            return 0;
        case WM_TRANSLATE_ACCELERATOR: {
            const MSG* key = reinterpret_cast<const MSG*>(lParam);
            if (!key)
                return 0;
            if (HandleKey(static_cast<UINT>(key->wParam)))
                return 1;
            IShellView* view = GetBrowser() ? GetBrowser()->CurrentView() : nullptr;
            return view && view->TranslateAcceleratorW(const_cast<MSG*>(key)) == S_OK;
        }
        case WM_GET_ISHELLBROWSER:
            return reinterpret_cast<LRESULT>(GetBrowser() ? static_cast<IShellBrowser*>(GetBrowser()) : nullptr);
        case WM_CLOSE:
        case WM_QUIT:
            // The user can close the window only out of sight; the item keeps it.
            Hide();
            return 0;
        case WM_MOVE:
            m_toolbar.Place();
            break;
        case WM_SIZE:
            // Minimized, the window stands at -32000 with no client area: nothing to remember.
            if (wParam != SIZE_MINIMIZED)
                OnSize();
            return 0;
        case WM_SIZING: {
            RECT* rect = reinterpret_cast<RECT*>(lParam);
            int minimum = m_toolbar.MinWidth();
            if (rect->right - rect->left < minimum) {
                if (wParam == WMSZ_LEFT || wParam == WMSZ_TOPLEFT || wParam == WMSZ_BOTTOMLEFT)
                    rect->left = rect->right - minimum;
                else
                    rect->right = rect->left + minimum;
            }
            return TRUE;
        }
        case WM_COLOR_SCHEME_CHANGED:
            if (GetBrowser()) {
                GetBrowser()->ApplyTextColors();
                GetBrowser()->ApplyBackground();
            }
            return 0;
        case WM_DISPLAYCHANGE:
            m_placement.OnDisplayChange();
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_NCDESTROY:
            // Only a window hung into the desktop dies without us: with Explorer's list view.
            OnWindowLost();
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL CShellBrowserContainerBase::Navigate(UINT flags) {
    if (m_navigator.Navigate(flags))
        return TRUE;
    // A refused step leaves the buttons as the history really stands.
    UpdateNavigationButtons();
    return FALSE;
}

void CShellBrowserContainerBase::FocusView() {
    if (ListView())
        SetFocus(ListView());
}

BOOL CShellBrowserContainerBase::RunCommand(UINT command) {
    switch (command) {
        case BrowserCommandHome:
            return GoHome();
        case BrowserCommandBack:
            return Navigate(SBSP_NAVIGATEBACK);
        case BrowserCommandForward:
            return Navigate(SBSP_NAVIGATEFORWARD);
        case BrowserCommandUp:
            return Navigate(SBSP_PARENT);
        case BrowserCommandExplorer:
            if (m_navigator.CurrentPath()[0]) {
                SHELLEXECUTEINFOW info = {};
                info.cbSize = sizeof(info);
                info.lpVerb = L"explore";
                info.lpFile = m_navigator.CurrentPath();
                info.nShow = SW_SHOWNORMAL;
                ShellExecuteAndActivate(&info);
            }
            PostMessageW(GetWindow(), WM_CLOSE, 0, 0);
            return TRUE;
        case BrowserCommandToggleMaximize:
            ToggleMaximize();
            return TRUE;
        case BrowserCommandClose:
            PostMessageW(GetWindow(), WM_CLOSE, 0, 0);
            return TRUE;
        default:
            // Move is the toolbar's own drag; unknown commands do nothing.
            return FALSE;
    }
}

BOOL CShellBrowserContainerBase::HandleKey(UINT virtualKey) {
    switch (virtualKey) {
        case VK_BACK:
            // While a name is being edited Backspace deletes a character.
            if (GetBrowser() && GetBrowser()->IsEditingLabel())
                return FALSE;
            Navigate(SBSP_PARENT);
            return TRUE;
        case VK_F5:
        case VK_BROWSER_REFRESH:
            return RefreshView(virtualKey, 0, 0);
        case VK_BROWSER_BACK:
            Navigate(SBSP_NAVIGATEBACK);
            return TRUE;
        case VK_BROWSER_FORWARD:
            Navigate(SBSP_NAVIGATEFORWARD);
            return TRUE;
        default:
            return FALSE;
    }
}

void CShellBrowserContainerBase::OnSize() {
    if (!m_pItem)
        return;
    m_toolbar.Place();
    m_placement.OnSize();
    RECT client;
    GetClientRect(GetWindow(), &client);
    if (GetBrowser())
        GetBrowser()->SetViewRect(client);
}

void CShellBrowserContainerBase::OnWindowLost() {
    m_placement.Detach();
    m_toolbar.Destroy();
    m_hotWindow.reset();
    m_navigator.Release();
    m_windowLost = TRUE;
}

void CShellBrowserContainerBase::OnDpiChanged(UINT dpi, const RECT& suggested) {
    if (!m_placement.SetDpi(dpi))
        return;
    BOOL maximized = m_pItem && m_pItem->IsMaximized;
    m_toolbar.Rescale(maximized);
    m_placement.FollowScaleChange(suggested);
    m_toolbar.Place();
}

void CShellBrowserContainerBase::ToggleMaximize() {
    if (!GetWindow() || !m_pItem)
        return;
    if (m_pItem->IsMaximized)
        Restore();
    else
        Maximize();
}

void CShellBrowserContainerBase::Maximize() {
    m_placement.Maximize(ViewWindow(), ListView());
    m_toolbar.SetMaximizedLook(TRUE);
}

void CShellBrowserContainerBase::Restore() {
    m_placement.Restore(ListView());
    m_toolbar.SetMaximizedLook(FALSE);
}

void CShellBrowserContainerBase::OnToolbarMoved(CTransparentToolbar*, int dx, int dy) {
    m_toolbar.OnMoved(dx, dy);
}

void CShellBrowserContainerBase::OnToolbarMoveEnded(CTransparentToolbar*) {
    m_placement.RememberCorner();
    if (ListView()) {
        SetFocus(ListView());
        RedrawWindow(ListView(), nullptr, nullptr, kRedrawAll);
    }
}

void CShellBrowserContainerBase::OnToolbarButtonClicked(CTransparentToolbar*, UINT command) {
    PostMessageW(GetWindow(), WM_BROWSER_COMMAND, 0, command);
}

void CShellBrowserContainerBase::OnToolbarDoubleClicked(CTransparentToolbar*) {
    PostMessageW(GetWindow(), WM_BROWSER_COMMAND, 0, BrowserCommandToggleMaximize);
}

LRESULT CShellBrowserContainerBase::OnToolbarKeyDown(CTransparentToolbar*, WPARAM wParam, LPARAM) {
    return HandleKey(static_cast<UINT>(wParam));
}

LRESULT CShellBrowserContainerBase::OnToolbarClose(CTransparentToolbar*, WPARAM, LPARAM) {
    Hide();
    return 0;
}
