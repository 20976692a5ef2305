#pragma once
#include "browser/ShellBrowserEx.h"
#include "containers/ContainerBase.h"
#include "containers/ShellBrowserNavigator.h"
#include "containers/ShellBrowserPlacement.h"
#include "containers/ShellBrowserToolbar.h"
#include "lib/HotWindow.h"
#include "skin/TransparentToolbar.h"

#include <windows.h>

#include <memory>

class CGenericPathwrenObject;

// Messages of the container window.
const UINT WM_BROWSER_COMMAND = WM_APP + 1;
// The shell view asks its host for the IShellBrowser this way.
const UINT WM_GET_ISHELLBROWSER = WM_USER + 7;

// The w x h rectangle in a corner of the screen rectangle: 0 top left, 1 top right, 2 bottom
// left, 3 bottom right; empty for any other position.
RECT HotCornerRect(const RECT& screen, int position, int width, int height);

// The item's z-order (ZOrder).
enum BrowserZOrder { BrowserZOrderNormal = 0, BrowserZOrderTopMost = 1, BrowserZOrderBottom = 2 };

// The container of a folder item shown in its own window: a borderless, resizable tool window
// hosting a folder view of the item's folder, under a skinned toolbar glued to its top edge. The
// window's size, position and maximized state live in the item record; activation toggles the
// window, closing only hides it. Where the window stands, its toolbar and what its view shows are
// kept by three parts of their own; the container ties them to the item, the window's messages and
// the icon positions of the home folder, which its subclasses put back.
class CShellBrowserContainerBase : public CContainerBase,
                                   public CTransparentToolbarEventsBase,
                                   public CHotWindowEventsBase,
                                   private CShellBrowserNavigatorEventsBase {
public:
    CShellBrowserContainerBase(HINSTANCE instance, IContainerHost* host);
    ~CShellBrowserContainerBase() override;

    // The window takes the focus itself; the notification area must not get it back.
    BOOL ReturnFocusToTray() override { return FALSE; }
    void ToggleMaximize() override;
    BOOL BuildContextMenu(CLanguage* language) override;
    void Destroy() override = 0;
    BOOL Initialize(CGenericPathwrenObject* item) override;
    BOOL SaveState() override;
    BOOL Show(BOOL alwaysShow) override;
    BOOL Hide() override;
    BOOL IsShown() const override { return GetWindow() && IsWindowVisible(GetWindow()); }

    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Whether leaving the old location must first save the home folder's icon positions.
    virtual BOOL OnLocationChanging(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation);
    virtual BOOL IsIconPositionSavingActive();
    virtual BOOL IsIconPositionSavingEnabled();
    virtual BOOL RefreshView(UINT key, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL StartIconPositionRestore() = 0;
    virtual BOOL StopIconPositionRestore() = 0;
    virtual void ResetIconPositionRestore() {}
    virtual BOOL RestoreIconPositions() { return FALSE; }
    // Whether the icon stands where this container put it since the last navigation, rather than
    // where the view's own grid put it.
    virtual BOOL IsIconPlaced(LPCWSTR name) {
        (void)name;
        return TRUE;
    }
    virtual BOOL GoHome();

    void OnToolbarMoved(CTransparentToolbar* toolbar, int dx, int dy) override;
    void OnToolbarMoveEnded(CTransparentToolbar* toolbar) override;
    void OnToolbarButtonClicked(CTransparentToolbar* toolbar, UINT command) override;
    void OnToolbarDoubleClicked(CTransparentToolbar* toolbar) override;
    LRESULT OnToolbarKeyDown(CTransparentToolbar* toolbar, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnToolbarClose(CTransparentToolbar* toolbar, WPARAM wParam, LPARAM lParam) override;

    // The cursor resting in the hot corner shows the window, never hides it.
    void OnHotWindowEnter(CHotWindow* hotWindow, BOOL* useKeepRect, RECT* keepRect) override;

    HWND GetWindow() const { return m_placement.Window(); }
    CHotWindow* GetHotWindow() const { return m_hotWindow.get(); }
    CTransparentToolbar* GetToolbar() const { return m_toolbar.Get(); }
    CShellBrowserEx* GetBrowser() const { return m_navigator.Browser(); }
    BOOL IsAtHome() const { return m_navigator.IsAtHome(); }

    static const wchar_t kWindowClassName[];
    static const int kToolbarHeight = CShellBrowserPlacement::kToolbarHeight;
    // The toolbar strip's height at the DPI the window stands at.
    int ToolbarHeight() const { return m_placement.ToolbarHeight(); }

protected:
    // The view of the item's folder and the first navigation: the desktop container shows the
    // Desktop folder in its mirror instead.
    virtual CShellBrowserEx* CreateBrowser(const FOLDERSETTINGS& settings);
    virtual HRESULT BrowseHome();
    // Runs a browser key; FALSE leaves the key to the view.
    BOOL HandleKey(UINT virtualKey);
    BOOL RunCommand(UINT command);
    // Copies every icon's name and place in the home folder's list view into the item.
    void SaveIconPositions();
    // Ends the view before anything it may still report to goes.
    void ReleaseBrowser() { m_navigator.Release(); }

    CGenericPathwrenObject* Item() const { return m_pItem; }
    HWND ViewWindow() const { return m_navigator.ViewWindow(); }
    HWND ListView() const { return m_navigator.ListView(); }
    // The user sorted or arranged the icons since they were put back: the saved places no longer
    // say what the user sees, so they are not saved over.
    void SetRearranged(BOOL rearranged) { m_rearranged = rearranged; }

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void OnNavigatorBrowseStarting(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation) override;
    void OnNavigatorBrowseCompleted(PCIDLIST_ABSOLUTE location) override;
    void OnNavigatorViewModeChanged(UINT viewMode) override;
    void OnNavigatorViewLost() override;
    void OnNavigatorDefaultCommand() override;

    BOOL CreateContainerWindow();
    void DestroyContainerWindow();
    void ApplyItem();
    BOOL ToolbarShown() const;
    void CreateHotCorner();
    void UpdateNavigationButtons();
    void UpdateAtHome(PCIDLIST_ABSOLUTE location);
    BOOL Navigate(UINT flags);
    void FocusView();
    void OnSize();
    // The window came to a monitor of another scale: it takes Windows' suggested rectangle, which
    // keeps its size on the screen, and the toolbar takes the new scale's sizes.
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnWindowLost();
    void Maximize();
    void Restore();

    CGenericPathwrenObject* m_pItem;
    CShellBrowserPlacement m_placement;
    CShellBrowserNavigator m_navigator;
    CShellBrowserToolbar m_toolbar;
    std::unique_ptr<CHotWindow> m_hotWindow;
    BOOL m_rearranged;
    // The window died with the desktop it hung in; the next activation builds it again.
    BOOL m_windowLost;
};
