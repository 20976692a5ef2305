#include "lib/KernelHandle.h"
#include "lib/ShellLaunch.h"

#include "lib/ShellLink.h"
#include "support/ChildProcess.h"
#include "support/DialogScriptDriver.h"
#include "support/MarkerScript.h"
#include "support/MessagePump.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
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

TEST(ShellLaunchTest, OpenFileRunsScriptsInTheirFolderAndShortcutsWithTheirArgumentsAndReportsWhatItCannotOpen) {
    TempDirectory temp;
    std::wstring scripts = temp.File(L"Script Folder"), links = temp.File(L"links"), work = temp.File(L"work here");
    for (const std::wstring& folder : {scripts, links, work})
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteMarkerScript(scripts + L"\\where.cmd", scripts + L"\\directory.txt", "%CD%"));
    ASSERT_TRUE(WriteMarkerScript(scripts + L"\\target.cmd", scripts + L"\\arguments.txt", "%CD% %*"));
    // The upper-case extension must still be taken for a shortcut.
    ASSERT_EQ(S_OK, SaveShellLink((links + L"\\Start.LNK").c_str(), (scripts + L"\\target.cmd").c_str(), L"alpha beta",
                                  work.c_str()));

    DialogScriptDriver driver;
    EXPECT_TRUE(OpenFile((scripts + L"\\where.cmd").c_str()));
    EXPECT_EQ(Narrow(scripts), WaitForMarkerLine(scripts + L"\\directory.txt"));
    EXPECT_TRUE(OpenFile((links + L"\\Start.LNK").c_str()));
    EXPECT_EQ(Narrow(work) + " alpha beta", WaitForMarkerLine(scripts + L"\\arguments.txt"));
    EXPECT_TRUE(driver.Finish().empty());

    std::wstring missing = temp.File(L"missing.txt");
    DialogScriptDriver failing;
    EXPECT_FALSE(OpenFile(missing.c_str()));
    std::vector<DialogScriptDriver::Dialog> boxes = failing.Finish();
    // The shell may show a box of its own first; ours comes last.
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(L"[box \"Error\": \"Error opening " + missing + L"\"] ", DescribeDialogs({boxes.back()}));
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
    CKernelHandle process(info.hProcess);
    ASSERT_TRUE(process);
    // The program's window may come after the launch returned; the search goes on meanwhile.
    DWORD processId = 0;
    HWND foreground = nullptr;
    PumpMessagesUntil([&] {
        foreground = GetForegroundWindow();
        GetWindowThreadProcessId(foreground, &processId);
        return processId == GetProcessId(info.hProcess);
    });
    EXPECT_EQ(GetProcessId(info.hProcess), processId);
    EXPECT_TRUE(IsWindowVisible(foreground)) << "SW_HIDE must have been replaced by SW_SHOWNORMAL";
    TerminateProcess(process.Get(), 0);
}

TEST(ShellLaunchTest, ActivationRestoresAMinimizedWindowLeavesHiddenOnesHiddenAndLooksForALateOneWithoutWaiting) {
    HWND window = CreateTestWindow(WS_VISIBLE);
    ShowWindow(window, SW_MINIMIZE);
    // Created last, so it comes first in z-order.
    HWND hidden = CreateTestWindow(0);
    EXPECT_TRUE(ActivateProcessWindow(GetCurrentProcessId()));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_FALSE(IsWindowVisible(hidden));
    DestroyWindow(hidden);
    DestroyWindow(window);

    // A process held suspended never makes a window. The search for it goes on from the message
    // loop, so the call returns at once; a wait inside it would hold every click and hotkey.
    ChildProcess suspended(Notepad());
    ASSERT_TRUE(suspended.Started());
    DWORD start = GetTickCount();
    EXPECT_FALSE(ActivateProcessWindow(suspended.Id()));
    EXPECT_LT(GetTickCount() - start, 400u) << "the call waited for the window";

    // The window comes after the first look: only a search that keeps looking finds it. How
    // much later does not matter, so no time is measured.
    std::atomic<HWND> late{nullptr};
    std::atomic<bool> stop{false};
    std::thread creator([&] {
        Sleep(300);
        late = CreateTestWindow(WS_VISIBLE);
        PumpMessagesUntil([&] { return stop.load(); }, 60000);
        DestroyWindow(late);
    });
    ActivateProcessWindow(GetCurrentProcessId());
    EXPECT_TRUE(PumpMessagesUntil([&] { return late.load() && late.load() == GetForegroundWindow(); }));
    stop = true;
    creator.join();
}
