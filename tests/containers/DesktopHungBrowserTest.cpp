// A browser window with the z-order "Bottom" hangs in the desktop's list view. Where a monitor
// stands left of or above the primary one, that list view starts left of or above the screen's
// origin, so its client coordinates are not screen coordinates.
#include "BrowserItem.h"

#include "browser/DesktopListView.h"
#include "support/DesktopStandIn.h"
#include "support/MessagePump.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<LONG> Corners(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

std::vector<LONG> WindowCorners(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return Corners(rect);
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

} // namespace

TEST(DesktopHungBrowser, InADesktopThatStartsLeftOfAndAboveTheScreenTheWindowStandsAndMovesInScreenCoordinates) {
    TempDirectory folder;
    DesktopStandIn standIn(L"progman@-200,-150");
    HWND desktop = standIn.ListView();
    ASSERT_NE(nullptr, desktop);
    RECT desktopRect = {};
    GetWindowRect(desktop, &desktopRect);
    ASSERT_TRUE(desktopRect.left == -200 && desktopRect.top == -150)
        << "the stand-in's desktop starts left of and above the screen";
    {
        BrowserItem browser(BrowserZOrderBottom, folder.Path());
        CGenericPathwrenObject& item = browser.item;
        CShellBrowserContainer& container = *browser.container;
        item.WindowPositionX = 300;
        item.WindowPositionY = 250;
        ASSERT_TRUE(browser.Initialize());
        ASSERT_TRUE(container.Show(TRUE));
        HWND window = container.GetWindow();
        ASSERT_EQ(desktop, GetAncestor(window, GA_PARENT));
        LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        EXPECT_TRUE((style & WS_CHILD) && !(style & WS_POPUP)) << "a window inside another is a child";
        RECT placed = {};
        GetWindowRect(window, &placed);
        EXPECT_EQ((std::vector<LONG>{300, 250}), std::vector<LONG>({placed.left, placed.top}))
            << "created where the item stood";

        CTransparentToolbar& toolbar = *container.GetToolbar();
        container.OnToolbarMoved(&toolbar, -25, 15);
        container.OnToolbarMoveEnded(&toolbar);
        RECT dragged = {};
        GetWindowRect(window, &dragged);
        EXPECT_EQ((std::vector<LONG>{placed.left - 25, placed.top + 15}),
                  std::vector<LONG>({dragged.left, dragged.top}))
            << "dragged by the toolbar";
        EXPECT_EQ((std::vector<LONG>{dragged.left, dragged.top}),
                  std::vector<LONG>({item.WindowPositionX, item.WindowPositionY}))
            << "the item keeps the screen place";

        RECT maximized = WorkAreaOf(window);
        maximized.top += CShellBrowserContainerBase::kToolbarHeight;
        container.ToggleMaximize();
        EXPECT_EQ(Corners(maximized), WindowCorners(window)) << "maximized";
        container.ToggleMaximize();
        EXPECT_EQ(Corners(dragged), WindowCorners(window)) << "restored";

        container.OnToolbarMoved(&toolbar, 5000, 5000);
        SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
        RECT refitted = {}, work = WorkAreaOf(window), inside = {};
        GetWindowRect(window, &refitted);
        EXPECT_TRUE(IntersectRect(&inside, &refitted, &work) && EqualRect(&inside, &refitted))
            << "after a display change at " << refitted.left << "," << refitted.top;
    }
    EXPECT_TRUE(standIn.Close());
}

namespace {

// Records, as the container builds its window again, what a flag of the caller holds by then.
class ContainerWindowCreations {
public:
    explicit ContainerWindowCreations(const BOOL* watched) {
        s_watched = watched;
        s_seen.clear();
        m_hook = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~ContainerWindowCreations() { UnhookWindowsHookEx(m_hook); }
    ContainerWindowCreations(const ContainerWindowCreations&) = delete;
    ContainerWindowCreations& operator=(const ContainerWindowCreations&) = delete;
    const std::vector<BOOL>& Seen() const { return s_seen; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        wchar_t name[64] = L"";
        if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, ARRAYSIZE(name)) &&
            wcscmp(name, CShellBrowserContainerBase::kWindowClassName) == 0)
            s_seen.push_back(*s_watched);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static const BOOL* s_watched;
    static std::vector<BOOL> s_seen;
    HHOOK m_hook;
};
const BOOL* ContainerWindowCreations::s_watched = nullptr;
std::vector<BOOL> ContainerWindowCreations::s_seen;

} // namespace

TEST(DesktopHungBrowser, TheHotCornerOfAWindowLostWithItsDesktopIsAnsweredBeforeTheWindowIsBuiltAgain) {
    TempDirectory folder;
    DesktopStandIn standIn;
    ASSERT_NE(nullptr, standIn.ListView());
    BrowserItem browser(BrowserZOrderBottom, folder.Path());
    CGenericPathwrenObject& item = browser.item;
    CShellBrowserContainer& container = *browser.container;
    item.EnableHotCorner = TRUE;
    item.HotCornerPosition = 3;
    item.HotCornerWidth = item.HotCornerHeight = 8;
    ASSERT_TRUE(browser.Initialize());
    ASSERT_NE(nullptr, container.GetHotWindow());
    ASSERT_TRUE(standIn.Close());

    // The hot window hands its sink flags that live inside it; the sink's Show builds the lost
    // window again, hot window included, so the answer has to be written before.
    BOOL useKeepRect = TRUE;
    RECT keepRect = {};
    ContainerWindowCreations creations(&useKeepRect);
    container.OnHotWindowEnter(container.GetHotWindow(), &useKeepRect, &keepRect);
    ASSERT_FALSE(creations.Seen().empty()) << "the lost window was built again";
    EXPECT_FALSE(creations.Seen().front()) << "the flag was still to be written when the hot window was replaced";
    EXPECT_FALSE(useKeepRect);
}
