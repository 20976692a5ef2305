#pragma once
// What the benches share: the best-of-runs timer, a plain host window for a folder view, and
// folders of empty files. A header only: every source file of bench/ is a program of its own.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shobjidl.h>

#include <algorithm>
#include <functional>
#include <string>

namespace bench {

// Milliseconds of the fastest of the runs: the least a busy machine added to the work.
inline double Best(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int run = 0; run < runs; run++) {
        LARGE_INTEGER start, end, frequency;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        QueryPerformanceFrequency(&frequency);
        best = std::min(best, 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                  static_cast<double>(frequency.QuadPart));
    }
    return best;
}

// The best times of two pieces of work measured turn about, so that a machine whose load changes
// during the run weighs on both alike; for ratios of work to its floor.
struct BestPair {
    double work;
    double floor;
};
inline BestPair BestOfAlternating(int runs, const std::function<void()>& work, const std::function<void()>& floor) {
    BestPair best = {1e300, 1e300};
    for (int run = 0; run < runs; run++) {
        best.work = std::min(best.work, Best(1, work));
        best.floor = std::min(best.floor, Best(1, floor));
    }
    return best;
}

// The browser a view in the host window gets when it asks its parent (WM_USER + 7) for one.
inline IShellBrowser*& HostedBrowser() {
    static IShellBrowser* browser = nullptr;
    return browser;
}

inline LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 7)
        return reinterpret_cast<LRESULT>(HostedBrowser());
    return DefWindowProcW(window, message, wParam, lParam);
}

// A visible, undecorated top-level window at the screen's origin.
// OLE and the common controls, as a program hosting shell views starts them.
inline void StartShellUi() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

inline HWND CreateHost(int width, int height) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PathwrenBenchHost";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

// Empty files "file <n>.txt" and "file <n>.dat", alternating.
inline void MakeFiles(const std::wstring& folder, int count) {
    for (int index = 0; index < count; index++) {
        std::wstring path = folder + L"\\file " + std::to_wstring(index) + (index % 2 ? L".txt" : L".dat");
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
}

} // namespace bench
