#include "lib/WindowsDarkMode.h"

namespace {

// uxtheme exports the app-mode switches of Windows 10 1903 and later by ordinal only.
const WORD kSetPreferredAppModeOrdinal = 135;
const WORD kFlushMenuThemesOrdinal = 136;
enum PreferredAppMode { AppModeDefault = 0, AppModeAllowDark = 1, AppModeForceDark = 2, AppModeForceLight = 3 };

// The immersive dark mode attribute is 20 since Windows 10 20H1, 19 before it.
const DWORD kImmersiveDarkModeAttribute = 20;
const DWORD kImmersiveDarkModeAttributeBefore20H1 = 19;

typedef int(WINAPI* SetPreferredAppModeFunction)(int mode);
typedef void(WINAPI* FlushMenuThemesFunction)();
typedef HRESULT(WINAPI* DwmSetWindowAttributeFunction)(HWND window, DWORD attribute, LPCVOID value, DWORD size);
typedef HRESULT(WINAPI* SetWindowThemeFunction)(HWND window, LPCWSTR application, LPCWSTR classes);

} // namespace

CWindowsDarkMode::CWindowsDarkMode() : CWindowsDarkMode(L"uxtheme.dll", L"dwmapi.dll") {}

CWindowsDarkMode::CWindowsDarkMode(const wchar_t* uxthemeName, const wchar_t* dwmName)
    : m_uxtheme(uxthemeName), m_dwm(dwmName) {}

BOOL CWindowsDarkMode::SetMenusDark(BOOL dark) {
    auto setPreferredAppMode =
        m_uxtheme.Procedure<SetPreferredAppModeFunction>(MAKEINTRESOURCEA(kSetPreferredAppModeOrdinal));
    auto flushMenuThemes = m_uxtheme.Procedure<FlushMenuThemesFunction>(MAKEINTRESOURCEA(kFlushMenuThemesOrdinal));
    if (!setPreferredAppMode || !flushMenuThemes)
        return FALSE;
    setPreferredAppMode(dark ? AppModeForceDark : AppModeForceLight);
    flushMenuThemes();
    return TRUE;
}

BOOL CWindowsDarkMode::SetTitleBarDark(HWND window, BOOL dark) {
    auto setAttribute = m_dwm.Procedure<DwmSetWindowAttributeFunction>("DwmSetWindowAttribute");
    if (!setAttribute || !window)
        return FALSE;
    BOOL value = dark ? TRUE : FALSE;
    if (SUCCEEDED(setAttribute(window, kImmersiveDarkModeAttribute, &value, sizeof(value))))
        return TRUE;
    return SUCCEEDED(setAttribute(window, kImmersiveDarkModeAttributeBefore20H1, &value, sizeof(value)));
}

BOOL CWindowsDarkMode::SetControlDark(HWND control, BOOL dark) {
    auto setWindowTheme = m_uxtheme.Procedure<SetWindowThemeFunction>("SetWindowTheme");
    if (!setWindowTheme || !control)
        return FALSE;
    // Light is the control's own default theme, as it was before any call.
    return SUCCEEDED(setWindowTheme(control, dark ? L"DarkMode_Explorer" : nullptr, nullptr));
}
