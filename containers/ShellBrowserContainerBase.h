#pragma once
#include "browser/ShellBrowserEx.h"
#include "config/Skin.h"
#include "containers/ContainerBase.h"
#include "lib/HotWindow.h"
#include "lib/RuntimeModule.h"
#include "skin/TransparentToolbar.h"

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

class CGenericPathwrenObject;

// Messages of the container window.
const UINT WM_BROWSER_COMMAND = WM_APP + 1;
// The shell view asks its host for the IShellBrowser this way.
const UINT WM_GET_ISHELLBROWSER = WM_USER + 7;

// The commands of WM_BROWSER_COMMAND, also the command identifiers of the toolbar's buttons.
enum BrowserCommand {
    BrowserCommandHome = 0,
    BrowserCommandBack = 1,
    BrowserCommandForward = 2,
    BrowserCommandUp = 3,
    BrowserCommandExplorer = 4,
    BrowserCommandMove = 5,
    BrowserCommandToggleMaximize = 6,
    BrowserCommandClose = 7,
};

// The w x h rectangle in a corner of the screen rectangle: 0 top left, 1 top right, 2 bottom
// left, 3 bottom right; empty for any other position.
RECT HotCornerRect(const RECT& screen, int position, int width, int height);

// The item's z-order (ZOrder).
enum BrowserZOrder { BrowserZOrderNormal = 0, BrowserZOrderTopMost = 1, BrowserZOrderBottom = 2 };

// Moves and, when it does not fit, shrinks the rectangle so that it lies inside the area.
// Returns whether anything changed.
BOOL FitRectIntoArea(RECT* rect, const RECT& area);

// The container of a folder item shown in its own window: a borderless, resizable tool window
// hosting a folder view of the item's folder, under a skinned toolbar glued to its top edge. The
// window's size, position and maximized state live in the item record; activation toggles the
// window, closing only hides it.
class CShellBrowserContainerBase : public CContainerBase,
                                   public CTransparentToolbarEventsBase,
                                   public CHotWindowEventsBase {
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
    BOOL IsShown() const override { return m_window && IsWindowVisible(m_window); }

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

    HWND GetWindow() const { return m_window; }
    CHotWindow* GetHotWindow() const { return m_hotWindow.get(); }
    CTransparentToolbar* GetToolbar() const { return m_toolbar.get(); }
    CShellBrowserEx* GetBrowser() const { return m_browser.get(); }
    BOOL IsAtHome() const { return m_atHome; }

    static const wchar_t kWindowClassName[];
    // The strip above the window that the toolbar takes, at 96 DPI; a maximized window leaves it
    // free.
    static const int kToolbarHeight = 24;
    // The strip's height at the DPI the window stands at.
    int ToolbarHeight() const;

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

    CGenericPathwrenObject* m_pItem;
    HWND m_window;
    HWND m_listView;
    HWND m_viewWindow;
    std::unique_ptr<CShellBrowserEx> m_browser;
    BOOL m_atHome;
    BOOL m_rearranged;
    BOOL m_restoring;
    UINT m_viewMode;
    WCHAR m_currentPath[MAX_PATH];

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void OnDefaultCommand(void* self);
    static void OnBrowseStarting(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation, void* self);
    static void OnBrowseCompleted(PCIDLIST_ABSOLUTE location, void* self);
    static void OnViewModeChanged(HWND listView, UINT viewMode, void* self);
    static void OnViewLost(void* self);

    BOOL CreateContainerWindow();
    BOOL HangIntoDesktop();
    void DestroyContainerWindow();
    void ApplyItem();
    // The work and maximized areas of the monitor the window (or else the rectangle) stands on.
    void ComputeAreas();
    void ComputeAreas(const RECT& standsOn);
    BOOL ToolbarShown() const;
    BOOL Navigate(UINT flags);
    BOOL CreateToolbar();
    void CreateHotCorner();
    // The window's rectangle as the user sees it: without the invisible resize borders that
    // desktop composition adds.
    RECT VisibleFrame() const;
    void PlaceToolbar();
    void ShowToolbar(BOOL show);
    void UpdateNavigationButtons();
    void SetMaximizedLook(BOOL maximized);
    // The skin's pictures at the toolbar's size: the skin's own at the system's scale, else
    // taken at this window's scale and held here until the next change.
    void TakeSkinImages();
    std::array<HICON, SkinImageCount> SkinImages() const;
    // Gives the toolbar's buttons the pictures held now.
    void ApplySkinImages();
    void OnSize();
    void OnDisplayChange();
    // The window came to a monitor of another scale: it takes Windows' suggested rectangle, which
    // keeps its size on the screen, and the toolbar takes the new scale's sizes.
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    // The item's remembered client size, in pixels at the given DPI, and the window's size kept
    // into it.
    SIZE StoredClientSize(UINT dpi) const;
    void RememberPlace(const RECT& client, POINT frameCorner);
    void OnWindowLost();
    void Maximize();
    void Restore();
    // Places the window at a rectangle in screen coordinates, whatever its parent.
    void PlaceWindow(RECT rect, UINT flags);
    void SetWindowRectFlagged(const RECT& rect);
    void UpdateAtHome(PCIDLIST_ABSOLUTE location);
    WCHAR m_homePath[MAX_PATH];

    CRuntimeModule m_dwm;
    HRESULT(WINAPI* m_dwmIsCompositionEnabled)(BOOL*);
    HRESULT(WINAPI* m_dwmGetWindowAttribute)(HWND, DWORD, PVOID, DWORD);
    // Empty, or the skin's images taken at this window's scale; the toolbar goes first.
    std::vector<CIconHandle> m_scaledSkinImages;
    std::unique_ptr<CTransparentToolbar> m_toolbar;
    std::unique_ptr<CHotWindow> m_hotWindow;
    // Raised while the window and the toolbar follow each other, so neither moves the other back.
    BOOL m_movingToolbar;
    // The window died with the desktop it hung in; the next activation builds it again.
    BOOL m_windowLost;
    // The desktop list view the window hangs in; null unless the z-order is "Bottom".
    HWND m_hungInto;
    RECT m_workArea;
    RECT m_maximizedArea;
    BOOL m_changingViewMode;
    BOOL m_positioning;
    UINT m_dpi; // of the monitor the window stands on
};
