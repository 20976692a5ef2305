#pragma once
// The real Pathwren.exe driven from outside, as the shell and the user drive it: a copy of the
// built program in a directory of the bench's own, its configuration written beside it, its tray
// icons clicked through the message the notification area posts, its menus watched on screen.
// A header only: every source file of bench/ is a program of its own.
#include "containers/NotifyIcon.h"
#include "lib/KernelHandle.h"
#include "support/FileFixtures.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

inline double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class RealProgram {
public:
    // Copies the built program (..\dist\Pathwren.exe beside the bench) into the directory, with a
    // single-user configuration that never registers itself to run at log-on.
    explicit RealProgram(const std::wstring& directory) : m_directory(directory) {
        wchar_t module[MAX_PATH];
        std::wstring bench(module, GetModuleFileNameW(nullptr, module, MAX_PATH));
        std::wstring built = bench.substr(0, bench.find_last_of(L'\\') + 1) + L"..\\dist\\Pathwren.exe";
        m_exe = directory + L"\\Pathwren.exe";
        m_copied = CopyFileW(built.c_str(), m_exe.c_str(), FALSE) != FALSE;
        WriteUtf16File(directory + L"\\Pathwren.ini", L"[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\n");
    }
    ~RealProgram() { Close(); }
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    // The copy of the program, for a bench that starts it its own way.
    const std::wstring& Exe() const { return m_exe; }

    void WriteFolders(const std::wstring& text) { WriteUtf16File(m_directory + L"\\FoldersOptions.ini", text); }

    // Milliseconds from the process's creation until its message loop first waits for input, when
    // every item's tray icon exists; negative when it did not start or never got there.
    double Start() {
        if (!m_copied)
            return -1;
        std::wstring commandLine = L"\"" + m_exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        LARGE_INTEGER begin;
        QueryPerformanceCounter(&begin);
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, m_directory.c_str(),
                            &startup, &process))
            return -1;
        CloseHandle(process.hThread);
        m_process.Reset(process.hProcess);
        m_processId = process.dwProcessId;
        DWORD idle = WaitForInputIdle(m_process.Get(), 120000);
        double elapsed = MillisecondsSince(begin);
        return idle == 0 ? elapsed : -1;
    }

    // Milliseconds from the start until the main window answers a message sent to it: its
    // containers are built and its loop runs. (Under Wine a program that peeks at its queue while
    // it builds counts as waiting for input long before it is, and other processes' processor
    // times read as constant.)
    double StartUntilAnswering() {
        LARGE_INTEGER begin;
        QueryPerformanceCounter(&begin);
        if (Start() < 0)
            return -1;
        std::vector<HWND> main;
        if (!WaitUntil([&] { return !(main = Windows(L"CPathwrenClassName", false)).empty(); }))
            return -1;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(main[0], WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result))
            return -1;
        return MillisecondsSince(begin);
    }

    // Asks the main window to close, as Exit does, and waits for the process to end.
    void Close() {
        if (!m_process)
            return;
        for (HWND window : Windows(L"CPathwrenClassName", false))
            PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.Get(), 60000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.Get(), 1);
        m_process.Reset();
    }

    // Milliseconds from the left click the notification area reports for the tray icon of a
    // program of one item until the item's menu is on screen and its loop answers; negative when
    // it did not show within ten minutes.
    double ClickUntilMenuIdle() {
        std::vector<HWND> icons;
        if (!WaitUntil([&] { return (icons = Windows(kNotifyIconClassName, false)).size() == 1; }))
            return -1;
        LARGE_INTEGER begin;
        QueryPerformanceCounter(&begin);
        PostMessageW(icons[0], WM_NOTIFY_ICON_CALLBACK, 0, WM_LBUTTONUP);
        HWND menu = nullptr;
        DWORD_PTR result = 0;
        if (!WaitUntil([&] { return (menu = MenuWindow()) != nullptr; }) ||
            !SendMessageTimeoutW(menu, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result))
            return -1;
        return MillisecondsSince(begin);
    }

    // Dismisses the open menu with Esc and waits until it is gone.
    bool CloseMenu() {
        HWND menu = MenuWindow();
        if (menu)
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        return WaitUntil([this] { return MenuWindow() == nullptr; });
    }

    // The program's open menu window, or null.
    HWND MenuWindow() const {
        std::vector<HWND> menus = Windows(L"#32768", true);
        return menus.empty() ? nullptr : menus.front();
    }

private:
    struct Search {
        LPCWSTR className;
        DWORD processId;
        bool visibleOnly;
        std::vector<HWND> found;
    };

    static BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
        Search& search = *reinterpret_cast<Search*>(parameter);
        DWORD owner = 0;
        wchar_t className[64] = L"";
        GetWindowThreadProcessId(window, &owner);
        GetClassNameW(window, className, 64);
        if (owner == search.processId && lstrcmpW(className, search.className) == 0 &&
            (!search.visibleOnly || IsWindowVisible(window)))
            search.found.push_back(window);
        return TRUE;
    }

    // The program's top-level windows of the class.
    std::vector<HWND> Windows(LPCWSTR className, bool visibleOnly) const {
        Search search = {className, m_processId, visibleOnly, {}};
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static bool WaitUntil(const std::function<bool()>& done) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 600000; Sleep(1))
            if (done())
                return true;
        return false;
    }

    std::wstring m_directory;
    std::wstring m_exe;
    bool m_copied = false;
    CKernelHandle m_process;
    DWORD m_processId = 0;
};

} // namespace bench
