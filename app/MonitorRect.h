#pragma once
#include <windows.h>

// The rectangle of the monitor with the given index in the system's enumeration order: the whole
// monitor or only its work area. An index past the last monitor gives the work area of monitor 0,
// whatever wholeMonitor says, and FALSE.
BOOL GetMonitorRect(int index, RECT* rect, BOOL wholeMonitor);
