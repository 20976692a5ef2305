// Clicks the first tray icon of a running Pathwren the way the notification area reports a click
// and opens the first submenu, so the screenshot ./run.sh takes on a virtual display shows a
// folder menu, not just two icons. With --about it right-clicks the icon instead and chooses
// About from the item's context menu. With --launch-bar it rests the cursor in the launch bar's
// strip at the top of the screen until the bar shows, then hovers the first button and prints
// the part of the screen around the bar for the picture. With
// --options it asks the program for its options dialog, as an item's Options entry does; --options-page N then shows
// page N of the open dialog (0 application, 1 launch bar, 2 the first item, 3 to 5 its browsing options, file filters
// and customization) and prints the dialog's screen rectangle for the picture.
#include "app/Pathwren.h"
#include "containers/NotifyIcon.h"
#include "skin/TransparentToolbar.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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

// The first item's tray window: windows are listed top first and each new one goes on top, so
// the first item's, made first, comes last.
HWND FindFirstTrayWindow() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM result) {
            wchar_t className[64] = L"";
            GetClassNameW(window, className, ARRAYSIZE(className));
            if (wcscmp(className, kNotifyIconClassName) == 0)
                *reinterpret_cast<HWND*>(result) = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int ShowLaunchBar() {
    HWND bar = nullptr;
    for (DWORD start = GetTickCount(); !bar && GetTickCount() - start < kWaitForIconsMs; Sleep(200))
        bar = FindWindowW(CTransparentToolbar::ClassName, nullptr);
    if (!bar) {
        fprintf(stderr, "no Pathwren launch bar found\n");
        return 1;
    }
    RECT placed = {};
    GetWindowRect(bar, &placed);
    SetCursorPos((placed.left + placed.right) / 2, 1);
    for (DWORD start = GetTickCount(); !IsWindowVisible(bar) && GetTickCount() - start < kWaitForMenuMs; Sleep(50)) {
    }
    // Over the first of the two demo buttons, which the bar centres: one button's width left of
    // the middle (a button is about as wide as the bar is high).
    GetWindowRect(bar, &placed);
    int height = placed.bottom - placed.top;
    SetCursorPos((placed.left + placed.right) / 2 - height / 2, placed.top + height / 2);
    Sleep(1500);
    // The part of the screen the picture shows: the bar with room on both sides and below it for
    // the button's tooltip, in the geometry ImageMagick's import takes.
    RECT shown = {std::max<LONG>(0, placed.left - 3 * height), 0, placed.right + 3 * height, placed.bottom + height};
    printf("%ldx%ld+%ld+%ld\n", shown.right - shown.left, shown.bottom - shown.top, shown.left, shown.top);
    return IsWindowVisible(bar) ? 0 : 1;
}

// What the Options entry of every item's context menu does, whatever entries the item's kind adds.
int OpenOptions() {
    HWND mainWindow = nullptr;
    for (DWORD start = GetTickCount(); !mainWindow && GetTickCount() - start < kWaitForIconsMs; Sleep(200))
        mainWindow = FindWindowW(kMainWindowClassName, nullptr);
    if (!mainWindow) {
        fprintf(stderr, "no Pathwren found\n");
        return 1;
    }
    PostMessageW(mainWindow, WM_SHOW_OPTIONS, 0, 0);
    return 0;
}

HTREEITEM ChildNode(HWND tree, HTREEITEM parent, int index) {
    HTREEITEM node = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree);
    while (node && index-- > 0)
        node = TreeView_GetNextSibling(tree, node);
    return node;
}

// The options dialog by its page tree: its title is in the program's language.
HWND FindOptionsDialog() {
    for (HWND dialog = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); dialog;
         dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) {
        if (GetDlgItem(dialog, 1001))
            return dialog;
    }
    return nullptr;
}

int ShowOptionsPage(int page) {
    HWND dialog = nullptr;
    for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < kWaitForIconsMs; Sleep(200))
        dialog = FindOptionsDialog();
    if (!dialog) {
        fprintf(stderr, "no options dialog found\n");
        return 1;
    }
    HWND tree = GetDlgItem(dialog, 1001);
    HTREEITEM item = ChildNode(tree, ChildNode(tree, nullptr, 1), 0);
    HTREEITEM nodes[] = {ChildNode(tree, nullptr, 0),
                         ChildNode(tree, ChildNode(tree, nullptr, 0), 0),
                         item,
                         ChildNode(tree, item, 0),
                         ChildNode(tree, item, 1),
                         ChildNode(tree, item, 2)};
    if (page < 0 || page >= static_cast<int>(ARRAYSIZE(nodes)) || !nodes[page])
        return 1;
    TreeView_SelectItem(tree, nodes[page]);
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && wcscmp(argv[1], L"--launch-bar") == 0)
        return ShowLaunchBar();
    if (argc > 2 && wcscmp(argv[1], L"--options-page") == 0)
        return ShowOptionsPage(_wtoi(argv[2]));
    bool about = argc > 1 && wcscmp(argv[1], L"--about") == 0;
    if (argc > 1 && wcscmp(argv[1], L"--options") == 0)
        return OpenOptions();
    HWND trayWindow = nullptr;
    for (DWORD start = GetTickCount(); !trayWindow && GetTickCount() - start < kWaitForIconsMs; Sleep(200))
        trayWindow = FindFirstTrayWindow();
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
