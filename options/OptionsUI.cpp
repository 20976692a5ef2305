#include "options/OptionsUI.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "lib/Dpi.h"
#include "lib/MonitorRect.h"
#include "lib/RuntimeModule.h"
#include "options/ItemShortcut.h"
#include "options/OptionsControls.h"
#include "res/resource.h"
#include "skin/Toolbar.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

const int kMinimumTrackSize = 400; // at 96 dots per inch

void DropCallback(HWND windowUnderPoint, LPCWSTR path, UINT, LPVOID dialog) {
    if (windowUnderPoint == GetDlgItem(static_cast<HWND>(dialog), IDC_PATH_EDIT) ||
        windowUnderPoint == GetDlgItem(static_cast<HWND>(dialog), IDC_PICTURE_PATH))
        SetWindowTextW(windowUnderPoint, path);
}

void RedrawDialog(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

} // namespace

COptionsUI::COptionsUI(const OptionsDialogSource& source, HWND* openDialog)
    : m_hInstance(source.Instance), m_hDefaultItemIcon(source.DefaultIcon), m_pOpenDialog(openDialog),
      m_options(new CApplicationOptions()),
      m_language(source.Language ? new CLanguage(*source.Language) : new CLanguage()), m_applicationPage(*this),
      m_launchBarPage(*this, m_colorButtons), m_itemPage(*this, m_colorButtons), m_foldersRoot(nullptr),
      m_optionsRoot(nullptr), m_launchBarNode(nullptr), m_currentNode(nullptr), m_pageImages(), m_loading(FALSE),
      m_drop(), m_hKeyboardHook(nullptr), m_dpi(USER_DEFAULT_SCREEN_DPI), m_templateDpi(USER_DEFAULT_SCREEN_DPI),
      m_templateFont() {
    CApplicationOptions::CopyApplicationOptions(*source.Options, *m_options);
    for (CGenericPathwrenObject* item : *source.Folders) {
        m_folders.emplace_back(new CGenericPathwrenObject());
        CSingleFolderOptions::CopyFolderOptions(*item, *m_folders.back());
    }
    // The tray shows the most recently added icon first, so in Tray Icons mode the dialog lists
    // the items in reverse of the order they are created in.
    if (m_options->LaunchMode != LaunchModeLaunchBar)
        std::reverse(m_folders.begin(), m_folders.end());
    if (!m_hDefaultItemIcon)
        m_hDefaultItemIcon = static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER),
                                                           IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

COptionsUI::~COptionsUI() {
    if (m_hKeyboardHook)
        UnhookWindowsHookEx(m_hKeyboardHook);
}

COptionsUI* COptionsUI::FromWindow(HWND dialog) {
    return dynamic_cast<COptionsUI*>(CModalDialog::FromWindow(dialog));
}

EditedConfiguration::EditedConfiguration() = default;

EditedConfiguration::~EditedConfiguration() {
    for (CGenericPathwrenObject* item : Folders)
        delete item;
}

UINT_PTR ShowOptionsDialog(const OptionsDialogSource& source, EditedConfiguration* edited, HWND* openDialog) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                                           ICC_USEREX_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    return std::unique_ptr<COptionsUI>(new COptionsUI(source, openDialog))->Edit(edited);
}

UINT_PTR COptionsUI::Edit(EditedConfiguration* edited) {
    auto result = static_cast<UINT_PTR>(CModalDialog::Run(m_hInstance, IDD_OPTIONS, nullptr));
    if (m_pOpenDialog)
        *m_pOpenDialog = nullptr;
    if (result != OPTIONS_RESULT_OK)
        return result;
    edited->Options = std::move(m_options);
    edited->Language = std::move(m_language);
    for (CGenericPathwrenObject* item : edited->Folders)
        delete item;
    edited->Folders.clear();
    for (std::unique_ptr<CGenericPathwrenObject>& item : m_folders)
        edited->Folders.push_back(item.release());
    m_folders.clear();
    if (edited->Options->LaunchMode != LaunchModeLaunchBar)
        std::reverse(edited->Folders.begin(), edited->Folders.end());
    return result;
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
            EndOptionsDialog(OPTIONS_RESULT_CANCEL);
            return TRUE;
        case WM_DRAWITEM:
            return m_colorButtons.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_NOTIFY: {
            LRESULT result = 0;
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            BOOL handled = (m_toolbar && m_toolbar->HandleNotify(header, &result)) ||
                           (m_tree && m_tree->OnNotify(lParam, &result)) ||
                           (m_itemPage.MergedList() && m_itemPage.MergedList()->OnNotify(lParam, &result));
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
    if (m_itemPage.OnCommand(command, notification))
        return;
    if (notification == CBN_SELCHANGE) {
        if (command == IDC_LANGUAGE) {
            if (std::unique_ptr<CLanguage> language = m_applicationPage.ReadChosenLanguage()) {
                m_language = std::move(language);
                ApplyLanguageToDialog();
            }
        } else if (command == IDC_SKIN) {
            m_applicationPage.OnSkinChanged();
        } else if (command == IDC_LAUNCH_MODE) {
            m_applicationPage.OnLaunchModeChanged();
        }
        return;
    }
    if (notification != BN_CLICKED)
        return;
    switch (command) {
        case IDOK:
            OnOk();
            break;
        case IDCANCEL:
            EndOptionsDialog(OPTIONS_RESULT_CANCEL);
            break;
        case IDC_CREATE_TASKBAR_SHORTCUT:
        case IDC_ADD_TO_START_MENU:
            if (CGenericPathwrenObject* item = m_itemPage.Item()) {
                // The shortcut shows the page as it stands, not as it was loaded.
                m_itemPage.Save();
                OfferItemShortcut(m_hDialog, *item,
                                  command == IDC_ADD_TO_START_MENU ? ItemShortcutPlace::StartMenu
                                                                   : ItemShortcutPlace::BesideFolders,
                                  m_options->FoldersFile, *m_language);
            }
            break;
        case IDC_PICTURE_BROWSE:
            BrowsePicture(IDC_PICTURE_PATH);
            break;
        case IDC_BAR_PICTURE_BROWSE:
            BrowsePicture(IDC_BAR_PICTURE_PATH);
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
        default:
            m_colorButtons.OnCommand(static_cast<int>(command));
            break;
    }
}

void COptionsUI::OnOk() {
    m_itemPage.Save();
    m_applicationPage.Save();
    m_launchBarPage.Save();
    if (CheckConfigurationWritable())
        EndOptionsDialog(OPTIONS_RESULT_OK);
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
    m_drop = {m_hDialog, DropCallback, m_hDialog};
    DragAcceptFiles(m_hDialog, TRUE);
    SHAutoComplete(GetDlgItem(m_hDialog, IDC_PATH_EDIT), 0x0F);
    SHAutoComplete(GetDlgItem(m_hDialog, IDC_PICTURE_PATH), 0x0F);
    m_gdiplus.reset(new CGdiplusSession());
    m_colorButtons.Attach(m_hDialog);
    m_applicationPage.Attach(*m_options, m_gdiplus->Started());
    m_launchBarPage.Attach(m_options->LaunchBarOptions);
    m_itemPage.Attach(m_hInstance, m_hDefaultItemIcon, m_gdiplus->Started());
    ApplyLanguageToDialog();
    PlacePages();
    AddToolbar();
    m_tree.reset(new CTreeview(GetDlgItem(m_hDialog, IDC_OPTIONS_TREE), this));
    m_tree->m_bContextMenuEnabled = FALSE;
    SetButtonIcons();
    m_tree->ResetImages(SmallIconSize());
    BuildTree();
    m_applicationPage.Load();
    m_launchBarPage.Load();

    m_hKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, KeyboardHook, nullptr, GetCurrentThreadId());
    RedrawDialog(m_hDialog);
    SendMessageW(m_toolbar->GetHandle(), TB_AUTOSIZE, 0, 0);
    BringWindowToTop(m_hDialog);
    SetForegroundWindow(m_hDialog);
    SetFocus(m_tree->GetWindow());
}

void COptionsUI::PlacePages() {
    // The template lays the pages side by side; the dialog shows the tree and one page.
    RECT typeGroup = GetControlRect(m_hDialog, IDC_SHORTCUT_TYPE_GROUP);
    RECT tree = GetControlRect(m_hDialog, IDC_OPTIONS_TREE);
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
    RECT pageGroup = GetControlRect(m_hDialog, IDC_SHORTCUT_TYPE_GROUP);
    POINT pageOrigin = {pageGroup.left, pageGroup.top};
    for (int group : {IDC_APPLICATION_GROUP, IDC_FILE_FILTERS_GROUP, IDC_CUSTOMIZATION_GROUP,
                      IDC_BROWSING_OPTIONS_GROUP, IDC_LAUNCH_BAR_GROUP})
        MoveControlGroup(m_hDialog, group, pageOrigin);
}

void COptionsUI::AddToolbar() {
    m_toolbar.reset(new CToolbar(m_hInstance, m_hDialog));
    const struct {
        UINT command;
        LPCWSTR text;
        UINT icon;
    } buttons[] = {{IDC_ITEM_ADD, m_language->Add, IDI_OPTIONS_ADD},
                   {IDC_ITEM_REMOVE, m_language->Remove, IDI_OPTIONS_REMOVE},
                   {IDC_ITEM_MOVE_UP, m_language->MoveUp, IDI_OPTIONS_MOVE_UP},
                   {IDC_ITEM_MOVE_DOWN, m_language->MoveDown, IDI_OPTIONS_MOVE_DOWN}};
    for (const auto& button : buttons)
        m_toolbar->AddButton(button.command, button.text, button.icon, button.icon, button.icon, button.text);
    // Tab runs tree, toolbar, the page, OK and Cancel.
    SetWindowPos(m_toolbar->GetHandle(), GetDlgItem(m_hDialog, IDC_OPTIONS_TREE), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int button : {IDOK, IDCANCEL})
        SetWindowPos(GetDlgItem(m_hDialog, button), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    m_itemPage.Forget();
    m_currentNode = nullptr;
    m_tree.reset();
    m_toolbar.reset();
    Unlink();
    EndDialog(m_hDialog, static_cast<INT_PTR>(endCode));
    m_itemPage.Detach();
    m_applicationPage.Detach();
    m_gdiplus.reset();
}

int COptionsUI::ShowError(LPCWSTR text) {
    int result = MessageBoxW(m_hDialog, text, L"Error", MB_ICONERROR | MB_TOPMOST);
    if (result == 0)
        result = MessageBoxW(m_hDialog, text, L"Error", MB_ICONERROR);
    return result;
}

void COptionsUI::BrowsePicture(int targetEdit) {
    for (;;) {
        WCHAR file[MAX_PATH] = L"";
        OPENFILENAMEW open = {};
        open.lStructSize = sizeof(open);
        open.hwndOwner = m_hDialog;
        open.lpstrFilter = L"All\0*.*\0";
        open.nFilterIndex = 1;
        open.lpstrFile = file;
        open.nMaxFile = MAX_PATH;
        open.lpstrDefExt = L"";
        open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
        if (!GetOpenFileNameW(&open))
            return;
        if (!m_gdiplus || !m_gdiplus->Started()) {
            SetDlgItemTextW(m_hDialog, targetEdit, file);
            return;
        }
        Gdiplus::GpImage* image = nullptr;
        if (Gdiplus::DllExports::GdipLoadImageFromFileICM(file, &image) == Gdiplus::Ok) {
            Gdiplus::DllExports::GdipDisposeImage(image);
            SetDlgItemTextW(m_hDialog, targetEdit, file);
            return;
        }
        ShowError(m_language->UnsupportedImageFormat);
    }
}
