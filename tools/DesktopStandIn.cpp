// Plays Explorer's desktop windows where there is no Explorer desktop (Wine, a test display):
//   DesktopStandIn.exe progman|workerw|thumbnails [name x y]...
// "progman": "Progman"/"Program Manager" > "SHELLDLL_DefView" > "SysListView32";
// "workerw": a "Progman" without a view, a first "WorkerW" without one and a second holding it;
// "thumbnails": the view's own list view hidden and a visible one inside "ThumbnailVwExtWnd32".
// The list view covers the primary screen at the bottom of the z-order and holds the named items
// at the given places, in icon mode, as Explorer's does. Ends when its top window is closed.
#include "lib/StringCopy.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <cwctype>
#include <string>

namespace {

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && !GetParent(window) && GetWindowLongPtrW(window, GWLP_USERDATA))
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterFrameClass(LPCWSTR name) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = FrameProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

HWND CreateTopFrame(LPCWSTR className, LPCWSTR title, bool endsProgram) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, title, WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, endsProgram ? 1 : 0);
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return window;
}

HWND CreateChild(LPCWSTR className, HWND parent, bool visible) {
    RECT client;
    GetClientRect(parent, &client);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    if (wcscmp(className, WC_LISTVIEWW) == 0)
        style |= LVS_ICON | LVS_SHOWSELALWAYS | LVS_EDITLABELS;
    return CreateWindowExW(0, className, L"", style, 0, 0, client.right, client.bottom, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void AddItems(HWND listView, int count, wchar_t** arguments) {
    for (int index = 0; index + 2 < count; index += 3) {
        wchar_t name[MAX_PATH];
        CopyTruncated(name, ARRAYSIZE(name), arguments[index]);
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = index / 3;
        item.pszText = name;
        int inserted = static_cast<int>(SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        POINT place = {_wtoi(arguments[index + 1]), _wtoi(arguments[index + 2])};
        SendMessageW(listView, LVM_SETITEMPOSITION32, inserted, reinterpret_cast<LPARAM>(&place));
    }
}

HWND BuildLayout(const std::wstring& layout) {
    HWND host = nullptr;
    if (layout == L"workerw") {
        CreateTopFrame(L"Progman", L"Program Manager", true);
        CreateTopFrame(L"WorkerW", L"", false);
        host = CreateTopFrame(L"WorkerW", L"", false);
    } else {
        host = CreateTopFrame(L"Progman", L"Program Manager", true);
    }
    HWND view = CreateChild(L"SHELLDLL_DefView", host, true);
    HWND listView = CreateChild(WC_LISTVIEWW, view, layout != L"thumbnails");
    if (layout != L"thumbnails")
        return listView;
    HWND thumbnails = CreateChild(L"ThumbnailVwExtWnd32", view, true);
    return CreateChild(WC_LISTVIEWW, thumbnails, true);
}

} // namespace

int wmain(int count, wchar_t** arguments) {
    std::wstring layout = count > 1 ? arguments[1] : L"progman";
    if (layout != L"progman" && layout != L"workerw" && layout != L"thumbnails")
        return 2;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    for (LPCWSTR name : {L"Progman", L"WorkerW", L"SHELLDLL_DefView", L"ThumbnailVwExtWnd32"})
        RegisterFrameClass(name);
    HWND listView = BuildLayout(layout);
    if (!listView)
        return 1;
    AddItems(listView, count - 2, arguments + 2);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
