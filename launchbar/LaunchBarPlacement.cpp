#include "launchbar/LaunchBarPlacement.h"

#include "lib/Dpi.h"
#include "lib/MonitorRect.h"
#include "config/LaunchBarOptions.h"

#include <algorithm>

namespace {

// Where the bar sits along each axis of the work area.
enum Anchor { AnchorNear, AnchorCentre, AnchorFar };

struct PositionAnchors {
    Anchor horizontal;
    Anchor vertical;
};

// By position: top left, top centre, top right, left middle, right middle, bottom left, bottom
// centre, bottom right. Unknown positions take the top left corner.
const PositionAnchors kPositionAnchors[] = {
    {AnchorNear, AnchorNear},  {AnchorCentre, AnchorNear}, {AnchorFar, AnchorNear},   {AnchorNear, AnchorCentre},
    {AnchorFar, AnchorCentre}, {AnchorNear, AnchorFar},    {AnchorCentre, AnchorFar}, {AnchorFar, AnchorFar},
};

PositionAnchors AnchorsOf(UINT position) {
    return position < ARRAYSIZE(kPositionAnchors) ? kPositionAnchors[position] : kPositionAnchors[0];
}

LONG Align(Anchor anchor, LONG nearEdge, LONG farEdge, LONG length) {
    switch (anchor) {
        case AnchorCentre:
            return nearEdge + (farEdge - nearEdge - length) / 2;
        case AnchorFar:
            return farEdge - length;
        default:
            return nearEdge;
    }
}

} // namespace

UINT GetLaunchBarDpi(const CLaunchBarOptions& options) {
    RECT work = {};
    GetMonitorRect(static_cast<int>(std::min<UINT>(options.ScreenIndex, 0x7FFFFFFF)), &work, FALSE);
    return GetRectDpi(work);
}

CLaunchBarOptions ScaleLaunchBarOptions(const CLaunchBarOptions& options, UINT dpi) {
    CLaunchBarOptions scaled(options);
    auto scale = [dpi](UINT length) {
        return static_cast<UINT>(ScaleForDpi(static_cast<int>(std::min<UINT>(length, 0x7FFFFFFF / 4)), dpi));
    };
    scaled.IconSize = scale(options.IconSize);
    scaled.IconHeight = scale(options.IconHeight);
    scaled.MinWidth = scale(options.MinWidth);
    scaled.MinHeight = scale(options.MinHeight);
    scaled.HotCornerActiveWitdh = scale(options.HotCornerActiveWitdh);
    scaled.MarginLeft = ScaleForDpi(options.MarginLeft, dpi);
    scaled.MarginTop = ScaleForDpi(options.MarginTop, dpi);
    scaled.MarginRight = ScaleForDpi(options.MarginRight, dpi);
    scaled.MarginBottom = ScaleForDpi(options.MarginBottom, dpi);
    return scaled;
}

BOOL IsVerticalLaunchBarPosition(UINT position) {
    return position == 3 || position == 4;
}

LaunchBarPlacement PlaceLaunchBar(const CLaunchBarOptions& options, SIZE toolbarSize,
                                  const std::vector<RECT>& monitorWorkAreas) {
    LaunchBarPlacement placement = {};
    if (monitorWorkAreas.empty())
        return placement;
    const RECT& work =
        options.ScreenIndex < monitorWorkAreas.size() ? monitorWorkAreas[options.ScreenIndex] : monitorWorkAreas[0];
    const BOOL vertical = IsVerticalLaunchBarPosition(options.Position);
    LONG width = toolbarSize.cx;
    LONG height = toolbarSize.cy;
    if (options.UseFullScreenWidth && vertical)
        height = work.bottom - work.top;
    else if (options.UseFullScreenWidth)
        width = work.right - work.left;

    const PositionAnchors anchors = AnchorsOf(options.Position);
    RECT& bar = placement.Bar;
    bar.left = Align(anchors.horizontal, work.left, work.right, width);
    bar.top = Align(anchors.vertical, work.top, work.bottom, height);
    bar.right = bar.left + width;
    bar.bottom = bar.top + height;

    // A strip thicker than the bar would show it while the cursor rests beside it.
    RECT& strip = placement.HotStrip;
    strip = bar;
    // And one thinner than a pixel, from a file edited by hand, could never be reached.
    const LONG thickness =
        std::max<LONG>(1, std::min<LONG>(static_cast<LONG>(std::min<UINT>(options.HotCornerActiveWitdh, 0x7FFFFFFF)),
                                         vertical ? width : height));
    if (vertical && anchors.horizontal == AnchorFar)
        strip.left = strip.right - thickness;
    else if (vertical)
        strip.right = strip.left + thickness;
    else if (anchors.vertical == AnchorFar)
        strip.top = strip.bottom - thickness;
    else
        strip.bottom = strip.top + thickness;
    return placement;
}

POINT LaunchBarShowPoint(UINT position, const RECT& button, BOOL* openUpward) {
    // Menus are tracked left-aligned: a point on the button's right edge makes the menu start
    // there, and an upward menu ends at the point.
    *openUpward = position >= 5 && position <= 7;
    switch (position) {
        case 2:
            return {button.right, button.bottom};
        case 3: // a column on the left: the menu opens to its right
            return {button.right, button.top};
        case 4: // a column on the right: the system moves the menu back in from the screen edge
        case 5:
        case 6:
            return {button.left, button.top};
        case 7:
            return {button.right, button.top};
        default:
            return {button.left, button.bottom};
    }
}
