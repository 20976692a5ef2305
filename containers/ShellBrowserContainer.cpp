#include "containers/ShellBrowserContainer.h"

#include "config/GenericPathwrenObject.h"
#include "lib/StringCopy.h"

#include <commctrl.h>

#include <cwchar>

CShellBrowserContainer::CShellBrowserContainer(HINSTANCE instance, IContainerHost* host)
    : CShellBrowserContainerBase(instance, host), m_subclassedView(nullptr), m_inWideNotification(FALSE),
      m_inNarrowNotification(FALSE) {}

CShellBrowserContainer::~CShellBrowserContainer() {
    StopIconPositionRestore();
}

BOOL CShellBrowserContainer::RefreshView(UINT, WPARAM, LPARAM) {
    if (!m_browser)
        return FALSE;
    if (!IsIconPositionSavingActive()) {
        m_browser->Refresh();
        return TRUE;
    }
    // A plain refresh would let the shell arrange the icons anew; the saved places are taken
    // first and a fresh view of the same folder restores them.
    SaveIconPositions();
    m_browser->SetRebrowseSameLocation(TRUE);
    m_browser->BrowseObject(m_browser->CurrentLocation(), SBSP_SAMEBROWSER | SBSP_ABSOLUTE);
    m_browser->SetRebrowseSameLocation(FALSE);
    return TRUE;
}

BOOL CShellBrowserContainer::StartIconPositionRestore() {
    if (m_subclassedView == m_viewWindow)
        return TRUE;
    StopIconPositionRestore();
    if (!m_viewWindow || !SetWindowSubclass(m_viewWindow, TextNotificationProc, reinterpret_cast<UINT_PTR>(this),
                                            reinterpret_cast<DWORD_PTR>(this)))
        return FALSE;
    m_subclassedView = m_viewWindow;
    return TRUE;
}

BOOL CShellBrowserContainer::StopIconPositionRestore() {
    if (!m_subclassedView)
        return TRUE;
    if (IsWindow(m_subclassedView))
        RemoveWindowSubclass(m_subclassedView, TextNotificationProc, reinterpret_cast<UINT_PTR>(this));
    m_subclassedView = nullptr;
    return TRUE;
}

BOOL CShellBrowserContainer::RestoreIconPositions() {
    // An auto-arranging view would pull the restored icons back into its grid.
    if (m_listView && (GetWindowLongPtrW(m_listView, GWL_STYLE) & LVS_AUTOARRANGE))
        SendMessageW(m_viewWindow, WM_COMMAND, 0x7071, 0);
    return TRUE;
}

LRESULT CALLBACK CShellBrowserContainer::TextNotificationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                              UINT_PTR, DWORD_PTR self) {
    if (message != WM_NOTIFY)
        return DefSubclassProc(window, message, wParam, lParam);
    auto* container = reinterpret_cast<CShellBrowserContainer*>(self);
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != container->m_listView ||
        (header->code != LVN_GETDISPINFOW && header->code != LVN_GETDISPINFOA))
        return DefSubclassProc(window, message, wParam, lParam);
    // The text is there only after the view has answered.
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    container->OnItemTextSupplied(header, header->code == LVN_GETDISPINFOW);
    return result;
}

void CShellBrowserContainer::OnItemTextSupplied(const NMHDR* header, BOOL wide) {
    BOOL& busy = wide ? m_inWideNotification : m_inNarrowNotification;
    if (busy || !IsIconPositionSavingEnabled())
        return;
    busy = TRUE;
    WCHAR name[MAX_PATH] = L"";
    int index = -1;
    if (wide) {
        const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(header);
        if ((info->item.mask & LVIF_TEXT) && info->item.pszText) {
            CopyTruncated(name, MAX_PATH, info->item.pszText);
            index = info->item.iItem;
        }
    } else {
        const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(header);
        if ((info->item.mask & LVIF_TEXT) && info->item.pszText &&
            MultiByteToWideChar(CP_ACP, 0, info->item.pszText, -1, name, MAX_PATH))
            index = info->item.iItem;
    }
    if (index >= 0)
        RestoreItem(index, name);
    busy = FALSE;
}

BOOL CShellBrowserContainer::RestoreItem(int index, LPCWSTR name) {
    const auto* saved = m_pItem->HomeFolderIconPositions;
    if (!saved || saved->empty())
        return FALSE;
    for (const std::wstring& restored : m_restoredNames)
        if (_wcsicmp(restored.c_str(), name) == 0)
            return TRUE;
    m_rearranged = FALSE;
    for (const HomeFolderIconPosition& position : *saved) {
        if (_wcsicmp(position.Name, name) != 0)
            continue;
        POINT place = {};
        ListView_GetItemPosition(m_listView, index, &place);
        if (place.x == position.X && place.y == position.Y)
            m_restoredNames.push_back(name);
        else
            // Posted: a position set inside the notification is overwritten by the view's own.
            PostMessageW(m_listView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                         MAKELPARAM(position.X, position.Y));
        break;
    }
    return TRUE;
}
