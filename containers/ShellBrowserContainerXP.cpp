#include "containers/ShellBrowserContainerXP.h"

#include "config/GenericPathwrenObject.h"

#include <commctrl.h>

#include <cwchar>

CShellBrowserContainerXP::CShellBrowserContainerXP(HINSTANCE instance, IContainerHost* host)
    : CShellBrowserContainerBase(instance, host), m_displayedItems(0), m_insertedItems(0), m_refreshing(FALSE),
      m_restoring(FALSE) {}

CShellBrowserContainerXP::~CShellBrowserContainerXP() {
    StopIconPositionRestore();
}

BOOL CShellBrowserContainerXP::RefreshView(UINT, WPARAM, LPARAM) {
    if (m_refreshing || !GetBrowser())
        return FALSE;
    m_displayedItems = m_insertedItems = 0;
    if (IsIconPositionSavingActive())
        SaveIconPositions();
    // While raised, the view's sorts are its own refilling, not the user's, and its inserted and
    // displayed items are counted. A view that fills its list at once displays the items only
    // when it next paints: the counting procedure lowers the flag when the counts meet.
    m_refreshing = TRUE;
    GetBrowser()->Refresh();
    if (m_insertedItems == 0)
        m_refreshing = FALSE;
    return TRUE;
}

BOOL CShellBrowserContainerXP::StartIconPositionRestore() {
    HWND listView = ListView();
    HWND viewWindow = ViewWindow();
    if (m_listHook.Window() == listView && m_viewHook.Window() == viewWindow)
        return TRUE;
    StopIconPositionRestore();
    if (!listView || !viewWindow)
        return FALSE;
    DWORD_PTR self = reinterpret_cast<DWORD_PTR>(this);
    if (!m_listHook.Install(listView, ListProc, self, self))
        return FALSE;
    if (!m_viewHook.Install(viewWindow, CountingProc, self, self))
        return StopIconPositionRestore(), FALSE;
    return TRUE;
}

BOOL CShellBrowserContainerXP::StopIconPositionRestore() {
    m_listHook.Remove();
    m_viewHook.Remove();
    // Nothing counts the items any more: a refresh whose items were never all shown ends here.
    m_refreshing = FALSE;
    return TRUE;
}

BOOL CShellBrowserContainerXP::RestoreIconPositions() {
    const auto* saved = Item() ? Item()->HomeFolderIconPositions : nullptr;
    HWND listView = ListView();
    if (!saved || saved->empty() || !listView)
        return FALSE;
    // Raised so that the arranging and sorting our own moves may cause are not taken for the user's.
    m_restoring = TRUE;
    int count = ListView_GetItemCount(listView);
    for (int index = 0; index < count; ++index) {
        WCHAR name[MAX_PATH] = L"";
        ListView_GetItemText(listView, index, 0, name, MAX_PATH);
        for (const HomeFolderIconPosition& position : *saved) {
            if (_wcsicmp(position.Name, name) != 0)
                continue;
            POINT place = {position.X, position.Y};
            SendMessageW(listView, LVM_SETITEMPOSITION32, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&place));
            if (!IsIconPlaced(name))
                m_placedNames.push_back(name);
            break;
        }
    }
    m_restoring = FALSE;
    SetRearranged(FALSE);
    return TRUE;
}

BOOL CShellBrowserContainerXP::IsIconPlaced(LPCWSTR name) {
    for (const std::wstring& placed : m_placedNames)
        if (_wcsicmp(placed.c_str(), name) == 0)
            return TRUE;
    return FALSE;
}

LRESULT CALLBACK CShellBrowserContainerXP::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                    DWORD_PTR self) {
    auto* container = reinterpret_cast<CShellBrowserContainerXP*>(self);
    switch (message) {
        case LVM_ARRANGE:
            // The view arranges after filling its list; the saved places win over its grid.
            if (!container->m_restoring && container->IsIconPositionSavingEnabled())
                container->RestoreIconPositions();
            return TRUE;
        case LVM_SORTITEMS:
        case LVM_SORTITEMSEX:
            if (container->m_restoring || container->m_refreshing)
                return TRUE;
            // The user sorted: the saved places no longer say what the user sees.
            container->SetRearranged(TRUE);
            break;
        case LVM_INSERTITEMA:
        case LVM_INSERTITEMW:
            if (container->m_refreshing)
                ++container->m_insertedItems;
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CShellBrowserContainerXP::CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                        UINT_PTR, DWORD_PTR self) {
    auto* container = reinterpret_cast<CShellBrowserContainerXP*>(self);
    const NMHDR* header = message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(lParam) : nullptr;
    if (!header || header->hwndFrom != container->ListView() ||
        (header->code != LVN_GETDISPINFOW && header->code != LVN_GETDISPINFOA))
        return DefSubclassProc(window, message, wParam, lParam);
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (container->m_restoring || !container->m_refreshing)
        return result;
    // Every inserted item has been shown once: the list is complete and the icons can go back.
    if (++container->m_displayedItems == container->m_insertedItems) {
        if (container->IsIconPositionSavingEnabled())
            container->RestoreIconPositions();
        container->m_refreshing = FALSE;
    }
    return result;
}
