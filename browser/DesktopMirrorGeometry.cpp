#include "browser/DesktopMirrorGeometry.h"

#include "lib/Dpi.h"

namespace {

const LONG kSmallPercent = 80;
const LONG kCompactIconSize = 16, kCompactMargin = 5;
const LONG kIconSize = 32, kMargin = 10;

// Raised to the low bound first, then lowered to the high one: in a view too small for an icon
// the high bound wins and the icon stands partly outside rather than past the scroll bar.
LONG Clamp(LONG value, LONG low, LONG high) {
    if (value < low)
        value = low;
    if (value > high)
        value = high;
    return value;
}

} // namespace

RECT UnionOfWorkAreas(const std::vector<RECT>& workAreas) {
    RECT all = {};
    for (const RECT& area : workAreas)
        UnionRect(&all, &all, &area);
    return all;
}

RECT DesktopReferenceRect(const std::vector<RECT>& workAreas, BOOL allIconsOnFirstMonitor) {
    RECT all = UnionOfWorkAreas(workAreas);
    RECT reference = allIconsOnFirstMonitor && !workAreas.empty() ? workAreas[0] : all;
    OffsetRect(&reference, -all.left, -all.top);
    return reference;
}

BOOL IsOnFirstMonitor(const std::vector<RECT>& workAreas, POINT desktop) {
    RECT first = DesktopReferenceRect(workAreas, TRUE);
    return PtInRect(&first, desktop);
}

BOOL IsSmallMirror(const DesktopMirrorGeometry& geometry) {
    RECT reference = DesktopReferenceRect(geometry.workAreas, geometry.allIconsOnFirstMonitor);
    LONG referenceWidth = reference.right - reference.left, referenceHeight = reference.bottom - reference.top;
    if (referenceWidth <= 0 || referenceHeight <= 0)
        return FALSE;
    const RECT& view = geometry.view;
    return (view.bottom - view.top) * 100 / referenceHeight < kSmallPercent &&
           (view.right - view.left) * 100 / referenceWidth < kSmallPercent;
}

POINT MirrorPosition(const DesktopMirrorGeometry& geometry, POINT desktop) {
    RECT reference = DesktopReferenceRect(geometry.workAreas, geometry.allIconsOnFirstMonitor);
    LONG referenceWidth = reference.right - reference.left, referenceHeight = reference.bottom - reference.top;
    const RECT& view = geometry.view;
    LONG right = view.right - geometry.scrollBars.cx, bottom = view.bottom - geometry.scrollBars.cy;
    LONG iconSize = ScaleForDpi(geometry.compact ? kCompactIconSize : kIconSize, geometry.dpi);
    LONG margin = ScaleForDpi(geometry.compact ? kCompactMargin : kMargin, geometry.dpi);
    POINT place = {};
    if (referenceWidth > 0)
        place.x =
            static_cast<LONG>(static_cast<LONGLONG>(right - view.left) * (desktop.x - reference.left) / referenceWidth);
    if (referenceHeight > 0)
        place.y =
            static_cast<LONG>(static_cast<LONGLONG>(bottom - view.top) * (desktop.y - reference.top) / referenceHeight);
    place.x = Clamp(place.x, margin, right - margin - iconSize);
    place.y = Clamp(place.y, margin, bottom - margin - iconSize);
    return place;
}
