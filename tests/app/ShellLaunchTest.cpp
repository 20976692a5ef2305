#include "app/ShellLaunch.h"

#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

bool WriteScript(const std::wstring& path, const std::string& text) {
    return WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

// The first line a started script wrote, trailing blanks and backslash removed, once it is complete.
std::string WaitForFirstLine(const std::wstring& path) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(50)) {
        std::vector<unsigned char> bytes = ReadFileBytes(path);
        std::string text(bytes.begin(), bytes.end());
        size_t end = text.find_first_of("\r\n");
        if (end == std::string::npos)
            continue;
        text.resize(end);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\\'))
            text.pop_back();
        return text;
    }
    return "(nothing written)";
}

bool CreateShortcut(const std::wstring& shortcut, const std::wstring& target, LPCWSTR arguments, LPCWSTR directory) {
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) {
        link->SetPath(target.c_str());
        link->SetArguments(arguments);
        link->SetWorkingDirectory(directory);
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    }
    if (SUCCEEDED(hr)) {
        hr = file->Save(shortcut.c_str(), TRUE);
        file->Release();
    }
    if (link)
        link->Release();
    return SUCCEEDED(hr);
}

HWND CreateTestWindow(DWORD style) {
    return CreateWindowExW(0, L"STATIC", L"Test", WS_OVERLAPPEDWINDOW | style, 50, 50, 300, 200, nullptr, nullptr,
                           nullptr, nullptr);
}

std::wstring Notepad() {
    wchar_t directory[MAX_PATH] = L"";
    GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory) + L"\\notepad.exe";
}

} // namespace

TEST(ShellLaunchTest, OpenFileRunsScriptsInTheirFolderAndShortcutsWithTheirArgumentsAndDirectory) {
    TempDirectory temp;
    std::wstring scripts = temp.File(L"Script Folder"), links = temp.File(L"links"), work = temp.File(L"work here");
    for (const std::wstring& folder : {scripts, links, work})
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::string out = Narrow(scripts);
    ASSERT_TRUE(WriteScript(scripts + L"\\where.cmd", "@cd > marker.txt\r\n"));
    ASSERT_TRUE(WriteScript(scripts + L"\\target.cmd",
                            "@cd > \"" + out + "\\directory.txt\"\r\n@echo %* > \"" + out + "\\arguments.txt\"\r\n"));
    // The upper-case extension must still be taken for a shortcut.
    ASSERT_TRUE(CreateShortcut(links + L"\\Start.LNK", scripts + L"\\target.cmd", L"alpha beta", work.c_str()));

    DialogScriptDriver driver;
    EXPECT_TRUE(OpenFile((scripts + L"\\where.cmd").c_str()));
    EXPECT_EQ(out, WaitForFirstLine(scripts + L"\\marker.txt"));
    EXPECT_TRUE(OpenFile((links + L"\\Start.LNK").c_str()));
    EXPECT_EQ(Narrow(work), WaitForFirstLine(scripts + L"\\directory.txt"));
    EXPECT_EQ("alpha beta", WaitForFirstLine(scripts + L"\\arguments.txt"));
    EXPECT_TRUE(driver.Finish().empty());
}

TEST(ShellLaunchTest, FileThatCannotBeOpenedIsReported) {
    TempDirectory temp;
    std::wstring missing = temp.File(L"missing.txt");
    DialogScriptDriver driver;
    EXPECT_FALSE(OpenFile(missing.c_str()));
    std::vector<DialogScriptDriver::Dialog> boxes = driver.Finish();
    // The shell may show a box of its own first; ours comes last.
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(L"Error", boxes.back().caption);
    EXPECT_EQ(L"Error opening " + missing, boxes.back().text);
}

TEST(ShellLaunchTest, StartedProgramIsShownAndBroughtToTheFront) {
    std::wstring notepad = Notepad();
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // Asked for by the caller, so the handle must be left open.
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = notepad.c_str();
    info.nShow = SW_HIDE;
    ASSERT_TRUE(ShellExecuteAndActivate(&info));
    ASSERT_NE(nullptr, info.hProcess);
    DWORD processId = 0;
    HWND foreground = GetForegroundWindow();
    GetWindowThreadProcessId(foreground, &processId);
    EXPECT_EQ(GetProcessId(info.hProcess), processId);
    EXPECT_TRUE(IsWindowVisible(foreground)) << "SW_HIDE must have been replaced by SW_SHOWNORMAL";
    TerminateProcess(info.hProcess, 0);
    CloseHandle(info.hProcess);
}

TEST(ShellLaunchTest, ActivationRestoresAMinimizedWindowAndLeavesHiddenOnesHidden) {
    HWND window = CreateTestWindow(WS_VISIBLE);
    ShowWindow(window, SW_MINIMIZE);
    // Created last, so it comes first in z-order.
    HWND hidden = CreateTestWindow(0);
    DWORD start = GetTickCount();
    EXPECT_TRUE(ActivateProcessWindow(GetCurrentProcessId()));
    EXPECT_LT(GetTickCount() - start, 400u) << "a window already there needs no waiting";
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_FALSE(IsWindowVisible(hidden));
    DestroyWindow(hidden);
    DestroyWindow(window);
}

TEST(ShellLaunchTest, ActivationWaitsAboutTwoSecondsForAWindow) {
    // A process held suspended never makes a window.
    std::wstring commandLine = Notepad();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &process));
    DWORD start = GetTickCount();
    EXPECT_FALSE(ActivateProcessWindow(process.dwProcessId));
    EXPECT_NEAR(2000.0, static_cast<double>(GetTickCount() - start), 500.0);
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::atomic<HWND> late{nullptr};
    std::atomic<bool> stop{false};
    std::thread creator([&] {
        Sleep(1200);
        late = CreateTestWindow(WS_VISIBLE);
        for (MSG message; !stop; Sleep(10))
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        DestroyWindow(late);
    });
    start = GetTickCount();
    EXPECT_TRUE(ActivateProcessWindow(GetCurrentProcessId()));
    EXPECT_GE(GetTickCount() - start, 1000u);
    EXPECT_NE(nullptr, late.load());
    EXPECT_EQ(late.load(), GetForegroundWindow());
    stop = true;
    creator.join();
}
