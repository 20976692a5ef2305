#include "containers/ShellBrowserContainerBase.h"

#include "lib/ShellLaunch.h"
#include "lib/ThemePalette.h"
#include "config/GenericPathwrenObject.h"

#include <commctrl.h>
#include <shellapi.h>

LRESULT CShellBrowserContainerBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_BROWSER_COMMAND:
            RunCommand(static_cast<UINT>(lParam));
            if (m_listView)
                SetFocus(m_listView);
            return 0;
        case WM_TRANSLATE_ACCELERATOR: {
            const MSG* key = reinterpret_cast<const MSG*>(lParam);
            if (!key)
                return 0;
            if (HandleKey(static_cast<UINT>(key->wParam)))
                return 1;
            IShellView* view = m_browser ? m_browser->CurrentView() : nullptr;
            return view && view->TranslateAcceleratorW(const_cast<MSG*>(key)) == S_OK;
        }
        case WM_GET_ISHELLBROWSER:
            return reinterpret_cast<LRESULT>(m_browser ? static_cast<IShellBrowser*>(m_browser.get()) : nullptr);
        case WM_CLOSE:
        case WM_QUIT:
            // The user can close the window only out of sight; the item keeps it.
            Hide();
            return 0;
        case WM_MOVE:
            PlaceToolbar();
            break;
        case WM_SIZE:
            // Minimized, the window stands at -32000 with no client area: nothing to remember.
            if (wParam != SIZE_MINIMIZED)
                OnSize();
            return 0;
        case WM_SIZING: {
            // The window may not get narrower than the toolbar's buttons need.
            RECT* rect = reinterpret_cast<RECT*>(lParam);
            int minimum = m_toolbar ? m_toolbar->GetMinWidth() : 0;
            if (rect->right - rect->left < minimum) {
                if (wParam == WMSZ_LEFT || wParam == WMSZ_TOPLEFT || wParam == WMSZ_BOTTOMLEFT)
                    rect->left = rect->right - minimum;
                else
                    rect->right = rect->left + minimum;
            }
            return TRUE;
        }
        case WM_COLOR_SCHEME_CHANGED:
            if (m_browser) {
                m_browser->ApplyTextColors();
                m_browser->ApplyBackground();
            }
            return 0;
        case WM_DISPLAYCHANGE:
            OnDisplayChange();
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
    if (!m_browser)
        return FALSE;
    if (SUCCEEDED(m_browser->BrowseObject(nullptr, flags | SBSP_SAMEBROWSER)))
        return TRUE;
    UpdateNavigationButtons();
    return FALSE;
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
            if (m_currentPath[0]) {
                SHELLEXECUTEINFOW info = {};
                info.cbSize = sizeof(info);
                info.lpVerb = L"explore";
                info.lpFile = m_currentPath;
                info.nShow = SW_SHOWNORMAL;
                ShellExecuteAndActivate(&info);
            }
            PostMessageW(m_window, WM_CLOSE, 0, 0);
            return TRUE;
        case BrowserCommandToggleMaximize:
            ToggleMaximize();
            return TRUE;
        case BrowserCommandClose:
            PostMessageW(m_window, WM_CLOSE, 0, 0);
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
            if (m_browser && m_browser->IsEditingLabel())
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
    PlaceToolbar();
    RECT client;
    GetClientRect(m_window, &client);
    RECT frame;
    GetWindowRect(m_window, &frame);
    // Sizes the container makes itself (creation, maximizing) are not the user's to remember.
    if (!m_positioning && !EqualRect(&frame, &m_maximizedArea))
        RememberPlace(client, {frame.left, frame.top});
    if (m_browser)
        m_browser->SetViewRect(client);
}

void CShellBrowserContainerBase::OnWindowLost() {
    m_window = m_listView = m_viewWindow = m_hungInto = nullptr;
    m_toolbar.reset();
    m_hotWindow.reset();
    m_browser.reset();
    m_windowLost = TRUE;
}

void CShellBrowserContainerBase::OnDisplayChange() {
    ComputeAreas();
    RECT rect;
    GetWindowRect(m_window, &rect);
    if (!FitRectIntoArea(&rect, m_workArea))
        return;
    PlaceWindow(rect, 0);
}

void CShellBrowserContainerBase::OnDpiChanged(UINT dpi, const RECT& suggested) {
    if (!dpi || dpi == m_dpi)
        return;
    m_dpi = dpi;
    if (m_toolbar) {
        TransparentToolbarSettings sizes;
        sizes.Width = m_toolbar->GetWidth();
        sizes.Height = sizes.ButtonWidth = sizes.ButtonHeight = ToolbarHeight();
        m_toolbar->ChangeSizes(sizes);
        TakeSkinImages();
    }
    ComputeAreas();
    // A maximized window fills the new monitor's area below the toolbar; another one keeps its
    // size on the screen through the suggested rectangle, and remembers it at the new scale.
    if (m_pItem && m_pItem->IsMaximized)
        SetWindowRectFlagged(m_maximizedArea);
    else
        PlaceWindow(suggested, 0);
    PlaceToolbar();
}

void CShellBrowserContainerBase::PlaceWindow(RECT rect, UINT flags) {
    // A window hung into the desktop is placed in its list view's client coordinates, which start
    // at the corner of all monitors, left of or above the primary one's when one stands there.
    if (m_hungInto)
        MapWindowPoints(nullptr, m_hungInto, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(m_window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CShellBrowserContainerBase::SetWindowRectFlagged(const RECT& rect) {
    m_positioning = TRUE;
    PlaceWindow(rect, 0);
    m_positioning = FALSE;
}

void CShellBrowserContainerBase::ToggleMaximize() {
    if (!m_window || !m_pItem)
        return;
    if (m_pItem->IsMaximized)
        Restore();
    else
        Maximize();
}

void CShellBrowserContainerBase::Maximize() {
    RECT current;
    GetWindowRect(m_window, &current);
    if (!m_pItem->IsMaximized && m_viewWindow) {
        RECT client;
        GetClientRect(m_viewWindow, &client);
        RememberPlace(client, {current.left, current.top});
    }
    LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    SetWindowLongPtrW(m_window, GWL_STYLE, style & ~WS_THICKFRAME);
    ComputeAreas();
    if (m_listView)
        SetWindowLongPtrW(m_listView, GWL_EXSTYLE, GetWindowLongPtrW(m_listView, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    RECT target = m_maximizedArea;
    // The frame change alone sends no WM_SIZE when the rectangle stays: a pixel more forces one.
    // Maximized again after a navigation the frame stays, and the pixel would only stick out.
    if ((style & WS_THICKFRAME) && EqualRect(&current, &target))
        ++target.bottom;
    SetWindowRectFlagged(target);
    SetMaximizedLook(TRUE);
    m_pItem->IsMaximized = TRUE;
}

void CShellBrowserContainerBase::Restore() {
    SetWindowLongPtrW(m_window, GWL_STYLE, GetWindowLongPtrW(m_window, GWL_STYLE) | WS_THICKFRAME);
    SIZE size = StoredClientSize(m_dpi);
    RECT target = {0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&target, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)));
    OffsetRect(&target, m_pItem->WindowPositionX - target.left, m_pItem->WindowPositionY - target.top);
    if (m_listView)
        SetWindowLongPtrW(m_listView, GWL_EXSTYLE, GetWindowLongPtrW(m_listView, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    RECT current;
    GetWindowRect(m_window, &current);
    if (EqualRect(&current, &target))
        --target.bottom;
    SetWindowRectFlagged(target);
    SetMaximizedLook(FALSE);
    m_pItem->IsMaximized = FALSE;
}
