#include "ApplicationFixture.h"

#include "containers/NotifyIcon.h"
#include "lib/FileSystem.h"
#include "support/FileFixtures.h"
#include "support/Keyboard.h"
#include "support/MarkerScript.h"
#include "support/MenuTexts.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The whole way of a click through the real application object and its message loop: the tray
// callback (or the hotkey) reaches the item's container, the folder menu is tracked at the
// cursor, the test reads it and picks an entry with the keyboard, and the chosen script runs.

namespace {

std::vector<UINT> g_keys; // pressed once the menu is open
Texts g_shown;            // what the menu showed
std::wstring g_marker;
HWND g_mainWindow = nullptr;

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menuWindow = FindOwnWindow(L"#32768");
    if (!menuWindow)
        return;
    KillTimer(nullptr, timer);
    g_shown = MenuItemTexts(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
    for (UINT key : g_keys)
        PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
}

// Closes the program once the chosen script has left its marker (the fixture's watchdog closes it
// when the script never runs).
void CALLBACK CloseWhenScriptRan(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!IsExistingFile(g_marker.c_str()))
        return;
    KillTimer(nullptr, timer);
    PostMessageW(g_mainWindow, WM_CLOSE, 0, 0);
}

// What the shell posts to the item's tray icon window when the icon is clicked.
void ClickTheTrayIcon(UINT mouseMessage) {
    for (HWND window : WindowsOfClass(kNotifyIconClassName, GetCurrentProcessId(), false)) {
        if (auto* icon = static_cast<CNotifyIcon*>(GetPropW(window, kNotifyIconPropertyName))) {
            PostMessageW(window, WM_NOTIFY_ICON_CALLBACK, icon->m_notifyIconData.uID, mouseMessage);
            return;
        }
    }
    ADD_FAILURE() << "the item has no tray icon window";
}

class MenuLaunchEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(fixture.File(L"Docs").c_str(), nullptr);
        CreateDirectoryW(fixture.File(L"Docs\\Sub").c_str(), nullptr);
        WriteFileBytes(fixture.File(L"Docs\\Sub\\inside.txt"), {'x'});
        WriteFileBytes(fixture.File(L"Docs\\a.txt"), {'x'});
        WriteMarkerScript(fixture.File(L"Docs\\b.cmd"), fixture.File(L"Docs\\ran.txt"), "ran");
        // Ctrl+Alt+F9 shows the menu from anywhere.
        fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                          L"HotKeyModifier=3\r\nHotKeyVirtualKey=120\r\n");
        g_marker = fixture.File(L"Docs\\ran.txt");
        g_shown.clear();
        fixture.Start();
    }

    // Chooses the third entry ("b", the script): folders come first, extensions are hidden.
    void OpenTheMenuAndChooseTheScript(const std::function<void()>& open) {
        g_keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
        EXPECT_TRUE(fixture.RunWhile([&](HWND window) {
            g_mainWindow = window;
            SetTimer(nullptr, 0, 50, CloseWhenScriptRan);
            SetTimer(nullptr, 0, 20, DriveMenu);
            open();
        }));
        EXPECT_EQ((Texts{L"Sub", L"a", L"b"}), g_shown);
        EXPECT_TRUE(IsExistingFile(g_marker.c_str())) << "the chosen script ran";
        EXPECT_TRUE(IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str())) << "closing saved the folders file";
        EXPECT_EQ(1, fixture.SavedItemCount());
    }

    ApplicationFixture fixture;
};

} // namespace

TEST_F(MenuLaunchEndToEnd, ALeftClickOnTheTrayIconOpensTheChosenEntry) {
    OpenTheMenuAndChooseTheScript([] { ClickTheTrayIcon(WM_LBUTTONUP); });
}

TEST_F(MenuLaunchEndToEnd, TheItemsHotKeyOpensTheMenuAtTheCursor) {
    OpenTheMenuAndChooseTheScript([] { SendKeys({VK_CONTROL, VK_MENU, VK_F9}); });
}

TEST_F(MenuLaunchEndToEnd, ExitFromTheTrayIconsContextMenuEndsTheProgram) {
    g_keys = {VK_UP, VK_RETURN};
    EXPECT_TRUE(fixture.RunWhile([](HWND) {
        SetTimer(nullptr, 0, 20, DriveMenu);
        ClickTheTrayIcon(WM_RBUTTONUP);
    }));
    EXPECT_FALSE(fixture.WatchdogFired()) << "ended by Exit, not by the test's watchdog";
    ASSERT_FALSE(g_shown.empty());
    EXPECT_EQ(L"Exit", g_shown.back());
    EXPECT_TRUE(fixture.application.m_folders.empty()) << "the items and containers are gone";
    EXPECT_TRUE(IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str()));
}
