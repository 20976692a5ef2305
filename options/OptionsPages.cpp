#include "options/OptionsUI.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "lib/Dpi.h"
#include "res/resource.h"

#include <cstdlib>
#include <vector>

namespace {

// Every page group; a page switch shows one of them (or the item page's set) and hides the rest.
const int kPageGroups[] = {
    IDC_APPLICATION_GROUP,      IDC_ASSOCIATED_ICON_GROUP, IDC_LAUNCH_BAR_SPECIFIC_GROUP, IDC_BROWSING_OPTIONS_GROUP,
    IDC_CUSTOMIZATION_GROUP,    IDC_FILE_FILTERS_GROUP,    IDC_SHORTCUT_TYPE_GROUP,       IDC_PATH_GROUP,
    IDC_MULTIPLE_FOLDERS_GROUP, IDC_MERGE_TO_FOLDER,       IDC_LAUNCH_BAR_GROUP};

const int kSmallIconSize = 16; // at 96 dots per inch

void RedrawAll(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

} // namespace

void COptionsUI::ShowPage(int shownGroup) {
    ShowGroups(kPageGroups, ARRAYSIZE(kPageGroups), shownGroup);
}

RECT COptionsUI::GetControlRect(int control) const {
    RECT rect = {};
    GetWindowRect(GetDlgItem(m_hDialog, control), &rect);
    MapWindowPoints(nullptr, m_hDialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

BOOL COptionsUI::ApplyToControlGroup(int firstControl, BOOL(WINAPI* action)(HWND, int), int argument) {
    HWND window = GetDlgItem(m_hDialog, firstControl);
    BOOL all = TRUE;
    if (!window)
        return FALSE;
    do {
        if (!action(window, argument))
            all = FALSE;
        window = GetWindow(window, GW_HWNDNEXT);
    } while (window && !(GetWindowLongPtrW(window, GWL_STYLE) & WS_GROUP));
    return all;
}

void COptionsUI::ShowGroups(const int* groups, size_t count, int shownGroup) {
    // One redraw after all groups changed, instead of a flicker per control.
    SendMessageW(m_hDialog, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < count; ++i)
        ApplyToControlGroup(groups[i], ShowControlAction, groups[i] == shownGroup ? SW_SHOW : SW_HIDE);
    SendMessageW(m_hDialog, WM_SETREDRAW, TRUE, 0);
    RedrawAll(m_hDialog);
}

void COptionsUI::MoveControlGroup(int firstControl, POINT target) {
    HWND first = GetDlgItem(m_hDialog, firstControl);
    if (!first)
        return;
    RECT firstRect = GetControlRect(firstControl);
    int dx = target.x - firstRect.left;
    int dy = target.y - firstRect.top;
    if (dx == 0 && dy == 0)
        return;
    HWND window = first;
    do {
        RECT rect;
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, m_hDialog, reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(window, nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        window = GetWindow(window, GW_HWNDNEXT);
    } while (window && !(GetWindowLongPtrW(window, GWL_STYLE) & WS_GROUP));
    InvalidateRect(m_hDialog, nullptr, TRUE);
}

HWND COptionsUI::LastOfGroup(int firstControl) const {
    HWND last = GetDlgItem(m_hDialog, firstControl);
    for (HWND next = last ? GetWindow(last, GW_HWNDNEXT) : nullptr;
         next && !(GetWindowLongPtrW(next, GWL_STYLE) & WS_GROUP); next = GetWindow(next, GW_HWNDNEXT))
        last = next;
    return last;
}

HWND COptionsUI::PlaceGroupAfter(int firstControl, HWND after) {
    // Collected first: each move changes the sibling order being walked.
    std::vector<HWND> group;
    HWND last = LastOfGroup(firstControl);
    for (HWND window = GetDlgItem(m_hDialog, firstControl); window; window = GetWindow(window, GW_HWNDNEXT)) {
        group.push_back(window);
        if (window == last)
            break;
    }
    for (HWND window : group) {
        SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = window;
    }
    return after;
}

void COptionsUI::OnSelChanged(CTreeview*, const NMTREEVIEWW* change) {
    LPARAM page = change->itemNew.lParam;
    HTREEITEM node = change->itemNew.hItem;
    CGenericPathwrenObject* oldItem = m_pCurrentItem;
    HTREEITEM oldNode = m_currentNode;
    if (page <= PageLaunchBar) {
        int shown = 0;
        if (page == PageApplication || page == PageFolders) {
            m_pCurrentItem = nullptr;
            m_currentNode = nullptr;
            shown = page == PageApplication ? IDC_APPLICATION_GROUP : 0;
        } else {
            HTREEITEM parent = TreeView_GetParent(m_tree->GetWindow(), node);
            LPARAM parentPage = PageApplication;
            m_tree->GetItemParam(parent, &parentPage);
            m_pCurrentItem =
                parentPage > PageLaunchBar ? reinterpret_cast<CGenericPathwrenObject*>(parentPage) : nullptr;
            m_currentNode = m_pCurrentItem ? parent : nullptr;
            shown = page == PageFileFilters       ? IDC_FILE_FILTERS_GROUP
                    : page == PageCustomization   ? IDC_CUSTOMIZATION_GROUP
                    : page == PageBrowsingOptions ? IDC_BROWSING_OPTIONS_GROUP
                                                  : IDC_LAUNCH_BAR_GROUP;
        }
        ShowPage(shown);
    } else {
        m_pCurrentItem = reinterpret_cast<CGenericPathwrenObject*>(page);
        m_currentNode = node;
        SendMessageW(m_hDialog, WM_SETREDRAW, FALSE, 0);
        for (int group : {IDC_APPLICATION_GROUP, IDC_BROWSING_OPTIONS_GROUP, IDC_CUSTOMIZATION_GROUP,
                          IDC_FILE_FILTERS_GROUP, IDC_LAUNCH_BAR_GROUP})
            ApplyToControlGroup(group, ShowControlAction, SW_HIDE);
        for (int group :
             {IDC_SHORTCUT_TYPE_GROUP, IDC_PATH_GROUP, IDC_ASSOCIATED_ICON_GROUP, IDC_LAUNCH_BAR_SPECIFIC_GROUP})
            ApplyToControlGroup(group, ShowControlAction, SW_SHOW);
        SendMessageW(m_hDialog, WM_SETREDRAW, TRUE, 0);
        LayoutForShortcutType(GetShortcutTypeFromControls());
    }
    if (m_pCurrentItem == oldItem || m_loading)
        return;
    if (oldItem) {
        SaveItemSettings(oldItem);
        if (oldNode)
            RefreshItemNode(oldItem, oldNode);
    }
    if (m_pCurrentItem)
        LoadItemSettings(m_pCurrentItem);
}

int COptionsUI::SmallIconSize() const {
    return ScaleForDpi(kSmallIconSize, m_dpi);
}

HICON COptionsUI::LoadSmallIcon(UINT icon) {
    int size = SmallIconSize();
    return KeepIcon(static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(icon), IMAGE_ICON, size, size, 0)));
}

namespace {

const UINT kPageIcons[] = {IDI_OPTIONS,
                           IDI_OPTIONS_FOLDERS,
                           IDI_OPTIONS_FILE_FILTERS,
                           IDI_OPTIONS_CUSTOMIZATION,
                           IDI_OPTIONS_BROWSING_OPTIONS,
                           IDI_OPTIONS_LAUNCH_BAR}; // by page
static_assert(ARRAYSIZE(kPageIcons) == PageLaunchBar + 1, "an icon for every page");

} // namespace

void COptionsUI::AddPageImages() {
    for (LPARAM page = PageApplication; page <= PageLaunchBar; ++page)
        m_pageImages[page] = m_tree->AddIcon(LoadSmallIcon(kPageIcons[page]));
}

void COptionsUI::BuildTree() {
    HWND tree = m_tree->GetWindow();
    TreeView_DeleteAllItems(tree);
    AddPageImages();
    auto insert = [&](HTREEITEM parent, LPCWSTR text, OptionsPage page) {
        return m_tree->InsertItem(parent, TVI_LAST, text, page, m_pageImages[page]);
    };
    // Loading stays set while the nodes go in: the first node inserted becomes selected.
    m_loading = TRUE;
    m_optionsRoot = insert(TVI_ROOT, m_pLanguage->Options, PageApplication);
    m_launchBarNode = insert(m_optionsRoot, m_pLanguage->LaunchBar, PageLaunchBar);
    TreeView_Expand(tree, m_optionsRoot, TVE_EXPAND);
    m_foldersRoot = insert(TVI_ROOT, m_pLanguage->Folders, PageFolders);
    for (CGenericPathwrenObject* item : m_folders)
        InsertItemNode(item, TVI_LAST, FALSE);
    m_tree->ExpandAll(m_foldersRoot);
    TreeView_SelectItem(tree, m_optionsRoot);
    m_loading = FALSE;
}

void COptionsUI::ReloadTreeImages() {
    // A DPI change can come while the dialog is being made, before the tree exists; the tree
    // then takes its images at the new DPI when it is made.
    if (!m_tree)
        return;
    m_tree->ResetImages(SmallIconSize());
    AddPageImages();
    HWND tree = m_tree->GetWindow();
    // Depth first: a node's child, else its next sibling, else the next sibling of an ancestor.
    for (HTREEITEM node = TreeView_GetRoot(tree); node;) {
        LPARAM param = 0;
        m_tree->GetItemParam(node, &param);
        TVITEMW image = {};
        image.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        image.hItem = node;
        image.iImage = image.iSelectedImage = param <= PageLaunchBar
                                                  ? m_pageImages[param]
                                                  : AddItemImage(reinterpret_cast<CGenericPathwrenObject*>(param));
        TreeView_SetItem(tree, &image);
        HTREEITEM next = TreeView_GetChild(tree, node);
        for (HTREEITEM up = node; !next && up; up = TreeView_GetParent(tree, up))
            next = TreeView_GetNextSibling(tree, up);
        node = next;
    }
    // The item being edited shows the icon its page names, which may not be saved yet.
    if (m_pCurrentItem)
        ShowItemIcon(IDC_ASSOCIATED_ICON, m_iconPath, m_iconIndex, TRUE);
}

namespace {

// A combo box's window is as tall as its open list; its closed rectangle would shrink the list.
RECT FullChildRect(HWND dialog, HWND child) {
    RECT rect = {};
    WCHAR className[32] = L"";
    GetClassNameW(child, className, ARRAYSIZE(className));
    if (_wcsicmp(className, WC_COMBOBOXW) != 0 && _wcsicmp(className, WC_COMBOBOXEXW) != 0)
        GetWindowRect(child, &rect);
    else if (!SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rect)))
        GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

void COptionsUI::OnDpiChanged(UINT dpi, const RECT& suggested) {
    if (dpi != 0 && dpi != m_dpi) {
        // Dialog fonts come in whole points; scaling the pixel height instead would round twice.
        LOGFONTW font = m_templateFont;
        int points = MulDiv(std::abs(font.lfHeight), 72, static_cast<int>(m_templateDpi));
        font.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
        CFontHandle scaled(CreateFontIndirectW(&font));
        auto scale = [&](LONG value) { return MulDiv(value, static_cast<int>(dpi), static_cast<int>(m_dpi)); };
        SendMessageW(m_hDialog, WM_SETREDRAW, FALSE, 0);
        // Hidden pages too: every group keeps its place relative to the others.
        for (HWND child = GetWindow(m_hDialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rect = FullChildRect(m_hDialog, child);
            if (scaled.Get())
                SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(scaled.Get()), FALSE);
            SetWindowPos(child, nullptr, scale(rect.left), scale(rect.top), scale(rect.right) - scale(rect.left),
                         scale(rect.bottom) - scale(rect.top), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (m_mergedFolders.List()) {
            HWND list = m_mergedFolders.List()->GetWindow();
            int columns = Header_GetItemCount(ListView_GetHeader(list));
            for (int column = 0; column < columns; ++column)
                ListView_SetColumnWidth(list, column, scale(ListView_GetColumnWidth(list, column)));
        }
        // The children keep the old font until they are given another; it goes only then.
        if (scaled.Get())
            m_scaledFont = std::move(scaled);
        m_dpi = dpi;
        SetButtonIcons();
        ReloadTreeImages();
        SendMessageW(m_hDialog, WM_SETREDRAW, TRUE, 0);
    }
    SetWindowPos(m_hDialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawAll(m_hDialog);
}
