// The owner-drawn technique, used from Windows 8 on. Under Wine, which reports Windows 7 by
// default, the cases run in a copy of this program that Wine starts as Windows 10.
#include "menus/MenuTestOwner.h"
#include "menus/PopUpMenu.h"
#include "support/GdiObjectCounter.h"
#include "support/WindowsVersionCopy.h"

#include <gtest/gtest.h>
#include <uxtheme.h>

#include <string>

namespace {

class PopUpMenuOwnerDraw : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CPopUpMenu().IsThemed())
            return;
        ASSERT_FALSE(StartedAsVersionCopy()) << "started as Windows 10, yet the menu uses item bitmaps";
        GTEST_SKIP() << "menus of this system use item bitmaps; PopUpMenuOwnerDrawChild runs this case in a copy "
                        "started as Windows 10";
    }
};

} // namespace

TEST_F(PopUpMenuOwnerDraw, IconItemsAreDrawnThroughTheOwnerEvenWithVisualStyles) {
    if (StartedAsVersionCopy()) {
        EXPECT_TRUE(IsThemeActive()) << "the point of this run: visual styles on, Windows 10";
    }
    CIconHandle icon(CreateSolidIcon(16, 0xFF0000FF));
    MenuTestOwner owner;
    auto openAllLevels = [](const MenuTree& tree) {
        return std::vector<MenuTestOwner::Step>{PressKeys(tree[0]->GetHandle(), {VK_DOWN, VK_RIGHT}),
                                                PressKeys(tree[1]->GetHandle(), {VK_RIGHT}),
                                                PressKeys(tree[2]->GetHandle(), {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE})};
    };
    {
        // The first menu shown in a process makes what the menu system keeps for later ones.
        MenuTree warmUp = BuildMenuTree(3, 1, icon.Get());
        owner.Track(*warmUp[0], openAllLevels(warmUp));
    }

    long before = GdiObjectCounter::Read();
    MenuTree tree = BuildMenuTree(3, 5, icon.Get());
    EXPECT_EQ(0, GdiObjectCounter::Read() - before) << "no bitmaps are made for owner-drawn items";
    HMENU root = tree[0]->GetHandle();
    for (UINT position : {0, 1}) {
        MENUITEMINFOW item = ReadMenuItem(root, position, MIIM_BITMAP | MIIM_DATA);
        EXPECT_EQ(HBMMENU_CALLBACK, item.hbmpItem) << "position " << position;
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(icon.Get()), item.dwItemData) << "position " << position;
    }

    owner.SpyOnMenuLoops();
    owner.Track(*tree[0], openAllLevels(tree));

    int measured = 0;
    int drawnPerLevel[3] = {};
    bool rootHighlightDrawn = false;
    for (const MenuTestOwner::SeenMessage& seen : owner.Seen()) {
        EXPECT_TRUE(seen.result) << (seen.message == WM_DRAWITEM ? "WM_DRAWITEM" : "WM_MEASUREITEM") << " of item "
                                 << seen.itemId << " was not answered";
        if (seen.message == WM_MEASUREITEM)
            ++measured;
        for (int level = 0; level < 3; ++level)
            drawnPerLevel[level] += seen.message == WM_DRAWITEM && seen.menu == tree[level]->GetHandle();
        rootHighlightDrawn = rootHighlightDrawn || (seen.menu == root && (seen.itemState & ODS_SELECTED));
    }
    EXPECT_GE(measured, 6 + 6 + 5) << "every icon item is measured";
    for (int level = 0; level < 3; ++level)
        EXPECT_GE(drawnPerLevel[level], level < 2 ? 6 : 5) << "every level draws through the root's owner: " << level;
    EXPECT_TRUE(rootHighlightDrawn) << "the highlighted item is redrawn selected";
    EXPECT_EQ(0, GdiObjectCounter::Read() - before) << "showing and drawing keep no object";
}

TEST(PopUpMenuOwnerDrawChild, OwnerDrawCasesTheirSoakAndFolderMenuIconsPassWhenWineReportsWindows10) {
    if (!CPopUpMenu().IsThemed())
        GTEST_SKIP() << "this process draws icons through the owner already, so the cases ran here";
    if (!RunningOnWine())
        GTEST_SKIP() << "only Wine can start a copy of this program as another Windows version";
    VersionCopyRun run = RunCopyAsWindowsVersion(
        L"win10", L"menus_tests_win10.exe",
        L"PopUpMenuOwnerDraw.*:PopUpMenuTracking.TheIconSourceHears*:PopUpMenuSoak.*:FolderMenuIcons.*:"
        L"FolderMenuBuild.ARebuildKeepsTheIconsOfUnchangedFiles*");
    EXPECT_TRUE(CopyPassed(run, false)) << "the child ended in time, passed and drew through the owner";
}
