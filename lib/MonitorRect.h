#pragma once
#include <windows.h>

#include <vector>

// One monitor as the system enumerates it: its whole rectangle and its work area.
struct MonitorAreas {
    RECT Monitor;
    RECT Work;
};

// Every monitor in the system's enumeration order (the order monitor indices in the settings
// refer to); empty in a session without a display.
std::vector<MonitorAreas> EnumerateMonitors();

// The work areas in enumeration order; the primary work area alone when no monitor answers.
std::vector<RECT> GetMonitorWorkAreas();

// The rectangle of the monitor with the given index in the system's enumeration order: the whole
// monitor or only its work area. An index past the last monitor gives the work area of monitor 0,
// whatever wholeMonitor says, and FALSE.
BOOL GetMonitorRect(int index, RECT* rect, BOOL wholeMonitor);
