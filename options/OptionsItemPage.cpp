#include "options/OptionsItemPage.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/FolderBrowser.h"
#include "lib/MonitorRect.h"
#include "lib/WindowsVersion.h"
#include "lib/StringCopy.h"
#include "options/OptionsColorButtons.h"
#include "options/OptionsControls.h"
#include "options/OptionsPageHost.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shlobj.h>

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

// Windows 7 brought the medium, large and extra large icon views and dropped the thumbnail strip.
struct ViewTypeEntry {
    LPCWSTR (*text)(const CLanguage& language);
    UINT viewMode;
};
#define VIEW_NAME(key) [](const CLanguage& language) -> LPCWSTR { return language.key; }
const ViewTypeEntry kViewTypesBefore7[] = {
    {VIEW_NAME(Icons), 0},      {VIEW_NAME(SmallIcons), 2}, {VIEW_NAME(List), 3},       {VIEW_NAME(Detail), 4},
    {VIEW_NAME(Thumbnails), 9}, {VIEW_NAME(Tiles), 8},      {VIEW_NAME(ThumbStrip), 10}};
const ViewTypeEntry kViewTypes7[] = {{VIEW_NAME(Icons), 0},  {VIEW_NAME(SmallIcons), 2}, {VIEW_NAME(List), 3},
                                     {VIEW_NAME(Detail), 4}, {VIEW_NAME(Tiles), 8},      {VIEW_NAME(Medium), 5},
                                     {VIEW_NAME(Large), 6},  {VIEW_NAME(ExtraLarge), 7}};

BOOL IsBeforeWindows7() {
    WindowsVersion version = ReportedWindowsVersion();
    return version.major != 0 && version.Before(6, 1);
}

const ViewTypeEntry* ViewTypeEntries() {
    return IsBeforeWindows7() ? kViewTypesBefore7 : kViewTypes7;
}

BOOL IsWindowPresentation(int type) {
    return type == FolderPresentationBrowser || type == FolderPresentationDesktop;
}

const UINT kShortcutPreviewResources[4] = {IDJ_PREVIEW_BROWSER, IDJ_PREVIEW_DESKTOP, IDJ_PREVIEW_MENU,
                                           IDJ_PREVIEW_MULTIPLE_FOLDERS_MENU};

} // namespace

COptionsItemPage::COptionsItemPage(IOptionsPageHost& host, COptionsColorButtons& colors)
    : m_host(host), m_colors(colors), m_pItem(nullptr), m_hDefaultIcon(nullptr), m_viewTypes(), m_viewTypeCount(0),
      m_iconIndex(0), m_hotIconIndex(0), m_downIconIndex(0), m_pickIcon(PickIconDlg), m_picturesReadable(FALSE) {
    m_iconPath[0] = m_hotIconPath[0] = m_downIconPath[0] = L'\0';
}

void COptionsItemPage::Attach(HINSTANCE instance, HICON defaultIcon, BOOL picturesReadable) {
    HWND dialog = m_host.Dialog();
    m_hDefaultIcon = defaultIcon;
    m_picturesReadable = picturesReadable;
    if (picturesReadable) {
        for (int type = 0; type < 4; ++type)
            m_shortcutPreviews[type].Load(instance, kShortcutPreviewResources[type]);
    }
    m_mergedFolders.Attach(GetDlgItem(dialog, IDC_MERGED_LIST), m_host.Language(), defaultIcon);
    m_hotKey.Attach(GetDlgItem(dialog, IDC_HOT_KEY));
    FillViewTypeList();
    FillSpecialFolderList();
    UINT monitors = static_cast<UINT>(EnumerateMonitors().size());
    for (UINT i = 1; i <= monitors; ++i) {
        WCHAR number[16];
        swprintf(number, ARRAYSIZE(number), L"%u", i);
        SendDlgItemMessageW(dialog, IDC_HOT_CORNER_MONITOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    }
}

void COptionsItemPage::Detach() {
    m_pItem = nullptr;
    m_mergedFolders.Detach();
    SetStaticBitmap(GetDlgItem(m_host.Dialog(), IDC_SHORTCUT_TYPE_PREVIEW), m_shownShortcutPreview, nullptr);
    for (CGdiPlusBitmapResource& preview : m_shortcutPreviews)
        preview.Empty();
}

BOOL COptionsItemPage::OnCommand(UINT command, UINT notification) {
    if (notification == CBN_SELCHANGE && command == IDC_VIEW_TYPE) {
        ApplySaveIconsPositionsRule(GetShortcutTypeFromControls());
        return TRUE;
    }
    if (notification != BN_CLICKED)
        return FALSE;
    switch (command) {
        case IDC_PATH_BROWSE:
            BrowseLocalFolder();
            return TRUE;
        case IDC_ASSOCIATED_ICON_BROWSE:
            PickAssociatedIcon();
            return TRUE;
        case IDC_HOT_ICON_BROWSE:
            PickStateIcon(IDC_HOT_ICON);
            return TRUE;
        case IDC_DOWN_ICON_BROWSE:
            PickStateIcon(IDC_DOWN_ICON);
            return TRUE;
        case IDC_TYPE_DESKTOP:
        case IDC_TYPE_BROWSER:
        case IDC_TYPE_MENU:
        case IDC_TYPE_MULTIPLE_FOLDERS_MENU:
            OnShortcutTypeClicked();
            return TRUE;
        case IDC_MERGED_ADD:
            AddMergedFolder();
            return TRUE;
        case IDC_MERGED_REMOVE:
            m_mergedFolders.RemoveSelected();
            return TRUE;
        case IDC_MERGED_MOVE_UP:
        case IDC_MERGED_MOVE_DOWN:
            m_mergedFolders.MoveSelected(command == IDC_MERGED_MOVE_UP, m_host.Language());
            return TRUE;
        case IDC_HIDE_TOOLBAR:
            EnableWindow(GetDlgItem(m_host.Dialog(), IDC_HIDE_TOOLBAR_FOR_HOME),
                         IsDlgButtonChecked(m_host.Dialog(), IDC_HIDE_TOOLBAR) != BST_CHECKED);
            return TRUE;
        case IDC_MERGE_MENUS:
        case IDC_MERGE_TO_FOLDER:
            ApplyMergeRules();
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL COptionsItemPage::TakeHotKey(HWND focus, UINT virtualKey) {
    if (!focus || focus != m_hotKey.Window())
        return FALSE;
    m_hotKey.TakeKey(virtualKey);
    return TRUE;
}

void COptionsItemPage::FillViewTypeList() {
    const ViewTypeEntry* entries = ViewTypeEntries();
    m_viewTypeCount = IsBeforeWindows7() ? ARRAYSIZE(kViewTypesBefore7) : ARRAYSIZE(kViewTypes7);
    for (UINT i = 0; i < m_viewTypeCount; ++i)
        m_viewTypes[i] = entries[i].viewMode;
}

void COptionsItemPage::ApplyLanguage(const CLanguage& language) {
    std::vector<LPCWSTR> viewTypes;
    const ViewTypeEntry* entries = ViewTypeEntries();
    for (UINT i = 0; i < m_viewTypeCount; ++i)
        viewTypes.push_back(entries[i].text(language));
    RefillComboBox(GetDlgItem(m_host.Dialog(), IDC_VIEW_TYPE), viewTypes);
    m_mergedFolders.SetColumnTitles(language);
}

BOOL COptionsItemPage::KeepsUnofferedSpecialFolder() const {
    HWND dialog = m_host.Dialog();
    return IsDlgButtonChecked(dialog, IDC_TYPE_DESKTOP) != BST_CHECKED &&
           IsDlgButtonChecked(dialog, IDC_SYSTEM_SPECIAL_PATH) == BST_CHECKED &&
           SendDlgItemMessageW(dialog, IDC_SPECIAL_FOLDER_LIST, CB_GETCURSEL, 0, 0) == CB_ERR &&
           _wcsnicmp(m_pItem->Path, kSpecialPathPrefix, 8) == 0;
}

int COptionsItemPage::GetShortcutTypeFromControls() const {
    for (int type = 0; type < 4; ++type) {
        if (IsDlgButtonChecked(m_host.Dialog(), kShortcutTypeRadios[type]) == BST_CHECKED)
            return type;
    }
    return FolderPresentationDesktop;
}

void COptionsItemPage::LayOut() {
    LayoutForShortcutType(GetShortcutTypeFromControls());
}

void COptionsItemPage::LayoutForShortcutType(int type) {
    HWND dialog = m_host.Dialog();
    ApplyToControlGroup(dialog, IDC_PATH_GROUP, ShowControlAction,
                        type == FolderPresentationDesktop ? SW_HIDE : SW_SHOW);
    ApplySaveIconsPositionsRule(type);
    RECT icon = GetControlRect(dialog, IDC_ASSOCIATED_ICON_GROUP);
    RECT bar = GetControlRect(dialog, IDC_LAUNCH_BAR_SPECIFIC_GROUP);
    RECT path = GetControlRect(dialog, IDC_PATH_GROUP);
    BOOL multiple = type == FolderPresentationMultipleFoldersMenu;
    for (int group : {IDC_MULTIPLE_FOLDERS_GROUP, IDC_MERGE_TO_FOLDER})
        ApplyToControlGroup(dialog, group, ShowControlAction, multiple ? SW_SHOW : SW_HIDE);
    if (!multiple) {
        RECT typeGroup = GetControlRect(dialog, IDC_SHORTCUT_TYPE_GROUP);
        MoveControlGroup(dialog, IDC_PATH_GROUP, {path.left, typeGroup.bottom});
        RECT movedPath = GetControlRect(dialog, IDC_PATH_GROUP);
        MoveControlGroup(dialog, IDC_ASSOCIATED_ICON_GROUP, {icon.left, movedPath.bottom});
        MoveControlGroup(dialog, IDC_LAUNCH_BAR_SPECIFIC_GROUP, {bar.left, movedPath.bottom});
    } else {
        RECT nameBox = GetControlRect(dialog, IDC_NAME_GROUP);
        MoveControlGroup(dialog, IDC_ASSOCIATED_ICON_GROUP, {icon.left, nameBox.bottom});
        MoveControlGroup(dialog, IDC_LAUNCH_BAR_SPECIFIC_GROUP, {bar.left, nameBox.bottom});
        RECT movedIcon = GetControlRect(dialog, IDC_ASSOCIATED_ICON_GROUP);
        MoveControlGroup(dialog, IDC_PATH_GROUP, {path.left, movedIcon.bottom});
    }
    // The tab order follows the new reading order; groups move whole, so they stay contiguous.
    HWND last = LastOfGroup(dialog, IDC_SHORTCUT_TYPE_GROUP);
    static const int kMultipleFoldersOrder[] = {IDC_MULTIPLE_FOLDERS_GROUP, IDC_ASSOCIATED_ICON_GROUP,
                                                IDC_LAUNCH_BAR_SPECIFIC_GROUP, IDC_PATH_GROUP, IDC_MERGE_TO_FOLDER};
    static const int kSingleFolderOrder[] = {IDC_PATH_GROUP, IDC_ASSOCIATED_ICON_GROUP, IDC_LAUNCH_BAR_SPECIFIC_GROUP,
                                             IDC_MULTIPLE_FOLDERS_GROUP, IDC_MERGE_TO_FOLDER};
    const int* order = multiple ? kMultipleFoldersOrder : kSingleFolderOrder;
    for (size_t i = 0; i < ARRAYSIZE(kSingleFolderOrder); ++i)
        last = PlaceGroupAfter(dialog, order[i], last);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void COptionsItemPage::ApplySaveIconsPositionsRule(int type) {
    // Icon positions exist only in the icon-like views of a browser window.
    HWND dialog = m_host.Dialog();
    LRESULT selection = SendDlgItemMessageW(dialog, IDC_VIEW_TYPE, CB_GETCURSEL, 0, 0);
    UINT mode = selection >= 0 && static_cast<UINT>(selection) < m_viewTypeCount ? m_viewTypes[selection] : 0;
    BOOL enabled = type == FolderPresentationBrowser && mode != 3 && mode != 4 && mode != 10;
    EnableWindow(GetDlgItem(dialog, IDC_SAVE_ICONS_POSITIONS), enabled);
}

void COptionsItemPage::ApplyShortcutTypeRules(int type) {
    HWND dialog = m_host.Dialog();
    BOOL window = IsWindowPresentation(type);
    for (int control : kWindowOptionControls)
        EnableWindow(GetDlgItem(dialog, control), window);
    ApplyToControlGroup(dialog, IDC_CUSTOMIZATION_GROUP, EnableControlAction, window);
    for (int control : kMenuOptionControls)
        EnableWindow(GetDlgItem(dialog, control), !window);
    ApplySaveIconsPositionsRule(type);
}

void COptionsItemPage::ApplyMergeRules() {
    HWND dialog = m_host.Dialog();
    BOOL mergeAll = IsDlgButtonChecked(dialog, IDC_MERGE_MENUS) == BST_CHECKED;
    EnableWindow(GetDlgItem(dialog, IDC_MERGE_TO_FOLDER), !mergeAll);
    EnableWindow(GetDlgItem(dialog, IDC_MERGED_NAME),
                 !mergeAll && IsDlgButtonChecked(dialog, IDC_MERGE_TO_FOLDER) == BST_CHECKED);
}

void COptionsItemPage::ShowShortcutPreview(int type) {
    if (!m_picturesReadable || type < 0 || type > 3)
        return;
    HWND preview = GetDlgItem(m_host.Dialog(), IDC_SHORTCUT_TYPE_PREVIEW);
    SetStaticBitmap(preview, m_shownShortcutPreview, m_shortcutPreviews[type].MakeHBitmap());
}

BOOL COptionsItemPage::IsShown() const {
    // The dialog shows the type group exactly while an item's node, not one of its sub-pages, is
    // selected in the tree.
    return (GetWindowLongPtrW(GetDlgItem(m_host.Dialog(), IDC_SHORTCUT_TYPE_GROUP), GWL_STYLE) & WS_VISIBLE) != 0;
}

void COptionsItemPage::OnShortcutTypeClicked() {
    int type = GetShortcutTypeFromControls();
    ShowShortcutPreview(type);
    ApplyShortcutTypeRules(type);
    if (IsShown())
        LayoutForShortcutType(type);
}

void COptionsItemPage::SetPathControls(LPCWSTR path) {
    HWND dialog = m_host.Dialog();
    int csidl = 0;
    if (_wcsnicmp(path, kSpecialPathPrefix, 8) != 0) {
        CheckDlgButton(dialog, IDC_LOCAL_PATH, BST_CHECKED);
        CheckDlgButton(dialog, IDC_SYSTEM_SPECIAL_PATH, BST_UNCHECKED);
        SetDlgItemTextW(dialog, IDC_PATH_EDIT, path);
        return;
    }
    CheckDlgButton(dialog, IDC_SYSTEM_SPECIAL_PATH, BST_CHECKED);
    CheckDlgButton(dialog, IDC_LOCAL_PATH, BST_UNCHECKED);
    SetDlgItemTextW(dialog, IDC_PATH_EDIT, L"");
    HWND list = GetDlgItem(dialog, IDC_SPECIAL_FOLDER_LIST);
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

void COptionsItemPage::GetPathFromControls(LPWSTR path) const {
    HWND dialog = m_host.Dialog();
    if (IsDlgButtonChecked(dialog, IDC_TYPE_DESKTOP) == BST_CHECKED) {
        CopyTruncated(path, MAX_PATH, FormatSpecialPath(0).c_str());
        return;
    }
    if (IsDlgButtonChecked(dialog, IDC_SYSTEM_SPECIAL_PATH) == BST_CHECKED) {
        HWND list = GetDlgItem(dialog, IDC_SPECIAL_FOLDER_LIST);
        COMBOBOXEXITEMW entry = {};
        entry.mask = CBEIF_LPARAM;
        entry.iItem = SendMessageW(list, CB_GETCURSEL, 0, 0);
        int csidl = kDocumentsFolder;
        if (entry.iItem >= 0 && SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry)))
            csidl = static_cast<int>(entry.lParam);
        CopyTruncated(path, MAX_PATH, FormatSpecialPath(csidl).c_str());
        return;
    }
    GetDlgItemTextW(dialog, IDC_PATH_EDIT, path, MAX_PATH);
}

void COptionsItemPage::FillSpecialFolderList() {
    HWND list = GetDlgItem(m_host.Dialog(), IDC_SPECIAL_FOLDER_LIST);
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

void COptionsItemPage::Load(CGenericPathwrenObject* item) {
    HWND dialog = m_host.Dialog();
    const CLanguage& language = m_host.Language();
    m_pItem = item;
    int type = item->FolderPresentationType;
    for (int i = 0; i < 4; ++i)
        CheckDlgButton(dialog, kShortcutTypeRadios[i], i == type ? BST_CHECKED : BST_UNCHECKED);
    m_mergedFolders.Load(
        type == FolderPresentationMultipleFoldersMenu ? *item->MergedFolders : std::vector<MergedFolder>(), language);
    if (type == FolderPresentationMultipleFoldersMenu) {
        if (!item->DisplayName[0])
            CopyTruncated(item->DisplayName, ARRAYSIZE(item->DisplayName), language.MultipleFoldersMenu);
        SetDlgItemTextW(dialog, IDC_DISPLAY_NAME, item->DisplayName);
        CheckDlgButton(dialog, IDC_SYSTEM_SPECIAL_PATH, BST_CHECKED);
        CheckDlgButton(dialog, IDC_LOCAL_PATH, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_MERGE_TO_FOLDER, BST_UNCHECKED);
        SetDlgItemTextW(dialog, IDC_PATH_EDIT, L"");
    } else {
        if (type == FolderPresentationDesktop)
            CopyTruncated(item->DisplayName, ARRAYSIZE(item->DisplayName), language.Desktop);
        SetDlgItemTextW(dialog, IDC_DISPLAY_NAME, item->DisplayName);
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
        CheckDlgButton(dialog, check.control, item->*check.field ? BST_CHECKED : BST_UNCHECKED);
    for (const ItemList& list : kItemLists)
        SendDlgItemMessageW(dialog, list.control, CB_SETCURSEL, static_cast<WPARAM>(item->*list.field), 0);
    UINT viewEntry = 0;
    for (UINT i = m_viewTypeCount; i-- > 0;) {
        if (m_viewTypes[i] == static_cast<UINT>(item->FolderViewMode))
            viewEntry = i;
    }
    SendDlgItemMessageW(dialog, IDC_VIEW_TYPE, CB_SETCURSEL, viewEntry, 0);
    for (const ItemNumber& number : kItemNumbers)
        SetDlgItemInt(dialog, number.control, static_cast<UINT>(item->*number.field), FALSE);
    for (const ItemText& text : kItemTexts)
        SetDlgItemTextW(dialog, text.control, text.field(*item));

    m_hotKey.Show(item->HotKeyModifier, item->HotKeyVirtualKey);

    for (const ItemColor& color : kItemColors)
        m_colors.Show(color.button, item->*color.field);
    if (item->BackgroundType >= 0 && item->BackgroundType < 4) {
        for (int i = 0; i < 4; ++i)
            CheckDlgButton(dialog, kBackgroundRadios[i], i == item->BackgroundType ? BST_CHECKED : BST_UNCHECKED);
    }
    ShowShortcutPreview(type);
    ApplyShortcutTypeRules(type);
    ApplyMergeRules();
    if (IsShown())
        LayoutForShortcutType(type);
    HWND hideForHome = GetDlgItem(dialog, IDC_HIDE_TOOLBAR_FOR_HOME);
    if (IsWindowEnabled(hideForHome))
        EnableWindow(hideForHome, !item->HideToolBar);
}

void COptionsItemPage::Save() {
    if (!m_pItem)
        return;
    HWND dialog = m_host.Dialog();
    CGenericPathwrenObject* item = m_pItem;
    int type = GetShortcutTypeFromControls();
    item->FolderPresentationType = type;
    item->MergedFolders->clear();
    if (type == FolderPresentationMultipleFoldersMenu) {
        *item->MergedFolders = m_mergedFolders.Folders();
        GetDlgItemTextW(dialog, IDC_DISPLAY_NAME, item->DisplayName, ARRAYSIZE(item->DisplayName));
        if (!item->DisplayName[0])
            CopyTruncated(item->DisplayName, ARRAYSIZE(item->DisplayName), m_host.Language().MultipleFoldersMenu);
    } else if (!KeepsUnofferedSpecialFolder()) {
        GetPathFromControls(item->Path);
    }
    CopyTruncated(item->AssociatedIconPath, m_iconPath);
    item->AssociatedIconIndex = m_iconIndex;
    CopyTruncated(item->AssociatedHotIconPath, m_hotIconPath);
    item->AssociatedHotIconIndex = m_hotIconIndex;
    CopyTruncated(item->AssociatedDownIconPath, m_downIconPath);
    item->AssociatedDownIconIndex = m_downIconIndex;

    for (const ItemCheck& check : kItemChecks)
        item->*check.field = IsDlgButtonChecked(dialog, check.control) == BST_CHECKED;
    if (item->StartMaximized)
        item->IsMaximized = TRUE;
    for (const ItemList& list : kItemLists) {
        LRESULT selection = SendDlgItemMessageW(dialog, list.control, CB_GETCURSEL, 0, 0);
        // Without a selection (a monitor unplugged since, say) the stored value stays.
        if (selection != CB_ERR)
            item->*list.field = static_cast<INT>(selection);
        else if (list.zeroWithoutSelection)
            item->*list.field = 0;
    }
    LRESULT view = SendDlgItemMessageW(dialog, IDC_VIEW_TYPE, CB_GETCURSEL, 0, 0);
    item->FolderViewMode =
        view >= 0 && static_cast<UINT>(view) < m_viewTypeCount ? static_cast<INT>(m_viewTypes[view]) : 0;
    for (const ItemNumber& number : kItemNumbers) {
        UINT value = 0;
        if (ReadNumberInRange(dialog, number.control, number.minimum, number.maximum, &value))
            item->*number.field = static_cast<INT>(value);
    }
    for (const ItemText& text : kItemTexts)
        GetDlgItemTextW(dialog, text.control, text.field(*item), text.size);
    for (const ItemColor& color : kItemColors)
        item->*color.field = m_colors.Get(color.button);
    for (int i = 0; i < 4; ++i) {
        if (IsDlgButtonChecked(dialog, kBackgroundRadios[i]) == BST_CHECKED) {
            item->BackgroundType = i;
            break;
        }
    }
    item->HotKeyModifier = m_hotKey.Modifiers();
    item->HotKeyVirtualKey = m_hotKey.VirtualKey();
}

void COptionsItemPage::AddMergedFolder() {
    HWND dialog = m_host.Dialog();
    MergedFolder folder = {};
    folder.MergedMenu = IsDlgButtonChecked(dialog, IDC_MERGE_TO_FOLDER) == BST_CHECKED;
    if (folder.MergedMenu) {
        GetDlgItemTextW(dialog, IDC_MERGED_NAME, folder.MergedMenuName, ARRAYSIZE(folder.MergedMenuName));
        if (!folder.MergedMenuName[0]) {
            m_host.ShowError(m_host.Language().EmptyMergedFolderName);
            return;
        }
    }
    GetPathFromControls(folder.Directory);
    m_mergedFolders.Add(folder, m_host.Language());
}

void COptionsItemPage::BrowseLocalFolder() {
    HWND dialog = m_host.Dialog();
    WCHAR start[MAX_PATH];
    GetDlgItemTextW(dialog, IDC_PATH_EDIT, start, MAX_PATH);
    BrowseFolderState state = {};
    if (BrowseForFolder(&state, dialog, start))
        SetDlgItemTextW(dialog, IDC_PATH_EDIT, state.chosenPath);
}
