#pragma once
#include "config/Skin.h"
#include "containers/ContainerHost.h"
#include "containers/ShellBrowserPlacement.h"
#include "lib/IconHandle.h"
#include "lib/RuntimeModule.h"
#include "skin/TransparentToolbar.h"

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

class CLanguage;
class CShellBrowserEx;

// The commands of the toolbar's buttons, which the window also runs as WM_BROWSER_COMMAND.
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

// The skinned toolbar glued above a browser window's top edge: its buttons and their pictures at
// the window's scale, which of them can be used now, and keeping the window and the toolbar
// together when either moves. The toolbar window belongs to the browser window, so it is rebuilt
// with it.
class CShellBrowserToolbar {
public:
    CShellBrowserToolbar(IContainerHost* host, CShellBrowserPlacement& placement);
    CShellBrowserToolbar(const CShellBrowserToolbar&) = delete;
    CShellBrowserToolbar& operator=(const CShellBrowserToolbar&) = delete;

    // Builds the toolbar over the placement's window. The navigation buttons are there only when
    // the item lets the user move between folders; without a language the buttons have no tips.
    BOOL Create(HINSTANCE instance, ITransparentToolbarEvents* events, BOOL withNavigation, const CLanguage* language);
    // Before the window goes: the toolbar would die with it behind its object's back.
    void Destroy() { m_toolbar.reset(); }
    CTransparentToolbar* Get() const { return m_toolbar.get(); }
    // The window may not get narrower than the toolbar's buttons need.
    int MinWidth() const { return m_toolbar ? m_toolbar->GetMinWidth() : 0; }

    void Place();
    void Show(BOOL show);
    void UpdateNavigationButtons(const CShellBrowserEx* browser);
    // A maximized window's toolbar has no move button and a reduce button.
    void SetMaximizedLook(BOOL maximized);
    // The window came to a monitor of another scale: the toolbar takes the new sizes and
    // pictures.
    void Rescale(BOOL maximized);
    // The user drags the toolbar: the window follows it.
    void OnMoved(int dx, int dy);

private:
    typedef std::array<HICON, SkinImageCount> SkinImageSet;

    const CSkin* Skin() const;
    // The window's rectangle as the user sees it: without the invisible resize borders that
    // desktop composition adds.
    RECT VisibleFrame() const;
    // The skin's pictures at the toolbar's size: the skin's own at the system's scale, else
    // taken at this window's scale and held here until the next change.
    void TakeSkinImages(BOOL maximized);
    SkinImageSet SkinImages() const;
    // Gives the toolbar's buttons the pictures held now.
    void ApplySkinImages(BOOL maximized);

    IContainerHost* m_host; // not owned; outlives the container
    CShellBrowserPlacement& m_placement;
    CRuntimeModule m_dwm;
    HRESULT(WINAPI* m_dwmIsCompositionEnabled)(BOOL*);
    HRESULT(WINAPI* m_dwmGetWindowAttribute)(HWND, DWORD, PVOID, DWORD);
    // Empty, or the skin's images taken at this window's scale; the toolbar goes first.
    std::vector<CIconHandle> m_scaledSkinImages;
    std::unique_ptr<CTransparentToolbar> m_toolbar;
    // Raised while the window and the toolbar follow each other, so neither moves the other back.
    BOOL m_moving;
};
