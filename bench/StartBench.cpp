// Starts the real Pathwren.exe with 1 and with 100 folder items (tray folder menus) and prints
// how long each takes until its message loop first waits for input, which is when every item's
// tray icon exists; then closes it as the user would. Looks for the program in ..\dist.
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring ModuleDirectory() {
    wchar_t path[MAX_PATH];
    std::wstring module(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return module.substr(0, module.find_last_of(L'\\') + 1);
}

std::wstring FoldersFile(int items) {
    std::wstring text = L"[Default]\r\nFolders=" + std::to_wstring(items) + L"\r\n";
    for (int i = 0; i < items; ++i)
        text += L"[Folders_" + std::to_wstring(i) + L"]\r\nFolderPresentationType=2\r\nPath=C:\\windows\r\n";
    return text;
}

BOOL CALLBACK CloseMainWindow(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == static_cast<DWORD>(processId) && wcscmp(className, L"CPathwrenClassName") == 0)
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Milliseconds from the start of the process until it is idle; negative on failure.
double TimeStart(const std::wstring& exe, const std::wstring& directory) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &process))
        return -1;
    DWORD idle = WaitForInputIdle(process.hProcess, 60000);
    QueryPerformanceCounter(&end);
    EnumWindows(CloseMainWindow, static_cast<LPARAM>(process.dwProcessId));
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (idle != 0)
        return -1;
    return 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double MedianStart(int items) {
    TempDirectory directory;
    std::wstring exe = directory.File(L"Pathwren.exe");
    if (!CopyFileW((ModuleDirectory() + L"..\\dist\\Pathwren.exe").c_str(), exe.c_str(), FALSE))
        return -1;
    WriteUtf16File(directory.File(L"Pathwren.ini"), L"[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\n");
    std::vector<double> times;
    for (int run = 0; run < 3; ++run) {
        WriteUtf16File(directory.File(L"FoldersOptions.ini"), FoldersFile(items));
        times.push_back(TimeStart(exe, directory.Path()));
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

} // namespace

int main() {
    double one = MedianStart(1);
    double hundred = MedianStart(100);
    printf("start until idle: 1 item %.0f ms, 100 items %.0f ms, ratio %.2f\n", one, hundred, hundred / one);
    return one > 0 && hundred > 0 ? 0 : 1;
}
