#include "launchbar/LaunchBar.h"

#include "config/SpecialPath.h"
#include "lib/Dpi.h"
#include "lib/MonitorRect.h"
#include "launchbar/LaunchBarPlacement.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

namespace {

// The bar's own watch on its toolbar window, for messages the toolbar does not pass on.
const UINT_PTR kLaunchBarSubclassId = 0x4C42;

// The lengths of the toolbar from options already at its DPI.
void SetToolbarSizes(const CLaunchBarOptions& scaled, TransparentToolbarSettings* settings) {
    settings->Width = static_cast<INT>(scaled.VerticalDirection ? scaled.MinHeight : scaled.MinWidth);
    settings->Height = static_cast<INT>(scaled.VerticalDirection ? scaled.MinWidth : scaled.MinHeight);
    settings->ButtonWidth = static_cast<INT>(scaled.IconSize);
    settings->ButtonHeight = static_cast<INT>(scaled.IconHeight);
    settings->MarginLeft = scaled.MarginLeft;
    settings->MarginTop = scaled.MarginTop;
    settings->MarginRight = scaled.MarginRight;
    settings->MarginBottom = scaled.MarginBottom;
}

} // namespace

CLaunchBar::CLaunchBar()
    : m_position(0), m_background(nullptr), m_dpi(USER_DEFAULT_SCREEN_DPI), m_toolbarSize(), m_hMainWindow(nullptr) {}

CLaunchBar::~CLaunchBar() {
    DestroyBar();
}

void CLaunchBar::DestroyBar() {
    // The hot window goes first: its timers run on the toolbar window.
    m_hotWindow.reset();
    m_toolbarHook.Remove();
    m_toolbar.reset();
}

UINT CLaunchBar::AppendButton(const TransparentToolbarButton& button, ILaunchBarItem* item) {
    UINT index = static_cast<UINT>(m_buttons.size());
    m_buttons.push_back(button);
    m_items.push_back(item);
    m_buttons.back().Command = index;
    return index;
}

HWND CLaunchBar::GetToolbarWindow() const {
    return m_toolbar ? m_toolbar->GetHandle() : nullptr;
}

BOOL CLaunchBar::Build(HINSTANCE instance, CLaunchBarOptions& options, ILaunchBarItem* background, HWND mainWindow) {
    DestroyBar();
    m_background = background;
    m_hMainWindow = mainWindow;
    m_position = options.Position;
    options.VerticalDirection = IsVerticalLaunchBarPosition(options.Position);
    m_options = options;
    m_dpi = GetLaunchBarDpi(options);
    // A bar whose window could not be made shows nothing; the items' hotkeys still need an owner
    // for their menus.
    if (!CreateToolbar(instance, ScaleLaunchBarOptions(options, m_dpi))) {
        HandItemsTo(m_hMainWindow);
        return TRUE;
    }
    HandItemsTo(m_toolbar->GetHandle());

    RECT window = {};
    GetWindowRect(m_toolbar->GetHandle(), &window);
    m_toolbarSize = {window.right - window.left, window.bottom - window.top};
    m_hotWindow.reset(new CHotWindow());
    m_hotWindow->SetEvents(this);
    m_hotWindow->SetWatchedWindow(m_toolbar->GetHandle());
    m_toolbarHook.Install(m_toolbar->GetHandle(), ToolbarSubclassProc, kLaunchBarSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
    Reposition();
    m_hotWindow->WatchForEnter();
    return TRUE;
}

BOOL CLaunchBar::CreateToolbar(HINSTANCE instance, const CLaunchBarOptions& options) {
    WCHAR image[MAX_PATH] = L"";
    // A picture that is missing or cannot be resolved leaves the bar on its colours.
    if (options.BackgroundImage[0] && !MakeAbsolutePath(nullptr, options.BackgroundImage, image))
        image[0] = L'\0';

    TransparentToolbarSettings settings;
    settings.Vertical = options.VerticalDirection;
    settings.BackgroundType = static_cast<INT>(options.BackgroundType);
    settings.BackgroundColor = options.BackgroundColor;
    settings.GradientColor1 = options.BackgroundGradiantColor1;
    settings.GradientColor2 = options.BackgroundGradiantColor2;
    settings.BackgroundImage = image[0] ? image : nullptr;
    settings.TransparentColor = options.TransparentColor;
    settings.UseTransparentColor = options.UseTransparentColor;
    settings.Opacity = options.Opacity;
    SetToolbarSizes(options, &settings);
    settings.Buttons = m_buttons.data();
    settings.ButtonCount = static_cast<UINT>(m_buttons.size());
    settings.Topmost = TRUE;
    settings.FollowsColorScheme = options.HasBuiltInBackground();
    m_toolbar.reset(new (std::nothrow) CTransparentToolbar(instance, nullptr, this, settings));
    return m_toolbar && m_toolbar->GetHandle();
}

void CLaunchBar::ChangeDpi(UINT dpi) {
    if (!dpi || dpi == m_dpi || !GetToolbarWindow())
        return;
    m_dpi = dpi;
    TransparentToolbarSettings settings;
    SetToolbarSizes(ScaleLaunchBarOptions(m_options, m_dpi), &settings);
    m_toolbar->ChangeSizes(settings);
    m_toolbarSize = {m_toolbar->GetWidth(), m_toolbar->GetHeight()};
    // The pictures were taken at the old button size; stretched they would blur.
    for (UINT i = 0; i < m_items.size(); ++i) {
        HICON images[ToolbarButtonStateCount];
        std::copy(m_buttons[i].Images, m_buttons[i].Images + ToolbarButtonStateCount, images);
        m_items[i]->TakeIconsAtSize(settings.ButtonWidth, images);
        std::copy(images, images + ToolbarButtonStateCount, m_buttons[i].Images);
        m_toolbar->SetButtonImages(i, images);
    }
}

void CLaunchBar::Reposition() {
    // A change of monitors may put the bar's monitor at another scale.
    ChangeDpi(GetLaunchBarDpi(m_options));
    Dock();
}

void CLaunchBar::Dock() {
    if (!GetToolbarWindow() || !m_hotWindow)
        return;
    LaunchBarPlacement placement =
        PlaceLaunchBar(ScaleLaunchBarOptions(m_options, m_dpi), m_toolbarSize, GetMonitorWorkAreas());
    const RECT& bar = placement.Bar;
    m_toolbar->SetBounds(bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top);
    m_hotWindow->SetHotRect(placement.HotStrip);
    // A bar shown now stays while the cursor is over it where it stands now.
    RECT shown = {};
    if (GetWindowRect(m_toolbar->GetHandle(), &shown))
        m_hotWindow->MoveKeepRect(shown);
}

BOOL CLaunchBar::GetButtonScreenRect(UINT index, RECT* rect) const {
    const TransparentToolbarPlacedButton* button = m_toolbar ? m_toolbar->GetButton(index) : nullptr;
    RECT window = {};
    if (!button || !GetWindowRect(m_toolbar->GetHandle(), &window))
        return FALSE;
    rect->left = window.left + button->Position.x;
    rect->top = window.top + button->Position.y;
    rect->right = rect->left + ScaleForDpi(static_cast<int>(m_options.IconSize), m_dpi);
    rect->bottom = rect->top + ScaleForDpi(static_cast<int>(m_options.IconHeight), m_dpi);
    return TRUE;
}

template <typename ShowMenu> void CLaunchBar::KeepShownDuring(ShowMenu showMenu) {
    if (m_hotWindow && m_hotWindow->IsWatchingForLeave())
        m_hotWindow->StopWatching();
    showMenu();
    // A bar whose leave timer could not be set would stay shown for good.
    if (m_hotWindow && !m_hotWindow->WatchForLeave()) {
        HideAsLeaving();
        m_hotWindow->WatchForEnter();
    }
}

void CLaunchBar::OnToolbarButtonClicked(CTransparentToolbar*, UINT command) {
    // Commands equal indices, so the toolbar's copy at that index is the button.
    RECT rect = {};
    const TransparentToolbarPlacedButton* button = m_toolbar ? m_toolbar->GetButton(command) : nullptr;
    ILaunchBarItem* item = GetItem(command);
    if (!button || button->Button.Command != command || !item || !GetButtonScreenRect(command, &rect))
        return;
    KeepShownDuring([&] {
        BOOL openUpward = FALSE;
        POINT point = LaunchBarShowPoint(m_position, rect, &openUpward);
        item->ShowFromLaunchBar(point, openUpward);
    });
}

void CLaunchBar::OnToolbarButtonRightClicked(CTransparentToolbar*, UINT buttonIndex) {
    const TransparentToolbarPlacedButton* button = m_toolbar ? m_toolbar->GetButton(buttonIndex) : nullptr;
    ILaunchBarItem* item = GetItem(buttonIndex);
    if (!button || !item)
        return;
    KeepShownDuring([&] {
        POINT cursor = {};
        GetCursorPos(&cursor);
        item->ShowContextMenu(cursor, m_position >= 5 && m_position <= 7);
    });
}

void CLaunchBar::OnToolbarRightClicked(CTransparentToolbar*, POINT screenPoint) {
    if (!m_background)
        return;
    KeepShownDuring([&] { m_background->ShowContextMenu(screenPoint, m_position >= 5 && m_position <= 7); });
}

LRESULT CLaunchBar::OnToolbarKeyDown(CTransparentToolbar*, WPARAM wParam, LPARAM) {
    if (wParam == VK_ESCAPE && m_toolbar && IsWindowVisible(m_toolbar->GetHandle())) {
        HideAsLeaving();
        // The cursor may still rest in the strip; the bar shows again only once it has left.
        if (m_hotWindow)
            m_hotWindow->WatchForEnterOnceLeft();
    }
    return 1;
}

LRESULT CLaunchBar::OnToolbarClose(CTransparentToolbar* toolbar, WPARAM wParam, LPARAM lParam) {
    HWND window = toolbar->GetHandle();
    if (m_hotWindow)
        m_hotWindow->StopWatching();
    m_toolbarHook.Remove();
    LRESULT result = DefWindowProcW(window, WM_CLOSE, wParam, lParam);
    // Alt+F4 took the bar away; the items keep their hotkeys, whose menus need a living owner.
    HandItemsTo(m_hMainWindow);
    return result;
}

void CLaunchBar::HandItemsTo(HWND window) {
    for (ILaunchBarItem* item : m_items) {
        if (item)
            item->SetOwnerWindow(window);
    }
    if (m_background)
        m_background->SetOwnerWindow(window);
}

void CLaunchBar::OnHotWindowEnter(CHotWindow*, BOOL* useKeepRect, RECT* keepRect) {
    if (!GetToolbarWindow())
        return;
    *useKeepRect = TRUE;
    GetWindowRect(m_toolbar->GetHandle(), keepRect);
    m_toolbar->Show(TRUE);
}

void CLaunchBar::OnHotWindowLeave(CHotWindow*) {
    HideAsLeaving();
}

void CLaunchBar::HideAsLeaving() {
    HWND foreground = GetForegroundWindow();
    EndMenu();
    if (m_toolbar)
        m_toolbar->Show(FALSE);
    if (foreground && foreground != GetToolbarWindow() && IsWindow(foreground))
        SetForegroundWindow(foreground);
}

LRESULT CALLBACK CLaunchBar::ToolbarSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR referenceData) {
    // Undocking a laptop must not leave the bar on a monitor that is gone, and a taskbar moved
    // or resized must not cover it.
    auto* bar = reinterpret_cast<CLaunchBar*>(referenceData);
    if (message == WM_DISPLAYCHANGE || (message == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA))
        bar->Reposition();
    // The bar docks by its own rules, so the rectangle Windows suggests is not taken: the new
    // scale gives new sizes, and the bar is docked again with them.
    if (message == WM_DPICHANGED) {
        bar->ChangeDpi(HIWORD(wParam));
        bar->Dock();
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
