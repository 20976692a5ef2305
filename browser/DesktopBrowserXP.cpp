#include "browser/DesktopBrowserXP.h"

#include "lib/ComPtr.h"

#include <commctrl.h>

#include <map>

namespace {

const UINT kSmallIconsViewMode = 2;
// Posted to the list view, so that a burst of insertions costs one placement.
const UINT kPlaceItemsMessage = WM_APP + 0x2C1;

std::wstring TextOf(const LVITEMW* item, BOOL wide) {
    if (!item || !(item->mask & LVIF_TEXT) || !item->pszText || item->pszText == LPSTR_TEXTCALLBACKW)
        return std::wstring();
    if (wide)
        return item->pszText;
    LPCSTR narrow = reinterpret_cast<const LVITEMA*>(item)->pszText;
    WCHAR text[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, MAX_PATH);
    text[MAX_PATH - 1] = L'\0';
    return text;
}

bool SameItems(const std::vector<CIdList>& first, const std::vector<CIdList>& second) {
    if (first.size() != second.size())
        return false;
    for (size_t index = 0; index < first.size(); ++index)
        if (!ILIsEqual(first[index].Get(), second[index].Get()))
            return false;
    return true;
}

} // namespace

CDesktopBrowserXP::CDesktopBrowserXP(HWND parentWindow, const FOLDERSETTINGS* folderSettings)
    : CDesktopBrowser(parentWindow, folderSettings) {}

CDesktopBrowserXP::~CDesktopBrowserXP() {
    RemoveListSubclass();
}

HRESULT CDesktopBrowserXP::Refresh() {
    if (!m_mirroring)
        return CDesktopBrowser::Refresh();
    CComPtr<IShellFolder> desktop;
    std::vector<CIdList> hidden;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop)))
        hidden = LoadHiddenDesktopItems(desktop.Get());
    // The list procedure keeps labels and places in step with what the view refreshes; only a
    // changed set of hidden items needs a view built anew.
    if (SameItems(hidden, m_hiddenItems)) {
        // The refilled view may list icons made since the layout was read: it may read it again.
        m_layoutRereadsLeft = kLayoutRereads;
        return CShellBrowserEx::Refresh();
    }
    m_hiddenItems = std::move(hidden);
    return CDesktopBrowser::Refresh();
}

void CDesktopBrowserXP::SetViewMode(UINT viewMode) {
    // Our own switch between the layouts comes this way too.
    if (m_switchingViewMode)
        return CDesktopBrowser::SetViewMode(viewMode);
    if (!m_mirroring)
        m_userViewMode = viewMode;
    LeaveCompactLayout();
    CDesktopBrowser::SetViewMode(viewMode);
}

void CDesktopBrowserXP::SendLayoutViewMode(UINT viewMode) {
    CDesktopBrowser::SendLayoutViewMode(viewMode);
    // Switched in the list view as well: a view that ignores the command keeps the other icon size.
    if (m_listView)
        SendMessageW(m_listView, LVM_SETVIEW, viewMode == kSmallIconsViewMode ? LV_VIEW_SMALLICON : LV_VIEW_ICON, 0);
}

void CDesktopBrowserXP::BlankLabel(int index) {
    m_settingTexts = TRUE;
    LVITEMW item = {};
    item.pszText = const_cast<LPWSTR>(L"");
    SendMessageW(m_listView, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    m_settingTexts = FALSE;
}

void CDesktopBrowserXP::HideLabels() {
    if (!m_listView)
        return;
    m_itemNames.clear();
    int count = ListView_GetItemCount(m_listView);
    for (int index = 0; index < count; ++index) {
        m_itemNames.push_back(ItemText(index));
        RecordLabel(index, m_itemNames.back().c_str());
    }
    for (int index = 0; index < count; ++index)
        BlankLabel(index);
}

void CDesktopBrowserXP::ShowLabels() {
    if (m_listView) {
        // The view names its items again, under the names it knows now.
        m_settingTexts = TRUE;
        LVITEMW item = {};
        item.pszText = LPSTR_TEXTCALLBACKW;
        for (int index = 0; index < static_cast<int>(m_itemNames.size()); ++index)
            SendMessageW(m_listView, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        m_settingTexts = FALSE;
    }
    m_itemNames.clear();
}

std::wstring CDesktopBrowserXP::ItemLabel(int index) {
    if (m_labelsHidden && index >= 0 && index < static_cast<int>(m_itemNames.size()))
        return m_itemNames[index];
    return CDesktopBrowser::ItemLabel(index);
}

void CDesktopBrowserXP::OnLayoutSetUp() {
    if (!m_listHook.Window() && m_listView)
        m_listHook.Install(m_listView, ListProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
}

void CDesktopBrowserXP::OnLabelSubclassesRemoved() {
    RemoveListSubclass();
    m_itemNames.clear();
}

void CDesktopBrowserXP::RemoveListSubclass() {
    m_listHook.Remove();
    m_placementPosted = FALSE;
}

void CDesktopBrowserXP::RequestPlacement() {
    if (!m_placementPosted && m_mirroring && m_showingDesktop)
        m_placementPosted = PostMessageW(m_listView, kPlaceItemsMessage, 0, 0);
}

LRESULT CALLBACK CDesktopBrowserXP::ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR self) {
    return reinterpret_cast<CDesktopBrowserXP*>(self)->OnListMessage(window, message, wParam, lParam);
}

LRESULT CDesktopBrowserXP::OnListMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kPlaceItemsMessage:
            m_placementPosted = FALSE;
            if (m_mirroring && m_showingDesktop)
                PlaceAllItems();
            return 0;
        // Both would draw the labels the view answers and arrange the icons to its own grid.
        case LVM_REDRAWITEMS:
        case LVM_UPDATE:
            return TRUE;
        case LVM_INSERTITEMA:
        case LVM_INSERTITEMW: {
            LRESULT index = DefSubclassProc(window, message, wParam, lParam);
            if (index >= 0 && m_labelsHidden) {
                std::wstring name = ItemText(static_cast<int>(index));
                size_t at =
                    static_cast<size_t>(index) < m_itemNames.size() ? static_cast<size_t>(index) : m_itemNames.size();
                // Listed before its label is recorded: the record is looked up by the name at the
                // item's index, and the neighbour's name found there would read as a rename.
                m_itemNames.insert(m_itemNames.begin() + static_cast<std::ptrdiff_t>(at), name);
                RecordLabel(static_cast<int>(index), name.c_str());
                BlankLabel(static_cast<int>(index));
            }
            RequestPlacement();
            return index;
        }
        case LVM_DELETEITEM: {
            LRESULT deleted = DefSubclassProc(window, message, wParam, lParam);
            if (deleted && wParam < m_itemNames.size())
                m_itemNames.erase(m_itemNames.begin() + static_cast<std::ptrdiff_t>(wParam));
            RequestPlacement();
            return deleted;
        }
        case LVM_DELETEALLITEMS:
            m_itemNames.clear();
            return DefSubclassProc(window, message, wParam, lParam);
        case LVM_SETITEMA:
        case LVM_SETITEMW:
        case LVM_SETITEMTEXTA:
        case LVM_SETITEMTEXTW:
            return OnItemTextSet(window, message, wParam, lParam);
        case LVM_SORTITEMS:
        case LVM_SORTITEMSEX:
        case LVM_ARRANGE:
            return OnItemsReordered(window, message, wParam, lParam);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CDesktopBrowserXP::OnItemTextSet(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* item = reinterpret_cast<LVITEMW*>(lParam);
    BOOL textMessage = message == LVM_SETITEMTEXTA || message == LVM_SETITEMTEXTW;
    BOOL wide = message == LVM_SETITEMW || message == LVM_SETITEMTEXTW;
    if (m_settingTexts || !m_labelsHidden || !item)
        return DefSubclassProc(window, message, wParam, lParam);
    UINT mask = textMessage ? LVIF_TEXT : item->mask;
    int index = textMessage ? static_cast<int>(wParam) : item->iItem;
    if (!(mask & LVIF_TEXT) || item->iSubItem != 0 || index < 0 || index >= static_cast<int>(m_itemNames.size()))
        return DefSubclassProc(window, message, wParam, lParam);
    // A rename while the labels are blank: we keep the new name, the list view keeps the blank.
    LVITEMW text = *item;
    text.mask = mask;
    std::wstring name = TextOf(&text, wide);
    if (name.empty())
        name = ItemText(index);
    RecordLabel(index, name.c_str());
    m_itemNames[static_cast<size_t>(index)] = name;
    LVITEMW blank = *item;
    blank.pszText = const_cast<LPWSTR>(L"");
    LRESULT result = wide ? DefSubclassProc(window, message, wParam, reinterpret_cast<LPARAM>(&blank))
                          : DefSubclassProc(window, message == LVM_SETITEMA ? LVM_SETITEMW : LVM_SETITEMTEXTW, wParam,
                                            reinterpret_cast<LPARAM>(&blank));
    RequestPlacement();
    return result;
}

LRESULT CDesktopBrowserXP::OnItemsReordered(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The items move between indexes; their data (the view's identifiers) carry the names across.
    std::map<LPARAM, std::wstring> names;
    for (int index = 0; index < static_cast<int>(m_itemNames.size()); ++index) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        if (SendMessageW(window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
            names[item.lParam] = m_itemNames[static_cast<size_t>(index)];
    }
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    // Places posted before the sort name the items' old indexes and would move others; the
    // placement requested below sets them all again.
    MSG stale;
    while (PeekMessageW(&stale, window, LVM_SETITEMPOSITION, LVM_SETITEMPOSITION, PM_REMOVE)) {
    }
    for (int index = 0; index < static_cast<int>(m_itemNames.size()); ++index) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        if (SendMessageW(window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) && names.count(item.lParam))
            m_itemNames[static_cast<size_t>(index)] = names[item.lParam];
    }
    RequestPlacement();
    return result;
}
