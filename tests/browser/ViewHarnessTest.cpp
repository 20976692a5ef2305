#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "BrowserHost.h"
#include "config/IniFileEx.h"
#include "config/SingleFolderOptions.h"
#include "lib/RegistryKey.h"
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

// A folders file with one item showing the folder in the view mode.
bool WriteFoldersFile(const std::wstring& foldersFile, const std::wstring& folder, int viewMode) {
    CSingleFolderOptions item;
    wcscpy(item.Path, folder.c_str());
    item.FolderViewMode = viewMode;
    item.BackgroundType = CShellBrowserEx::BackgroundGradient;
    std::vector<CSingleFolderOptions*> items = {&item};
    CIniFileEx<CSingleFolderOptions> file(foldersFile.c_str());
    return file.SaveArray(L"Folders", items);
}

TEST(ViewHarnessTest, HostsAnItemLogsItsViewAndEndsOnClose) {
    BrowserFolders folders;
    std::wstring foldersFile = folders.Path(L"FoldersOptions.ini"), log = folders.Path(L"log.txt");
    std::wstring shown = folders.AddFolder(L"shown");
    ASSERT_TRUE(WriteFoldersFile(foldersFile, shown, 3));
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

// Wine's view switches modes only with the commands of the systems before Vista: a copy of the
// harness that Wine runs as Windows XP shows the switch the command table makes.
TEST(ViewHarnessTest, BeforeVistaTheModesReachTheListView) {
    BrowserFolders folders;
    std::wstring copy = folders.Path(L"view_harness_xp.exe"), foldersFile = folders.Path(L"FoldersOptions.ini");
    ASSERT_TRUE(CopyFileW(HarnessPath().c_str(), copy.c_str(), FALSE));
    {
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\view_harness_xp.exe",
                                                 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr));
        RegSetValueExW(key.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"winxp64"), 16);
    }
    std::wstring shown = folders.AddFolder(L"shown");
    folders.AddFile(L"shown\\a.txt");
    const struct {
        int viewMode;
        LONG listViewType;
    } cases[] = {{2, LVS_SMALLICON},
                 {3, LVS_LIST},
                 {4, LVS_REPORT},
                 // The item's folder settings say list here: only the command makes icons.
                 {1, LVS_ICON}};
    for (const auto& sample : cases) {
        ASSERT_TRUE(WriteFoldersFile(foldersFile, shown, sample.viewMode));
        std::wstring log = folders.Path(L"log" + std::to_wstring(sample.viewMode) + L".txt");
        std::wstring commandLine = L"\"" + foldersFile + L"\" 0 \"" + log + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::wstring full = L"\"" + copy + L"\" " + commandLine;
        ASSERT_TRUE(
            CreateProcessW(nullptr, &full[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        CloseHandle(process.hThread);
        EXPECT_TRUE(PumpUntil([&] { return LogText(log).find("completed") != std::string::npos; }, 20000));
        std::vector<HWND> windows = WindowsOfClass(L"PathwrenViewHarness", process.dwProcessId);
        HWND view = windows.empty() ? nullptr : FindWindowExW(windows[0], nullptr, L"SHELLDLL_DefView", nullptr);
        HWND listView = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
        EXPECT_EQ(sample.listViewType, listView ? GetWindowLongW(listView, GWL_STYLE) & LVS_TYPEMASK : -1)
            << "view mode " << sample.viewMode;
        if (!windows.empty())
            PostMessageW(windows[0], WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\view_harness_xp.exe");
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
