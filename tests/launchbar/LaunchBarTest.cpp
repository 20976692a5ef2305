// The launch bar on real windows of the one test monitor: where each edge puts it, what a click
// on a button hands to the item behind it, and the polish around hiding (Esc, a change of
// monitors, Alt+F4). Placement on other monitor layouts is the placement table's business.
#include "launchbar/LaunchBar.h"
#include "launchbar/LaunchBarPlacement.h"
#include "support/RectCompare.h"
#include "lib/MonitorRect.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Records what the bar gives it.
class RecordingItem : public ILaunchBarItem {
public:
    void ShowFromLaunchBar(POINT point, BOOL openUpward) override {
        ++shows;
        shownAt = point;
        shownUpward = openUpward;
    }
    BOOL ShowContextMenu(POINT, BOOL) override { return TRUE; }
    void SetOwnerWindow(HWND window) override { owner = window; }
    int shows = 0;
    POINT shownAt = {};
    BOOL shownUpward = FALSE;
    HWND owner = nullptr;
};

// desktop-free: LaunchBarShowPoint
TEST(LaunchBarShowPoint, OpensBesideTheButtonAwayFromTheEdge) {
    const RECT button = {100, 200, 124, 224};
    struct Row {
        UINT position;
        POINT point;
        BOOL upward;
    } const rows[] = {
        {0, {100, 224}, FALSE}, {1, {100, 224}, FALSE}, {2, {124, 224}, FALSE}, {3, {124, 200}, FALSE},
        {4, {100, 200}, FALSE}, {5, {100, 200}, TRUE},  {6, {100, 200}, TRUE},  {7, {124, 200}, TRUE},
        {8, {100, 224}, FALSE}, {9, {100, 224}, FALSE},
    };
    for (const Row& row : rows) {
        BOOL upward = !row.upward;
        POINT point = LaunchBarShowPoint(row.position, button, &upward);
        EXPECT_EQ((RECT{row.point.x, row.point.y, row.upward, 0}), (RECT{point.x, point.y, upward, 0}))
            << "position " << row.position << ": point and upward";
    }
}

class LaunchBarWindow : public ::testing::Test {
protected:
    void BuildAt(UINT position, BOOL verticalInFile, UINT screen = 0) {
        m_options.Position = position;
        m_options.ScreenIndex = screen;
        m_options.VerticalDirection = verticalInFile;
        m_options.UseFullScreenWidth = FALSE;
        m_bar.reset(new CLaunchBar());
        HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
        for (RecordingItem& item : m_items) {
            item.shows = 0;
            TransparentToolbarButton button = {{icon, icon, icon, icon}, 0, TRUE, 0, 99, L"item"};
            m_bar->AppendButton(button, &item);
        }
        ASSERT_TRUE(m_bar->Build(GetModuleHandleW(nullptr), m_options, &m_background, nullptr));
        ASSERT_NE(nullptr, m_bar->GetToolbarWindow());
    }
    RECT ExpectedBar() const {
        const CTransparentToolbar& toolbar = *m_bar->GetToolbar();
        return PlaceLaunchBar(m_options, {toolbar.GetWidth(), toolbar.GetHeight()}, GetMonitorWorkAreas()).Bar;
    }
    RECT WindowRect() const {
        RECT rect = {};
        GetWindowRect(m_bar->GetToolbarWindow(), &rect);
        return rect;
    }

    CLaunchBarOptions m_options;
    RecordingItem m_items[2];
    RecordingItem m_background;
    std::unique_ptr<CLaunchBar> m_bar;
};

TEST_F(LaunchBarWindow, EachEdgeDocksTheHiddenBarAndClicksOpenBesideTheButton) {
    // The second monitor, where there is one, is the placement's, else the primary one.
    struct Row {
        UINT position;
        BOOL verticalInFile, vertical;
        UINT screen;
    } const rows[] = {{1, TRUE, FALSE, 0}, {3, FALSE, TRUE, 0}, {4, FALSE, TRUE, 0}, {6, TRUE, FALSE, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "position " << row.position << ", monitor " << row.screen);
        BuildAt(row.position, row.verticalInFile, row.screen);
        EXPECT_EQ(row.vertical, m_options.VerticalDirection) << "the direction written back for the next save";
        EXPECT_FALSE(IsWindowVisible(m_bar->GetToolbarWindow()));
        const RECT bar = ExpectedBar(), strip = m_bar->GetHotWindow()->GetHotRect();
        EXPECT_EQ(bar, WindowRect());
        EXPECT_TRUE(m_bar->GetHotWindow()->IsWatchingForEnter());
        RECT inside = {};
        EXPECT_TRUE(IntersectRect(&inside, &strip, &bar) && inside == strip) << strip;

        RECT button = {};
        ASSERT_TRUE(m_bar->GetButtonScreenRect(1, &button));
        m_bar->OnToolbarButtonClicked(m_bar->GetToolbar(), 1);
        m_bar->OnToolbarButtonClicked(m_bar->GetToolbar(), 7); // no such button
        BOOL upward = FALSE;
        POINT expected = LaunchBarShowPoint(row.position, button, &upward);
        const RecordingItem& clicked = m_items[1];
        EXPECT_EQ(1, clicked.shows);
        EXPECT_EQ(0, m_items[0].shows);
        EXPECT_EQ((RECT{expected.x, expected.y, upward, 0}),
                  (RECT{clicked.shownAt.x, clicked.shownAt.y, clicked.shownUpward, 0}))
            << "point and upward";
    }
}

// The cursor resting in the middle of the bar's strip, and whether the bar shows within two seconds.
bool RestInStripUntilShown(CLaunchBar& bar) {
    const RECT& strip = bar.GetHotWindow()->GetHotRect();
    SetCursorPos((strip.left + strip.right) / 2, (strip.top + strip.bottom) / 2);
    HWND toolbar = bar.GetToolbarWindow();
    return PumpMessagesUntil([toolbar] { return IsWindowVisible(toolbar) != FALSE; }, 2000);
}

// A taskbar moved or resized changes the work area only, and a change of monitors may move the
// bar's monitor: either docks the bar again, and a shown bar moves the area that keeps it shown.
TEST_F(LaunchBarWindow, EscHidesUntilTheCursorComesBackWorkAreaAndMonitorChangesDockItAndAltF4LeavesNoDeadOwner) {
    BuildAt(6, FALSE);
    HWND toolbar = m_bar->GetToolbarWindow();
    SetWindowPos(toolbar, nullptr, 5, 5, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(toolbar, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(ExpectedBar(), WindowRect()) << "after a work area change";

    ASSERT_TRUE(RestInStripUntilShown(*m_bar)) << "resting in the strip shows the bar";
    EXPECT_EQ(1, SendMessageW(toolbar, WM_KEYDOWN, VK_ESCAPE, 0));
    EXPECT_FALSE(IsWindowVisible(toolbar));
    EXPECT_TRUE(m_bar->GetHotWindow()->IsWatchingForEnter());
    PumpMessagesUntil([toolbar] { return IsWindowVisible(toolbar) != FALSE; }, 600);
    EXPECT_FALSE(IsWindowVisible(toolbar)) << "the cursor never left the strip";
    const RECT bar = ExpectedBar();
    SetCursorPos((bar.left + bar.right) / 2, bar.top - 200);
    PumpMessagesUntil([] { return false; }, 200);
    // Shown where it stood before the monitors changed.
    SetWindowPos(toolbar, nullptr, 5, 5, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(RestInStripUntilShown(*m_bar)) << "back in the strip after leaving it";
    EXPECT_EQ((RECT{5, 5, 55, 55}), m_bar->GetHotWindow()->GetKeepRect());
    SendMessageW(toolbar, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    EXPECT_EQ(ExpectedBar(), WindowRect());
    EXPECT_EQ(ExpectedBar(), m_bar->GetHotWindow()->GetKeepRect()) << "the keep area is where the bar is now";
    EXPECT_TRUE(IsWindowVisible(toolbar));

    for (const RecordingItem& item : m_items)
        EXPECT_EQ(toolbar, item.owner) << "the bar's window owns its items' menus";
    SendMessageW(toolbar, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(toolbar));
    EXPECT_EQ(nullptr, m_bar->GetToolbarWindow());
    EXPECT_FALSE(m_bar->GetHotWindow()->IsWatchingForEnter());
    // Without a main window the items are left with no owner rather than a dead one.
    for (const RecordingItem& item : m_items)
        EXPECT_EQ(nullptr, item.owner);
    EXPECT_EQ(nullptr, m_background.owner);
}

} // namespace
