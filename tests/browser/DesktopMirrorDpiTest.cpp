#include "browser/DesktopMirrorGeometry.h"

#include <gtest/gtest.h>

// desktop-free: DesktopMirrorDpi
// At 150 % the mirror's icons are 48 pixels (24 compact) with 15-pixel margins (8 compact): the
// places near the edges keep that much room.
TEST(DesktopMirrorDpi, IconsAndMarginsFollowTheMonitorsScale) {
    DesktopMirrorGeometry geometry = {{{0, 0, 1920, 1080}}, TRUE, {0, 0, 1800, 1000}, {24, 24}};
    geometry.dpi = 144;
    EXPECT_FALSE(IsSmallMirror(geometry));
    POINT nearCorner = MirrorPosition(geometry, {0, 0}), farCorner = MirrorPosition(geometry, {1920, 1080});
    EXPECT_EQ(15, nearCorner.x);
    EXPECT_EQ(15, nearCorner.y);
    EXPECT_EQ(1800 - 24 - 15 - 48, farCorner.x);
    EXPECT_EQ(1000 - 24 - 15 - 48, farCorner.y);

    geometry.view = {0, 0, 960, 540};
    geometry.compact = IsSmallMirror(geometry);
    ASSERT_TRUE(geometry.compact);
    nearCorner = MirrorPosition(geometry, {0, 0});
    farCorner = MirrorPosition(geometry, {1920, 1080});
    EXPECT_EQ(8, nearCorner.x) << "7.5 rounded";
    EXPECT_EQ(960 - 24 - 8 - 24, farCorner.x);
    EXPECT_EQ(540 - 24 - 8 - 24, farCorner.y);
}
