#include "lib/Treeview.h"

#include "lib/Clipboard.h"
#include "lib/ErrorMessages.h"
#include "lib/FileReplace.h"
#include "lib/KernelHandle.h"
#include "lib/MenuHandle.h"
#include "lib/SaveFileDialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

const size_t kItemTextLength = 1024;

} // namespace

CTreeview::CTreeview(HWND tree, ITreeviewEvents* events)
    : m_bContextMenuEnabled(TRUE), m_iconSize(16), m_hTree(tree), m_hParent(GetParent(tree)), m_pEvents(events) {}

CTreeview::~CTreeview() {
    ResetImages(m_iconSize);
}

void CTreeview::ResetImages(int iconSize) {
    m_iconSize = iconSize;
    if (!m_hImageList)
        return;
    if (IsWindow(m_hTree))
        TreeView_SetImageList(m_hTree, nullptr, TVSIL_NORMAL);
    m_hImageList.Reset();
}

int CTreeview::AddIcon(HICON icon) {
    if (!m_hImageList) {
        m_hImageList.Reset(ImageList_Create(m_iconSize, m_iconSize, ILC_COLOR32 | ILC_MASK, 20, 5));
        if (!m_hImageList)
            return -1;
        TreeView_SetImageList(m_hTree, m_hImageList.Get(), TVSIL_NORMAL);
    }
    return ImageList_AddIcon(m_hImageList.Get(), icon);
}

HTREEITEM CTreeview::InsertItem(HTREEITEM parent, HTREEITEM after, LPCWSTR text, LPARAM param, int image) {
    TVINSERTSTRUCTW insertion = {};
    insertion.hParent = parent;
    insertion.hInsertAfter = after;
    insertion.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insertion.item.pszText = const_cast<LPWSTR>(text);
    insertion.item.lParam = param;
    insertion.item.iImage = insertion.item.iSelectedImage = image;
    return TreeView_InsertItem(m_hTree, &insertion);
}

BOOL CTreeview::GetItemParam(HTREEITEM item, LPARAM* param) const {
    TVITEMW info = {};
    info.mask = TVIF_PARAM;
    info.hItem = item;
    if (!TreeView_GetItem(m_hTree, &info))
        return FALSE;
    *param = info.lParam;
    return TRUE;
}

void CTreeview::ExpandAll(HTREEITEM item) {
    TreeView_Expand(m_hTree, item, TVE_EXPAND);
    for (HTREEITEM child = TreeView_GetChild(m_hTree, item); child; child = TreeView_GetNextSibling(m_hTree, child))
        ExpandAll(child);
}

std::wstring CTreeview::ItemText(HTREEITEM item) const {
    std::vector<wchar_t> text(kItemTextLength, L'\0');
    TVITEMW info = {};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text.data();
    info.cchTextMax = static_cast<int>(text.size());
    TreeView_GetItem(m_hTree, &info);
    return text.data();
}

ExportTreeItem CTreeview::ReadItem(HTREEITEM item) const {
    ExportTreeItem exported;
    exported.text = ItemText(item);
    exported.expanded = (TreeView_GetItemState(m_hTree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    for (HTREEITEM child = TreeView_GetChild(m_hTree, item); child; child = TreeView_GetNextSibling(m_hTree, child))
        exported.children.push_back(ReadItem(child));
    return exported;
}

std::vector<ExportTreeItem> CTreeview::ReadItems(ExportScope scope) const {
    std::vector<ExportTreeItem> roots;
    if (scope == ExportScope::Selected) {
        if (HTREEITEM selected = TreeView_GetSelection(m_hTree))
            roots.push_back(ReadItem(selected));
        return roots;
    }
    for (HTREEITEM root = TreeView_GetRoot(m_hTree); root; root = TreeView_GetNextSibling(m_hTree, root))
        roots.push_back(ReadItem(root));
    return roots;
}

BOOL CTreeview::ExportToFile(LPCWSTR path, ExportScope scope) {
    std::wstring text = FormatTree(ReadItems(scope), TreeFormatFromPath(path), scope == ExportScope::Expanded);
    text.insert(text.begin(), L'\xFEFF');
    const auto* first = reinterpret_cast<const unsigned char*>(text.data());
    // Written beside and renamed over: a write that fails leaves the file the user had.
    if (WriteFileReplacing(path, std::vector<unsigned char>(first, first + text.size() * sizeof(wchar_t))))
        return TRUE;
    ShowError(m_hParent, (std::wstring(L"Can't create file ") + path).c_str());
    return FALSE;
}

BOOL CTreeview::Export(ExportScope scope) {
    wchar_t path[MAX_PATH] = L"";
    if (!AskSaveFileName(m_hParent, L"xml\0*.xml\0txt\0*.txt\0html\0*.html\0", 3, L"", path, ARRAYSIZE(path)) ||
        !ExportToFile(path, scope))
        return FALSE;
    if (MessageBoxW(m_hParent, L"Save Successfully Completed\r\n\r\nDo you want to view results now ?", L"Information",
                    MB_YESNO | MB_ICONINFORMATION) == IDYES) {
        HINSTANCE result = ShellExecuteW(m_hParent, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
        if (reinterpret_cast<INT_PTR>(result) <= 32)
            ShowError(m_hParent, L"Error opening file");
    }
    return TRUE;
}

void CTreeview::RunCommand(UINT command) {
    switch (command) {
        case 0:
            break;
        case CommandCopySelected: {
            HTREEITEM selected = TreeView_GetSelection(m_hTree);
            if (!selected)
                break;
            std::wstring text = ItemText(selected);
            CopyToClipboard(m_hTree, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            break;
        }
        case CommandExportSelected:
            Export(ExportScope::Selected);
            break;
        case CommandExportExpanded:
            Export(ExportScope::Expanded);
            break;
        case CommandExportAll:
            Export(ExportScope::All);
            break;
        default:
            if (m_pEvents)
                m_pEvents->OnContextCommand(this, command);
    }
}

void CTreeview::ShowContextMenu() {
    CMenuHandle menu(CreatePopupMenu());
    if (!menu)
        return;
    AppendMenuW(menu.Get(), MF_STRING, CommandCopySelected, L"Copy Selected");
    AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.Get(), MF_STRING, CommandExportSelected, L"Export Selected");
    AppendMenuW(menu.Get(), MF_STRING, CommandExportExpanded, L"Export Expanded");
    AppendMenuW(menu.Get(), MF_STRING, CommandExportAll, L"Export All");
    POINT cursor;
    GetCursorPos(&cursor);
    // The menu only closes on a click elsewhere when its owner is in the foreground.
    SetForegroundWindow(m_hParent ? m_hParent : m_hTree);
    RunCommand(TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hTree, nullptr));
}

// The item under the position of the message being handled, when the hit matches the flags.
HTREEITEM CTreeview::HitTest(UINT flags) const {
    DWORD position = GetMessagePos();
    TVHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(position));
    hit.pt.y = static_cast<short>(HIWORD(position));
    ScreenToClient(m_hTree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(m_hTree, &hit);
    return item && (hit.flags & flags) ? item : nullptr;
}

BOOL CTreeview::OnNotify(LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (result)
        *result = 0;
    if (header->hwndFrom != m_hTree)
        return FALSE;
    switch (header->code) {
        case NM_CLICK:
            if (HTREEITEM item = HitTest(TVHT_ONITEMSTATEICON)) {
                if (m_pEvents)
                    m_pEvents->OnStateIconClick(this, item);
                return TRUE;
            }
            return FALSE;
        case NM_DBLCLK:
            if (HTREEITEM item = HitTest(TVHT_ONITEM)) {
                if (m_pEvents)
                    m_pEvents->OnDoubleClick(this, item);
                return TRUE;
            }
            return FALSE;
        case NM_RCLICK: {
            HTREEITEM item = m_bContextMenuEnabled ? HitTest(TVHT_ONITEM) : nullptr;
            if (!item)
                return FALSE;
            TreeView_SelectItem(m_hTree, item);
            ShowContextMenu();
            if (result)
                *result = 1; // no WM_CONTEXTMENU after the menu
            return TRUE;
        }
        case TVN_SELCHANGEDW:
            if (m_pEvents)
                m_pEvents->OnSelChanged(this, reinterpret_cast<const NMTREEVIEWW*>(lParam));
            return TRUE;
        case TVN_SELCHANGEDA: {
            // A control created for the ANSI character set: the sink gets UTF-16 texts anyway.
            const NMTREEVIEWA* ansi = reinterpret_cast<const NMTREEVIEWA*>(lParam);
            NMTREEVIEWW wide = {};
            wide.hdr = ansi->hdr;
            wide.action = ansi->action;
            wide.ptDrag = ansi->ptDrag;
            wchar_t oldText[kItemTextLength] = L"", newText[kItemTextLength] = L"";
            const TVITEMA* items[] = {&ansi->itemOld, &ansi->itemNew};
            TVITEMW* wideItems[] = {&wide.itemOld, &wide.itemNew};
            wchar_t* texts[] = {oldText, newText};
            for (int index = 0; index < 2; ++index) {
                memcpy(wideItems[index], items[index], sizeof(TVITEMA));
                wideItems[index]->pszText = nullptr;
                if ((items[index]->mask & TVIF_TEXT) && items[index]->pszText) {
                    MultiByteToWideChar(CP_ACP, 0, items[index]->pszText, -1, texts[index], kItemTextLength);
                    wideItems[index]->pszText = texts[index];
                }
            }
            if (m_pEvents)
                m_pEvents->OnSelChanged(this, &wide);
            return TRUE;
        }
        case TVN_KEYDOWN: {
            // The control toggles the check box itself right after this notification, as it does
            // after NM_CLICK on a state icon: the sink hears of both the same way, before the
            // change, and toggling here too would undo the control's toggle.
            const NMTVKEYDOWN* key = reinterpret_cast<const NMTVKEYDOWN*>(lParam);
            HTREEITEM selected = TreeView_GetSelection(m_hTree);
            if (key->wVKey != VK_SPACE || !selected || !(GetWindowLongW(m_hTree, GWL_STYLE) & TVS_CHECKBOXES))
                return FALSE;
            if (m_pEvents)
                m_pEvents->OnStateIconClick(this, selected);
            if (result)
                *result = 1; // no incremental search for a blank
            return TRUE;
        }
    }
    return FALSE;
}
