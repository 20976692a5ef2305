#include "lib/FileVersionInfo.h"

#include "support/SourceTree.h"

#include <gtest/gtest.h>

#include <string>

// desktop-free: FileVersionInfoTest
TEST(FileVersionInfoTest, ReadsTheFixedBlockAndTheStringsOfTheFirstTranslationAndFailsWithoutThem) {
    struct Case {
        const wchar_t* file;
        const wchar_t* fileVersion;
        WORD codePage;
        DWORD major, minor;
    } cases[] = {{L"VersionDotted.dll", L"1.3.9.0", 1200, 1, 3},
                 {L"VersionCommas.dll", L"1, 3, 9, 0", 1200, 1, 0},
                 {L"VersionTwoNumbers.dll", L"1, 3", 1200, 1, 0},
                 {L"VersionCodePage1252.dll", L"1.3.9.0", 1252, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.file, c.file + wcslen(c.file)));
        FileVersionInfo info;
        ASSERT_TRUE(info.Load(BesideTestProgram(c.file).c_str()));
        EXPECT_EQ(0x409, info.m_wLanguage);
        EXPECT_EQ(c.codePage, info.m_wCodePage);
        EXPECT_EQ(MAKELONG(3, 1), info.m_FixedFileInfo.dwFileVersionMS);
        EXPECT_EQ(MAKELONG(0, 9), info.m_FixedFileInfo.dwFileVersionLS);
        EXPECT_STREQ(c.fileVersion, info.m_szFileVersion);
        EXPECT_STREQ(L"Fixture Company", info.m_szCompanyName);
        EXPECT_STREQ(L"VersionFixture.dll", info.m_szOriginalFilename);
        EXPECT_EQ(c.major, info.m_dwFileVersionMajor);
        EXPECT_EQ(c.minor, info.m_dwFileVersionMinor);
        wchar_t text[kVersionStringLength];
        EXPECT_FALSE(info.GetString(L"NoSuchString", text));
        EXPECT_STREQ(L"", text);
    }

    FileVersionInfo info;
    EXPECT_FALSE(info.Load(BesideTestProgram(L"NotThere.dll").c_str()));
    wchar_t text[kVersionStringLength] = L"stale";
    EXPECT_FALSE(info.GetString(L"ProductName", text)) << "nothing was read";
    EXPECT_STREQ(L"", text);
    EXPECT_STREQ(L"", info.m_szProductName);
}

TEST(FileVersionInfoTest, NormalizesToThreeNumbersInsideTheDestination) {
    struct Case {
        const wchar_t* source;
        size_t size;
        BOOL result;
        const wchar_t* normalized;
    } cases[] = {
        {L"1.3.9.0", 50, TRUE, L"1.3.9"},
        {L"10.20.30.40.50", 50, TRUE, L"10.20.30"},
        {L"1.3.9", 50, FALSE, L"1.3.9"},
        {L".1.3.9", 50, FALSE, L".1.3.9"}, // the first character never counts as a separator
        {L"1, 3, 9, 0", 50, TRUE, L"1.3.9"},
        {L"1, 3, 9", 50, TRUE, L"1.3.9"},
        {L"1,3,9", 50, TRUE, L"1.3.9"},
        {L"1, 3, 9,", 50, TRUE, L"1.3.9"},
        {L"1, 3", 50, FALSE, L"1.3"},
        {L"1,", 50, FALSE, L"1."},
        {L"", 50, FALSE, L""},
        {L"1.3.9.0", 4, FALSE, L"1.3"},
        {L"1.3.9.0", 6, TRUE, L"1.3.9"},
        {L"12, 34, 56, 0", 8, FALSE, L"12.34"},
        {L"12, 34, 56, 0", 9, TRUE, L"12.34.56"},
        {L"1, 3, 9", 1, FALSE, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "source \"" << std::string(c.source, c.source + wcslen(c.source))
                                        << "\", size " << c.size);
        // Guard units after the destination catch a write past its size.
        wchar_t buffer[64];
        wmemset(buffer, L'#', 64);
        EXPECT_EQ(c.result, NormalizeVersionString(c.source, buffer, c.size));
        EXPECT_STREQ(c.normalized, buffer);
        for (size_t index = c.size; index < 64; ++index)
            ASSERT_EQ(L'#', buffer[index]) << "written past the destination at " << index;
    }
}
