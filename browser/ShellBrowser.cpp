#include "browser/ShellBrowser.h"

#include "lib/WindowsVersion.h"

#include <commctrl.h>
#include <shlwapi.h>

namespace {

const LONG_PTR NoViewCommand = -1;

struct ViewModeRow {
    UINT folderViewMode;
    LONG_PTR commandBeforeVista;
    LONG_PTR commandFromVista;
};

// The shell view's own menu commands for each view mode. Vista renumbered them and dropped the
// thumbnail views; the older systems lack the medium, large and extra large icon sizes.
const ViewModeRow ViewModeTable[ShellBrowserViewModeCount] = {
    {FVM_ICON, 0x7029, 0x7029},              // icons
    {FVM_LIST, 0x7029, 0x7029},              // icons
    {FVM_SMALLICON, 0x702A, 0x7050},         // small icons
    {FVM_LIST, 0x702B, 0x7051},              // list
    {FVM_DETAILS, 0x702C, 0x704B},           // details
    {FVM_ICON, NoViewCommand, 0x704E},       // medium icons
    {FVM_ICON, NoViewCommand, 0x704F},       // large icons
    {FVM_ICON, NoViewCommand, 0x704D},       // extra large icons
    {FVM_LIST, 0x702E, 0x704C},              // tiles
    {FVM_THUMBNAIL, 0x702D, NoViewCommand},  // thumbnails
    {FVM_THUMBSTRIP, 0x702F, NoViewCommand}, // thumbnail strip
};

BOOL RunsBeforeVista() {
    WindowsVersion version = ReportedWindowsVersion();
    return version.major != 0 && version.Before(6, 0);
}

} // namespace

CShellBrowser::CShellBrowser(HWND parentWindow, const FOLDERSETTINGS* folderSettings) : m_parentWindow(parentWindow) {
    Initialize(folderSettings, folderSettings ? ViewModeFromFolderSettings(folderSettings) : 3);
}

CShellBrowser::CShellBrowser(HWND parentWindow, const FOLDERSETTINGS* folderSettings, UINT viewMode)
    : m_parentWindow(parentWindow) {
    Initialize(folderSettings, viewMode);
}

void CShellBrowser::Initialize(const FOLDERSETTINGS* folderSettings, UINT viewMode) {
    BOOL beforeVista = RunsBeforeVista();
    for (UINT mode = 0; mode < ShellBrowserViewModeCount; mode++)
        m_viewCommands[mode] =
            beforeVista ? ViewModeTable[mode].commandBeforeVista : ViewModeTable[mode].commandFromVista;
    if (folderSettings)
        m_folderSettings = *folderSettings;
    else
        FolderSettingsFromViewMode(viewMode, &m_folderSettings);
    m_viewMode = viewMode;
    m_idListArrayFormat = RegisterClipboardFormatW(L"Shell IDList Array");
    GetClientRect(m_parentWindow, &m_viewRect);
}

CShellBrowser::~CShellBrowser() {
    ReleaseSelectionIdList();
    if (m_view) {
        m_view->UIActivate(SVUIA_DEACTIVATE);
        m_view->DestroyViewWindow();
    }
    // Members go in reverse order: the history, the view, the folder, then the location.
}

STDMETHODIMP CShellBrowser::QueryInterface(REFIID iid, void** object) {
    // IUnknown is answered with the first row: the shell expects its browser's identity to be the
    // IShellBrowser it was handed.
    static const QITAB interfaces[] = {
        QITABENT(CShellBrowser, IShellBrowser),
        QITABENTMULTI(CShellBrowser, IOleWindow, IShellBrowser),
        QITABENT(CShellBrowser, ICommDlgBrowser),
        {nullptr, 0},
    };
    return QISearch(this, interfaces, iid, object);
}

STDMETHODIMP_(ULONG) CShellBrowser::AddRef() {
    return InterlockedIncrement(&m_referenceCount);
}

// The owner deletes the browser after the view is gone; the shell's last release must not.
STDMETHODIMP_(ULONG) CShellBrowser::Release() {
    return InterlockedDecrement(&m_referenceCount);
}

STDMETHODIMP CShellBrowser::OnStateChange(IShellView*, ULONG) {
    return E_NOTIMPL;
}

STDMETHODIMP CShellBrowser::IncludeObject(IShellView*, PCUITEMID_CHILD) {
    return S_OK;
}

HRESULT CShellBrowser::Refresh() {
    return m_view ? m_view->Refresh() : E_FAIL;
}

void CShellBrowser::SetViewRect(const RECT& rect) {
    if (EqualRect(&rect, &m_viewRect))
        return;
    m_viewRect = rect;
    // The view always sits at the parent's client origin; only the size follows.
    SetWindowPos(m_viewWindow, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

STDMETHODIMP CShellBrowser::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = m_parentWindow;
    return S_OK;
}

STDMETHODIMP CShellBrowser::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP CShellBrowser::InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) {
    return E_NOTIMPL;
}
STDMETHODIMP CShellBrowser::SetMenuSB(HMENU, HOLEMENU, HWND) {
    return E_NOTIMPL;
}
STDMETHODIMP CShellBrowser::RemoveMenusSB(HMENU) {
    return E_NOTIMPL;
}
STDMETHODIMP CShellBrowser::SetStatusTextSB(LPCWSTR) {
    return E_NOTIMPL;
}
STDMETHODIMP CShellBrowser::EnableModelessSB(BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP CShellBrowser::TranslateAcceleratorSB(MSG*, WORD) {
    return S_OK;
}

STDMETHODIMP CShellBrowser::GetViewStateStream(DWORD, IStream** stream) {
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CShellBrowser::GetControlWindow(UINT, HWND* window) {
    if (!window)
        return E_POINTER;
    *window = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CShellBrowser::SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) {
    if (!result)
        return E_POINTER;
    *result = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CShellBrowser::QueryActiveShellView(IShellView** view) {
    if (!view)
        return E_POINTER;
    *view = nullptr;
    if (!m_view)
        return E_FAIL;
    m_view.CopyTo(view);
    return S_OK;
}

STDMETHODIMP CShellBrowser::OnViewWindowActive(IShellView* view) {
    return view ? E_NOTIMPL : E_POINTER;
}

STDMETHODIMP CShellBrowser::SetToolbarItems(LPTBBUTTONSB, UINT, UINT) {
    return E_NOTIMPL;
}

void CShellBrowser::SetDefaultCommandCallback(DefaultCommandCallback callback, void* context) {
    m_defaultCommandCallback = callback;
    m_defaultCommandContext = context;
}

void CShellBrowser::SetBrowseCompletedCallback(BrowseCompletedCallback callback, void* context) {
    m_browseCompletedCallback = callback;
    m_browseCompletedContext = context;
}

void CShellBrowser::SetBrowseStartingCallback(BrowseStartingCallback callback, void* context) {
    m_browseStartingCallback = callback;
    m_browseStartingContext = context;
}

LONG_PTR CShellBrowser::ViewCommand(UINT viewMode) const {
    return m_viewCommands[viewMode < ShellBrowserViewModeCount ? viewMode : 0];
}

HWND CShellBrowser::FindListView() const {
    if (!m_viewWindow)
        return nullptr;
    HWND thumbnailHost = FindWindowExW(m_viewWindow, nullptr, L"ThumbnailVwExtWnd32", nullptr);
    if (thumbnailHost) {
        HWND listView = FindWindowExW(thumbnailHost, nullptr, WC_LISTVIEWW, nullptr);
        if (listView)
            return listView;
    }
    return FindWindowExW(m_viewWindow, nullptr, WC_LISTVIEWW, nullptr);
}

BOOL CShellBrowser::FolderSettingsFromViewMode(UINT viewMode, FOLDERSETTINGS* settings) {
    BOOL known = viewMode < ShellBrowserViewModeCount;
    settings->ViewMode = known ? ViewModeTable[viewMode].folderViewMode : static_cast<UINT>(FVM_LIST);
    settings->fFlags = FWF_NOWEBVIEW;
    return known;
}

UINT CShellBrowser::ViewModeFromFolderSettings(const FOLDERSETTINGS* settings, BOOL* known) {
    UINT viewMode = 3;
    BOOL found = settings != nullptr;
    switch (settings ? settings->ViewMode : 0) {
        case FVM_ICON:
            viewMode = 0;
            break;
        case FVM_SMALLICON:
            viewMode = 2;
            break;
        case FVM_LIST:
            viewMode = 3;
            break;
        case FVM_DETAILS:
            viewMode = 4;
            break;
        case FVM_THUMBNAIL:
            viewMode = 9;
            break;
        case FVM_THUMBSTRIP:
            viewMode = 10;
            break;
        default:
            found = FALSE;
            break;
    }
    if (known)
        *known = found;
    return viewMode;
}
