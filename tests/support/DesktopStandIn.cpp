#include "support/DesktopStandIn.h"

#include "browser/DesktopListView.h"

#include <commctrl.h>

std::wstring DesktopStandInPath() {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    return path.substr(0, path.rfind(L'\\')) + L"\\..\\DesktopStandIn.exe";
}

HWND WaitForDesktopListView(DWORD processId, int items) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(20)) {
        HWND found = FindDesktopListView();
        DWORD owner = 0;
        if (found && GetWindowThreadProcessId(found, &owner) && owner == processId &&
            ListView_GetItemCount(found) >= items)
            return found;
    }
    return nullptr;
}

void CloseDesktopStandIn(HWND listView) {
    HWND top = GetAncestor(listView, GA_ROOT);
    PostMessageW(top, WM_CLOSE, 0, 0);
    HWND progman = FindWindowW(L"Progman", L"Program Manager");
    if (progman && progman != top)
        PostMessageW(progman, WM_CLOSE, 0, 0);
}
