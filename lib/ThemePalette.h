#pragma once
#include <windows.h>

// How the surfaces we draw ourselves are coloured. High contrast outranks the app mode: its
// system colours are the user's choice for legibility.
enum ColorScheme {
    ColorSchemeLight = 0,
    ColorSchemeDark = 1,
    ColorSchemeHighContrast = 2,
};

// Sent by the application to each of its top-level windows after the scheme changed, so that
// colours handed to controls (rather than read at each paint) are handed again.
const UINT WM_COLOR_SCHEME_CHANGED = WM_APP + 0x40;

// The colours of one scheme. Light and high contrast read the system colours, so that a light
// program looks exactly as it did before it knew about dark; dark uses the colours of Windows'
// own dark surfaces.
struct ThemePalette {
    COLORREF DialogBackground; // dialogs, bars, static texts on them
    COLORREF DialogText;
    COLORREF WindowBackground; // views and edit fields
    COLORREF WindowText;
    COLORREF MenuBackground;
    COLORREF MenuHighlight;
    COLORREF DisabledText;
    COLORREF FocusFrame;
};

// Menus are drawn by Windows and turn dark only where it offers the switch: without it their
// colours stay the system's even in the dark scheme, so that our parts match what surrounds them.
ThemePalette PaletteFor(ColorScheme scheme, BOOL windowsMenusDark);

// The user's app mode: false when "AppsUseLightTheme" under the personalisation key is 0, true
// when it is 1 or absent (Windows before 10 has no dark app mode).
BOOL AppsUseLightTheme();
BOOL HighContrastOn();

// The scheme the program is currently drawn in, and its palette. Process-wide like the system
// colours it stands beside: every surface reads it at paint time, and only the application's
// main window changes it (on start, a settings change and a new configuration).
ColorScheme CurrentColorScheme();
const ThemePalette& CurrentPalette();
void SetCurrentColorScheme(ColorScheme scheme, BOOL windowsMenusDark);
inline BOOL DrawingDark() {
    return CurrentColorScheme() == ColorSchemeDark;
}
inline BOOL DrawingHighContrast() {
    return CurrentColorScheme() == ColorSchemeHighContrast;
}
