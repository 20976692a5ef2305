#include "OptionsDialogScript.h"

#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/WindowSearch.h"

#include <commctrl.h>

std::wstring WindowText(HWND window) {
    WCHAR text[2048] = L"";
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

HWND FindDialogTitled(const std::wstring& title, bool visibleOnly) {
    for (HWND dialog : WindowsOfClass(L"#32770", GetCurrentProcessId(), visibleOnly))
        if (WindowText(dialog) == title)
            return dialog;
    return nullptr;
}

HWND FindOptionsDialog() {
    // By its page tree, not its title, which each language writes its own way.
    for (HWND dialog : WindowsOfClass(L"#32770"))
        if (GetDlgItem(dialog, IDC_OPTIONS_TREE))
            return dialog;
    return nullptr;
}

bool RunOptions(ApplicationFixture& fixture, DialogScript& script) {
    CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
    WriteUtf16File(fixture.File(L"Languages\\Deutsch.ini"), L"[Language]\r\nOptions=Optionen\r\nFolders=Ordner\r\n");
    // A missing folder would stop the start with a message box.
    for (LPCWSTR folder : {L"A", L"B", L"C", L"Elsewhere", L"One", L"Two"})
        CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
    fixture.Start();
    if (script.afterStart)
        script.afterStart();
    fixture.openOptions = true;
    HWND dialog = nullptr;
    std::vector<std::function<bool()>> steps = {
        [&] { return PostMessageW(fixture.application.m_hMainWindow, WM_SHOW_OPTIONS, 0, 0) != FALSE; },
        [&] { return (dialog = FindOptionsDialog()) != nullptr && (script.inDialog(dialog), true); }};
    for (const auto& step : script.laterSteps)
        steps.push_back([&] { return step(dialog), true; });
    // The dialog's result is applied as soon as its window is gone (an OK may open another).
    steps.push_back([&] { return !IsWindow(dialog) && (!script.afterDialog || (script.afterDialog(), true)); });
    return fixture.RunSteps(steps, true) == steps.size();
}

HTREEITEM Page(HWND dialog, const std::vector<int>& path) {
    HWND tree = GetDlgItem(dialog, IDC_OPTIONS_TREE);
    HTREEITEM node = nullptr;
    for (int index : path)
        for (node = node ? TreeView_GetChild(tree, node) : TreeView_GetRoot(tree); node && index-- > 0;)
            node = TreeView_GetNextSibling(tree, node);
    return node;
}

void Select(HWND dialog, const std::vector<int>& path) {
    TreeView_SelectItem(GetDlgItem(dialog, IDC_OPTIONS_TREE), Page(dialog, path));
}

std::wstring NodeText(HWND dialog, const std::vector<int>& path) {
    WCHAR text[MAX_PATH] = L"";
    TVITEMW item = {TVIF_TEXT, Page(dialog, path), 0, 0, text, MAX_PATH, 0, 0, 0, 0};
    TreeView_GetItem(GetDlgItem(dialog, IDC_OPTIONS_TREE), &item);
    return text;
}

std::wstring Text(HWND dialog, int control) {
    return WindowText(GetDlgItem(dialog, control));
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Shown(HWND dialog, int control) {
    return IsWindowVisible(GetDlgItem(dialog, control)) != FALSE;
}

bool Enabled(HWND dialog, int control) {
    return IsWindowEnabled(GetDlgItem(dialog, control)) != FALSE;
}

void Click(HWND dialog, int control) {
    SendDlgItemMessageW(dialog, control, BM_CLICK, 0, 0);
}

void Pick(HWND dialog, int control, int index) {
    SendDlgItemMessageW(dialog, control, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

void Type(HWND dialog, int control, LPCWSTR text) {
    SendDlgItemMessageW(dialog, control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
