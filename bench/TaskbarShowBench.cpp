// What a pinned taskbar shortcut costs: the time from starting "Pathwren.exe --show ID" until the
// running instance's menu is on screen, against the time a bare Win32 program takes from its
// start to its first visible window, both measured in this run, and their ratio.
#include "RealProgram.h"
#include "support/TempDirectory.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

const wchar_t kItemId[] = L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";
const wchar_t kBareSwitch[] = L"--bare-window";
const int kRuns = 7;

// The bare program: this bench started again with the switch. One window, shown at once.
int RunBareWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PathwrenBareWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                  200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

struct VisibleSearch {
    DWORD processId;
    LPCWSTR className;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<VisibleSearch*>(parameter);
    DWORD owner = 0;
    wchar_t className[64] = L"";
    GetWindowThreadProcessId(window, &owner);
    GetClassNameW(window, className, 64);
    if (owner == search.processId && IsWindowVisible(window) && lstrcmpW(className, search.className) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindow(DWORD processId, LPCWSTR className) {
    VisibleSearch search = {processId, className, nullptr};
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitFor(const std::function<bool()>& done) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000;)
        if (done())
            return true;
    return false;
}

// Starts the command line; returns the process, and the time it started, through the arguments.
bool StartProcess(std::wstring commandLine, PROCESS_INFORMATION* process, LARGE_INTEGER* begin) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    QueryPerformanceCounter(begin);
    return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process) !=
           FALSE;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double BareWindowTime() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER begin;
    if (!StartProcess(L"\"" + std::wstring(self) + L"\" " + kBareSwitch, &process, &begin))
        return -1;
    HWND window = nullptr;
    bool shown =
        WaitFor([&] { return (window = VisibleWindow(process.dwProcessId, L"PathwrenBareWindow")) != nullptr; });
    double elapsed = bench::MillisecondsSince(begin);
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown ? elapsed : -1;
}

double ShowCommandTime(const std::wstring& exe, bench::RealProgram& program) {
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER begin;
    if (!StartProcess(L"\"" + exe + L"\" --show " + kItemId, &process, &begin))
        return -1;
    bool shown = WaitFor([&] { return program.MenuWindow() != nullptr; });
    double elapsed = bench::MillisecondsSince(begin);
    program.CloseMenu();
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown ? elapsed : -1;
}

} // namespace

int main() {
    if (wcsstr(GetCommandLineW(), kBareSwitch))
        return RunBareWindow();
    TempDirectory directory;
    bench::RealProgram program(directory.Path());
    program.WriteFolders(std::wstring(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\n"
                                      L"Path=C:\\windows\r\nItemIdentifier=") +
                         kItemId + L"\r\n");
    if (program.StartUntilAnswering() < 0) {
        printf("the instance did not start\n");
        return 1;
    }
    std::wstring exe = directory.Path() + L"\\Pathwren.exe";
    std::vector<double> show, bare;
    // Taken in turns, so that a load on the machine weighs on both alike.
    for (int run = 0; run < kRuns; ++run) {
        show.push_back(ShowCommandTime(exe, program));
        bare.push_back(BareWindowTime());
    }
    program.Close();
    double showMs = Median(show), bareMs = Median(bare);
    printf("--show until the instance's menu is visible %.0f ms, bare program until its window is visible %.0f ms, "
           "ratio %.2f\n",
           showMs, bareMs, showMs / bareMs);
    return showMs > 0 && bareMs > 0 ? 0 : 1;
}
