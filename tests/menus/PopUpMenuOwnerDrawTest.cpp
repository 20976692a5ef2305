// The owner-drawn technique, used from Windows 8 on. Under Wine, which reports Windows 7 by
// default, the cases run in a copy of this program that Wine starts as Windows 10.
#include "menus/MenuTestOwner.h"
#include "menus/PopUpMenu.h"
#include "support/GdiObjectCounter.h"

#include <gtest/gtest.h>
#include <uxtheme.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kChildVariable[] = L"PATHWREN_OWNER_DRAW_CHILD";
const DWORD kChildTimeLimitMs = 900 * 1000;

bool StartedAsOwnerDrawChild() {
    return GetEnvironmentVariableW(kChildVariable, nullptr, 0) > 0;
}

class PopUpMenuOwnerDraw : public ::testing::Test {
protected:
    void SetUp() override {
        CPopUpMenu probe;
        if (!probe.IsThemed())
            return;
        ASSERT_FALSE(StartedAsOwnerDrawChild()) << "started as Windows 10, yet the menu uses item bitmaps";
        GTEST_SKIP() << "menus of this system use item bitmaps; PopUpMenuOwnerDrawChild runs this case in a copy "
                        "started as Windows 10";
    }
};

struct ChildRun {
    DWORD exitCode;
    std::string output;
};

std::wstring ModulePath() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

std::string ReadUntilExit(HANDLE pipe, HANDLE process) {
    std::string output;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD available = 0;
        if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available) {
            char buffer[4096];
            DWORD read = 0;
            if (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr))
                output.append(buffer, read);
            continue;
        }
        if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
            char buffer[4096];
            DWORD read = 0;
            while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read)
                output.append(buffer, read);
            return output;
        }
        if (GetTickCount() - start > kChildTimeLimitMs) {
            TerminateProcess(process, 0xDEAD);
            return output + "\n(the child ran out of time and was ended)\n";
        }
    }
}

// Runs the cases matching the filter in a copy of this executable that Wine starts as Windows 10.
ChildRun RunAsWindows10(const std::wstring& filter, const std::wstring& copyName) {
    ChildRun run = {0xFFFFFFFF, ""};
    std::wstring self = ModulePath();
    std::wstring directory = self.substr(0, self.find_last_of(L'\\') + 1);
    std::wstring copy = directory + copyName;
    if (!CopyFileW(self.c_str(), copy.c_str(), FALSE))
        return run;
    std::wstring key = L"Software\\Wine\\AppDefaults\\" + copyName;
    HKEY appDefaults = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &appDefaults, nullptr) ==
        ERROR_SUCCESS) {
        const wchar_t version[] = L"win10";
        RegSetValueExW(appDefaults, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof(version));
        RegCloseKey(appDefaults);
    }

    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inheritable, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring commandLine = L"\"" + copy + L"\" --gtest_filter=" + filter;
    PROCESS_INFORMATION process = {};
    SetEnvironmentVariableW(kChildVariable, L"1");
    BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(),
                                  &startup, &process);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    CloseHandle(writeEnd);
    if (started) {
        run.output = ReadUntilExit(readEnd, process.hProcess);
        WaitForSingleObject(process.hProcess, 5000);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    DeleteFileW(copy.c_str());
    return run;
}

void ExpectChildPassed(const ChildRun& run) {
    std::printf("---- child run as Windows 10 ----\n%s---- end of child run ----\n", run.output.c_str());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("[  PASSED  ]"));
    EXPECT_EQ(std::string::npos, run.output.find("[  SKIPPED ]")) << "the child did not draw through the owner";
}

} // namespace

TEST_F(PopUpMenuOwnerDraw, IconItemsAreDrawnThroughTheOwnerEvenWithVisualStyles) {
    if (StartedAsOwnerDrawChild()) {
        EXPECT_TRUE(IsThemeActive()) << "the point of this run: visual styles on, Windows 10";
    }
    HICON icon = CreateSolidIcon(16, 0xFF0000FF);
    MenuTestOwner owner;
    auto openAllLevels = [](const MenuTree& tree) {
        return std::vector<MenuTestOwner::Step>{
            PressKeys(tree.menus[0]->GetHandle(), {VK_DOWN, VK_RIGHT}),
            PressKeys(tree.menus[1]->GetHandle(), {VK_RIGHT}),
            PressKeys(tree.menus[2]->GetHandle(), {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE})};
    };
    {
        // The first menu shown in a process makes what the menu system keeps for later ones.
        MenuTree warmUp = BuildMenuTree(3, 1, icon);
        owner.Track(*warmUp.menus[0], openAllLevels(warmUp));
    }

    long before = GdiObjectCounter::Read();
    MenuTree tree = BuildMenuTree(3, 5, icon);
    EXPECT_EQ(0, GdiObjectCounter::Read() - before) << "no bitmaps are made for owner-drawn items";
    HMENU root = tree.menus[0]->GetHandle();
    for (int position : {0, 1}) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_BITMAP | MIIM_DATA;
        ASSERT_TRUE(GetMenuItemInfoW(root, static_cast<UINT>(position), TRUE, &item));
        EXPECT_EQ(HBMMENU_CALLBACK, item.hbmpItem) << "position " << position;
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(icon), item.dwItemData) << "position " << position;
    }

    owner.SpyOnMenuLoops();
    owner.Track(*tree.menus[0], openAllLevels(tree));

    int measured = 0;
    int drawnPerLevel[3] = {};
    bool rootHighlightDrawn = false;
    for (const MenuTestOwner::SeenMessage& seen : owner.Seen()) {
        EXPECT_TRUE(seen.result) << (seen.message == WM_DRAWITEM ? "WM_DRAWITEM" : "WM_MEASUREITEM") << " of item "
                                 << seen.itemId << " was not answered";
        if (seen.message == WM_MEASUREITEM)
            ++measured;
        for (int level = 0; level < 3; ++level)
            drawnPerLevel[level] += seen.message == WM_DRAWITEM && seen.menu == tree.menus[level]->GetHandle();
        rootHighlightDrawn = rootHighlightDrawn || (seen.menu == root && (seen.itemState & ODS_SELECTED));
    }
    EXPECT_GE(measured, 6 + 6 + 5) << "every icon item is measured";
    EXPECT_GE(drawnPerLevel[0], 6);
    EXPECT_GE(drawnPerLevel[1], 6);
    EXPECT_GE(drawnPerLevel[2], 5) << "the deepest level draws through the root's owner";
    EXPECT_TRUE(rootHighlightDrawn) << "the highlighted item is redrawn selected";
    EXPECT_EQ(0, GdiObjectCounter::Read() - before) << "showing and drawing keep no object";
    DestroyIcon(icon);
}

TEST(PopUpMenuOwnerDrawChild, TheOwnerDrawCasesPassWhenWineReportsWindows10) {
    CPopUpMenu probe;
    if (!probe.IsThemed())
        GTEST_SKIP() << "this process draws icons through the owner already; PopUpMenuOwnerDraw ran here";
    if (!RunningOnWine())
        GTEST_SKIP() << "only Wine can start a copy of this program as another Windows version";
    ExpectChildPassed(RunAsWindows10(L"PopUpMenuOwnerDraw.*", L"menus_tests_win10_draw.exe"));
}

TEST(PopUpMenuOwnerDrawChild, TheSoakPassesWhenWineReportsWindows10) {
    CPopUpMenu probe;
    if (!probe.IsThemed())
        GTEST_SKIP() << "this process draws icons through the owner already; PopUpMenuSoak ran here";
    if (!RunningOnWine())
        GTEST_SKIP() << "only Wine can start a copy of this program as another Windows version";
    ExpectChildPassed(RunAsWindows10(L"PopUpMenuSoak.*", L"menus_tests_win10_soak.exe"));
}
