// Starts a Pathwren.exe as a user would, waits for its hidden main window (and, when asked, for
// the options dialog of a first start, which it cancels), then closes the program the way its
// Exit command does and waits for it to end. The release test drives installed and unpacked
// copies with it; the exit code says which step did not happen.
//   StartAndClose.exe PROGRAM --options | --no-options
#include <windows.h>

#include "res/resource.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const DWORD kPatience = 60000;
const DWORD kPollInterval = 100;

struct Search {
    DWORD processId;
    LPCWSTR className;
    int requiredChild; // 0: any window of the class
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    Search* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    WCHAR className[64] = L"";
    GetClassNameW(window, className, ARRAYSIZE(className));
    if (owner != search->processId || wcscmp(className, search->className) != 0)
        return TRUE;
    if (search->requiredChild && !GetDlgItem(window, search->requiredChild))
        return TRUE;
    search->found = window;
    return FALSE;
}

// Polls: the program creates its windows on its own schedule, and a dead program ends the wait.
HWND WaitForWindow(HANDLE process, DWORD processId, LPCWSTR className, int requiredChild) {
    for (DWORD waited = 0; waited < kPatience; waited += kPollInterval) {
        Search search = {processId, className, requiredChild, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (WaitForSingleObject(process, kPollInterval) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

BOOL WaitUntilGone(HWND window) {
    for (DWORD waited = 0; waited < kPatience; waited += kPollInterval) {
        if (!IsWindow(window))
            return TRUE;
        Sleep(kPollInterval);
    }
    return FALSE;
}

int Fail(const char* what, HANDLE process) {
    fprintf(stderr, "StartAndClose: %s\n", what);
    TerminateProcess(process, 1);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (wcscmp(argv[2], L"--options") != 0 && wcscmp(argv[2], L"--no-options") != 0)) {
        fprintf(stderr, "usage: StartAndClose PROGRAM --options|--no-options\n");
        return 2;
    }
    std::wstring program = argv[1];
    std::wstring directory = program.substr(0, program.find_last_of(L'\\'));
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                        &startup, &started)) {
        fprintf(stderr, "StartAndClose: cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(started.hThread);
    HANDLE process = started.hProcess;

    HWND mainWindow = WaitForWindow(process, started.dwProcessId, L"CPathwrenClassName", 0);
    if (!mainWindow)
        return Fail("no main window appeared", process);
    if (wcscmp(argv[2], L"--options") == 0) {
        HWND options = WaitForWindow(process, started.dwProcessId, L"#32770", IDC_OPTIONS_TREE);
        if (!options)
            return Fail("the options dialog did not open", process);
        PostMessageW(options, WM_CLOSE, 0, 0);
        if (!WaitUntilGone(options))
            return Fail("the options dialog did not close", process);
    }
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kPatience) != WAIT_OBJECT_0)
        return Fail("the program did not end after its main window was closed", process);
    CloseHandle(process);
    printf("StartAndClose: started and closed %ls\n", program.c_str());
    return 0;
}
