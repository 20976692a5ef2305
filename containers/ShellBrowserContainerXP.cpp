#include "containers/ShellBrowserContainerXP.h"

#include "config/GenericPathwrenObject.h"

#include <commctrl.h>

#include <cwchar>

CShellBrowserContainerXP::CShellBrowserContainerXP(HINSTANCE instance, IContainerHost* host)
    : CShellBrowserContainerBase(instance, host), m_displayedItems(0), m_insertedItems(0), m_refreshing(FALSE),
      m_subclassedList(nullptr), m_subclassedView(nullptr) {
    m_restoring = FALSE;
}

CShellBrowserContainerXP::~CShellBrowserContainerXP() {
    StopIconPositionRestore();
}

BOOL CShellBrowserContainerXP::RefreshView(UINT, WPARAM, LPARAM) {
    if (m_refreshing || !m_browser)
        return FALSE;
    m_displayedItems = m_insertedItems = 0;
    if (IsIconPositionSavingActive())
        SaveIconPositions();
    // While raised, the view's sorts are its own refilling, not the user's, and its inserted and
    // displayed items are counted. A view that fills its list at once displays the items only
    // when it next paints: the counting procedure lowers the flag when the counts meet.
    m_refreshing = TRUE;
    m_browser->Refresh();
    if (m_insertedItems == 0)
        m_refreshing = FALSE;
    return TRUE;
}

BOOL CShellBrowserContainerXP::StartIconPositionRestore() {
    if (m_subclassedList == m_listView && m_subclassedView == m_viewWindow)
        return TRUE;
    StopIconPositionRestore();
    if (!m_listView || !m_viewWindow)
        return FALSE;
    DWORD_PTR self = reinterpret_cast<DWORD_PTR>(this);
    if (!SetWindowSubclass(m_listView, ListProc, self, self))
        return FALSE;
    m_subclassedList = m_listView;
    if (!SetWindowSubclass(m_viewWindow, CountingProc, self, self))
        return StopIconPositionRestore(), FALSE;
    m_subclassedView = m_viewWindow;
    return TRUE;
}

BOOL CShellBrowserContainerXP::StopIconPositionRestore() {
    UINT_PTR id = reinterpret_cast<UINT_PTR>(this);
    if (m_subclassedList && IsWindow(m_subclassedList))
        RemoveWindowSubclass(m_subclassedList, ListProc, id);
    if (m_subclassedView && IsWindow(m_subclassedView))
        RemoveWindowSubclass(m_subclassedView, CountingProc, id);
    m_subclassedList = m_subclassedView = nullptr;
    // Nothing counts the items any more: a refresh whose items were never all shown ends here.
    m_refreshing = FALSE;
    return TRUE;
}

BOOL CShellBrowserContainerXP::RestoreIconPositions() {
    const auto* saved = m_pItem ? m_pItem->HomeFolderIconPositions : nullptr;
    if (!saved || saved->empty() || !m_listView)
        return FALSE;
    // Raised so that the arranging and sorting our own moves may cause are not taken for the user's.
    m_restoring = TRUE;
    int count = ListView_GetItemCount(m_listView);
    for (int index = 0; index < count; ++index) {
        WCHAR name[MAX_PATH] = L"";
        ListView_GetItemText(m_listView, index, 0, name, MAX_PATH);
        for (const HomeFolderIconPosition& position : *saved) {
            if (_wcsicmp(position.Name, name) != 0)
                continue;
            POINT place = {position.X, position.Y};
            SendMessageW(m_listView, LVM_SETITEMPOSITION32, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&place));
            break;
        }
    }
    m_restoring = m_rearranged = FALSE;
    return TRUE;
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
            container->m_rearranged = TRUE;
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
    if (!header || header->hwndFrom != container->m_listView ||
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
