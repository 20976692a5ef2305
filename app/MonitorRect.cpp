#include "app/MonitorRect.h"

namespace {

struct MonitorSearch {
    int wantedIndex;
    int index;
    HMONITOR found;
};

BOOL CALLBACK VisitMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto* search = reinterpret_cast<MonitorSearch*>(context);
    if (search->index++ == search->wantedIndex) {
        search->found = monitor;
        return FALSE;
    }
    return TRUE;
}

HMONITOR FindMonitor(int index) {
    MonitorSearch search = {index, 0, nullptr};
    EnumDisplayMonitors(nullptr, nullptr, VisitMonitor, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

BOOL GetMonitorRect(int index, RECT* rect, BOOL wholeMonitor) {
    HMONITOR monitor = index >= 0 ? FindMonitor(index) : nullptr;
    BOOL found = monitor != nullptr;
    if (!found) {
        monitor = FindMonitor(0);
        wholeMonitor = FALSE;
    }
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) {
        // No monitor at all (a session without a display): the primary work area is all there is.
        SystemParametersInfoW(SPI_GETWORKAREA, 0, rect, 0);
        return FALSE;
    }
    *rect = wholeMonitor ? info.rcMonitor : info.rcWork;
    return found;
}
