#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "BrowserHost.h"
#include "config/IniFileEx.h"
#include "config/SingleFolderOptions.h"
#include "lib/RegistryKey.h"
#include "support/ChildProcess.h"
#include "support/FileFixtures.h"
#include "support/OpenedAddresses.h"
#include "support/WindowSearch.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// view_harness.exe, or a copy of it, on one item of the folders file; ended with the object.
std::unique_ptr<ChildProcess> StartHarness(const std::wstring& program, const std::wstring& foldersFile,
                                           const std::wstring& log) {
    std::unique_ptr<ChildProcess> run(
        new ChildProcess(L"\"" + program + L"\" \"" + foldersFile + L"\" 0 \"" + log + L"\""));
    run->Resume();
    return run;
}

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
    FolderTree folders;
    std::wstring foldersFile = folders.Path(L"FoldersOptions.ini"), log = folders.Path(L"log.txt");
    std::wstring shown = folders.AddFolder(L"shown");
    ASSERT_TRUE(WriteFoldersFile(foldersFile, shown, 3));
    auto run = StartHarness(BesideTestProgram(L"view_harness.exe"), foldersFile, log);
    ASSERT_TRUE(run->Started());
    std::string completed = "completed " + Narrow(shown);
    ASSERT_TRUE(PumpUntil([&] { return LogText(log).find(completed) != std::string::npos; }, 20000)) << LogText(log);
    EXPECT_NE(std::string::npos, LogText(log).find("starting - " + Narrow(shown))) << LogText(log);

    std::vector<HWND> windows = WindowsOfClass(L"PathwrenViewHarness", run->Id());
    ASSERT_EQ(1u, windows.size());
    HWND view = FindWindowExW(windows[0], nullptr, L"SHELLDLL_DefView", nullptr);
    ASSERT_NE(nullptr, view);
    // The details command of the running system, as the view's own menu sends it.
    PostMessageW(view, WM_COMMAND, 0x704B, 0);
    EXPECT_TRUE(PumpUntil([&] { return LogText(log).find("view-mode 4") != std::string::npos; })) << LogText(log);
    PostMessageW(windows[0], WM_CLOSE, 0, 0);
    ASSERT_TRUE(run->Wait(10000));
    EXPECT_EQ(0u, run->ExitCode());
}

// Wine's view switches modes only with the commands of the systems before Vista: a copy of the
// harness that Wine runs as Windows XP shows the switch the command table makes.
TEST(ViewHarnessTest, BeforeVistaTheModesReachTheListView) {
    FolderTree folders;
    std::wstring copy = folders.Path(L"view_harness_xp.exe"), foldersFile = folders.Path(L"FoldersOptions.ini");
    ASSERT_TRUE(CopyFileW(BesideTestProgram(L"view_harness.exe").c_str(), copy.c_str(), FALSE));
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
        auto run = StartHarness(copy, foldersFile, log);
        EXPECT_TRUE(PumpUntil([&] { return LogText(log).find("completed") != std::string::npos; }, 20000));
        std::vector<HWND> windows = WindowsOfClass(L"PathwrenViewHarness", run->Id());
        HWND view = windows.empty() ? nullptr : FindWindowExW(windows[0], nullptr, L"SHELLDLL_DefView", nullptr);
        HWND listView = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
        EXPECT_EQ(sample.listViewType, listView ? GetWindowLongW(listView, GWL_STYLE) & LVS_TYPEMASK : -1)
            << "view mode " << sample.viewMode;
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\view_harness_xp.exe");
}

} // namespace
