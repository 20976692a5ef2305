#pragma once
#include "browser/ShellBrowserEx.h"

#include <windows.h>

#include <memory>

// What the navigator reports of its browser, once it has taken its own note of it.
class IShellBrowserNavigatorEvents {
public:
    // Leaving one location for another; both may be null.
    virtual void OnNavigatorBrowseStarting(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation) = 0;
    // A new view shows the location; the view's windows are known again.
    virtual void OnNavigatorBrowseCompleted(PCIDLIST_ABSOLUTE location) = 0;
    // The view changed its mode, whoever chose it.
    virtual void OnNavigatorViewModeChanged(UINT viewMode) = 0;
    // The view's windows are destroyed; their handles are forgotten already.
    virtual void OnNavigatorViewLost() = 0;
    // The user opened an item of the view.
    virtual void OnNavigatorDefaultCommand() = 0;

protected:
    ~IShellBrowserNavigatorEvents() = default;
};

class CShellBrowserNavigatorEventsBase : public IShellBrowserNavigatorEvents {
public:
    void OnNavigatorBrowseStarting(PCIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE) override {}
    void OnNavigatorBrowseCompleted(PCIDLIST_ABSOLUTE) override {}
    void OnNavigatorViewModeChanged(UINT) override {}
    void OnNavigatorViewLost() override {}
    void OnNavigatorDefaultCommand() override {}

protected:
    ~CShellBrowserNavigatorEventsBase() = default;
};

// The folder view of a browser window and where it stands: home, back, forward and up, whether
// the view shows the home folder, and which view mode the user chose, which may differ from the
// one the home folder is shown in.
class CShellBrowserNavigator {
public:
    explicit CShellBrowserNavigator(IShellBrowserNavigatorEvents* events);
    CShellBrowserNavigator(const CShellBrowserNavigator&) = delete;
    CShellBrowserNavigator& operator=(const CShellBrowserNavigator&) = delete;

    // Takes the browser of a new window, listens to it and starts where the item's path points;
    // the item's view mode counts as the user's until the user chooses another.
    void Attach(CShellBrowserEx* browser, LPCWSTR itemPath, UINT viewMode);
    // The view lives inside the window: the browser goes before the window does.
    void Release();
    CShellBrowserEx* Browser() const { return m_browser.get(); }
    HWND ViewWindow() const { return m_viewWindow; }
    HWND ListView() const { return m_listView; }

    // Remembers the item's folder as home and shows it.
    HRESULT BrowseHome(LPCWSTR itemPath);
    // Shows the item's folder again, resolved anew.
    BOOL GoTo(LPCWSTR itemPath);
    // Back, forward or up (SBSP_ flags); FALSE when there is no such place.
    BOOL Navigate(UINT flags);

    // Takes note of the location a navigation reached; TRUE when being at home changed.
    BOOL UpdateAtHome(PCIDLIST_ABSOLUTE location);
    void LeaveHome() { m_atHome = FALSE; }
    BOOL IsAtHome() const { return m_atHome; }
    // The file system path shown; empty for places outside the file system.
    LPCWSTR CurrentPath() const { return m_currentPath; }

    // The mode the user chose last.
    UINT ViewMode() const { return m_viewMode; }
    // Switches the view to the mode without taking it for the user's choice.
    void ShowInMode(UINT viewMode);
    // Switches the view back to the user's own choice.
    void ShowInUsersMode();

private:
    static void OnDefaultCommand(void* self);
    static void OnBrowseStarting(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation, void* self);
    static void OnBrowseCompleted(PCIDLIST_ABSOLUTE location, void* self);
    static void OnViewModeChanged(HWND listView, UINT viewMode, void* self);
    static void OnViewLost(void* self);

    IShellBrowserNavigatorEvents* m_events;
    std::unique_ptr<CShellBrowserEx> m_browser;
    HWND m_viewWindow;
    HWND m_listView;
    BOOL m_atHome;
    UINT m_viewMode;
    // Raised while the navigator switches the mode itself.
    BOOL m_changingViewMode;
    WCHAR m_currentPath[MAX_PATH];
    WCHAR m_homePath[MAX_PATH];
};
