#include "options/OptionsUI.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/StringCopy.h"
#include "res/resource.h"

#include <commctrl.h>

#include <cwchar>

namespace {

const int kShortcutTypeRadios[4] = {IDC_TYPE_BROWSER, IDC_TYPE_DESKTOP, IDC_TYPE_MENU, IDC_TYPE_MULTIPLE_FOLDERS_MENU};
const WCHAR kSpecialPathPrefix[] = L"::CSIDL:";
const int kDocumentsFolder = 5;

struct ItemCheck {
    int control;
    BOOL CSingleFolderOptions::*field;
};
const ItemCheck kItemChecks[] = {
    {IDC_ENABLE_HOT_CORNER, &CSingleFolderOptions::EnableHotCorner},
    {IDC_INCLUDE_SUBFOLDERS, &CSingleFolderOptions::IncludeSubFolders},
    {IDC_ALLOW_SUBFOLDERS_NAVIGATION, &CSingleFolderOptions::AllowSubFoldersNavigation},
    {IDC_ALLOW_LINKS_NAVIGATION, &CSingleFolderOptions::AllowSubFoldersLinksNavigation},
    {IDC_HIDE_FILES_EXTENSIONS, &CSingleFolderOptions::HideFilesExtensionInPopupMenu},
    {IDC_HIDE_SHORTCUTS_OVERLAY, &CSingleFolderOptions::HideShortcutsOverlayInPopupMenu},
    {IDC_MERGE_MENUS, &CSingleFolderOptions::MergeMenusInPopupMenu},
    {IDC_HIDE_TOOLBAR_FOR_HOME, &CSingleFolderOptions::HideToolBarForHomeFolder},
    {IDC_HIDE_TOOLBAR, &CSingleFolderOptions::HideToolBar},
    {IDC_SHOW_AT_STARTUP, &CSingleFolderOptions::ShowAtStartup},
    {IDC_START_MAXIMIZED, &CSingleFolderOptions::StartMaximized},
    {IDC_SAVE_ICONS_POSITIONS, &CSingleFolderOptions::SaveIconsPositionsForHomeFolder},
    {IDC_REMEMBER_LAST_POSITION, &CSingleFolderOptions::RememberLastPosition},
    {IDC_SINGLE_CLICK_SELECTION, &CSingleFolderOptions::OneClickActivate},
    {IDC_AUTO_HIDE_ON_EXECUTION, &CSingleFolderOptions::AutoHideOnFileExecution},
    {IDC_TEXT_COLOR_CHECK, &CSingleFolderOptions::TextColorSepcified},
    {IDC_BACKGROUND_COLOR_CHECK, &CSingleFolderOptions::TextBackgroundColorSepcified},
};

// Lists store their selection index; some store 0 rather than "no selection".
struct ItemList {
    int control;
    INT CSingleFolderOptions::*field;
    BOOL zeroWithoutSelection;
};
const ItemList kItemLists[] = {
    {IDC_HOT_CORNER_MONITOR, &CSingleFolderOptions::HotCornerScreenIndex, FALSE},
    {IDC_HOT_CORNER_POSITION, &CSingleFolderOptions::HotCornerPosition, FALSE},
    {IDC_ICON_POSITION, &CSingleFolderOptions::AssociatedIconPosition, FALSE},
    {IDC_FOLDERS_POSITION, &CSingleFolderOptions::FoldersPositionInPopupMenu, FALSE},
    {IDC_Z_ORDER, &CSingleFolderOptions::ZOrder, TRUE},
    {IDC_GRADIENT_TYPE, &CSingleFolderOptions::BackgroundGradiantType, TRUE},
    {IDC_PICTURE_POSITION, &CSingleFolderOptions::BackgroundImagePosition, TRUE},
};

// A number outside its range is refused like a text that is no number; a hot corner needs at
// least one pixel to be reached at all.
struct ItemNumber {
    int control;
    INT CSingleFolderOptions::*field;
    UINT minimum;
    UINT maximum;
};
const ItemNumber kItemNumbers[] = {
    {IDC_HOT_CORNER_WIDTH, &CSingleFolderOptions::HotCornerWidth, 1, 10000},
    {IDC_HOT_CORNER_HEIGHT, &CSingleFolderOptions::HotCornerHeight, 1, 10000},
    {IDC_SPACE_BEFORE_ICON, &CSingleFolderOptions::LaunchBarFreeSpaceBeforeIcon, 0, 1000},
};

struct ItemText {
    int control;
    LPWSTR (*field)(CSingleFolderOptions& item);
    int size;
};
const ItemText kItemTexts[] = {
    {IDC_INCLUSION_FILTERS, [](CSingleFolderOptions& item) -> LPWSTR { return item.InclusionFilters; }, 1024},
    {IDC_EXCLUSION_FILTERS, [](CSingleFolderOptions& item) -> LPWSTR { return item.ExclusionFilters; }, 1024},
    {IDC_PICTURE_PATH, [](CSingleFolderOptions& item) -> LPWSTR { return item.BackgroundImagePath; }, MAX_PATH},
};

struct ItemColor {
    ColorButton button;
    COLORREF CSingleFolderOptions::*field;
};
const ItemColor kItemColors[] = {
    {ColorItemText, &CSingleFolderOptions::TextColor},
    {ColorItemTextBackground, &CSingleFolderOptions::TextBackgroundColor},
    {ColorItemBackground, &CSingleFolderOptions::BackgroundColor},
    {ColorItemGradient1, &CSingleFolderOptions::BackgroundColor1},
    {ColorItemGradient2, &CSingleFolderOptions::BackgroundColor2},
};

const int kBackgroundRadios[4] = {IDC_BACKGROUND_NONE_RADIO, IDC_BACKGROUND_COLOR_RADIO, IDC_BACKGROUND_GRADIENT_RADIO,
                                  IDC_BACKGROUND_PICTURE_RADIO};

// Options of a window presentation (browser, desktop) and of a menu presentation.
const int kWindowOptionControls[] = {IDC_REMEMBER_LAST_POSITION,
                                     IDC_SINGLE_CLICK_SELECTION,
                                     IDC_AUTO_HIDE_ON_EXECUTION,
                                     IDC_VIEW_TYPE,
                                     IDC_Z_ORDER,
                                     IDC_HIDE_TOOLBAR_FOR_HOME,
                                     IDC_HIDE_TOOLBAR,
                                     IDC_SHOW_AT_STARTUP,
                                     IDC_START_MAXIMIZED,
                                     IDC_ENABLE_HOT_CORNER,
                                     IDC_HOT_CORNER_MONITOR,
                                     IDC_HOT_CORNER_POSITION,
                                     IDC_HOT_CORNER_WIDTH,
                                     IDC_HOT_CORNER_HEIGHT};
const int kMenuOptionControls[] = {IDC_HIDE_FILES_EXTENSIONS, IDC_HIDE_SHORTCUTS_OVERLAY, IDC_FOLDERS_POSITION,
                                   IDC_ALLOW_LINKS_NAVIGATION};

BOOL IsWindowPresentation(int type) {
    return type == FolderPresentationBrowser || type == FolderPresentationDesktop;
}

} // namespace

BOOL COptionsUI::KeepsUnofferedSpecialFolder(const CGenericPathwrenObject* item) const {
    return IsDlgButtonChecked(m_hDialog, IDC_TYPE_DESKTOP) != BST_CHECKED &&
           IsDlgButtonChecked(m_hDialog, IDC_SYSTEM_SPECIAL_PATH) == BST_CHECKED &&
           SendDlgItemMessageW(m_hDialog, IDC_SPECIAL_FOLDER_LIST, CB_GETCURSEL, 0, 0) == CB_ERR &&
           _wcsnicmp(item->Path, kSpecialPathPrefix, 8) == 0;
}

int COptionsUI::GetShortcutTypeFromControls() const {
    for (int control : {IDC_TYPE_DESKTOP, IDC_TYPE_BROWSER, IDC_TYPE_MENU, IDC_TYPE_MULTIPLE_FOLDERS_MENU}) {
        if (IsDlgButtonChecked(m_hDialog, control) == BST_CHECKED) {
            for (int type = 0; type < 4; ++type) {
                if (kShortcutTypeRadios[type] == control)
                    return type;
            }
        }
    }
    return FolderPresentationDesktop;
}

void COptionsUI::LayoutForShortcutType(int type) {
    ApplyToControlGroup(IDC_PATH_GROUP, ShowControlAction, type == FolderPresentationDesktop ? SW_HIDE : SW_SHOW);
    ApplySaveIconsPositionsRule(type);
    RECT icon = GetControlRect(IDC_ASSOCIATED_ICON_GROUP);
    RECT bar = GetControlRect(IDC_LAUNCH_BAR_SPECIFIC_GROUP);
    RECT path = GetControlRect(IDC_PATH_GROUP);
    if (type != FolderPresentationMultipleFoldersMenu) {
        ApplyToControlGroup(IDC_MULTIPLE_FOLDERS_GROUP, ShowControlAction, SW_HIDE);
        ApplyToControlGroup(IDC_MERGE_TO_FOLDER, ShowControlAction, SW_HIDE);
        RECT typeGroup = GetControlRect(IDC_SHORTCUT_TYPE_GROUP);
        MoveControlGroup(IDC_PATH_GROUP, {path.left, typeGroup.bottom});
        RECT movedPath = GetControlRect(IDC_PATH_GROUP);
        MoveControlGroup(IDC_ASSOCIATED_ICON_GROUP, {icon.left, movedPath.bottom});
        MoveControlGroup(IDC_LAUNCH_BAR_SPECIFIC_GROUP, {bar.left, movedPath.bottom});
    } else {
        ApplyToControlGroup(IDC_MULTIPLE_FOLDERS_GROUP, ShowControlAction, SW_SHOW);
        ApplyToControlGroup(IDC_MERGE_TO_FOLDER, ShowControlAction, SW_SHOW);
        RECT nameBox = GetControlRect(IDC_NAME_GROUP);
        MoveControlGroup(IDC_ASSOCIATED_ICON_GROUP, {icon.left, nameBox.bottom});
        MoveControlGroup(IDC_LAUNCH_BAR_SPECIFIC_GROUP, {bar.left, nameBox.bottom});
        RECT movedIcon = GetControlRect(IDC_ASSOCIATED_ICON_GROUP);
        MoveControlGroup(IDC_PATH_GROUP, {path.left, movedIcon.bottom});
    }
    // The tab order follows the new reading order; groups move whole, so they stay contiguous.
    HWND last = LastOfGroup(IDC_SHORTCUT_TYPE_GROUP);
    static const int kMultipleFoldersOrder[] = {IDC_MULTIPLE_FOLDERS_GROUP, IDC_ASSOCIATED_ICON_GROUP,
                                                IDC_LAUNCH_BAR_SPECIFIC_GROUP, IDC_PATH_GROUP, IDC_MERGE_TO_FOLDER};
    static const int kSingleFolderOrder[] = {IDC_PATH_GROUP, IDC_ASSOCIATED_ICON_GROUP, IDC_LAUNCH_BAR_SPECIFIC_GROUP,
                                             IDC_MULTIPLE_FOLDERS_GROUP, IDC_MERGE_TO_FOLDER};
    const int* order = type == FolderPresentationMultipleFoldersMenu ? kMultipleFoldersOrder : kSingleFolderOrder;
    for (size_t i = 0; i < ARRAYSIZE(kSingleFolderOrder); ++i)
        last = PlaceGroupAfter(order[i], last);
    RedrawWindow(m_hDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void COptionsUI::ApplySaveIconsPositionsRule(int type) {
    // Icon positions exist only in the icon-like views of a browser window.
    LRESULT selection = SendDlgItemMessageW(m_hDialog, IDC_VIEW_TYPE, CB_GETCURSEL, 0, 0);
    UINT mode = selection >= 0 && static_cast<UINT>(selection) < m_viewTypeCount ? m_viewTypes[selection] : 0;
    BOOL enabled = type == FolderPresentationBrowser && mode != 3 && mode != 4 && mode != 10;
    EnableWindow(GetDlgItem(m_hDialog, IDC_SAVE_ICONS_POSITIONS), enabled);
}

void COptionsUI::ApplyShortcutTypeRules(int type) {
    BOOL window = IsWindowPresentation(type);
    for (int control : kWindowOptionControls)
        EnableWindow(GetDlgItem(m_hDialog, control), window);
    ApplyToControlGroup(IDC_CUSTOMIZATION_GROUP, EnableControlAction, window);
    for (int control : kMenuOptionControls)
        EnableWindow(GetDlgItem(m_hDialog, control), !window);
    ApplySaveIconsPositionsRule(type);
}

void COptionsUI::ApplyMergeRules() {
    BOOL mergeAll = IsDlgButtonChecked(m_hDialog, IDC_MERGE_MENUS) == BST_CHECKED;
    EnableWindow(GetDlgItem(m_hDialog, IDC_MERGE_TO_FOLDER), !mergeAll);
    EnableWindow(GetDlgItem(m_hDialog, IDC_MERGED_NAME),
                 !mergeAll && IsDlgButtonChecked(m_hDialog, IDC_MERGE_TO_FOLDER) == BST_CHECKED);
}

void COptionsUI::ShowShortcutPreview(int type) {
    if (!m_gdiplus || !m_gdiplus->Started() || type < 0 || type > 3)
        return;
    HWND preview = GetDlgItem(m_hDialog, IDC_SHORTCUT_TYPE_PREVIEW);
    SetStaticBitmap(preview, m_shownShortcutPreview, m_shortcutPreviews[type].MakeHBitmap());
}

BOOL COptionsUI::IsItemNodeSelected() const {
    HTREEITEM selected = m_tree ? TreeView_GetSelection(m_tree->GetWindow()) : nullptr;
    LPARAM page = PageApplication;
    return selected && m_tree->GetItemParam(selected, &page) && page > PageLaunchBar;
}

void COptionsUI::OnShortcutTypeClicked() {
    int type = GetShortcutTypeFromControls();
    ShowShortcutPreview(type);
    ApplyShortcutTypeRules(type);
    if (IsItemNodeSelected())
        LayoutForShortcutType(type);
}

void COptionsUI::SetPathControls(LPCWSTR path) {
    int csidl = 0;
    if (_wcsnicmp(path, kSpecialPathPrefix, 8) != 0) {
        CheckDlgButton(m_hDialog, IDC_LOCAL_PATH, BST_CHECKED);
        CheckDlgButton(m_hDialog, IDC_SYSTEM_SPECIAL_PATH, BST_UNCHECKED);
        SetDlgItemTextW(m_hDialog, IDC_PATH_EDIT, path);
        return;
    }
    CheckDlgButton(m_hDialog, IDC_SYSTEM_SPECIAL_PATH, BST_CHECKED);
    CheckDlgButton(m_hDialog, IDC_LOCAL_PATH, BST_UNCHECKED);
    SetDlgItemTextW(m_hDialog, IDC_PATH_EDIT, L"");
    HWND list = GetDlgItem(m_hDialog, IDC_SPECIAL_FOLDER_LIST);
    // A special folder this system does not offer shows no entry, and OK keeps it.
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    if (!ParseSpecialPath(path, &csidl))
        return;
    LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        COMBOBOXEXITEMW entry = {};
        entry.mask = CBEIF_LPARAM;
        entry.iItem = i;
        if (SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry)) && entry.lParam == csidl) {
            SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        }
    }
}

void COptionsUI::GetPathFromControls(LPWSTR path) {
    if (IsDlgButtonChecked(m_hDialog, IDC_TYPE_DESKTOP) == BST_CHECKED) {
        CopyTruncated(path, MAX_PATH, FormatSpecialPath(0).c_str());
        return;
    }
    if (IsDlgButtonChecked(m_hDialog, IDC_SYSTEM_SPECIAL_PATH) == BST_CHECKED) {
        HWND list = GetDlgItem(m_hDialog, IDC_SPECIAL_FOLDER_LIST);
        COMBOBOXEXITEMW entry = {};
        entry.mask = CBEIF_LPARAM;
        entry.iItem = SendMessageW(list, CB_GETCURSEL, 0, 0);
        int csidl = kDocumentsFolder;
        if (entry.iItem >= 0 && SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry)))
            csidl = static_cast<int>(entry.lParam);
        CopyTruncated(path, MAX_PATH, FormatSpecialPath(csidl).c_str());
        return;
    }
    GetDlgItemTextW(m_hDialog, IDC_PATH_EDIT, path, MAX_PATH);
}

void COptionsUI::FillSpecialFolderList() {
    HWND list = GetDlgItem(m_hDialog, IDC_SPECIAL_FOLDER_LIST);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    int index = 0;
    for (const SpecialFolderOffer& offer : GetSpecialFolderOffers()) {
        COMBOBOXEXITEMW entry = {};
        entry.mask = CBEIF_TEXT | CBEIF_LPARAM;
        entry.iItem = index++;
        entry.pszText = const_cast<LPWSTR>(offer.text.c_str());
        entry.lParam = offer.csidl;
        SendMessageW(list, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    }
    SendMessageW(list, CB_SETCURSEL, 0, 0);
}

void COptionsUI::LoadItemSettings(CGenericPathwrenObject* item) {
    m_loading = TRUE;
    m_pCurrentItem = item;
    int type = item->FolderPresentationType;
    for (int i = 0; i < 4; ++i)
        CheckDlgButton(m_hDialog, kShortcutTypeRadios[i], i == type ? BST_CHECKED : BST_UNCHECKED);
    m_mergedFolders.Load(type == FolderPresentationMultipleFoldersMenu ? *item->MergedFolders
                                                                       : std::vector<MergedFolder>(),
                         *m_pLanguage);
    if (type == FolderPresentationMultipleFoldersMenu) {
        if (!item->DisplayName[0])
            CopyTruncated(item->DisplayName, ARRAYSIZE(item->DisplayName), m_pLanguage->MultipleFoldersMenu);
        SetDlgItemTextW(m_hDialog, IDC_DISPLAY_NAME, item->DisplayName);
        CheckDlgButton(m_hDialog, IDC_SYSTEM_SPECIAL_PATH, BST_CHECKED);
        CheckDlgButton(m_hDialog, IDC_LOCAL_PATH, BST_UNCHECKED);
        CheckDlgButton(m_hDialog, IDC_MERGE_TO_FOLDER, BST_UNCHECKED);
        SetDlgItemTextW(m_hDialog, IDC_PATH_EDIT, L"");
    } else {
        if (type == FolderPresentationDesktop)
            CopyTruncated(item->DisplayName, ARRAYSIZE(item->DisplayName), m_pLanguage->Desktop);
        SetDlgItemTextW(m_hDialog, IDC_DISPLAY_NAME, item->DisplayName);
        SetPathControls(item->Path);
    }
    CopyTruncated(m_iconPath, item->AssociatedIconPath);
    m_iconIndex = item->AssociatedIconIndex;
    CopyTruncated(m_hotIconPath, item->AssociatedHotIconPath);
    m_hotIconIndex = item->AssociatedHotIconIndex;
    CopyTruncated(m_downIconPath, item->AssociatedDownIconPath);
    m_downIconIndex = item->AssociatedDownIconIndex;
    ShowItemIcon(IDC_ASSOCIATED_ICON, m_iconPath, m_iconIndex, TRUE);
    ShowItemIcon(IDC_HOT_ICON, m_hotIconPath, m_hotIconIndex, FALSE);
    ShowItemIcon(IDC_DOWN_ICON, m_downIconPath, m_downIconIndex, FALSE);

    for (const ItemCheck& check : kItemChecks)
        CheckDlgButton(m_hDialog, check.control, item->*check.field ? BST_CHECKED : BST_UNCHECKED);
    for (const ItemList& list : kItemLists)
        SendDlgItemMessageW(m_hDialog, list.control, CB_SETCURSEL, static_cast<WPARAM>(item->*list.field), 0);
    UINT viewEntry = 0;
    for (UINT i = m_viewTypeCount; i-- > 0;) {
        if (m_viewTypes[i] == static_cast<UINT>(item->FolderViewMode))
            viewEntry = i;
    }
    SendDlgItemMessageW(m_hDialog, IDC_VIEW_TYPE, CB_SETCURSEL, viewEntry, 0);
    for (const ItemNumber& number : kItemNumbers)
        SetDlgItemInt(m_hDialog, number.control, static_cast<UINT>(item->*number.field), FALSE);
    for (const ItemText& text : kItemTexts)
        SetDlgItemTextW(m_hDialog, text.control, text.field(*item));

    m_hotKey.Show(item->HotKeyModifier, item->HotKeyVirtualKey);

    for (const ItemColor& color : kItemColors) {
        m_colorButtons.Show(color.button, item->*color.field);
    }
    if (item->BackgroundType >= 0 && item->BackgroundType < 4) {
        for (int i = 0; i < 4; ++i)
            CheckDlgButton(m_hDialog, kBackgroundRadios[i], i == item->BackgroundType ? BST_CHECKED : BST_UNCHECKED);
    }
    ShowShortcutPreview(type);
    ApplyShortcutTypeRules(type);
    ApplyMergeRules();
    if (IsItemNodeSelected())
        LayoutForShortcutType(type);
    HWND hideForHome = GetDlgItem(m_hDialog, IDC_HIDE_TOOLBAR_FOR_HOME);
    if (IsWindowEnabled(hideForHome))
        EnableWindow(hideForHome, !item->HideToolBar);
    m_loading = FALSE;
}

void COptionsUI::SaveItemSettings(CGenericPathwrenObject* item) {
    int type = GetShortcutTypeFromControls();
    item->FolderPresentationType = type;
    item->MergedFolders->clear();
    if (type == FolderPresentationMultipleFoldersMenu) {
        *item->MergedFolders = m_mergedFolders.Folders();
        GetDlgItemTextW(m_hDialog, IDC_DISPLAY_NAME, item->DisplayName, ARRAYSIZE(item->DisplayName));
        if (!item->DisplayName[0])
            CopyTruncated(item->DisplayName, ARRAYSIZE(item->DisplayName), m_pLanguage->MultipleFoldersMenu);
    } else if (!KeepsUnofferedSpecialFolder(item)) {
        GetPathFromControls(item->Path);
    }
    CopyTruncated(item->AssociatedIconPath, m_iconPath);
    item->AssociatedIconIndex = m_iconIndex;
    CopyTruncated(item->AssociatedHotIconPath, m_hotIconPath);
    item->AssociatedHotIconIndex = m_hotIconIndex;
    CopyTruncated(item->AssociatedDownIconPath, m_downIconPath);
    item->AssociatedDownIconIndex = m_downIconIndex;

    for (const ItemCheck& check : kItemChecks)
        item->*check.field = IsDlgButtonChecked(m_hDialog, check.control) == BST_CHECKED;
    if (item->StartMaximized)
        item->IsMaximized = TRUE;
    for (const ItemList& list : kItemLists) {
        LRESULT selection = SendDlgItemMessageW(m_hDialog, list.control, CB_GETCURSEL, 0, 0);
        // Without a selection (a monitor unplugged since, say) the stored value stays.
        if (selection != CB_ERR)
            item->*list.field = static_cast<INT>(selection);
        else if (list.zeroWithoutSelection)
            item->*list.field = 0;
    }
    LRESULT view = SendDlgItemMessageW(m_hDialog, IDC_VIEW_TYPE, CB_GETCURSEL, 0, 0);
    item->FolderViewMode =
        view >= 0 && static_cast<UINT>(view) < m_viewTypeCount ? static_cast<INT>(m_viewTypes[view]) : 0;
    for (const ItemNumber& number : kItemNumbers) {
        UINT value = 0;
        if (ReadNumberInRange(m_hDialog, number.control, number.minimum, number.maximum, &value))
            item->*number.field = static_cast<INT>(value);
    }
    for (const ItemText& text : kItemTexts)
        GetDlgItemTextW(m_hDialog, text.control, text.field(*item), text.size);
    for (const ItemColor& color : kItemColors)
        item->*color.field = m_colorButtons.Get(color.button);
    for (int i = 0; i < 4; ++i) {
        if (IsDlgButtonChecked(m_hDialog, kBackgroundRadios[i]) == BST_CHECKED) {
            item->BackgroundType = i;
            break;
        }
    }
    item->HotKeyModifier = m_hotKey.Modifiers();
    item->HotKeyVirtualKey = m_hotKey.VirtualKey();
}
