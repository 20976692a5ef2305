// Hosts one folder item's view the way the browser window does, for tests that drive a real
// process: view_harness.exe <folders file> <item index> <log file>. Each callback of the view
// appends a line to the log; WM_CLOSE ends the program with 0, bad arguments give 2.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "browser/FolderItemView.h"
#include "config/IniFileEx.h"
#include "config/SpecialPath.h"

namespace {

const UINT WM_GET_ISHELLBROWSER = WM_USER + 7;
const int BadArguments = 2;

FILE* g_log = nullptr;
std::optional<CShellBrowserEx> g_browser;

void Log(LPCWSTR format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vfwprintf(g_log, format, arguments);
    va_end(arguments);
    fputwc(L'\n', g_log);
    fflush(g_log);
}

std::wstring PathText(PCIDLIST_ABSOLUTE location) {
    WCHAR path[MAX_PATH] = L"-";
    if (location)
        SHGetPathFromIDListW(location, path);
    return path;
}

void OnStarting(PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation, void*) {
    Log(L"starting %ls %ls", PathText(oldLocation).c_str(), PathText(newLocation).c_str());
}
void OnCompleted(PCIDLIST_ABSOLUTE location, void*) {
    Log(L"completed %ls", PathText(location).c_str());
}
void OnViewModeChanged(HWND, UINT viewMode, void*) {
    Log(L"view-mode %u", viewMode);
}
void OnDefaultCommand(void*) {
    Log(L"default-command");
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (g_browser) {
                RECT client;
                GetClientRect(window, &client);
                g_browser->SetViewRect(client);
            }
            return 0;
        case WM_GET_ISHELLBROWSER:
            return g_browser ? reinterpret_cast<LRESULT>(static_cast<IShellBrowser*>(&*g_browser)) : 0;
        case WM_CLOSE:
            // The view is torn down while the window it lives in still exists.
            g_browser.reset();
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

CSingleFolderOptions* LoadItem(LPCWSTR foldersFile, LPCWSTR indexText, std::vector<CSingleFolderOptions*>& items) {
    WCHAR* end = nullptr;
    unsigned long index = wcstoul(indexText, &end, 10);
    if (!*indexText || *end)
        return nullptr;
    CIniFileEx<CSingleFolderOptions> file(foldersFile);
    file.LoadArray(L"Folders", items);
    return index < items.size() ? items[index] : nullptr;
}

int Run(const CSingleFolderOptions& item) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"PathwrenViewHarness";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"View harness", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60,
                                  60, 640, 480, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window)
        return 1;
    FOLDERSETTINGS settings = FolderSettingsOfItem(item);
    g_browser.emplace(window, &settings, static_cast<UINT>(item.FolderViewMode));
    g_browser->SetBrowseStartingCallback(OnStarting, nullptr);
    g_browser->SetBrowseCompletedCallback(OnCompleted, nullptr);
    g_browser->SetDefaultCommandCallback(OnDefaultCommand, nullptr);
    g_browser->SetViewModeChangedCallback(OnViewModeChanged, nullptr);
    ApplyFolderItemView(*g_browser, item);
    WCHAR path[MAX_PATH];
    if (!ResolveSpecialPath(item.Path, path) || FAILED(g_browser->BrowseToPath(path)))
        Log(L"failed %ls", item.Path);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    g_browser.reset();
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 4)
        return BadArguments;
    std::vector<CSingleFolderOptions*> items;
    CSingleFolderOptions* item = LoadItem(arguments[1], arguments[2], items);
    g_log = item ? _wfopen(arguments[3], L"w, ccs=UTF-8") : nullptr;
    int result = BadArguments;
    if (g_log) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        OleInitialize(nullptr);
        result = Run(*item);
        OleUninitialize();
        fclose(g_log);
    }
    for (CSingleFolderOptions* loaded : items)
        delete loaded;
    LocalFree(arguments);
    return result;
}
