#include "config/SpecialPath.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Resolve(const std::wstring& stored, BOOL* result) {
    WCHAR out[MAX_PATH] = L"unchanged";
    *result = ResolveSpecialPath(stored.c_str(), out);
    return out;
}

std::wstring CurrentDirectory() {
    WCHAR directory[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, directory);
    return directory;
}

class ProgramSubdirectory {
public:
    explicit ProgramSubdirectory(const std::wstring& name) : m_path(GetProgramDirectory() + name) {
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ProgramSubdirectory() { RemoveTree(m_path); }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

} // namespace

// desktop-free: SpecialPath
TEST(SpecialPath, StoredPathsResolveToDirectoriesRelativeToTheProgramAndExistingOnesAreOfferedSortedWithTheirNames) {
    EXPECT_EQ(L"::CSIDL:0x5", FormatSpecialPath(CSIDL_MYDOCUMENTS));
    EXPECT_EQ(L"::CSIDL:0x1A", FormatSpecialPath(CSIDL_APPDATA)) << "upper-case hexadecimal";
    WCHAR documents[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents));
    std::wstring name = L"Docs_" + std::to_wstring(GetCurrentProcessId());
    ProgramSubdirectory docs(name);
    TempDirectory elsewhere;
    std::wstring file = elsewhere.File(L"note.txt");
    ASSERT_TRUE(WriteFileBytes(file, {'x'}));
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.Path().c_str()));
    std::wstring before = CurrentDirectory();

    struct Case {
        std::wstring stored, expected;
        BOOL result;
    };
    const Case cases[] = {
        {L"::CSIDL:0x5", documents, TRUE},
        {L"::CSIDL:5", L"", FALSE}, // without 0x the number does not parse
        {L"::CSIDL:0xFF", L"", FALSE},
        {L".\\", GetProgramDirectory(), TRUE},
        {L"", GetProgramDirectory(), TRUE},
        {file, file, FALSE}, // an existing file is not a directory
        {elsewhere.File(L"gone"), elsewhere.File(L"gone"), FALSE},
        {elsewhere.Path(), elsewhere.Path(), TRUE},
    };
    for (const Case& c : cases) {
        BOOL result = !c.result;
        EXPECT_EQ(c.expected, Resolve(c.stored, &result)) << "stored: " << c.stored;
        EXPECT_EQ(c.result, result) << "stored: " << c.stored;
        EXPECT_EQ(before, CurrentDirectory()) << "the current directory is put back";
    }
    BOOL result = FALSE;
    EXPECT_EQ(docs.Path(), Resolve(L"./" + name + L"/", &result).substr(0, docs.Path().size()));
    EXPECT_TRUE(result) << "forward slashes count as backslashes";
    // In lower case the prefix is not special: a relative plain path that does not exist.
    EXPECT_NE(documents, Resolve(L"::csidl:0x5", &result));
    EXPECT_FALSE(result);
    SetCurrentDirectoryW(GetProgramDirectory().c_str());

    std::vector<SpecialFolderOffer> offers = GetSpecialFolderOffers();
    ASSERT_FALSE(offers.empty());
    bool sawDocuments = false;
    for (size_t i = 0; i < offers.size(); ++i) {
        if (i > 0) {
            EXPECT_LE(offers[i - 1].path, offers[i].path);
        }
        EXPECT_EQ(0u, offers[i].text.find(offers[i].path + L"    (CSIDL_")) << offers[i].text;
        if (offers[i].csidl == CSIDL_MYDOCUMENTS) {
            sawDocuments = true;
            EXPECT_EQ(offers[i].path + L"    (CSIDL_MYDOCUMENTS)", offers[i].text);
        }
    }
    EXPECT_TRUE(sawDocuments);
}

TEST(SpecialPath, AbsolutePathsUseTheGivenBaseRefuseAliasedBuffersAndGiveTheirLastComponent) {
    TempDirectory base;
    WCHAR out[MAX_PATH];
    ASSERT_TRUE(MakeAbsolutePath(base.Path().c_str(), L"sub/child/../leaf", out));
    EXPECT_EQ(base.Path() + L"\\sub\\leaf", out);

    ASSERT_TRUE(MakeAbsolutePath(base.Path().c_str(), L"\\top", out));
    EXPECT_EQ(base.Path().substr(0, 2) + L"\\top", out) << "a rooted path starts at the base's drive";
    ASSERT_TRUE(MakeAbsolutePath(base.Path().c_str(), L"Q:\\x\\..\\y", out));
    EXPECT_STREQ(L"Q:\\y", out) << "a full path ignores the base";

    WCHAR same[MAX_PATH] = L"x";
    EXPECT_FALSE(MakeAbsolutePath(nullptr, same, same));
    EXPECT_FALSE(MakeAbsolutePath(nullptr, nullptr, out));
    EXPECT_STREQ(L"", out);

    CreateDirectoryW(base.File(L"Holiday Photos").c_str(), nullptr);
    EXPECT_TRUE(GetLastPathComponent((base.File(L"Holiday Photos") + L"\\").c_str(), out));
    EXPECT_STREQ(L"Holiday Photos", out);
    EXPECT_FALSE(GetLastPathComponent(base.File(L"missing").c_str(), out));
    EXPECT_STREQ(L"", out);
}
