#include "options/OptionsUI.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "lib/IconHandle.h"
#include "lib/StringCopy.h"
#include "res/resource.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace {

std::vector<std::unique_ptr<CGenericPathwrenObject>>::iterator
Find(std::vector<std::unique_ptr<CGenericPathwrenObject>>& folders, const CGenericPathwrenObject* item) {
    return std::find_if(folders.begin(), folders.end(),
                        [item](const std::unique_ptr<CGenericPathwrenObject>& folder) { return folder.get() == item; });
}

} // namespace

void COptionsUI::GetItemNodeName(CGenericPathwrenObject* item, LPWSTR name) const {
    item->GetDisplayName(name);
    if (!name[0] && item->FolderPresentationType == FolderPresentationMultipleFoldersMenu)
        CopyTruncated(name, MAX_PATH, m_language->MultipleFoldersMenu);
}

HTREEITEM COptionsUI::InsertItemNode(CGenericPathwrenObject* item, HTREEITEM after, BOOL select) {
    HWND tree = m_tree->GetWindow();
    WCHAR name[MAX_PATH];
    GetItemNodeName(item, name);
    HTREEITEM node = m_tree->InsertItem(m_foldersRoot, after, name, reinterpret_cast<LPARAM>(item), AddItemImage(item));
    for (OptionsPage page : {PageBrowsingOptions, PageFileFilters, PageCustomization}) {
        LPCWSTR text = page == PageBrowsingOptions ? m_language->BrowsingOptions
                       : page == PageFileFilters   ? m_language->FileFilters
                                                   : m_language->Customization;
        m_tree->InsertItem(node, TVI_LAST, text, page, m_pageImages[page]);
    }
    if (select) {
        TreeView_Expand(tree, node, TVE_EXPAND);
        TreeView_SelectItem(tree, node);
    }
    return node;
}

int COptionsUI::AddItemImage(const CGenericPathwrenObject* item) {
    // The tree's image list copies the icon.
    CIconHandle small;
    if (item->AssociatedIconPath[0])
        ExtractIconExW(item->AssociatedIconPath, item->AssociatedIconIndex, nullptr, small.Receive(), 1);
    return m_tree->AddIcon(small ? small.Get() : m_hDefaultItemIcon);
}

void COptionsUI::RefreshItemNode(CGenericPathwrenObject* item, HTREEITEM node) {
    WCHAR name[MAX_PATH];
    GetItemNodeName(item, name);
    TVITEMW entry = {};
    entry.mask = TVIF_TEXT;
    entry.hItem = node;
    entry.pszText = name;
    TreeView_SetItem(m_tree->GetWindow(), &entry);
}

void COptionsUI::AddFolderItem() {
    m_folders.emplace_back(new CGenericPathwrenObject());
    InsertItemNode(m_folders.back().get(), TVI_LAST, TRUE);
}

void COptionsUI::RemoveFolderItem() {
    CGenericPathwrenObject* item = m_itemPage.Item();
    if (!item) {
        ShowError(m_language->NoFolderSelected);
        return;
    }
    auto position = Find(m_folders, item);
    if (position == m_folders.end())
        return;
    // The deletion moves the selection; nothing may be saved into the item that goes.
    m_itemPage.Forget();
    HTREEITEM node = m_currentNode;
    m_currentNode = nullptr;
    TreeView_DeleteItem(m_tree->GetWindow(), node);
    m_folders.erase(Find(m_folders, item));
}

void COptionsUI::MoveFolderItem(BOOL up) {
    CGenericPathwrenObject* item = m_itemPage.Item();
    if (!item) {
        ShowError(m_language->NoFolderSelected);
        return;
    }
    HWND tree = m_tree->GetWindow();
    HTREEITEM node = m_currentNode;
    HTREEITEM neighbour = up ? TreeView_GetPrevSibling(tree, node) : TreeView_GetNextSibling(tree, node);
    auto position = Find(m_folders, item);
    if (!neighbour || position == m_folders.end())
        return;
    if (up ? position == m_folders.begin() : position + 1 == m_folders.end())
        return;
    std::iter_swap(position, up ? position - 1 : position + 1);
    // The item is saved before its node goes, and the deletion's selection change must not save
    // into it again or load another item over the controls.
    m_itemPage.Save();
    HTREEITEM after = up ? TreeView_GetPrevSibling(tree, neighbour) : neighbour;
    m_loading = TRUE;
    TreeView_DeleteItem(tree, node);
    m_loading = FALSE;
    m_itemPage.Forget();
    m_currentNode = nullptr;
    InsertItemNode(item, after ? after : TVI_FIRST, TRUE);
}

BOOL COptionsUI::OnTreeKey(UINT virtualKey, BOOL control) {
    // Posted: the hook that calls this must return before a command opens a box or moves nodes.
    // Ctrl rather than Alt moves: an Alt whose arrow is swallowed counts as pressed alone and
    // would open the window menu.
    UINT command = 0;
    if (virtualKey == VK_INSERT && !control)
        command = IDC_ITEM_ADD;
    else if (virtualKey == VK_DELETE && !control)
        command = IDC_ITEM_REMOVE;
    else if (virtualKey == VK_UP && control)
        command = IDC_ITEM_MOVE_UP;
    else if (virtualKey == VK_DOWN && control)
        command = IDC_ITEM_MOVE_DOWN;
    if (!command)
        return FALSE;
    PostMessageW(m_hDialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
    return TRUE;
}
