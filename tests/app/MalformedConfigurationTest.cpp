#include "ApplicationFixture.h"

#include "config/IniFileEx.h"
#include "config/Language.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// The corpus is written by tests/app/make_malformed_configs.py.

namespace {

// Starts and closes the program with each damaged file of the corpus (or of one of its halves, in
// name order: a folders file with items starts tray icons, and the whole corpus of those would
// take too long for one case) in the given places of its configuration.
enum class Corpus { Whole, FirstHalf, SecondHalf };
void StartAndCloseWithEachDamagedFile(const std::vector<std::wstring>& places, Corpus part = Corpus::Whole) {
    std::vector<std::wstring> corpus = FilesIn(SourceTreePath(L"tests/app/malformed"), L"*.ini");
    ASSERT_GE(corpus.size(), 50u) << "the corpus is missing";
    if (part == Corpus::FirstHalf)
        corpus.resize(corpus.size() / 2);
    else if (part == Corpus::SecondHalf)
        corpus.erase(corpus.begin(), corpus.begin() + corpus.size() / 2);

    for (const std::wstring& damagedFile : corpus) {
        SCOPED_TRACE(testing::PrintToString(damagedFile));
        ApplicationFixture fixture;
        // Without a folders file the start makes the default desktop item, whose mirror of the desktop
        // costs a good part of a start; a damaged folders file that names no item still leads there.
        // Where another file is the damaged one, a menu item over an existing folder serves.
        bool foldersDamaged = std::find(places.begin(), places.end(), L"FoldersOptions.ini") != places.end();
        fixture.Configure(foldersDamaged ? L""
                                         : L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=Languages\r\n"
                                           L"FolderPresentationType=2\r\n");
        CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
        for (const std::wstring& place : places)
            ASSERT_TRUE(CopyFileW(damagedFile.c_str(), fixture.File(place).c_str(), FALSE));

        DialogScriptDriver driver;
        fixture.Start();
        ASSERT_NE(nullptr, fixture.application.m_pOptions);
        ASSERT_NE(nullptr, fixture.application.m_pLanguage);
        ASSERT_FALSE(fixture.application.m_folders.empty()) << "at least the desktop item or the menu item";
        EXPECT_LE(fixture.application.m_folders.size(), kMaxIniArrayElements);
        EXPECT_TRUE(fixture.RunAndClose());
        // The one message allowed: a damaged user options file may name a language that has no file.
        std::vector<DialogScriptDriver::Dialog> dialogs = driver.Finish();
        bool languageMessage = dialogs.size() == 1 && dialogs[0].text.find(L"language file") != std::wstring::npos &&
                               fixture.application.m_pLanguage->Exit == std::wstring(L"Exit");
        EXPECT_TRUE(dialogs.empty() || languageMessage)
            << "damaged configuration shows no message box: " << testing::PrintToString(DescribeDialogs(dialogs));
    }
}

} // namespace

TEST(MalformedConfiguration, DamagedFoldersFilesStartWithDefaultsFirstHalf) {
    StartAndCloseWithEachDamagedFile({L"FoldersOptions.ini"}, Corpus::FirstHalf);
}

TEST(MalformedConfiguration, DamagedFoldersFilesStartWithDefaultsSecondHalf) {
    StartAndCloseWithEachDamagedFile({L"FoldersOptions.ini"}, Corpus::SecondHalf);
}

TEST(MalformedConfiguration, DamagedMainFilesStartWithDefaults) {
    StartAndCloseWithEachDamagedFile({L"Pathwren.ini"});
}

TEST(MalformedConfiguration, DamagedUserOptionsAndLanguageFilesStartWithDefaults) {
    StartAndCloseWithEachDamagedFile({L"UserOptions.ini", L"Languages\\English.ini"});
}
