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
}

TEST(MonitorRectTest, IndexPastTheMonitorsIgnoresTheWholeMonitorFlag) {
    // Reserve a strip of the primary work area, as a docked taskbar does, so the two rectangles differ.
    RECT original = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &original, 0));
    RECT smaller = original;
    smaller.bottom -= 40;
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &smaller, 0));
    std::vector<MONITORINFO> monitors = Monitors();
    RECT rect = {};
    BOOL result = GetMonitorRect(static_cast<int>(monitors.size()) + 3, &rect, TRUE);
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &original, 0);
    // Wine sets the work area that SPI_GETWORKAREA reports but leaves the monitors' own work areas whole.
    if (EqualRect(&monitors[0].rcWork, &monitors[0].rcMonitor))
        GTEST_SKIP() << "Monitor 0's work area stayed equal to the whole monitor, so the two cannot be told apart";
    EXPECT_FALSE(result);
    EXPECT_TRUE(EqualRect(&monitors[0].rcWork, &rect));
}
