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
        fixture.Start();
    }

    // Opens the menu, reads it and presses the keys in it; then waits for done(). How many of
    // these three steps were done.
    size_t Drive(const std::function<void()>& open, const std::vector<UINT>& keys, const std::function<bool()>& done) {
        auto readAndPress = [&] {
            HWND menu = FindOwnWindow(L"#32768");
            if (!menu)
                return false;
            shown = MenuItemTexts(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
            for (UINT key : keys)
                PostMessageW(menu, WM_KEYDOWN, key, 0);
            return true;
        };
        return fixture.RunSteps({[&] { return open(), true; }, readAndPress, done});
    }

    // Chooses the third entry ("b", the script): folders come first, extensions are hidden.
    void OpenTheMenuAndChooseTheScript(const std::function<void()>& open) {
        std::wstring marker = fixture.File(L"Docs\\ran.txt");
        EXPECT_EQ(3u, Drive(open, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
                            [&] { return IsExistingFile(marker.c_str()) != FALSE; }))
            << "no menu, or the chosen script never ran";
        EXPECT_EQ((Texts{L"Sub", L"a", L"b"}), shown);
        EXPECT_TRUE(IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str())) << "closing saved the folders file";
        EXPECT_EQ(1, fixture.SavedItemCount());
    }

    ApplicationFixture fixture;
    Texts shown; // what the menu showed
};

} // namespace

TEST_F(MenuLaunchEndToEnd, ALeftClickOnTheTrayIconOpensTheChosenEntry) {
    OpenTheMenuAndChooseTheScript([] { ClickTheTrayIcon(WM_LBUTTONUP); });
}

TEST_F(MenuLaunchEndToEnd, TheItemsHotKeyOpensTheMenuAtTheCursor) {
    OpenTheMenuAndChooseTheScript([] { SendKeys({VK_CONTROL, VK_MENU, VK_F9}); });
}

TEST_F(MenuLaunchEndToEnd, ExitFromTheTrayIconsContextMenuEndsTheProgram) {
    Drive([] { ClickTheTrayIcon(WM_RBUTTONUP); }, {VK_UP, VK_RETURN}, [] { return false; });
    EXPECT_FALSE(fixture.WatchdogFired()) << "ended by Exit, not by the test's watchdog";
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(L"Exit", shown.back());
    EXPECT_TRUE(fixture.application.m_folders.empty()) << "the items and containers are gone";
    EXPECT_TRUE(IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str()));
}
