// Starts the real Pathwren.exe with 1 and with 100 "Menu" items and times the start (process
// creation until every item's tray icon is there and the main window answers) and the exit
// (WM_CLOSE until the process has ended, the save included), in two notification areas:
//
// (a) A stand-in made here before the program starts: a window of the tray's class that takes
//     every icon message and returns at once, as Windows' notification area does. Shell_NotifyIconW
//     (Wine's as Windows' of old) looks up the first top-level window of class "Shell_TrayWnd" and
//     sends it WM_COPYDATA, the NIM_ message in dwData; the stand-in is topmost so that it is found
//     before a tray of Wine's own, and it counts what it gets, which the bench prints as proof.
//     Printed: 100 items against 1 item.
// (b) Wine's own notification area, beside a bare program (this bench started as "bare N") that
//     makes one hidden window per icon and adds that icon with a tip. Printed: what 99 more items
//     add to our start and exit against what 99 more icons add to the bare program's.
//
// Usage: StartBench [runs]   (default 3; each line gives the range of the runs)
#include "RealProgram.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kFewItems = 1, kManyItems = 100;
const DWORD kWaitLimitMs = 600000;

// ---- The bare program ----

const wchar_t kBareIconClass[] = L"StartBenchBareIcon";
const wchar_t kBareMainClass[] = L"StartBenchBareMain";
std::vector<HWND> g_bareIcons;

void RemoveBareIcons() {
    for (size_t index = 0; index < g_bareIcons.size(); ++index) {
        NOTIFYICONDATAW data = {};
        data.cbSize = sizeof(data);
        data.hWnd = g_bareIcons[index];
        data.uID = static_cast<UINT>(index);
        Shell_NotifyIconW(NIM_DELETE, &data);
        DestroyWindow(g_bareIcons[index]);
    }
    g_bareIcons.clear();
}

LRESULT CALLBACK BareMainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        RemoveBareIcons();
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunBareProgram(int icons) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW iconClass = {0, DefWindowProcW, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, kBareIconClass};
    WNDCLASSW mainClass = {0, BareMainProcedure, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, kBareMainClass};
    RegisterClassW(&iconClass);
    RegisterClassW(&mainClass);
    HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    for (int index = 0; index < icons; ++index) {
        HWND window =
            CreateWindowExW(0, kBareIconClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
        NOTIFYICONDATAW data = {};
        data.cbSize = sizeof(data);
        data.hWnd = window;
        data.uID = static_cast<UINT>(index);
        data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        data.uCallbackMessage = WM_APP;
        data.hIcon = icon;
        swprintf(data.szTip, ARRAYSIZE(data.szTip), L"Folder %d", index);
        Shell_NotifyIconW(NIM_ADD, &data);
        g_bareIcons.push_back(window);
    }
    CreateWindowExW(0, kBareMainClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

// ---- The stand-in notification area ----

struct TrayCounts {
    int adds = 0;
    int deletes = 0;
    int others = 0;
};
TrayCounts g_tray;

LRESULT CALLBACK StandInTrayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        int& counter = data->dwData == NIM_ADD      ? g_tray.adds
                       : data->dwData == NIM_DELETE ? g_tray.deletes
                                                    : g_tray.others;
        ++counter;
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateStandInTray() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW trayClass = {0,       StandInTrayProcedure, 0, 0, instance, nullptr, nullptr, nullptr,
                           nullptr, L"Shell_TrayWnd"};
    RegisterClassW(&trayClass);
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, instance, nullptr);
}

// ---- Driving a program from outside ----

// Waits for the condition while this thread answers what is sent to it: the program's icon
// messages reach the stand-in tray, which lives on this thread.
bool WaitPumping(const std::function<bool()>& done, HANDLE object = nullptr) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kWaitLimitMs;) {
        if (done())
            return true;
        MsgWaitForMultipleObjects(object ? 1 : 0, &object, FALSE, 1, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    return false;
}

// One program: its main window's class, the class of its per-icon windows, how it is started.
struct Program {
    std::wstring commandLine;
    std::wstring directory;
    LPCWSTR mainClass;
    LPCWSTR iconClass;
    bool isPathwren; // its items are written into its folders file before each start
};

struct Times {
    double start = -1;
    double exit = -1;
};

// Starts the program and waits until it has every icon and answers; then closes it and waits until
// it has ended. With the stand-in tray, the icons counted are those the tray got.
Times StartAndClose(const Program& program, int icons, bool standInTray) {
    Times times;
    g_tray = TrayCounts();
    std::wstring commandLine = program.commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, program.directory.c_str(),
                        &startup, &process))
        return times;
    CloseHandle(process.hThread);
    CKernelHandle handle(process.hProcess);
    DWORD id = process.dwProcessId;
    // Hidden windows too: the program's main window and its per-icon windows are never shown.
    std::vector<HWND> main;
    bool started = WaitPumping([&] {
                       if (standInTray ? g_tray.adds < icons
                                       : static_cast<int>(WindowsOfClass(program.iconClass, id, false).size()) < icons)
                           return false;
                       return !(main = WindowsOfClass(program.mainClass, id, false)).empty();
                   }) &&
                   SendMessageTimeoutW(main[0], WM_NULL, 0, 0, SMTO_NORMAL, kWaitLimitMs, nullptr);
    if (started)
        times.start = bench::MillisecondsSince(begin);
    QueryPerformanceCounter(&begin);
    for (HWND window : WindowsOfClass(program.mainClass, id, false))
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitPumping([&] { return WaitForSingleObject(handle.Get(), 0) == WAIT_OBJECT_0; }, handle.Get()))
        times.exit = bench::MillisecondsSince(begin);
    else
        TerminateProcess(handle.Get(), 1);
    if (!started)
        times.exit = -1;
    return times;
}

std::wstring FoldersFile(int items) {
    std::wstring text = L"[Default]\r\nFolders=" + std::to_wstring(items) + L"\r\n";
    for (int i = 0; i < items; ++i)
        text += L"[Folders_" + std::to_wstring(i) + L"]\r\nFolderPresentationType=2\r\nPath=C:\\windows\r\n";
    return text;
}

struct Range {
    double low = 1e300, high = -1e300;
    void Add(double value) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
};

void PrintRange(const char* what, const Range& range, double aim) {
    std::printf("  %-44s %.2f-%.2f (aim %.1f)\n", what, range.low, range.high, aim);
}

bool Valid(const Times& times) {
    return times.start > 0 && times.exit > 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "bare")
        return RunBareProgram(atoi(argv[2]));
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

    TempDirectory directory;
    bench::RealProgram pathwren(directory.Path());
    Program ours = {L"\"" + pathwren.Exe() + L"\"", directory.Path(), L"CPathwrenClassName", kNotifyIconClassName,
                    true};
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    auto bare = [&](int icons) {
        return Program{L"\"" + std::wstring(self) + L"\" bare " + std::to_wstring(icons), directory.Path(),
                       kBareMainClass, kBareIconClass, false};
    };
    auto run = [&](const Program& program, int icons, bool standIn) {
        if (program.isPathwren)
            pathwren.WriteFolders(FoldersFile(icons));
        return StartAndClose(program, icons, standIn);
    };

    HWND winesTray = FindWindowW(L"Shell_TrayWnd", nullptr);
    std::printf("a notification area of the system's own: %s\n", winesTray ? "yes" : "no");
    bool ok = true;

    // (a) the stand-in tray.
    HWND standIn = CreateStandInTray();
    // The bare program beside it shows the floor: what a window and a tray icon each cost here.
    Range standInStart, standInExit, bareStart, bareExit;
    std::printf("(a) stand-in tray, ms per run (start / exit):\n");
    for (int r = 0; r < runs; ++r) {
        Times one = run(ours, kFewItems, true);
        Times many = run(ours, kManyItems, true);
        TrayCounts counted = g_tray;
        Times bareOne = run(bare(kFewItems), kFewItems, true), bareMany = run(bare(kManyItems), kManyItems, true);
        std::printf("  run %d: %d item %.0f / %.0f, %d items %.0f / %.0f; the stand-in got %d adds, %d deletes, "
                    "%d others; bare %.0f / %.0f and %.0f / %.0f\n",
                    r + 1, kFewItems, one.start, one.exit, kManyItems, many.start, many.exit, counted.adds,
                    counted.deletes, counted.others, bareOne.start, bareOne.exit, bareMany.start, bareMany.exit);
        ok = ok && Valid(one) && Valid(many) && Valid(bareOne) && Valid(bareMany) && counted.adds == kManyItems;
        standInStart.Add(many.start / one.start);
        standInExit.Add(many.exit / one.exit);
        bareStart.Add(bareMany.start / bareOne.start);
        bareExit.Add(bareMany.exit / bareOne.exit);
    }
    DestroyWindow(standIn);
    UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));
    PrintRange("100 items against 1, start:", standInStart, 1.5);
    PrintRange("100 items against 1, exit:", standInExit, 1.5);
    PrintRange("the bare program, 100 icons against 1, start:", bareStart, 1.5);
    PrintRange("the bare program, 100 icons against 1, exit:", bareExit, 1.5);

    // (b) Wine's own tray, against the bare program.
    if (!FindWindowW(L"Shell_TrayWnd", nullptr)) {
        std::printf("(b) skipped: no notification area of the system's own\n");
        return ok ? 0 : 1;
    }
    Range addedStart, addedExit;
    std::printf("(b) the system's tray, ms per run (start / exit):\n");
    for (int r = 0; r < runs; ++r) {
        Times one = run(ours, kFewItems, false), many = run(ours, kManyItems, false);
        Times bareOne = run(bare(kFewItems), kFewItems, false), bareMany = run(bare(kManyItems), kManyItems, false);
        std::printf("  run %d: ours %.0f / %.0f and %.0f / %.0f, bare %.0f / %.0f and %.0f / %.0f\n", r + 1, one.start,
                    one.exit, many.start, many.exit, bareOne.start, bareOne.exit, bareMany.start, bareMany.exit);
        ok = ok && Valid(one) && Valid(many) && Valid(bareOne) && Valid(bareMany);
        addedStart.Add((many.start - one.start) / (bareMany.start - bareOne.start));
        addedExit.Add((many.exit - one.exit) / (bareMany.exit - bareOne.exit));
    }
    PrintRange("what 99 more items add against the bare, start:", addedStart, 1.1);
    PrintRange("what 99 more items add against the bare, exit:", addedExit, 1.1);
    return ok ? 0 : 1;
}
