#pragma once
#include "browser/DesktopBrowser.h"
#include "containers/ShellBrowserContainer.h"
#include "containers/ShellBrowserContainerXP.h"
#include "containers/ShellItemChangeWatcher.h"

// The message the watch of the user's desktop directory arrives with.
const UINT WM_DESKTOP_DIRECTORY_CHANGE = WM_APP + 1345;
// How long the mirror collects desktop changes before it rebuilds once for all of them.
const UINT kDesktopChangeSettleMs = 200;

// The container of a "Desktop" item: a browser window whose view mirrors the real desktop,
// whatever folder the item names, and follows changes of the desktop directory while the user
// works elsewhere. A burst of changes (an archive unpacked onto the desktop) makes one rebuild, and
// a hidden mirror reads nothing until it is shown again. Written once over either browser
// container, the one of the system in use.
template <class BrowserContainer>
class TDesktopBrowserContainer : public BrowserContainer, public IShellItemChangeWatcher {
public:
    TDesktopBrowserContainer(HINSTANCE instance, IContainerHost* host);
    ~TDesktopBrowserContainer() override;

    void Destroy() override { delete this; }
    BOOL Initialize(CGenericPathwrenObject* item) override;
    BOOL Show(BOOL alwaysShow) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL GoHome() override;
    // The mirror places the icons itself; the home folder's saved places do not apply.
    BOOL IsIconPositionSavingEnabled() override { return FALSE; }
    void OnShellItemChange(LONG event, LPCWSTR firstPath, LPCWSTR secondPath) override;

    CDesktopBrowser* GetDesktopBrowser() const { return static_cast<CDesktopBrowser*>(this->GetBrowser()); }

protected:
    CShellBrowserEx* CreateBrowser(const FOLDERSETTINGS& settings) override;
    HRESULT BrowseHome() override;

private:
    void OnChangesSettled();
    // Rebuilds the way the user's refresh key does, so that a refresh has one path.
    void RefreshMirror();

    BOOL m_changesPending = FALSE;     // the settle timer runs
    BOOL m_changedWhileHidden = FALSE; // the next showing rebuilds first
};

class CDesktopBrowserContainer : public TDesktopBrowserContainer<CShellBrowserContainer> {
public:
    using TDesktopBrowserContainer::TDesktopBrowserContainer;
};

// On Windows XP: the XP browser container, with the XP desktop view.
class CDesktopBrowserContainerXP : public TDesktopBrowserContainer<CShellBrowserContainerXP> {
public:
    using TDesktopBrowserContainer::TDesktopBrowserContainer;

protected:
    CShellBrowserEx* CreateBrowser(const FOLDERSETTINGS& settings) override;
};
