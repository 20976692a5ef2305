#include "ApplicationFixture.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "lib/FileSystem.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <shlobj.h>

namespace {

// Counts what the application asks of a container.
struct RecordingContainer : CContainerBase {
    explicit RecordingContainer(int* shows) : CContainerBase(nullptr, nullptr), m_shows(shows) {}
    BOOL SaveState() override { return TRUE; }
    BOOL Show(BOOL) override { return ++*m_shows != 0; }
    int* m_shows;
};

// Goes as a container whose teardown calls a COM object of another apartment: a close arrives
// while the call's modal loop dispatches what is queued.
struct ClosedWhileGoing : CContainerBase {
    ClosedWhileGoing(const CPathwren& application, size_t* itemsSeen)
        : CContainerBase(nullptr, nullptr), m_application(application), m_itemsSeen(itemsSeen) {}
    ~ClosedWhileGoing() override {
        PostMessageW(m_application.m_hMainWindow, WM_CLOSE, 0, 0);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        *m_itemsSeen = m_application.m_folders.size();
    }
    BOOL SaveState() override { return TRUE; }
    const CPathwren& m_application;
    size_t* m_itemsSeen;
};

class Pathwren : public ::testing::Test {
protected:
    // A tray folder menu of an existing folder and a multiple folders menu; returns the file's text.
    std::wstring StartWithTwoItems() {
        CreateDirectoryW(fixture.File(L"Music").c_str(), nullptr);
        std::wstring text = L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Music\r\n"
                            L"[Folders_1]\r\nFolderPresentationType=3\r\nDisplayName=Mixed\r\n";
        WriteUtf16File(fixture.File(L"FoldersOptions.ini"), text);
        fixture.Start();
        return text;
    }
    ApplicationFixture fixture;
};

} // namespace

TEST_F(Pathwren, FirstStartCreatesTheFoldersFileWithADesktopItemAndOpensTheOptions) {
    fixture.Start();
    ASSERT_NE(nullptr, fixture.application.m_pLanguage);
    EXPECT_TRUE(fixture.application.m_showOptionsAtStart);
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xFE}), ReadFileBytes(fixture.File(L"FoldersOptions.ini")));
    ASSERT_EQ(1u, fixture.application.m_folders.size());
    EXPECT_EQ(FolderPresentationDesktop, fixture.application.m_folders[0]->FolderPresentationType);
    EXPECT_STREQ(L"::CSIDL:0x0", fixture.application.m_folders[0]->Path);
    EXPECT_STREQ(L"Exit", fixture.application.m_pLanguage->Exit) << "no language file: the built-in English texts";

    EXPECT_TRUE(fixture.RunAndClose());
    EXPECT_EQ(1, fixture.PostedCount(WM_SHOW_OPTIONS));
    EXPECT_EQ(nullptr, fixture.application.m_hMainWindow);
    EXPECT_TRUE(fixture.application.m_folders.empty());
    EXPECT_EQ(1, fixture.SavedItemCount()) << "the desktop item is saved on exit";
    EXPECT_FALSE(IsExistingFile(fixture.File(L"Pathwren.ini").c_str())) << "only the folders file is written on exit";
}

TEST_F(Pathwren, CloseSavesTheItemsAndKeepsThePreviousFileAsBackup) {
    std::wstring original = StartWithTwoItems();
    ASSERT_EQ(2u, fixture.application.m_folders.size());
    wcscpy(fixture.application.m_folders[0]->InclusionFilters, L"*.mp3");

    EXPECT_TRUE(fixture.RunAndClose());
    EXPECT_EQ(original, ReadUtf16File(fixture.File(L"FoldersOptions.bak")));
    EXPECT_EQ(2, fixture.SavedItemCount());
    EXPECT_NE(std::wstring::npos,
              ReadUtf16File(fixture.File(L"FoldersOptions.ini")).find(L"InclusionFilters=*.mp3\r\n"))
        << "the changed item is saved";
}

TEST_F(Pathwren, EndOfLogonAnswersTrueAndSavesOnce) {
    std::wstring original = StartWithTwoItems();
    LRESULT queryAnswer = 0;
    LRESULT endAnswer = 1;
    fixture.RunWhile([&](HWND window) {
        queryAnswer = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        endAnswer = SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    });
    EXPECT_EQ(TRUE, queryAnswer);
    EXPECT_EQ(0, endAnswer);
    EXPECT_TRUE(fixture.application.m_ending);
    EXPECT_EQ(nullptr, fixture.application.m_hMainWindow);
    // A second save would have found no items left and moved the first save into the backup.
    EXPECT_EQ(original, ReadUtf16File(fixture.File(L"FoldersOptions.bak")));
    EXPECT_EQ(2, fixture.SavedItemCount());
}

TEST_F(Pathwren, HotKeysReachOnlyTheContainerOfAnExistingItem) {
    fixture.Start();
    int shows = 0;
    fixture.RunWhile([&](HWND window) {
        fixture.application.m_folders[0]->m_pContainer = new RecordingContainer(&shows);
        for (WPARAM identifier : {1, 0, 57})
            PostMessageW(window, WM_HOTKEY, identifier, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(1, shows);
}

TEST_F(Pathwren, ACloseInsideTheTeardownOfTheItemsFindsNoneAndSavesNothing) {
    std::wstring original = StartWithTwoItems();
    size_t itemsSeen = 99;
    fixture.RunWhile([&](HWND window) {
        CGenericPathwrenObject& last = *fixture.application.m_folders[1];
        last.ReleaseContainer();
        last.m_pContainer = new ClosedWhileGoing(fixture.application, &itemsSeen);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(0u, itemsSeen) << "the first item was already deleted";
    // A second save would have moved the first into the backup.
    EXPECT_EQ(original, ReadUtf16File(fixture.File(L"FoldersOptions.bak")));
    EXPECT_EQ(2, fixture.SavedItemCount());
}

TEST_F(Pathwren, ACloseDuringAStartUpMessageBoxWaitsForTheContainers) {
    WriteUtf16File(fixture.File(L"FoldersOptions.ini"),
                   L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nPath=Gone\r\n[Folders_1]\r\nPath=AlsoGone\r\n");
    fixture.Start();
    // The boxes are answered only once the close is posted, so it always lands inside the first.
    std::unique_ptr<DialogScriptDriver> driver;
    EXPECT_TRUE(fixture.RunWhile(
        [&](HWND window) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            driver.reset(new DialogScriptDriver());
        },
        true));
    ASSERT_TRUE(driver);
    EXPECT_EQ(2u, driver->Finish().size()) << "the second item is still looked at after the close";
    EXPECT_EQ(0, fixture.PostedCount(WM_SHOW_OPTIONS)) << "a program that is ending opens no options";
    EXPECT_EQ(2, fixture.SavedItemCount());
}

TEST_F(Pathwren, AFailedSaveKeepsThePreviousFile) {
    WriteUtf16File(fixture.File(L"FoldersOptions.ini"), L"[Default]\r\nFolders=0\r\n");
    fixture.Start();
    std::vector<unsigned char> before = ReadFileBytes(fixture.File(L"FoldersOptions.ini"));
    // Another program holding the file without sharing makes both the backup and the save fail.
    HANDLE lock = CreateFileW(fixture.File(L"FoldersOptions.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_FALSE(fixture.application.SaveFolders());
    CloseHandle(lock);
    EXPECT_EQ(before, ReadFileBytes(fixture.File(L"FoldersOptions.ini")));
    EXPECT_FALSE(IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str()));
    EXPECT_TRUE(fixture.application.SaveFolders());
    EXPECT_EQ(before, ReadFileBytes(fixture.File(L"FoldersOptions.bak")));
}

namespace {

// The per-user configuration folder of the account the tests run under, moved aside for the
// test's run and put back afterwards, so a test starts as that user's very first start.
class PerUserFolderSetAside {
public:
    PerUserFolderSetAside() {
        WCHAR localAppData[MAX_PATH] = L"";
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData);
        m_folder = localAppData + std::wstring(L"\\Pathwren");
        m_aside = m_folder + L".set-aside-by-test";
        m_movedAside = MoveFileW(m_folder.c_str(), m_aside.c_str()) != FALSE;
    }
    ~PerUserFolderSetAside() {
        RemoveTree(m_folder);
        if (m_movedAside)
            MoveFileW(m_aside.c_str(), m_folder.c_str());
    }
    std::wstring File(LPCWSTR name) const { return m_folder + L"\\" + name; }

private:
    std::wstring m_folder;
    std::wstring m_aside;
    bool m_movedAside = false;
};

} // namespace

TEST_F(Pathwren, EachUserOfASharedProgramDirectoryGetsTheOptionsAtTheirOwnFirstStartOnly) {
    PerUserFolderSetAside perUser;
    WriteUtf16File(fixture.File(L"Pathwren.ini"), L"[Pathwren]\r\nSingleUser=0\r\nbRunAtStartup=0\r\n");
    fixture.Start();
    EXPECT_TRUE(fixture.application.m_showOptionsAtStart) << "this user has no folders file yet";
    EXPECT_TRUE(IsExistingFile(perUser.File(L"FoldersOptions.ini").c_str()));
    EXPECT_FALSE(IsExistingFile(fixture.File(L"FoldersOptions.ini").c_str())) << "nothing of a user beside the program";

    fixture.application.m_showOptionsAtStart = FALSE;
    fixture.Start();
    EXPECT_FALSE(fixture.application.m_showOptionsAtStart) << "the second start of the same user";

    // A single-user directory whose main file exists was set up already: its first start stays quiet.
    ApplicationFixture portable;
    WriteUtf16File(portable.File(L"Pathwren.ini"), L"");
    portable.Start();
    EXPECT_FALSE(portable.application.m_showOptionsAtStart);
    EXPECT_TRUE(portable.application.m_pOptions->SingleUser) << "an empty main file is a single-user directory";
    EXPECT_TRUE(IsExistingFile(portable.File(L"FoldersOptions.ini").c_str()));
    EXPECT_TRUE(IsExistingFile(portable.File(L"UserOptions.ini").c_str()));
}
