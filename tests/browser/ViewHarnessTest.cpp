#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "BrowserHost.h"
#include "config/IniFileEx.h"
#include "config/SingleFolderOptions.h"
#include "support/FileFixtures.h"
#include "support/WindowSearch.h"

namespace {

std::wstring HarnessPath() {
    WCHAR path[MAX_PATH];
    std::wstring directory(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return directory.substr(0, directory.rfind(L'\\') + 1) + L"view_harness.exe";
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// One run of view_harness.exe; killed if a test leaves it running.
class HarnessRun {
public:
    explicit HarnessRun(const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + HarnessPath() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &m_process))
            CloseHandle(m_process.hThread);
    }
    ~HarnessRun() {
        if (!m_process.hProcess)
            return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hProcess);
    }
    HarnessRun(const HarnessRun&) = delete;
    HarnessRun& operator=(const HarnessRun&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process = {};
};

std::string LogText(const std::wstring& path) {
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(ViewHarnessTest, HostsAnItemLogsItsViewAndEndsOnClose) {
    BrowserFolders folders;
    std::wstring foldersFile = folders.Path(L"FoldersOptions.ini"), log = folders.Path(L"log.txt");
    std::wstring shown = folders.AddFolder(L"shown");
    {
        CSingleFolderOptions* item = new CSingleFolderOptions();
        wcscpy(item->Path, shown.c_str());
        item->FolderViewMode = 3;
        item->BackgroundType = CShellBrowserEx::BackgroundGradient;
        std::vector<CSingleFolderOptions*> items = {item};
        CIniFileEx<CSingleFolderOptions> file(foldersFile.c_str());
        ASSERT_TRUE(file.SaveArray(L"Folders", items));
        delete item;
    }
    HarnessRun run(L"\"" + foldersFile + L"\" 0 \"" + log + L"\"");
    ASSERT_TRUE(run.Started());
    std::string completed = "completed " + Narrow(shown);
    ASSERT_TRUE(PumpUntil([&] { return LogText(log).find(completed) != std::string::npos; }, 20000)) << LogText(log);
    EXPECT_NE(std::string::npos, LogText(log).find("starting - " + Narrow(shown))) << LogText(log);

    std::vector<HWND> windows = WindowsOfClass(L"PathwrenViewHarness", run.ProcessId());
    ASSERT_EQ(1u, windows.size());
    HWND view = FindWindowExW(windows[0], nullptr, L"SHELLDLL_DefView", nullptr);
    ASSERT_NE(nullptr, view);
    // The details command of the running system, as the view's own menu sends it.
    PostMessageW(view, WM_COMMAND, 0x704B, 0);
    EXPECT_TRUE(PumpUntil([&] { return LogText(log).find("view-mode 4") != std::string::npos; })) << LogText(log);
    PostMessageW(windows[0], WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, run.WaitForExit(10000));
}

TEST(ViewHarnessTest, BadArgumentsEndWithTwo) {
    BrowserFolders folders;
    std::wstring empty = folders.AddFile(L"empty.ini");
    for (const std::wstring& arguments : {std::wstring(), L"\"" + empty + L"\" 0 \"" + folders.Path(L"log") + L"\"",
                                          L"\"" + empty + L"\" x \"" + folders.Path(L"log") + L"\""}) {
        HarnessRun run(arguments);
        ASSERT_TRUE(run.Started());
        EXPECT_EQ(2u, run.WaitForExit(20000)) << testing::PrintToString(arguments);
    }
}

} // namespace
