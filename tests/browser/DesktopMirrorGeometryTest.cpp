#include "browser/DesktopMirrorGeometry.h"

#include <gtest/gtest.h>

namespace {

const std::vector<RECT> kOneMonitor = {{0, 0, 1280, 1024}};
// A second monitor left of the first, whose taskbar takes 40 pixels: the union starts at -800.
const std::vector<RECT> kTwoMonitors = {{0, 0, 1000, 760}, {-800, 100, 0, 700}};
const std::vector<RECT> kFullHd = {{0, 0, 1920, 1080}};

} // namespace

// desktop-free: DesktopMirrorGeometry
// The layout is compact exactly when the window is small, as the mirror decides it.
TEST(DesktopMirrorGeometry,
     SmallWindowsUnderEightyPercentGetCompactPlacesScaledKeptOffTheEdgesAndSizedToTheMonitorsScale) {
    struct Case {
        const std::vector<RECT>* monitors;
        BOOL allOnFirst;
        RECT view;
        POINT desktop, expected;
        UINT dpi;
    } cases[] = {
        // 640 x 512 less 16-pixel scroll bars: 624 x 496 against 1280 x 1024, rounded down;
        // compact icons of 16 pixels with 5-pixel margins.
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {20, 20}, {9, 9}, 96},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {1200, 900}, {585, 435}, 96},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {-1, -1}, {5, 5}, 96},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {1280, 1024}, {603, 475}, 96},
        // Not small: 32-pixel icons, 10-pixel margins.
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {20, 20}, {18, 19}, 96},
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {1275, 1020}, {1142, 942}, 96},
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {0, 0}, {10, 10}, 96},
        // 79 % both ways is small, 80 % one way is not.
        {&kOneMonitor, TRUE, {0, 0, 1023, 818}, {1280, 0}, {986, 5}, 96},
        {&kOneMonitor, TRUE, {0, 0, 1023, 820}, {1280, 0}, {965, 10}, 96},
        // The first monitor lies at 800 in desktop coordinates; the union is 1800 wide.
        {&kTwoMonitors, TRUE, {0, 0, 500, 400}, {1300, 380}, {242, 192}, 96},
        {&kTwoMonitors, FALSE, {0, 0, 500, 400}, {1300, 380}, {349, 192}, 96},
        {&kTwoMonitors, TRUE, {0, 0, 900, 500}, {1300, 380}, {442, 242}, 96},
        // A window one pixel wide: the far bound wins over the margin.
        {&kOneMonitor, TRUE, {0, 0, 1, 300}, {640, 100}, {-36, 27}, 96},
        // At 150 % icons are 48 pixels (24 compact) with 15-pixel margins (8 compact, 7.5 rounded)
        // and the scroll bars 24.
        {&kFullHd, TRUE, {0, 0, 1800, 1000}, {0, 0}, {15, 15}, 144},
        {&kFullHd, TRUE, {0, 0, 1800, 1000}, {1920, 1080}, {1713, 913}, 144},
        {&kFullHd, TRUE, {0, 0, 960, 540}, {0, 0}, {8, 8}, 144},
        {&kFullHd, TRUE, {0, 0, 960, 540}, {1920, 1080}, {904, 484}, 144},
    };
    for (const Case& c : cases) {
        const LONG scrollBar = MulDiv(16, c.dpi, 96);
        DesktopMirrorGeometry geometry = {*c.monitors, c.allOnFirst, c.view, {scrollBar, scrollBar}, FALSE, c.dpi};
        geometry.compact = IsSmallMirror(geometry);
        POINT place = MirrorPosition(geometry, c.desktop);
        EXPECT_TRUE(place.x == c.expected.x && place.y == c.expected.y)
            << c.dpi << " dpi: (" << c.desktop.x << "," << c.desktop.y << ") in " << c.view.right << " x "
            << c.view.bottom << " went to " << place.x << "," << place.y;
    }
    EXPECT_FALSE(IsSmallMirror(DesktopMirrorGeometry())) << "no monitor, nothing to compare with";
    EXPECT_FALSE(IsSmallMirror({kOneMonitor, TRUE, {0, 0, 500, 1000}, {}}));
    EXPECT_TRUE(IsOnFirstMonitor(kTwoMonitors, {800, 0}));
    EXPECT_TRUE(IsOnFirstMonitor(kTwoMonitors, {1799, 759}));
    EXPECT_FALSE(IsOnFirstMonitor(kTwoMonitors, {799, 10}));
    EXPECT_FALSE(IsOnFirstMonitor(kTwoMonitors, {1000, 760}));
}
