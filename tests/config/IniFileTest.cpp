#include "config/IniFile.h"
#include "config/IniFileEx.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A minimal option object: one number, and a switch that makes its Load fail.
struct CountedOption final : IIniFileArrayItem {
    INT value = 7;
    BOOL Save(CIniFile& file) override {
        IConfigWriter& writer = file;
        return writer.WriteInt(L"Value", value);
    }
    BOOL Load(CIniFile& file) override {
        IConfigReader& reader = file;
        reader.ReadInt(L"Value", 7, &value);
        INT broken = 0;
        reader.ReadInt(L"Broken", 0, &broken);
        return broken == 0;
    }
};

std::wstring ReadValue(CIniFile& file, LPCWSTR section, LPCWSTR key) {
    WCHAR text[512];
    file.ReadString(section, key, L"<none>", text, 512);
    return text;
}

} // namespace

TEST(IniFile, ConstructionCreatesDirectoriesAndBomOnlyFileButLeavesExistingFilesAlone) {
    TempDirectory temp;
    std::wstring nested = temp.File(L"a/b\\c/settings.ini");
    CIniFile created(nested.c_str());
    EXPECT_TRUE(DirectoryExists(temp.File(L"a\\b\\c")));
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xFE}), ReadFileBytes(temp.File(L"a\\b\\c\\settings.ini")));
    EXPECT_STREQ(L"Default", created.GetSectionName());

    std::wstring ansi = temp.File(L"ansi.ini");
    std::vector<unsigned char> ansiBytes = {'[', 'S', ']', '\r', '\n', 'k', '=', 'v', '\r', '\n'};
    ASSERT_TRUE(WriteFileBytes(ansi, ansiBytes));
    CIniFile existing(ansi.c_str());
    EXPECT_EQ(ansiBytes, ReadFileBytes(ansi)) << "an existing file must not be rewritten";
    EXPECT_EQ(L"v", ReadValue(existing, L"S", L"k"));
}

TEST(IniFile, WritesStayUtf16AndNegativeIntegersAreStoredUnsigned) {
    TempDirectory temp;
    std::wstring path = temp.File(L"numbers.ini");
    CIniFile file(path.c_str());
    ASSERT_TRUE(file.WriteInt(L"Minus", -1));
    ASSERT_TRUE(file.WriteString(L"Name", L"Caf\u00e9 \u65e5\u672c"));

    std::vector<unsigned char> bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(0xFF, bytes[0]);
    EXPECT_EQ(0xFE, bytes[1]);
    std::wstring text = ReadUtf16File(path);
    EXPECT_NE(std::wstring::npos, text.find(L"Minus=4294967295"));
    EXPECT_NE(std::wstring::npos, text.find(L"Name=Caf\u00e9 \u65e5\u672c"));

    INT value = 0;
    file.ReadInt(L"Minus", 0, &value);
    EXPECT_EQ(-1, value);
    EXPECT_EQ(L"Caf\u00e9 \u65e5\u672c", ReadValue(file, L"Default", L"Name"));
}

TEST(IniFile, ReadStringReportsTruncationAndMissingKeysGiveTheDefault) {
    TempDirectory temp;
    CIniFile file(temp.File(L"s.ini").c_str());
    file.WriteString(L"Long", L"0123456789");
    WCHAR buffer[8];
    EXPECT_FALSE(file.ReadString(L"Long", L"", buffer, 8));
    EXPECT_STREQ(L"0123456", buffer);
    WCHAR roomy[16];
    EXPECT_TRUE(file.ReadString(L"Long", L"", roomy, 16));
    EXPECT_STREQ(L"0123456789", roomy);
    EXPECT_TRUE(file.ReadString(L"Missing", L"fallback", roomy, 16));
    EXPECT_STREQ(L"fallback", roomy);
    INT number = 0;
    file.WriteString(L"NotANumber", L"abc");
    file.ReadInt(L"NotANumber", 5, &number);
    EXPECT_EQ(0, number) << "the profile API reads text that is not a number as 0";
}

TEST(IniFile, UInt64RoundTripsAndRejectsTextThatIsNotANumber) {
    TempDirectory temp;
    CIniFile file(temp.File(L"u64.ini").c_str());
    ULONGLONG value = 0;
    ASSERT_TRUE(file.WriteUInt64(L"Big", 18446744073709551615ULL));
    EXPECT_TRUE(file.ReadUInt64(L"Big", 3, &value));
    EXPECT_EQ(18446744073709551615ULL, value);

    file.WriteString(L"Text", L"twelve");
    EXPECT_FALSE(file.ReadUInt64(L"Text", 42, &value));
    EXPECT_EQ(42u, value);
    EXPECT_TRUE(file.ReadUInt64(L"Absent", 9000000000ULL, &value));
    EXPECT_EQ(9000000000ULL, value);
}

TEST(IniFile, ByteBlocksAreUpperCaseHexAndPartialTextStopsTheRead) {
    TempDirectory temp;
    std::wstring path = temp.File(L"bin.ini");
    CIniFile file(path.c_str());
    const BYTE bytes[] = {0x00, 0xAB, 0x7F, 0xFF};
    ASSERT_TRUE(file.WriteBinary(L"Block", bytes, 4));
    EXPECT_EQ(L"00AB7FFF", ReadValue(file, L"Default", L"Block"));
    BYTE back[4] = {};
    DWORD count = 0;
    ASSERT_TRUE(file.ReadBinary(L"Block", back, 4, &count));
    EXPECT_EQ(4u, count);
    EXPECT_EQ(0, memcmp(bytes, back, 4));

    file.WriteString(L"Short", L"0A0B0C");
    BYTE two[2] = {};
    file.ReadBinary(L"Short", two, 2, &count);
    EXPECT_EQ(2u, count);
    EXPECT_EQ(0x0A, two[0]);
    EXPECT_EQ(0x0B, two[1]);

    file.WriteString(L"Broken", L"0AZZ0C");
    BYTE three[3] = {};
    EXPECT_TRUE(file.ReadBinary(L"Broken", three, 3, &count));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(0x0A, three[0]);

    ASSERT_TRUE(file.WriteBinary(L"Empty", bytes, 0));
    EXPECT_EQ(L"", ReadValue(file, L"Default", L"Empty"));
    file.ReadBinary(L"Empty", back, 4, &count);
    EXPECT_EQ(0u, count);
}

TEST(IniFile, SectionNamesLongerThanTheBufferAreRefused) {
    TempDirectory temp;
    CIniFile file(temp.File(L"sec.ini").c_str());
    std::wstring longest(259, L'S');
    EXPECT_TRUE(file.SetSectionName(longest.c_str()));
    EXPECT_EQ(longest, file.GetSectionName());
    std::wstring tooLong(300, L'T');
    EXPECT_FALSE(file.SetSectionName(tooLong.c_str()));
    EXPECT_EQ(longest, file.GetSectionName()) << "a refused name keeps the previous section";
    EXPECT_FALSE(file.SetSectionName(std::wstring(260, L'U').c_str()));

    WCHAR small[5];
    EXPECT_TRUE(file.GetSectionName(small, 5));
    EXPECT_STREQ(L"SSSS", small);
}

TEST(IniFile, EnumSectionNamesGrowsItsBufferAndStopsWhenAsked) {
    TempDirectory temp;
    CIniFile file(temp.File(L"many.ini").c_str());
    // 300 names of about 20 characters need well over the first 2048-character buffer.
    for (int i = 0; i < 300; ++i) {
        WCHAR section[64];
        swprintf(section, 64, L"SectionNumber_%05d", i);
        file.WriteString(section, L"k", L"v");
    }
    std::vector<std::wstring> names;
    file.EnumSectionNames(
        [](LPCWSTR name, void* context) -> BOOL {
            static_cast<std::vector<std::wstring>*>(context)->push_back(name);
            return TRUE;
        },
        &names);
    ASSERT_EQ(300u, names.size());
    EXPECT_EQ(L"SectionNumber_00000", names.front());
    EXPECT_EQ(L"SectionNumber_00299", names.back());

    int calls = 0;
    file.EnumSectionNames([](LPCWSTR, void* context) -> BOOL { return ++*static_cast<int*>(context) < 3; }, &calls);
    EXPECT_EQ(3, calls);

    CIniFile empty(temp.File(L"empty.ini").c_str());
    calls = 0;
    EXPECT_TRUE(
        empty.EnumSectionNames([](LPCWSTR, void* context) -> BOOL { return ++*static_cast<int*>(context); }, &calls));
    EXPECT_EQ(0, calls);
}

TEST(IniFileEx, ArraysKeepStaleSectionsThatTheCountHides) {
    TempDirectory temp;
    std::wstring path = temp.File(L"array.ini");
    CIniFileEx<CountedOption> file(path.c_str());
    std::vector<CountedOption*> five;
    for (int i = 0; i < 5; ++i) {
        five.push_back(new CountedOption());
        five.back()->value = 100 + i;
    }
    ASSERT_TRUE(file.SaveArray(L"Folders", five));
    std::vector<CountedOption*> two(five.begin(), five.begin() + 2);
    ASSERT_TRUE(file.SaveArray(L"Folders", two));
    EXPECT_STREQ(L"Default", file.GetSectionName()) << "the current section is restored";
    EXPECT_TRUE(file.HasSection(L"Folders_4")) << "sections of the longer array stay in the file";

    std::vector<CountedOption*> loaded = {new CountedOption()};
    EXPECT_TRUE(file.LoadArray(L"Folders", loaded));
    ASSERT_EQ(2u, loaded.size());
    EXPECT_EQ(100, loaded[0]->value);
    EXPECT_EQ(101, loaded[1]->value);
    for (CountedOption* item : five)
        delete item;
    for (CountedOption* item : loaded)
        delete item;
}

TEST(IniFileEx, AFailingElementIsDroppedAndReported) {
    TempDirectory temp;
    std::wstring path = temp.File(L"fail.ini");
    WriteUtf16File(path, L"[Default]\r\nFolders=3\r\n[Folders_0]\r\nValue=1\r\n[Folders_1]\r\nBroken=1\r\n"
                         L"[Folders_2]\r\nValue=3\r\n");
    CIniFileEx<CountedOption> file(path.c_str());
    std::vector<CountedOption*> loaded;
    EXPECT_FALSE(file.LoadArray(L"Folders", loaded));
    ASSERT_EQ(2u, loaded.size());
    EXPECT_EQ(1, loaded[0]->value);
    EXPECT_EQ(3, loaded[1]->value);
    for (CountedOption* item : loaded)
        delete item;
}

TEST(IniFileEx, AnAbsurdCountLoadsOnlyTheElementsThatExist) {
    TempDirectory temp;
    std::wstring path = temp.File(L"huge.ini");
    WriteUtf16File(path, L"[Default]\r\nFolders=4294967295\r\n[Folders_0]\r\nValue=11\r\n[Folders_1]\r\nValue=12\r\n");
    CIniFileEx<CountedOption> file(path.c_str());
    std::vector<CountedOption*> loaded;
    DWORD start = GetTickCount();
    EXPECT_FALSE(file.LoadArray(L"Folders", loaded)) << "a damaged count is reported";
    EXPECT_LT(GetTickCount() - start, 30000u);
    ASSERT_EQ(2u, loaded.size());
    EXPECT_EQ(12, loaded[1]->value);
    for (CountedOption* item : loaded)
        delete item;
}

TEST(IniFileEx, SingleObjectsLoadFromAndSaveToTheirSectionAndRestoreTheCurrentOne) {
    TempDirectory temp;
    CIniFileEx<CountedOption> file(temp.File(L"single.ini").c_str());
    file.SetSectionName(L"Elsewhere");
    CountedOption option;
    option.value = 55;
    ASSERT_TRUE(file.Save(option, L"Pathwren"));
    EXPECT_STREQ(L"Elsewhere", file.GetSectionName());
    CountedOption* loaded = file.Load(L"Pathwren");
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(55, loaded->value);
    delete loaded;
    file.WriteString(L"Bad", L"Broken", L"1");
    EXPECT_EQ(nullptr, file.Load(L"Bad"));
    EXPECT_STREQ(L"Elsewhere", file.GetSectionName());
}
