#include "menus/FileNameFilter.h"
#include "menus/MenuNameOrder.h"

#include <gtest/gtest.h>

// desktop-free: FileNameFilter
TEST(FileNameFilter, SplitsAtEverySemicolonKeepsBlanksAndAcceptsOnTheFirstMatch) {
    CFileNameFilter filter(FileNameFilterInclusion, L";*.exe;; *.jpg;");
    ASSERT_EQ(2u, filter.PatternCount());
    EXPECT_STREQ(L"*.exe", filter.Pattern(0));
    EXPECT_STREQ(L" *.jpg", filter.Pattern(1));
    EXPECT_FALSE(filter.Accepts(L"photo.jpg")) << "the blank belongs to the pattern";
    EXPECT_TRUE(filter.Accepts(L" Photo.JPG"));
    EXPECT_TRUE(filter.Accepts(L"SETUP.Exe"));

    EXPECT_EQ(0u, CFileNameFilter(FileNameFilterInclusion, L";;;").PatternCount());
    EXPECT_TRUE(CFileNameFilter(FileNameFilterInclusion, L";;;").Accepts(L"anything.txt"));
    EXPECT_TRUE(CFileNameFilter(FileNameFilterExclusion, L"").Accepts(L"anything.txt"));
    EXPECT_TRUE(CFileNameFilter(FileNameFilterExclusion, nullptr).Accepts(L"x"));
    CFileNameFilter exclusion(FileNameFilterExclusion, L"*.tmp;~*");
    EXPECT_FALSE(exclusion.Accepts(L"~draft.doc"));
    EXPECT_TRUE(exclusion.Accepts(L"draft.doc"));
}

// desktop-free: WildcardMatch
TEST(WildcardMatch, IsAnchoredFoldsOnlyAToZAndBacktracksAfterTheLastStar) {
    EXPECT_TRUE(WildcardMatch(L"*.EXE", L"SETUP.EXE"));
    EXPECT_FALSE(WildcardMatch(L"*.EXE", L"SETUP.EXE.BAK"));
    EXPECT_TRUE(WildcardMatch(L"*.exe", L"setup.exe.exe"));
    EXPECT_FALSE(WildcardMatch(L"setup", L"setup.exe")) << "anchored at the end";
    EXPECT_FALSE(WildcardMatch(L"etup*", L"setup")) << "anchored at the start";
    EXPECT_TRUE(WildcardMatch(L"s?t*p.*", L"SETUP.TXT"));
    EXPECT_FALSE(WildcardMatch(L"?", L""));
    EXPECT_TRUE(WildcardMatch(L"*", L""));
    EXPECT_TRUE(WildcardMatch(L"**", L"x"));
    EXPECT_TRUE(WildcardMatch(L"a*b*c", L"aXbYbZc"));
    EXPECT_FALSE(WildcardMatch(L"a*b*c", L"aXbYbZ"));
    EXPECT_TRUE(WildcardMatch(L"*ab", L"aaab")) << "backtracking retries one character further";
    EXPECT_FALSE(WildcardMatch(L"\u00e9*", L"\u00c9t\u00e9")) << "only a to z fold";
    EXPECT_TRUE(WildcardMatch(L"[*]", L"[x]"));

    // A matcher that backtracks into every star would not end within the suite's time-out here.
    std::wstring longName(5000, L'a');
    EXPECT_FALSE(WildcardMatch(L"*a*a*a*a*a*a*a*a*b", longName.c_str()));
}

// desktop-free: MenuNameOrder
TEST(MenuNameOrder, NumbersFirstByValueThenTextIgnoringCase) {
    EXPECT_LT(CompareMenuNames(L"2 apples", L"2 Bananas"), 0) << "equal numbers fall back to the text";
    EXPECT_EQ(0, CompareMenuNames(L"Report", L"REPORT"));
    EXPECT_LT(CompareMenuNames(L"007", L"8"), 0);
    EXPECT_LT(CompareMenuNames(L"9", L"_x"), 0);
    EXPECT_GT(CompareMenuNames(L"Zebra", L"_under"), 0) << "letters fold to lower case, which sorts after '_'";
    EXPECT_EQ(0, CompareMenuNames(L"", L""));
}
