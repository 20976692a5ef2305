// Plays Explorer's desktop windows where there is no Explorer desktop (Wine, a test display):
//   DesktopStandIn.exe progman|workerw|thumbnails[@x,y] [name x y]...
// "progman": "Progman"/"Program Manager" > "SHELLDLL_DefView" > "SysListView32";
// "workerw": a "Progman" without a view, a first "WorkerW" without one and a second holding it;
// "thumbnails": the view's own list view hidden and a visible one inside "ThumbnailVwExtWnd32".
// The list view covers the primary screen at the bottom of the z-order and holds the named items
// at the given places, in icon mode, as Explorer's does. With "@x,y" (both zero or below) the
// desktop starts at that corner instead, as Explorer's does when monitors stand left of or above
// the primary one: screen and desktop coordinates then differ. Ends when its top window is closed.
// The list view's top window takes commands as WM_COPYDATA (add "name|x|y", rename "old|new",
// move "name|x|y", remove "name") and answers WM_APP with how often the places were read.
#include "lib/StringCopy.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <cwctype>
#include <string>

namespace {

enum Command { CommandAdd = 1, CommandRename = 2, CommandMove = 3, CommandRemove = 4 };
const UINT WM_COUNT_POSITION_READS = WM_APP;

HWND g_listView = nullptr;
POINT g_origin = {0, 0};
LONG g_positionReads = 0;
int g_folderIcon = -1;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == LVM_GETITEMPOSITION)
        ++g_positionReads;
    return DefSubclassProc(window, message, wParam, lParam);
}

int FindItem(LPCWSTR name) {
    LVFINDINFOW find = {};
    find.flags = LVFI_STRING;
    find.psz = name;
    return static_cast<int>(
        SendMessageW(g_listView, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void PlaceItem(int index, LPCWSTR x, LPCWSTR y) {
    POINT place = {_wtoi(x), _wtoi(y)};
    SendMessageW(g_listView, LVM_SETITEMPOSITION32, index, reinterpret_cast<LPARAM>(&place));
}

int InsertItem(LPCWSTR name) {
    wchar_t text[MAX_PATH];
    CopyTruncated(text, ARRAYSIZE(text), name);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iImage = g_folderIcon;
    item.iItem = static_cast<int>(SendMessageW(g_listView, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = text;
    return static_cast<int>(SendMessageW(g_listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

// Returns whether the command found what it names.
BOOL RunCommand(ULONG_PTR command, const std::wstring& text) {
    std::wstring fields[3];
    size_t start = 0;
    for (std::wstring& field : fields) {
        size_t end = text.find(L'|', start);
        field = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        start = end == std::wstring::npos ? text.size() : end + 1;
    }
    if (command == CommandAdd) {
        int index = InsertItem(fields[0].c_str());
        PlaceItem(index, fields[1].c_str(), fields[2].c_str());
        return index >= 0;
    }
    int index = FindItem(fields[0].c_str());
    if (index < 0)
        return FALSE;
    if (command == CommandRename) {
        wchar_t name[MAX_PATH];
        CopyTruncated(name, ARRAYSIZE(name), fields[1].c_str());
        LVITEMW item = {};
        item.pszText = name;
        return SendMessageW(g_listView, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    if (command == CommandMove) {
        PlaceItem(index, fields[1].c_str(), fields[2].c_str());
        return TRUE;
    }
    return command == CommandRemove && SendMessageW(g_listView, LVM_DELETEITEM, index, 0);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && !GetParent(window) && GetWindowLongPtrW(window, GWLP_USERDATA))
        PostQuitMessage(0);
    if (message == WM_COUNT_POSITION_READS)
        return g_positionReads;
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        std::wstring text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        return RunCommand(data->dwData, text);
    }
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
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, title, WS_POPUP | WS_VISIBLE,
                                  g_origin.x, g_origin.y, GetSystemMetrics(SM_CXSCREEN) - g_origin.x,
                                  GetSystemMetrics(SM_CYSCREEN) - g_origin.y, nullptr, nullptr,
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
        style |= LVS_ICON | LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_SHAREIMAGELISTS;
    return CreateWindowExW(0, className, L"", style, 0, 0, client.right, client.bottom, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Explorer's desktop draws large folder icons with white labels straight on the desktop colour.
// Without an image list Wine's icon view squeezes every label into a strip at the top, which is
// what the demo's pictures showed behind the menus.
void LookLikeTheDesktop(HWND listView) {
    SHFILEINFOW folder = {};
    auto systemIcons =
        reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &folder, sizeof(folder),
                                                    SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    if (systemIcons) {
        g_folderIcon = folder.iIcon;
        SendMessageW(listView, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(systemIcons));
    }
    SendMessageW(listView, LVM_SETBKCOLOR, 0, GetSysColor(COLOR_DESKTOP));
    SendMessageW(listView, LVM_SETTEXTBKCOLOR, 0, CLR_NONE);
    SendMessageW(listView, LVM_SETTEXTCOLOR, 0, RGB(255, 255, 255));
}

void AddItems(HWND listView, int count, wchar_t** arguments) {
    for (int index = 0; index + 2 < count; index += 3)
        InsertItem(arguments[index]);
    // Wine's list view arranges its icons once at the first paint after they came: the places
    // given before that would be lost.
    UpdateWindow(listView);
    for (int index = 0; index + 2 < count; index += 3)
        PlaceItem(index / 3, arguments[index + 1], arguments[index + 2]);
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
    size_t at = layout.find(L'@');
    if (at != std::wstring::npos) {
        if (swscanf(layout.c_str() + at + 1, L"%ld,%ld", &g_origin.x, &g_origin.y) != 2 || g_origin.x > 0 ||
            g_origin.y > 0)
            return 2;
        layout.resize(at);
    }
    if (layout != L"progman" && layout != L"workerw" && layout != L"thumbnails")
        return 2;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    for (LPCWSTR name : {L"Progman", L"WorkerW", L"SHELLDLL_DefView", L"ThumbnailVwExtWnd32"})
        RegisterFrameClass(name);
    HWND listView = BuildLayout(layout);
    if (!listView)
        return 1;
    g_listView = listView;
    SetWindowSubclass(listView, CountingProc, 0, 0);
    LookLikeTheDesktop(listView);
    AddItems(listView, count - 2, arguments + 2);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
