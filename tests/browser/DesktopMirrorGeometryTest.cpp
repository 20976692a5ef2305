#include "browser/DesktopMirrorGeometry.h"

#include <gtest/gtest.h>

namespace {

const std::vector<RECT> kOneMonitor = {{0, 0, 1280, 1024}};
// A second monitor left of the first, whose taskbar takes 40 pixels: the union starts at -800.
const std::vector<RECT> kTwoMonitors = {{0, 0, 1000, 760}, {-800, 100, 0, 700}};

} // namespace

TEST(DesktopMirrorGeometry, PositionsScaleAgainstTheReferenceAndStayOffTheEdges) {
    struct Case {
        const std::vector<RECT>* monitors;
        BOOL allOnFirst;
        RECT view;
        SIZE scrollBars;
        BOOL compact;
        POINT desktop;
        POINT expected;
    } cases[] = {
        // 640 x 512 less 16-pixel scroll bars: 624 x 496 against 1280 x 1024, rounded down.
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {16, 16}, TRUE, {20, 20}, {9, 9}},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {16, 16}, TRUE, {1200, 900}, {585, 435}},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {16, 16}, TRUE, {0, 0}, {5, 5}},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {16, 16}, TRUE, {-1, -1}, {5, 5}},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {16, 16}, TRUE, {1280, 1024}, {603, 475}},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {16, 16}, TRUE, {90000, 90000}, {603, 475}},
        // Not compact: 32-pixel icons, 10-pixel margins.
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {16, 16}, FALSE, {20, 20}, {18, 19}},
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {16, 16}, FALSE, {1275, 1020}, {1142, 942}},
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {16, 16}, FALSE, {0, 0}, {10, 10}},
        // The first monitor lies at 800 in desktop coordinates; the union is 1800 wide.
        {&kTwoMonitors, TRUE, {0, 0, 500, 400}, {0, 0}, TRUE, {1300, 380}, {250, 200}},
        {&kTwoMonitors, FALSE, {0, 0, 500, 400}, {0, 0}, TRUE, {1300, 380}, {361, 200}},
        {&kTwoMonitors, FALSE, {0, 0, 500, 400}, {0, 0}, TRUE, {300, 380}, {83, 200}},
        // A window one pixel wide: the far bound wins over the margin.
        {&kOneMonitor, TRUE, {0, 0, 1, 300}, {16, 16}, TRUE, {640, 100}, {-36, 27}},
    };
    for (const Case& c : cases) {
        DesktopMirrorGeometry geometry;
        geometry.workAreas = *c.monitors;
        geometry.allIconsOnFirstMonitor = c.allOnFirst;
        geometry.view = c.view;
        geometry.scrollBars = c.scrollBars;
        geometry.compact = c.compact;
        POINT place = MirrorPosition(geometry, c.desktop);
        EXPECT_EQ(c.expected.x, place.x) << "(" << c.desktop.x << "," << c.desktop.y << ") in a " << c.view.right
                                         << " wide view";
        EXPECT_EQ(c.expected.y, place.y) << "(" << c.desktop.x << "," << c.desktop.y << ") in a " << c.view.bottom
                                         << " high view";
    }
}

TEST(DesktopMirrorGeometry, SmallMeansUnderEightyPercentBothWaysOfTheReference) {
    struct Case {
        const std::vector<RECT>* monitors;
        BOOL allOnFirst;
        RECT view;
        BOOL small;
    } cases[] = {
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, TRUE},    {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, FALSE},
        {&kOneMonitor, TRUE, {0, 0, 1023, 818}, TRUE},   {&kOneMonitor, TRUE, {0, 0, 1023, 820}, FALSE},
        {&kOneMonitor, TRUE, {0, 0, 500, 1000}, FALSE},  {&kTwoMonitors, TRUE, {0, 0, 790, 600}, TRUE},
        {&kTwoMonitors, TRUE, {0, 0, 900, 500}, FALSE},  {&kTwoMonitors, FALSE, {0, 0, 900, 500}, TRUE},
        {&kTwoMonitors, FALSE, {0, 0, 900, 700}, FALSE}, {&kOneMonitor, TRUE, {0, 0, 1, 1}, TRUE},
    };
    for (const Case& c : cases) {
        DesktopMirrorGeometry geometry;
        geometry.workAreas = *c.monitors;
        geometry.allIconsOnFirstMonitor = c.allOnFirst;
        geometry.view = c.view;
        EXPECT_EQ(c.small, IsSmallMirror(geometry) != FALSE) << c.view.right << " x " << c.view.bottom;
    }
    EXPECT_FALSE(IsSmallMirror(DesktopMirrorGeometry())) << "no monitor, nothing to compare with";

    EXPECT_TRUE(IsOnFirstMonitor(kTwoMonitors, {800, 0}));
    EXPECT_TRUE(IsOnFirstMonitor(kTwoMonitors, {1799, 759}));
    EXPECT_FALSE(IsOnFirstMonitor(kTwoMonitors, {799, 10}));
    EXPECT_FALSE(IsOnFirstMonitor(kTwoMonitors, {1000, 760}));
}
