#pragma once
#include <windows.h>

#include <vector>

#include "config/LaunchBarOptions.h"

// Where the launch bar stands and where the strip that shows it lies, in screen pixels.
struct LaunchBarPlacement {
    RECT Bar;
    RECT HotStrip;
};

// The DPI of the monitor the options dock the bar on (monitor 0 when the index is past the list).
UINT GetLaunchBarDpi(const CLaunchBarOptions& options);
// The options with every length in them (button, margins, bar and strip thickness) brought from
// 96 DPI to the given DPI: the file keeps the sizes the user chose at 100 % scale.
CLaunchBarOptions ScaleLaunchBarOptions(const CLaunchBarOptions& options, UINT dpi);

// Left middle and right middle make a column; every other position a row.
BOOL IsVerticalLaunchBarPosition(UINT position);

// Docks a toolbar of the given size inside the work area of the options' monitor (monitor 0 when
// the index is past the list). The strip lies inside the bar on the side of the screen edge and
// runs along its whole length. Monitors come in as a list so that any layout can be placed, not
// only the one this machine has.
LaunchBarPlacement PlaceLaunchBar(const CLaunchBarOptions& options, SIZE toolbarSize,
                                  const std::vector<RECT>& monitorWorkAreas);

// Where an item clicked on the bar opens, in screen pixels, from the button's screen rectangle:
// beside the button on the side away from the screen edge, upward on bottom bars.
POINT LaunchBarShowPoint(UINT position, const RECT& button, BOOL* openUpward);
