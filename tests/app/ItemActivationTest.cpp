// The items as the program starts them: a missing folder or a taken hotkey costs only that item; each
// item makes its menu, watch and context menu at first use; and the whole way from a tray click or a
// hotkey through the tracked folder menu to the chosen script.
#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/FolderMenuContainer.h"
#include "containers/NotifyIcon.h"
#include "lib/FileSystem.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/Keyboard.h"
#include "support/MarkerScript.h"
#include "support/MenuTexts.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
const UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;

std::wstring Hotkey(UINT modifier, UINT key) {
    return L"HotKeyModifier=" + std::to_wstring(modifier) + L"\r\nHotKeyVirtualKey=" + std::to_wstring(key) + L"\r\n";
}

// Whether another program could still take the combination (it is not registered by Pathwren).
bool HotKeyIsFree(UINT modifier, UINT key) {
    if (!RegisterHotKey(nullptr, 0xBEEF, modifier, key))
        return false;
    UnregisterHotKey(nullptr, 0xBEEF);
    return true;
}

// A folders file of the items, each given by its keys.
std::wstring FoldersFile(const std::vector<std::wstring>& items) {
    std::wstring text = L"[Default]\r\nFolders=" + std::to_wstring(items.size()) + L"\r\n";
    for (size_t i = 0; i < items.size(); ++i)
        text += L"[Folders_" + std::to_wstring(i) + L"]\r\n" + items[i];
    return text;
}

// What the shell posts to the item's tray icon window for the mouse message.
void ClickTrayIcon(const ApplicationFixture& fixture, size_t item, UINT mouseMessage) {
    CNotifyIcon* icon = ContainerOf(*fixture.application.m_folders[item])->GetNotifyIcon();
    PostMessageW(icon->m_hWnd, WM_NOTIFY_ICON_CALLBACK, icon->m_notifyIconData.uID, mouseMessage);
}

// A step that waits for this process's menu, reads it into `shown` and presses the keys in it.
std::function<bool()> ReadMenuAndPress(Texts& shown, std::vector<UINT> keys) {
    return [&shown, keys] {
        HWND menu = FindOwnWindow(L"#32768");
        if (!menu)
            return false;
        shown = MenuItemTexts(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
        for (UINT key : keys)
            PostMessageW(menu, WM_KEYDOWN, key, 0);
        return true;
    };
}

class ItemActivation : public ::testing::Test {
protected:
    // Starts with the items and a folder "Here"; runs the program until during() closes it (at
    // once by default) and returns the message boxes it showed.
    std::vector<DialogScriptDriver::Dialog> Run(
        const std::vector<std::wstring>& items, const std::function<void()>& during = [] {}) {
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
        fixture.Configure(FoldersFile(items));
        fixture.Start();
        DialogScriptDriver driver;
        fixture.RunWhile([&](HWND window) {
            during();
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
        return driver.Finish();
    }
    ApplicationFixture fixture;
};

class ItemFirstUse : public ::testing::Test {
protected:
    // Starts with one "Menu" item per folder, each folder holding one file named after it.
    void Start(const std::vector<std::wstring>& folders) {
        std::vector<std::wstring> items;
        for (const std::wstring& folder : folders) {
            CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
            WriteFileBytes(fixture.File(folder + L"\\" + folder + L".txt"), {'x'});
            items.push_back(L"FolderPresentationType=2\r\nPath=" + folder + L"\r\n");
        }
        fixture.Configure(FoldersFile(items));
        fixture.Start();
    }

    CFolderMenuContainer* Container(size_t item) const {
        return dynamic_cast<CFolderMenuContainer*>(ContainerOf(*fixture.application.m_folders[item]));
    }

    // What each item has made so far, as words, so a failure names the item and the part.
    std::vector<std::string> Made() const {
        std::vector<std::string> made;
        for (size_t i = 0; i < fixture.application.m_folders.size(); ++i) {
            CFolderMenuContainer* item = Container(i);
            made.push_back(!item ? ""
                                 : std::string(item->GetFolderMenu() ? "menu " : "") +
                                       (item->GetRegistration() ? "watch " : "") +
                                       (item->GetContextMenu() ? "context" : ""));
        }
        return made;
    }

    std::function<bool()> Click(size_t item, UINT mouseMessage) {
        return [this, item, mouseMessage] { return ClickTrayIcon(fixture, item, mouseMessage), true; };
    }

    // A step that reads the menu and closes it, then one that waits until it is gone and the
    // program is back in its own loop.
    static std::vector<std::function<bool()>> ReadAndClose(Texts& shown) {
        return {ReadMenuAndPress(shown, {VK_ESCAPE}), [] { return FindOwnWindow(L"#32768") == nullptr; }};
    }

    std::function<bool()> Record(std::vector<std::vector<std::string>>& made) {
        return [this, &made] { return made.push_back(Made()), true; };
    }

    ApplicationFixture fixture;
};

std::vector<std::function<bool()>> Join(std::initializer_list<std::vector<std::function<bool()>>> parts) {
    std::vector<std::function<bool()>> steps;
    for (const auto& part : parts)
        steps.insert(steps.end(), part.begin(), part.end());
    return steps;
}

} // namespace

// A multiple folders menu needs no existing path.
TEST_F(ItemActivation, AMissingFolderLeavesOnlyThatItemWithoutContainerAndHotkey) {
    std::vector<bool> containers;
    std::vector<bool> free;
    auto boxes =
        Run({L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F10), L"Path=Gone\r\n", L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F12),
             L"FolderPresentationType=3\r\nPath=Nowhere\\at\\all\r\nDisplayName=Mixed\r\n"
             L"MultipleDirectoriesNumber=1\r\nDirectory_0=Here\r\n"},
            [&] {
                for (CGenericPathwrenObject* item : fixture.application.m_folders)
                    containers.push_back(item->m_pContainer != nullptr);
                free = {HotKeyIsFree(kCtrlAlt, VK_F10), HotKeyIsFree(kCtrlAlt, VK_F12)};
            });
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Error", boxes[0].caption);
    EXPECT_EQ(L"File path Gone does not exists !", boxes[0].text);
    EXPECT_EQ((std::vector<bool>{true, false, true, true}), containers);
    EXPECT_EQ((std::vector<bool>{false, false}), free) << "hotkeys 0 and 2 are Pathwren's";
    EXPECT_EQ(0, fixture.PostedCount(WM_SHOW_OPTIONS)) << "CreateContainers succeeded";
    EXPECT_TRUE(HotKeyIsFree(kCtrlAlt, VK_F10)) << "closing unregisters the hotkeys";
}

TEST_F(ItemActivation, WhenNoItemGetsAContainerTheOptionsOpen) {
    EXPECT_EQ(1u, Run({L"Path=Gone\r\n", L"FolderPresentationType=77\r\nPath=Here\r\n"}).size())
        << "an unknown type is left out silently";
    EXPECT_EQ(1, fixture.PostedCount(WM_SHOW_OPTIONS));
}

TEST_F(ItemActivation, AKeyWithoutModifierRegistersNothingAndOnlyADuplicateWarns) {
    bool keyAloneFree = false;
    auto boxes = Run({L"Path=Here\r\n" + Hotkey(kCtrlAlt, 0), L"Path=Here\r\n" + Hotkey(0, VK_F7),
                      L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F8), L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F8)},
                     [&] { keyAloneFree = HotKeyIsFree(0, VK_F7); });
    EXPECT_TRUE(keyAloneFree) << "a key without modifier registers nothing";
    ASSERT_EQ(1u, boxes.size()) << "only the duplicate warns";
    EXPECT_EQ(L"Pathwren", boxes[0].caption);
    EXPECT_EQ(L"Invalid HotKey for Here (Item 4)\r\nHotkey may already used by another application.", boxes[0].text);
}

TEST_F(ItemFirstUse, EachItemMakesOnlyWhatItWasAskedFor) {
    Start({L"A", L"B", L"C"});
    std::vector<std::vector<std::string>> made;
    Texts first, context, third;
    // What the system posts when the third item's hotkey is pressed.
    auto hotkey = [this] { return PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 2, 0), true; };
    const auto steps = Join({{Record(made), Click(0, WM_LBUTTONUP)},
                             ReadAndClose(first),
                             {Record(made), Click(1, WM_RBUTTONUP)},
                             ReadAndClose(context),
                             {Record(made), hotkey},
                             ReadAndClose(third),
                             {Record(made)}});
    ASSERT_EQ(steps.size(), fixture.RunSteps(steps)) << "a menu never opened";

    ASSERT_EQ(4u, made.size());
    EXPECT_EQ((std::vector<std::string>{"", "", ""}), made[0]) << "at start";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "", ""}), made[1]) << "after a left click on the first";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "context", ""}), made[2]) << "after a right click on the second";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "context", "menu watch "}), made[3])
        << "after the third's hotkey";
    EXPECT_EQ((Texts{L"A"}), first);
    EXPECT_EQ((Texts{L"C"}), third);
    ASSERT_FALSE(context.empty());
    EXPECT_EQ(fixture.application.m_pLanguage->Show, context[0]);
}

TEST_F(ItemFirstUse, AnItemShownOnceFollowsLaterChangesOfItsFolder) {
    Start({L"Docs"});
    std::wstring added = fixture.File(L"Docs\\added.txt");
    UINT buildsBeforeChange = 0;
    Texts before, after;
    auto change = [&] {
        buildsBeforeChange = Container(0)->GetBuildCount();
        WriteFileBytes(added, {'x'});
        // Wine does not watch the file system itself; Explorer announces changes like this.
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, added.c_str(), nullptr);
        return true;
    };
    auto rebuilt = [&] { return Container(0)->GetBuildCount() > buildsBeforeChange; };
    const auto steps = Join({{Click(0, WM_LBUTTONUP)},
                             ReadAndClose(before),
                             {change, rebuilt, Click(0, WM_LBUTTONUP)},
                             ReadAndClose(after)});
    ASSERT_EQ(steps.size(), fixture.RunSteps(steps)) << "no menu, or the change never rebuilt it";
    EXPECT_EQ((Texts{L"Docs"}), before);
    EXPECT_EQ((Texts{L"added", L"Docs"}), after) << "the second showing missed the change";
}

// A tray click opens the same menu (ItemFirstUse); here a real key press goes on to the chosen
// entry, and Exit in the tray icon's own menu ends the program.
TEST(MenuLaunchEndToEnd, TheItemsHotKeyRunsTheChosenEntryAndExitFromTheTrayIconsMenuEndsTheProgram) {
    ApplicationFixture fixture;
    CreateDirectoryW(fixture.File(L"Docs").c_str(), nullptr);
    CreateDirectoryW(fixture.File(L"Docs\\Sub").c_str(), nullptr);
    WriteFileBytes(fixture.File(L"Docs\\Sub\\inside.txt"), {'x'});
    WriteFileBytes(fixture.File(L"Docs\\a.txt"), {'x'});
    WriteMarkerScript(fixture.File(L"Docs\\b.cmd"), fixture.File(L"Docs\\ran.txt"), "ran");
    // Ctrl+Alt+F9 shows the menu from anywhere.
    fixture.Configure(FoldersFile({L"FolderPresentationType=2\r\nPath=Docs\r\n" + Hotkey(kCtrlAlt, VK_F9)}));
    fixture.Start();
    std::wstring marker = fixture.File(L"Docs\\ran.txt");
    Texts shown, context;
    const std::vector<std::function<bool()>> steps = {
        [] {
            return SendKeys({VK_CONTROL, VK_MENU, VK_F9}), true;
        },
        // The third entry is "b", the script: folders come first, extensions are hidden.
        ReadMenuAndPress(shown, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}),
        [&] { return IsExistingFile(marker.c_str()) != FALSE; },
        [&] { return ClickTrayIcon(fixture, 0, WM_RBUTTONUP), true; },
        ReadMenuAndPress(context, {VK_UP, VK_RETURN}),
        [] { return false; },
    };
    EXPECT_EQ(5u, fixture.RunSteps(steps)) << "2: no menu, 3: the chosen script never ran, 5: no context menu";
    EXPECT_EQ((Texts{L"Sub", L"a", L"b"}), shown);
    ASSERT_FALSE(context.empty());
    EXPECT_EQ(fixture.application.m_pLanguage->Exit, context.back()) << "the last entry of the icon's menu";
    EXPECT_FALSE(fixture.WatchdogFired()) << "ended by Exit, not by the test's watchdog";
    EXPECT_TRUE(fixture.application.m_folders.empty()) << "the items and containers are gone";
}
