#include "options/OptionsUI.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "lib/Dpi.h"
#include "options/OptionsControls.h"
#include "res/resource.h"

#include <cstdlib>
#include <memory>
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

// The groups of the item's own page; its sub-pages are groups of their own.
const int kItemGroups[] = {IDC_SHORTCUT_TYPE_GROUP, IDC_PATH_GROUP, IDC_ASSOCIATED_ICON_GROUP,
                           IDC_LAUNCH_BAR_SPECIFIC_GROUP};

void SetNodeImage(HWND tree, HTREEITEM node, int image) {
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = node;
    item.iImage = item.iSelectedImage = image;
    TreeView_SetItem(tree, &item);
}

} // namespace

void COptionsUI::ShowPage(int shownGroup) {
    // One redraw after all groups changed, instead of a flicker per control.
    SendMessageW(m_hDialog, WM_SETREDRAW, FALSE, 0);
    for (int group : kPageGroups)
        ApplyToControlGroup(m_hDialog, group, ShowControlAction, group == shownGroup ? SW_SHOW : SW_HIDE);
    SendMessageW(m_hDialog, WM_SETREDRAW, TRUE, 0);
    RedrawAll(m_hDialog);
}

void COptionsUI::ShowItemPage() {
    SendMessageW(m_hDialog, WM_SETREDRAW, FALSE, 0);
    for (int group : {IDC_APPLICATION_GROUP, IDC_BROWSING_OPTIONS_GROUP, IDC_CUSTOMIZATION_GROUP,
                      IDC_FILE_FILTERS_GROUP, IDC_LAUNCH_BAR_GROUP})
        ApplyToControlGroup(m_hDialog, group, ShowControlAction, SW_HIDE);
    for (int group : kItemGroups)
        ApplyToControlGroup(m_hDialog, group, ShowControlAction, SW_SHOW);
    SendMessageW(m_hDialog, WM_SETREDRAW, TRUE, 0);
    // The layout moves the groups of the type chosen now, and redraws.
    m_itemPage.LayOut();
}

void COptionsUI::OnSelChanged(CTreeview*, const NMTREEVIEWW* change) {
    LPARAM page = change->itemNew.lParam;
    HTREEITEM node = change->itemNew.hItem;
    if (page > PageLaunchBar) {
        ShowItemPage();
        SwitchItem(reinterpret_cast<CGenericPathwrenObject*>(page), node);
        return;
    }
    CGenericPathwrenObject* item = nullptr;
    HTREEITEM itemNode = nullptr;
    int shown = page == PageApplication ? IDC_APPLICATION_GROUP : 0;
    if (page != PageApplication && page != PageFolders) {
        // A sub-page edits the item of its parent node; the launch bar's parent is no item.
        HTREEITEM parent = TreeView_GetParent(m_tree->GetWindow(), node);
        LPARAM parentPage = PageApplication;
        m_tree->GetItemParam(parent, &parentPage);
        if (parentPage > PageLaunchBar) {
            item = reinterpret_cast<CGenericPathwrenObject*>(parentPage);
            itemNode = parent;
        }
        shown = page == PageFileFilters       ? IDC_FILE_FILTERS_GROUP
                : page == PageCustomization   ? IDC_CUSTOMIZATION_GROUP
                : page == PageBrowsingOptions ? IDC_BROWSING_OPTIONS_GROUP
                                              : IDC_LAUNCH_BAR_GROUP;
    }
    ShowPage(shown);
    SwitchItem(item, itemNode);
}

void COptionsUI::SwitchItem(CGenericPathwrenObject* item, HTREEITEM node) {
    CGenericPathwrenObject* oldItem = m_itemPage.Item();
    if (m_loading || item == oldItem)
        return;
    if (oldItem) {
        m_itemPage.Save();
        if (m_currentNode)
            RefreshItemNode(oldItem, m_currentNode);
    }
    m_currentNode = node;
    if (!item) {
        m_itemPage.Forget();
        return;
    }
    m_loading = TRUE;
    m_itemPage.Load(item);
    m_loading = FALSE;
}

void COptionsUI::ShowItemImage(HICON small) {
    if (m_tree && m_currentNode)
        SetNodeImage(m_tree->GetWindow(), m_currentNode, m_tree->AddIcon(small));
}

int COptionsUI::SmallIconSize() const {
    return ScaleForDpi(kSmallIconSize, m_dpi);
}

HICON COptionsUI::LoadSmallIcon(UINT icon) {
    int size = SmallIconSize();
    auto* loaded = static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(icon), IMAGE_ICON, size, size, 0));
    // A button shows the icon it is given without a copy of its own: the dialog keeps it.
    if (loaded)
        m_icons.emplace_back(loaded);
    return loaded;
}

void COptionsUI::SetButtonIcons() {
    const struct {
        int control;
        UINT icon;
    } buttonIcons[] = {{IDC_MERGED_ADD, IDI_OPTIONS_ADD},
                       {IDC_MERGED_REMOVE, IDI_OPTIONS_REMOVE},
                       {IDC_MERGED_MOVE_UP, IDI_OPTIONS_MOVE_UP},
                       {IDC_MERGED_MOVE_DOWN, IDI_OPTIONS_MOVE_DOWN},
                       {IDCANCEL, IDI_OPTIONS_CANCEL},
                       {IDOK, IDI_OPTIONS_OK}};
    for (const auto& buttonIcon : buttonIcons)
        SendDlgItemMessageW(m_hDialog, buttonIcon.control, BM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(LoadSmallIcon(buttonIcon.icon)));
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
    m_optionsRoot = insert(TVI_ROOT, m_language->Options, PageApplication);
    m_launchBarNode = insert(m_optionsRoot, m_language->LaunchBar, PageLaunchBar);
    TreeView_Expand(tree, m_optionsRoot, TVE_EXPAND);
    m_foldersRoot = insert(TVI_ROOT, m_language->Folders, PageFolders);
    for (const std::unique_ptr<CGenericPathwrenObject>& item : m_folders)
        InsertItemNode(item.get(), TVI_LAST, FALSE);
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
    m_itemPage.ShowAssociatedIcon();
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
        if (m_itemPage.MergedList()) {
            HWND list = m_itemPage.MergedList()->GetWindow();
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
