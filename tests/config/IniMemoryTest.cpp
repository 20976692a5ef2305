#include "config/IniDocument.h"
#include "config/IniFile.h"

#include "AllocationCounter.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What parsing and saving may hold, in multiples of the file's size, whatever the file's shape.
// The bytes of the file itself are counted in the save, not in the parse.
const double kParseFactor = 20.0;
const double kSaveFactor = 24.0;
// Below this, fixed costs (the section index, the first reservations) weigh more than the file.
const size_t kFixedAllowance = 64 * 1024;

const size_t kTenMegabytes = 10 * 1024 * 1024;

std::vector<unsigned char> Repeated(const std::string& line, size_t total) {
    std::vector<unsigned char> bytes;
    bytes.reserve(total + line.size());
    while (bytes.size() < total)
        bytes.insert(bytes.end(), line.begin(), line.end());
    return bytes;
}

struct Shape {
    std::wstring name;
    std::vector<unsigned char> bytes;
};

std::vector<Shape> Shapes() {
    std::vector<Shape> shapes;
    for (const std::wstring& path : FilesIn(SourceTreePath(L"tests/app/malformed"), L"*.ini"))
        shapes.push_back({path.substr(path.rfind(L'\\') + 1), ReadFileBytes(path)});
    shapes.push_back({L"ten megabytes of 'a' CR LF", Repeated("a\r\n", kTenMegabytes)});
    shapes.push_back({L"ten megabytes of 'a' LF", Repeated("a\n", kTenMegabytes)});
    shapes.push_back({L"ten megabytes of '=' LF", Repeated("=\n", kTenMegabytes)});
    std::vector<unsigned char> utf16 = Repeated(std::string("a\0\n\0", 4), kTenMegabytes);
    utf16.insert(utf16.begin(), {0xFF, 0xFE});
    shapes.push_back({L"ten megabytes of UTF-16 'a' LF", utf16});
    return shapes;
}

} // namespace

// desktop-free: IniMemory
TEST(IniMemory, ParsingAndSavingHoldASmallMultipleOfTheFileForEveryShape) {
    TempDirectory directory;
    std::wstring path = directory.File(L"shape.ini");
    for (Shape& shape : Shapes()) {
        SCOPED_TRACE(testing::PrintToString(shape.name));
        size_t size = shape.bytes.size();
        ASSERT_TRUE(WriteFileBytes(path, shape.bytes));
        {
            std::vector<unsigned char> bytes = shape.bytes;
            AllocationPeak peak;
            CIniDocument document = CIniDocument::Parse(std::move(bytes), Latin1CodePage());
            EXPECT_LE(peak.Bytes(), kParseFactor * size + kFixedAllowance) << size << " bytes parsed";
        }
        AllocationPeak peak;
        {
            // The program's own path: read, parse, change one value, write beside and replace.
            CIniFile file(path.c_str());
            EXPECT_TRUE(file.WriteString(L"Default", L"Added", L"1"));
        }
        EXPECT_LE(peak.Bytes(), kSaveFactor * size + kFixedAllowance) << size << " bytes saved";
    }
}

TEST(IniMemory, AFileAboveSixteenMegabytesReadsAsDamagedAndIsNeverOverwritten) {
    TempDirectory directory;
    const size_t kBound = 16 * 1024 * 1024;
    std::string head = "[Default]\r\nFolders=1\r\n";
    for (size_t size : {kBound, kBound + 1}) {
        SCOPED_TRACE(size);
        std::vector<unsigned char> bytes(head.begin(), head.end());
        std::vector<unsigned char> comment = Repeated(";" + std::string(62, 'x') + "\r\n", size - bytes.size());
        bytes.insert(bytes.end(), comment.begin(), comment.end());
        bytes.resize(size, 'x');
        std::wstring path = directory.File(L"large.ini");
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        CIniFile file(path.c_str());
        bool withinBound = size <= kBound;
        EXPECT_EQ(withinBound, file.IsReadable() != FALSE);
        INT folders = 0;
        file.ReadInt(L"Default", L"Folders", 0, &folders);
        EXPECT_EQ(withinBound ? 1 : 0, folders);
        if (!withinBound) {
            EXPECT_FALSE(file.WriteString(L"Default", L"Folders", L"2"));
            EXPECT_TRUE(ReadFileBytes(path) == bytes) << "the damaged file was written over";
        }
    }
}
