#include "lib/PathText.h"
#include "lib/StringCopy.h"

#include <gtest/gtest.h>

#include <string>

// desktop-free: PathText
TEST(PathText, CopiesCutAtTheBufferAndReplacingAnExtensionRefusesWhatDoesNotFit) {
    WCHAR path[16];
    CopyTruncated(path, ARRAYSIZE(path), L"C:\\a.b\\file.ini");
    ASSERT_TRUE(ReplaceExtension(path, ARRAYSIZE(path), L"bak"));
    EXPECT_STREQ(L"C:\\a.b\\file.bak", path);
    CopyTruncated(path, ARRAYSIZE(path), L"C:\\a.b\\file");
    ASSERT_TRUE(ReplaceExtension(path, ARRAYSIZE(path), L"bak"));
    EXPECT_STREQ(L"C:\\a.b\\file.bak", path);
    CopyTruncated(path, ARRAYSIZE(path), L"C:\\a.b\\fileXX");
    EXPECT_FALSE(ReplaceExtension(path, ARRAYSIZE(path), L"bak"));
    EXPECT_STREQ(L"C:\\a.b\\fileXX", path) << "unchanged when the result would be cut";

    WCHAR buffer[6] = L"";
    EXPECT_EQ(5u, CopyTruncated(buffer, ARRAYSIZE(buffer), L"abcdefgh"));
    EXPECT_STREQ(L"abcde", buffer);
    EXPECT_EQ(0u, CopyTruncated(buffer, ARRAYSIZE(buffer), nullptr));
    EXPECT_STREQ(L"", buffer);
    CopyTruncated(buffer, ARRAYSIZE(buffer), L"ab");
    EXPECT_EQ(5u, AppendTruncated(buffer, ARRAYSIZE(buffer), L"cdefg"));
    EXPECT_STREQ(L"abcde", buffer);
    EXPECT_EQ(5u, AppendTruncated(buffer, ARRAYSIZE(buffer), L"x")) << "a full buffer stays as it is";
}

TEST(PathText, RootsExtensionsOfTheLastComponentAndResolvingAgainstADirectory) {
    EXPECT_EQ(3u, PathRootLength(L"C:\\x"));
    EXPECT_EQ(2u, PathRootLength(L"C:x"));
    EXPECT_EQ(std::wstring(L"\\\\server\\share").size(), PathRootLength(L"\\\\server\\share\\dir"));
    EXPECT_EQ(7u, PathRootLength(L"\\\\?\\C:\\dir"));
    EXPECT_EQ(1u, PathRootLength(L"\\dir"));
    EXPECT_EQ(0u, PathRootLength(L"dir\\x"));

    WCHAR out[MAX_PATH];
    ASSERT_TRUE(ResolvePathAgainst(L"D:\\base\\", L"a\\..\\b", out, MAX_PATH));
    EXPECT_STREQ(L"D:\\base\\b", out);
    ASSERT_TRUE(ResolvePathAgainst(L"D:\\base", L"\\rooted", out, MAX_PATH));
    EXPECT_STREQ(L"D:\\rooted", out);
    ASSERT_TRUE(ResolvePathAgainst(L"D:\\base", L"E:\\full\\.\\x", out, MAX_PATH));
    EXPECT_STREQ(L"E:\\full\\x", out);
    EXPECT_FALSE(ResolvePathAgainst(L"D:\\base", std::wstring(300, L'x'), out, MAX_PATH));
    EXPECT_STREQ(L"", out);

    struct Case {
        LPCWSTR path, extension;
        bool isShortcut;
    };
    const Case cases[] = {
        {L"C:\\a\\b.LNK", L"LNK", true}, {L"C:\\a.lnk\\b", L"", false}, {L"archive.tar.gz", L"gz", false},
        {L"C:/dir.d/file", L"", false},  {L".lnk", L"lnk", true},       {L"", L"", false},
        {L"name.", L"", false},          {L"x.lnkx", L"lnkx", false},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.extension, FindExtension(c.path)) << c.path;
        EXPECT_EQ(c.isShortcut, HasExtension(c.path, L"lnk") != FALSE) << c.path;
    }
    EXPECT_FALSE(HasExtension(L"noextension", L"")) << "no dot is no extension, not an empty one";
}
