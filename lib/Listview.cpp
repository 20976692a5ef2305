#include "lib/Listview.h"

#include "lib/Clipboard.h"
#include "lib/ErrorMessages.h"
#include "lib/FileReplace.h"
#include "lib/KernelHandle.h"
#include "lib/MenuHandle.h"
#include "lib/SaveFileDialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace {

const DWORD kRowLockTimeout = 5000;
const size_t kCellTextLength = 1024;

} // namespace

CListview::RowLock::RowLock(HANDLE event) : m_event(event) {
    m_held = WaitForSingleObject(m_event, kRowLockTimeout) == WAIT_OBJECT_0;
}

CListview::RowLock::~RowLock() {
    if (m_held)
        SetEvent(m_event);
}

CListview::CListview(HWND listview)
    : m_bSortingEnabled(TRUE), m_bColumnClickEnabled(TRUE), m_hListview(listview), m_hParent(GetParent(listview)),
      m_hRowEvent(CreateEventW(nullptr, FALSE, TRUE, nullptr)), m_nextRowKey(1), m_sortColumn(-1),
      m_sortAscending(TRUE) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

CListview::~CListview() {
    // A list view does not destroy a small image list it was given unless it shares none; the
    // control may live on after the wrapper, so it is told to forget the list first.
    if (m_hImageList && IsWindow(m_hListview))
        ListView_SetImageList(m_hListview, nullptr, LVSIL_SMALL);
}

int CListview::AddColumn(LPCWSTR title, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<LPWSTR>(title);
    column.cx = width;
    return ListView_InsertColumn(m_hListview, ColumnCount(), &column);
}

BOOL CListview::SetColumnTitle(int column, LPCWSTR title) {
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT;
    info.pszText = const_cast<LPWSTR>(title);
    return ListView_SetColumn(m_hListview, column, &info);
}

int CListview::InsertRow(LPCWSTR text, int position, int image) {
    RowLock lock(m_hRowEvent.Get());
    if (!lock.Held())
        return -1;
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = position;
    item.pszText = const_cast<LPWSTR>(text);
    item.iImage = image;
    // A key of its own follows the row through sorting, so its colours stay with it.
    item.lParam = m_nextRowKey++;
    return ListView_InsertItem(m_hListview, &item);
}

BOOL CListview::SetSubItemText(int row, int column, LPCWSTR text) {
    RowLock lock(m_hRowEvent.Get());
    if (!lock.Held())
        return FALSE;
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text);
    return SendMessageW(m_hListview, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)) != 0;
}

BOOL CListview::SetRowImage(int row, int image) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    return ListView_SetItem(m_hListview, &item);
}

int CListview::GetRowImage(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    return ListView_GetItem(m_hListview, &item) ? item.iImage : -1;
}

void CListview::SetRowColors(int row, COLORREF background, COLORREF text) {
    m_rowColors[RowKey(row)] = std::make_pair(background, text);
    ListView_RedrawItems(m_hListview, row, row);
}

int CListview::AddIcon(HICON icon) {
    if (!m_hImageList) {
        m_hImageList.Reset(ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                            ILC_COLOR32 | ILC_MASK, 8, 8));
        if (!m_hImageList)
            return -1;
        ListView_SetImageList(m_hListview, m_hImageList.Get(), LVSIL_SMALL);
    }
    return ImageList_AddIcon(m_hImageList.Get(), icon);
}

BOOL CListview::DeleteRow(int row) {
    RowLock lock(m_hRowEvent.Get());
    if (!lock.Held())
        return FALSE;
    m_rowColors.erase(RowKey(row));
    return ListView_DeleteItem(m_hListview, row);
}

BOOL CListview::DeleteAllRows() {
    RowLock lock(m_hRowEvent.Get());
    if (!lock.Held())
        return FALSE;
    m_rowColors.clear();
    return ListView_DeleteAllItems(m_hListview);
}

int CListview::GetFirstSelectedRow() const {
    return ListView_GetNextItem(m_hListview, -1, LVNI_SELECTED);
}

int CListview::ColumnCount() const {
    HWND header = ListView_GetHeader(m_hListview);
    return header ? Header_GetItemCount(header) : 0;
}

LPARAM CListview::RowKey(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return ListView_GetItem(m_hListview, &item) ? item.lParam : 0;
}

std::wstring CListview::CellText(int row, int column) const {
    std::vector<wchar_t> text(kCellTextLength, L'\0');
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    SendMessageW(m_hListview, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text.data();
}

ExportTable CListview::ReadTable(BOOL selectedOnly) const {
    ExportTable table;
    int columns = ColumnCount();
    for (int column = 0; column < columns; ++column) {
        wchar_t title[kCellTextLength] = L"";
        LVCOLUMNW info = {};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.pszText = title;
        info.cchTextMax = kCellTextLength;
        ListView_GetColumn(m_hListview, column, &info);
        table.titles.push_back(title);
        table.widths.push_back(info.cx);
    }
    int rows = ListView_GetItemCount(m_hListview);
    for (int row = 0; row < rows; ++row) {
        if (selectedOnly && !(ListView_GetItemState(m_hListview, row, LVIS_SELECTED) & LVIS_SELECTED))
            continue;
        ExportTable::Row exported;
        for (int column = 0; column < columns; ++column)
            exported.cells.push_back(CellText(row, column));
        auto colors = m_rowColors.find(RowKey(row));
        if (colors != m_rowColors.end()) {
            exported.colored = true;
            exported.background = colors->second.first;
            exported.text = colors->second.second;
        }
        table.rows.push_back(exported);
    }
    return table;
}

BOOL CListview::CopyRows(BOOL selectedOnly) {
    std::wstring text = TableRowsAsText(ReadTable(selectedOnly));
    return CopyToClipboard(m_hListview, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

BOOL CListview::SaveRowsToFile(LPCWSTR path, BOOL selectedOnly) {
    std::vector<BYTE> bytes = FormatTable(ReadTable(selectedOnly), TableFormatFromPath(path));
    // Written beside and renamed over: a write that fails leaves the file the user had.
    if (WriteFileReplacing(path, bytes))
        return TRUE;
    ShowLastError((std::wstring(L"Can't create file ") + path).c_str(), m_hListview);
    return FALSE;
}

BOOL CListview::SaveRows(BOOL selectedOnly) {
    wchar_t path[MAX_PATH] = L"";
    if (!AskSaveFileName(m_hParent, L"xml\0*.xml\0txt\0*.txt\0html\0*.html\0csv\0*.csv\0rtf\0*.rtf\0", 1, L"xml", path,
                         ARRAYSIZE(path)))
        return FALSE;
    if (!SaveRowsToFile(path, selectedOnly))
        return FALSE;
    if (MessageBoxW(m_hListview, L"Save Successfully Completed\r\nDo you want to open saved document now ?",
                    L"Information", MB_YESNO | MB_ICONINFORMATION) == IDYES) {
        HINSTANCE result = ShellExecuteW(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
        if (reinterpret_cast<INT_PTR>(result) <= 32)
            MessageBoxW(m_hListview, L"Error opening associated viewer", L"Error", MB_ICONERROR);
    }
    return TRUE;
}

void CListview::ShowContextMenu(POINT point) {
    CMenuHandle menu(CreatePopupMenu());
    if (!menu)
        return;
    AppendMenuW(menu.Get(), MF_STRING, CommandCopySelected, L"Copy Selected");
    AppendMenuW(menu.Get(), MF_STRING, CommandCopyAll, L"Copy All");
    AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.Get(), MF_STRING, CommandSaveSelected, L"Save Selected");
    AppendMenuW(menu.Get(), MF_STRING, CommandSaveAll, L"Save All");
    // The menu only closes on a click elsewhere when its owner is in the foreground.
    SetForegroundWindow(m_hParent ? m_hParent : m_hListview);
    UINT command =
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, m_hListview, nullptr);
    RunCommand(command);
}

void CListview::RunCommand(UINT command) {
    switch (command) {
        case CommandCopySelected:
            CopyRows(TRUE);
            break;
        case CommandCopyAll:
            CopyRows(FALSE);
            break;
        case CommandSaveSelected:
            SaveRows(TRUE);
            break;
        case CommandSaveAll:
            SaveRows(FALSE);
            break;
    }
}

void CListview::SortByColumn(int column) {
    m_sortAscending = column == m_sortColumn ? !m_sortAscending : TRUE;
    m_sortColumn = column;
    struct Context {
        CListview* view;
        int column;
        BOOL ascending;
    } context = {this, column, m_sortAscending};
    ListView_SortItemsEx(
        m_hListview,
        [](LPARAM first, LPARAM second, LPARAM data) -> int {
            const Context* sort = reinterpret_cast<const Context*>(data);
            int order = _wcsicmp(sort->view->CellText(static_cast<int>(first), sort->column).c_str(),
                                 sort->view->CellText(static_cast<int>(second), sort->column).c_str());
            return sort->ascending ? order : -order;
        },
        reinterpret_cast<LPARAM>(&context));
}

BOOL CListview::OnNotify(LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (result)
        *result = 0;
    if (header->hwndFrom != m_hListview && header->hwndFrom != ListView_GetHeader(m_hListview))
        return FALSE;
    switch (header->code) {
        case LVN_KEYDOWN: {
            // Virtual keys carry no case: 'C' is the C key whether shifted or not.
            WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
            if (key == VK_INSERT || key == 'C') {
                CopyRows(TRUE);
            } else if (key == 'A') {
                ListView_SetItemState(m_hListview, -1, LVIS_SELECTED, LVIS_SELECTED);
            } else if (key == VK_APPS) {
                POINT cursor;
                GetCursorPos(&cursor);
                ShowContextMenu(cursor);
            } else {
                return FALSE;
            }
            return TRUE;
        }
        case NM_RCLICK: {
            POINT cursor;
            GetCursorPos(&cursor);
            ShowContextMenu(cursor);
            return TRUE;
        }
        case LVN_COLUMNCLICK:
            if (!m_bColumnClickEnabled || !m_bSortingEnabled)
                return FALSE;
            SortByColumn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            return TRUE;
        case NM_CUSTOMDRAW: {
            NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            LRESULT answer = CDRF_DODEFAULT;
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                answer = CDRF_NOTIFYITEMDRAW;
            } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                auto colors = m_rowColors.find(draw->nmcd.lItemlParam);
                if (colors != m_rowColors.end()) {
                    draw->clrTextBk = colors->second.first;
                    draw->clrText = colors->second.second;
                }
            }
            if (result)
                *result = answer;
            return TRUE;
        }
    }
    return FALSE;
}
