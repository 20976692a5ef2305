#include "options/OptionsUI.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "lib/Dpi.h"
#include "lib/MonitorRect.h"
#include "lib/RuntimeModule.h"
#include "lib/StringCopy.h"
#include "options/ItemShortcut.h"
#include "res/resource.h"
#include "skin/Toolbar.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

namespace {

const UINT kShortcutPreviewResources[4] = {IDJ_PREVIEW_BROWSER, IDJ_PREVIEW_DESKTOP, IDJ_PREVIEW_MENU,
                                           IDJ_PREVIEW_MULTIPLE_FOLDERS_MENU};

const int kMinimumTrackSize = 400; // at 96 dots per inch

void DropCallback(HWND windowUnderPoint, LPCWSTR path, UINT, LPVOID owner) {
    auto* options = static_cast<COptionsUI*>(owner);
    if (windowUnderPoint == GetDlgItem(options->Handle(), IDC_PATH_EDIT) ||
        windowUnderPoint == GetDlgItem(options->Handle(), IDC_PICTURE_PATH))
        SetWindowTextW(windowUnderPoint, path);
}

void DeleteItems(std::vector<CGenericPathwrenObject*>& items) {
    for (CGenericPathwrenObject* item : items)
        delete item;
    items.clear();
}

void RedrawDialog(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

} // namespace

COptionsUI::COptionsUI()
    : m_endCode(0), m_hInstance(nullptr), m_hMainWindow(nullptr), m_foldersRoot(nullptr), m_optionsRoot(nullptr),
      m_launchBarNode(nullptr), m_hDefaultItemIcon(nullptr), m_pOpenDialog(nullptr), m_pLanguage(nullptr),
      m_pOptions(nullptr), m_pageImages(), m_drop(), m_loading(FALSE), m_iconIndex(0), m_hotIconIndex(0),
      m_downIconIndex(0), m_pickIcon(PickIconDlg), m_hKeyboardHook(nullptr), m_viewTypes(), m_viewTypeCount(0),
      m_pCurrentItem(nullptr), m_currentNode(nullptr), m_dpi(USER_DEFAULT_SCREEN_DPI),
      m_templateDpi(USER_DEFAULT_SCREEN_DPI), m_templateFont() {
    m_iconPath[0] = m_hotIconPath[0] = m_downIconPath[0] = L'\0';
}

COptionsUI::~COptionsUI() {
    if (m_hKeyboardHook)
        UnhookWindowsHookEx(m_hKeyboardHook);
    delete m_pLanguage;
    delete m_pOptions;
    DeleteItems(m_folders);
}

COptionsUI* COptionsUI::FromWindow(HWND dialog) {
    return dynamic_cast<COptionsUI*>(CModalDialog::FromWindow(dialog));
}

EditedConfiguration::EditedConfiguration() = default;

EditedConfiguration::~EditedConfiguration() {
    DeleteItems(Folders);
}

UINT_PTR ShowOptionsDialog(const OptionsDialogSource& source, EditedConfiguration* edited, HWND* openDialog) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                                           ICC_USEREX_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    std::unique_ptr<COptionsUI> options(new COptionsUI());
    options->m_hInstance = source.Instance;
    options->m_hMainWindow = source.MainWindow;
    options->m_hDefaultItemIcon = source.DefaultIcon;
    options->m_pOpenDialog = openDialog;
    options->m_pOptions = new CApplicationOptions();
    CApplicationOptions::CopyApplicationOptions(*source.Options, *options->m_pOptions);
    options->m_pLanguage = source.Language ? new CLanguage(*source.Language) : new CLanguage();
    for (CGenericPathwrenObject* item : *source.Folders) {
        auto* copy = new CGenericPathwrenObject();
        CSingleFolderOptions::CopyFolderOptions(*item, *copy);
        options->m_folders.push_back(copy);
    }
    // The tray shows the most recently added icon first, so in Tray Icons mode the dialog lists
    // the items in reverse of the order they are created in.
    if (options->m_pOptions->LaunchMode != LaunchModeLaunchBar)
        std::reverse(options->m_folders.begin(), options->m_folders.end());

    INT_PTR result = options->Run(source.Instance, IDD_OPTIONS, nullptr);
    if (openDialog)
        *openDialog = nullptr;
    if (static_cast<UINT_PTR>(result) != OPTIONS_RESULT_OK)
        return static_cast<UINT_PTR>(result);
    edited->Options.reset(options->m_pOptions);
    options->m_pOptions = nullptr;
    edited->Language.reset(options->m_pLanguage);
    options->m_pLanguage = nullptr;
    DeleteItems(edited->Folders);
    edited->Folders = std::move(options->m_folders);
    options->m_folders.clear();
    if (edited->Options->LaunchMode != LaunchModeLaunchBar)
        std::reverse(edited->Folders.begin(), edited->Folders.end());
    return static_cast<UINT_PTR>(result);
}

BOOL COptionsUI::OnInitDialog() {
    if (m_pOpenDialog)
        *m_pOpenDialog = m_hDialog;
    InitOptionsDialog();
    auto* big = static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_OPTIONS), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    auto* small =
        static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_OPTIONS), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(m_hDialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(m_hDialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    CDialogColors::ApplyToWindow(m_hDialog);
    return FALSE; // the focus was placed by InitOptionsDialog
}

INT_PTR COptionsUI::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            RedrawDialog(m_hDialog);
            if (m_toolbar) {
                SendMessageW(m_toolbar->GetHandle(), TB_AUTOSIZE, 0, 0);
                InvalidateRect(m_toolbar->GetHandle(), nullptr, TRUE);
            }
            return TRUE;
        case WM_CLOSE:
            EndOptionsDialog(m_endCode);
            return TRUE;
        case WM_DRAWITEM:
            return m_colorButtons.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_NOTIFY: {
            LRESULT result = 0;
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            BOOL handled = (m_toolbar && m_toolbar->HandleNotify(header, &result)) ||
                           (m_tree && m_tree->OnNotify(lParam, &result)) ||
                           (m_mergedFolders.List() && m_mergedFolders.List()->OnNotify(lParam, &result));
            if (handled)
                SetWindowLongPtrW(m_hDialog, DWLP_MSGRESULT, result);
            return handled;
        }
        case WM_SIZING: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            LONG minimum = ScaleForDpi(kMinimumTrackSize, m_dpi);
            rect->right = std::max<LONG>(rect->right, rect->left + minimum);
            rect->bottom = std::max<LONG>(rect->bottom, rect->top + minimum);
            return TRUE;
        }
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return reinterpret_cast<INT_PTR>(m_colors.OnControlColor(message, reinterpret_cast<HDC>(wParam)));
        case WM_COLOR_SCHEME_CHANGED:
            CDialogColors::ApplyToWindow(m_hDialog);
            return TRUE;
        case WM_DROPFILES:
            HandleDropFiles(&m_drop, reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void COptionsUI::OnCommand(UINT command, UINT notification) {
    if (notification == CBN_SELCHANGE) {
        if (command == IDC_LANGUAGE)
            OnLanguageChanged();
        else if (command == IDC_SKIN)
            OnSkinChanged();
        else if (command == IDC_LAUNCH_MODE)
            OnLaunchModeChanged();
        else if (command == IDC_VIEW_TYPE)
            ApplySaveIconsPositionsRule(GetShortcutTypeFromControls());
        return;
    }
    if (notification != BN_CLICKED)
        return;
    switch (command) {
        case IDOK:
            if (m_pCurrentItem)
                SaveItemSettings(m_pCurrentItem);
            SaveApplicationSettings();
            if (CheckConfigurationWritable())
                EndOptionsDialog(OPTIONS_RESULT_OK);
            break;
        case IDCANCEL:
            EndOptionsDialog(OPTIONS_RESULT_CANCEL);
            break;
        case IDC_PATH_BROWSE:
            BrowseLocalFolder();
            break;
        case IDC_ASSOCIATED_ICON_BROWSE:
            PickAssociatedIcon();
            break;
        case IDC_CREATE_TASKBAR_SHORTCUT:
        case IDC_ADD_TO_START_MENU:
            if (m_pCurrentItem) {
                // The shortcut shows the page as it stands, not as it was loaded.
                SaveItemSettings(m_pCurrentItem);
                OfferItemShortcut(m_hDialog, *m_pCurrentItem,
                                  command == IDC_ADD_TO_START_MENU ? ItemShortcutPlace::StartMenu
                                                                   : ItemShortcutPlace::BesideFolders,
                                  m_pOptions->FoldersFile, *m_pLanguage);
            }
            break;
        case IDC_HOT_ICON_BROWSE:
            PickStateIcon(IDC_HOT_ICON);
            break;
        case IDC_DOWN_ICON_BROWSE:
            PickStateIcon(IDC_DOWN_ICON);
            break;
        case IDC_PICTURE_BROWSE:
            BrowsePicture(IDC_PICTURE_PATH);
            break;
        case IDC_BAR_PICTURE_BROWSE:
            BrowsePicture(IDC_BAR_PICTURE_PATH);
            break;
        case IDC_TYPE_DESKTOP:
        case IDC_TYPE_BROWSER:
        case IDC_TYPE_MENU:
        case IDC_TYPE_MULTIPLE_FOLDERS_MENU:
            OnShortcutTypeClicked();
            break;
        case IDC_MERGED_ADD:
            AddMergedFolder();
            break;
        case IDC_MERGED_REMOVE:
            m_mergedFolders.RemoveSelected();
            break;
        case IDC_MERGED_MOVE_UP:
            m_mergedFolders.MoveSelected(TRUE, *m_pLanguage);
            break;
        case IDC_MERGED_MOVE_DOWN:
            m_mergedFolders.MoveSelected(FALSE, *m_pLanguage);
            break;
        case IDC_ITEM_ADD:
            AddFolderItem();
            break;
        case IDC_ITEM_REMOVE:
            RemoveFolderItem();
            break;
        case IDC_ITEM_MOVE_UP:
            MoveFolderItem(TRUE);
            break;
        case IDC_ITEM_MOVE_DOWN:
            MoveFolderItem(FALSE);
            break;
        case IDC_HIDE_TOOLBAR:
            EnableWindow(GetDlgItem(m_hDialog, IDC_HIDE_TOOLBAR_FOR_HOME),
                         IsDlgButtonChecked(m_hDialog, IDC_HIDE_TOOLBAR) != BST_CHECKED);
            break;
        case IDC_MERGE_MENUS:
        case IDC_MERGE_TO_FOLDER:
            ApplyMergeRules();
            break;
        default:
            m_colorButtons.OnCommand(static_cast<int>(command));
            break;
    }
}

void COptionsUI::InitOptionsDialog() {
    // Windows 10 can rescale a per-monitor dialog by itself on a move to a monitor of another
    // scale; Wine and older Windows cannot. The dialog does it itself everywhere, so that one
    // way of scaling runs on every system.
    typedef BOOL(WINAPI * SetDialogBehaviorFunction)(HWND, int, int);
    static const CRuntimeModule user32(L"user32.dll");
    static const auto setDialogBehavior = user32.Procedure<SetDialogBehaviorFunction>("SetDialogDpiChangeBehavior");
    const int disableAll = 1;
    if (setDialogBehavior)
        setDialogBehavior(m_hDialog, disableAll, disableAll);
    m_dpi = m_templateDpi = GetWindowDpi(m_hDialog);
    auto* templateFont = reinterpret_cast<HFONT>(SendMessageW(m_hDialog, WM_GETFONT, 0, 0));
    GetObjectW(templateFont, sizeof(m_templateFont), &m_templateFont);
    m_drop = {m_hDialog, DropCallback, this};
    DragAcceptFiles(m_hDialog, TRUE);
    SHAutoComplete(GetDlgItem(m_hDialog, IDC_PATH_EDIT), 0x0F);
    SHAutoComplete(GetDlgItem(m_hDialog, IDC_PICTURE_PATH), 0x0F);
    SendDlgItemMessageW(m_hDialog, IDC_BAR_OPACITY, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    FillViewTypeList();
    ApplyLanguageToDialog();

    // The template lays the pages side by side; the dialog shows the tree and one page.
    RECT typeGroup = GetControlRect(IDC_SHORTCUT_TYPE_GROUP);
    RECT tree = GetControlRect(IDC_OPTIONS_TREE);
    RECT frame = {0, 0, typeGroup.right + 5, tree.bottom + 5};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_hDialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_hDialog, GWL_EXSTYLE)));
    RECT workArea = GetMonitorWorkAreas()[0];
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    SetWindowPos(m_hDialog, nullptr, workArea.left + (workArea.right - workArea.left - width) / 2,
                 workArea.top + (workArea.bottom - workArea.top - height) / 2, width, height, SWP_NOZORDER);
    ShowPage(IDC_APPLICATION_GROUP);
    // Read again: the move may have changed the DPI and rescaled every control.
    RECT pageGroup = GetControlRect(IDC_SHORTCUT_TYPE_GROUP);
    POINT pageOrigin = {pageGroup.left, pageGroup.top};
    for (int group : {IDC_APPLICATION_GROUP, IDC_FILE_FILTERS_GROUP, IDC_CUSTOMIZATION_GROUP,
                      IDC_BROWSING_OPTIONS_GROUP, IDC_LAUNCH_BAR_GROUP})
        MoveControlGroup(group, pageOrigin);

    m_gdiplus.reset(new CGdiplusSession());
    if (m_gdiplus->Started()) {
        for (int type = 0; type < 4; ++type)
            m_shortcutPreviews[type].Load(m_hInstance, kShortcutPreviewResources[type]);
    }

    m_toolbar.reset(new CToolbar(m_hInstance, m_hDialog));
    const struct {
        UINT command;
        LPCWSTR text;
        UINT icon;
    } buttons[] = {{IDC_ITEM_ADD, m_pLanguage->Add, IDI_OPTIONS_ADD},
                   {IDC_ITEM_REMOVE, m_pLanguage->Remove, IDI_OPTIONS_REMOVE},
                   {IDC_ITEM_MOVE_UP, m_pLanguage->MoveUp, IDI_OPTIONS_MOVE_UP},
                   {IDC_ITEM_MOVE_DOWN, m_pLanguage->MoveDown, IDI_OPTIONS_MOVE_DOWN}};
    for (const auto& button : buttons)
        m_toolbar->AddButton(button.command, button.text, button.icon, button.icon, button.icon, button.text);

    // Tab runs tree, toolbar, the page, OK and Cancel.
    SetWindowPos(m_toolbar->GetHandle(), GetDlgItem(m_hDialog, IDC_OPTIONS_TREE), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int button : {IDOK, IDCANCEL})
        SetWindowPos(GetDlgItem(m_hDialog, button), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_tree.reset(new CTreeview(GetDlgItem(m_hDialog, IDC_OPTIONS_TREE), this));
    m_tree->m_bContextMenuEnabled = FALSE;
    m_mergedFolders.Attach(GetDlgItem(m_hDialog, IDC_MERGED_LIST), *m_pLanguage, GetDefaultItemIcon());

    m_colorButtons.Attach(m_hDialog);
    m_hotKey.Attach(GetDlgItem(m_hDialog, IDC_HOT_KEY));
    SetButtonIcons();
    m_tree->ResetImages(SmallIconSize());
    BuildTree();

    FillLanguageList();
    FillSpecialFolderList();
    UINT monitors = static_cast<UINT>(EnumerateMonitors().size());
    for (UINT i = 1; i <= monitors; ++i) {
        WCHAR number[16];
        swprintf(number, ARRAYSIZE(number), L"%u", i);
        SendDlgItemMessageW(m_hDialog, IDC_BAR_MONITOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
        SendDlgItemMessageW(m_hDialog, IDC_HOT_CORNER_MONITOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    }
    for (LPCWSTR size : {L"16x16", L"24x24", L"32x32", L"48x48", L"64x64"})
        SendDlgItemMessageW(m_hDialog, IDC_BAR_ICON_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    LoadApplicationSettings();

    m_hKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, OptionsKeyboardHook, nullptr, GetCurrentThreadId());
    RedrawDialog(m_hDialog);
    SendMessageW(m_toolbar->GetHandle(), TB_AUTOSIZE, 0, 0);
    BringWindowToTop(m_hDialog);
    SetForegroundWindow(m_hDialog);
    SetFocus(m_tree->GetWindow());
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

void COptionsUI::EndOptionsDialog(UINT_PTR endCode) {
    if (m_hKeyboardHook) {
        UnhookWindowsHookEx(m_hKeyboardHook);
        m_hKeyboardHook = nullptr;
    }
    DragAcceptFiles(m_hDialog, FALSE);
    m_drop = {};
    // The tree's selection changes while its nodes go; nothing may be saved into an item then.
    m_loading = TRUE;
    // A nested loop still running (the icon picker, a message box) must find no item to write
    // into and no node of the tree that is gone.
    m_pCurrentItem = nullptr;
    m_currentNode = nullptr;
    m_tree.reset();
    m_toolbar.reset();
    m_mergedFolders.Detach();
    Unlink();
    EndDialog(m_hDialog, static_cast<INT_PTR>(endCode));
    SetStaticBitmap(GetDlgItem(m_hDialog, IDC_SHORTCUT_TYPE_PREVIEW), m_shownShortcutPreview, nullptr);
    SetStaticBitmap(GetDlgItem(m_hDialog, IDC_SKIN_PREVIEW), m_shownSkinPreview, nullptr);
    for (CGdiPlusBitmapResource& preview : m_shortcutPreviews)
        preview.Empty();
    m_skinPreview.Empty();
    m_gdiplus.reset();
}
