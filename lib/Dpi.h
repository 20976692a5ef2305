#pragma once
#include <windows.h>

// Dots per inch of what is on the screen, and sizes chosen at 96 DPI brought to them. Windows 10
// 1607 and later (8.1 for monitors) tell each window's and monitor's own DPI; older systems have
// one DPI for everything, which every function here falls back to.

// The DPI sizes are chosen at: 100 % scale.
const UINT kBaseDpi = USER_DEFAULT_SCREEN_DPI;

UINT GetSystemDpi();
// The DPI the window is laid out for: its monitor's in a per-monitor aware process.
UINT GetWindowDpi(HWND window);
// The DPI of the monitor nearest to the point, or of the one the rectangle overlaps most.
UINT GetPointDpi(POINT point);
UINT GetRectDpi(const RECT& rectangle);

// A length chosen at 96 DPI, at the given DPI, and back; rounded to the nearest pixel.
int ScaleForDpi(int length, UINT dpi);
int UnscaleForDpi(int length, UINT dpi);

// The system metric (SM_CXSMICON...) as the system gives it at that DPI.
int GetSystemMetricForDpi(int index, UINT dpi);

// A new icon of the resource at the size the shell shows small icons at, such as the
// notification area's, which the caller destroys; through LoadIconMetric where comctl32 has it,
// which picks the resource's image for that size as the shell does.
HICON LoadSmallIconMetric(HINSTANCE instance, LPCWSTR name);
