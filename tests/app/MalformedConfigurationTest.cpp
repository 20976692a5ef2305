#include "ApplicationFixture.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "support/FileFixtures.h"
#include "support/MessageBoxDriver.h"
#include "support/SourceTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The corpus is written by tests/app/make_malformed_configs.py.

namespace {

std::vector<std::wstring> CorpusFiles() {
    std::vector<std::wstring> files;
    std::wstring directory = SourceTreePath(L"tests/app/malformed");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*.ini").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        files.push_back(directory + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// Starts and closes the program with the damaged file in one place of its configuration.
void StartAndCloseWith(const std::wstring& damagedFile, const std::vector<std::wstring>& places) {
    SCOPED_TRACE(damagedFile);
    ApplicationFixture fixture;
    WriteUtf16File(fixture.File(L"Pathwren.ini"), L"[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\n");
    CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
    for (const std::wstring& place : places)
        ASSERT_TRUE(CopyFileW(damagedFile.c_str(), fixture.File(place).c_str(), FALSE));

    MessageBoxDriver driver;
    DWORD start = GetTickCount();
    fixture.Start();
    ASSERT_NE(nullptr, fixture.application.m_pOptions);
    ASSERT_NE(nullptr, fixture.application.m_pLanguage);
    ASSERT_FALSE(fixture.application.m_folders.empty()) << "at least the desktop item";
    EXPECT_LE(fixture.application.m_folders.size(), kMaxIniArrayElements);
    EXPECT_TRUE(fixture.RunWhile([](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }));
    EXPECT_LT(GetTickCount() - start, 20000u) << "a damaged file must not stall the start";
    EXPECT_TRUE(driver.Finish().empty()) << "damaged configuration shows no message box";
}

} // namespace

TEST(MalformedConfiguration, CorpusIsPresent) {
    EXPECT_GE(CorpusFiles().size(), 50u);
}

TEST(MalformedConfiguration, DamagedFoldersFilesStartWithDefaults) {
    for (const std::wstring& file : CorpusFiles())
        StartAndCloseWith(file, {L"FoldersOptions.ini"});
}

TEST(MalformedConfiguration, DamagedMainFilesStartWithDefaults) {
    for (const std::wstring& file : CorpusFiles())
        StartAndCloseWith(file, {L"Pathwren.ini"});
}

TEST(MalformedConfiguration, DamagedUserOptionsAndLanguageFilesStartWithDefaults) {
    for (const std::wstring& file : CorpusFiles())
        StartAndCloseWith(file, {L"UserOptions.ini", L"Languages\\English.ini"});
}
