#include "containers/ShellBrowserContainerBase.h"

#include "lib/Dpi.h"
#include "lib/MonitorRect.h"
#include "browser/DesktopListView.h"
#include "browser/FolderItemView.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/IdList.h"
#include "lib/WindowLink.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cwchar>

const wchar_t CShellBrowserContainerBase::kWindowClassName[] = L"CShellBrowserContainerClassName";

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

RECT HotCornerRect(const RECT& screen, int position, int width, int height) {
    switch (position) {
        case 0:
            return {screen.left, screen.top, screen.left + width, screen.top + height};
        case 1:
            return {screen.right - width, screen.top, screen.right, screen.top + height};
        case 2:
            return {screen.left, screen.bottom - height, screen.left + width, screen.bottom};
        case 3:
            return {screen.right - width, screen.bottom - height, screen.right, screen.bottom};
        default:
            return {};
    }
}

CShellBrowserContainerBase::CShellBrowserContainerBase(HINSTANCE instance, IContainerHost* host)
    : CContainerBase(instance, host), m_pItem(nullptr), m_window(nullptr), m_listView(nullptr), m_viewWindow(nullptr),
      m_atHome(FALSE), m_rearranged(FALSE), m_restoring(TRUE), m_viewMode(0), m_currentPath(), m_homePath(),
      m_dwm(L"dwmapi.dll"),
      m_dwmIsCompositionEnabled(m_dwm.Procedure<decltype(m_dwmIsCompositionEnabled)>("DwmIsCompositionEnabled")),
      m_dwmGetWindowAttribute(m_dwm.Procedure<decltype(m_dwmGetWindowAttribute)>("DwmGetWindowAttribute")),
      m_movingToolbar(FALSE), m_windowLost(FALSE), m_hungInto(nullptr), m_workArea(), m_maximizedArea(),
      m_changingViewMode(FALSE), m_positioning(FALSE), m_dpi(GetSystemDpi()) {
    ComputeAreas();
}

CShellBrowserContainerBase::~CShellBrowserContainerBase() {
    // The browser's view lives inside the window: release it while the window still exists.
    m_browser.reset();
    DestroyContainerWindow();
}

void CShellBrowserContainerBase::DestroyContainerWindow() {
    // The toolbar is owned by the window and would die with it behind its object's back; the
    // hot corner's timers run on the window.
    m_toolbar.reset();
    m_hotWindow.reset();
    if (!m_window)
        return;
    if (IsWindow(m_window)) {
        UnlinkWindowObject(m_window);
        DestroyWindow(m_window);
    }
    m_window = nullptr;
    m_listView = m_viewWindow = m_hungInto = nullptr;
}

BOOL CShellBrowserContainerBase::ToolbarShown() const {
    if (!m_pItem)
        return TRUE;
    return !m_pItem->HideToolBar && !(m_atHome && m_pItem->HideToolBarForHomeFolder);
}

int CShellBrowserContainerBase::ToolbarHeight() const {
    return ScaleForDpi(kToolbarHeight, m_dpi);
}

SIZE CShellBrowserContainerBase::StoredClientSize(UINT dpi) const {
    // Files from before the DPI was stored hold sizes taken at the system DPI.
    UINT storedDpi = m_pItem->BrowserSizeDpi > 0 ? static_cast<UINT>(m_pItem->BrowserSizeDpi) : GetSystemDpi();
    auto convert = [&](LONG length) { return MulDiv(length, static_cast<int>(dpi), static_cast<int>(storedDpi)); };
    return {convert(m_pItem->WindowRect.right - m_pItem->WindowRect.left),
            convert(m_pItem->WindowRect.bottom - m_pItem->WindowRect.top)};
}

void CShellBrowserContainerBase::RememberPlace(const RECT& client, POINT frameCorner) {
    m_pItem->WindowRect = client;
    m_pItem->BrowserSizeDpi = static_cast<INT>(m_dpi);
    m_pItem->WindowPositionX = frameCorner.x;
    m_pItem->WindowPositionY = frameCorner.y;
}

void CShellBrowserContainerBase::ComputeAreas() {
    RECT standsOn = {};
    if (m_window)
        GetWindowRect(m_window, &standsOn);
    ComputeAreas(standsOn);
}

void CShellBrowserContainerBase::ComputeAreas(const RECT& standsOn) {
    // The monitor the window stands on, so that a window the user put on another monitor is
    // fitted, maximized and refitted there; one off every monitor goes to the nearest.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromRect(&standsOn, MONITOR_DEFAULTTONEAREST), &monitor))
        m_workArea = monitor.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_workArea, 0);
    m_maximizedArea = m_workArea;
    if (ToolbarShown())
        m_maximizedArea.top += ToolbarHeight();
}

LRESULT CALLBACK CShellBrowserContainerBase::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = LinkWindowObject<CShellBrowserContainerBase>(window, message, lParam);
    // Known from the first message on: the sizes and moves of creation already reach WindowProc.
    if (self && message == WM_NCCREATE)
        self->m_window = window;
    if (message == WM_NCDESTROY)
        UnlinkWindowObject(window);
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->WindowProc(window, message, wParam, lParam);
}

BOOL CShellBrowserContainerBase::CreateContainerWindow() {
    m_browser.reset();
    DestroyContainerWindow();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(m_hInstance, kWindowClassName, &windowClass)) {
        windowClass.lpfnWndProc = StaticWindowProc;
        windowClass.hInstance = m_hInstance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        // One class serves every item, so it takes the shared default icon, which outlives it;
        // an item's own icon dies with its container.
        windowClass.hIcon = m_hDefaultIcon;
        windowClass.hIconSm = m_hDefaultIcon;
        windowClass.lpszClassName = kWindowClassName;
        if (!RegisterClassExW(&windowClass))
            return FALSE;
    }

    // Positions are screen pixels, the same at every scale; the size follows the scale of the
    // monitor the window's corner stands on.
    m_dpi = GetPointDpi({m_pItem->WindowPositionX, m_pItem->WindowPositionY});
    SIZE size = StoredClientSize(m_dpi);
    RECT rect = {0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
    OffsetRect(&rect, m_pItem->WindowPositionX - rect.left, m_pItem->WindowPositionY - rect.top);
    ComputeAreas(rect);
    FitRectIntoArea(&rect, m_workArea);
    m_pItem->WindowPositionX = rect.left;
    m_pItem->WindowPositionY = rect.top;

    m_positioning = TRUE;
    m_window = CreateWindowExW(kWindowExStyle, kWindowClassName, L"", kWindowStyle, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, m_hInstance, this);
    m_positioning = FALSE;
    if (!m_window)
        return FALSE;
    m_dpi = GetWindowDpi(m_window);
    RECT client;
    GetClientRect(m_window, &client);
    RememberPlace(client, {m_pItem->WindowPositionX, m_pItem->WindowPositionY});
    // Shown once so that the frame is computed and the first Show does not flicker through it.
    ShowWindow(m_window, SW_SHOWNA);
    ShowWindow(m_window, SW_HIDE);

    if (m_pItem->ZOrder == BrowserZOrderTopMost)
        SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    else if (m_pItem->ZOrder == BrowserZOrderBottom && !HangIntoDesktop())
        return FALSE;
    CreateToolbar();
    CreateHotCorner();
    return TRUE;
}

BOOL CShellBrowserContainerBase::HangIntoDesktop() {
    HWND desktopListView = FindDesktopListView();
    if (!desktopListView) {
        DestroyContainerWindow();
        return FALSE;
    }
    RECT rect;
    GetWindowRect(m_window, &rect);
    // SetParent leaves the styles alone: a window inside another is a child, not a popup.
    LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    SetWindowLongPtrW(m_window, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
    if (!SetParent(m_window, desktopListView)) {
        DestroyContainerWindow();
        return FALSE;
    }
    m_hungInto = desktopListView;
    // SetParent kept the coordinates as they were, now taken in the list view's.
    m_positioning = TRUE;
    PlaceWindow(rect, 0);
    m_positioning = FALSE;
    return TRUE;
}

void CShellBrowserContainerBase::CreateHotCorner() {
    if (!m_pItem->EnableHotCorner)
        return;
    // A screen index past the monitors falls back to the first one.
    RECT screen;
    GetMonitorRect(m_pItem->HotCornerScreenIndex, &screen, TRUE);
    m_hotWindow.reset(new CHotWindow());
    m_hotWindow->SetWatchedWindow(m_window);
    m_hotWindow->SetEvents(this);
    m_hotWindow->SetHotRect(
        HotCornerRect(screen, m_pItem->HotCornerPosition, m_pItem->HotCornerWidth, m_pItem->HotCornerHeight));
    m_hotWindow->WatchForEnter();
}

void CShellBrowserContainerBase::OnHotWindowEnter(CHotWindow*, BOOL* useKeepRect, RECT*) {
    // First: the flag lives in the hot window, and Show rebuilds a window lost with its desktop,
    // hot window included.
    *useKeepRect = FALSE;
    Show(TRUE);
}

BOOL CShellBrowserContainerBase::Initialize(CGenericPathwrenObject* item) {
    m_browser.reset();
    m_pItem = item;
    m_atHome = FALSE;
    if (!CreateContainerWindow())
        return FALSE;
    FOLDERSETTINGS settings = FolderSettingsOfItem(*item);
    m_browser.reset(CreateBrowser(settings));
    ApplyItem();
    if (FAILED(BrowseHome())) {
        m_browser.reset();
        return FALSE;
    }
    RECT client;
    GetClientRect(m_window, &client);
    m_browser->SetViewRect(client);
    if (item->ShowAtStartup)
        Show(TRUE);
    return TRUE;
}

CShellBrowserEx* CShellBrowserContainerBase::CreateBrowser(const FOLDERSETTINGS& settings) {
    return new CShellBrowserEx(m_window, &settings, static_cast<UINT>(m_pItem->FolderViewMode));
}

HRESULT CShellBrowserContainerBase::BrowseHome() {
    if (!ResolveSpecialPath(m_pItem->Path, m_homePath))
        return E_FAIL;
    return m_browser->BrowseToPath(m_homePath);
}

void CShellBrowserContainerBase::ApplyItem() {
    ResolveSpecialPath(m_pItem->Path, m_currentPath);
    AttachItemIcon(m_pItem);
    m_browser->SetDefaultCommandCallback(OnDefaultCommand, this);
    m_browser->SetBrowseStartingCallback(OnBrowseStarting, this);
    m_browser->SetBrowseCompletedCallback(OnBrowseCompleted, this);
    m_browser->SetViewModeChangedCallback(OnViewModeChanged, this);
    m_browser->SetViewLostCallback(OnViewLost, this);
    m_viewMode = static_cast<UINT>(m_pItem->FolderViewMode);
    ApplyFolderItemView(*m_browser, *m_pItem);
    if (m_pItem->IsMaximized) {
        m_pItem->IsMaximized = FALSE;
        ToggleMaximize();
    }
}

void CShellBrowserContainerBase::OnDefaultCommand(void* context) {
    auto* self = static_cast<CShellBrowserContainerBase*>(context);
    if (self->m_pItem->AutoHideOnFileExecution)
        SendMessageW(self->m_window, WM_CLOSE, 0, 0);
}

void CShellBrowserContainerBase::OnBrowseStarting(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation,
                                                  void* context) {
    auto* self = static_cast<CShellBrowserContainerBase*>(context);
    if (!self->OnLocationChanging(oldLocation, newLocation))
        return;
    self->SaveIconPositions();
    self->StopIconPositionRestore();
}

void CShellBrowserContainerBase::OnBrowseCompleted(PCIDLIST_ABSOLUTE location, void* context) {
    auto* self = static_cast<CShellBrowserContainerBase*>(context);
    CShellBrowserEx& browser = *self->m_browser;
    self->m_viewWindow = browser.ViewWindow();
    self->m_listView = browser.ListView();
    self->m_rearranged = FALSE;
    self->ResetIconPositionRestore();
    self->UpdateNavigationButtons();
    if (self->m_pItem->IsMaximized)
        self->Maximize();
    BOOL wasAtHome = self->m_atHome;
    self->UpdateAtHome(location);
    if (self->IsIconPositionSavingEnabled()) {
        self->StartIconPositionRestore();
        LONG_PTR command = browser.ViewCommand(static_cast<UINT>(self->m_pItem->FolderViewMode));
        if (self->m_viewMode != static_cast<UINT>(self->m_pItem->FolderViewMode) && command != -1) {
            self->m_changingViewMode = TRUE;
            SendMessageW(self->m_viewWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
            self->m_changingViewMode = FALSE;
        }
        self->RestoreIconPositions();
    } else if (wasAtHome && self->m_viewMode != static_cast<UINT>(self->m_pItem->FolderViewMode)) {
        // Away from home the user's own choice of mode comes back.
        LONG_PTR command = browser.ViewCommand(self->m_viewMode);
        if (command != -1)
            SendMessageW(self->m_viewWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
    }
}

void CShellBrowserContainerBase::OnViewLost(void* context) {
    auto* self = static_cast<CShellBrowserContainerBase*>(context);
    // Handles of destroyed windows may soon name other windows; keys, sizes and saves must find none.
    self->StopIconPositionRestore();
    self->m_viewWindow = self->m_listView = nullptr;
    self->UpdateNavigationButtons();
}

void CShellBrowserContainerBase::UpdateAtHome(PCIDLIST_ABSOLUTE location) {
    if (!SHGetPathFromIDListW(location, m_currentPath))
        m_currentPath[0] = L'\0';
    BOOL atHome = m_currentPath[0] && _wcsicmp(m_currentPath, m_homePath) == 0;
    BOOL changed = atHome != m_atHome;
    m_atHome = atHome;
    if (!changed || !m_pItem->HideToolBarForHomeFolder || m_pItem->HideToolBar)
        return;
    ShowToolbar(!atHome && IsWindowVisible(m_window));
    if (m_pItem->IsMaximized) {
        // The strip the toolbar needed is free now, or needed again.
        ComputeAreas();
        SetWindowRectFlagged(m_maximizedArea);
    }
}

void CShellBrowserContainerBase::OnViewModeChanged(HWND, UINT viewMode, void* context) {
    auto* self = static_cast<CShellBrowserContainerBase*>(context);
    if (self->m_pItem->SaveIconsPositionsForHomeFolder) {
        if (self->IsIconPositionSavingEnabled() && viewMode == static_cast<UINT>(self->m_pItem->FolderViewMode)) {
            self->ResetIconPositionRestore();
            self->RestoreIconPositions();
            self->StartIconPositionRestore();
        } else {
            self->StopIconPositionRestore();
        }
    }
    if (!self->m_changingViewMode)
        self->m_viewMode = viewMode;
}

BOOL CShellBrowserContainerBase::BuildContextMenu(CLanguage* language) {
    BuildMenu(language, TRUE);
    if (!language || !m_pContextMenu)
        return TRUE;
    // The Show entry is the menu's first; it toggles here, so it says both.
    WCHAR text[260];
    swprintf(text, 260, L"%ls / %ls", language->Show, language->Hide);
    HMENU menu = m_pContextMenu->GetHandle();
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    SetMenuItemInfoW(menu, 0, TRUE, &info);

    swprintf(text, 260, L"%ls / %ls", language->Maximize, language->Reduce);
    HICON icon = static_cast<HICON>(
        LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_MAXIMIZE_REDUCE), IMAGE_ICON, 16, 16, LR_SHARED));
    UINT commandId = m_pContextMenu->InsertItem(text, icon, 1, m_pContextMenu->NextCommandId());
    if (commandId)
        AddMenuAction(commandId, ContainerMenuActionToggleMaximize);
    return TRUE;
}

BOOL CShellBrowserContainerBase::SaveState() {
    if (IsIconPositionSavingActive())
        SaveIconPositions();
    return TRUE;
}

BOOL CShellBrowserContainerBase::Show(BOOL alwaysShow) {
    // Windows destroys a child with its parent, even across processes; Wine keeps it alive
    // under the dead handle.
    if (m_hungInto && !IsWindow(m_hungInto)) {
        m_browser.reset();
        DestroyContainerWindow();
        m_windowLost = TRUE;
    }
    if (m_windowLost && m_pItem) {
        // Cleared first: Initialize shows an item shown at start-up through here.
        m_windowLost = FALSE;
        if (!Initialize(m_pItem)) {
            m_windowLost = TRUE;
            return FALSE;
        }
        alwaysShow = TRUE;
    }
    if (!m_browser || !m_window || !m_toolbar)
        return FALSE;
    if (!alwaysShow && IsWindowVisible(m_window))
        return Hide();
    if (!m_pItem->RememberLastPosition && !IsWindowVisible(m_window))
        GoHome();
    ShowToolbar(ToolbarShown());
    ShowWindow(m_window, SW_SHOWNORMAL);
    BringWindowToTop(m_window);
    SetForegroundWindow(m_window);
    if (m_listView)
        SetFocus(m_listView);
    return TRUE;
}

BOOL CShellBrowserContainerBase::Hide() {
    ShowToolbar(FALSE);
    if (m_window)
        ShowWindow(m_window, SW_HIDE);
    return TRUE;
}

BOOL CShellBrowserContainerBase::GoHome() {
    if (!m_browser)
        return TRUE;
    WCHAR home[MAX_PATH];
    if (!ResolveSpecialPath(m_pItem->Path, home))
        return FALSE;
    return SUCCEEDED(m_browser->BrowseToPath(home));
}

BOOL CShellBrowserContainerBase::OnLocationChanging(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation) {
    if (oldLocation && newLocation && ILIsEqual(oldLocation, newLocation))
        return FALSE;
    return IsIconPositionSavingActive();
}

BOOL CShellBrowserContainerBase::IsIconPositionSavingEnabled() {
    if (!m_pItem || !m_pItem->SaveIconsPositionsForHomeFolder)
        return FALSE;
    // Lists, details and the thumbnail strip place their items themselves.
    int mode = m_pItem->FolderViewMode;
    return mode != 3 && mode != 4 && mode != 10 && m_atHome;
}

BOOL CShellBrowserContainerBase::IsIconPositionSavingActive() {
    return IsIconPositionSavingEnabled() && m_viewMode == static_cast<UINT>(m_pItem->FolderViewMode) && !m_rearranged;
}

void CShellBrowserContainerBase::SaveIconPositions() {
    if (!m_listView || !m_pItem->HomeFolderIconPositions)
        return;
    std::vector<HomeFolderIconPosition>& saved = *m_pItem->HomeFolderIconPositions;
    int count = static_cast<int>(SendMessageW(m_listView, LVM_GETITEMCOUNT, 0, 0));
    // A view that has not listed the folder yet knows no place the saved ones do not.
    if (count <= 0)
        return;
    std::vector<HomeFolderIconPosition> positions;
    for (int i = 0; i < count; ++i) {
        HomeFolderIconPosition position = {};
        ListView_GetItemText(m_listView, i, 0, position.Name, MAX_PATH);
        POINT place = {};
        ListView_GetItemPosition(m_listView, i, &place);
        position.X = place.x;
        position.Y = place.y;
        // The icons are put back only as the view paints them: one never shown since the
        // window was built still stands on the view's grid, not where the user left it.
        if (!IsIconPlaced(position.Name)) {
            for (const HomeFolderIconPosition& old : saved) {
                if (_wcsicmp(old.Name, position.Name) == 0) {
                    position.X = old.X;
                    position.Y = old.Y;
                    break;
                }
            }
        }
        positions.push_back(position);
    }
    saved.swap(positions);
}
