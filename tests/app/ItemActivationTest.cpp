// The items as the program starts them: a missing folder or a taken hotkey costs only that item, and
// each makes its menu, watch and context menu at first use; the way from a click or a hotkey to the
// chosen script; and a browser item's window, its places and its icons kept over an exit and a start.
#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "containers/FolderMenuContainer.h"
#include "containers/NotifyIcon.h"
#include "containers/ShellBrowserContainerBase.h"
#include "lib/FileSystem.h"
#include "menus/PopUpMenu.h"
#include "support/DesktopStandIn.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/Keyboard.h"
#include "support/MarkerScript.h"
#include "support/MenuTexts.h"
#include "support/WindowSearch.h"

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
const UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;

std::wstring Hotkey(UINT modifier, UINT key) {
    return L"HotKeyModifier=" + std::to_wstring(modifier) + L"\r\nHotKeyVirtualKey=" + std::to_wstring(key) + L"\r\n";
}

// Whether another program could still take the combination (it is not registered by Pathwren).
bool HotKeyIsFree(UINT modifier, UINT key) {
    if (!RegisterHotKey(nullptr, 0xBEEF, modifier, key))
        return false;
    UnregisterHotKey(nullptr, 0xBEEF);
    return true;
}

std::wstring FoldersFile(const std::vector<std::wstring>& items) {
    std::wstring text = L"[Default]\r\nFolders=" + std::to_wstring(items.size()) + L"\r\n";
    for (size_t i = 0; i < items.size(); ++i)
        text += L"[Folders_" + std::to_wstring(i) + L"]\r\n" + items[i];
    return text;
}

void ClickTrayIcon(const ApplicationFixture& fixture, size_t item, UINT mouseMessage) {
    CNotifyIcon* icon = ContainerOf(*fixture.application.m_folders[item])->GetNotifyIcon();
    PostMessageW(icon->m_hWnd, WM_NOTIFY_ICON_CALLBACK, icon->m_notifyIconData.uID, mouseMessage);
}

std::function<bool()> ReadMenuAndPress(Texts& shown, std::vector<UINT> keys) {
    return [&shown, keys] {
        HWND menu = FindOwnWindow(L"#32768");
        if (!menu)
            return false;
        shown = MenuItemTexts(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
        for (UINT key : keys)
            PostMessageW(menu, WM_KEYDOWN, key, 0);
        return true;
    };
}

class ItemActivation : public ::testing::Test {
protected:
    // Starts with the items and a folder "Here"; runs the program until during() closes it (at
    // once by default) and returns the message boxes it showed.
    std::vector<DialogScriptDriver::Dialog> Run(
        const std::vector<std::wstring>& items, const std::function<void()>& during = [] {}) {
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
        fixture.Configure(FoldersFile(items));
        fixture.Start();
        DialogScriptDriver driver;
        fixture.RunWhile([&](HWND window) {
            during();
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
        return driver.Finish();
    }
    ApplicationFixture fixture;
};

class ItemFirstUse : public ::testing::Test {
protected:
    // Starts with one "Menu" item per folder, each folder holding one file named after it.
    void Start(const std::vector<std::wstring>& folders) {
        std::vector<std::wstring> items;
        for (const std::wstring& folder : folders) {
            CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
            WriteFileBytes(fixture.File(folder + L"\\" + folder + L".txt"), {'x'});
            items.push_back(L"FolderPresentationType=2\r\nPath=" + folder + L"\r\n");
        }
        fixture.Configure(FoldersFile(items));
        fixture.Start();
    }

    CFolderMenuContainer* Container(size_t item) const {
        return dynamic_cast<CFolderMenuContainer*>(ContainerOf(*fixture.application.m_folders[item]));
    }

    // What each item has made so far, as words, so a failure names the item and the part.
    std::vector<std::string> Made() const {
        std::vector<std::string> made;
        for (size_t i = 0; i < fixture.application.m_folders.size(); ++i) {
            CFolderMenuContainer* item = Container(i);
            made.push_back(!item ? ""
                                 : std::string(item->GetFolderMenu() ? "menu " : "") +
                                       (item->GetRegistration() ? "watch " : "") +
                                       (item->GetContextMenu() ? "context" : ""));
        }
        return made;
    }

    std::function<bool()> Click(size_t item, UINT mouseMessage) {
        return [this, item, mouseMessage] { return ClickTrayIcon(fixture, item, mouseMessage), true; };
    }

    // A step that reads the menu and closes it, then one that waits until it is gone and the
    // program is back in its own loop.
    static std::vector<std::function<bool()>> ReadAndClose(Texts& shown) {
        return {ReadMenuAndPress(shown, {VK_ESCAPE}), [] { return FindOwnWindow(L"#32768") == nullptr; }};
    }

    std::function<bool()> Record(std::vector<std::vector<std::string>>& made) {
        return [this, &made] { return made.push_back(Made()), true; };
    }

    ApplicationFixture fixture;
};

std::vector<std::function<bool()>> Join(std::initializer_list<std::vector<std::function<bool()>>> parts) {
    std::vector<std::function<bool()>> steps;
    for (const auto& part : parts)
        steps.insert(steps.end(), part.begin(), part.end());
    return steps;
}

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

// A multiple folders menu needs no existing path.
TEST_F(ItemActivation, AMissingFolderLeavesOnlyThatItemWithoutContainerAndHotkey) {
    std::vector<bool> containers, free;
    auto boxes =
        Run({L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F10), L"Path=Gone\r\n", L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F12),
             L"FolderPresentationType=3\r\nPath=Nowhere\\at\\all\r\nDisplayName=Mixed\r\n"
             L"MultipleDirectoriesNumber=1\r\nDirectory_0=Here\r\n"},
            [&] {
                for (CGenericPathwrenObject* item : fixture.application.m_folders)
                    containers.push_back(item->m_pContainer != nullptr);
                free = {HotKeyIsFree(kCtrlAlt, VK_F10), HotKeyIsFree(kCtrlAlt, VK_F12)};
            });
    EXPECT_EQ(L"[box \"Error\": \"File path Gone does not exists !\"] ", DescribeDialogs(boxes));
    EXPECT_EQ((std::vector<bool>{true, false, true, true}), containers);
    EXPECT_EQ((std::vector<bool>{false, false}), free) << "hotkeys 0 and 2 are Pathwren's";
    EXPECT_EQ(0, fixture.PostedCount(WM_SHOW_OPTIONS)) << "CreateContainers succeeded";
    EXPECT_TRUE(HotKeyIsFree(kCtrlAlt, VK_F10)) << "closing unregisters the hotkeys";
}

TEST_F(ItemActivation, WhenNoItemGetsAContainerTheOptionsOpen) {
    EXPECT_EQ(1u, Run({L"Path=Gone\r\n", L"FolderPresentationType=77\r\nPath=Here\r\n"}).size())
        << "an unknown type is left out silently";
    EXPECT_EQ(1, fixture.PostedCount(WM_SHOW_OPTIONS));
}

TEST_F(ItemActivation, AKeyWithoutModifierRegistersNothingAndOnlyADuplicateWarns) {
    bool keyAloneFree = false;
    auto boxes = Run({L"Path=Here\r\n" + Hotkey(kCtrlAlt, 0), L"Path=Here\r\n" + Hotkey(0, VK_F7),
                      L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F8), L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F8)},
                     [&] { keyAloneFree = HotKeyIsFree(0, VK_F7); });
    EXPECT_TRUE(keyAloneFree) << "a key without modifier registers nothing";
    EXPECT_EQ(L"[box \"Pathwren\": \"Invalid HotKey for Here (Item 4)\r\nHotkey may already used by another "
              L"application.\"] ",
              DescribeDialogs(boxes))
        << "only the duplicate warns";
}

TEST_F(ItemFirstUse, EachItemMakesOnlyWhatItWasAskedFor) {
    Start({L"A", L"B", L"C"});
    std::vector<std::vector<std::string>> made;
    Texts first, context, third;
    // What the system posts when the third item's hotkey is pressed.
    auto hotkey = [this] { return PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 2, 0), true; };
    const auto steps = Join({{Record(made), Click(0, WM_LBUTTONUP)},
                             ReadAndClose(first),
                             {Record(made), Click(1, WM_RBUTTONUP)},
                             ReadAndClose(context),
                             {Record(made), hotkey},
                             ReadAndClose(third),
                             {Record(made)}});
    ASSERT_EQ(steps.size(), fixture.RunSteps(steps)) << "a menu never opened";

    ASSERT_EQ(4u, made.size());
    EXPECT_EQ((std::vector<std::string>{"", "", ""}), made[0]) << "at start";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "", ""}), made[1]) << "after a left click on the first";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "context", ""}), made[2]) << "after a right click on the second";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "context", "menu watch "}), made[3])
        << "after the third's hotkey";
    EXPECT_EQ((Texts{L"A"}), first);
    EXPECT_EQ((Texts{L"C"}), third);
    ASSERT_FALSE(context.empty());
    EXPECT_EQ(fixture.application.m_pLanguage->Show, context[0]);
}

TEST_F(ItemFirstUse, AnItemShownOnceFollowsLaterChangesOfItsFolder) {
    Start({L"Docs"});
    std::wstring added = fixture.File(L"Docs\\added.txt");
    UINT buildsBeforeChange = 0;
    Texts before, after;
    auto change = [&] {
        buildsBeforeChange = Container(0)->GetBuildCount();
        WriteFileBytes(added, {'x'});
        // Wine does not watch the file system itself; Explorer announces changes like this.
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, added.c_str(), nullptr);
        return true;
    };
    auto rebuilt = [&] { return Container(0)->GetBuildCount() > buildsBeforeChange; };
    const auto steps = Join({{Click(0, WM_LBUTTONUP)},
                             ReadAndClose(before),
                             {change, rebuilt, Click(0, WM_LBUTTONUP)},
                             ReadAndClose(after)});
    ASSERT_EQ(steps.size(), fixture.RunSteps(steps)) << "no menu, or the change never rebuilt it";
    EXPECT_EQ((Texts{L"Docs"}), before);
    EXPECT_EQ((Texts{L"added", L"Docs"}), after) << "the second showing missed the change";
}

// A tray click opens the same menu (ItemFirstUse); here a real key press goes on to the chosen
// entry, and Exit in the tray icon's own menu ends the program.
TEST(MenuLaunchEndToEnd, TheItemsHotKeyRunsTheChosenEntryAndExitFromTheTrayIconsMenuEndsTheProgram) {
    ApplicationFixture fixture;
    CreateDirectoryW(fixture.File(L"Docs").c_str(), nullptr);
    CreateDirectoryW(fixture.File(L"Docs\\Sub").c_str(), nullptr);
    WriteFileBytes(fixture.File(L"Docs\\Sub\\inside.txt"), {'x'});
    WriteFileBytes(fixture.File(L"Docs\\a.txt"), {'x'});
    WriteMarkerScript(fixture.File(L"Docs\\b.cmd"), fixture.File(L"Docs\\ran.txt"), "ran");
    // Ctrl+Alt+F9 shows the menu from anywhere.
    fixture.Configure(FoldersFile({L"FolderPresentationType=2\r\nPath=Docs\r\n" + Hotkey(kCtrlAlt, VK_F9)}));
    fixture.Start();
    std::wstring marker = fixture.File(L"Docs\\ran.txt");
    Texts shown, context;
    const std::vector<std::function<bool()>> steps = {
        [] {
            return SendKeys({VK_CONTROL, VK_MENU, VK_F9}), true;
        },
        // The third entry is "b", the script: folders come first, extensions are hidden.
        ReadMenuAndPress(shown, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}),
        [&] { return IsExistingFile(marker.c_str()) != FALSE; },
        [&] { return ClickTrayIcon(fixture, 0, WM_RBUTTONUP), true; },
        ReadMenuAndPress(context, {VK_UP, VK_RETURN}),
        [] { return false; },
    };
    EXPECT_EQ(5u, fixture.RunSteps(steps)) << "2: no menu, 3: the chosen script never ran, 5: no context menu";
    EXPECT_EQ((Texts{L"Sub", L"a", L"b"}), shown);
    ASSERT_FALSE(context.empty());
    EXPECT_EQ(fixture.application.m_pLanguage->Exit, context.back()) << "the last entry of the icon's menu";
    EXPECT_FALSE(fixture.WatchdogFired()) << "ended by Exit, not by the test's watchdog";
    EXPECT_TRUE(fixture.application.m_folders.empty()) << "the items and containers are gone";
}

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
        [&] { return ClickTrayIcon(fixture, 0, WM_LBUTTONUP), true; },
        [&] { return IsWindowVisible(window) != FALSE; },
        [&] {
            listed = ListedNames(container->GetBrowser()->ListView());
            focused = GetFocus() == container->GetBrowser()->ListView();
            return listed.size() == 2;
        },
        [&] { return PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 0, 0) != FALSE; },
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
