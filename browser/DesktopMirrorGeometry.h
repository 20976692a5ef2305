#pragma once
#include <windows.h>

#include <vector>

// Where a desktop icon goes in a smaller mirror of the desktop. Desktop positions are client
// coordinates of Explorer's desktop list view, whose origin is the top-left corner of the union of
// all monitors' work areas; the work areas come in screen coordinates, the first being the first
// monitor that EnumDisplayMonitors reports.
struct DesktopMirrorGeometry {
    std::vector<RECT> workAreas;
    // Every icon read lies on the first monitor: the mirror then scales against that monitor only.
    BOOL allIconsOnFirstMonitor = TRUE;
    // The mirror's view rectangle and the scroll bars it leaves room for.
    RECT view = {};
    SIZE scrollBars = {};
    BOOL compact = FALSE;
    // The scale of the mirror's monitor: icon sizes and margins are chosen at 96 DPI.
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
};

// The union of the work areas in screen coordinates (empty without monitors).
RECT UnionOfWorkAreas(const std::vector<RECT>& workAreas);
// The first monitor's work area, or the union of all, in desktop coordinates.
RECT DesktopReferenceRect(const std::vector<RECT>& workAreas, BOOL allIconsOnFirstMonitor);
// Whether a desktop position lies in the first monitor's work area.
BOOL IsOnFirstMonitor(const std::vector<RECT>& workAreas, POINT desktop);
// Below 80 % of the reference in both directions.
BOOL IsSmallMirror(const DesktopMirrorGeometry& geometry);
// The desktop position scaled into the view, kept off the view's edges and its scroll bars.
POINT MirrorPosition(const DesktopMirrorGeometry& geometry, POINT desktop);
