#include "lib/TaskbarShowPoint.h"

#include <gtest/gtest.h>

#include <shellapi.h>

// desktop-free: MenuAwayFromTaskbar
TEST(MenuAwayFromTaskbar, AClickOnTheTaskbarOpensTheMenuOffItsEdgeAndElsewhereAtTheCursor) {
    struct Case {
        const char* name;
        RECT taskbar;
        UINT edge;
        POINT cursor, point;
        BOOL openUpward;
    };
    // A 1920 x 1080 screen with the taskbar 48 pixels thick on each edge in turn.
    const Case cases[] = {
        {"bottom", {0, 1032, 1920, 1080}, ABE_BOTTOM, {700, 1050}, {700, 1032}, TRUE},
        {"top", {0, 0, 1920, 48}, ABE_TOP, {700, 20}, {700, 48}, FALSE},
        {"left", {0, 0, 48, 1080}, ABE_LEFT, {20, 500}, {48, 500}, FALSE},
        {"right", {1872, 0, 1920, 1080}, ABE_RIGHT, {1900, 500}, {1872, 500}, FALSE},
        {"bottom, cursor above it", {0, 1032, 1920, 1080}, ABE_BOTTOM, {700, 600}, {700, 600}, TRUE},
        {"left, cursor right of it", {0, 0, 48, 1080}, ABE_LEFT, {48, 500}, {48, 500}, TRUE},
    };
    for (const Case& c : cases) {
        MenuPlacement placement = PlaceMenuAwayFromTaskbar(c.cursor, &c.taskbar, c.edge);
        EXPECT_EQ(c.point.x, placement.point.x) << c.name;
        EXPECT_EQ(c.point.y, placement.point.y) << c.name;
        EXPECT_EQ(c.openUpward, placement.openUpward) << c.name;
    }
    MenuPlacement noTaskbar = PlaceMenuAwayFromTaskbar({5, 6}, nullptr, ABE_BOTTOM);
    EXPECT_EQ(5, noTaskbar.point.x);
    EXPECT_EQ(6, noTaskbar.point.y);
    EXPECT_TRUE(noTaskbar.openUpward);
}
