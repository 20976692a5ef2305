#include "ApplicationFixture.h"

#include "containers/NotifyIcon.h"
#include "config/IniFile.h"
#include "support/FileFixtures.h"
#include "support/MenuWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The whole way of a click through the real application object and its message loop: the tray
// callback (or the hotkey) reaches the item's container, the folder menu is tracked at the
// cursor, the test reads it and picks an entry with the keyboard, and the chosen script runs.

namespace {

struct MenuScript {
    std::vector<UINT> keys;            // pressed once the menu is open
    std::vector<std::wstring> entries; // what the menu showed
    bool done = false;
};

MenuScript* g_script = nullptr;
std::wstring g_marker;
HWND g_mainWindow = nullptr;
DWORD g_closeDeadline = 0;

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menuWindow = FindOwnMenuWindow();
    if (!menuWindow)
        return;
    KillTimer(nullptr, timer);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        WCHAR text[MAX_PATH] = L"";
        GetMenuStringW(menu, i, text, MAX_PATH, MF_BYPOSITION);
        g_script->entries.push_back(text);
    }
    for (UINT key : g_script->keys)
        PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
    g_script->done = true;
}

// Closes the program once the chosen script has left its marker (or after 20 s).
void CALLBACK CloseWhenScriptRan(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!FileExists(g_marker) && GetTickCount() < g_closeDeadline)
        return;
    KillTimer(nullptr, timer);
    PostMessageW(g_mainWindow, WM_CLOSE, 0, 0);
}

BOOL CALLBACK FindTrayWindow(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    WCHAR className[64] = L"";
    GetClassNameW(window, className, 64);
    if (process == GetCurrentProcessId() && wcscmp(className, kNotifyIconClassName) == 0 &&
        GetPropW(window, kNotifyIconPropertyName)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND TrayWindowOfTheItem() {
    HWND window = nullptr;
    EnumWindows(FindTrayWindow, reinterpret_cast<LPARAM>(&window));
    return window;
}

void PostTrayCallback(HWND trayWindow, UINT mouseMessage) {
    auto* icon = static_cast<CNotifyIcon*>(GetPropW(trayWindow, kNotifyIconPropertyName));
    PostMessageW(trayWindow, WM_NOTIFY_ICON_CALLBACK, icon->m_notifyIconData.uID, mouseMessage);
}

class RoadOfOneClick : public ::testing::Test {
protected:
    void SetUp() override {
        WriteUtf16File(fixture.File(L"Pathwren.ini"), L"[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\n");
        CreateDirectoryW(fixture.File(L"Docs").c_str(), nullptr);
        CreateDirectoryW(fixture.File(L"Docs\\Sub").c_str(), nullptr);
        WriteFileBytes(fixture.File(L"Docs\\Sub\\inside.txt"), {'x'});
        WriteFileBytes(fixture.File(L"Docs\\a.txt"), {'x'});
        std::string script = "@cd > ran.txt\r\n";
        WriteFileBytes(fixture.File(L"Docs\\b.cmd"), std::vector<unsigned char>(script.begin(), script.end()));
        // Ctrl+Alt+F9 shows the menu from anywhere.
        WriteUtf16File(fixture.File(L"FoldersOptions.ini"),
                       L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                       L"HotKeyModifier=3\r\nHotKeyVirtualKey=120\r\n");
        g_marker = fixture.File(L"Docs\\ran.txt");
        g_script = &script_;
        fixture.Start();
    }
    void TearDown() override { g_script = nullptr; }

    // Chooses the third entry ("b", the script): folders come first, extensions are hidden.
    void ExpectScriptChosenAndRun() {
        EXPECT_TRUE(script_.done);
        EXPECT_EQ((std::vector<std::wstring>{L"Sub", L"a", L"b"}), script_.entries);
        EXPECT_TRUE(FileExists(g_marker)) << "the chosen script ran";
        EXPECT_TRUE(FileExists(fixture.File(L"FoldersOptions.bak"))) << "closing saved the folders file";
        INT count = 0;
        CIniFile(fixture.File(L"FoldersOptions.ini").c_str()).ReadInt(L"Default", L"Folders", 0, &count);
        EXPECT_EQ(1, count);
    }

    void ArmClose(HWND window) {
        g_mainWindow = window;
        g_closeDeadline = GetTickCount() + 20000;
        SetTimer(nullptr, 0, 50, CloseWhenScriptRan);
    }

    ApplicationFixture fixture;
    MenuScript script_;
};

} // namespace

TEST_F(RoadOfOneClick, ALeftClickOnTheTrayIconOpensTheChosenEntry) {
    script_.keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    EXPECT_TRUE(fixture.RunWhile([&](HWND window) {
        HWND tray = TrayWindowOfTheItem();
        ASSERT_NE(nullptr, tray);
        SetTimer(nullptr, 0, 20, DriveMenu);
        ArmClose(window);
        PostTrayCallback(tray, WM_LBUTTONUP);
    }));
    ExpectScriptChosenAndRun();
}

TEST_F(RoadOfOneClick, TheItemsHotKeyOpensTheMenuAtTheCursor) {
    script_.keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    EXPECT_TRUE(fixture.RunWhile([&](HWND window) {
        SetTimer(nullptr, 0, 20, DriveMenu);
        ArmClose(window);
        INPUT keys[6] = {};
        const WORD sequence[3] = {VK_CONTROL, VK_MENU, VK_F9};
        for (int i = 0; i < 3; ++i) {
            keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = keys[5 - i].ki.wVk = sequence[i];
            keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
        }
        SendInput(6, keys, sizeof(INPUT));
    }));
    ExpectScriptChosenAndRun();
}

TEST_F(RoadOfOneClick, ExitFromTheTrayIconsContextMenuEndsTheProgram) {
    script_.keys = {VK_UP, VK_RETURN};
    DWORD start = GetTickCount();
    EXPECT_TRUE(fixture.RunWhile([&](HWND) {
        HWND tray = TrayWindowOfTheItem();
        ASSERT_NE(nullptr, tray);
        SetTimer(nullptr, 0, 20, DriveMenu);
        PostTrayCallback(tray, WM_RBUTTONUP);
    }));
    EXPECT_LT(GetTickCount() - start, 25000u) << "ended by Exit, not by the test's watchdog";
    ASSERT_FALSE(script_.entries.empty());
    EXPECT_EQ(L"Exit", script_.entries.back());
    EXPECT_TRUE(fixture.application.m_folders.empty()) << "the items and containers are gone";
    EXPECT_TRUE(FileExists(fixture.File(L"FoldersOptions.bak")));
}
