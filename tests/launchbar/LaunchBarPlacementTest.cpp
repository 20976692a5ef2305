// Placement of the launch bar on monitor layouts the test display does not have: each edge and
// corner, full length on and off, monitors right of, left of and above the primary one, and
// monitor indices that are not there. Every rectangle below is worked out by hand.
#include "config/LaunchBarOptions.h"
#include "launchbar/LaunchBarPlacement.h"
#include "support/RectCompare.h"

#include <gtest/gtest.h>

namespace {

// Work areas: the primary monitor with a 40-pixel taskbar, then a second monitor of 1024 x 768.
const std::vector<RECT> kPrimaryOnly = {{0, 0, 1280, 984}};
const std::vector<RECT> kRightOfPrimary = {{0, 0, 1280, 984}, {1280, 100, 2304, 868}};
const std::vector<RECT> kLeftOfPrimary = {{0, 0, 1280, 984}, {-1024, -200, 0, 568}};
const std::vector<RECT> kAbovePrimary = {{0, 0, 1280, 984}, {0, -768, 1024, 0}};

const SIZE kRow = {240, 28};
const SIZE kColumn = {28, 240};

struct PlacementCase {
    UINT position;
    BOOL fullLength;
    const std::vector<RECT>* monitors;
    UINT screenIndex, stripThickness;
    SIZE toolbar;
    RECT bar, strip;
};

const PlacementCase kCases[] = {
    // The primary monitor, every position, length from the toolbar and full.
    {0, FALSE, &kPrimaryOnly, 0, 8, kRow, {0, 0, 240, 28}, {0, 0, 240, 8}},
    {0, TRUE, &kPrimaryOnly, 0, 8, kRow, {0, 0, 1280, 28}, {0, 0, 1280, 8}},
    {1, FALSE, &kPrimaryOnly, 0, 8, kRow, {520, 0, 760, 28}, {520, 0, 760, 8}},
    {1, TRUE, &kPrimaryOnly, 0, 8, kRow, {0, 0, 1280, 28}, {0, 0, 1280, 8}},
    {2, FALSE, &kPrimaryOnly, 0, 8, kRow, {1040, 0, 1280, 28}, {1040, 0, 1280, 8}},
    {2, TRUE, &kPrimaryOnly, 0, 8, kRow, {0, 0, 1280, 28}, {0, 0, 1280, 8}},
    {3, FALSE, &kPrimaryOnly, 0, 8, kColumn, {0, 372, 28, 612}, {0, 372, 8, 612}},
    {3, TRUE, &kPrimaryOnly, 0, 8, kColumn, {0, 0, 28, 984}, {0, 0, 8, 984}},
    {4, FALSE, &kPrimaryOnly, 0, 8, kColumn, {1252, 372, 1280, 612}, {1272, 372, 1280, 612}},
    {4, TRUE, &kPrimaryOnly, 0, 8, kColumn, {1252, 0, 1280, 984}, {1272, 0, 1280, 984}},
    {5, FALSE, &kPrimaryOnly, 0, 8, kRow, {0, 956, 240, 984}, {0, 976, 240, 984}},
    {5, TRUE, &kPrimaryOnly, 0, 8, kRow, {0, 956, 1280, 984}, {0, 976, 1280, 984}},
    {6, FALSE, &kPrimaryOnly, 0, 8, kRow, {520, 956, 760, 984}, {520, 976, 760, 984}},
    {6, TRUE, &kPrimaryOnly, 0, 8, kRow, {0, 956, 1280, 984}, {0, 976, 1280, 984}},
    {7, FALSE, &kPrimaryOnly, 0, 8, kRow, {1040, 956, 1280, 984}, {1040, 976, 1280, 984}},
    {7, TRUE, &kPrimaryOnly, 0, 8, kRow, {0, 956, 1280, 984}, {0, 976, 1280, 984}},
    // An unknown position is the top left corner, as a row.
    {9, FALSE, &kPrimaryOnly, 0, 8, kRow, {0, 0, 240, 28}, {0, 0, 240, 8}},
    {9, TRUE, &kPrimaryOnly, 0, 8, kRow, {0, 0, 1280, 28}, {0, 0, 1280, 8}},
    // A second monitor right of the primary one, measured from its own work area.
    {0, FALSE, &kRightOfPrimary, 1, 8, kRow, {1280, 100, 1520, 128}, {1280, 100, 1520, 108}},
    {1, FALSE, &kRightOfPrimary, 1, 8, kRow, {1672, 100, 1912, 128}, {1672, 100, 1912, 108}},
    {3, FALSE, &kRightOfPrimary, 1, 8, kColumn, {1280, 364, 1308, 604}, {1280, 364, 1288, 604}},
    {5, FALSE, &kRightOfPrimary, 1, 8, kRow, {1280, 840, 1520, 868}, {1280, 860, 1520, 868}},
    {6, TRUE, &kRightOfPrimary, 1, 8, kRow, {1280, 840, 2304, 868}, {1280, 860, 2304, 868}},
    // Left of it, all coordinates negative or zero.
    {1, TRUE, &kLeftOfPrimary, 1, 8, kRow, {-1024, -200, 0, -172}, {-1024, -200, 0, -192}},
    {2, FALSE, &kLeftOfPrimary, 1, 8, kRow, {-240, -200, 0, -172}, {-240, -200, 0, -192}},
    {4, TRUE, &kLeftOfPrimary, 1, 8, kColumn, {-28, -200, 0, 568}, {-8, -200, 0, 568}},
    {7, FALSE, &kLeftOfPrimary, 1, 8, kRow, {-240, 540, 0, 568}, {-240, 560, 0, 568}},
    // Above it: a bottom bar ends on the primary monitor's top edge.
    {6, FALSE, &kAbovePrimary, 1, 8, kRow, {392, -28, 632, 0}, {392, -8, 632, 0}},
    {3, TRUE, &kAbovePrimary, 1, 8, kColumn, {0, -768, 28, 0}, {0, -768, 8, 0}},
    // Indices past the monitors take the primary one.
    {6, FALSE, &kRightOfPrimary, 5, 8, kRow, {520, 956, 760, 984}, {520, 976, 760, 984}},
    {0, FALSE, &kLeftOfPrimary, 0xFFFFFFFF, 8, kRow, {0, 0, 240, 28}, {0, 0, 240, 8}},
    // A strip of 0 pixels (a file edited by hand) is one pixel thick, or the bar could never
    // show again; a strip thicker than the bar, up to the largest number a file can hold, stays
    // inside it.
    {6, FALSE, &kPrimaryOnly, 0, 0, kRow, {520, 956, 760, 984}, {520, 983, 760, 984}},
    {3, FALSE, &kPrimaryOnly, 0, 0, kColumn, {0, 372, 28, 612}, {0, 372, 1, 612}},
    {6, FALSE, &kPrimaryOnly, 0, 0xFFFFFFFF, kRow, {520, 956, 760, 984}, {520, 956, 760, 984}},
    {6, FALSE, &kPrimaryOnly, 0, 40, kRow, {520, 956, 760, 984}, {520, 956, 760, 984}},
    {4, FALSE, &kPrimaryOnly, 0, 40, kColumn, {1252, 372, 1280, 612}, {1252, 372, 1280, 612}},
    // A toolbar longer than the monitor is not cut: it keeps its size from the near edge.
    {0, FALSE, &kPrimaryOnly, 0, 8, {1500, 28}, {0, 0, 1500, 28}, {0, 0, 1500, 8}},
};

// desktop-free: LaunchBarPlacement
TEST(LaunchBarPlacement, MatchesHandWorkedRectangles) {
    for (const PlacementCase& row : kCases) {
        CLaunchBarOptions options;
        options.Position = row.position;
        options.UseFullScreenWidth = row.fullLength;
        options.ScreenIndex = row.screenIndex;
        options.HotCornerActiveWitdh = row.stripThickness;
        LaunchBarPlacement placement = PlaceLaunchBar(options, row.toolbar, *row.monitors);
        SCOPED_TRACE(testing::Message() << "position " << row.position << ", full " << row.fullLength << ", monitor "
                                        << row.screenIndex << " of " << row.monitors->size() << ", strip "
                                        << row.stripThickness);
        EXPECT_EQ(row.bar, placement.Bar) << "bar";
        EXPECT_EQ(row.strip, placement.HotStrip) << "strip";
    }
}

} // namespace
