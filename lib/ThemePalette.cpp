#include "lib/ThemePalette.h"

#include "lib/RegistryKey.h"

namespace {

const WCHAR kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Windows 11's dark surfaces (menus, Explorer's view, dialogs).
const ThemePalette kDarkPalette = {
    RGB(32, 32, 32),    // DialogBackground
    RGB(255, 255, 255), // DialogText
    RGB(25, 25, 25),    // WindowBackground
    RGB(255, 255, 255), // WindowText
    RGB(43, 43, 43),    // MenuBackground
    RGB(65, 65, 65),    // MenuHighlight
    RGB(128, 128, 128), // DisabledText
    RGB(255, 255, 255), // FocusFrame
};

ColorScheme g_scheme = ColorSchemeLight;
BOOL g_windowsMenusDark = FALSE;
ThemePalette g_palette = {};
BOOL g_paletteRead = FALSE;

ThemePalette SystemPalette() {
    ThemePalette palette;
    palette.DialogBackground = GetSysColor(COLOR_BTNFACE);
    palette.DialogText = GetSysColor(COLOR_BTNTEXT);
    palette.WindowBackground = GetSysColor(COLOR_WINDOW);
    palette.WindowText = GetSysColor(COLOR_WINDOWTEXT);
    palette.MenuBackground = GetSysColor(COLOR_MENU);
    palette.MenuHighlight = GetSysColor(COLOR_MENUHILIGHT);
    palette.DisabledText = GetSysColor(COLOR_GRAYTEXT);
    palette.FocusFrame = GetSysColor(COLOR_HIGHLIGHT);
    return palette;
}

} // namespace

ThemePalette PaletteFor(ColorScheme scheme, BOOL windowsMenusDark) {
    if (scheme != ColorSchemeDark)
        return SystemPalette();
    ThemePalette palette = kDarkPalette;
    if (!windowsMenusDark) {
        palette.MenuBackground = GetSysColor(COLOR_MENU);
        palette.MenuHighlight = GetSysColor(COLOR_MENUHILIGHT);
    }
    return palette;
}

BOOL AppsUseLightTheme() {
    CRegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return TRUE;
    DWORD value = 1;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), L"AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return TRUE;
    return value != 0;
}

BOOL HighContrastOn() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

ColorScheme CurrentColorScheme() {
    return g_scheme;
}

const ThemePalette& CurrentPalette() {
    // The system colours can change without a scheme change (a new high contrast theme): read
    // them again whenever the scheme is set, and once before the first use.
    if (!g_paletteRead) {
        g_palette = PaletteFor(g_scheme, g_windowsMenusDark);
        g_paletteRead = TRUE;
    }
    return g_palette;
}

void SetCurrentColorScheme(ColorScheme scheme, BOOL windowsMenusDark) {
    g_scheme = scheme;
    g_windowsMenusDark = windowsMenusDark;
    g_palette = PaletteFor(scheme, windowsMenusDark);
    g_paletteRead = TRUE;
}
