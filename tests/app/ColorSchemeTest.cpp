// The real program in the user's colours: Windows' dark app mode darkens every surface we draw and
// a switch back at run time lightens them; a Theme fixed in the options outranks the app mode.
#include "ApplicationFixture.h"
#include "OptionsDialogScript.h"

#include "config/ApplicationOptions.h"
#include "config/Skin.h"
#include "containers/ShellBrowserContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "lib/RuntimeModule.h"
#include "lib/ThemePalette.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/Icons.h"
#include "support/PrintedWindow.h"
#include "support/SourceTree.h"

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
    AppMode() {
        DWORD size = sizeof(m_saved);
        m_hadValue = RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr,
                                  &m_saved, &size) == ERROR_SUCCESS;
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

// The skins as they ship, beside the program.
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

// Starts the program with the shipped skins and one browser item of a folder holding a file.
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

} // namespace

TEST(ColorScheme, TheDarkAppModeDarkensWhatWeDrawAndASwitchBackLightensIt) {
    AppMode appMode;
    appMode.Set(false);
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
    AppMode appMode;
    appMode.Set(false);
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
    AppMode appMode;
    appMode.Set(true);
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
