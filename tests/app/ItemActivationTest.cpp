#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "support/DialogScriptDriver.h"

#include <gtest/gtest.h>

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

class ItemActivation : public ::testing::Test {
protected:
    // Starts with the items and a folder "Here"; runs the program until during() closes it (at
    // once by default) and returns the message boxes it showed.
    std::vector<DialogScriptDriver::Dialog> Run(
        const std::vector<std::wstring>& items, const std::function<void()>& during = [] {}) {
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
        std::wstring text = L"[Default]\r\nFolders=" + std::to_wstring(items.size()) + L"\r\n";
        for (size_t i = 0; i < items.size(); ++i)
            text += L"[Folders_" + std::to_wstring(i) + L"]\r\n" + items[i];
        fixture.Configure(text);
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

} // namespace

TEST_F(ItemActivation, AMissingFolderLeavesOnlyThatItemWithoutContainerAndHotkey) {
    std::vector<bool> containers;
    std::vector<bool> free;
    auto boxes = Run(
        {L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F10), L"Path=Gone\r\n", L"Path=Here\r\n" + Hotkey(kCtrlAlt, VK_F12)},
        [&] {
            for (CGenericPathwrenObject* item : fixture.application.m_folders)
                containers.push_back(item->m_pContainer != nullptr);
            free = {HotKeyIsFree(kCtrlAlt, VK_F10), HotKeyIsFree(kCtrlAlt, VK_F12)};
        });
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"Error", boxes[0].caption);
    EXPECT_EQ(L"File path Gone does not exists !", boxes[0].text);
    EXPECT_EQ((std::vector<bool>{true, false, true}), containers);
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

TEST_F(ItemActivation, AMultipleFoldersMenuNeedsNoExistingPath) {
    bool created = false;
    EXPECT_TRUE(Run({L"FolderPresentationType=3\r\nPath=Nowhere\\at\\all\r\nDisplayName=Mixed\r\n"
                     L"MultipleDirectoriesNumber=1\r\nDirectory_0=Here\r\n"},
                    [&] { created = fixture.application.m_folders[0]->m_pContainer != nullptr; })
                    .empty());
    EXPECT_TRUE(created);
}
