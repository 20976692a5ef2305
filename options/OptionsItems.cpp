#include "options/OptionsUI.h"

#include "lib/FolderBrowser.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/IconHandle.h"
#include "lib/StringCopy.h"
#include "res/resource.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <utility>

namespace {

void SetNodeImage(HWND tree, HTREEITEM node, int image) {
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = node;
    item.iImage = item.iSelectedImage = image;
    TreeView_SetItem(tree, &item);
}

} // namespace

void COptionsUI::GetItemNodeName(CGenericPathwrenObject* item, LPWSTR name) const {
    item->GetDisplayName(name);
    if (!name[0] && item->FolderPresentationType == FolderPresentationMultipleFoldersMenu)
        CopyTruncated(name, MAX_PATH, m_pLanguage->MultipleFoldersMenu);
}

HTREEITEM COptionsUI::InsertItemNode(CGenericPathwrenObject* item, HTREEITEM after, BOOL select) {
    HWND tree = m_tree->GetWindow();
    WCHAR name[MAX_PATH];
    GetItemNodeName(item, name);
    HTREEITEM node = m_tree->InsertItem(m_foldersRoot, after, name, reinterpret_cast<LPARAM>(item), AddItemImage(item));
    for (OptionsPage page : {PageBrowsingOptions, PageFileFilters, PageCustomization}) {
        LPCWSTR text = page == PageBrowsingOptions ? m_pLanguage->BrowsingOptions
                       : page == PageFileFilters   ? m_pLanguage->FileFilters
                                                   : m_pLanguage->Customization;
        m_tree->InsertItem(node, TVI_LAST, text, page, m_pageImages[page]);
    }
    if (select) {
        TreeView_Expand(tree, node, TVE_EXPAND);
        TreeView_SelectItem(tree, node);
    }
    return node;
}

int COptionsUI::AddItemImage(const CGenericPathwrenObject* item) {
    HICON small = nullptr;
    if (item->AssociatedIconPath[0])
        ExtractIconExW(item->AssociatedIconPath, item->AssociatedIconIndex, nullptr, &small, 1);
    return m_tree->AddIcon(small ? KeepIcon(small) : GetDefaultItemIcon());
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
    auto* item = new CGenericPathwrenObject();
    m_folders.push_back(item);
    InsertItemNode(item, TVI_LAST, TRUE);
}

void COptionsUI::RemoveFolderItem() {
    if (!m_pCurrentItem) {
        ShowOptionsError(m_pLanguage->NoFolderSelected);
        return;
    }
    auto position = std::find(m_folders.begin(), m_folders.end(), m_pCurrentItem);
    if (position == m_folders.end())
        return;
    CGenericPathwrenObject* item = m_pCurrentItem;
    HTREEITEM node = m_currentNode;
    // The deletion moves the selection; nothing may be saved into the item that goes.
    m_pCurrentItem = nullptr;
    m_currentNode = nullptr;
    TreeView_DeleteItem(m_tree->GetWindow(), node);
    m_folders.erase(std::find(m_folders.begin(), m_folders.end(), item));
    delete item;
}

void COptionsUI::MoveFolderItem(BOOL up) {
    if (!m_pCurrentItem) {
        ShowOptionsError(m_pLanguage->NoFolderSelected);
        return;
    }
    HWND tree = m_tree->GetWindow();
    HTREEITEM node = m_currentNode;
    HTREEITEM neighbour = up ? TreeView_GetPrevSibling(tree, node) : TreeView_GetNextSibling(tree, node);
    auto position = std::find(m_folders.begin(), m_folders.end(), m_pCurrentItem);
    if (!neighbour || position == m_folders.end())
        return;
    if (up ? position == m_folders.begin() : position + 1 == m_folders.end())
        return;
    std::iter_swap(position, up ? position - 1 : position + 1);
    // The item is saved before its node goes, and the deletion's selection change must not save
    // into it again or load another item over the controls.
    CGenericPathwrenObject* item = m_pCurrentItem;
    SaveItemSettings(item);
    HTREEITEM after = up ? TreeView_GetPrevSibling(tree, neighbour) : neighbour;
    m_loading = TRUE;
    TreeView_DeleteItem(tree, node);
    m_loading = FALSE;
    m_pCurrentItem = nullptr;
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

void COptionsUI::AddMergedFolder() {
    MergedFolder folder = {};
    folder.MergedMenu = IsDlgButtonChecked(m_hDialog, IDC_MERGE_TO_FOLDER) == BST_CHECKED;
    if (folder.MergedMenu) {
        GetDlgItemTextW(m_hDialog, IDC_MERGED_NAME, folder.MergedMenuName, ARRAYSIZE(folder.MergedMenuName));
        if (!folder.MergedMenuName[0]) {
            ShowOptionsError(m_pLanguage->EmptyMergedFolderName);
            return;
        }
    }
    GetPathFromControls(folder.Directory);
    m_mergedFolders.Add(folder, *m_pLanguage);
}

void COptionsUI::ShowItemIcon(int staticControl, LPCWSTR path, int index, BOOL setTreeImage) {
    HICON large = nullptr;
    CIconHandle small;
    if (path[0])
        ExtractIconExW(path, index, &large, setTreeImage ? small.Receive() : nullptr, 1);
    HICON shown = large ? KeepIcon(large) : GetDefaultItemIcon();
    SendDlgItemMessageW(m_hDialog, staticControl, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0);
    if (setTreeImage && small && m_currentNode)
        SetNodeImage(m_tree->GetWindow(), m_currentNode, m_tree->AddIcon(KeepIcon(small.Detach())));
}

// PickIconDlg answers 1 for a choice and 0 for Cancel; Wine's stub answers -1 without showing
// anything, which must not count as a choice.
void COptionsUI::PickAssociatedIcon() {
    if (!m_pCurrentItem)
        return;
    WCHAR path[MAX_PATH];
    CopyTruncated(path, m_iconPath);
    int index = m_iconIndex;
    if (m_pickIcon(m_hDialog, path, MAX_PATH, &index) > 0)
        SetAssociatedIcon(path, index);
}

void COptionsUI::SetAssociatedIcon(LPCWSTR path, int index) {
    // The dialog may have ended while the picker was open.
    if (!m_pCurrentItem)
        return;
    // A state icon that was never set, or still equals the associated icon, follows it.
    auto follows = [this](LPCWSTR storedPath, LPCWSTR statePath, int stateIndex) {
        return !storedPath[0] || (_wcsicmp(statePath, m_iconPath) == 0 && stateIndex == m_iconIndex);
    };
    BOOL hotFollows = follows(m_pCurrentItem->AssociatedHotIconPath, m_hotIconPath, m_hotIconIndex);
    BOOL downFollows = follows(m_pCurrentItem->AssociatedDownIconPath, m_downIconPath, m_downIconIndex);
    CopyTruncated(m_iconPath, path);
    m_iconIndex = index;
    ShowItemIcon(IDC_ASSOCIATED_ICON, m_iconPath, m_iconIndex, TRUE);
    if (hotFollows) {
        CopyTruncated(m_hotIconPath, m_iconPath);
        m_hotIconIndex = m_iconIndex;
        ShowItemIcon(IDC_HOT_ICON, m_hotIconPath, m_hotIconIndex, FALSE);
    }
    if (downFollows) {
        CopyTruncated(m_downIconPath, m_iconPath);
        m_downIconIndex = m_iconIndex;
        ShowItemIcon(IDC_DOWN_ICON, m_downIconPath, m_downIconIndex, FALSE);
    }
}

void COptionsUI::PickStateIcon(int staticControl) {
    BOOL hot = staticControl == IDC_HOT_ICON;
    LPWSTR path = hot ? m_hotIconPath : m_downIconPath;
    int* index = hot ? &m_hotIconIndex : &m_downIconIndex;
    WCHAR picked[MAX_PATH];
    CopyTruncated(picked, MAX_PATH, path);
    int pickedIndex = *index;
    if (m_pickIcon(m_hDialog, picked, MAX_PATH, &pickedIndex) <= 0 || !m_pCurrentItem)
        return;
    CopyTruncated(path, MAX_PATH, picked);
    *index = pickedIndex;
    ShowItemIcon(staticControl, path, *index, FALSE);
}

void COptionsUI::BrowseLocalFolder() {
    WCHAR start[MAX_PATH];
    GetDlgItemTextW(m_hDialog, IDC_PATH_EDIT, start, MAX_PATH);
    BrowseFolderState state = {};
    if (BrowseForFolder(&state, m_hDialog, start))
        SetDlgItemTextW(m_hDialog, IDC_PATH_EDIT, state.chosenPath);
}
