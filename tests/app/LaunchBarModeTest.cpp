// The real program in "Launch Bar" mode: one hidden bar of a button per item, auto-hiding under a
// real cursor, its own menu ending the program with the items saved; on a second monitor, what the
// user put or chose there stays there.
// two-monitors: TwoMonitors
#include "ApplicationFixture.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "containers/LaunchBarContainerBase.h"
#include "containers/ShellBrowserContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "lib/MonitorRect.h"
#include "menus/PopUpMenu.h"
#include "support/GdiObjectCounter.h"
#include "support/MarkerScript.h"
#include "support/MenuTexts.h"
#include "support/MessagePump.h"
#include "support/RectCompare.h"
#include "support/Soak.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class LaunchBarMode : public ::testing::Test {
protected:
    // Starts the program with two menu items on a bar at the position and runs during() in its loop.
    // Unless closeAtOnce is false, the program is closed as soon as during() returns.
    void Run(UINT position, const std::function<void(CLaunchBar&, HWND toolbar)>& during, bool closeAtOnce = true,
             UINT screenIndex = 0) {
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
        CreateDirectoryW(fixture.File(L"There").c_str(), nullptr);
        WriteMarkerScript(fixture.File(L"Here\\b.cmd"), fixture.File(L"ran.txt"), "ran");
        // Ctrl+Alt+F9 shows the first item's menu.
        fixture.Configure(L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nPath=Here\r\nHotKeyModifier=3\r\n"
                          L"HotKeyVirtualKey=120\r\n[Folders_1]\r\nPath=There\r\n");
        fixture.Start();
        CApplicationOptions& options = *fixture.application.m_pOptions;
        options.LaunchMode = LaunchModeLaunchBar;
        options.LaunchBarOptions.Position = position;
        options.LaunchBarOptions.ScreenIndex = screenIndex;
        options.LaunchBarOptions.UseFullScreenWidth = FALSE;
        fixture.RunWhile([&](HWND window) {
            CLaunchBar* bar = fixture.application.m_pLaunchBar;
            ASSERT_NE(nullptr, bar);
            during(*bar, bar->GetToolbarWindow());
            if (closeAtOnce)
                PostMessageW(window, WM_CLOSE, 0, 0);
        });
    }

    ApplicationFixture fixture;
};

// Rests the cursor in the bar's strip until the bar shows.
bool RestInStrip(CLaunchBar& bar) {
    POINT rest = Centre(bar.GetHotWindow()->GetHotRect());
    SetCursorPos(rest.x, rest.y);
    return PumpMessagesUntil([&] { return IsWindowVisible(bar.GetToolbarWindow()) != FALSE; }, 5000);
}

// A cursor passing through the strip is HotWindowDesktop's business, where each edge puts it
// LaunchBarWindow's; here a resting cursor shows the running program's bar, kept while on the bar.
TEST_F(LaunchBarMode, TheBarShowsForACursorRestingInItsStripAndHidesAfterLeaving) {
    Run(3, [&](CLaunchBar& bar, HWND toolbar) {
        ASSERT_TRUE(RestInStrip(bar));
        RECT barRect = {};
        GetWindowRect(toolbar, &barRect);
        POINT onBar = Centre(barRect);
        onBar.x += 8; // away from the left edge, out of the strip
        SetCursorPos(onBar.x, onBar.y);
        PumpMessagesUntil([] { return false; }, 1200);
        EXPECT_TRUE(IsWindowVisible(toolbar)) << "hidden while the cursor is on the bar";

        HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 500, 500, 50, 50, nullptr, nullptr,
                                     nullptr, nullptr);
        SetForegroundWindow(other);
        SetCursorPos(640, 512);
        EXPECT_TRUE(PumpMessagesUntil([&] { return !IsWindowVisible(toolbar); }, 5000)) << "still shown";
        EXPECT_EQ(other, GetForegroundWindow()) << "the foreground is given back";
        DestroyWindow(other);
    });
}

TEST_F(LaunchBarMode, ItemsBecomeButtonsOfOneHiddenBarWhoseOwnMenuExitsWithTheItemsSaved) {
    Run(6, [&](CLaunchBar& bar, HWND toolbar) {
        EXPECT_EQ(1u, WindowsOfClass(CTransparentToolbar::ClassName, GetCurrentProcessId(), false).size());
        EXPECT_FALSE(IsWindowVisible(toolbar));
        ASSERT_EQ(2u, bar.GetToolbar()->GetButtonCount());
        for (UINT i = 0; i < 2; ++i) {
            WCHAR name[MAX_PATH];
            fixture.application.m_folders[i]->GetDisplayName(name);
            EXPECT_STREQ(name, bar.GetToolbar()->GetButton(i)->Button.Tooltip);
            EXPECT_EQ(static_cast<ILaunchBarItem*>(ContainerOf(*fixture.application.m_folders[i])), bar.GetItem(i));
        }
        EXPECT_EQ(toolbar, fixture.application.m_pLaunchBarContainer->GetOwnerWindow());
        EXPECT_EQ(fixture.application.m_pLanguage->Options,
                  MenuItemTexts(fixture.application.m_pLaunchBarContainer->PrepareContextMenu()->GetHandle())[0]);

        DeleteFileW(fixture.File(L"FoldersOptions.ini").c_str());
        ChooseMenuEntryWhenShown(1, VK_UP); // the last entry, Exit
        RECT barRect = {};
        GetWindowRect(toolbar, &barRect);
        bar.OnToolbarRightClicked(bar.GetToolbar(), Centre(barRect));
        MSG close = {};
        EXPECT_TRUE(PeekMessageW(&close, fixture.application.m_hMainWindow, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
            << "Exit asks the main window to close";
    });
    EXPECT_EQ(2, fixture.SavedItemCount());
    EXPECT_EQ(nullptr, fixture.application.m_pLaunchBar);
}

// Drives the next menu this process shows: notes where it opened, moves the cursor far from the bar
// and, once more than two leave periods have passed with the bar watched, presses the keys (none:
// something else must close the menu).
struct MenuDrive {
    HWND bar = nullptr;
    HWND closeWhenGone = nullptr; // the main window, closed once the menu has gone
    std::vector<UINT> keys;
    DWORD openedAt = 0;
    RECT menu = {};
    POINT cursor = {};
    bool barStayed = true;
} g_drive;

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindOwnWindow(L"#32768");
    if (!menu && g_drive.openedAt && g_drive.closeWhenGone) {
        KillTimer(nullptr, timer);
        PostMessageW(g_drive.closeWhenGone, WM_CLOSE, 0, 0);
    }
    if (!menu)
        return;
    if (!g_drive.openedAt) {
        g_drive.openedAt = GetTickCount();
        GetWindowRect(menu, &g_drive.menu);
        GetCursorPos(&g_drive.cursor);
        SetCursorPos(640, 300);
        return;
    }
    g_drive.barStayed &= IsWindowVisible(g_drive.bar) != FALSE;
    if (g_drive.keys.empty() || GetTickCount() - g_drive.openedAt < 1200)
        return;
    KillTimer(nullptr, timer);
    for (UINT key : g_drive.keys)
        PostMessageW(menu, WM_KEYDOWN, key, 0);
}

UINT_PTR DriveNextMenu(HWND bar, std::vector<UINT> keys, HWND closeWhenGone = nullptr) {
    g_drive = MenuDrive{bar, closeWhenGone, std::move(keys)};
    return SetTimer(nullptr, 0, 20, DriveMenu);
}

TEST_F(LaunchBarMode, MenusFromTheBarKeepItShownWhileLeavingClosesAnyOtherMenu) {
    UINT_PTR hotkeyDrive = 0;
    Run(
        6,
        [&](CLaunchBar& bar, HWND toolbar) {
            // A click on a button, through the item's real folder menu, to the script chosen by keys.
            ASSERT_TRUE(RestInStrip(bar));
            RECT button = {};
            bar.GetButtonScreenRect(0, &button);
            POINT click = Centre(button);
            SetCursorPos(click.x, click.y);
            UINT_PTR drive = DriveNextMenu(toolbar, {VK_DOWN, VK_RETURN});
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
            PumpMessagesUntil([&] { return g_drive.openedAt && !IsWindowVisible(toolbar); }, 5000);
            KillTimer(nullptr, drive);
            EXPECT_NE(0u, g_drive.openedAt) << "the button showed no menu";
            EXPECT_TRUE(g_drive.barStayed) << "hidden while its menu was open";
            EXPECT_FALSE(IsWindowVisible(toolbar)) << "still shown after the menu closed";
            EXPECT_EQ("ran", WaitForMarkerLine(fixture.File(L"ran.txt")));

            // A right click on the background of a bottom bar: the bar's menu, opening upward.
            ASSERT_TRUE(RestInStrip(bar));
            RECT barRect = {};
            GetWindowRect(toolbar, &barRect);
            drive = DriveNextMenu(toolbar, {VK_ESCAPE});
            bar.OnToolbarRightClicked(bar.GetToolbar(), Centre(barRect));
            KillTimer(nullptr, drive);
            ASSERT_NE(0u, g_drive.openedAt) << "the background showed no menu";
            EXPECT_LE(g_drive.menu.bottom, Centre(barRect).y) << "the menu opened downward";
            EXPECT_TRUE(g_drive.barStayed);

            // The hotkey's menu opens at the cursor, in the app's loop once this returns; leaving the
            // bar closes it.
            ASSERT_TRUE(RestInStrip(bar));
            hotkeyDrive = DriveNextMenu(toolbar, {}, fixture.application.m_hMainWindow);
            // What the system posts for the item's Ctrl+Alt+F9. Typed here, the keys open nothing under
            // Wine, bar shown or hidden, though they do in tray mode (MenuLaunchEndToEnd).
            PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, VK_F9));
        },
        false);
    KillTimer(nullptr, hotkeyDrive);
    ASSERT_NE(0u, g_drive.openedAt) << "the hotkey showed no menu";
    bool atCorner = false;
    for (LONG x : {g_drive.menu.left, g_drive.menu.right})
        for (LONG y : {g_drive.menu.top, g_drive.menu.bottom})
            atCorner |= std::abs(x - g_drive.cursor.x) <= 2 && std::abs(y - g_drive.cursor.y) <= 2;
    EXPECT_TRUE(atCorner) << "the menu is not at the cursor";
    EXPECT_FALSE(fixture.WatchdogFired()) << "leaving the bar did not close the hotkey's menu";
}

bool Inside(const RECT& inner, const RECT& outer) {
    RECT both;
    return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

class TwoMonitors : public LaunchBarMode {
protected:
    void SetUp() override {
        monitors = EnumerateMonitors();
        if (monitors.size() < 2)
            GTEST_SKIP() << "needs a second monitor (under Wine: the test desktop of two monitors)";
        second = monitors[1];
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
    }

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
};

} // namespace

TEST_F(LaunchBarMode, SoakOfRebuildsAndShowHideCyclesGivesBackWhatItTakes) {
    const int rebuilds = SoakCycles(20, 200);
    const int cycles = SoakCycles(100, 1000);
    Run(6, [&](CLaunchBar&, HWND) {
        CPathwren& application = fixture.application;
        // What the options dialog's OK does: the items, their containers and the bar made anew.
        auto rebuild = [&] {
            application.StoreContainersState();
            application.LoadFolders();
            application.CreateContainers();
        };
        auto showAndHide = [&](int count) {
            CLaunchBar& bar = *application.m_pLaunchBar;
            for (int i = 0; i < count; ++i) {
                BOOL useKeepRect = FALSE;
                RECT keepRect = {};
                bar.OnHotWindowEnter(bar.GetHotWindow(), &useKeepRect, &keepRect);
                bar.OnHotWindowLeave(bar.GetHotWindow());
            }
            PumpPendingMessages();
        };
        rebuild(); // the first rebuild settles what lives as long as the process (icons, GDI+)
        showAndHide(1);
        long start = GdiObjectCounter::Read();
        long long bytesBefore = PrivateBytes();
        long half = 0;
        for (int i = 0; i < rebuilds; ++i) {
            rebuild();
            showAndHide(cycles / rebuilds);
            if (i + 1 == rebuilds / 2)
                half = GdiObjectCounter::Read();
        }
        long end = GdiObjectCounter::Read();
        long long bytesAfter = PrivateBytes();
        std::printf("launch bar soak: GDI objects %ld -> %ld -> %ld, private bytes %+lld KB\n", start, half, end,
                    (bytesAfter - bytesBefore) / 1024);
        EXPECT_EQ(half, end) << "a leak of one object per rebuild shows here";
        EXPECT_LT(bytesAfter - bytesBefore, 1024 * 1024);
        EXPECT_EQ(1u, WindowsOfClass(CTransparentToolbar::ClassName, GetCurrentProcessId(), false).size());
    });
}

TEST_F(TwoMonitors, TheBarStandsAndShowsAtTheEdgeOfTheMonitorItWasGiven) {
    Run(
        6, // bottom centre
        [&](CLaunchBar& bar, HWND toolbar) {
            RECT strip = bar.GetHotWindow()->GetHotRect();
            EXPECT_TRUE(Inside(strip, second.Work)) << strip;
            EXPECT_EQ(second.Work.bottom, strip.bottom) << "the strip lies along the second monitor's bottom edge";
            EXPECT_TRUE(RestInStrip(bar));
            RECT shown = {};
            GetWindowRect(toolbar, &shown);
            EXPECT_TRUE(Inside(shown, second.Work)) << shown;
            SetCursorPos(640, 512);
        },
        true, 1);
}

// Hot corner position 3 is the bottom right corner, of monitor 1 in the settings' count.
TEST_F(TwoMonitors, AHotCornerOfTheSecondMonitorShowsTheWindowWhichIsMaximizedAndRefittedThere) {
    RunBrowser(L"WindowPositionX=" + std::to_wstring(second.Work.left + 100) + L"\r\nWindowPositionY=" +
                   std::to_wstring(second.Work.top + 100) + L"\r\nBrowserWidth=300\r\nBrowserHeight=200\r\n" +
                   L"EnableHotCorner=1\r\nHotCornerScreenIndex=1\r\nHotCornerPosition=3\r\n",
               [&](CShellBrowserContainerBase& browser) {
                   HWND window = browser.GetWindow();
                   ASSERT_FALSE(IsWindowVisible(window));
                   SetCursorPos(monitors[0].Monitor.right - 4, monitors[0].Monitor.bottom - 4);
                   PumpMessagesUntil([] { return false; }, 600);
                   EXPECT_FALSE(IsWindowVisible(window)) << "the primary monitor's corner is not the item's";
                   SetCursorPos(second.Monitor.right - 4, second.Monitor.bottom - 4);
                   ASSERT_TRUE(PumpMessagesUntil([&] { return IsWindowVisible(window) != FALSE; }, 5000));
                   SetCursorPos(640, 512);
                   RECT rect = {};
                   GetWindowRect(window, &rect);
                   EXPECT_TRUE(Inside(rect, second.Work)) << "shown at " << rect;

                   browser.ToggleMaximize();
                   RECT maximized = second.Work;
                   maximized.top += browser.ToolbarHeight();
                   GetWindowRect(window, &rect);
                   EXPECT_EQ(maximized, rect) << "maximized";
                   browser.ToggleMaximize();

                   // Half off the second monitor's bottom edge: a display change brings it back onto
                   // that monitor, not onto the primary.
                   SetWindowPos(window, nullptr, second.Work.left + 50, second.Work.bottom - 50, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                   SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
                   GetWindowRect(window, &rect);
                   EXPECT_TRUE(Inside(rect, second.Work)) << "refitted to " << rect;
               });
}
