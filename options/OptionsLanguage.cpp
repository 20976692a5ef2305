#include "options/OptionsUI.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "options/OptionsControls.h"
#include "res/resource.h"
#include "skin/Toolbar.h"

#include <cwctype>
#include <initializer_list>
#include <memory>
#include <string>

namespace {

typedef LPCWSTR (*LanguageText)(const CLanguage& language);
#define LANGUAGE_TEXT(key) [](const CLanguage& language) -> LPCWSTR { return language.key; }

struct ControlText {
    int control;
    LanguageText text;
};

const ControlText kControlTexts[] = {
    {IDOK, LANGUAGE_TEXT(Ok)},
    {IDCANCEL, LANGUAGE_TEXT(Cancel)},
    {IDC_SHORTCUT_TYPE_GROUP, LANGUAGE_TEXT(ShortcutType)},
    {IDC_TYPE_DESKTOP, LANGUAGE_TEXT(Desktop)},
    {IDC_TYPE_BROWSER, LANGUAGE_TEXT(Browser)},
    {IDC_TYPE_MENU, LANGUAGE_TEXT(Menu)},
    {IDC_TYPE_MULTIPLE_FOLDERS_MENU, LANGUAGE_TEXT(MultipleFoldersMenu)},
    {IDC_CREATE_TASKBAR_SHORTCUT, LANGUAGE_TEXT(CreateTaskbarShortcut)},
    {IDC_ADD_TO_START_MENU, LANGUAGE_TEXT(AddToStartMenu)},
    {IDC_MULTIPLE_FOLDERS_GROUP, LANGUAGE_TEXT(MultipleFoldersMenu)},
    {IDC_NAME_GROUP, LANGUAGE_TEXT(Name)},
    {IDC_ASSOCIATED_ICON_GROUP, LANGUAGE_TEXT(AssociatedIcon)},
    {IDC_LAUNCH_BAR_SPECIFIC_GROUP, LANGUAGE_TEXT(LaunchBarSpecific)},
    {IDC_HOT_ICON_LABEL, LANGUAGE_TEXT(OverIcon)},
    {IDC_DOWN_ICON_LABEL, LANGUAGE_TEXT(PressedIcon)},
    {IDC_ICON_POSITION_LABEL, LANGUAGE_TEXT(Position)},
    {IDC_SPACE_BEFORE_ICON_LABEL, LANGUAGE_TEXT(SpaceBeforeIcon)},
    {IDC_PATH_GROUP, LANGUAGE_TEXT(Path)},
    {IDC_SYSTEM_SPECIAL_PATH, LANGUAGE_TEXT(SystemSpecialPath)},
    {IDC_LOCAL_PATH, LANGUAGE_TEXT(LocalOrRelativePath)},
    {IDC_MERGE_TO_FOLDER, LANGUAGE_TEXT(MergeToSpecificFolder)},
    {IDC_MERGED_ADD, LANGUAGE_TEXT(Add)},
    {IDC_MERGED_MOVE_UP, LANGUAGE_TEXT(MoveUp)},
    {IDC_MERGED_MOVE_DOWN, LANGUAGE_TEXT(MoveDown)},
    {IDC_MERGED_REMOVE, LANGUAGE_TEXT(Remove)},
    {IDC_MERGE_MENUS, LANGUAGE_TEXT(MergeMenus)},
    {IDC_CUSTOMIZATION_GROUP, LANGUAGE_TEXT(Customization)},
    {IDC_TEXT_COLOR_CHECK, LANGUAGE_TEXT(TextColor)},
    {IDC_BACKGROUND_COLOR_CHECK, LANGUAGE_TEXT(BackgroundColor)},
    {IDC_BACKGROUND_GROUP, LANGUAGE_TEXT(Background)},
    {IDC_BACKGROUND_NONE_RADIO, LANGUAGE_TEXT(None)},
    {IDC_BACKGROUND_COLOR_RADIO, LANGUAGE_TEXT(Color)},
    {IDC_BACKGROUND_GRADIENT_RADIO, LANGUAGE_TEXT(Gradiant)},
    {IDC_GRADIENT_COLOR1_LABEL, LANGUAGE_TEXT(Color1)},
    {IDC_GRADIENT_COLOR2_LABEL, LANGUAGE_TEXT(Color2)},
    {IDC_GRADIENT_TYPE_LABEL, LANGUAGE_TEXT(Type)},
    {IDC_BACKGROUND_PICTURE_RADIO, LANGUAGE_TEXT(Picture)},
    {IDC_PICTURE_POSITION_LABEL, LANGUAGE_TEXT(Position)},
    {IDC_PICTURE_PATH_LABEL, LANGUAGE_TEXT(Path)},
    {IDC_FILE_FILTERS_GROUP, LANGUAGE_TEXT(FileFilters)},
    {IDC_INCLUSION_FILTERS_LABEL, LANGUAGE_TEXT(InclusionFilters)},
    {IDC_EXCLUSION_FILTERS_LABEL, LANGUAGE_TEXT(ExclusionFilters)},
    {IDC_BROWSING_OPTIONS_GROUP, LANGUAGE_TEXT(BrowsingOptions)},
    {IDC_INCLUDE_SUBFOLDERS, LANGUAGE_TEXT(IncludeSubfolders)},
    {IDC_ALLOW_SUBFOLDERS_NAVIGATION, LANGUAGE_TEXT(AllowSubfoldersNavigation)},
    {IDC_ALLOW_LINKS_NAVIGATION, LANGUAGE_TEXT(AllowSubfoldersLinksNavigation)},
    {IDC_HIDE_FILES_EXTENSIONS, LANGUAGE_TEXT(HideFilesExtensions)},
    {IDC_HIDE_SHORTCUTS_OVERLAY, LANGUAGE_TEXT(HideShortcutsOverlay)},
    {IDC_FOLDERS_POSITION_LABEL, LANGUAGE_TEXT(FoldersPositionInPopupMenu)},
    {IDC_REMEMBER_LAST_POSITION, LANGUAGE_TEXT(RememberLastPosition)},
    {IDC_SINGLE_CLICK_SELECTION, LANGUAGE_TEXT(SingleClickSelection)},
    {IDC_AUTO_HIDE_ON_EXECUTION, LANGUAGE_TEXT(AutoHideOnExecution)},
    {IDC_VIEW_TYPE_LABEL, LANGUAGE_TEXT(ViewType)},
    {IDC_Z_ORDER_LABEL, LANGUAGE_TEXT(ZOrder)},
    {IDC_HIDE_TOOLBAR, LANGUAGE_TEXT(HideToolBar)},
    {IDC_HIDE_TOOLBAR_FOR_HOME, LANGUAGE_TEXT(HideToolBarForHomeFolder)},
    {IDC_SAVE_ICONS_POSITIONS, LANGUAGE_TEXT(SaveIconsPositionsForHomeFolder)},
    {IDC_SHOW_AT_STARTUP, LANGUAGE_TEXT(ShowAtStartup)},
    {IDC_START_MAXIMIZED, LANGUAGE_TEXT(StartMaximized)},
    {IDC_HOT_KEY_LABEL, LANGUAGE_TEXT(ShowHideHotKey)},
    {IDC_ENABLE_HOT_CORNER, LANGUAGE_TEXT(EnableHotCorner)},
    {IDC_HOT_CORNER_GROUP, LANGUAGE_TEXT(HotCorner)},
    {IDC_HOT_CORNER_MONITOR_LABEL, LANGUAGE_TEXT(Monitor)},
    {IDC_HOT_CORNER_POSITION_LABEL, LANGUAGE_TEXT(Position)},
    {IDC_HOT_CORNER_WIDTH_LABEL, LANGUAGE_TEXT(Width)},
    {IDC_HOT_CORNER_HEIGHT_LABEL, LANGUAGE_TEXT(Height)},
    {IDC_APPLICATION_GROUP, LANGUAGE_TEXT(ApplicationOptions)},
    {IDC_CONFIGURATION_TYPE_LABEL, LANGUAGE_TEXT(ConfigurationType)},
    {IDC_SINGLE_USER, LANGUAGE_TEXT(SingleUser)},
    {IDC_MULTIPLE_USERS, LANGUAGE_TEXT(MultipleUsers)},
    {IDC_RUN_AT_STARTUP, LANGUAGE_TEXT(LaunchAtWindowsStartup)},
    {IDC_LAUNCH_MODE_LABEL, LANGUAGE_TEXT(LaunchMode)},
    {IDC_LANGUAGE_LABEL, LANGUAGE_TEXT(Language)},
    {IDC_SKIN_LABEL, LANGUAGE_TEXT(Skin)},
    {IDC_THEME_LABEL, LANGUAGE_TEXT(Theme)},
    {IDC_LAUNCH_BAR_GROUP, LANGUAGE_TEXT(LaunchBar)},
    {IDC_BAR_MONITOR_LABEL, LANGUAGE_TEXT(Monitor)},
    {IDC_BAR_POSITION_LABEL, LANGUAGE_TEXT(Position)},
    {IDC_BAR_FULL_WIDTH, LANGUAGE_TEXT(UseFullWidthHeight)},
    {IDC_BAR_ICON_SIZE_LABEL, LANGUAGE_TEXT(IconsSize)},
    {IDC_BAR_BACKGROUND_GROUP, LANGUAGE_TEXT(Background)},
    {IDC_BAR_COLOR_RADIO, LANGUAGE_TEXT(Color)},
    {IDC_BAR_GRADIENT_RADIO, LANGUAGE_TEXT(Gradiant)},
    {IDC_BAR_COLOR1_LABEL, LANGUAGE_TEXT(Color1)},
    {IDC_BAR_COLOR2_LABEL, LANGUAGE_TEXT(Color2)},
    {IDC_BAR_GRADIENT_TYPE_LABEL, LANGUAGE_TEXT(Type)},
    {IDC_BAR_PICTURE_RADIO, LANGUAGE_TEXT(Picture)},
    {IDC_BAR_PICTURE_POSITION_LABEL, LANGUAGE_TEXT(Position)},
    {IDC_BAR_PICTURE_PATH_LABEL, LANGUAGE_TEXT(Path)},
    {IDC_BAR_USE_TRANSPARENT, LANGUAGE_TEXT(UseTransparentColor)},
    {IDC_BAR_OPACITY_LABEL, LANGUAGE_TEXT(Opacity)},
    {IDC_BAR_ACTIVE_AREA_LABEL, LANGUAGE_TEXT(ActiveAreaThickness)},
    {IDC_BAR_MIN_WIDTH_LABEL, LANGUAGE_TEXT(MinWidth)},
    {IDC_BAR_MIN_HEIGHT_LABEL, LANGUAGE_TEXT(MinHeight)},
    {IDC_BAR_MARGINS_GROUP, LANGUAGE_TEXT(Margins)},
    {IDC_BAR_MARGIN_LEFT_LABEL, LANGUAGE_TEXT(Left)},
    {IDC_BAR_MARGIN_RIGHT_LABEL, LANGUAGE_TEXT(Right)},
    {IDC_BAR_MARGIN_TOP_LABEL, LANGUAGE_TEXT(Top)},
    {IDC_BAR_MARGIN_BOTTOM_LABEL, LANGUAGE_TEXT(Bottom)},
};

struct ListTexts {
    std::initializer_list<int> controls;
    std::initializer_list<LanguageText> entries;
};

const ListTexts kListTexts[] = {
    {{IDC_LAUNCH_MODE}, {LANGUAGE_TEXT(NotifyIcon), LANGUAGE_TEXT(LaunchBar)}},
    // In the order of the Theme values.
    {{IDC_THEME}, {LANGUAGE_TEXT(System), LANGUAGE_TEXT(Light), LANGUAGE_TEXT(Dark)}},
    {{IDC_Z_ORDER}, {LANGUAGE_TEXT(Normal), LANGUAGE_TEXT(TopMost), LANGUAGE_TEXT(ZBottom)}},
    {{IDC_FOLDERS_POSITION}, {LANGUAGE_TEXT(Top), LANGUAGE_TEXT(Bottom), LANGUAGE_TEXT(MixedWithFiles)}},
    {{IDC_GRADIENT_TYPE, IDC_BAR_GRADIENT_TYPE},
     {LANGUAGE_TEXT(Horizontal), LANGUAGE_TEXT(Vertical), LANGUAGE_TEXT(Diagonal), LANGUAGE_TEXT(BackwardDiagonal)}},
    {{IDC_PICTURE_POSITION, IDC_BAR_PICTURE_POSITION},
     {LANGUAGE_TEXT(Stretched), LANGUAGE_TEXT(Centered), LANGUAGE_TEXT(UpLeft), LANGUAGE_TEXT(UpCenter),
      LANGUAGE_TEXT(UpRight), LANGUAGE_TEXT(Left), LANGUAGE_TEXT(Right), LANGUAGE_TEXT(BottomLeft),
      LANGUAGE_TEXT(BottomCenter), LANGUAGE_TEXT(BottomRight)}},
    {{IDC_BAR_POSITION},
     {LANGUAGE_TEXT(UpLeft), LANGUAGE_TEXT(UpCenter), LANGUAGE_TEXT(UpRight), LANGUAGE_TEXT(Left), LANGUAGE_TEXT(Right),
      LANGUAGE_TEXT(BottomLeft), LANGUAGE_TEXT(BottomCenter), LANGUAGE_TEXT(BottomRight)}},
    {{IDC_HOT_CORNER_POSITION},
     {LANGUAGE_TEXT(UpLeft), LANGUAGE_TEXT(UpRight), LANGUAGE_TEXT(BottomLeft), LANGUAGE_TEXT(BottomRight)}},
    {{IDC_ICON_POSITION}, {LANGUAGE_TEXT(LeftOrTop), LANGUAGE_TEXT(CenterOrMiddle), LANGUAGE_TEXT(RightOrBottom)}},
};

// The pages whose controls share one set of mnemonic letters; the item page is several groups.
const std::initializer_list<int> kMnemonicPages[] = {{IDC_APPLICATION_GROUP},
                                                     {IDC_LAUNCH_BAR_GROUP},
                                                     {IDC_BROWSING_OPTIONS_GROUP},
                                                     {IDC_CUSTOMIZATION_GROUP},
                                                     {IDC_FILE_FILTERS_GROUP},
                                                     {IDC_SHORTCUT_TYPE_GROUP, IDC_MULTIPLE_FOLDERS_GROUP,
                                                      IDC_ASSOCIATED_ICON_GROUP, IDC_LAUNCH_BAR_SPECIFIC_GROUP,
                                                      IDC_PATH_GROUP, IDC_MERGE_TO_FOLDER}};

// Chinese, Japanese and Korean characters come through an input method, never straight from a key
// with Alt; everything before them (Latin, Greek, Cyrillic...) is on a keyboard.
bool TypedWithAlt(WCHAR character) {
    return character < 0x2E80 && iswalnum(character);
}

// The text with "&" doubled and a mnemonic before its first letter not yet used on the page. A text
// with no such letter that is written in an East Asian script gets one in brackets after it, as
// Windows' own dialogs in those languages do ("言語(&L)"), taken from the English text if it can.
std::wstring WithMnemonic(const std::wstring& text, LPCWSTR englishText, std::wstring& used) {
    std::wstring result;
    bool placed = false, eastAsian = false;
    for (WCHAR character : text) {
        if (character == L'&') {
            result += L"&&";
            continue;
        }
        WCHAR lower = static_cast<WCHAR>(towlower(character));
        eastAsian = eastAsian || character >= 0x2E80;
        if (!placed && TypedWithAlt(character) && used.find(lower) == std::wstring::npos) {
            result += L'&';
            used += lower;
            placed = true;
        }
        result += character;
    }
    if (placed || !eastAsian)
        return result;
    std::wstring candidates = std::wstring(englishText) + L"abcdefghijklmnopqrstuvwxyz";
    for (WCHAR character : candidates) {
        WCHAR lower = static_cast<WCHAR>(towlower(character));
        if (lower < 0x80 && iswalnum(lower) && used.find(lower) == std::wstring::npos) {
            used += lower;
            return result + L"(&" + static_cast<WCHAR>(towupper(lower)) + L")";
        }
    }
    return result;
}

// The control's built-in English text, for the letter of an East Asian text's mnemonic.
LPCWSTR EnglishText(const CLanguage& english, HWND control) {
    int identifier = GetDlgCtrlID(control);
    for (const ControlText& entry : kControlTexts)
        if (entry.control == identifier)
            return entry.text(english);
    return L"";
}

void SetMnemonic(HWND control, const CLanguage& english, std::wstring& used) {
    WCHAR text[512] = L"";
    GetWindowTextW(control, text, ARRAYSIZE(text));
    if (text[0])
        SetWindowTextW(control, WithMnemonic(text, EnglishText(english, control), used).c_str());
}

} // namespace

BOOL TakesMnemonic(HWND control) {
    WCHAR className[16] = L"";
    GetClassNameW(control, className, ARRAYSIZE(className));
    LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    if (_wcsicmp(className, L"Static") == 0)
        return (style & SS_TYPEMASK) == SS_LEFT;
    return _wcsicmp(className, L"Button") == 0 && (style & BS_TYPEMASK) != BS_OWNERDRAW;
}

void COptionsUI::ApplyMnemonics() {
    auto english = std::make_unique<CLanguage>(); // its constructor gives the built-in English texts
    std::wstring frameLetters;
    for (int button : {IDOK, IDCANCEL})
        SetMnemonic(GetDlgItem(m_hDialog, button), *english, frameLetters);
    for (const std::initializer_list<int>& page : kMnemonicPages) {
        std::wstring used = frameLetters;
        for (int group : page) {
            HWND last = LastOfGroup(m_hDialog, group);
            for (HWND control = GetDlgItem(m_hDialog, group); control; control = GetWindow(control, GW_HWNDNEXT)) {
                if (TakesMnemonic(control))
                    SetMnemonic(control, *english, used);
                if (control == last)
                    break;
            }
        }
    }
}

void COptionsUI::ApplyLanguageToDialog() {
    const CLanguage& language = *m_language;
    SetWindowTextW(m_hDialog, language.Options);
    for (const ControlText& entry : kControlTexts)
        SetDlgItemTextW(m_hDialog, entry.control, entry.text(language));
    ApplyMnemonics();
    for (const ListTexts& list : kListTexts) {
        std::vector<LPCWSTR> texts;
        for (LanguageText text : list.entries)
            texts.push_back(text(language));
        for (int control : list.controls)
            RefillComboBox(GetDlgItem(m_hDialog, control), texts);
    }
    m_applicationPage.ApplyLanguage(language);
    m_itemPage.ApplyLanguage(language);
    if (m_toolbar) {
        const struct {
            UINT command;
            LPCWSTR text;
        } buttons[] = {{IDC_ITEM_ADD, language.Add},
                       {IDC_ITEM_REMOVE, language.Remove},
                       {IDC_ITEM_MOVE_UP, language.MoveUp},
                       {IDC_ITEM_MOVE_DOWN, language.MoveDown}};
        for (const auto& button : buttons) {
            TBBUTTONINFOW info = {};
            info.cbSize = sizeof(info);
            info.dwMask = TBIF_TEXT;
            info.pszText = const_cast<LPWSTR>(button.text);
            SendMessageW(m_toolbar->GetHandle(), TB_SETBUTTONINFOW, button.command, reinterpret_cast<LPARAM>(&info));
            m_toolbar->SetButtonTooltip(button.command, button.text);
        }
        SendMessageW(m_toolbar->GetHandle(), TB_AUTOSIZE, 0, 0);
    }
    if (m_tree)
        RelabelTree();
}

void COptionsUI::RelabelTree() {
    const CLanguage& language = *m_language;
    HWND tree = m_tree->GetWindow();
    auto setLabel = [tree](HTREEITEM node, LPCWSTR text) {
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = node;
        item.pszText = const_cast<LPWSTR>(text);
        TreeView_SetItem(tree, &item);
    };
    setLabel(m_launchBarNode, language.LaunchBar);
    setLabel(m_optionsRoot, language.Options);
    setLabel(m_foldersRoot, language.Folders);
    for (HTREEITEM node = TreeView_GetChild(tree, m_foldersRoot); node; node = TreeView_GetNextSibling(tree, node)) {
        LPARAM page = 0;
        m_tree->GetItemParam(node, &page);
        // A node keeps its item's own name; only an unnamed Multiple Folders Menu takes the
        // language's name for its type.
        if (auto* item = reinterpret_cast<CGenericPathwrenObject*>(page))
            RefreshItemNode(item, node);
        for (HTREEITEM child = TreeView_GetChild(tree, node); child; child = TreeView_GetNextSibling(tree, child)) {
            LPARAM childPage = 0;
            m_tree->GetItemParam(child, &childPage);
            setLabel(child, childPage == PageFileFilters     ? language.FileFilters
                            : childPage == PageCustomization ? language.Customization
                                                             : language.BrowsingOptions);
        }
    }
}
