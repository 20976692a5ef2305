// A window of z-order "Bottom" hangs in the desktop's list view, which starts left of and above the
// screen's origin where a monitor stands there: its client coordinates are not screen coordinates.
// When Explorer ends, the window goes with its list view.
#include "BrowserItem.h"

#include "support/DesktopStandIn.h"

#include <gtest/gtest.h>

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
