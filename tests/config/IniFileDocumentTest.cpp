#include "IniText.h"

#include "config/IniFileEx.h"
#include "lib/FileSystem.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TwoKeys final : IIniFileArrayItem {
    INT number = 5;
    BOOL Save(CIniFile& file) override {
        IConfigWriter& writer = file;
        return writer.WriteInt(L"Number", number) && writer.WriteString(L"Name", L"saved");
    }
    BOOL Load(CIniFile&) override { return TRUE; }
};

} // namespace

// desktop-free: IniFileDocument
TEST(IniFileDocument, ASaveKeepsCommentsUnknownKeysAndTheEncoding) {
    TempDirectory temp;
    const std::string ansiText =
        "; the user's own note\r\n[Options]\r\nUnknown = kept\r\nNumber=1\r\n\r\n[Other]\r\nx=y";
    std::wstring ansi = temp.File(L"ansi.ini");
    ASSERT_TRUE(WriteFileBytes(ansi, std::vector<unsigned char>(ansiText.begin(), ansiText.end())));
    std::wstring utf16 = temp.File(L"utf16.ini");
    ASSERT_TRUE(WriteUtf16File(utf16, std::wstring(ansiText.begin(), ansiText.end())));

    for (const std::wstring& path : {ansi, utf16}) {
        CIniFileEx<TwoKeys> file(path.c_str());
        TwoKeys option;
        option.number = 9;
        ASSERT_TRUE(file.Save(option, L"Options"));
    }
    const std::string savedText =
        "; the user's own note\r\n[Options]\r\nUnknown = kept\r\nNumber=9\r\n\r\nName=saved\r\n"
        "[Other]\r\nx=y";
    std::vector<unsigned char> saved = ReadFileBytes(ansi);
    EXPECT_EQ(savedText, std::string(saved.begin(), saved.end())) << "an ANSI file stays ANSI";
    EXPECT_EQ(std::wstring(savedText.begin(), savedText.end()), ReadUtf16File(utf16));
    EXPECT_EQ(0xFF, ReadFileBytes(utf16)[0]) << "a UTF-16 file keeps its byte order mark";
    EXPECT_FALSE(IsExistingFile((utf16 + L".tmp").c_str()));
}

TEST(IniFileDocument, ReadsFollowAFileChangedByAnotherWriter) {
    TempDirectory temp;
    std::wstring path = temp.File(L"shared.ini");
    ASSERT_TRUE(WriteUtf16File(path, L"[S]\r\nk=first\r\n"));
    CIniFile file(path.c_str());
    EXPECT_EQ(L"first", IniValue(file, L"S", L"k"));
    ASSERT_TRUE(WriteUtf16File(path, L"[S]\r\nk=second value\r\n"));
    EXPECT_EQ(L"second value", IniValue(file, L"S", L"k"));
    file.SetSectionName(L"S");
    ASSERT_TRUE(WriteUtf16File(path, L"[S]\r\nk=third\r\n"));
    ASSERT_TRUE(file.SetSectionName(L"S"));
    INT missing = 0;
    file.ReadInt(L"absent", 3, &missing);
    EXPECT_EQ(3, missing);
    EXPECT_EQ(L"third", IniValue(file, L"S", L"k"));
}

TEST(IniFileDocument, BatchedWritesReachTheFileOnlyAtTheEndAndAStartedNewFileDropsTheOldContent) {
    TempDirectory temp;
    std::wstring path = temp.File(L"batch.ini");
    ASSERT_TRUE(WriteUtf16File(path, L"[Old]\r\nk=v\r\n"));
    CIniFile file(path.c_str());
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
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    CIniFile locked(path.c_str());
    EXPECT_FALSE(locked.IsReadable());
    EXPECT_FALSE(locked.WriteString(L"New", L"c", L"3"));
    CloseHandle(lock);
    EXPECT_EQ(L"[New]\r\na=1\r\nb=2\r\n", ReadUtf16File(path));
}
