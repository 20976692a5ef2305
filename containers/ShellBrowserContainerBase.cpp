#include "containers/ShellBrowserContainerBase.h"

#include "browser/FolderItemView.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "lib/MonitorRect.h"
#include "lib/WindowLink.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cwchar>

const wchar_t CShellBrowserContainerBase::kWindowClassName[] = L"CShellBrowserContainerClassName";

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
    : CContainerBase(instance, host), m_pItem(nullptr), m_navigator(this), m_toolbar(host, m_placement),
      m_rearranged(FALSE), m_windowLost(FALSE) {}

CShellBrowserContainerBase::~CShellBrowserContainerBase() {
    // The browser's view lives inside the window: release it while the window still exists.
    DestroyContainerWindow();
}

void CShellBrowserContainerBase::DestroyContainerWindow() {
    m_navigator.Release();
    // The toolbar is owned by the window and would die with it behind its object's back; the
    // hot corner's timers run on the window.
    m_toolbar.Destroy();
    m_hotWindow.reset();
    HWND window = m_placement.Window();
    m_placement.Detach();
    if (window && IsWindow(window)) {
        UnlinkWindowObject(window);
        DestroyWindow(window);
    }
}

BOOL CShellBrowserContainerBase::ToolbarShown() const {
    if (!m_pItem)
        return TRUE;
    return !m_pItem->HideToolBar && !(m_navigator.IsAtHome() && m_pItem->HideToolBarForHomeFolder);
}

LRESULT CALLBACK CShellBrowserContainerBase::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = LinkWindowObject<CShellBrowserContainerBase>(window, message, lParam);
    // Known from the first message on: the sizes and moves of creation already reach WindowProc.
    if (self && message == WM_NCCREATE)
        self->m_placement.Attach(window);
    if (message == WM_NCDESTROY)
        UnlinkWindowObject(window);
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->WindowProc(window, message, wParam, lParam);
}

BOOL CShellBrowserContainerBase::CreateContainerWindow() {
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

    HWND window = m_placement.CreateWindowAtItemsPlace(m_hInstance, kWindowClassName, this);
    if (!window)
        return FALSE;
    // Shown once so that the frame is computed and the first Show does not flicker through it.
    ShowWindow(window, SW_SHOWNA);
    ShowWindow(window, SW_HIDE);

    if (m_pItem->ZOrder == BrowserZOrderTopMost) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (m_pItem->ZOrder == BrowserZOrderBottom && !m_placement.HangIntoDesktop()) {
        DestroyContainerWindow();
        return FALSE;
    }
    m_toolbar.Create(m_hInstance, this, m_pItem->AllowSubFoldersNavigation, m_pLanguage);
    CreateHotCorner();
    return TRUE;
}

void CShellBrowserContainerBase::CreateHotCorner() {
    if (!m_pItem->EnableHotCorner)
        return;
    // A screen index past the monitors falls back to the first one.
    RECT screen;
    GetMonitorRect(m_pItem->HotCornerScreenIndex, &screen, TRUE);
    m_hotWindow.reset(new CHotWindow());
    m_hotWindow->SetWatchedWindow(GetWindow());
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
    m_navigator.Release();
    m_pItem = item;
    m_navigator.LeaveHome();
    m_placement.SetItem(item);
    m_placement.SetToolbarStripReserved(ToolbarShown());
    if (!CreateContainerWindow())
        return FALSE;
    FOLDERSETTINGS settings = FolderSettingsOfItem(*item);
    m_navigator.Attach(CreateBrowser(settings), item->Path, static_cast<UINT>(item->FolderViewMode));
    ApplyItem();
    if (FAILED(BrowseHome())) {
        m_navigator.Release();
        return FALSE;
    }
    RECT client;
    GetClientRect(GetWindow(), &client);
    GetBrowser()->SetViewRect(client);
    if (item->ShowAtStartup)
        Show(TRUE);
    return TRUE;
}

CShellBrowserEx* CShellBrowserContainerBase::CreateBrowser(const FOLDERSETTINGS& settings) {
    return new CShellBrowserEx(GetWindow(), &settings, static_cast<UINT>(m_pItem->FolderViewMode));
}

HRESULT CShellBrowserContainerBase::BrowseHome() {
    return m_navigator.BrowseHome(m_pItem->Path);
}

void CShellBrowserContainerBase::ApplyItem() {
    AttachItemIcon(m_pItem);
    ApplyFolderItemView(*GetBrowser(), *m_pItem);
    if (m_pItem->IsMaximized) {
        m_pItem->IsMaximized = FALSE;
        ToggleMaximize();
    }
}

void CShellBrowserContainerBase::OnNavigatorDefaultCommand() {
    if (m_pItem->AutoHideOnFileExecution)
        SendMessageW(GetWindow(), WM_CLOSE, 0, 0);
}

void CShellBrowserContainerBase::OnNavigatorBrowseStarting(PCIDLIST_ABSOLUTE oldLocation,
                                                           PCIDLIST_ABSOLUTE newLocation) {
    if (!OnLocationChanging(oldLocation, newLocation))
        return;
    SaveIconPositions();
    StopIconPositionRestore();
}

void CShellBrowserContainerBase::OnNavigatorBrowseCompleted(PCIDLIST_ABSOLUTE location) {
    m_rearranged = FALSE;
    ResetIconPositionRestore();
    UpdateNavigationButtons();
    if (m_pItem->IsMaximized)
        Maximize();
    BOOL wasAtHome = m_navigator.IsAtHome();
    UpdateAtHome(location);
    UINT homeMode = static_cast<UINT>(m_pItem->FolderViewMode);
    if (IsIconPositionSavingEnabled()) {
        StartIconPositionRestore();
        m_navigator.ShowInMode(homeMode);
        RestoreIconPositions();
    } else if (wasAtHome && m_navigator.ViewMode() != homeMode) {
        // Away from home the user's own choice of mode comes back.
        m_navigator.ShowInUsersMode();
    }
}

void CShellBrowserContainerBase::OnNavigatorViewLost() {
    StopIconPositionRestore();
    UpdateNavigationButtons();
}

void CShellBrowserContainerBase::UpdateAtHome(PCIDLIST_ABSOLUTE location) {
    if (!m_navigator.UpdateAtHome(location))
        return;
    m_placement.SetToolbarStripReserved(ToolbarShown());
    if (!m_pItem->HideToolBarForHomeFolder || m_pItem->HideToolBar)
        return;
    m_toolbar.Show(!m_navigator.IsAtHome() && IsWindowVisible(GetWindow()));
    // The strip the toolbar needed is free now, or needed again.
    if (m_pItem->IsMaximized)
        m_placement.FillMaximizedArea();
}

void CShellBrowserContainerBase::OnNavigatorViewModeChanged(UINT viewMode) {
    if (!m_pItem->SaveIconsPositionsForHomeFolder)
        return;
    if (IsIconPositionSavingEnabled() && viewMode == static_cast<UINT>(m_pItem->FolderViewMode)) {
        ResetIconPositionRestore();
        RestoreIconPositions();
        StartIconPositionRestore();
    } else {
        StopIconPositionRestore();
    }
}

void CShellBrowserContainerBase::UpdateNavigationButtons() {
    m_toolbar.UpdateNavigationButtons(GetBrowser());
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
    HWND hungInto = m_placement.HungInto();
    if (hungInto && !IsWindow(hungInto)) {
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
    HWND window = GetWindow();
    if (!GetBrowser() || !window || !m_toolbar.Get())
        return FALSE;
    if (!alwaysShow && IsWindowVisible(window))
        return Hide();
    if (!m_pItem->RememberLastPosition && !IsWindowVisible(window))
        GoHome();
    m_toolbar.Show(ToolbarShown());
    ShowWindow(window, SW_SHOWNORMAL);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    if (ListView())
        SetFocus(ListView());
    return TRUE;
}

BOOL CShellBrowserContainerBase::Hide() {
    m_toolbar.Show(FALSE);
    if (GetWindow())
        ShowWindow(GetWindow(), SW_HIDE);
    return TRUE;
}

BOOL CShellBrowserContainerBase::GoHome() {
    return m_navigator.GoTo(m_pItem->Path);
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
    return mode != 3 && mode != 4 && mode != 10 && m_navigator.IsAtHome();
}

BOOL CShellBrowserContainerBase::IsIconPositionSavingActive() {
    return IsIconPositionSavingEnabled() && m_navigator.ViewMode() == static_cast<UINT>(m_pItem->FolderViewMode) &&
           !m_rearranged;
}

void CShellBrowserContainerBase::SaveIconPositions() {
    HWND listView = ListView();
    if (!listView || !m_pItem->HomeFolderIconPositions)
        return;
    std::vector<HomeFolderIconPosition>& saved = *m_pItem->HomeFolderIconPositions;
    int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    // A view that has not listed the folder yet knows no place the saved ones do not.
    if (count <= 0)
        return;
    std::vector<HomeFolderIconPosition> positions;
    for (int i = 0; i < count; ++i) {
        HomeFolderIconPosition position = {};
        ListView_GetItemText(listView, i, 0, position.Name, MAX_PATH);
        POINT place = {};
        ListView_GetItemPosition(listView, i, &place);
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
