#include "lib/MonitorRect.h"

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<MonitorAreas>*>(context)->push_back({info.rcMonitor, info.rcWork});
    return TRUE;
}

RECT PrimaryWorkArea() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

} // namespace

std::vector<MonitorAreas> EnumerateMonitors() {
    std::vector<MonitorAreas> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

std::vector<RECT> GetMonitorWorkAreas() {
    std::vector<RECT> workAreas;
    for (const MonitorAreas& monitor : EnumerateMonitors())
        workAreas.push_back(monitor.Work);
    if (workAreas.empty())
        workAreas.push_back(PrimaryWorkArea());
    return workAreas;
}

BOOL GetMonitorRect(int index, RECT* rect, BOOL wholeMonitor) {
    std::vector<MonitorAreas> monitors = EnumerateMonitors();
    if (monitors.empty()) {
        // No monitor at all (a session without a display): the primary work area is all there is.
        *rect = PrimaryWorkArea();
        return FALSE;
    }
    if (index < 0 || static_cast<size_t>(index) >= monitors.size()) {
        *rect = monitors[0].Work;
        return FALSE;
    }
    *rect = wholeMonitor ? monitors[index].Monitor : monitors[index].Work;
    return TRUE;
}
