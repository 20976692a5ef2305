// A browser item through the real program: shown from the tray and its hotkey, its windows' places
// and its home folder's icon arrangement kept over an exit and a start, and keys pressed in a
// window that hangs in the desktop.
#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "containers/NotifyIcon.h"
#include "containers/ShellBrowserContainerBase.h"
#include "menus/PopUpMenu.h"
#include "support/DesktopStandIn.h"
#include "support/FileFixtures.h"
#include "support/MenuTexts.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
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

using Arrangement = std::map<std::wstring, std::pair<int, int>>;

Arrangement SavedArrangement(const std::wstring& foldersFile) {
    std::unique_ptr<CGenericPathwrenObject> item(
        CIniFileEx<CGenericPathwrenObject>(foldersFile.c_str()).Load(L"Folders_0"));
    Arrangement arrangement;
    for (const HomeFolderIconPosition& icon :
         item && item->HomeFolderIconPositions ? *item->HomeFolderIconPositions : std::vector<HomeFolderIconPosition>())
        arrangement[icon.Name] = {icon.X, icon.Y};
    return arrangement;
}

} // namespace

TEST(BrowserItem, TheTrayShowsTheFilteredFolderAndTheHotkeyHidesIt) {
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
        [&] { return IsWindowVisible(window) != FALSE; },
        [&] {
            listed = ListedNames(container->GetBrowser()->ListView());
            focused = GetFocus() == container->GetBrowser()->ListView();
            return listed.size() == 2;
        },
        act([&] { PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 0, 0); }),
        [&] { return !IsWindowVisible(window) && IsWindow(window); },
    };
    size_t done = fixture.RunSteps(steps);
    ASSERT_NE(nullptr, container) << "a Browser item gets a browser window with a tray icon";
    EXPECT_EQ(steps.size(), done) << "stuck: 2 tray click shows, 5 hotkey hides";
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
            for (int i = 0; i < 2; ++i)
                if (CShellBrowserContainerBase* container = fixture.Browser(static_cast<size_t>(i)))
                    each(*container, i);
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
        if (i == 1) {
            // Maximized on the monitor the window stands on.
            MONITORINFO monitor = {};
            monitor.cbSize = sizeof(monitor);
            GetMonitorInfoW(MonitorFromWindow(container.GetWindow(), MONITOR_DEFAULTTONEAREST), &monitor);
            maximized = monitor.rcWork;
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

TEST(BrowserIconArrangement, SavedPlacesSurviveAStartWithoutTheWindowAndOnlyTheIconTheUserMovedChanges) {
    const Arrangement saved = {{L"Alpha", {310, 20}}, {L"Beta", {20, 210}}, {L"Gamma", {190, 130}}};
    const std::wstring savedFile =
        L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=Home\r\nFolderViewMode=0\r\n"
        L"SaveIconsPositionsForHomeFolder=1\r\nBrowserWidth=500\r\nBrowserHeight=400\r\nWindowPositionX=60\r\n"
        L"WindowPositionY=60\r\nNbIconsInHomeFolder=3\r\nHomeFolderItemName_0=Alpha\r\nHomeFolderItemPosX_0=310\r\n"
        L"HomeFolderItemPosY_0=20\r\nHomeFolderItemName_1=Beta\r\nHomeFolderItemPosX_1=20\r\n"
        L"HomeFolderItemPosY_1=210\r\nHomeFolderItemName_2=Gamma\r\nHomeFolderItemPosX_2=190\r\n"
        L"HomeFolderItemPosY_2=130\r\n";
    auto prepare = [](ApplicationFixture& fixture, const std::wstring& foldersFile) {
        CreateDirectoryW(fixture.File(L"Home").c_str(), nullptr);
        for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma"})
            CreateDirectoryW(fixture.File(L"Home\\" + std::wstring(name)).c_str(), nullptr);
        fixture.Configure(foldersFile);
        fixture.Start();
    };

    // Started and closed without the window ever shown: the shell's default grid never counts.
    ApplicationFixture unseen;
    prepare(unseen, savedFile);
    unseen.RunAndClose();
    EXPECT_EQ(saved, SavedArrangement(unseen.File(L"FoldersOptions.ini")))
        << "after a start and an exit with the window hidden";

    // Shown this time: the icons come back to their places, the user drags one, and only that one moves.
    ApplicationFixture shown;
    prepare(shown, ReadUtf16File(unseen.File(L"FoldersOptions.ini")));
    CShellBrowserContainerBase* container = nullptr;
    HWND listView = nullptr;
    auto find = [&](const std::wstring& name) {
        LVFINDINFOW query = {};
        query.flags = LVFI_STRING;
        query.psz = name.c_str();
        return ListView_FindItem(listView, -1, &query);
    };
    auto standsAt = [&](const std::wstring& name, std::pair<int, int> wanted) {
        POINT place = {};
        return ListView_GetItemPosition(listView, find(name), &place) && place.x == wanted.first &&
               place.y == wanted.second;
    };
    const std::vector<std::function<bool()>> steps = {
        [&] { return (container = shown.Browser(0)) != nullptr && container->Show(TRUE); },
        [&] {
            listView = container->GetBrowser()->ListView();
            for (const auto& icon : saved)
                if (!standsAt(icon.first, icon.second))
                    return false;
            return true;
        },
        [&] {
            ListView_SetItemPosition32(listView, find(L"Beta"), 300, 40);
            return true;
        },
        [&] {
            return standsAt(L"Beta", {300, 40});
        },
    };
    EXPECT_EQ(steps.size(), shown.RunSteps(steps)) << "stuck: 1 shows, 2 waits for the saved places, 4 for the drag";
    Arrangement moved = saved;
    moved[L"Beta"] = {300, 40};
    EXPECT_EQ(moved, SavedArrangement(shown.File(L"FoldersOptions.ini"))) << "after the user moved Beta";
}

// Keys pressed in a browser window that hangs in the desktop, through the program's message loop.
TEST(DesktopHungBrowserKeys, BrowserBackPressedInTheWindowNavigates) {
    DesktopStandIn standIn;
    HWND desktop = standIn.ListView();
    ASSERT_NE(nullptr, desktop);
    {
        ApplicationFixture fixture;
        const std::wstring home = fixture.File(L"Home"), sub = fixture.File(L"Home\\sub");
        CreateDirectoryW(home.c_str(), nullptr);
        CreateDirectoryW(sub.c_str(), nullptr);
        fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=Home\r\n"
                          L"ZOrder=2\r\n");
        fixture.Start();
        CShellBrowserContainerBase* container = nullptr;
        // On Windows the active window is then Explorer's, whose input the window shares; under Wine
        // another window of this thread plays it.
        HWND elsewhere = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20,
                                         nullptr, nullptr, nullptr, nullptr);
        const std::vector<std::function<bool()>> steps = {
            [&] {
                container = fixture.Browser(0);
                return container && container->Show(TRUE) && GetAncestor(container->GetWindow(), GA_PARENT) == desktop;
            },
            [&] {
                SetActiveWindow(elsewhere);
                return GetActiveWindow() == elsewhere && SUCCEEDED(container->GetBrowser()->BrowseToPath(sub.c_str()));
            },
            // Posted to the list view, where the key of a user's press arrives.
            [&] { return PostMessageW(container->GetBrowser()->ListView(), WM_KEYDOWN, VK_BROWSER_BACK, 1) != FALSE; },
            [&] {
                wchar_t path[MAX_PATH] = L"";
                SHGetPathFromIDListW(container->GetBrowser()->CurrentLocation(), path);
                return path == home;
            },
        };
        EXPECT_EQ(steps.size(), fixture.RunSteps(steps))
            << "stuck: 1 hangs the window in the desktop, 2 activates another window, 4 waits for Back";
        DestroyWindow(elsewhere);
    }
    EXPECT_TRUE(standIn.Close());
}
