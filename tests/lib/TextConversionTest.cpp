#include "lib/TextConversion.h"

#include <gtest/gtest.h>

#include <cwchar>

// desktop-free: TextConversionTest
TEST(TextConversionTest, TextIsCutAndTerminatedMissingTextOrBufferIsRefusedAndTheAnsiCodePageConverts) {
    wchar_t wide[5];
    EXPECT_EQ(4, AnsiToWide("abcdefgh", wide, 5));
    EXPECT_STREQ(L"abcd", wide);
    char ansi[4];
    EXPECT_EQ(3, WideToAnsi(L"abcdefgh", ansi, sizeof(ansi)));
    EXPECT_STREQ("abc", ansi);
    EXPECT_EQ(0, WideToAnsi(L"abc", ansi, 1));
    EXPECT_STREQ("", ansi);

    LPWSTR wideCopy = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(0u, AnsiToWideAlloc(nullptr, &wideCopy));
    EXPECT_EQ(nullptr, wideCopy);
    LPSTR ansiCopy = reinterpret_cast<LPSTR>(1);
    EXPECT_EQ(0u, WideToAnsiAlloc(nullptr, &ansiCopy));
    EXPECT_EQ(nullptr, ansiCopy);

    wchar_t wideBuffer[8];
    char ansiBuffer[8];
    EXPECT_EQ(ERROR_INVALID_PARAMETER, AnsiToWide(nullptr, wideBuffer, 8));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, AnsiToWide("text", nullptr, 8));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, WideToAnsi(nullptr, ansiBuffer, 8));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, WideToAnsi(L"text", nullptr, 8));
    EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, WideToAnsi(L"text", ansiBuffer, 0));
    EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, AnsiToWide("text", wideBuffer, 0));

    if (GetACP() != 1252)
        GTEST_SKIP() << "The expected bytes are those of code page 1252, Wine's default; here it is " << GetACP();
    const char cafe[] = "Caf\xE9 \x80";
    const wchar_t wideCafe[] = L"Caf\u00E9 \u20AC";
    ASSERT_EQ(0u, AnsiToWideAlloc(cafe, &wideCopy));
    EXPECT_STREQ(wideCafe, wideCopy);
    delete[] wideCopy;
    ASSERT_EQ(0u, WideToAnsiAlloc(L"a\u4E2Db \u20AC", &ansiCopy));
    EXPECT_STREQ("a?b \x80", ansiCopy) << "a character the code page lacks becomes its default character";
    delete[] ansiCopy;

    wchar_t padded[16];
    wmemset(padded, L'#', 16);
    EXPECT_EQ(6, AnsiToWide(cafe, padded, 16));
    EXPECT_STREQ(wideCafe, padded);
    EXPECT_EQ(L'\0', padded[15]);
    char exact[7];
    EXPECT_EQ(6, WideToAnsi(wideCafe, exact, sizeof(exact))) << "an exact fit is no cut";
    EXPECT_STREQ(cafe, exact);
}
