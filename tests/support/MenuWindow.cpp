#include "support/MenuWindow.h"

#include <cwchar>

namespace {

BOOL CALLBACK FindMenuWindowOfProcess(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    WCHAR className[16] = L"";
    GetClassNameW(window, className, 16);
    if (process != GetCurrentProcessId() || wcscmp(className, L"#32768") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

} // namespace

HWND FindOwnMenuWindow() {
    HWND window = nullptr;
    EnumWindows(FindMenuWindowOfProcess, reinterpret_cast<LPARAM>(&window));
    return window;
}
