// The real program on a display of two monitors, the second right of the primary and smaller:
// what the user put on the second monitor, or chose it for, stays there.
// two-monitors: TwoMonitors
#include "ApplicationFixture.h"

#include "lib/MonitorRect.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ContainerBase.h"
#include "containers/ShellBrowserContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

bool Inside(const RECT& inner, const RECT& outer) {
    RECT both;
    return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::string Describe(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "-" + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

class TwoMonitors : public ::testing::Test {
protected:
    void SetUp() override {
        monitors = EnumerateMonitors();
        if (monitors.size() < 2)
            GTEST_SKIP() << "needs a second monitor (under Wine: the test desktop of two monitors)";
        second = monitors[1];
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
    }

    // The item's browser window, with the program's loop running while during() runs.
    void RunBrowser(const std::wstring& itemKeys, const std::function<void(CShellBrowserContainerBase&)>& during) {
        fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=Here\r\nFolderPresentationType=0\r\n" +
                          itemKeys);
        fixture.Start();
        fixture.RunWhile([&](HWND window) {
            CShellBrowserContainerBase* browser = fixture.Browser(0);
            ASSERT_NE(nullptr, browser);
            during(*browser);
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
    }

    std::vector<MonitorAreas> monitors;
    MonitorAreas second = {};
    ApplicationFixture fixture;
};

} // namespace

TEST_F(TwoMonitors, TheBarStandsAndShowsAtTheEdgeOfTheMonitorItWasGiven) {
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=Here\r\n");
    fixture.Start();
    CApplicationOptions& options = *fixture.application.m_pOptions;
    options.LaunchMode = LaunchModeLaunchBar;
    options.LaunchBarOptions.Position = 6; // bottom centre
    options.LaunchBarOptions.ScreenIndex = 1;
    options.LaunchBarOptions.UseFullScreenWidth = FALSE;
    fixture.RunWhile([&](HWND window) {
        CLaunchBar* bar = fixture.application.m_pLaunchBar;
        ASSERT_NE(nullptr, bar);
        RECT strip = bar->GetHotWindow()->GetHotRect();
        EXPECT_TRUE(Inside(strip, second.Work)) << Describe(strip);
        EXPECT_EQ(second.Work.bottom, strip.bottom) << "the strip lies along the second monitor's bottom edge";
        POINT rest = Centre(strip);
        SetCursorPos(rest.x, rest.y);
        HWND toolbar = bar->GetToolbarWindow();
        EXPECT_TRUE(PumpMessagesUntil([&] { return IsWindowVisible(toolbar) != FALSE; }, 5000));
        RECT shown = {};
        GetWindowRect(toolbar, &shown);
        EXPECT_TRUE(Inside(shown, second.Work)) << Describe(shown);
        SetCursorPos(640, 512);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
}

TEST_F(TwoMonitors, ABrowserWindowOnTheSecondMonitorIsMaximizedAndRefittedThere) {
    const std::wstring onSecond = L"WindowPositionX=" + std::to_wstring(second.Work.left + 100) +
                                  L"\r\nWindowPositionY=" + std::to_wstring(second.Work.top + 100) +
                                  L"\r\nBrowserWidth=300\r\nBrowserHeight=200\r\n";
    RunBrowser(onSecond, [&](CShellBrowserContainerBase& browser) {
        ASSERT_TRUE(browser.Show(TRUE));
        HWND window = browser.GetWindow();
        RECT rect = {};
        GetWindowRect(window, &rect);
        EXPECT_TRUE(Inside(rect, second.Work)) << "shown at " << Describe(rect);

        browser.ToggleMaximize();
        RECT maximized = second.Work;
        maximized.top += browser.ToolbarHeight();
        GetWindowRect(window, &rect);
        EXPECT_TRUE(EqualRect(&rect, &maximized)) << "maximized to " << Describe(rect);
        browser.ToggleMaximize();

        // Half off the second monitor's bottom edge: a display change brings it back onto that
        // monitor, not onto the primary.
        SetWindowPos(window, nullptr, second.Work.left + 50, second.Work.bottom - 50, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
        GetWindowRect(window, &rect);
        EXPECT_TRUE(Inside(rect, second.Work)) << "refitted to " << Describe(rect);
    });
}

TEST_F(TwoMonitors, AHotCornerOfTheSecondMonitorShowsTheWindow) {
    // Position 3: the bottom right corner, of monitor 1 in the settings' count.
    RunBrowser(L"EnableHotCorner=1\r\nHotCornerScreenIndex=1\r\nHotCornerPosition=3\r\n",
               [&](CShellBrowserContainerBase& browser) {
                   HWND window = browser.GetWindow();
                   ASSERT_FALSE(IsWindowVisible(window));
                   SetCursorPos(monitors[0].Monitor.right - 4, monitors[0].Monitor.bottom - 4);
                   PumpMessagesUntil([] { return false; }, 600);
                   EXPECT_FALSE(IsWindowVisible(window)) << "the primary monitor's corner is not the item's";
                   SetCursorPos(second.Monitor.right - 4, second.Monitor.bottom - 4);
                   EXPECT_TRUE(PumpMessagesUntil([&] { return IsWindowVisible(window) != FALSE; }, 5000));
                   SetCursorPos(640, 512);
               });
}
