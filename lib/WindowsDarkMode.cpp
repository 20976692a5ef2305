#include "lib/WindowsDarkMode.h"

#include "lib/RuntimeModule.h"

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
    : m_uxthemeName(uxthemeName), m_dwmName(dwmName) {}

BOOL CWindowsDarkMode::SetMenusDark(BOOL dark) {
    // uxtheme keeps the mode for the process: it stays loaded, as the program links it.
    CRuntimeModule uxtheme(m_uxthemeName);
    auto setPreferredAppMode =
        uxtheme.Procedure<SetPreferredAppModeFunction>(MAKEINTRESOURCEA(kSetPreferredAppModeOrdinal));
    auto flushMenuThemes = uxtheme.Procedure<FlushMenuThemesFunction>(MAKEINTRESOURCEA(kFlushMenuThemesOrdinal));
    if (!setPreferredAppMode || !flushMenuThemes)
        return FALSE;
    setPreferredAppMode(dark ? AppModeForceDark : AppModeForceLight);
    flushMenuThemes();
    return TRUE;
}

BOOL CWindowsDarkMode::SetTitleBarDark(HWND window, BOOL dark) {
    CRuntimeModule dwm(m_dwmName);
    auto setAttribute = dwm.Procedure<DwmSetWindowAttributeFunction>("DwmSetWindowAttribute");
    if (!setAttribute || !window)
        return FALSE;
    BOOL value = dark ? TRUE : FALSE;
    if (SUCCEEDED(setAttribute(window, kImmersiveDarkModeAttribute, &value, sizeof(value))))
        return TRUE;
    return SUCCEEDED(setAttribute(window, kImmersiveDarkModeAttributeBefore20H1, &value, sizeof(value)));
}

BOOL CWindowsDarkMode::SetControlDark(HWND control, BOOL dark) {
    CRuntimeModule uxtheme(m_uxthemeName);
    auto setWindowTheme = uxtheme.Procedure<SetWindowThemeFunction>("SetWindowTheme");
    if (!setWindowTheme || !control)
        return FALSE;
    // Light is the control's own default theme, as it was before any call.
    return SUCCEEDED(setWindowTheme(control, dark ? L"DarkMode_Explorer" : nullptr, nullptr));
}
