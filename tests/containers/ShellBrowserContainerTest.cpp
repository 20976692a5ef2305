#include "BrowserItem.h"

#include "browser/DesktopListView.h"
#include "lib/MonitorRect.h"
#include "lib/WindowSubclass.h"
#include "support/DesktopStandIn.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/MessagePump.h"
#include "support/OpenedAddresses.h"
#include "support/Soak.h"
#include "support/WindowSearch.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

// desktop-free: ShellBrowserFitting
TEST(ShellBrowserFitting, ARectangleIsMovedAndCutIntoTheArea) {
    const RECT area = {0, 30, 1000, 730};
    struct Case {
        RECT in, out;
        bool changed;
    } cases[] = {
        {{10, 40, 110, 140}, {10, 40, 110, 140}, false},        {{0, 30, 1000, 730}, {0, 30, 1000, 730}, false},
        {{-3000, 9000, 2000, 14000}, {0, 30, 1000, 730}, true}, {{-50, -50, 50, 50}, {0, 30, 100, 130}, true},
        {{950, 700, 1150, 800}, {800, 630, 1000, 730}, true},   {{100, 100, 1200, 200}, {0, 100, 1000, 200}, true},
    };
    for (const Case& c : cases) {
        RECT rect = c.in;
        EXPECT_EQ(c.changed, FitRectIntoArea(&rect, area) != FALSE) << c.in;
        EXPECT_EQ(c.out, rect) << c.in;
    }
}

TEST(ShellBrowserContainer, TheWindowIsFittedRefittedAfterADisplayChangeAndMinimizedInPlace) {
    BrowserItem browser(BrowserZOrderNormal);
    browser.item.WindowRect = {0, 0, 5000, 5000};
    browser.item.WindowPositionX = -3000;
    browser.item.WindowPositionY = 9000;
    ASSERT_TRUE(browser.Initialize());
    HWND window = browser.container->GetWindow();
    const RECT work = WorkAreaOf(MonitorFromPoint({-3000, 9000}, MONITOR_DEFAULTTONEAREST));
    EXPECT_EQ(work, WindowRectOf(window)) << "a stored 5000 x 5000 window far away";
    EXPECT_EQ(work.left, browser.item.WindowPositionX);
    EXPECT_EQ(work.top, browser.item.WindowPositionY);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client, browser.item.WindowRect) << "the item keeps the fitted client size";

    SetWindowPos(window, nullptr, -5000, 9000, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    const RECT refitted = WindowRectOf(window);
    EXPECT_TRUE(Within(refitted, work)) << "after a display change at " << refitted;

    const RECT size = browser.item.WindowRect;
    const POINT place = {browser.item.WindowPositionX, browser.item.WindowPositionY};
    ShowWindow(window, SW_MINIMIZE);
    PumpPendingMessages();
    ASSERT_TRUE(IsIconic(window));
    EXPECT_TRUE(place.x == browser.item.WindowPositionX && place.y == browser.item.WindowPositionY)
        << "minimizing keeps the stored place";
    EXPECT_EQ(size, browser.item.WindowRect) << "and size";
}

TEST(ShellBrowserContainer, ZOrderTopMostNormalAndBottomInTheDesktopsListViewWhichTheWindowFollows) {
    for (int zOrder : {BrowserZOrderNormal, BrowserZOrderTopMost}) {
        BrowserItem browser(zOrder);
        ASSERT_TRUE(browser.Initialize());
        EXPECT_EQ(zOrder == BrowserZOrderTopMost, (browser.ExStyle() & WS_EX_TOPMOST) != 0) << zOrder;
        EXPECT_EQ(GetDesktopWindow(), GetAncestor(browser.container->GetWindow(), GA_PARENT)) << zOrder;
    }

    ASSERT_EQ(nullptr, FindDesktopListView()) << "this display has no desktop before the stand-in starts";
    // The stand-in waits until the finder returns the list view that holds its icons, which in
    // the thumbnails layout is the visible one inside "ThumbnailVwExtWnd32".
    for (const wchar_t* layout : {L"progman", L"workerw", L"thumbnails"}) {
        DesktopStandIn standIn(layout + std::wstring(L" Alpha 20 20 Beta 640 480"), 2);
        HWND desktop = standIn.ListView();
        ASSERT_NE(nullptr, desktop) << layout;
        BrowserItem bottom(BrowserZOrderBottom);
        EXPECT_TRUE(bottom.Initialize()) << layout;
        EXPECT_EQ(desktop, GetAncestor(bottom.container->GetWindow(), GA_PARENT)) << layout;
        // The stand-in's windows die only once this thread has destroyed its window inside them.
        EXPECT_TRUE(standIn.Close()) << layout;
        if (std::wstring(layout) != L"progman")
            continue;
        HWND orphaned = bottom.container->GetWindow();
        EXPECT_FALSE(bottom.container->Show(FALSE)) << "no desktop to hang into yet";
        EXPECT_EQ(nullptr, bottom.container->GetWindow());
        EXPECT_FALSE(IsWindow(orphaned)) << "the window is gone with the desktop it hung in";
        DesktopStandIn restarted;
        HWND newDesktop = restarted.ListView();
        ASSERT_NE(nullptr, newDesktop);
        EXPECT_TRUE(bottom.container->Show(FALSE)) << "the next activation builds the window again";
        EXPECT_EQ(newDesktop, GetAncestor(bottom.container->GetWindow(), GA_PARENT));
        EXPECT_TRUE(IsWindowVisible(bottom.container->GetWindow()));
        bottom.container.reset();
        EXPECT_TRUE(restarted.Close(false)) << "closing the container took its window out first";
    }
}

// A window of z-order "Bottom" hangs in the desktop's list view, which starts left of and above the
// screen's origin where a monitor stands there: its client coordinates are not screen coordinates.
// When Explorer ends, the window goes with its list view.
TEST(DesktopHungBrowser, TheWindowStandsAndMovesInScreenCoordinatesAndItsHotCornerIsAnsweredAfterTheDesktopIsLost) {
    DesktopStandIn standIn(L"progman@-200,-150");
    HWND desktop = standIn.ListView();
    ASSERT_NE(nullptr, desktop);
    ASSERT_TRUE(WindowRectOf(desktop).left == -200 && WindowRectOf(desktop).top == -150) << WindowRectOf(desktop);
    BrowserItem browser(BrowserZOrderBottom);
    CGenericPathwrenObject& item = browser.item;
    CShellBrowserContainer& container = *browser.container;
    item.WindowPositionX = 300;
    item.WindowPositionY = 250;
    item.EnableHotCorner = TRUE;
    item.HotCornerPosition = 3;
    item.HotCornerWidth = item.HotCornerHeight = 8;
    ASSERT_TRUE(browser.Start());
    HWND window = container.GetWindow();
    ASSERT_EQ(desktop, GetAncestor(window, GA_PARENT));
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE((style & WS_CHILD) && !(style & WS_POPUP)) << "a window inside another is a child";
    const RECT placed = WindowRectOf(window);
    EXPECT_TRUE(placed.left == 300 && placed.top == 250) << "created at " << placed.left << "," << placed.top;

    CTransparentToolbar& toolbar = *container.GetToolbar();
    container.OnToolbarMoved(&toolbar, -25, 15);
    container.OnToolbarMoveEnded(&toolbar);
    const RECT dragged = WindowRectOf(window);
    EXPECT_TRUE(dragged.left == placed.left - 25 && dragged.top == placed.top + 15) << "dragged by the toolbar";
    EXPECT_TRUE(dragged.left == item.WindowPositionX && dragged.top == item.WindowPositionY)
        << "the item keeps the screen place";

    const RECT work = WorkAreaOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    RECT maximized = work;
    maximized.top += CShellBrowserContainerBase::kToolbarHeight;
    container.ToggleMaximize();
    EXPECT_EQ(maximized, WindowRectOf(window)) << "maximized";
    container.ToggleMaximize();
    EXPECT_EQ(dragged, WindowRectOf(window)) << "restored";
    EXPECT_FALSE(item.IsMaximized);

    container.OnToolbarMoved(&toolbar, 5000, 5000);
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    const RECT refitted = WindowRectOf(window);
    EXPECT_TRUE(Within(refitted, work)) << "after a display change at " << refitted;

    ASSERT_NE(nullptr, container.GetHotWindow());
    ASSERT_TRUE(standIn.Close());
    // The hot window hands its sink flags that live inside it; the sink's Show builds the lost
    // window again, hot window included, so the answer has to be written before.
    BOOL useKeepRect = TRUE;
    RECT keepRect = {};
    std::vector<BOOL> seen;
    WindowCreations creations(CShellBrowserContainerBase::kWindowClassName, [&] {
        seen.push_back(useKeepRect);
        return false;
    });
    container.OnHotWindowEnter(container.GetHotWindow(), &useKeepRect, &keepRect);
    ASSERT_FALSE(seen.empty()) << "the lost window was built again";
    EXPECT_FALSE(seen.front()) << "the flag was still to be written when the hot window was replaced";
    EXPECT_FALSE(useKeepRect);
}

namespace {

bool ButtonEnabled(const CTransparentToolbar& toolbar, UINT command) {
    for (UINT i = 0; i < toolbar.GetButtonCount(); ++i)
        if (toolbar.GetButton(i)->Button.Command == command)
            return toolbar.GetButton(i)->Button.Enabled != FALSE;
    return false;
}

// Shows what the container holds of the current view, which it uses for every later key,
// resize and save.
class ProbedContainer : public CShellBrowserContainer {
public:
    using CShellBrowserContainer::CShellBrowserContainer;
    HWND HeldListView() const { return ListView(); }
    HWND HeldViewWindow() const { return ViewWindow(); }
};

// Plays a view that turns down every rename, as the shell does for an item it cannot rename.
LRESULT CALLBACK RefuseRenames(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_NOTIFY) {
        UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code == LVN_BEGINLABELEDITW || code == LVN_BEGINLABELEDITA)
            return TRUE;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

TEST(ShellBrowserContainer, TheToolbarSitsJustAboveAndHasNavigationOnlyWhenAllowed) {
    for (BOOL navigation : {TRUE, FALSE}) {
        BrowserItem browser(BrowserZOrderNormal);
        browser.item.AllowSubFoldersNavigation = navigation;
        ASSERT_TRUE(browser.Start());
        CTransparentToolbar* toolbar = browser.container->GetToolbar();
        ASSERT_NE(nullptr, toolbar);
        EXPECT_EQ(navigation ? 7u : 2u, toolbar->GetButtonCount());
        EXPECT_NE(nullptr, toolbar->GetMoveButton());
        EXPECT_TRUE(IsWindowVisible(toolbar->GetHandle()));
        HWND frame = browser.container->GetWindow();
        EXPECT_EQ(frame, GetWindow(toolbar->GetHandle(), GW_OWNER));
        RECT window = WindowRectOf(frame), bar = WindowRectOf(toolbar->GetHandle());
        EXPECT_TRUE(bar.bottom == window.top && bar.left == window.left && bar.right == window.right)
            << "the toolbar sits just above, as wide as the window";

        SetWindowPos(frame, nullptr, window.left + 40, window.top + 30, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        bar = WindowRectOf(toolbar->GetHandle());
        EXPECT_TRUE(bar.left == window.left + 40 && bar.bottom == window.top + 30) << "the toolbar follows the window";

        // Dragged by its grip, the cursor where the user's would be: the window follows and the
        // item keeps the place.
        POINT grip = toolbar->GetMoveButton()->Position;
        auto mouse = [&](UINT message, int dx, int dy) {
            SetCursorPos(bar.left + grip.x + 4 + dx, bar.top + grip.y + 4 + dy);
            PostMessageW(toolbar->GetHandle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, 0);
            PumpPendingMessages();
        };
        window = WindowRectOf(frame);
        mouse(WM_LBUTTONDOWN, 0, 0);
        mouse(WM_MOUSEMOVE, -25, 15);
        mouse(WM_LBUTTONUP, -25, 15);
        const RECT dragged = WindowRectOf(frame);
        EXPECT_TRUE(dragged.left == window.left - 25 && dragged.top == window.top + 15) << "the window follows";
        EXPECT_TRUE(dragged.left == browser.item.WindowPositionX && dragged.top == browser.item.WindowPositionY)
            << "the item keeps the place";
    }
}

TEST(ShellBrowserContainer, CommandsAndKeysNavigateAndCloseOnlyHides) {
    TempDirectory home;
    CreateDirectoryW(home.File(L"sub").c_str(), nullptr);
    CreateDirectoryW(home.File(L"sub\\inner").c_str(), nullptr);
    BrowserItem browser(BrowserZOrderNormal, home.Path());
    ASSERT_TRUE(browser.Start());
    HWND window = browser.container->GetWindow();
    CTransparentToolbar& toolbar = *browser.container->GetToolbar();
    EXPECT_FALSE(ButtonEnabled(toolbar, BrowserCommandBack));
    EXPECT_EQ(static_cast<IShellBrowser*>(browser.container->GetBrowser()),
              reinterpret_cast<IShellBrowser*>(SendMessageW(window, WM_USER + 7, 0, 0)));
    ASSERT_HRESULT_SUCCEEDED(browser.container->GetBrowser()->BrowseToPath(home.File(L"sub").c_str()));

    auto command = [&](UINT id) { SendMessageW(window, WM_APP + 1, 0, id); };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::wstring expected;
        bool back, forward;
    } steps[] = {
        {"up", [&] { command(BrowserCommandUp); }, home.Path(), true, false},
        {"back", [&] { command(BrowserCommandBack); }, home.File(L"sub"), true, true},
        {"forward", [&] { command(BrowserCommandForward); }, home.Path(), true, false},
        {"back key", [&] { EXPECT_EQ(1, browser.Key(VK_BROWSER_BACK)); }, home.File(L"sub"), true, true},
        {"forward key", [&] { EXPECT_EQ(1, browser.Key(VK_BROWSER_FORWARD)); }, home.Path(), true, false},
        {"into inner", [&] { browser.container->GetBrowser()->BrowseToPath(home.File(L"sub\\inner").c_str()); },
         home.File(L"sub\\inner"), true, false},
        {"backspace", [&] { EXPECT_EQ(1, browser.Key(VK_BACK)); }, home.File(L"sub"), true, false},
        {"home", [&] { command(BrowserCommandHome); }, home.Path(), true, false},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(step.expected, browser.Location()) << step.what;
        EXPECT_EQ(step.back, ButtonEnabled(toolbar, BrowserCommandBack)) << step.what;
        EXPECT_EQ(step.forward, ButtonEnabled(toolbar, BrowserCommandForward)) << step.what;
    }
    EXPECT_TRUE(browser.container->IsAtHome());
    EXPECT_EQ(0, browser.Key('Q')) << "a key of no meaning is left to the view";

    // Wine finds a folder's verbs in the machine's Folder class, not in the user's Directory class.
    OpenedAddresses explorer;
    explorer.RecordVerb(L"Folder\\shell\\explore");
    for (UINT closing : {BrowserCommandExplorer, BrowserCommandClose}) {
        ASSERT_TRUE(browser.container->Show(TRUE));
        command(closing);
        EXPECT_TRUE(PumpMessagesUntil([&] { return !IsWindowVisible(window); }, 5000)) << closing;
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(IsWindowVisible(toolbar.GetHandle()));
    }
    std::vector<std::wstring> explored = explorer.Wait(1);
    ASSERT_EQ(1u, explored.size()) << "one folder shown in Explorer";
    EXPECT_NE(std::wstring::npos, explored[0].find(L"\"" + home.Path() + L"\"")) << explored[0];
}

TEST(BrowserWindowState, AFailedNavigationARefusedRenameAndANavigationDuringARenameLeaveAViewThatWorks) {
    TempDirectory home;
    for (LPCWSTR folder : {L"sub", L"sub\\inner", L"sub\\inner\\deepest"})
        CreateDirectoryW(home.File(folder).c_str(), nullptr);
    TBrowserItem<ProbedContainer> window(BrowserZOrderNormal, home.Path());
    ASSERT_TRUE(window.Start());
    HWND oldListView = window.container->HeldListView(), oldViewWindow = window.container->HeldViewWindow();
    ASSERT_TRUE(IsWindow(oldListView) && IsWindow(oldViewWindow));
    {
        WindowCreations refused(L"SHELLDLL_DefView", [] { return true; }); // a view that fails to build
        EXPECT_FALSE(SUCCEEDED(window.container->GetBrowser()->BrowseToPath(home.File(L"sub").c_str())));
    }
    ASSERT_FALSE(IsWindow(oldListView)) << "the old view is gone before the new one failed";
    for (HWND held : {window.container->HeldListView(), window.container->HeldViewWindow()})
        EXPECT_TRUE(held == nullptr || IsWindow(held)) << "the container still holds a destroyed window";
    SendMessageW(window.container->GetWindow(), WM_BROWSER_COMMAND, 0, BrowserCommandHome);
    EXPECT_EQ(home.Path(), window.Location());
    CShellBrowserEx& browser = *window.container->GetBrowser();
    EXPECT_EQ(browser.ListView(), window.container->HeldListView());
    EXPECT_TRUE(IsWindow(window.container->HeldListView())) << "the next navigation brings a working view";

    // The view turns the rename down: no edit starts and Backspace still goes up.
    ASSERT_HRESULT_SUCCEEDED(browser.BrowseToPath(home.File(L"sub").c_str()));
    HWND viewWindow = browser.ViewWindow(), listView = browser.ListView();
    browser.OnViewWindowDestroying(viewWindow, listView); // the browser's own procedures off...
    CWindowSubclass refusing;
    ASSERT_TRUE(refusing.Install(viewWindow, RefuseRenames, 1, 0));
    browser.OnViewWindowCreated(); // ...and on again, above the refusing view
    SetFocus(listView);
    EXPECT_EQ(nullptr, ListView_EditLabel(listView, 0)) << "the view refused";
    EXPECT_FALSE(browser.IsEditingLabel());
    EXPECT_EQ(1, window.Key(VK_BACK));
    EXPECT_EQ(home.Path(), window.Location()) << "after a refused rename";

    // A rename still open when the view goes: the new view's Backspace goes up.
    ASSERT_HRESULT_SUCCEEDED(browser.BrowseToPath(home.File(L"sub").c_str()));
    SetFocus(browser.ListView());
    ASSERT_NE(nullptr, ListView_EditLabel(browser.ListView(), 0));
    EXPECT_TRUE(browser.IsEditingLabel());
    window.Key(VK_BACK);
    EXPECT_EQ(home.File(L"sub"), window.Location()) << "while the name is edited, Backspace is the edit's";
    ASSERT_HRESULT_SUCCEEDED(browser.BrowseToPath(home.File(L"sub\\inner").c_str()));
    EXPECT_EQ(1, window.Key(VK_BACK));
    EXPECT_EQ(home.File(L"sub"), window.Location()) << "after a navigation during a rename";
}

TEST(ShellBrowserContainer, OpeningAFileAndBeingAtHomeHideOnlyWhenAsked) {
    TempDirectory home, away;
    WriteFileBytes(home.File(L"note.txt"), {});
    for (BOOL asked : {FALSE, TRUE}) {
        BrowserItem browser(BrowserZOrderNormal, home.Path());
        browser.item.AutoHideOnFileExecution = asked;
        browser.item.HideToolBarForHomeFolder = asked;
        ASSERT_TRUE(browser.Start());
        HWND window = browser.container->GetWindow(), bar = browser.container->GetToolbar()->GetHandle();
        CShellBrowserEx& view = *browser.container->GetBrowser();
        EXPECT_EQ(!asked, IsWindowVisible(bar) != FALSE) << "at home, asked " << asked;
        ASSERT_HRESULT_SUCCEEDED(view.BrowseToPath(away.Path().c_str()));
        EXPECT_TRUE(IsWindowVisible(bar)) << "away, asked " << asked;
        SendMessageW(window, WM_BROWSER_COMMAND, 0, BrowserCommandHome);
        EXPECT_EQ(!asked, IsWindowVisible(bar) != FALSE) << "home again, asked " << asked;

        // What the view asks its browser when the user opens the selected file.
        ListView_SetItemState(view.ListView(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        EXPECT_EQ(S_FALSE, view.OnDefaultCommand(view.CurrentView())) << "the view opens the file itself";
        PumpPendingMessages();
        EXPECT_EQ(!asked, IsWindowVisible(window) != FALSE) << "after opening a file, asked " << asked;
    }
}

TEST(ShellBrowserContainer, ACursorAtRestInTheHotCornerShowsTheWindowAndKeepsItShown) {
    RECT screen;
    GetMonitorRect(0, &screen, TRUE);
    const POINT inCorner = {screen.right - 4, screen.bottom - 4};
    const POINT away = {(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
    for (int position : {9, 3}) {
        SetCursorPos(away.x, away.y);
        BrowserItem browser(BrowserZOrderNormal);
        browser.item.EnableHotCorner = TRUE;
        browser.item.HotCornerPosition = position;
        browser.item.HotCornerWidth = browser.item.HotCornerHeight = 8;
        ASSERT_TRUE(browser.Initialize());
        HWND window = browser.container->GetWindow();
        SetCursorPos(inCorner.x, inCorner.y);
        bool shown = PumpMessagesUntil([&] { return IsWindowVisible(window) != FALSE; }, position == 3 ? 5000 : 600);
        if (position != 3) {
            EXPECT_FALSE(shown) << "position " << position << " has no corner";
            continue;
        }
        ASSERT_TRUE(shown);
        CHotWindow& hot = *browser.container->GetHotWindow();
        SetCursorPos(away.x, away.y);
        ASSERT_TRUE(PumpMessagesUntil([&] { return hot.IsWatchingForEnter() != FALSE; }, 5000));
        SetCursorPos(inCorner.x, inCorner.y);
        ASSERT_TRUE(PumpMessagesUntil([&] { return hot.IsWatchingForLeave() != FALSE; }, 5000));
        EXPECT_TRUE(IsWindowVisible(window)) << "a second rest in the corner does not hide the window";
    }
}

TEST(ShellBrowserContainer, SoakOfShowingNavigatingAndRebuildingGivesEveryObjectAndWindowBack) {
    BrowserItem browser(BrowserZOrderNormal);
    CreateDirectoryW(browser.home.File(L"sub").c_str(), nullptr);
    ASSERT_TRUE(browser.Initialize());
    const int rebuilds = SoakCycles(5, 50), showHides = 10, navigations = 4;
    // What the options dialog's OK does to every container: save, hide, destroy, create again.
    auto cycle = [&] {
        for (int j = 0; j < showHides; ++j) {
            browser.container->Show(FALSE);
            if (j < navigations)
                browser.container->GetBrowser()->BrowseToPath(j % 2 ? browser.home.Path().c_str()
                                                                    : browser.home.File(L"sub").c_str());
            browser.container->Show(FALSE);
        }
        browser.container->SaveState();
        browser.container->Hide();
        browser.container.release()->Destroy(); // deletes itself
        browser.container.reset(new CShellBrowserContainer(GetModuleHandleW(nullptr), &browser.application));
        ASSERT_TRUE(browser.Initialize());
        PumpPendingMessages();
    };
    cycle(); // the first cycle settles what lives as long as the process (view mode caches, GDI+)
    long start = GdiObjectCounter::Read(), half = 0;
    long long bytesBefore = PrivateBytes();
    for (int i = 0; i < rebuilds; ++i) {
        cycle();
        if (i + 1 == rebuilds / 2)
            half = GdiObjectCounter::Read();
    }
    long end = GdiObjectCounter::Read();
    long long bytesAfter = PrivateBytes();
    std::printf("browser window soak: %d rebuilds; GDI objects %ld -> %ld -> %ld; private bytes %lld -> %lld\n",
                rebuilds, start, half, end, bytesBefore, bytesAfter);
    EXPECT_EQ(half, end) << "a leak of one object per rebuild shows here";
    auto windows = [](LPCWSTR className) { return WindowsOfClass(className, GetCurrentProcessId(), false).size(); };
    EXPECT_EQ(1u, windows(CTransparentToolbar::ClassName));
    EXPECT_GE(1u, windows(TOOLTIPS_CLASSW));
    EXPECT_EQ(1u, windows(CShellBrowserContainerBase::kWindowClassName));
    EXPECT_LT(bytesAfter - bytesBefore, 1024 * 1024);
}
