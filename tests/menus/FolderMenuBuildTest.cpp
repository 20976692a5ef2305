// Building menus of several folders, reading submenus on first highlight, and the folders large
// enough to show what the listing costs.
#include "menus/FolderTree.h"
#include "support/GdiObjectCounter.h"
#include "support/MarkerScript.h"

#include <algorithm>
#include <map>
#include <random>

namespace {

class FolderMenuBuild : public FolderMenuTest {
protected:
    void AddNumberedFiles(const std::wstring& folder, int first, int last, int step = 1) {
        for (int index = first; index <= last; index += step)
            m_tree.AddFile(folder + L"\\file " + std::to_wstring(index) + L".txt");
    }
};

} // namespace

// desktop-free: FolderMenuBuild.MergedRecordsShareOneSortedSubmenuAndAllKeepTheirMenusAcrossRebuilds
TEST_F(FolderMenuBuild, MergedRecordsShareOneSortedSubmenuAndAllKeepTheirMenusAcrossRebuilds) {
    for (const wchar_t* file : {L"first\\x.txt", L"first\\m.txt", L"second\\a.txt", L"second\\x.txt", L"own\\o.txt"})
        m_tree.AddFile(file);
    std::vector<MergedFolder> records{FolderRecord(m_tree.Path(L"first"), 1, L"Work"),
                                      FolderRecord(m_tree.Path(L"own")),
                                      FolderRecord(m_tree.Path(L"second"), 1, L"Work")};
    ASSERT_TRUE(Build(records));
    EXPECT_EQ((Texts{L"Work", L"own"}), MenuItemTexts(Root())) << "in the order of the records";
    HMENU work = FindSubMenu(Root(), L"Work");
    HMENU own = FindSubMenu(Root(), L"own");
    EXPECT_EQ((Texts{L"a.txt", L"m.txt", L"x.txt"}), MenuItemTexts(work)) << "merged by name, sorted";
    EXPECT_EQ(m_tree.Path(L"first\\x.txt"), PathOfCommand(work, L"x.txt"));
    EXPECT_EQ((Texts{L"o.txt"}), MenuItemTexts(own));
    UINT kept = FindCommand(work, L"x.txt");
    UINT ownItem = FindCommand(Root(), L"own");

    m_tree.AddFile(L"second\\b.txt");
    m_tree.AddFile(L"own\\n.txt");
    ASSERT_TRUE(Build(records));
    EXPECT_EQ(work, FindSubMenu(Root(), L"Work"));
    EXPECT_EQ(own, FindSubMenu(Root(), L"own"));
    EXPECT_EQ((Texts{L"a.txt", L"b.txt", L"m.txt", L"x.txt"}), MenuItemTexts(work));
    EXPECT_EQ((Texts{L"n.txt", L"o.txt"}), MenuItemTexts(own));
    EXPECT_EQ(kept, FindCommand(work, L"x.txt")) << "an unchanged file keeps its item";
    EXPECT_EQ(ownItem, FindCommand(Root(), L"own")) << "and so does a folder's submenu item";
    EXPECT_EQ(m_tree.Path(L"second\\b.txt"), PathOfCommand(work, L"b.txt"));

    // A merged name that matches several submenus joins the first of them. That submenu is listed
    // and inserted before the merged folder joins it, so it is inserted a second time: each
    // extension must still be cut only once.
    for (const wchar_t* file : {L"p\\docs\\p.txt", L"p\\docs\\a.tar.gz", L"q\\docs\\q.txt", L"own\\b.tar.gz"})
        m_tree.AddFile(file);
    m_menu.SetHideFilesExtensionInPopupMenu(TRUE);
    ASSERT_TRUE(Build({FolderRecord(m_tree.Path(L"p\\docs")), FolderRecord(m_tree.Path(L"q\\docs")),
                       FolderRecord(m_tree.Path(L"own"), 1, L"docs")}));
    ASSERT_EQ((Texts{L"docs", L"docs"}), MenuItemTexts(Root()));
    EXPECT_EQ((Texts{L"a.tar", L"b.tar", L"n", L"o", L"p"}), MenuItemTexts(GetSubMenu(Root(), 0)));
    EXPECT_EQ((Texts{L"q"}), MenuItemTexts(GetSubMenu(Root(), 1)));

    ASSERT_TRUE(Build({FolderRecord(m_tree.Path(L"own") + L"\\"), FolderRecord(m_tree.Path(L"missing"))}));
    EXPECT_EQ((Texts{L"own", L"missing"}), MenuItemTexts(Root())) << "a trailing backslash does not empty the name";
    EXPECT_EQ((Texts{L"Empty"}), MenuItemTexts(FindSubMenu(Root(), L"missing")));
}

TEST_F(FolderMenuBuild, MergedMenusListSharedNamesOnceAndChoosingOneOpensTheFirstFoldersCopy) {
    std::wstring marker = m_tree.Path(L"marker.txt");
    m_tree.AddMarkerScript(L"first\\sub\\same.cmd", marker, "first");
    m_tree.AddMarkerScript(L"second\\sub\\same.cmd", marker, "second");
    for (const wchar_t* file :
         {L"first\\sub\\one.txt", L"first\\sub\\skip.log", L"second\\sub\\two.txt", L"second\\only.txt"})
        m_tree.AddFile(file);
    m_menu.SetMergeMenusInPopupMenu(TRUE);
    m_menu.SetExclusionFilter(L"*.log");

    ASSERT_TRUE(Build({FolderRecord(m_tree.Path(L"first")), FolderRecord(m_tree.Path(L"second"))}));
    EXPECT_EQ((Texts{L"sub", L"only.txt"}), MenuItemTexts(Root()));
    // The submenu is made when it is first highlighted.
    auto sub = [&]() { return FindSubMenu(Root(), L"sub"); };
    UINT chosen = Show({PressKeys(Root(), {VK_DOWN, VK_RIGHT}), [&]() {
                            return PressKeys(sub(), {VK_DOWN, VK_RETURN})();
                        }});
    EXPECT_EQ((Texts{L"one.txt", L"same.cmd", L"two.txt"}), MenuItemTexts(sub()))
        << "one submenu over both same-named folders, read through the filters when highlighted";
    EXPECT_FALSE(m_menu.RunCommand(0));
    ASSERT_TRUE(m_menu.RunCommand(chosen));
    EXPECT_EQ("first", WaitForMarkerLine(marker));
}

TEST_F(FolderMenuBuild, ASubmenuIsReadOnceInAShowingAndABuildWaitsUntilTheMenuIsClosed) {
    m_tree.AddFile(L"sub\\one.txt");
    m_tree.AddFile(L"two.txt");
    ASSERT_TRUE(BuildRoot());
    HMENU shown = Root();
    auto sub = [&]() { return FindSubMenu(Root(), L"sub"); };
    ASSERT_NE(nullptr, sub());
    EXPECT_EQ(0, GetMenuItemCount(sub())) << "not read before it is highlighted";
    EXPECT_EQ(nullptr, CPopUpMenu::FromOwnHandle(sub())) << "nor made";
    Texts firstRead;
    BOOL builtWhileOpen = TRUE;
    auto noteFirstReadAddFilesAndBuild = [&]() {
        if (GetMenuItemCount(sub()) == 0)
            return false;
        firstRead = MenuItemTexts(sub());
        m_tree.AddFile(L"sub\\later.txt");
        m_tree.AddFile(L"three.txt");
        builtWhileOpen = BuildRoot();
        return true;
    };
    Show({PressKeys(Root(), {VK_DOWN}), noteFirstReadAddFilesAndBuild, PressKeys(Root(), {VK_DOWN, VK_UP, VK_RIGHT}),
          [&]() { return FindMenuWindow(sub()) != nullptr; }});
    EXPECT_EQ((Texts{L"one.txt"}), firstRead);
    EXPECT_EQ((Texts{L"one.txt"}), MenuItemTexts(sub())) << "highlighted again in the same showing";
    EXPECT_FALSE(builtWhileOpen);
    EXPECT_EQ(shown, Root()) << "the open menu was left alone";
    EXPECT_EQ((Texts{L"sub", L"two.txt"}), MenuItemTexts(Root()));

    ASSERT_TRUE(BuildRoot()) << "once the menu is closed";
    EXPECT_EQ((Texts{L"sub", L"three.txt", L"two.txt"}), MenuItemTexts(Root()));
    HighlightSubMenuItem(m_menu, Root(), L"sub");
    EXPECT_EQ((Texts{L"later.txt", L"one.txt"}), MenuItemTexts(FindSubMenu(Root(), L"sub")));
}

// One folder of ten thousand files serves both menus: filling it is most of the case's time.
// desktop-free: FolderMenuBuild.TenThousandFilesAreListedInOrderAndMergeAndFilter
TEST_F(FolderMenuBuild, TenThousandFilesAreListedInOrderAndMergeAndFilter) {
    AddNumberedFiles(L"big", 0, 9999);
    const MergedFolder big = FolderRecord(m_tree.Path(L"big"));
    {
        CFolderMenu alone;
        ASSERT_TRUE(alone.Build(&big, 1, {TRUE, TRUE, TRUE}));
        Texts texts = MenuItemTexts(alone.GetRootMenu()->GetHandle());
        ASSERT_EQ(10000u, texts.size());
        EXPECT_EQ((Texts{L"file 0.txt", L"file 1.txt", L"file 10.txt"}), Texts(texts.begin(), texts.begin() + 3))
            << "past the first character names compare as text";
        EXPECT_EQ(L"file 9999.txt", texts.back());
    }
    // Under Wine the icons of shown files dominate, so few are shown here; enumeration, filters and
    // the merge lookup still see every name.
    AddNumberedFiles(L"small", 0, 10000, 100);
    m_menu.SetMergeMenusInPopupMenu(TRUE);
    m_menu.SetInclusionFilter(L"*00.txt");
    ASSERT_TRUE(Build({big, FolderRecord(m_tree.Path(L"small"))}));
    Texts texts = MenuItemTexts(Root());
    ASSERT_EQ(100u, texts.size()) << "99 names of both folders, listed once, and file 10000.txt; not file 0.txt";
    EXPECT_EQ((Texts{L"file 100.txt", L"file 1000.txt", L"file 10000.txt", L"file 1100.txt"}),
              Texts(texts.begin(), texts.begin() + 4));
    EXPECT_EQ(m_tree.Path(L"big\\file 9900.txt"), PathOfCommand(Root(), L"file 9900.txt"));
}

// desktop-free: FolderMenuBuild.RebuildingAndDestroyingGiveEveryIconBack
TEST_F(FolderMenuBuild, RebuildingAndDestroyingGiveEveryIconBack) {
    AddNumberedFiles(L"many", 0, 299);
    // Programs show icons of their own, read only for the items shown on screen (FolderMenuIcons).
    for (int index = 0; index < 100; ++index)
        m_tree.AddFile(L"many\\program " + std::to_wstring(index) + L".exe");
    m_tree.AddFile(L"many\\sub\\inside.txt");
    MergedFolder record = FolderRecord(m_tree.Path(L"many"));
    auto buildTwiceAndOpenTheSubmenu = [&]() {
        CFolderMenu menu;
        ASSERT_TRUE(menu.Build(&record, 1, {TRUE, TRUE, TRUE}));
        ASSERT_TRUE(menu.Build(&record, 1, {TRUE, TRUE, TRUE}));
        HMENU root = menu.GetRootMenu()->GetHandle();
        HighlightSubMenuItem(menu, root, L"sub");
        ASSERT_EQ((Texts{L"inside.txt"}), MenuItemTexts(FindSubMenu(root, L"sub")));
    };
    // The first round loads the shell's icon caches, which the process keeps for its life.
    buildTwiceAndOpenTheSubmenu();
    long before = GdiObjectCounter::Read();
    for (int round = 0; round < 4; ++round)
        buildTwiceAndOpenTheSubmenu();
    EXPECT_LE(GdiObjectCounter::Read() - before, 2) << "objects left behind by four menus built twice and destroyed";
}

TEST_F(FolderMenuBuild, ARebuildChangesItsMenusInPlaceToWhatAFreshBuildShows) {
    // Rounds of random changes, each followed by a rebuild, compared with a menu built anew:
    // files and folders come and go, extensions are hidden and shown again, a filter comes and
    // goes, and submenus are opened in some showings and left closed in others.
    std::mt19937 random(11);
    auto pick = [&](int count) { return static_cast<int>(random() % count); };
    m_tree.AddFile(L"kept.txt");
    for (int index = 0; index < 6; ++index) {
        m_tree.AddFile(L"f" + std::to_wstring(index) + L".txt");
        m_tree.AddFile(L"d" + std::to_wstring(index) + L"\\g0.txt");
    }
    auto change = [&]() {
        std::wstring folder = L"d" + std::to_wstring(pick(8));
        std::wstring inFolder = folder + L"\\g" + std::to_wstring(pick(4)) + (pick(2) ? L".txt" : L".exe");
        std::wstring file = L"f" + std::to_wstring(pick(10)) + (pick(2) ? L".txt" : L".exe");
        // Adds or deletes a file at the top or in a folder; a folder left empty goes too.
        int kind = pick(4);
        const std::wstring& path = kind < 2 ? file : inFolder;
        if (kind % 2 == 0)
            m_tree.AddFile(path);
        else
            DeleteFileW(m_tree.Path(path).c_str());
        if (kind == 3)
            RemoveDirectoryW(m_tree.Path(folder).c_str());
    };
    auto openSubMenus = [](CFolderMenu& menu) {
        HMENU root = menu.GetRootMenu()->GetHandle();
        for (const std::wstring& text : MenuItemTexts(root)) {
            if (FindSubMenu(root, text))
                HighlightSubMenuItem(menu, root, text);
        }
    };
    ASSERT_TRUE(BuildRoot());
    HMENU root = Root();
    UINT keptId = FindCommand(root, L"kept.txt");
    std::map<std::wstring, HMENU> menuOfFolder; // of folders listed in every build since opened
    int reused = 0;
    for (int round = 0; round < 12; ++round) {
        for (int changes = 1 + pick(4); changes > 0; --changes)
            change();
        BOOL hideExtensions = round % 5 == 4;
        LPCWSTR exclusion = round % 4 == 1 ? L"*.txt" : L"";
        m_menu.SetHideFilesExtensionInPopupMenu(hideExtensions);
        m_menu.SetExclusionFilter(exclusion);
        ASSERT_TRUE(BuildRoot());
        CFolderMenu fresh;
        fresh.SetHideFilesExtensionInPopupMenu(hideExtensions);
        fresh.SetExclusionFilter(exclusion);
        MergedFolder record = FolderRecord(m_tree.Root());
        ASSERT_TRUE(fresh.Build(&record, 1, {TRUE, TRUE, TRUE}));
        HMENU freshRoot = fresh.GetRootMenu()->GetHandle();
        Texts texts = MenuItemTexts(Root());
        ASSERT_EQ(MenuItemTexts(freshRoot), texts) << "round " << round;
        EXPECT_EQ(root, Root()) << "the root menu is kept";
        UINT keptNow = FindCommand(Root(), hideExtensions ? L"kept" : L"kept.txt");
        if (round % 5 != 0 && !hideExtensions && round % 4 != 1 && round % 4 != 2) {
            EXPECT_EQ(keptId, keptNow) << "an unchanged file keeps its item";
        }
        keptId = keptNow;
        for (auto folder = menuOfFolder.begin(); folder != menuOfFolder.end();)
            folder =
                std::count(texts.begin(), texts.end(), folder->first) ? std::next(folder) : menuOfFolder.erase(folder);
        if (round % 3 == 2)
            continue; // submenus left closed for a showing
        openSubMenus(m_menu);
        openSubMenus(fresh);
        for (const std::wstring& text : texts) {
            HMENU subMenu = FindSubMenu(Root(), text);
            if (!subMenu) {
                CFolderMenuItem* expected = fresh.GetEntryOfCommand(FindCommand(freshRoot, text));
                CFolderMenuItem* entry = m_menu.GetEntryOfCommand(FindCommand(Root(), text));
                ASSERT_EQ(!expected, !entry) << text;
                if (entry) {
                    EXPECT_EQ(expected->m_paths, entry->m_paths);
                }
                continue;
            }
            EXPECT_EQ(MenuItemTexts(FindSubMenu(freshRoot, text)), MenuItemTexts(subMenu)) << text;
            if (menuOfFolder.count(text)) {
                EXPECT_EQ(menuOfFolder[text], subMenu) << text << " was listed in every build since it was opened";
                ++reused;
            }
            menuOfFolder[text] = subMenu;
        }
    }
    EXPECT_GT(reused, 10);
}

TEST_F(FolderMenuBuild, ARebuildKeepsTheIconsOfUnchangedFilesAndTypesAndReadsChangedOnesAnew) {
    // Programs show an icon of their own, so each file's is read once it shows, and kept; also in a
    // submenu, which is read after the build. Files of a common type share the type's icon.
    m_tree.AddFile(L"icons\\sub\\same.exe", "same");
    m_tree.AddFile(L"icons\\sub\\changed.exe", "before");
    m_tree.AddFile(L"icons\\sub\\a.txt");
    m_tree.AddFile(L"icons\\sub\\b.txt");
    auto subMenu = [&]() { return FindSubMenu(Root(), L"sub"); };
    auto entry = [&](LPCWSTR text) { return m_menu.GetEntryOfCommand(FindCommand(subMenu(), text)); };
    auto iconOf = [&](LPCWSTR text) { return entry(text)->Icon(); };
    auto ownIconsRead = [&]() { return entry(L"same.exe")->m_hIcon.Get() && entry(L"changed.exe")->m_hIcon.Get(); };
    auto buildAndShowTheSubmenu = [&]() {
        ASSERT_TRUE(Build({FolderRecord(m_tree.Path(L"icons"))}));
        // The own icons come from a worker once the menu is on screen.
        Show({PressKeys(Root(), {VK_DOWN, VK_RIGHT}), [&]() { return FindMenuWindow(subMenu()) != nullptr; },
              ownIconsRead});
    };

    // What the item shows: its bitmap on the themed path, else the icon it is drawn with.
    auto shownBy = [&](LPCWSTR text) {
        MENUITEMINFOW item = ReadMenuItem(subMenu(), FindItemPosition(subMenu(), text), MIIM_BITMAP | MIIM_DATA);
        return std::make_pair(item.hbmpItem, reinterpret_cast<HICON>(item.dwItemData));
    };

    buildAndShowTheSubmenu();
    HICON sameBefore = iconOf(L"same.exe");
    HICON changedBefore = iconOf(L"changed.exe");
    ASSERT_NE(nullptr, sameBefore);
    HICON text = iconOf(L"a.txt");
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(text, iconOf(L"b.txt"));
    auto sameShown = shownBy(L"same.exe");
    auto changedShown = shownBy(L"changed.exe");
    m_tree.AddFile(L"icons\\sub\\changed.exe", "after, and longer");

    buildAndShowTheSubmenu();
    EXPECT_EQ(sameBefore, iconOf(L"same.exe")) << "moved to the new entry, not read again";
    EXPECT_EQ(sameShown, shownBy(L"same.exe"));
    EXPECT_EQ(text, iconOf(L"a.txt")) << "a type's icon is kept across builds";
    EXPECT_NE(changedBefore, iconOf(L"changed.exe"));
    EXPECT_NE(nullptr, iconOf(L"changed.exe"));
    EXPECT_FALSE(IconAlive(changedBefore)) << "the stale icon is destroyed";
    if (m_menu.GetRootMenu()->IsThemed()) {
        EXPECT_NE(changedShown.first, shownBy(L"changed.exe").first);
        EXPECT_EQ(0u, GetObjectType(changedShown.first)) << "the stale icon's item bitmap is freed";
    } else {
        EXPECT_EQ(iconOf(L"changed.exe"), shownBy(L"changed.exe").second);
    }

    m_menu.OnAssociationsChanged();
    buildAndShowTheSubmenu();
    EXPECT_NE(nullptr, iconOf(L"a.txt"));
    EXPECT_FALSE(IconAlive(text)) << "once associations changed, the type's old icon was given back and read anew";
}
