#include "containers/ShellBrowserContainer.h"

#include "config/GenericPathwrenObject.h"
#include "lib/StringCopy.h"

#include <commctrl.h>

#include <cwchar>

namespace {

BOOL ContainsName(const std::vector<std::wstring>& names, LPCWSTR name) {
    for (const std::wstring& listed : names)
        if (_wcsicmp(listed.c_str(), name) == 0)
            return TRUE;
    return FALSE;
}

} // namespace

CShellBrowserContainer::CShellBrowserContainer(HINSTANCE instance, IContainerHost* host)
    : CShellBrowserContainerBase(instance, host), m_inWideNotification(FALSE), m_inNarrowNotification(FALSE) {}

CShellBrowserContainer::~CShellBrowserContainer() {
    StopIconPositionRestore();
}

BOOL CShellBrowserContainer::RefreshView(UINT, WPARAM, LPARAM) {
    CShellBrowserEx* browser = GetBrowser();
    if (!browser)
        return FALSE;
    if (!IsIconPositionSavingActive()) {
        browser->Refresh();
        return TRUE;
    }
    // A plain refresh would let the shell arrange the icons anew; the saved places are taken
    // first and a fresh view of the same folder restores them.
    SaveIconPositions();
    browser->SetRebrowseSameLocation(TRUE);
    browser->BrowseObject(browser->CurrentLocation(), SBSP_SAMEBROWSER | SBSP_ABSOLUTE);
    browser->SetRebrowseSameLocation(FALSE);
    return TRUE;
}

BOOL CShellBrowserContainer::StartIconPositionRestore() {
    HWND viewWindow = ViewWindow();
    if (m_viewHook.Window() == viewWindow)
        return TRUE;
    StopIconPositionRestore();
    return viewWindow && m_viewHook.Install(viewWindow, TextNotificationProc, reinterpret_cast<UINT_PTR>(this),
                                            reinterpret_cast<DWORD_PTR>(this));
}

BOOL CShellBrowserContainer::StopIconPositionRestore() {
    m_viewHook.Remove();
    return TRUE;
}

BOOL CShellBrowserContainer::RestoreIconPositions() {
    // An auto-arranging view would pull the restored icons back into its grid.
    if (ListView() && (GetWindowLongPtrW(ListView(), GWL_STYLE) & LVS_AUTOARRANGE))
        SendMessageW(ViewWindow(), WM_COMMAND, 0x7071, 0);
    return TRUE;
}

BOOL CShellBrowserContainer::IsIconPlaced(LPCWSTR name) {
    return ContainsName(m_restoredNames, name) || ContainsName(m_sentNames, name);
}

LRESULT CALLBACK CShellBrowserContainer::TextNotificationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                              UINT_PTR, DWORD_PTR self) {
    if (message != WM_NOTIFY)
        return DefSubclassProc(window, message, wParam, lParam);
    auto* container = reinterpret_cast<CShellBrowserContainer*>(self);
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != container->ListView() ||
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
            CopyTruncated(name, info->item.pszText);
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
    const auto* saved = Item()->HomeFolderIconPositions;
    if (!saved || saved->empty())
        return FALSE;
    if (ContainsName(m_restoredNames, name))
        return TRUE;
    SetRearranged(FALSE);
    HWND listView = ListView();
    for (const HomeFolderIconPosition& position : *saved) {
        if (_wcsicmp(position.Name, name) != 0)
            continue;
        POINT place = {};
        ListView_GetItemPosition(listView, index, &place);
        if (place.x == position.X && place.y == position.Y)
            m_restoredNames.push_back(name);
        else if (PostMessageW(listView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                              MAKELPARAM(position.X, position.Y)) &&
                 IsWindowVisible(listView) && !ContainsName(m_sentNames, name))
            // Posted: a position set inside the notification is overwritten by the view's own.
            // A hidden view lays its icons out again when it is sized and shown.
            m_sentNames.push_back(name);
        break;
    }
    return TRUE;
}
