#include "IniText.h"

#include "config/IniFile.h"
#include "config/IniFileEx.h"
#include "lib/FileSystem.h"
#include "lib/KernelHandle.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A minimal option object: one number and a fixed name, and a switch that makes its Load fail.
struct CountedOption final : IIniFileArrayItem {
    INT value = 7;
    BOOL Save(CIniFile& file) override {
        IConfigWriter& writer = file;
        return writer.WriteInt(L"Value", value) && writer.WriteString(L"Name", L"saved");
    }
    BOOL Load(CIniFile& file) override {
        IConfigReader& reader = file;
        reader.ReadInt(L"Value", 7, &value);
        INT broken = 0;
        reader.ReadInt(L"Broken", 0, &broken);
        return broken == 0;
    }
};

// The values of the elements LoadArray returns for "Folders", which it must put in place of a
// stale element; the elements are freed.
std::vector<INT> LoadedValues(CIniFileEx<CountedOption>& file, BOOL* allLoaded) {
    std::vector<CountedOption*> loaded = {new CountedOption()};
    *allLoaded = file.LoadArray(L"Folders", loaded);
    std::vector<INT> values;
    for (CountedOption* item : loaded) {
        values.push_back(item->value);
        delete item;
    }
    return values;
}

} // namespace

// desktop-free: IniFile
TEST(IniFile, ConstructionCreatesDirectoriesAndBomOnlyFileButLeavesExistingFilesAlone) {
    TempDirectory temp;
    CIniFile created(temp.File(L"a/b\\c/settings.ini").c_str());
    EXPECT_TRUE(IsExistingDirectory(temp.File(L"a\\b\\c").c_str()));
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xFE}), ReadFileBytes(temp.File(L"a\\b\\c\\settings.ini")));
    EXPECT_STREQ(L"Default", created.GetSectionName());

    std::wstring ansi = temp.File(L"ansi.ini");
    std::vector<unsigned char> ansiBytes = {'[', 'S', ']', '\r', '\n', 'k', '=', 'v', '\r', '\n'};
    ASSERT_TRUE(WriteFileBytes(ansi, ansiBytes));
    CIniFile existing(ansi.c_str());
    EXPECT_EQ(ansiBytes, ReadFileBytes(ansi)) << "an existing file must not be rewritten";
    existing.SetSectionName(L"S");
    EXPECT_EQ(L"v", IniValue(existing, L"S", L"k"));
}

// What is read matches the profile functions (ProfileDifferential); here, what the reads report.
TEST(IniFile, ReadsReportTruncationTextThatIsNotANumberAndHexThatEndsEarly) {
    TempDirectory temp;
    CIniFile file(temp.File(L"s.ini").c_str());
    file.WriteString(L"Long", L"0123456789");
    file.WriteString(L"Text", L"twelve");
    WCHAR buffer[8], roomy[16];
    EXPECT_FALSE(file.ReadString(L"Long", L"", buffer, 8));
    EXPECT_TRUE(file.ReadString(L"Long", L"", roomy, 16));

    ULONGLONG value = 0;
    ASSERT_TRUE(file.WriteUInt64(L"Big", 18446744073709551615ULL));
    EXPECT_TRUE(file.ReadUInt64(L"Big", 3, &value));
    EXPECT_EQ(18446744073709551615ULL, value);
    EXPECT_FALSE(file.ReadUInt64(L"Text", 42, &value));
    EXPECT_EQ(42u, value);
    EXPECT_TRUE(file.ReadUInt64(L"Absent", 9000000000ULL, &value));
    EXPECT_EQ(9000000000ULL, value);

    const BYTE bytes[] = {0x00, 0xAB, 0x7F, 0xFF};
    ASSERT_TRUE(file.WriteBinary(L"Block", bytes, 4));
    ASSERT_TRUE(file.WriteBinary(L"Empty", bytes, 0));
    file.WriteString(L"Short", L"0A0B0C");
    file.WriteString(L"Broken", L"0AZZ0C");
    EXPECT_EQ(L"00AB7FFF", IniValue(file, L"Default", L"Block"));
    EXPECT_EQ(L"", IniValue(file, L"Default", L"Empty"));

    struct Case {
        LPCWSTR key;
        DWORD size;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {{L"Block", 4, {0x00, 0xAB, 0x7F, 0xFF}},
                          {L"Short", 2, {0x0A, 0x0B}}, // the read stops at the buffer's end
                          {L"Broken", 3, {0x0A}},      // and at the first character that is not hex
                          {L"Empty", 4, {}}};
    for (const Case& c : cases) {
        BYTE back[4] = {};
        DWORD count = 99;
        EXPECT_TRUE(file.ReadBinary(c.key, back, c.size, &count)) << c.key;
        EXPECT_EQ(c.expected, std::vector<BYTE>(back, back + (count <= 4 ? count : 4))) << c.key;
    }
}

TEST(IniFile, SectionNamesLongerThanTheBufferAreRefusedAndTheirEnumerationStopsWhenAsked) {
    TempDirectory temp;
    CIniFile file(temp.File(L"sec.ini").c_str());
    std::wstring longest(259, L'S');
    EXPECT_TRUE(file.SetSectionName(longest.c_str()));
    EXPECT_EQ(longest, file.GetSectionName());
    EXPECT_FALSE(file.SetSectionName(std::wstring(260, L'U').c_str()));
    EXPECT_EQ(longest, file.GetSectionName()) << "a refused name keeps the previous section";

    WCHAR small[5];
    EXPECT_TRUE(file.GetSectionName(small, 5));
    EXPECT_STREQ(L"SSSS", small);

    // Every section, in file order, even thousands of them: ProfileDifferential; here the stop.
    for (LPCWSTR section : {L"A", L"B", L"C", L"D"})
        file.WriteString(section, L"k", L"v");
    int calls = 0;
    file.EnumSectionNames([](LPCWSTR, void* context) -> BOOL { return ++*static_cast<int*>(context) < 3; }, &calls);
    EXPECT_EQ(3, calls);
}

// desktop-free: IniFileEx
TEST(IniFileEx, ArraysKeepStaleSectionsThatTheCountHidesLoadOnlyGoodElementsAndEveryLoadRestoresTheSection) {
    TempDirectory temp;
    CIniFileEx<CountedOption> file(temp.File(L"array.ini").c_str());
    std::vector<CountedOption> five(5);
    std::vector<CountedOption*> items;
    for (int i = 0; i < 5; ++i) {
        five[i].value = 100 + i;
        items.push_back(&five[i]);
    }
    ASSERT_TRUE(file.SaveArray(L"Folders", items));
    items.resize(2);
    ASSERT_TRUE(file.SaveArray(L"Folders", items));
    EXPECT_STREQ(L"Default", file.GetSectionName()) << "the current section is restored";
    EXPECT_TRUE(file.HasSection(L"Folders_4")) << "sections of the longer array stay in the file";
    BOOL allLoaded = FALSE;
    EXPECT_EQ((std::vector<INT>{100, 101}), LoadedValues(file, &allLoaded));
    EXPECT_TRUE(allLoaded);

    const std::wstring damaged[] = {
        // the second element's Load fails
        L"[Default]\r\nFolders=3\r\n[Folders_0]\r\nValue=1\r\n[Folders_1]\r\nBroken=1\r\n[Folders_2]\r\nValue=3\r\n",
        // an absurd count must not make the load hang
        L"[Default]\r\nFolders=4294967295\r\n[Folders_0]\r\nValue=1\r\n[Folders_1]\r\nValue=3\r\n"};
    for (const std::wstring& text : damaged) {
        std::wstring path = temp.File(std::to_wstring(&text - damaged) + L".ini");
        ASSERT_TRUE(WriteUtf16File(path, text));
        CIniFileEx<CountedOption> damagedFile(path.c_str());
        allLoaded = TRUE;
        EXPECT_EQ((std::vector<INT>{1, 3}), LoadedValues(damagedFile, &allLoaded)) << text;
        EXPECT_FALSE(allLoaded) << text;
    }

    file.SetSectionName(L"Elsewhere");
    CountedOption option;
    ASSERT_TRUE(file.Save(option, L"Pathwren"));
    EXPECT_STREQ(L"Elsewhere", file.GetSectionName());
    file.WriteString(L"Bad", L"Broken", L"1");
    EXPECT_EQ(nullptr, file.Load(L"Bad"));
    EXPECT_STREQ(L"Elsewhere", file.GetSectionName());
}

// desktop-free: IniFileDocument
// Which lines a save keeps is IniDocument's; here the file's own code page comes back.
TEST(IniFileDocument, ASaveKeepsCommentsUnknownKeysAndAnAnsiFileAnsi) {
    TempDirectory temp;
    const std::string ansiText =
        "; the user's own note\r\n[Options]\r\nUnknown = kept\r\nValue=1\r\n\r\n[Other]\r\nx=y";
    std::wstring ansi = temp.File(L"ansi.ini");
    ASSERT_TRUE(WriteFileBytes(ansi, std::vector<unsigned char>(ansiText.begin(), ansiText.end())));
    CountedOption option;
    option.value = 9;
    ASSERT_TRUE(CIniFileEx<CountedOption>(ansi.c_str()).Save(option, L"Options"));
    const std::string savedText =
        "; the user's own note\r\n[Options]\r\nUnknown = kept\r\nValue=9\r\n\r\nName=saved\r\n"
        "[Other]\r\nx=y";
    std::vector<unsigned char> saved = ReadFileBytes(ansi);
    EXPECT_EQ(savedText, std::string(saved.begin(), saved.end()));
}

TEST(IniFileDocument, ReadsFollowAnotherWriterAndBatchedWritesReachTheFileOnlyAtTheEnd) {
    TempDirectory temp;
    std::wstring path = temp.File(L"shared.ini");
    ASSERT_TRUE(WriteUtf16File(path, L"[S]\r\nk=first\r\n"));
    CIniFile file(path.c_str());
    EXPECT_EQ(L"first", IniValue(file, L"S", L"k"));
    ASSERT_TRUE(WriteUtf16File(path, L"[S]\r\nk=second value\r\n"));
    EXPECT_EQ(L"second value", IniValue(file, L"S", L"k"));

    // A started new file drops the old content.
    ASSERT_TRUE(WriteUtf16File(path, L"[Old]\r\nk=v\r\n"));
    file.StartNewFile();
    file.BeginWrites();
    file.BeginWrites();
    ASSERT_TRUE(file.WriteString(L"New", L"a", L"1"));
    EXPECT_TRUE(file.EndWrites());
    EXPECT_EQ(L"[Old]\r\nk=v\r\n", ReadUtf16File(path)) << "the inner end writes nothing";
    EXPECT_EQ(L"1", IniValue(file, L"New", L"a")) << "reads see the pending writes";
    ASSERT_TRUE(file.WriteString(L"New", L"b", L"2"));
    EXPECT_TRUE(file.EndWrites());
    EXPECT_EQ(L"[New]\r\na=1\r\nb=2\r\n", ReadUtf16File(path));

    // A file that exists but cannot be read is never overwritten with what little is known.
    CFileHandle lock(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    CIniFile locked(path.c_str());
    EXPECT_FALSE(locked.IsReadable());
    EXPECT_FALSE(locked.WriteString(L"New", L"c", L"3"));
    lock.Reset();
    EXPECT_EQ(L"[New]\r\na=1\r\nb=2\r\n", ReadUtf16File(path));
}
