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

// The presses count from a menu without a selection, but a cursor that an earlier case left where
// the menu opens selects the entry under it. So the cursor leaves the menu first (Wine keeps that
// selection, Windows clears it), and the presses then start from whatever is selected.
bool CursorMovedOffMenu(HWND menuWindow) {
    RECT menuRect;
    GetWindowRect(menuWindow, &menuRect);
    POINT cursor;
    GetCursorPos(&cursor);
    if (!PtInRect(&menuRect, cursor))
        return false;
    SetCursorPos(menuRect.left > 20 ? menuRect.left - 20 : menuRect.right + 20, menuRect.top);
    return true;
}

// How many presses reach the entry that `g_menuPresses` presses reach from no selection.
int PressesFromSelection(HWND menuWindow) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    int selectable = 0;
    int selected = -1;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        UINT state = GetMenuState(menu, position, MF_BYPOSITION);
        if (state & MF_SEPARATOR)
            continue;
        if (state & MF_HILITE)
            selected = selectable;
        ++selectable;
    }
    if (selected < 0 || selectable == 0)
        return g_menuPresses;
    int target = g_menuArrowKey == VK_DOWN ? g_menuPresses - 1 : selectable - g_menuPresses;
    int distance = g_menuArrowKey == VK_DOWN ? target - selected : selected - target;
    return ((distance % selectable) + selectable) % selectable;
}

void CALLBACK ChooseMenuEntry(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindOwnWindow(L"#32768");
    if (!menu || CursorMovedOffMenu(menu))
        return;
    KillTimer(nullptr, timer);
    for (int step = PressesFromSelection(menu); step > 0; --step)
        PostMessageW(menu, WM_KEYDOWN, g_menuArrowKey, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
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
