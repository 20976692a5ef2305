#include "browser/ShellBrowserEx.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <uxtheme.h>

#include "lib/GdiObject.h"
#include "lib/PathText.h"
#include "lib/StringCopy.h"
#include "lib/ThemePalette.h"
#include "lib/WindowsDarkMode.h"
#include "skin/BackgroundPainting.h"

CShellBrowserEx::CShellBrowserEx(HWND parentWindow, const FOLDERSETTINGS* folderSettings)
    : CShellBrowser(parentWindow, folderSettings), m_handCursor(LoadCursorW(nullptr, IDC_HAND)) {}

CShellBrowserEx::CShellBrowserEx(HWND parentWindow, const FOLDERSETTINGS* folderSettings, UINT viewMode)
    : CShellBrowser(parentWindow, folderSettings, viewMode), m_handCursor(LoadCursorW(nullptr, IDC_HAND)) {}

CShellBrowserEx::~CShellBrowserEx() {
    // The view windows outlive this part of the object (the base destroys them): their
    // procedures must not reach members that are already gone.
    OnViewWindowDestroying(m_viewWindow, m_listView);
}

BOOL CShellBrowserEx::SetInclusionFilter(LPCWSTR filters) {
    m_inclusionFilter.reset(new CFileNameFilter(FileNameFilterInclusion, filters ? filters : L""));
    return TRUE;
}

BOOL CShellBrowserEx::SetExclusionFilter(LPCWSTR filters) {
    m_exclusionFilter.reset(new CFileNameFilter(FileNameFilterExclusion, filters ? filters : L""));
    return TRUE;
}

void CShellBrowserEx::SetViewModeChangedCallback(ViewModeChangedCallback callback, void* context) {
    m_viewModeChangedCallback = callback;
    m_viewModeChangedContext = context;
}

STDMETHODIMP CShellBrowserEx::IncludeObject(IShellView*, PCUITEMID_CHILD child) {
    // One attribute query per item decides the common case: the view asks for every item it lists.
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_BROWSABLE | SFGAO_LINK;
    if (!child || !m_folder || FAILED(m_folder->GetAttributesOf(1, &child, &attributes)))
        return S_OK;
    BOOL navigableFolder = (attributes & SFGAO_FOLDER) && (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) &&
                           !(attributes & SFGAO_BROWSABLE);
    if (navigableFolder) {
        if (!m_showDriveRoots) {
            STRRET name;
            WCHAR path[MAX_PATH] = L"";
            if (SUCCEEDED(m_folder->GetDisplayNameOf(child, SHGDN_FORPARSING, &name)) &&
                SUCCEEDED(StrRetToBufW(&name, child, path, MAX_PATH)) && wcslen(path) == 3)
                return S_FALSE;
        }
        return m_showFolders ? S_OK : S_FALSE;
    }
    if ((attributes & SFGAO_LINK) && GetFolderLinkTarget(child))
        return m_showFolders ? S_OK : S_FALSE;
    return PassesFilters(child) ? S_OK : S_FALSE;
}

BOOL CShellBrowserEx::PassesFilters(PCUITEMID_CHILD child) {
    if (!m_inclusionFilter && !m_exclusionFilter)
        return TRUE;
    // The parsing name within the folder keeps the extension the user's display settings may hide.
    STRRET name;
    WCHAR text[MAX_PATH] = L"";
    if (FAILED(m_folder->GetDisplayNameOf(child, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)) ||
        FAILED(StrRetToBufW(&name, child, text, MAX_PATH)))
        return TRUE;
    LPCWSTR fileName = FindLastComponent(text);
    if (m_inclusionFilter && !m_inclusionFilter->Accepts(fileName))
        return FALSE;
    return !m_exclusionFilter || m_exclusionFilter->Accepts(fileName);
}

HRESULT CShellBrowserEx::Refresh() {
    HRESULT result = CShellBrowser::Refresh();
    ApplyTextColors();
    return result;
}

void CShellBrowserEx::SetViewRect(const RECT& rect) {
    if (EqualRect(&rect, &m_viewRect))
        return;
    CShellBrowser::SetViewRect(rect);
    if (ShownBackgroundType() == BackgroundGradient || ShownBackgroundType() == BackgroundPicture) {
        // A minimized owner gives an empty view: the list view keeps the image it has.
        if (RenderBackground(m_backgroundType))
            ApplyBackground();
    }
}

void CShellBrowserEx::SetViewMode(UINT viewMode) {
    m_viewMode = viewMode;
    FolderSettingsFromViewMode(viewMode, &m_folderSettings);
    RemoveListViewFullRowStyles();
}

void CShellBrowserEx::RemoveListViewFullRowStyles() {
    if (!m_listView)
        return;
    const DWORD fullRow = LVS_EX_FULLROWSELECT | LVS_EX_HEADERINALLVIEWS;
    // Setting the styles repaints the whole list even when nothing changes: with thousands of
    // items that second paint costs more than listing the folder.
    if (SendMessageW(m_listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & fullRow)
        SendMessageW(m_listView, LVM_SETEXTENDEDLISTVIEWSTYLE, fullRow, 0);
}

void CShellBrowserEx::OnViewWindowCreated() {
    if (!m_listView)
        return;
    SetWindowTheme(m_listView, nullptr, L"");
    RemoveListViewFullRowStyles();
    ApplyTextColors();
    ApplyBackground();
    m_listViewHook.Install(m_listView, ListViewProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    m_viewWindowHook.Install(m_viewWindow, ViewWindowProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
}

void CShellBrowserEx::OnViewWindowDestroying(HWND viewWindow, HWND listView) {
    // The end of a rename still open would come through the subclass taken off below.
    m_labelEditing = FALSE;
    // A dying view sends one deletion notice per item through the subclass: with 10,000 items
    // that made leaving the folder take seconds under Wine, against tens of milliseconds without.
    if (listView && listView == m_listViewHook.Window())
        m_listViewHook.Remove();
    if (viewWindow && viewWindow == m_viewWindowHook.Window())
        m_viewWindowHook.Remove();
}

void CShellBrowserEx::SetTextColor(BOOL specified, COLORREF color) {
    m_textColorSpecified = specified;
    m_textColor = color;
}

void CShellBrowserEx::SetTextBackgroundColor(BOOL specified, COLORREF color) {
    m_textBackgroundColorSpecified = specified;
    m_textBackgroundColor = color;
}

UINT CShellBrowserEx::ShownBackgroundType() const {
    // High contrast asks for the system's colours: backgrounds of our own give way to the shell's.
    return DrawingHighContrast() ? static_cast<UINT>(BackgroundShell) : m_backgroundType;
}

void CShellBrowserEx::ApplyTextColors() {
    if (!m_listView)
        return;
    const ThemePalette& palette = CurrentPalette();
    // The scheme colours only the shell's own background: on one of the item's, the shell's text
    // colour is what the user saw when choosing it. After a dark scheme the shell's own colours
    // must be handed back explicitly.
    BOOL shellBackground = ShownBackgroundType() == BackgroundShell;
    BOOL schemeColors = shellBackground && (DrawingDark() || DrawingHighContrast() || m_schemeColorsApplied);
    BOOL ownColors = !DrawingHighContrast();
    m_settingColors = TRUE;
    if (m_textColorSpecified && ownColors)
        SendMessageW(m_listView, LVM_SETTEXTCOLOR, 0, m_textColor);
    else if (schemeColors)
        SendMessageW(m_listView, LVM_SETTEXTCOLOR, 0, palette.WindowText);
    if (m_textBackgroundColorSpecified && ownColors)
        SendMessageW(m_listView, LVM_SETTEXTBKCOLOR, 0, m_textBackgroundColor);
    else if (!shellBackground)
        // The list view's default paints each label on a box of the window colour, which cuts
        // holes into a colour, gradient or picture of our own.
        SendMessageW(m_listView, LVM_SETTEXTBKCOLOR, 0, CLR_NONE);
    else if (schemeColors)
        SendMessageW(m_listView, LVM_SETTEXTBKCOLOR, 0, palette.WindowBackground);
    m_settingColors = FALSE;
}

void CShellBrowserEx::ApplySchemeBackground() {
    BOOL dark = DrawingDark();
    // A solid colour of the item's, given up for high contrast, must go too.
    if (dark || m_schemeColorsApplied || m_backgroundType != BackgroundShell) {
        m_settingColors = TRUE;
        SendMessageW(m_listView, LVM_SETBKCOLOR, 0, CurrentPalette().WindowBackground);
        m_settingColors = FALSE;
        // Scroll bars and the header follow only through the control's theme.
        if (dark)
            CWindowsDarkMode().SetControlDark(m_listView, TRUE);
        else
            SetWindowTheme(m_listView, nullptr, L"");
        InvalidateRect(m_listView, nullptr, TRUE);
    }
    m_schemeColorsApplied = dark;
}

void CShellBrowserEx::ApplyBackground() {
    if (!m_listView)
        return;
    UINT type = ShownBackgroundType();
    if (type == BackgroundShell) {
        if (m_backgroundType != BackgroundShell)
            SetListViewImage(nullptr); // a picture or gradient shown before high contrast came on
        ApplySchemeBackground();
        return;
    }
    if (type == BackgroundSolid) {
        SendMessageW(m_listView, LVM_SETSELECTEDCOLUMN, static_cast<WPARAM>(-1), 0);
        m_settingColors = TRUE;
        SendMessageW(m_listView, LVM_SETBKCOLOR, 0, m_backgroundColor);
        m_settingColors = FALSE;
        InvalidateRect(m_listView, nullptr, TRUE);
        return;
    }
    if ((type != BackgroundGradient && type != BackgroundPicture) || !m_backgroundBitmap)
        return;
    SendMessageW(m_listView, LVM_SETSELECTEDCOLUMN, static_cast<WPARAM>(-1), 0);
    COLORREF fill = static_cast<COLORREF>(SendMessageW(m_listView, LVM_GETBKCOLOR, 0, 0));
    CBitmapHandle bitmap;
    // Transparent pixels take the list view's own colour.
    Gdiplus::Color behind(0xFF, GetRValue(fill), GetGValue(fill), GetBValue(fill));
    if (m_backgroundBitmap->GetHBITMAP(behind, bitmap.Receive()) != Gdiplus::Ok)
        return;
    if (SetListViewImage(bitmap.Get()))
        bitmap.Detach(); // the list view deletes it when it takes the next one or dies
    InvalidateRect(m_listView, nullptr, TRUE);
}

BOOL CShellBrowserEx::SetListViewImage(HBITMAP bitmap) {
    LVBKIMAGEW image = {};
    image.ulFlags = LVBKIF_TYPE_WATERMARK;
    image.hbm = bitmap;
    m_settingBackgroundImage = TRUE;
    BOOL taken = SendMessageW(m_listView, LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&image)) != 0;
    if (!taken) {
        // Wine's list view has no watermark: it refuses one (clearing its image) and takes the
        // bitmap as a plain background source, drawn from the top-left corner.
        image.ulFlags = LVBKIF_SOURCE_HBITMAP;
        taken = SendMessageW(m_listView, LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&image)) != 0;
    }
    m_settingBackgroundImage = FALSE;
    return taken;
}

BOOL CShellBrowserEx::RenderGradient(COLORREF color1, COLORREF color2, UINT gradientType) {
    m_gradientColor1 = color1;
    m_gradientColor2 = color2;
    m_gradientType = gradientType;
    return RenderBackground(BackgroundGradient);
}

BOOL CShellBrowserEx::RenderPicture(LPCWSTR path, UINT position) {
    CopyTruncated(m_picturePath, path);
    m_picturePosition = position;
    if (!m_gdiplus.Started())
        return FALSE;
    std::unique_ptr<Gdiplus::Image> picture = LoadPicture(m_picturePath);
    if (!picture)
        return FALSE;
    m_picture = std::move(picture);
    return RenderBackground(BackgroundPicture);
}

// Renders from the stored parameters; the picture is the one decoded by the last RenderPicture.
BOOL CShellBrowserEx::RenderBackground(UINT type) {
    if (!m_gdiplus.Started())
        return FALSE;
    SIZE view = {m_viewRect.right - m_viewRect.left, m_viewRect.bottom - m_viewRect.top};
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    if (type == BackgroundPicture) {
        if (!m_picture)
            return FALSE;
        bitmap = RenderPictureBitmap(view, *m_picture, m_picturePosition, m_pictureInterpolation);
    } else {
        bitmap = RenderGradientBitmap(view, m_gradientColor1, m_gradientColor2, m_gradientType);
    }
    if (!bitmap)
        return FALSE;
    m_backgroundBitmap = std::move(bitmap);
    return TRUE;
}
