// Building menus of several folders, reading submenus on first highlight, and the folders large
// enough to show what the listing costs.
#include "menus/FolderMenu.h"
#include "menus/FolderTree.h"
#include "menus/MenuTestOwner.h"
#include "support/GdiObjectCounter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::wstring> Texts;

class FolderMenuBuild : public ::testing::Test {
protected:
    HMENU Root() const { return m_menu.GetRootMenu()->GetHandle(); }

    FolderTree m_tree;
    CFolderMenu m_menu;
};

} // namespace

TEST_F(FolderMenuBuild, MergedRecordsShareOneSortedSubmenuAndOthersGetTheirOwn) {
    m_tree.AddFile(L"first\\x.txt");
    m_tree.AddFile(L"first\\m.txt");
    m_tree.AddFile(L"second\\a.txt");
    m_tree.AddFile(L"second\\x.txt");
    m_tree.AddFile(L"own\\o.txt");
    std::vector<MergedFolder> records = {FolderRecord(m_tree.Path(L"first"), 1, L"Work"),
                                         FolderRecord(m_tree.Path(L"own")),
                                         FolderRecord(m_tree.Path(L"second"), 1, L"Work")};

    ASSERT_TRUE(m_menu.Build(records.data(), 3, TRUE, TRUE, TRUE));
    EXPECT_EQ((Texts{L"Work", L"own"}), MenuItemTexts(Root())) << "in the order of the records";
    HMENU work = FindSubMenu(Root(), L"Work");
    ASSERT_NE(nullptr, work);
    EXPECT_EQ((Texts{L"a.txt", L"m.txt", L"x.txt"}), MenuItemTexts(work)) << "merged by name, sorted";
    EXPECT_EQ(m_tree.Path(L"first\\x.txt"), m_menu.GetEntryOfCommand(FindCommand(work, L"x.txt"))->m_paths.front());
    EXPECT_EQ((Texts{L"o.txt"}), MenuItemTexts(FindSubMenu(Root(), L"own")));

    // A merged name that matches several submenus joins the first of them.
    m_tree.AddFile(L"p\\docs\\p.txt");
    m_tree.AddFile(L"q\\docs\\q.txt");
    std::vector<MergedFolder> sameNames = {FolderRecord(m_tree.Path(L"p\\docs")), FolderRecord(m_tree.Path(L"q\\docs")),
                                           FolderRecord(m_tree.Path(L"own"), 1, L"docs")};
    ASSERT_TRUE(m_menu.Build(sameNames.data(), 3, TRUE, TRUE, TRUE));
    ASSERT_EQ((Texts{L"docs", L"docs"}), MenuItemTexts(Root()));
    EXPECT_EQ((Texts{L"o.txt", L"p.txt"}), MenuItemTexts(GetSubMenu(Root(), 0)));
    EXPECT_EQ((Texts{L"q.txt"}), MenuItemTexts(GetSubMenu(Root(), 1)));

    MergedFolder trailing = FolderRecord(m_tree.Path(L"own") + L"\\");
    std::vector<MergedFolder> withRoot = {trailing, FolderRecord(m_tree.Path(L"missing"))};
    ASSERT_TRUE(m_menu.Build(withRoot.data(), 2, TRUE, TRUE, TRUE));
    EXPECT_EQ((Texts{L"own", L"missing"}), MenuItemTexts(Root())) << "a trailing backslash does not empty the name";
    EXPECT_EQ((Texts{L"Empty"}), MenuItemTexts(FindSubMenu(Root(), L"missing")));
}

TEST_F(FolderMenuBuild, MergedMenusListSharedNamesOnceAndOpenTheFirstFoldersCopy) {
    std::wstring marker = m_tree.Path(L"marker.txt");
    m_tree.AddMarkerScript(L"first\\same.cmd", marker, "first");
    m_tree.AddMarkerScript(L"second\\same.cmd", marker, "second");
    m_tree.AddFile(L"first\\sub\\one.txt");
    m_tree.AddFile(L"second\\sub\\two.txt");
    m_tree.AddFile(L"second\\only.txt");
    std::vector<MergedFolder> records = {FolderRecord(m_tree.Path(L"first")), FolderRecord(m_tree.Path(L"second"))};
    m_menu.SetMergeMenusInPopupMenu(TRUE);

    ASSERT_TRUE(m_menu.Build(records.data(), 2, TRUE, TRUE, TRUE));
    EXPECT_EQ((Texts{L"sub", L"only.txt", L"same.cmd"}), MenuItemTexts(Root()));
    HMENU sub = FindSubMenu(Root(), L"sub");
    HighlightSubMenuItem(m_menu, Root(), L"sub");
    EXPECT_EQ((Texts{L"one.txt", L"two.txt"}), MenuItemTexts(sub)) << "one submenu over both same-named folders";

    EXPECT_FALSE(m_menu.RunCommand(0));
    ASSERT_TRUE(m_menu.RunCommand(FindCommand(Root(), L"same.cmd")));
    EXPECT_EQ("first", WaitForFileText(marker, 15000).substr(0, 5));
}

TEST_F(FolderMenuBuild, WithoutNavigationFoldersAreItemsThatOpenTheFolder) {
    m_tree.AddFile(L"sub\\inside.txt");
    m_tree.AddFolder(L"hollow");
    MergedFolder record = FolderRecord(m_tree.Root());

    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, FALSE, TRUE));
    ASSERT_EQ((Texts{L"sub"}), MenuItemTexts(Root())) << "a folder with nothing to show stays hidden";
    EXPECT_EQ(nullptr, GetSubMenu(Root(), 0));
    CFolderMenuItem* entry = m_menu.GetEntryOfCommand(GetMenuItemID(Root(), 0));
    ASSERT_NE(nullptr, entry) << "the folder item is a command";
    EXPECT_EQ(m_tree.Path(L"sub"), entry->m_paths.front());
}

TEST_F(FolderMenuBuild, ASubmenuIsReadOnceInAShowingAndAnewAfterTheNextBuild) {
    m_tree.AddFile(L"sub\\one.txt");
    m_tree.AddFile(L"two.txt");
    MergedFolder record = FolderRecord(m_tree.Root());
    MenuTestOwner owner;
    m_menu.SetOwnerWindow(owner.Handle());

    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
    HMENU sub = FindSubMenu(Root(), L"sub");
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(0, GetMenuItemCount(sub)) << "not read before it is highlighted";
    Texts firstRead;
    owner.Track(*m_menu.GetRootMenu(), {PressKeys(Root(), {VK_DOWN}),
                                        [&]() {
                                            if (GetMenuItemCount(sub) == 0)
                                                return false;
                                            firstRead = MenuItemTexts(sub);
                                            m_tree.AddFile(L"sub\\later.txt");
                                            return true;
                                        },
                                        PressKeys(Root(), {VK_DOWN, VK_UP, VK_RIGHT}), WaitForMenu(sub)});
    EXPECT_EQ((Texts{L"one.txt"}), firstRead);
    EXPECT_EQ((Texts{L"one.txt"}), MenuItemTexts(sub)) << "highlighted again in the same showing";

    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
    sub = FindSubMenu(Root(), L"sub");
    HighlightSubMenuItem(m_menu, Root(), L"sub");
    EXPECT_EQ((Texts{L"later.txt", L"one.txt"}), MenuItemTexts(sub));
}

TEST_F(FolderMenuBuild, ABuildWhileTheMenuIsOpenLeavesItAlone) {
    m_tree.AddFile(L"one.txt");
    MergedFolder record = FolderRecord(m_tree.Root());
    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
    HMENU shown = Root();
    m_tree.AddFile(L"two.txt");
    BOOL builtWhileOpen = TRUE;
    MenuTestOwner owner;
    owner.Track(*m_menu.GetRootMenu(), {WaitForMenu(shown), [&]() {
                                            builtWhileOpen = m_menu.Build(&record, 1, TRUE, TRUE, TRUE);
                                            return true;
                                        }});
    EXPECT_FALSE(builtWhileOpen);
    EXPECT_EQ(shown, Root());
    EXPECT_EQ((Texts{L"one.txt"}), MenuItemTexts(Root()));
    EXPECT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE)) << "once the menu is closed";
    EXPECT_EQ((Texts{L"one.txt", L"two.txt"}), MenuItemTexts(Root()));
}

TEST_F(FolderMenuBuild, ChoosingAnEntryInTheTrackedMenuOpensIt) {
    std::wstring marker = m_tree.Path(L"marker.txt");
    m_tree.AddMarkerScript(L"tools\\run.cmd", marker, "ran");
    m_tree.AddFile(L"tools\\readme.txt");
    MergedFolder record = FolderRecord(m_tree.Root());
    MenuTestOwner owner;
    m_menu.SetOwnerWindow(owner.Handle());
    m_menu.SetInclusionFilter(L"*.cmd");

    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
    HMENU tools = FindSubMenu(Root(), L"tools");
    ASSERT_NE(nullptr, tools);
    UINT chosen =
        owner.Track(*m_menu.GetRootMenu(), {PressKeys(Root(), {VK_DOWN, VK_RIGHT}), PressKeys(tools, {VK_RETURN})});
    ASSERT_NE(0u, chosen);
    EXPECT_EQ((Texts{L"run.cmd"}), MenuItemTexts(tools));
    ASSERT_TRUE(m_menu.RunCommand(chosen));
    EXPECT_EQ("ran", WaitForFileText(marker, 15000).substr(0, 3));
}

TEST_F(FolderMenuBuild, TenThousandFilesAreListedInOrder) {
    if (RunningOnWine())
        GTEST_SKIP() << "Wine's SHGetFileInfoW re-reads the whole folder on every call (about 10 ms each in a folder "
                        "of 10,000 files), which puts this build past the test time limit";
    for (int index = 0; index < 10000; ++index)
        m_tree.AddFile(L"big\\file " + std::to_wstring(index) + L".txt");
    MergedFolder record = FolderRecord(m_tree.Path(L"big"));

    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
    ASSERT_EQ(10000, GetMenuItemCount(Root()));
    Texts texts = MenuItemTexts(Root());
    EXPECT_EQ(L"file 0.txt", texts.front());
    EXPECT_EQ(L"file 1.txt", texts[1]);
    EXPECT_EQ(L"file 10.txt", texts[2]) << "past the first character names compare as text";
    EXPECT_EQ(L"file 9999.txt", texts.back());
}

TEST_F(FolderMenuBuild, AFolderOfTenThousandFilesMergesAndFilters) {
    // Under Wine the icons of shown files dominate, so few are shown here; enumeration, filters and
    // the merge lookup still see every name.
    for (int index = 0; index < 10000; ++index)
        m_tree.AddFile(L"big\\file " + std::to_wstring(index) + L".txt");
    for (int index = 0; index <= 10000; index += 100)
        m_tree.AddFile(L"small\\file " + std::to_wstring(index) + L".txt");
    std::vector<MergedFolder> records = {FolderRecord(m_tree.Path(L"big")), FolderRecord(m_tree.Path(L"small"))};
    m_menu.SetMergeMenusInPopupMenu(TRUE);
    m_menu.SetInclusionFilter(L"*00.txt");

    ASSERT_TRUE(m_menu.Build(records.data(), 2, TRUE, TRUE, TRUE));
    Texts texts = MenuItemTexts(Root());
    ASSERT_EQ(100u, texts.size()) << "99 names of both folders, listed once, and file 10000.txt; not file 0.txt";
    EXPECT_EQ((Texts{L"file 100.txt", L"file 1000.txt", L"file 10000.txt", L"file 1100.txt"}),
              Texts(texts.begin(), texts.begin() + 4));
    EXPECT_EQ(m_tree.Path(L"big\\file 9900.txt"),
              m_menu.GetEntryOfCommand(FindCommand(Root(), L"file 9900.txt"))->m_paths.front());
}

TEST_F(FolderMenuBuild, RebuildingAndDestroyingGiveEveryIconBack) {
    for (int index = 0; index < 300; ++index)
        m_tree.AddFile(L"many\\file " + std::to_wstring(index) + L".txt");
    m_tree.AddFile(L"many\\sub\\inside.txt");
    MergedFolder record = FolderRecord(m_tree.Path(L"many"));
    long whileBuilt = 0;
    auto buildTwiceAndOpenTheSubmenu = [&]() {
        CFolderMenu menu;
        ASSERT_TRUE(menu.Build(&record, 1, TRUE, TRUE, TRUE));
        ASSERT_TRUE(menu.Build(&record, 1, TRUE, TRUE, TRUE));
        HMENU root = menu.GetRootMenu()->GetHandle();
        HighlightSubMenuItem(menu, root, L"sub");
        ASSERT_EQ((Texts{L"inside.txt"}), MenuItemTexts(FindSubMenu(root, L"sub")));
        whileBuilt = GdiObjectCounter::Read();
    };
    // The first round loads the shell's icon caches, which the process keeps for its life.
    buildTwiceAndOpenTheSubmenu();
    long before = GdiObjectCounter::Read();
    for (int round = 0; round < 4; ++round)
        buildTwiceAndOpenTheSubmenu();
    long after = GdiObjectCounter::Read();
    EXPECT_GE(whileBuilt - before, 300) << "every entry holds an icon while the menu exists";
    EXPECT_LE(after - before, 2) << "objects left behind by four menus built twice and destroyed";
}

TEST_F(FolderMenuBuild, ARebuildKeepsTheIconsOfUnchangedFilesAndReadsChangedOnesAnew) {
    m_tree.AddFile(L"icons\\same.txt", "same");
    std::wstring changed = m_tree.AddFile(L"icons\\changed.txt", "before");
    MergedFolder record = FolderRecord(m_tree.Path(L"icons"));
    auto iconOf = [&](LPCWSTR text) { return m_menu.GetEntryOfCommand(FindCommand(Root(), text))->m_hIcon; };

    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
    HICON sameBefore = iconOf(L"same.txt");
    HICON changedBefore = iconOf(L"changed.txt");
    ASSERT_NE(nullptr, sameBefore);
    m_tree.AddFile(L"icons\\changed.txt", "after, and longer");

    ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
    EXPECT_EQ(sameBefore, iconOf(L"same.txt")) << "moved to the new entry, not read again";
    EXPECT_NE(changedBefore, iconOf(L"changed.txt"));
    EXPECT_NE(nullptr, iconOf(L"changed.txt"));
    ICONINFO info = {};
    EXPECT_FALSE(GetIconInfo(changedBefore, &info)) << "the stale icon is destroyed by the build";
}
