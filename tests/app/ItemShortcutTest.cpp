#include "ApplicationFixture.h"
#include "OptionsDialogScript.h"

#include "config/GenericPathwrenObject.h"
#include "config/ItemIdentifiers.h"
#include "lib/AppShortcut.h"
#include "options/ItemShortcut.h"
#include "res/resource.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/Wine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The options dialog's shortcut buttons and the item identifiers that the shortcuts name, played
// on the dialog of the running application.

namespace {

const std::wstring kDocsId = L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";

std::vector<std::wstring> g_shownInFolder;

// Steps played on the dialog.
std::function<void(HWND)> SelectPage(std::vector<int> path) {
    return [path](HWND dialog) { Select(dialog, path); };
}
std::function<void(HWND)> Press(int button) {
    return [button](HWND dialog) { Click(dialog, button); };
}

std::vector<std::wstring> Identifiers(const std::vector<CGenericPathwrenObject*>& items) {
    std::vector<std::wstring> identifiers;
    for (CGenericPathwrenObject* item : items)
        identifiers.push_back(item->ItemIdentifier);
    return identifiers;
}

class ItemShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        g_shownInFolder.clear();
        m_realShowFileInFolder = g_showFileInFolder;
        g_showFileInFolder = [](LPCWSTR path) { g_shownInFolder.push_back(path); };
        CreateDirectoryW(fixture.File(L"Docs").c_str(), nullptr);
        CreateDirectoryW(fixture.File(L"Plain").c_str(), nullptr);
    }
    void TearDown() override { g_showFileInFolder = m_realShowFileInFolder; }

    // Opens the options, plays the steps on the dialog, then presses the button that ends it. With
    // `boxes`, the message boxes shown over the dialog are answered with OK and recorded there.
    bool InOptions(const std::vector<std::function<void(HWND)>>& steps, int endButton,
                   std::vector<DialogScriptDriver::Dialog>* boxes = nullptr) {
        std::unique_ptr<DialogScriptDriver> driver;
        DialogScript script;
        script.inDialog = [&](HWND dialog) {
            // Started only now, so that it leaves the options dialog itself alone.
            if (boxes)
                driver.reset(
                    new DialogScriptDriver({DialogScriptDriver::Press(IDOK)}, GetCurrentProcessId(), {dialog}));
        };
        script.laterSteps = steps;
        script.laterSteps.push_back([endButton](HWND dialog) { PostMessageW(dialog, WM_COMMAND, endButton, 0); });
        bool ended = RunOptions(fixture, script);
        if (driver)
            *boxes = driver->Finish();
        EXPECT_TRUE(ended) << "the dialog never opened or never closed";
        return ended;
    }

    ApplicationFixture fixture;
    void (*m_realShowFileInFolder)(LPCWSTR) = nullptr;
};

} // namespace

// Each place's first shortcut brings the hint: the taskbar's beside the folders file, the Start menu's
// in Programs\Pathwren.
TEST_F(ItemShortcut, TheDialogWritesTheShortcutsShowsThemAndTellsHowToPinThemOncePerPlace) {
    fixture.Configure(L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                      L"AssociatedIconPath=C:\\icons\\docs.ico\r\nAssociatedIconIndex=2\r\nItemIdentifier=" +
                      kDocsId + L"\r\n[Folders_1]\r\nFolderPresentationType=2\r\nPath=Plain\r\n");
    std::wstring startMenu =
        ItemShortcutFolder(ItemShortcutPlace::StartMenu, fixture.File(L"FoldersOptions.ini").c_str());
    ASSERT_FALSE(startMenu.empty());
    std::wstring startMenuDocs = startMenu + L"\\Docs.lnk";
    DeleteFileW(startMenuDocs.c_str());
    RemoveDirectoryW(startMenu.c_str());
    std::vector<DialogScriptDriver::Dialog> shown;
    // In Tray Icons mode the tree lists the items last first.
    ASSERT_TRUE(InOptions({SelectPage({1, 1}), Press(IDC_CREATE_TASKBAR_SHORTCUT), Press(IDC_CREATE_TASKBAR_SHORTCUT),
                           Press(IDC_ADD_TO_START_MENU), SelectPage({1, 0}), Press(IDC_CREATE_TASKBAR_SHORTCUT)},
                          IDCANCEL, &shown));
    ASSERT_EQ(2u, shown.size()) << "the pin hint comes with each place's first shortcut only: "
                                << DescribeDialogs(shown);
    for (const DialogScriptDriver::Dialog& hint : shown)
        EXPECT_NE(std::wstring::npos, hint.text.find(L"Pin to taskbar"));

    std::wstring docs = fixture.File(L"Shortcuts\\Docs.lnk");
    std::wstring plain = fixture.File(L"Shortcuts\\Plain.lnk");
    EXPECT_EQ((std::vector<std::wstring>{docs, docs, startMenuDocs, plain}), g_shownInFolder);

    AppShortcut written, inStartMenu;
    ASSERT_TRUE(SUCCEEDED(ReadAppShortcut(docs.c_str(), &written)));
    WCHAR program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    EXPECT_EQ(0, _wcsicmp(program, written.target.c_str())) << written.target;
    EXPECT_EQ(L"--show " + kDocsId, written.arguments);
    EXPECT_EQ(L"C:\\icons\\docs.ico", written.iconPath);
    EXPECT_EQ(2, written.iconIndex);
    EXPECT_TRUE(SUCCEEDED(ReadAppShortcut(startMenuDocs.c_str(), &inStartMenu)));
    EXPECT_EQ(L"--show " + kDocsId, inStartMenu.arguments);
    DeleteFileW(startMenuDocs.c_str());
    RemoveDirectoryW(startMenu.c_str());

    AppShortcut plainWritten;
    ASSERT_TRUE(SUCCEEDED(ReadAppShortcut(plain.c_str(), &plainWritten)));
    EXPECT_FALSE(plainWritten.iconPath.empty()) << "an item without an icon shows its folder's";
    // The item had no identifier in its file: the running program gave it one, which the
    // shortcut names and the next save writes.
    std::wstring plainId = plainWritten.arguments.substr(wcslen(L"--show "));
    EXPECT_TRUE(IsItemIdentifierForm(plainId.c_str())) << plainWritten.arguments;
    EXPECT_NE(std::wstring::npos, ReadUtf16File(fixture.File(L"FoldersOptions.ini")).find(L"ItemIdentifier=" + plainId))
        << "closing saved the identifier the shortcut names";

    // Wine's shell link keeps no properties: its IPropertyStore takes the value and writes nothing.
    if (RunningOnWine() && written.appUserModelId.empty())
        GTEST_SKIP() << "the model identifier cannot be read back under Wine";
    EXPECT_EQ(L"Pathwren.Item." + kDocsId, written.appUserModelId);
}

TEST_F(ItemShortcut, IdentifiersSurviveRenameReorderAndTheOptionsAndAnOldFileGainsThemOnSave) {
    // Written by a version before identifiers.
    const std::wstring old = L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                             L"[Folders_1]\r\nFolderPresentationType=3\r\nDisplayName=Work\r\n";
    fixture.Configure(old);
    fixture.Start();
    EXPECT_EQ(old, ReadUtf16File(fixture.File(L"FoldersOptions.ini"))) << "loading writes nothing";
    std::vector<std::wstring> given;
    ASSERT_TRUE(fixture.RunWhile([&](HWND window) {
        given = Identifiers(fixture.application.m_folders);
        // Renamed and reordered while running, as the options would.
        wcscpy(fixture.application.m_folders[1]->DisplayName, L"Renamed");
        std::swap(fixture.application.m_folders[0], fixture.application.m_folders[1]);
        PostMessageW(window, WM_CLOSE, 0, 0);
    }));
    ASSERT_EQ(2u, given.size());

    ASSERT_TRUE(InOptions({SelectPage({1, 1})}, IDOK));
    fixture.Start();
    ASSERT_EQ(2u, fixture.application.m_folders.size());
    EXPECT_STREQ(L"Renamed", fixture.application.m_folders[0]->DisplayName);
    EXPECT_EQ((std::vector<std::wstring>{given[1], given[0]}), Identifiers(fixture.application.m_folders))
        << "each item kept its identifier through the save, the reorder and the options' OK";
}
