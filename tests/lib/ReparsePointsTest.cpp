#include "lib/ReparsePoints.h"

#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Directories in which chosen paths are links; a link mapped to an empty target cannot be read.
class FakeLinks : public IReparsePointSource {
public:
    explicit FakeLinks(std::map<std::wstring, std::wstring> links) : m_links(std::move(links)) {}

    DWORD GetAttributes(LPCWSTR path) override {
        return FILE_ATTRIBUTE_DIRECTORY | (m_links.count(path) ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    }
    BOOL ReadTarget(LPCWSTR linkPath, std::wstring* target) override {
        ++m_reads;
        *target = m_links[linkPath];
        return !target->empty();
    }
    int Reads() const { return m_reads; }

private:
    std::map<std::wstring, std::wstring> m_links;
    int m_reads = 0;
};

std::wstring Resolve(const std::wstring& path, IReparsePointSource* source, BOOL expectedResult = TRUE) {
    std::vector<wchar_t> resolved(kResolvedPathLength, L'#');
    EXPECT_EQ(expectedResult, ResolveReparsePoints(path.c_str(), resolved.data(), source)) << "resolving " << path;
    return resolved.data();
}

// Reparse data as FSCTL_GET_REPARSE_POINT returns it, the substitute name after an empty print name.
std::wstring ParsedTarget(ULONG tag, const std::wstring& name, size_t bytesCut = 0) {
    std::vector<BYTE> data(tag == IO_REPARSE_TAG_SYMLINK ? 20 : 16, 0);
    memcpy(&data[0], &tag, sizeof(tag));
    USHORT nameBytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    memcpy(&data[10], &nameBytes, sizeof(nameBytes));
    data.insert(data.end(), reinterpret_cast<const BYTE*>(name.data()),
                reinterpret_cast<const BYTE*>(name.data()) + nameBytes);
    std::wstring target;
    if (!ParseReparsePointData(data.data(), data.size() - bytesCut, &target))
        return L"(refused)";
    return target;
}

} // namespace

// desktop-free: ReparsePointsTest
TEST(ReparsePointsTest, LinksAnywhereOnThePathAreReplacedByTheirTargets) {
    FakeLinks links({{L"C:\\Data\\Junction", L"D:\\Real Place"},
                     {L"C:\\Start", L"D:\\Hop\\Inner"},
                     {L"D:\\Hop", L"E:\\Middle\\"},
                     {L"E:\\Middle\\Inner", L"F:\\Final"},
                     {L"C:\\Data\\Up", L"..\\Other"},
                     {L"C:\\Data\\Same", L"Beside"},
                     {L"C:\\Data\\Rooted", L"\\Top"},
                     {L"\\\\server\\share\\Link", L"..\\Beside"}});
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"C:\\Data\\Junction\\Sub\\Folder", L"D:\\Real Place\\Sub\\Folder"},
        {L"C:\\Data\\Junction", L"D:\\Real Place"},
        // A target that itself lies below a link, and that link's target is one too.
        {L"C:\\Start\\Sub", L"F:\\Final\\Sub"},
        // Relative targets count from the folder that holds the link.
        {L"C:\\Data\\Up\\Sub", L"C:\\Other\\Sub"},
        {L"C:\\Data\\Same\\Sub", L"C:\\Data\\Beside\\Sub"},
        {L"C:\\Data\\Rooted\\Sub", L"C:\\Top\\Sub"},
        {L"\\\\server\\share\\Link\\Sub", L"\\\\server\\share\\Beside\\Sub"}};
    for (const auto& test : cases)
        EXPECT_EQ(test.second, Resolve(test.first, &links));
}

TEST(ReparsePointsTest, UnresolvableLinksAndChainsLongerThanTheBoundGiveTheGivenPath) {
    FakeLinks links({{L"C:\\Broken", L""},
                     {L"C:\\A", L"C:\\B"},
                     {L"C:\\B", L"C:\\A"},
                     {L"C:\\Long", L"D:\\" + std::wstring(kResolvedPathLength, L'x')}});
    EXPECT_EQ(L"C:\\Broken\\Sub", Resolve(L"C:\\Broken\\Sub", &links, FALSE));
    EXPECT_EQ(L"C:\\Long\\Sub", Resolve(L"C:\\Long\\Sub", &links, FALSE));
    int readsBefore = links.Reads();
    EXPECT_EQ(L"C:\\A\\Sub", Resolve(L"C:\\A\\Sub", &links, FALSE));
    EXPECT_EQ(kMaxReparsePointsFollowed, links.Reads() - readsBefore) << "a cycle is followed up to the bound";

    std::map<std::wstring, std::wstring> chain;
    for (int index = 0; index < kMaxReparsePointsFollowed; ++index)
        chain[L"C:\\L" + std::to_wstring(index)] = L"C:\\L" + std::to_wstring(index + 1);
    FakeLinks longest(chain);
    std::wstring end = L"C:\\L" + std::to_wstring(kMaxReparsePointsFollowed);
    EXPECT_EQ(end + L"\\Sub", Resolve(L"C:\\L0\\Sub", &longest)) << "a chain as long as the bound resolves";
    chain[end] = L"C:\\Beyond";
    FakeLinks tooLong(chain);
    EXPECT_EQ(L"C:\\L0\\Sub", Resolve(L"C:\\L0\\Sub", &tooLong, FALSE));
}

// On the real file system a path without links is copied as it is, cut to the buffer when too
// long, and so is one through a link whose data cannot be read.
TEST(ReparsePointsTest, APathWithoutLinksOrThroughAnUnreadableOneIsCopiedAndCutToTheBuffer) {
    CFileSystemReparsePoints fileSystem;
    for (size_t length : {kResolvedPathLength - 1, kResolvedPathLength, kResolvedPathLength + 900}) {
        std::wstring path = L"C:";
        while (path.size() < length)
            path += L"\\folder" + std::to_wstring(path.size());
        path.resize(length);
        EXPECT_EQ(path.substr(0, kResolvedPathLength - 1), Resolve(path, &fileSystem)) << length;
    }
    wchar_t resolved[kResolvedPathLength];
    EXPECT_FALSE(ResolveReparsePoints(L"", resolved));
    EXPECT_FALSE(ResolveReparsePoints(nullptr, resolved));

    std::wstring target;
    TempDirectory temp;
    EXPECT_FALSE(fileSystem.ReadTarget(temp.Path().c_str(), &target)) << "a plain folder is no link";

    // Wine shows the Unix symbolic links of a prefix's user folders as reparse points without data.
    wchar_t documents[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents));
    DWORD attributes = GetFileAttributesW(documents);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        fileSystem.ReadTarget(documents, &target))
        GTEST_SKIP() << "Documents is no link without data here (it is one in a Wine prefix)";
    std::wstring below = std::wstring(documents) + L"\\Projects";
    EXPECT_FALSE(ResolveReparsePoints(below.c_str(), resolved));
    EXPECT_EQ(below, resolved);
}

TEST(ReparsePointsTest, ReparseDataGivesWin32Targets) {
    EXPECT_EQ(L"C:\\Target", ParsedTarget(IO_REPARSE_TAG_MOUNT_POINT, L"\\??\\C:\\Target"));
    EXPECT_EQ(L"\\\\?\\Volume{0123}\\", ParsedTarget(IO_REPARSE_TAG_MOUNT_POINT, L"\\??\\Volume{0123}\\"));
    EXPECT_EQ(L"\\\\server\\share", ParsedTarget(IO_REPARSE_TAG_SYMLINK, L"\\??\\UNC\\server\\share"));
    EXPECT_EQ(L"..\\Sibling", ParsedTarget(IO_REPARSE_TAG_SYMLINK, L"..\\Sibling"));
    // Other kinds of reparse point, and data cut short, are refused.
    EXPECT_EQ(L"(refused)", ParsedTarget(0x80000013, L"\\??\\C:\\Target"));
    EXPECT_EQ(L"(refused)", ParsedTarget(IO_REPARSE_TAG_MOUNT_POINT, L"\\??\\C:\\Target", 2));
}
