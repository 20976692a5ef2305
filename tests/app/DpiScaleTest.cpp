// The real program at the scales users run: what it sizes itself follows the DPI, and icons are
// drawn at the size they were taken at. Wine has one DPI per process, read at its start, so each DPI
// runs in a copy of this program, reporting as Windows 10, whose menus are drawn through their owner.
#include "ApplicationFixture.h"

#include "config/ApplicationOptions.h"
#include "config/IniFile.h"
#include "containers/ShellBrowserContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "lib/Dpi.h"
#include "lib/WindowDc.h"
#include "support/FileFixtures.h"
#include "support/Icons.h"
#include "support/WindowSearch.h"
#include "support/Wine.h"
#include "support/WindowsVersionCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

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

// The pixels of the first button's picture on the item's browser toolbar.
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
