#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "containers/NotifyIcon.h"
#include "containers/ShellBrowserContainerBase.h"
#include "menus/PopUpMenu.h"
#include "support/FileFixtures.h"
#include "support/MenuTexts.h"
#include "support/MessagePump.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> ListedNames(HWND listView) {
    std::vector<std::wstring> names;
    int count = ListView_GetItemCount(listView);
    for (int i = 0; i < count; ++i) {
        wchar_t name[MAX_PATH] = L"";
        ListView_GetItemText(listView, i, 0, name, MAX_PATH);
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(BrowserItem, TrayAndHotkeyShowTheFilteredFolderAndClosingOnlyHides) {
    ApplicationFixture fixture;
    CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
    for (const wchar_t* name : {L"kept.txt", L"other.txt", L"dropped.log"})
        WriteFileBytes(fixture.File(L"Here\\") + name, {'x'});
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=Here\r\n"
                      L"ExclusionFilters=*.log\r\nFolderViewMode=3\r\nHotKeyModifier=3\r\nHotKeyVirtualKey=120\r\n");
    fixture.Start();

    CShellBrowserContainerBase* container = nullptr;
    HWND window = nullptr;
    std::vector<std::wstring> listed;
    bool focused = false;
    auto act = [](const std::function<void()>& action) { return [action] { return action(), true; }; };
    auto shown = [&] { return IsWindowVisible(window) != FALSE; };
    auto hidden = [&] { return !IsWindowVisible(window) && IsWindow(window); };
    auto hotkey = act([&] { PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 0, 0); });
    Texts menu;
    const std::vector<std::function<bool()>> steps = {
        [&] {
            container = fixture.Browser(0);
            if (!container || !container->GetNotifyIcon())
                return false; // the watchdog ends the run
            window = container->GetWindow();
            menu = MenuItemTexts(container->PrepareContextMenu()->GetHandle());
            return true;
        },
        act([&] { PostMessageW(container->GetNotifyIcon()->m_hWnd, WM_NOTIFY_ICON_CALLBACK, 0, WM_LBUTTONUP); }),
        shown,
        [&] {
            listed = ListedNames(container->GetBrowser()->ListView());
            focused = GetFocus() == container->GetBrowser()->ListView();
            return listed.size() == 2;
        },
        hotkey,
        hidden,
        hotkey,
        shown,
        act([&] { PostMessageW(window, WM_CLOSE, 0, 0); }),
        hidden,
    };
    size_t done = fixture.RunSteps(steps);
    ASSERT_NE(nullptr, container) << "a Browser item gets a browser window with a tray icon";
    EXPECT_EQ(steps.size(), done) << "stuck: 2 tray click shows, 5 hotkey hides, 7 hotkey shows, 9 close hides";
    EXPECT_EQ((std::vector<std::wstring>{L"kept.txt", L"other.txt"}), listed) << "the item's filters apply";
    EXPECT_TRUE(focused) << "the list view takes the keys";
    menu.resize(std::min<size_t>(menu.size(), 2));
    EXPECT_EQ((Texts{L"Show / Hide", L"Maximize / Reduce"}), menu) << "the first entries of the item's menu";
}

TEST(BrowserItem, EachWindowsPlaceSizeAndMaximizingSurviveExitAndRestart) {
    const std::wstring folders = L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=A\r\n"
                                 L"[Folders_1]\r\nFolderPresentationType=0\r\nPath=B\r\n";
    // Where the user leaves each window; the second one then maximized.
    const RECT placed[] = {{100, 120, 420, 360}, {500, 300, 900, 700}};
    auto run = [](ApplicationFixture& fixture, const std::function<void(CShellBrowserContainerBase&, int)>& each) {
        for (const wchar_t* folder : {L"A", L"B"})
            CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
        fixture.Start();
        fixture.RunWhile([&](HWND mainWindow) {
            for (int i = 0; i < 2; ++i) {
                if (CShellBrowserContainerBase* container = fixture.Browser(static_cast<size_t>(i)))
                    each(*container, i);
            }
            PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        });
    };
    ApplicationFixture first;
    first.Configure(folders);
    run(first, [&](CShellBrowserContainerBase& container, int i) {
        const RECT& at = placed[i];
        SetWindowPos(container.GetWindow(), nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top, 0);
        if (i == 1)
            container.ToggleMaximize();
    });

    ApplicationFixture second;
    second.Configure(ReadUtf16File(first.File(L"FoldersOptions.ini")));
    RECT shown[2] = {}, restored = {}, maximized = {};
    run(second, [&](CShellBrowserContainerBase& container, int i) {
        GetWindowRect(container.GetWindow(), &shown[i]);
        // Maximized on the monitor the window stands on.
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(container.GetWindow(), MONITOR_DEFAULTTONEAREST), &monitor);
        if (i == 1)
            maximized = monitor.rcWork;
        if (i == 1) {
            container.ToggleMaximize();
            GetWindowRect(container.GetWindow(), &restored);
        }
    });
    maximized.top += CShellBrowserContainerBase::kToolbarHeight;
    auto corners = [](const RECT& r) { return std::vector<LONG>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(corners(placed[0]), corners(shown[0]));
    EXPECT_EQ(corners(maximized), corners(shown[1])) << "the second window starts maximized";
    EXPECT_EQ(corners(placed[1]), corners(restored));
}
