#pragma once
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "lib/ComPtr.h"
#include "lib/IdList.h"

// The view mode index the program stores for a folder item (0 to 10).
const UINT ShellBrowserViewModeCount = 11;

// Lets the shell draw a folder's content inside one of our windows: the browser side of the shell
// view protocol, with the current location, a back/forward history and the view mode. The owner
// keeps the object alive as long as the parent window shows the view and deletes it itself; the
// reference count is only bookkeeping for the shell.
//
// No virtual destructor: the virtual operations keep a fixed order behind ICommDlgBrowser's, and
// owners destroy the concrete class they created.
class CShellBrowser : public ICommDlgBrowser, public IShellBrowser {
public:
    typedef void (*DefaultCommandCallback)(void* context);
    typedef void (*BrowseCompletedCallback)(PCIDLIST_ABSOLUTE location, void* context);
    typedef void (*BrowseStartingCallback)(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation, void* context);
    // A navigation destroyed the old view and could not build the new one: no view is left.
    typedef void (*ViewLostCallback)(void* context);

    // The view mode comes from the settings (3, list, without them).
    CShellBrowser(HWND parentWindow, const FOLDERSETTINGS* folderSettings);
    CShellBrowser(HWND parentWindow, const FOLDERSETTINGS* folderSettings, UINT viewMode);
    ~CShellBrowser();
    CShellBrowser(const CShellBrowser&) = delete;
    CShellBrowser& operator=(const CShellBrowser&) = delete;

    // IUnknown, shared by both faces.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // ICommDlgBrowser.
    STDMETHODIMP OnDefaultCommand(IShellView* view) override;
    STDMETHODIMP OnStateChange(IShellView* view, ULONG change) override;
    STDMETHODIMP IncludeObject(IShellView* view, PCUITEMID_CHILD child) override;

    // The browser's own operations, called by the owner and overridden by the derived browsers.
    virtual HRESULT Refresh();
    virtual void SetViewRect(const RECT& rect);
    virtual void OnViewWindowCreated() {}
    // The old view's windows, just before they are destroyed.
    virtual void OnViewWindowDestroying(HWND viewWindow, HWND listView) { (void)viewWindow, (void)listView; }
    virtual void OnBeforeBrowse(PCIDLIST_ABSOLUTE location) { (void)location; }

    // IShellBrowser.
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenuSB(HMENU shared, HOLEMENU menuResource, HWND activeObject) override;
    STDMETHODIMP RemoveMenusSB(HMENU shared) override;
    STDMETHODIMP SetStatusTextSB(LPCWSTR text) override;
    STDMETHODIMP EnableModelessSB(BOOL enable) override;
    STDMETHODIMP TranslateAcceleratorSB(MSG* message, WORD id) override;
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE idList, UINT flags) override;
    STDMETHODIMP GetViewStateStream(DWORD mode, IStream** stream) override;
    STDMETHODIMP GetControlWindow(UINT id, HWND* window) override;
    STDMETHODIMP SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    STDMETHODIMP QueryActiveShellView(IShellView** view) override;
    STDMETHODIMP OnViewWindowActive(IShellView* view) override;
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB buttons, UINT count, UINT flags) override;

    HRESULT BrowseToPath(LPCWSTR path);
    HRESULT BrowseToDesktop();

    void SetDefaultCommandCallback(DefaultCommandCallback callback, void* context);
    void SetBrowseCompletedCallback(BrowseCompletedCallback callback, void* context);
    void SetBrowseStartingCallback(BrowseStartingCallback callback, void* context);
    void SetViewLostCallback(ViewLostCallback callback, void* context) {
        m_viewLostCallback = callback;
        m_viewLostContext = context;
    }

    // Whether the default command on a folder, or a shortcut to one, navigates inside this browser.
    void SetNavigateIntoFolders(BOOL navigate) { m_navigateIntoFolders = navigate; }
    // Raised around a BrowseObject of the current location, it rebuilds the view without
    // touching the history.
    void SetRebrowseSameLocation(BOOL rebrowse) { m_rebrowseSameLocation = rebrowse; }

    PCIDLIST_ABSOLUTE CurrentLocation() const { return m_location.Get(); }
    IShellView* CurrentView() const { return m_view.Get(); }
    IShellFolder* CurrentFolder() const { return m_folder.Get(); }
    HWND ParentWindow() const { return m_parentWindow; }
    HWND ViewWindow() const { return m_viewWindow; }
    HWND ListView() const { return m_listView; }
    int HistoryIndex() const { return m_historyIndex; }
    int HistoryCount() const { return static_cast<int>(m_history.size()); }
    UINT ViewMode() const { return m_viewMode; }
    const FOLDERSETTINGS& FolderSettings() const { return m_folderSettings; }
    const RECT& ViewRect() const { return m_viewRect; }
    // The WM_COMMAND identifier that switches a view to the mode (entry 0 past the table); -1
    // where the running system has no such command.
    LONG_PTR ViewCommand(UINT viewMode) const;

    // The list view inside the current view window, also when it sits in a thumbnail host.
    HWND FindListView() const;

    // The current selection as the shell's "Shell IDList Array", held until the next call or
    // ReleaseSelectionIdList; null when nothing is selected.
    const CIDA* GetSelectionIdList();
    void ReleaseSelectionIdList();

    // A folder we can show in place: a file-system folder (or an ancestor of one, like the
    // computer folder) that the shell does not want opened in its own browser.
    static BOOL IsNavigableFolder(PCUITEMID_CHILD child, IShellFolder* folder);
    // The target of a shortcut in the current folder; empty for anything else.
    CIdList GetLinkTarget(PCUITEMID_CHILD child);
    // The target of a shortcut in the current folder when that target is a navigable folder.
    CIdList GetFolderLinkTarget(PCUITEMID_CHILD child);
    // The shell link object of a shortcut in the current folder.
    HRESULT GetShellLink(PCUITEMID_CHILD child, CComPtr<IShellLinkW>* link);

    static BOOL FolderSettingsFromViewMode(UINT viewMode, FOLDERSETTINGS* settings);
    static UINT ViewModeFromFolderSettings(const FOLDERSETTINGS* settings, BOOL* known = nullptr);

protected:
    // The view command table: what each view mode's WM_COMMAND is on the running system.
    LONG_PTR m_viewCommands[ShellBrowserViewModeCount];
    BOOL m_navigateIntoFolders = TRUE;
    DefaultCommandCallback m_defaultCommandCallback = nullptr;
    void* m_defaultCommandContext = nullptr;
    BrowseCompletedCallback m_browseCompletedCallback = nullptr;
    void* m_browseCompletedContext = nullptr;
    BrowseStartingCallback m_browseStartingCallback = nullptr;
    void* m_browseStartingContext = nullptr;
    ViewLostCallback m_viewLostCallback = nullptr;
    void* m_viewLostContext = nullptr;
    LONG m_referenceCount = 1;
    HWND m_parentWindow;
    HWND m_viewWindow = nullptr;
    HWND m_listView = nullptr;
    FOLDERSETTINGS m_folderSettings;
    UINT m_viewMode;
    // The selection medium of GetSelectionIdList and the data locked in it.
    STGMEDIUM m_selectionMedium = {};
    const CIDA* m_selection = nullptr;
    UINT m_idListArrayFormat;
    CIdList m_location;
    RECT m_viewRect = {};
    CComPtr<IShellFolder> m_folder;
    CComPtr<IShellView> m_view;
    std::vector<CIdList> m_history;
    int m_historyIndex = -1;
    BOOL m_rebrowseSameLocation = FALSE;
    // Non-zero while BrowseObject runs: the shell calls back into us while it builds a view.
    LONG m_browseDepth = 0;

private:
    void Initialize(const FOLDERSETTINGS* folderSettings, UINT viewMode);
    HRESULT ResolveTarget(PCUIDLIST_RELATIVE idList, UINT flags, CIdList* target);
    void RecordInHistory(PCIDLIST_ABSOLUTE location);
    HRESULT ShowFolder(PCUIDLIST_RELATIVE relative, UINT flags, BOOL listViewHadFocus);
};
