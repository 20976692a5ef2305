#include "support/WindowSearch.h"

namespace {

struct Search {
    LPCWSTR className;
    DWORD processId;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    WCHAR className[64] = L"";
    GetClassNameW(window, className, 64);
    if (owner == search->processId && lstrcmpW(className, search->className) == 0 &&
        (!search->visibleOnly || IsWindowVisible(window)))
        search->found.push_back(window);
    return TRUE;
}

int g_menuPresses = 0;
UINT g_menuArrowKey = VK_DOWN;

void CALLBACK ChooseMenuEntry(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND menu = FindOwnWindow(L"#32768")) {
        KillTimer(nullptr, timer);
        for (int step = 0; step < g_menuPresses; ++step)
            PostMessageW(menu, WM_KEYDOWN, g_menuArrowKey, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    }
}

} // namespace

std::vector<HWND> WindowsOfClass(LPCWSTR className, DWORD processId, bool visibleOnly) {
    Search search{className, processId, visibleOnly, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindOwnWindow(LPCWSTR className) {
    std::vector<HWND> windows = WindowsOfClass(className);
    return windows.empty() ? nullptr : windows[0];
}

UINT_PTR ChooseMenuEntryWhenShown(int presses, UINT arrowKey) {
    g_menuPresses = presses;
    g_menuArrowKey = arrowKey;
    return SetTimer(nullptr, 0, 50, ChooseMenuEntry);
}
