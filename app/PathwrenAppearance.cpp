#include "app/Pathwren.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ContainerBase.h"
#include "lib/ThemePalette.h"

#include <cwchar>
#include <vector>

namespace {

struct SchemeChange {
    CWindowsDarkMode* darkMode;
    BOOL dark;
};

BOOL CALLBACK TellWindow(HWND window, LPARAM context) {
    const auto* change = reinterpret_cast<const SchemeChange*>(context);
    // Only windows with a frame have a title bar to darken; the call is harmless on the others.
    change->darkMode->SetTitleBarDark(window, change->dark);
    SendMessageW(window, WM_COLOR_SCHEME_CHANGED, 0, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

} // namespace

void CPathwren::ApplyColorScheme(BOOL redraw) {
    if (!m_pOptions)
        return;
    ColorScheme scheme = m_pOptions->EffectiveColorScheme();
    BOOL changed = scheme != CurrentColorScheme();
    BOOL dark = scheme == ColorSchemeDark;
    // A program that never was dark leaves Windows' menus alone, and its start costs nothing here.
    BOOL menusDark = FALSE;
    if (dark || CurrentColorScheme() == ColorSchemeDark)
        menusDark = m_windowsDarkMode.SetMenusDark(dark) && dark;
    // Set even when unchanged: a new high contrast theme keeps the scheme but not the colours.
    SetCurrentColorScheme(scheme, menusDark);
    if (!redraw || (!changed && scheme != ColorSchemeHighContrast))
        return;
    if (m_pOptions->DefaultSkinOutdated()) {
        m_skinRebuildRequested = TRUE;
        WakeMainLoop();
    }
    SchemeChange change = {&m_windowsDarkMode, scheme == ColorSchemeDark};
    EnumThreadWindows(GetCurrentThreadId(), TellWindow, reinterpret_cast<LPARAM>(&change));
}

void CPathwren::RebuildForNewSkin() {
    m_skinRebuildRequested = FALSE;
    // A new configuration taken meanwhile brought its own skin, or the scheme went back.
    if (!m_pOptions || !m_pOptions->DefaultSkinOutdated())
        return;
    StoreContainersState();
    std::vector<BOOL> shown;
    for (CGenericPathwrenObject* item : m_folders) {
        CContainerBase* container = ContainerOf(*item);
        shown.push_back(container && container->IsShown());
    }
    UnregisterHotKeys();
    // Every toolbar with the old skin's icons goes before the skin lets them go.
    for (CGenericPathwrenObject* item : m_folders)
        item->ReleaseContainer();
    DestroyLaunchBar();
    m_pOptions->ReloadSkin();
    CreateContainers();
    for (size_t i = 0; i < m_folders.size(); ++i) {
        CContainerBase* container = ContainerOf(*m_folders[i]);
        if (shown[i] && container && !container->IsShown())
            container->Show(TRUE);
    }
}

void CPathwren::OnSettingChange(WPARAM wParam, LPCWSTR area) {
    // The app mode comes as the area "ImmersiveColorSet", high contrast as its own parameter.
    BOOL colorSet = area && wcscmp(area, L"ImmersiveColorSet") == 0;
    if (colorSet || wParam == SPI_SETHIGHCONTRAST)
        ApplyColorScheme(TRUE);
}
