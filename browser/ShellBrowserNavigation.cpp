#include "browser/ShellBrowser.h"

#include "lib/FileSystem.h"

namespace {

// Decrements the browse depth on every way out of BrowseObject.
class CBrowseDepthGuard {
public:
    explicit CBrowseDepthGuard(LONG* depth) : m_depth(depth) {}
    ~CBrowseDepthGuard() { InterlockedDecrement(m_depth); }
    CBrowseDepthGuard(const CBrowseDepthGuard&) = delete;
    CBrowseDepthGuard& operator=(const CBrowseDepthGuard&) = delete;

private:
    LONG* m_depth;
};

CIdList CloneIdList(PCUIDLIST_RELATIVE idList) {
    return CIdList(ILClone(idList));
}

} // namespace

STDMETHODIMP CShellBrowser::BrowseObject(PCUIDLIST_RELATIVE idList, UINT flags) {
    // The shell may call back into the browser while it builds a view; a navigation started
    // from inside a navigation would free the view that is being built.
    if (InterlockedIncrement(&m_browseDepth) != 1) {
        InterlockedDecrement(&m_browseDepth);
        return E_FAIL;
    }
    CBrowseDepthGuard depthGuard(&m_browseDepth);

    BOOL listViewHadFocus = m_listView && GetFocus() == m_listView;
    CIdList target;
    if (FAILED(ResolveTarget(idList, flags, &target)))
        return E_FAIL;
    if (m_location && ILIsEqual(m_location.Get(), target.Get()) && !m_rebrowseSameLocation)
        return S_OK;

    if (m_browseStartingCallback)
        m_browseStartingCallback(m_location.Get(), target.Get(), m_browseStartingContext);
    BOOL locationChanged = !m_location || !ILIsEqual(m_location.Get(), target.Get());
    m_location = std::move(target);
    OnBeforeBrowse(m_location.Get());
    if (!(flags & (SBSP_NAVIGATEBACK | SBSP_NAVIGATEFORWARD)) && locationChanged)
        RecordInHistory(m_location.Get());

    return ShowFolder(idList, flags, listViewHadFocus);
}

HRESULT CShellBrowser::ResolveTarget(PCUIDLIST_RELATIVE idList, UINT flags, CIdList* target) {
    if (flags & SBSP_RELATIVE) {
        if (!m_location || !idList)
            return E_FAIL;
        target->Reset(ILCombine(m_location.Get(), idList));
    } else if (flags & SBSP_PARENT) {
        if (!m_location)
            return E_FAIL;
        *target = CloneIdList(m_location.Get());
        if (*target)
            ILRemoveLastID(target->Get());
    } else if (flags & SBSP_NAVIGATEBACK) {
        if (m_historyIndex < 1)
            return E_FAIL;
        m_historyIndex--;
        *target = CloneIdList(m_history[m_historyIndex].Get());
    } else if (flags & SBSP_NAVIGATEFORWARD) {
        if (m_historyIndex + 1 >= HistoryCount())
            return E_FAIL;
        m_historyIndex++;
        *target = CloneIdList(m_history[m_historyIndex].Get());
    } else {
        if (!idList)
            return E_FAIL;
        *target = CloneIdList(idList);
    }
    return *target ? S_OK : E_FAIL;
}

void CShellBrowser::RecordInHistory(PCIDLIST_ABSOLUTE location) {
    // Going somewhere new from the middle of the history drops everything ahead of it.
    m_history.resize(m_historyIndex + 1);
    m_history.push_back(CloneIdList(location));
    m_historyIndex = HistoryCount() - 1;
}

HRESULT CShellBrowser::ShowFolder(PCUIDLIST_RELATIVE relative, UINT flags, BOOL listViewHadFocus) {
    CComPtr<IShellFolder> folder;
    if (flags & SBSP_RELATIVE) {
        if (m_folder)
            m_folder->BindToObject(relative, nullptr, IID_PPV_ARGS(&folder));
    } else {
        CComPtr<IShellFolder> desktop;
        if (FAILED(SHGetDesktopFolder(&desktop)))
            return E_FAIL;
        // The desktop's own location is the empty list, which it cannot bind to itself.
        if (FAILED(desktop->BindToObject(m_location.Get(), nullptr, IID_PPV_ARGS(&folder))) &&
            ILIsEmpty(m_location.Get()))
            folder = desktop;
    }
    if (!folder)
        return E_FAIL;

    CComPtr<IShellFolder> oldFolder = std::move(m_folder);
    m_folder = folder;
    // A view mode the user picked in the old view's own menu carries over to the new one.
    if (m_view)
        m_view->GetCurrentInfo(&m_folderSettings);

    CComPtr<IShellView> view;
    if (FAILED(m_folder->CreateViewObject(m_parentWindow, IID_PPV_ARGS(&view))))
        return E_FAIL;
    CComPtr<IShellView> oldView = std::move(m_view);
    m_view = view;
    HWND viewWindow = nullptr;
    if (FAILED(m_view->CreateViewWindow(oldView.Get(), &m_folderSettings, static_cast<IShellBrowser*>(this),
                                        &m_viewRect, &viewWindow)))
        viewWindow = nullptr;
    HWND oldViewWindow = m_viewWindow, oldListView = m_listView;
    m_viewWindow = viewWindow;
    m_listView = nullptr;
    if (oldView) {
        OnViewWindowDestroying(oldViewWindow, oldListView);
        // Hidden as it is destroyed, the old view would first be painted once more, and a list view
        // never painted yet lays out every item for that. The new view covers its place, so it
        // leaves the screen without a redraw.
        if (m_viewWindow && oldViewWindow)
            SendMessageW(oldViewWindow, WM_SETREDRAW, FALSE, 0);
        oldView->UIActivate(SVUIA_DEACTIVATE);
        oldView->DestroyViewWindow();
    }
    oldView.Reset();
    oldFolder.Reset();
    if (!m_viewWindow) {
        // A view object without its window is no view: the next navigation starts from nothing.
        m_view.Reset();
        if (oldViewWindow && m_viewLostCallback)
            m_viewLostCallback(m_viewLostContext);
        return E_FAIL;
    }

    // Sent as the table has it, -1 included: a view without the mode ignores the command.
    SendMessageW(m_viewWindow, WM_COMMAND, static_cast<WPARAM>(ViewCommand(m_viewMode)), 0);
    m_view->UIActivate(listViewHadFocus ? SVUIA_ACTIVATE_FOCUS : SVUIA_ACTIVATE_NOFOCUS);
    m_listView = FindListView();
    // Wine's view activates without taking the focus that went down with the old list view.
    if (listViewHadFocus && m_listView && GetFocus() != m_listView)
        SetFocus(m_listView);
    ShowWindow(m_viewWindow, SW_SHOWNORMAL);
    OnViewWindowCreated();
    if (m_browseCompletedCallback)
        m_browseCompletedCallback(m_location.Get(), m_browseCompletedContext);
    return S_OK;
}

HRESULT CShellBrowser::BrowseToPath(LPCWSTR path) {
    // The desktop parses an empty name as itself: that is no path to go to.
    if (!path || !*path)
        return E_INVALIDARG;
    CComPtr<IShellFolder> desktop;
    HRESULT result = SHGetDesktopFolder(&desktop);
    if (FAILED(result))
        return result;
    CIdList idList;
    ULONG attributes = SFGAO_FOLDER;
    result = desktop->ParseDisplayName(m_parentWindow, nullptr, const_cast<LPWSTR>(path), nullptr, idList.Receive(),
                                       &attributes);
    if (FAILED(result))
        return result;
    // A file would become the location before its folder fails to bind, losing the one shown.
    if (!(attributes & SFGAO_FOLDER))
        return E_INVALIDARG;
    return BrowseObject(idList.Get(), SBSP_SAMEBROWSER);
}

HRESULT CShellBrowser::BrowseToDesktop() {
    CIdList desktop;
    HRESULT result = SHGetFolderLocation(m_parentWindow, CSIDL_DESKTOP, nullptr, 0, desktop.Receive());
    if (FAILED(result))
        return result;
    return BrowseObject(desktop.Get(), SBSP_SAMEBROWSER);
}

STDMETHODIMP CShellBrowser::OnDefaultCommand(IShellView*) {
    if (!m_navigateIntoFolders) {
        if (m_defaultCommandCallback)
            m_defaultCommandCallback(m_defaultCommandContext);
        return S_FALSE;
    }
    const CIDA* selection = GetSelectionIdList();
    if (!selection) {
        ReleaseSelectionIdList();
        return S_FALSE;
    }
    // The first offset is the folder's own list; the selected items follow, relative to it.
    PCUITEMID_CHILD first =
        reinterpret_cast<PCUITEMID_CHILD>(reinterpret_cast<const BYTE*>(selection) + selection->aoffset[1]);
    HRESULT result = S_FALSE;
    if (IsNavigableFolder(first, m_folder.Get())) {
        BrowseObject(first, SBSP_RELATIVE | SBSP_SAMEBROWSER);
        result = S_OK;
    } else if (CIdList target = GetFolderLinkTarget(first)) {
        BrowseObject(target.Get(), SBSP_SAMEBROWSER);
        result = S_OK;
    } else if (m_defaultCommandCallback) {
        m_defaultCommandCallback(m_defaultCommandContext);
    }
    ReleaseSelectionIdList();
    return result;
}

const CIDA* CShellBrowser::GetSelectionIdList() {
    ReleaseSelectionIdList();
    if (!m_view)
        return nullptr;
    CComPtr<IDataObject> data;
    if (FAILED(m_view->GetItemObject(SVGIO_SELECTION, IID_PPV_ARGS(&data))))
        return nullptr;
    FORMATETC format = {static_cast<CLIPFORMAT>(m_idListArrayFormat), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (data->QueryGetData(&format) != S_OK)
        return nullptr;
    if (FAILED(data->GetData(&format, &m_selectionMedium)))
        return nullptr;
    m_selection = static_cast<const CIDA*>(GlobalLock(m_selectionMedium.hGlobal));
    return m_selection && m_selection->cidl != 0 ? m_selection : nullptr;
}

void CShellBrowser::ReleaseSelectionIdList() {
    if (m_selection)
        GlobalUnlock(m_selectionMedium.hGlobal);
    m_selection = nullptr;
    if (m_selectionMedium.tymed != TYMED_NULL)
        ReleaseStgMedium(&m_selectionMedium);
    m_selectionMedium = {};
}

BOOL CShellBrowser::IsNavigableFolder(PCUITEMID_CHILD child, IShellFolder* folder) {
    if (!child || !folder)
        return FALSE;
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_BROWSABLE;
    if (FAILED(folder->GetAttributesOf(1, &child, &attributes)))
        return FALSE;
    return (attributes & SFGAO_FOLDER) && (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) &&
           !(attributes & SFGAO_BROWSABLE);
}

HRESULT CShellBrowser::GetShellLink(PCUITEMID_CHILD child, CComPtr<IShellLinkW>* link) {
    if (!child || !m_folder)
        return E_FAIL;
    SFGAOF attributes = SFGAO_LINK;
    if (FAILED(m_folder->GetAttributesOf(1, &child, &attributes)) || !(attributes & SFGAO_LINK))
        return E_FAIL;
    return m_folder->GetUIObjectOf(m_parentWindow, 1, &child, IID_IShellLinkW, nullptr,
                                   reinterpret_cast<void**>(link->ReleaseAndGetAddressOf()));
}

CIdList CShellBrowser::GetLinkTarget(PCUITEMID_CHILD child) {
    CComPtr<IShellLinkW> link;
    CIdList target;
    if (SUCCEEDED(GetShellLink(child, &link)))
        link->GetIDList(target.Receive());
    return target;
}

CIdList CShellBrowser::GetFolderLinkTarget(PCUITEMID_CHILD child) {
    CIdList target = GetLinkTarget(child);
    if (!target)
        return target;
    CComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (FAILED(SHBindToParent(target.Get(), IID_PPV_ARGS(&parent), &last)) || !IsNavigableFolder(last, parent.Get()))
        target.Reset();
    // The identifier list of a missing target may be typed as a folder (Wine does so): a broken
    // shortcut must not open as an empty folder.
    WCHAR path[MAX_PATH];
    if (target && SHGetPathFromIDListW(target.Get(), path) && !IsExistingDirectory(path))
        target.Reset();
    return target;
}
