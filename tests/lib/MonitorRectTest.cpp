#include "lib/MonitorRect.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<MONITORINFO> Monitors() {
    std::vector<MONITORINFO> monitors;
    auto collect = [](HMONITOR monitor, HDC, LPRECT, LPARAM context) -> BOOL {
        MONITORINFO info = {sizeof(info), {}, {}, 0};
        GetMonitorInfoW(monitor, &info);
        reinterpret_cast<std::vector<MONITORINFO>*>(context)->push_back(info);
        return TRUE;
    };
    EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

} // namespace

// Run on two monitors, so that an index past the first is met too.
// two-monitors: MonitorRectTest.EachMonitorGivesItsWholeRectangleOrWorkAreaAndOthersGiveMonitorZerosWorkArea
TEST(MonitorRectTest, EachMonitorGivesItsWholeRectangleOrWorkAreaAndOthersGiveMonitorZerosWorkArea) {
    std::vector<MONITORINFO> monitors = Monitors();
    ASSERT_FALSE(monitors.empty());
    RECT rect = {};
    for (int index = 0; index < static_cast<int>(monitors.size()); ++index) {
        EXPECT_TRUE(GetMonitorRect(index, &rect, TRUE));
        EXPECT_TRUE(EqualRect(&monitors[index].rcMonitor, &rect)) << "monitor " << index;
        EXPECT_TRUE(GetMonitorRect(index, &rect, FALSE));
        EXPECT_TRUE(EqualRect(&monitors[index].rcWork, &rect)) << "monitor " << index;
    }
    for (int index : {static_cast<int>(monitors.size()), static_cast<int>(monitors.size()) + 3, -1}) {
        EXPECT_FALSE(GetMonitorRect(index, &rect, TRUE)) << "index " << index;
        EXPECT_TRUE(EqualRect(&monitors[0].rcWork, &rect)) << "index " << index;
    }

    // Past the monitors the whole-monitor flag is ignored: seen once a strip of the primary work
    // area is reserved, as a docked taskbar does. Wine may leave the monitors' own work areas
    // whole, and then the two rectangles are the same.
    RECT original = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &original, 0));
    RECT smaller = original;
    smaller.bottom -= 40;
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &smaller, 0));
    monitors = Monitors();
    BOOL result = GetMonitorRect(static_cast<int>(monitors.size()) + 3, &rect, TRUE);
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &original, 0);
    EXPECT_FALSE(result);
    EXPECT_TRUE(EqualRect(&monitors[0].rcWork, &rect));
}
