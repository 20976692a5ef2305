#include "lib/Dpi.h"

#include "lib/RuntimeModule.h"
#include "lib/WindowDc.h"

namespace {

typedef UINT(WINAPI* GetDpiForWindowFunction)(HWND);
typedef HRESULT(WINAPI* GetDpiForMonitorFunction)(HMONITOR, int, UINT*, UINT*);
typedef int(WINAPI* GetSystemMetricsForDpiFunction)(int, UINT);
typedef HRESULT(WINAPI* LoadIconMetricFunction)(HINSTANCE, PCWSTR, int, HICON*);

const int kEffectiveDpi = 0;    // MDT_EFFECTIVE_DPI
const int kSmallIconMetric = 0; // LIM_SMALL

// The modules stay loaded for the life of the process: user32 always is, and shcore is asked
// about monitors on every menu and bar placement.
const CRuntimeModule& User32() {
    static const CRuntimeModule user32(L"user32.dll");
    return user32;
}

UINT GetMonitorDpi(HMONITOR monitor) {
    static const CRuntimeModule shcore(L"shcore.dll");
    static const auto getDpiForMonitor = shcore.Procedure<GetDpiForMonitorFunction>("GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    if (monitor && getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiY)
        return dpiY;
    return GetSystemDpi();
}

} // namespace

UINT GetSystemDpi() {
    CWindowDc screen;
    int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

UINT GetWindowDpi(HWND window) {
    static const auto getDpiForWindow = User32().Procedure<GetDpiForWindowFunction>("GetDpiForWindow");
    UINT dpi = (window && getDpiForWindow) ? getDpiForWindow(window) : 0;
    return dpi ? dpi : GetSystemDpi();
}

UINT GetPointDpi(POINT point) {
    return GetMonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

UINT GetRectDpi(const RECT& rectangle) {
    return GetMonitorDpi(MonitorFromRect(&rectangle, MONITOR_DEFAULTTONEAREST));
}

int ScaleForDpi(int length, UINT dpi) {
    return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

int UnscaleForDpi(int length, UINT dpi) {
    return dpi ? MulDiv(length, static_cast<int>(kBaseDpi), static_cast<int>(dpi)) : length;
}

int GetSystemMetricForDpi(int index, UINT dpi) {
    static const auto getMetricForDpi = User32().Procedure<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (getMetricForDpi)
        return getMetricForDpi(index, dpi);
    // Without the function the metrics are the system DPI's; they scale like any other length.
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(GetSystemDpi()));
}

HICON LoadSmallIconMetric(HINSTANCE instance, LPCWSTR name) {
    static const CRuntimeModule comctl32(L"comctl32.dll");
    static const auto loadIconMetric = comctl32.Procedure<LoadIconMetricFunction>("LoadIconMetric");
    HICON icon = nullptr;
    if (loadIconMetric && SUCCEEDED(loadIconMetric(instance, name, kSmallIconMetric, &icon)) && icon)
        return icon;
    return static_cast<HICON>(
        LoadImageW(instance, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}
