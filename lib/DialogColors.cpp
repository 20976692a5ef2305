#include "lib/DialogColors.h"

#include "lib/WindowsDarkMode.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cwchar>

namespace {

// Check boxes, radio buttons and group boxes drawn by a visual style take their text colour from
// the style, not from WM_CTLCOLORSTATIC: dark text on the dark dialog. Drawn classic, they obey.
BOOL DrawsItsOwnText(HWND control) {
    LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW;
}

BOOL CALLBACK DarkenControl(HWND control, LPARAM darkMode) {
    WCHAR className[32] = L"";
    GetClassNameW(control, className, ARRAYSIZE(className));
    BOOL dark = DrawingDark();
    const ThemePalette& palette = CurrentPalette();
    // Explorer's dark theme darkens only the scroll bars and headers where it exists at all; the
    // view's own colours are ours to set (and -1 gives a tree view its defaults back).
    if (_wcsicmp(className, WC_TREEVIEWW) == 0) {
        reinterpret_cast<CWindowsDarkMode*>(darkMode)->SetControlDark(control, dark);
        TreeView_SetBkColor(control, dark ? palette.WindowBackground : static_cast<COLORREF>(-1));
        TreeView_SetTextColor(control, dark ? palette.WindowText : static_cast<COLORREF>(-1));
    } else if (_wcsicmp(className, WC_LISTVIEWW) == 0) {
        reinterpret_cast<CWindowsDarkMode*>(darkMode)->SetControlDark(control, dark);
        ListView_SetBkColor(control, palette.WindowBackground);
        ListView_SetTextBkColor(control, palette.WindowBackground);
        ListView_SetTextColor(control, palette.WindowText);
    } else if (_wcsicmp(className, WC_BUTTONW) == 0 && DrawsItsOwnText(control)) {
        SetWindowTheme(control, dark ? L"" : nullptr, dark ? L"" : nullptr);
    }
    return TRUE;
}

} // namespace

HBRUSH CDialogColors::OnControlColor(UINT message, HDC dc) {
    if (!DrawingDark())
        return nullptr;
    const ThemePalette& palette = CurrentPalette();
    // Brushes are made again only when the palette changed since the last message.
    if (m_dialogColor != palette.DialogBackground || !m_dialogBrush) {
        m_dialogBrush.Reset(CreateSolidBrush(palette.DialogBackground));
        m_dialogColor = palette.DialogBackground;
    }
    if (m_windowColor != palette.WindowBackground || !m_windowBrush) {
        m_windowBrush.Reset(CreateSolidBrush(palette.WindowBackground));
        m_windowColor = palette.WindowBackground;
    }
    BOOL field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    SetTextColor(dc, field ? palette.WindowText : palette.DialogText);
    SetBkColor(dc, field ? palette.WindowBackground : palette.DialogBackground);
    return field ? m_windowBrush.Get() : m_dialogBrush.Get();
}

void CDialogColors::ApplyToWindow(HWND dialog) {
    CWindowsDarkMode darkMode;
    darkMode.SetTitleBarDark(dialog, DrawingDark());
    EnumChildWindows(dialog, DarkenControl, reinterpret_cast<LPARAM>(&darkMode));
}
