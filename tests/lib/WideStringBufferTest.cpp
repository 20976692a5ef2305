#include "lib/WideStringBuffer.h"

#include <gtest/gtest.h>

#include <string>

// desktop-free: WideStringBufferTest
TEST(WideStringBufferTest, GrowsAndKeepsTheText) {
    CWideStringBuffer buffer(4);
    EXPECT_STREQ(L"", buffer.GetText());
    ASSERT_TRUE(buffer.Append(L"abc", 3));
    ASSERT_TRUE(buffer.Append(L'd'));
    EXPECT_TRUE(buffer.Append(L'\0')) << "NUL is ignored, not stored";
    ASSERT_TRUE(buffer.Append(L"efghijklmnXX", 10));
    EXPECT_STREQ(L"abcdefghijklmn", buffer.GetText());
    EXPECT_EQ(14u, buffer.GetLength());

    std::wstring expected = buffer.GetText();
    for (int index = 0; index < 5000; ++index) {
        ASSERT_TRUE(buffer.Append(static_cast<WCHAR>(L'A' + index % 26)));
        expected += static_cast<WCHAR>(L'A' + index % 26);
    }
    EXPECT_EQ(expected, buffer.GetText());
    EXPECT_EQ(expected.size(), buffer.GetLength());
}

TEST(WideStringBufferTest, AppendFormatAddsAtMostCountCharactersAndDetachedTextBelongsToTheCaller) {
    CWideStringBuffer buffer(2);
    ASSERT_TRUE(buffer.Append(L"Row ", 4));
    EXPECT_EQ(11, buffer.AppendFormat(64, L"%d: %ls", 42, L"C:\\Data"));
    // Output of exactly count characters still fits whole.
    EXPECT_EQ(4, buffer.AppendFormat(4, L"%ls", L"WXYZ"));
    EXPECT_STREQ(L"Row 42: C:\\DataWXYZ", buffer.GetText());

    EXPECT_LT(buffer.AppendFormat(5, L"%ls", L"abcdefgh"), 0);
    ASSERT_TRUE(buffer.Append(L']'));
    EXPECT_STREQ(L"Row 42: C:\\DataWXYZabcd]", buffer.GetText());
    EXPECT_EQ(24u, buffer.GetLength());

    // Room is left for the next append, which must not write into the caller's detached text.
    CWideStringBuffer roomy(8);
    ASSERT_TRUE(roomy.Append(L"first", 5));
    LPWSTR detached = roomy.Detach();
    ASSERT_NE(nullptr, detached);
    EXPECT_EQ(nullptr, roomy.Detach()) << "the same buffer must not be handed out twice";
    ASSERT_TRUE(roomy.Append(L'!'));
    EXPECT_STREQ(L"first!", roomy.GetText());
    EXPECT_STREQ(L"first", detached) << "appending after Detach must not write into the caller's text";
    delete[] detached;
}
