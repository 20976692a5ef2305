#include "containers/ShellBrowserPlacement.h"

#include "browser/DesktopListView.h"
#include "lib/Dpi.h"

namespace {

const DWORD kWindowStyle = WS_POPUP | WS_THICKFRAME;
const DWORD kWindowExStyle = WS_EX_TOOLWINDOW;

// Moves one edge pair into [low, high]: shrinks a span wider than the range, then pushes the
// start right and the end left.
void FitSpan(LONG* start, LONG* end, LONG low, LONG high) {
    LONG size = *end - *start;
    if (size > high - low)
        size = high - low;
    if (*start < low)
        *start = low;
    if (*start + size > high)
        *start = high - size;
    *end = *start + size;
}

} // namespace

BOOL FitRectIntoArea(RECT* rect, const RECT& area) {
    if (rect->left >= area.left && rect->top >= area.top && rect->right <= area.right && rect->bottom <= area.bottom)
        return FALSE;
    FitSpan(&rect->left, &rect->right, area.left, area.right);
    FitSpan(&rect->top, &rect->bottom, area.top, area.bottom);
    return TRUE;
}

CShellBrowserPlacement::CShellBrowserPlacement()
    : m_item(nullptr), m_window(nullptr), m_hungInto(nullptr), m_workArea(), m_maximizedArea(), m_positioning(FALSE),
      m_toolbarStripReserved(TRUE), m_dpi(GetSystemDpi()) {
    ComputeAreas();
}

int CShellBrowserPlacement::ToolbarHeight() const {
    return ScaleForDpi(kToolbarHeight, m_dpi);
}

SIZE CShellBrowserPlacement::StoredClientSize(UINT dpi) const {
    // Files from before the DPI was stored hold sizes taken at the system DPI.
    UINT storedDpi = m_item->BrowserSizeDpi > 0 ? static_cast<UINT>(m_item->BrowserSizeDpi) : GetSystemDpi();
    auto convert = [&](LONG length) { return MulDiv(length, static_cast<int>(dpi), static_cast<int>(storedDpi)); };
    return {convert(m_item->WindowRect.right - m_item->WindowRect.left),
            convert(m_item->WindowRect.bottom - m_item->WindowRect.top)};
}

void CShellBrowserPlacement::RememberPlace(const RECT& client, POINT frameCorner) {
    m_item->WindowRect = client;
    m_item->BrowserSizeDpi = static_cast<INT>(m_dpi);
    m_item->WindowPositionX = frameCorner.x;
    m_item->WindowPositionY = frameCorner.y;
}

void CShellBrowserPlacement::RememberCorner() {
    RECT rect;
    GetWindowRect(m_window, &rect);
    m_item->WindowPositionX = rect.left;
    m_item->WindowPositionY = rect.top;
}

void CShellBrowserPlacement::ComputeAreas() {
    RECT standsOn = {};
    if (m_window)
        GetWindowRect(m_window, &standsOn);
    ComputeAreas(standsOn);
}

void CShellBrowserPlacement::ComputeAreas(const RECT& standsOn) {
    // The monitor the window stands on, so that a window the user put on another monitor is
    // fitted, maximized and refitted there; one off every monitor goes to the nearest.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromRect(&standsOn, MONITOR_DEFAULTTONEAREST), &monitor))
        m_workArea = monitor.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_workArea, 0);
    m_maximizedArea = m_workArea;
    if (m_toolbarStripReserved)
        m_maximizedArea.top += ToolbarHeight();
}

HWND CShellBrowserPlacement::CreateWindowAtItemsPlace(HINSTANCE instance, LPCWSTR className, void* creationData) {
    // Positions are screen pixels, the same at every scale; the size follows the scale of the
    // monitor the window's corner stands on.
    m_dpi = GetPointDpi({m_item->WindowPositionX, m_item->WindowPositionY});
    SIZE size = StoredClientSize(m_dpi);
    RECT rect = {0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
    OffsetRect(&rect, m_item->WindowPositionX - rect.left, m_item->WindowPositionY - rect.top);
    ComputeAreas(rect);
    FitRectIntoArea(&rect, m_workArea);
    m_item->WindowPositionX = rect.left;
    m_item->WindowPositionY = rect.top;

    m_positioning = TRUE;
    HWND window =
        CreateWindowExW(kWindowExStyle, className, L"", kWindowStyle, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, nullptr, nullptr, instance, creationData);
    m_positioning = FALSE;
    // A creation refused after WM_NCCREATE attached the window leaves no handle behind.
    m_window = window;
    if (!window)
        return nullptr;
    m_dpi = GetWindowDpi(window);
    RECT client;
    GetClientRect(window, &client);
    RememberPlace(client, {m_item->WindowPositionX, m_item->WindowPositionY});
    return window;
}

BOOL CShellBrowserPlacement::HangIntoDesktop() {
    HWND desktopListView = FindDesktopListView();
    if (!desktopListView)
        return FALSE;
    RECT rect;
    GetWindowRect(m_window, &rect);
    // SetParent leaves the styles alone: a window inside another is a child, not a popup.
    LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    SetWindowLongPtrW(m_window, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
    if (!SetParent(m_window, desktopListView))
        return FALSE;
    m_hungInto = desktopListView;
    // SetParent kept the coordinates as they were, now taken in the list view's.
    PlaceWindowItself(rect);
    return TRUE;
}

void CShellBrowserPlacement::OnSize() {
    RECT client;
    GetClientRect(m_window, &client);
    RECT frame;
    GetWindowRect(m_window, &frame);
    if (!m_positioning && !EqualRect(&frame, &m_maximizedArea))
        RememberPlace(client, {frame.left, frame.top});
}

void CShellBrowserPlacement::OnDisplayChange() {
    ComputeAreas();
    RECT rect;
    GetWindowRect(m_window, &rect);
    if (!FitRectIntoArea(&rect, m_workArea))
        return;
    PlaceWindow(rect, 0);
}

BOOL CShellBrowserPlacement::SetDpi(UINT dpi) {
    if (!dpi || dpi == m_dpi)
        return FALSE;
    m_dpi = dpi;
    return TRUE;
}

void CShellBrowserPlacement::FollowScaleChange(const RECT& suggested) {
    ComputeAreas();
    // The suggested rectangle is remembered at the new scale through WM_SIZE.
    if (m_item && m_item->IsMaximized)
        PlaceWindowItself(m_maximizedArea);
    else
        PlaceWindow(suggested, 0);
}

void CShellBrowserPlacement::FillMaximizedArea() {
    ComputeAreas();
    PlaceWindowItself(m_maximizedArea);
}

void CShellBrowserPlacement::PlaceWindow(RECT rect, UINT flags) {
    // A window hung into the desktop is placed in its list view's client coordinates, which start
    // at the corner of all monitors, left of or above the primary one's when one stands there.
    if (m_hungInto)
        MapWindowPoints(nullptr, m_hungInto, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(m_window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CShellBrowserPlacement::PlaceWindowItself(const RECT& rect) {
    m_positioning = TRUE;
    PlaceWindow(rect, 0);
    m_positioning = FALSE;
}

void CShellBrowserPlacement::Maximize(HWND viewWindow, HWND listView) {
    RECT current;
    GetWindowRect(m_window, &current);
    if (!m_item->IsMaximized && viewWindow) {
        RECT client;
        GetClientRect(viewWindow, &client);
        RememberPlace(client, {current.left, current.top});
    }
    LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    SetWindowLongPtrW(m_window, GWL_STYLE, style & ~WS_THICKFRAME);
    ComputeAreas();
    if (listView)
        SetWindowLongPtrW(listView, GWL_EXSTYLE, GetWindowLongPtrW(listView, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    RECT target = m_maximizedArea;
    // The frame change alone sends no WM_SIZE when the rectangle stays: a pixel more forces one.
    // Maximized again after a navigation the frame stays, and the pixel would only stick out.
    if ((style & WS_THICKFRAME) && EqualRect(&current, &target))
        ++target.bottom;
    PlaceWindowItself(target);
    m_item->IsMaximized = TRUE;
}

void CShellBrowserPlacement::Restore(HWND listView) {
    SetWindowLongPtrW(m_window, GWL_STYLE, GetWindowLongPtrW(m_window, GWL_STYLE) | WS_THICKFRAME);
    SIZE size = StoredClientSize(m_dpi);
    RECT target = {0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&target, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)));
    OffsetRect(&target, m_item->WindowPositionX - target.left, m_item->WindowPositionY - target.top);
    if (listView)
        SetWindowLongPtrW(listView, GWL_EXSTYLE, GetWindowLongPtrW(listView, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    RECT current;
    GetWindowRect(m_window, &current);
    if (EqualRect(&current, &target))
        --target.bottom;
    PlaceWindowItself(target);
    m_item->IsMaximized = FALSE;
}
