// The real program at the scales and in the colours users run it in: what it sizes itself follows the
// DPI and its icons are drawn at the size they were taken at; the dark app mode darkens every surface
// we draw, a switch back lightens them, and a Theme fixed in the options outranks the app mode.
#include "ApplicationFixture.h"
#include "OptionsDialogScript.h"

#include "config/ApplicationOptions.h"
#include "config/IniFile.h"
#include "config/Skin.h"
#include "containers/ShellBrowserContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "lib/Dpi.h"
#include "lib/RuntimeModule.h"
#include "lib/ThemePalette.h"
#include "lib/WindowDc.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/Icons.h"
#include "support/PrintedWindow.h"
#include "support/SourceTree.h"
#include "support/WindowSearch.h"
#include "support/Wine.h"
#include "support/WindowsVersionCopy.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

const wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// The user's app mode for one test, put back as it was afterwards.
class AppMode {
public:
    explicit AppMode(bool light) {
        DWORD size = sizeof(m_saved);
        m_hadValue = RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr,
                                  &m_saved, &size) == ERROR_SUCCESS;
        Set(light);
    }
    ~AppMode() {
        if (m_hadValue)
            Set(m_saved != 0);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme");
    }
    void Set(bool light) {
        DWORD value = light ? 1 : 0;
        RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme", REG_DWORD, &value, sizeof(value));
    }
    // As Windows tells every top-level window after the user switched.
    void SwitchTo(bool light) {
        Set(light);
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
    }

private:
    bool m_hadValue = false;
    DWORD m_saved = 1;
};

int Luma(COLORREF colour) {
    return (299 * GetRValue(colour) + 587 * GetGValue(colour) + 114 * GetBValue(colour)) / 1000;
}

COLORREF PrintedPixel(HWND window, POINT point) {
    return CapturePrinted(window, PRF_CLIENT | PRF_ERASEBKGND).At(point.x, point.y);
}

// A static text: its corner is its background, its lightest pixel is in the text.
void ExpectDarkWithLightText(HWND control, const char* surface) {
    std::vector<COLORREF> pixels = CapturePrinted(control, PRF_CLIENT | PRF_ERASEBKGND).pixels;
    ASSERT_FALSE(pixels.empty()) << surface;
    int lightest = 0;
    for (COLORREF pixel : pixels)
        lightest = std::max(lightest, Luma(pixel));
    EXPECT_LT(Luma(pixels[0]), 60) << surface << ": background " << std::hex << pixels[0];
    EXPECT_GT(lightest, 180) << surface << ": light text";
}

void CopyShippedSkins(const ApplicationFixture& fixture) {
    std::wstring from = SourceTreePath(L"res/Skins") + L'\0'; // a list, ended by an empty name
    std::wstring to = fixture.File(L"") + L'\0';
    SHFILEOPSTRUCTW copy = {};
    copy.wFunc = FO_COPY;
    copy.pFrom = from.c_str();
    copy.pTo = to.c_str();
    copy.fFlags = FOF_NO_UI;
    ASSERT_EQ(0, SHFileOperationW(&copy));
}

// Whether the toolbar paints the skin's move picture, pixel for pixel where it is opaque.
void ExpectMoveButtonOf(const CSkin& skin, CTransparentToolbar& toolbar, const char* name) {
    const TransparentToolbarPlacedButton* move = toolbar.GetMoveButton();
    ASSERT_TRUE(move) << name;
    std::vector<DWORD> expected = ReadIconPixels(skin.Images[SkinImageMove].Icon);
    EXPECT_EQ(expected, ReadIconPixels(move->Button.Images[ToolbarButtonNormal])) << name << "'s picture";
    Capture printed = CapturePrinted(toolbar.GetHandle(), PRF_CLIENT | PRF_ERASEBKGND);
    int side = toolbar.GetHeight(), opaque = 0, shown = 0;
    ASSERT_EQ(static_cast<size_t>(side * side), expected.size()) << name << ": taken at the button's size";
    for (int i = 0; i < side * side; ++i) {
        DWORD pixel = expected[static_cast<size_t>(i)];
        bool isOpaque = (pixel >> 24) == 0xFF;
        opaque += isOpaque;
        shown += isOpaque && printed.At(move->Position.x + i % side, move->Position.y + i / side) ==
                                 RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
    }
    EXPECT_GT(opaque, side) << name;
    EXPECT_EQ(opaque, shown) << name << "'s picture as the toolbar paints it";
}

// Every picture a toolbar holds still exists: a skin swapped under it would leave dead handles.
void ExpectImagesAlive(CTransparentToolbar& toolbar) {
    for (UINT i = 0; i <= toolbar.GetButtonCount(); ++i) {
        const TransparentToolbarPlacedButton* button =
            i < toolbar.GetButtonCount() ? toolbar.GetButton(i) : toolbar.GetMoveButton();
        for (HICON image : button->Button.Images)
            EXPECT_TRUE(IconAlive(image)) << "button " << i;
    }
}

void StartWithABrowser(ApplicationFixture& fixture, const std::wstring& userOptions) {
    CopyShippedSkins(fixture);
    CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
    WriteFileBytes(fixture.File(L"Here\\a.txt"), {'x'});
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=Here\r\n");
    WriteUtf16File(fixture.File(L"UserOptions.ini"), L"[Default]\r\n" + userOptions);
    fixture.Start();
}

CPathwren* g_aboutApplication = nullptr;
void CALLBACK OpenAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_aboutApplication->RunApplicationCommand(ApplicationCommandAbout);
}

const wchar_t kExpectedDpiVariable[] = L"PATHWREN_EXPECTED_DPI";

// What the window shows under a rectangle of the screen, top-down 0x00RRGGBB, read from the
// window itself whatever lies above it.
std::vector<DWORD> CaptureWindow(HWND window, RECT area, SIZE* size) {
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
    *size = {area.right - area.left, area.bottom - area.top};
    CWindowDc shown(window);
    std::vector<DWORD> pixels;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            COLORREF colour = GetPixel(shown.Get(), x, y);
            pixels.push_back(static_cast<DWORD>(GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour)));
        }
    }
    return pixels;
}

// Whether the icon shows somewhere in the captured area at its own size: where it is drawn, its
// opaque pixels appear as the icon holds them. Wine draws a few edge pixels of the shell's icons
// through their mask, so one in twenty may differ; a stretched or shrunk drawing misses far more.
bool ShowsIconUnscaled(const std::vector<DWORD>& screen, SIZE screenSize, HICON icon, int* opaqueCount) {
    std::vector<DWORD> iconPixels = ReadIconPixels(icon);
    int side = 0;
    while (side * side < static_cast<int>(iconPixels.size()))
        ++side;
    *opaqueCount = 0;
    for (DWORD pixel : iconPixels)
        *opaqueCount += (pixel >> 24) == 0xFF;
    int fewestDifferent = *opaqueCount + 1;
    for (int top = 0; top + side <= screenSize.cy; ++top) {
        for (int left = 0; left + side <= screenSize.cx; ++left) {
            int different = 0;
            for (int i = 0; i < side * side; ++i) {
                DWORD pixel = iconPixels[static_cast<size_t>(i)];
                different += (pixel >> 24) == 0xFF &&
                             (pixel & 0x00FFFFFF) !=
                                 screen[static_cast<size_t>((top + i / side) * screenSize.cx + left + i % side)];
            }
            fewestDifferent = std::min(fewestDifferent, different);
        }
    }
    return fewestDifferent <= *opaqueCount / 20;
}

size_t ButtonPixels(CShellBrowserContainerBase& browser) {
    return ReadIconPixels(browser.GetToolbar()->GetButton(0)->Button.Images[ToolbarButtonNormal]).size();
}

LONG Width(const RECT& r) {
    return r.right - r.left;
}
LONG Height(const RECT& r) {
    return r.bottom - r.top;
}

// A folder menu opened by its hotkey: its icons at the DPI's small icon size, drawn at that size,
// rows tall enough for them and their lift. Two browsers: one remembered at 96 DPI keeps its
// size on the screen, one from a file of before keeps its pixels; the toolbar scales.
void CheckMenuAndBrowsers(UINT dpi) {
    ApplicationFixture fixture;
    for (const wchar_t* folder : {L"Docs", L"Docs\\Sub", L"B", L"C"})
        CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
    WriteFileBytes(fixture.File(L"Docs\\Sub\\inside.txt"), {'x'}); // an empty folder would not show
    WriteFileBytes(fixture.File(L"Docs\\a.txt"), {'x'});
    WriteFileBytes(fixture.File(L"Docs\\b.txt"), {'x'});
    fixture.Configure(L"[Default]\r\nFolders=3\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                      L"HotKeyModifier=3\r\nHotKeyVirtualKey=120\r\n"
                      L"[Folders_1]\r\nFolderPresentationType=0\r\nPath=B\r\nBrowserWidth=400\r\n"
                      L"BrowserHeight=300\r\nBrowserSizeDpi=96\r\nWindowPositionX=40\r\nWindowPositionY=80\r\n"
                      L"[Folders_2]\r\nFolderPresentationType=0\r\nPath=C\r\nBrowserWidth=400\r\n"
                      L"BrowserHeight=300\r\nWindowPositionX=600\r\nWindowPositionY=80\r\n");
    fixture.Start();
    const int smallIcon = GetSystemMetricForDpi(SM_CXSMICON, dpi);
    const UINT newDpi = dpi * 3 / 2;
    HWND menuWindow = nullptr;
    HMENU menu = nullptr;
    const std::vector<std::function<bool()>> steps = {
        [&] {
            if (!fixture.Browser(1) || !fixture.Browser(2) || !fixture.Browser(1)->GetToolbar())
                return false; // the watchdog ends the run
            RECT clients[2] = {}, toolbarRect = {}, before = {}, afterChange = {};
            for (int item = 1; item <= 2; ++item)
                GetClientRect(fixture.Browser(static_cast<size_t>(item))->GetWindow(), &clients[item - 1]);
            EXPECT_EQ(ScaleForDpi(400, dpi), Width(clients[0]))
                << "a window remembered at 96 DPI keeps its screen size";
            EXPECT_EQ(ScaleForDpi(300, dpi), Height(clients[0]));
            EXPECT_EQ(400, Width(clients[1])) << "a file from before the DPI was stored holds pixels of this DPI";
            EXPECT_EQ(300, Height(clients[1]));
            CShellBrowserContainerBase& browser = *fixture.Browser(1);
            const int toolbarHeight = browser.GetToolbar()->GetHeight();
            GetWindowRect(browser.GetToolbar()->GetHandle(), &toolbarRect);
            EXPECT_EQ(ScaleForDpi(CShellBrowserContainerBase::kToolbarHeight, dpi), toolbarHeight);
            EXPECT_EQ(toolbarHeight, browser.GetToolbar()->GetMinHeight()) << "the buttons are as tall as the toolbar";
            EXPECT_EQ(toolbarHeight, Height(toolbarRect));
            EXPECT_EQ(static_cast<size_t>(toolbarHeight * toolbarHeight), ButtonPixels(browser))
                << "the skin's pictures are taken at the buttons' size";
            // The window brought to a monitor of half as large a scale again: Windows suggests
            // the client area grown as much inside the frame.
            GetWindowRect(browser.GetWindow(), &before);
            LONG frameWidth = Width(before) - Width(clients[0]), frameHeight = Height(before) - Height(clients[0]);
            RECT suggested = {before.left, before.top, before.left + Width(clients[0]) * 3 / 2 + frameWidth,
                              before.top + Height(clients[0]) * 3 / 2 + frameHeight};
            SendMessageW(browser.GetWindow(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                         reinterpret_cast<LPARAM>(&suggested));
            GetWindowRect(browser.GetWindow(), &afterChange);
            EXPECT_TRUE(EqualRect(&suggested, &afterChange)) << "a DPI change takes the suggested rectangle";
            const int changedHeight = browser.GetToolbar()->GetHeight();
            EXPECT_EQ(ScaleForDpi(CShellBrowserContainerBase::kToolbarHeight, newDpi), changedHeight);
            EXPECT_EQ(static_cast<size_t>(changedHeight * changedHeight), ButtonPixels(browser))
                << "the pictures are taken again at the new size";
            return true;
        },
        [&] { return PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 0, 0) != FALSE; },
        [&] {
            menuWindow = FindOwnWindow(L"#32768");
            menu = menuWindow ? reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)) : nullptr;
            return menu && GetMenuItemCount(menu) == 3;
        },
        [&] {
            // Deferred icons come with the first drawing: drawn once more, the menu shows the
            // icons its items hold now.
            return RedrawWindow(menuWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) != FALSE;
        },
        [&] {
            for (UINT position = 0; position < 3; ++position) {
                SCOPED_TRACE(position);
                MENUITEMINFOW item = {};
                item.cbSize = sizeof(item);
                item.fMask = MIIM_BITMAP | MIIM_DATA;
                GetMenuItemInfoW(menu, position, TRUE, &item);
                EXPECT_EQ(HBMMENU_CALLBACK, item.hbmpItem) << "drawn through the owner";
                auto icon = reinterpret_cast<HICON>(item.dwItemData);
                EXPECT_EQ(static_cast<size_t>(smallIcon * smallIcon), ReadIconPixels(icon).size())
                    << "the small icon size at " << dpi << " DPI";
                RECT row = {};
                GetMenuItemRect(nullptr, menu, position, &row);
                EXPECT_GE(Height(row), smallIcon + ScaleForDpi(2, dpi)) << "the icon and its lift fit the row";
                // The row and a margin round it, inside the menu window: where Wine puts the
                // item's own rectangle is its business, what is drawn in it ours.
                RECT around = row, window = {};
                InflateRect(&around, smallIcon / 2, smallIcon / 2);
                GetWindowRect(menuWindow, &window);
                IntersectRect(&around, &around, &window);
                SIZE captured = {};
                std::vector<DWORD> screen = CaptureWindow(menuWindow, around, &captured);
                int opaque = 0;
                EXPECT_TRUE(ShowsIconUnscaled(screen, captured, icon, &opaque)) << "the icon is drawn at its size";
                EXPECT_GE(opaque, smallIcon) << "too few opaque pixels to tell a stretched icon";
            }
            PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        },
        [&] { return FindOwnWindow(L"#32768") == nullptr; },
    };
    EXPECT_EQ(steps.size(), fixture.RunSteps(steps))
        << "stuck: 1 no browsers, 3 the menu never opened, 6 it never closed";

    // Saved at the scale the window ended at: the size, read at 96 DPI, is the first one.
    CIniFile saved(fixture.File(L"FoldersOptions.ini").c_str());
    INT savedDpi = 0, savedWidth = 0;
    saved.ReadInt(L"Folders_1", L"BrowserSizeDpi", 0, &savedDpi);
    saved.ReadInt(L"Folders_1", L"BrowserWidth", 0, &savedWidth);
    EXPECT_EQ(static_cast<INT>(newDpi), savedDpi);
    EXPECT_NEAR(400, UnscaleForDpi(savedWidth, newDpi), 1);
}

// A top bar with 32-pixel buttons, 2-pixel margins and a 3-pixel strip, all chosen at 96 DPI.
void CheckLaunchBar(UINT dpi) {
    ApplicationFixture fixture;
    CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=Here\r\n");
    fixture.Start();
    CLaunchBarOptions& options = fixture.application.m_pOptions->LaunchBarOptions;
    fixture.application.m_pOptions->LaunchMode = LaunchModeLaunchBar;
    options.Position = 1;
    options.UseFullScreenWidth = FALSE;
    options.IconSize = options.IconHeight = 32;
    options.MarginLeft = options.MarginTop = options.MarginRight = options.MarginBottom = 2;
    options.MinWidth = options.MinHeight = 0;
    options.HotCornerActiveWitdh = 3;
    const UINT newDpi = dpi * 3 / 2;
    fixture.RunWhile([&](HWND window) {
        CLaunchBar& bar = *fixture.application.m_pLaunchBar;
        EXPECT_EQ(dpi, bar.GetDpi());
        RECT button = {}, toolbar = {};
        ASSERT_TRUE(bar.GetButtonScreenRect(0, &button));
        GetWindowRect(bar.GetToolbarWindow(), &toolbar);
        EXPECT_EQ(ScaleForDpi(32, dpi), Width(button));
        EXPECT_EQ(ScaleForDpi(32, dpi), Height(button));
        EXPECT_EQ(ScaleForDpi(32, dpi) + 2 * ScaleForDpi(2, dpi), Height(toolbar)) << "button and margins";
        EXPECT_EQ(ScaleForDpi(3, dpi), Height(bar.GetHotWindow()->GetHotRect())) << "the strip's thickness";
        HICON icon = bar.GetToolbar()->GetButton(0)->Button.Images[ToolbarButtonNormal];
        EXPECT_EQ(static_cast<size_t>(Width(button) * Width(button)), ReadIconPixels(icon).size())
            << "the icon is taken at the button's size, so it is drawn unstretched";

        // Moved to a monitor of half as large a scale again, the bar lays itself out there.
        RECT suggested = toolbar;
        SendMessageW(bar.GetToolbarWindow(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                     reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(bar.GetToolbarWindow(), &toolbar);
        EXPECT_EQ(newDpi, bar.GetDpi());
        EXPECT_EQ(ScaleForDpi(32, newDpi) + 2 * ScaleForDpi(2, newDpi), Height(toolbar));
        EXPECT_EQ(ScaleForDpi(3, newDpi), Height(bar.GetHotWindow()->GetHotRect()));
        ASSERT_TRUE(bar.GetButtonScreenRect(0, &button));
        EXPECT_EQ(ScaleForDpi(32, newDpi), Width(button));
        EXPECT_EQ(toolbar.top, bar.GetHotWindow()->GetHotRect().top) << "docked again at the top";
        HICON changedIcon = bar.GetToolbar()->GetButton(0)->Button.Images[ToolbarButtonNormal];
        EXPECT_EQ(static_cast<size_t>(Width(button) * Width(button)), ReadIconPixels(changedIcon).size())
            << "taken again at the new size";
        EXPECT_FALSE(IconAlive(icon)) << "the picture of the old size is let go";
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
}

} // namespace

TEST(ColorScheme, TheDarkAppModeDarkensWhatWeDrawAndASwitchBackLightensIt) {
    AppMode appMode(false);
    ApplicationFixture fixture;
    StartWithABrowser(fixture, L"LaunchMode=1\r\n");
    g_aboutApplication = &fixture.application;
    CSkin darkSkin, lightSkin;
    darkSkin.LoadSkin(TRUE, L"Dark");
    lightSkin.LoadSkin(TRUE, L"Light");

    const ThemePalette dark = PaletteFor(ColorSchemeDark, FALSE);
    // Windows draws the menus; where it offers no dark ones (Wine) our parts match its light ones.
    CRuntimeModule uxtheme(L"uxtheme.dll");
    const bool darkMenus = uxtheme.Procedure<FARPROC>(MAKEINTRESOURCEA(135)) != nullptr;
    CShellBrowserContainerBase* browser = nullptr;
    HWND bar = nullptr, aboutBox = nullptr, darkToolbarWindow = nullptr;
    auto act = [](const std::function<void()>& action) { return [action] { return action(), true; }; };
    auto toolbarPixel = [&] {
        RECT client;
        GetClientRect(browser->GetToolbar()->GetHandle(), &client);
        // Between the middle and far buttons.
        return PrintedPixel(browser->GetToolbar()->GetHandle(), {client.right * 3 / 4, client.bottom / 2});
    };
    const std::vector<std::function<bool()>> steps = {
        [&] {
            browser = fixture.Browser(0);
            bar = fixture.application.m_pLaunchBar ? fixture.application.m_pLaunchBar->GetToolbarWindow() : nullptr;
            return browser && bar;
        },
        act([&] { browser->Show(TRUE); }),
        [&] { return IsWindowVisible(browser->GetWindow()) && browser->GetBrowser()->ListView(); },
        act([&] {
            EXPECT_EQ(ColorSchemeDark, CurrentColorScheme());
            EXPECT_EQ(darkMenus ? dark.MenuBackground : GetSysColor(COLOR_MENU), CurrentPalette().MenuBackground);
            EXPECT_EQ(dark.DialogBackground, PrintedPixel(bar, {1, 1})) << "launch bar";
            darkToolbarWindow = browser->GetToolbar()->GetHandle();
            EXPECT_EQ(darkSkin.BackgroundColor, toolbarPixel()) << "browser toolbar";
            ExpectMoveButtonOf(darkSkin, *browser->GetToolbar(), "Dark");
            EXPECT_EQ(dark.WindowBackground, ListView_GetBkColor(browser->GetBrowser()->ListView())) << "folder view";
            SetTimer(nullptr, 0, 10, OpenAbout);
        }),
        [&] { return (aboutBox = FindDialogTitled(L"About", false)) != nullptr; },
        act([&] {
            ExpectDarkWithLightText(GetDlgItem(aboutBox, IDC_ABOUT_LICENCE), "about box");
            PostMessageW(aboutBox, WM_COMMAND, IDOK, 0);
        }),
        [&] { return !IsWindow(aboutBox); },
        act([&] {
            appMode.SwitchTo(true);
            EXPECT_EQ(ColorSchemeLight, CurrentColorScheme());
            EXPECT_GT(Luma(PrintedPixel(bar, {1, 1})), 200) << "the bar's own white-to-black gradient starts white";
        }),
        // The toolbar is built again on the Light skin, once the handler of the switch is over.
        [&] {
            browser = fixture.Browser(0);
            return browser && browser->GetToolbar() && browser->GetToolbar()->GetHandle() != darkToolbarWindow;
        },
        act([&] {
            EXPECT_TRUE(browser->IsShown()) << "the window shown before the switch is shown after it";
            EXPECT_EQ(lightSkin.BackgroundColor, toolbarPixel()) << "the Light skin's background";
            ExpectMoveButtonOf(lightSkin, *browser->GetToolbar(), "Light");
            ExpectImagesAlive(*browser->GetToolbar());
            EXPECT_EQ(GetSysColor(COLOR_WINDOW), ListView_GetBkColor(browser->GetBrowser()->ListView()));
        }),
    };
    EXPECT_EQ(steps.size(), fixture.RunSteps(steps, true)) << "stuck before the step past the count";
}

TEST(ColorScheme, ASkinTheUserChoseStaysThroughASwitch) {
    AppMode appMode(false);
    ApplicationFixture fixture;
    StartWithABrowser(fixture, L"bUseSkin=1\r\nSkinName=Graphite\r\n");
    CSkin graphite;
    graphite.LoadSkin(TRUE, L"Graphite");
    CShellBrowserContainerBase* browser = nullptr;
    HWND toolbar = nullptr;
    const std::vector<std::function<bool()>> steps = {
        [&] { return (browser = fixture.Browser(0)) != nullptr && browser->GetToolbar(); },
        [&] { return toolbar = browser->GetToolbar()->GetHandle(), appMode.SwitchTo(true), true; },
        [&] {
            browser = fixture.Browser(0);
            EXPECT_EQ(toolbar, browser->GetToolbar()->GetHandle()) << "nothing built again";
            ExpectMoveButtonOf(graphite, *browser->GetToolbar(), "Graphite");
            return true;
        },
    };
    EXPECT_EQ(steps.size(), fixture.RunSteps(steps));
}

TEST(ColorScheme, AThemeChosenInTheOptionsOutranksTheAppModeAndIsSaved) {
    AppMode appMode(true);
    ApplicationFixture fixture;
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\n");
    WriteUtf16File(fixture.File(L"UserOptions.ini"), L"[Default]\r\nTheme=2\r\n");
    ColorScheme inDialog = ColorSchemeLight, afterSwitch = ColorSchemeDark, chosen = ColorSchemeDark;
    LRESULT shownTheme = -1;
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        inDialog = CurrentColorScheme();
        shownTheme = SendDlgItemMessageW(dialog, IDC_THEME, CB_GETCURSEL, 0, 0);
        ExpectDarkWithLightText(GetDlgItem(dialog, IDC_THEME_LABEL), "options dialog");
        Pick(dialog, IDC_THEME, ThemeLight);
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] {
        chosen = CurrentColorScheme();
        appMode.SwitchTo(false);
        afterSwitch = CurrentColorScheme();
    };
    ASSERT_TRUE(RunOptions(fixture, script));
    EXPECT_EQ(ColorSchemeDark, inDialog) << "Dark, fixed, under a light app mode";
    EXPECT_EQ(ThemeDark, shownTheme);
    EXPECT_EQ(ColorSchemeLight, chosen) << "Light, chosen with OK";
    EXPECT_EQ(ColorSchemeLight, afterSwitch) << "a fixed Light ignores the app mode's switch";
    EXPECT_NE(std::wstring::npos, ReadUtf16File(fixture.File(L"UserOptions.ini")).find(L"Theme=1"));
}

TEST(ColorScheme, HighContrastTurnsOurSurfacesToTheSystemColoursLive) {
    HIGHCONTRASTW before = {};
    before.cbSize = sizeof(before);
    SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(before), &before, 0);
    HIGHCONTRASTW on = before;
    on.dwFlags |= HCF_HIGHCONTRASTON;
    if (!SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(on), &on, SPIF_SENDCHANGE))
        GTEST_SKIP() << "this system (Wine 8) refuses to switch high contrast on";
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(before), &before, SPIF_SENDCHANGE);
    ApplicationFixture fixture;
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=Here\r\n");
    CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
    WriteUtf16File(fixture.File(L"UserOptions.ini"), L"[Default]\r\nLaunchMode=1\r\n");
    fixture.Start();
    ColorScheme scheme = ColorSchemeLight;
    COLORREF bar = 0, face = 1;
    fixture.RunWhile([&](HWND window) {
        SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(on), &on, SPIF_SENDCHANGE);
        scheme = CurrentColorScheme();
        face = GetSysColor(COLOR_BTNFACE);
        bar = PrintedPixel(fixture.application.m_pLaunchBar->GetToolbarWindow(), {1, 1});
        SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(before), &before, SPIF_SENDCHANGE);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ColorSchemeHighContrast, scheme);
    EXPECT_EQ(face, bar) << "the bar's gradient gives way to the face colour";
}

// Wine has one DPI per process, read as it starts, so each DPI runs in a copy of this program started
// with it; the copies report as Windows 10, whose menus are drawn through their owner.
TEST(DpiScaleChecks, MenusBarAndBrowserFollowTheSystemDpi) {
    if (!StartedAsVersionCopy())
        GTEST_SKIP() << "runs in the copies DpiScale starts at each DPI";
    wchar_t expected[16] = L"";
    GetEnvironmentVariableW(kExpectedDpiVariable, expected, 16);
    UINT dpi = GetSystemDpi();
    ASSERT_EQ(static_cast<UINT>(_wtoi(expected)), dpi) << "the copy did not start at the DPI it was given";
    {
        SCOPED_TRACE("menu and browsers");
        CheckMenuAndBrowsers(dpi);
    }
    SCOPED_TRACE("launch bar");
    CheckLaunchBar(dpi);
}

TEST(DpiScale, EveryCheckHoldsAt96_120_144And192Dpi) {
    if (!RunningOnWine())
        GTEST_SKIP() << "only Wine starts a copy of this program at another system DPI";
    for (UINT dpi : {96u, 120u, 144u, 192u}) {
        SetEnvironmentVariableW(kExpectedDpiVariable, std::to_wstring(dpi).c_str());
        VersionCopyRun run =
            RunCopyAtDpi(dpi, L"app_tests_dpi" + std::to_wstring(dpi) + L".exe", L"DpiScaleChecks.*", L"win10");
        SetEnvironmentVariableW(kExpectedDpiVariable, nullptr);
        EXPECT_TRUE(CopyPassed(run)) << "at " << dpi << " DPI";
    }
}
