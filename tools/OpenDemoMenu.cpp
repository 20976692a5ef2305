// Clicks the first tray icon of a running Pathwren the way the notification area reports a click
// and opens the first submenu, so the screenshot ./run.sh takes on a virtual display shows a
// folder menu, not just two icons. With --about it right-clicks the icon instead and chooses
// About from the item's context menu.
#include "containers/NotifyIcon.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

const DWORD kWaitForIconsMs = 20000;
const DWORD kWaitForMenuMs = 5000;

// Highlights the first item and opens its submenu, as the arrow keys do.
void OpenFirstSubmenu() {
    HWND menu = nullptr;
    for (DWORD start = GetTickCount(); !menu && GetTickCount() - start < kWaitForMenuMs; Sleep(100))
        menu = FindWindowW(L"#32768", nullptr);
    if (!menu)
        return;
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RIGHT, 0);
}

// Show, Options, Help, About: the arrows skip the separators between them.
void ChooseAbout() {
    HWND menu = nullptr;
    for (DWORD start = GetTickCount(); !menu && GetTickCount() - start < kWaitForMenuMs; Sleep(100))
        menu = FindWindowW(L"#32768", nullptr);
    if (!menu)
        return;
    for (int step = 0; step < 4; ++step)
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool about = argc > 1 && wcscmp(argv[1], L"--about") == 0;
    HWND trayWindow = nullptr;
    for (DWORD start = GetTickCount(); !trayWindow && GetTickCount() - start < kWaitForIconsMs; Sleep(200))
        trayWindow = FindWindowW(kNotifyIconClassName, nullptr);
    if (!trayWindow) {
        fprintf(stderr, "no Pathwren tray icon found\n");
        return 1;
    }
    // The menu opens at the cursor: put it where the notification area is.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 40, GetSystemMetrics(SM_CYSCREEN) - 20);
    // The notification area's report of a click: the callback message with the mouse message.
    if (about) {
        PostMessageW(trayWindow, WM_NOTIFY_ICON_CALLBACK, 0, WM_RBUTTONUP);
        ChooseAbout();
        return 0;
    }
    PostMessageW(trayWindow, WM_NOTIFY_ICON_CALLBACK, 0, WM_LBUTTONUP);
    OpenFirstSubmenu();
    return 0;
}
