// What a folder menu lists for one folder: filters, hidden folders, order, names, shortcuts,
// libraries and the inputs that must not crash or hang it.
#include "menus/FolderMenu.h"
#include "menus/FolderTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::wstring> Texts;

class FolderMenuListing : public ::testing::Test {
protected:
    // Builds the tree's root as a "Menu" item with subfolders, navigation and links on.
    BOOL Build(BOOL includeSubFolders = TRUE, BOOL navigation = TRUE, BOOL links = TRUE) {
        MergedFolder record = FolderRecord(m_tree.Root());
        return m_menu.Build(&record, 1, includeSubFolders, navigation, links);
    }
    HMENU Root() const { return m_menu.GetRootMenu()->GetHandle(); }

    FolderTree m_tree;
    CFolderMenu m_menu;
};

} // namespace

TEST_F(FolderMenuListing, FiltersChooseFilesAndFoldersShowOnlyWhenTheyHoldAShownFile) {
    m_tree.AddFile(L"a.EXE");
    m_tree.AddFile(L"b.ini");
    m_tree.AddFile(L"c.txt");
    m_tree.AddFile(L"pictures.d\\d.jpg");
    m_tree.AddFile(L"deep\\inner\\setup.exe");
    m_tree.AddFile(L"texts\\e.txt");
    m_tree.AddFile(L"settings\\f.ini");
    m_tree.AddFolder(L"empty");
    m_menu.SetInclusionFilter(L"*.exe;*.jpg");
    m_menu.SetExclusionFilter(L"*.ini");

    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"deep", L"pictures.d", L"a.EXE"}), MenuItemTexts(Root()))
        << "case does not matter; folders are not filtered by name but by what they hold";
    EXPECT_TRUE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"texts").c_str()));
    EXPECT_FALSE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"deep").c_str()));

    m_menu.SetInclusionFilter(L";;;");
    m_menu.SetExclusionFilter(L"");
    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"deep", L"pictures.d", L"settings", L"texts", L"a.EXE", L"b.ini", L"c.txt"}),
              MenuItemTexts(Root()))
        << "an inclusion of only separators has no pattern and accepts everything";
}

TEST_F(FolderMenuListing, EntriesFollowTheNameOrderWithFoldersFirstLastOrMixed) {
    for (const wchar_t* name : {L"10 x", L"9 y", L"b", L"A"})
        m_tree.AddFile(name);
    m_tree.AddFile(L"folder 2\\file");
    m_tree.AddFile(L"Folder 1\\file");

    m_menu.SetFoldersPositionInPopupMenu(2);
    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"9 y", L"10 x", L"A", L"b", L"Folder 1", L"folder 2"}), MenuItemTexts(Root()));
    m_menu.SetFoldersPositionInPopupMenu(0);
    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"Folder 1", L"folder 2", L"9 y", L"10 x", L"A", L"b"}), MenuItemTexts(Root()));
    m_menu.SetFoldersPositionInPopupMenu(1);
    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"9 y", L"10 x", L"A", L"b", L"Folder 1", L"folder 2"}), MenuItemTexts(Root()));
}

TEST_F(FolderMenuListing, HidingExtensionsCutsFileNamesAtTheLastDotOnly) {
    m_tree.AddFile(L"archive.tar.gz");
    m_tree.AddFile(L".profile");
    m_tree.AddFile(L"README");
    m_tree.AddFile(L"my.folder\\inside.txt");
    m_tree.AddShortcut(L"notes.lnk", m_tree.Path(L"README"));

    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"my.folder", L".profile", L"archive.tar.gz", L"notes.lnk", L"README"}), MenuItemTexts(Root()));

    m_menu.SetHideFilesExtensionInPopupMenu(TRUE);
    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"my.folder", L"", L"archive.tar", L"notes", L"README"}), MenuItemTexts(Root()));
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoW(Root(), 1, TRUE, &item));
    EXPECT_FALSE(item.fType & MFT_SEPARATOR) << "a name that was all extension stays an entry";
    ASSERT_NE(nullptr, m_menu.GetEntryOfCommand(item.wID));
    EXPECT_EQ(m_tree.Path(L".profile"), m_menu.GetEntryOfCommand(item.wID)->m_paths.front())
        << "only the shown name is cut";
}

TEST_F(FolderMenuListing, SubfolderSettingsDecideAboutFoldersLibrariesAndShortcuts) {
    m_tree.AddFile(L"sub\\inside.txt");
    m_tree.AddFile(L"plain.txt");
    m_tree.AddEmptyLibrary(L"Documents.library-ms");
    m_tree.AddShortcut(L"To sub.lnk", m_tree.Path(L"sub"));

    ASSERT_TRUE(Build(FALSE, TRUE, TRUE));
    EXPECT_EQ((Texts{L"plain.txt", L"To sub.lnk"}), MenuItemTexts(Root()))
        << "without subfolders: no folders, no libraries, shortcuts to folders as files";
    EXPECT_EQ(nullptr, GetSubMenu(Root(), 1));

    ASSERT_TRUE(Build(TRUE, FALSE, TRUE));
    EXPECT_EQ((Texts{L"sub", L"Documents.library-ms", L"plain.txt", L"To sub.lnk"}), MenuItemTexts(Root()))
        << "without navigation libraries and shortcuts are files";
    EXPECT_EQ(nullptr, GetSubMenu(Root(), 0)) << "and folders are plain items";

    ASSERT_TRUE(Build(TRUE, TRUE, TRUE));
    EXPECT_EQ((Texts{L"sub", L"To sub", L"plain.txt"}), MenuItemTexts(Root()))
        << "a shortcut to a folder becomes that folder's submenu; an empty library is left out";
    HMENU shortcutMenu = FindSubMenu(Root(), L"To sub");
    ASSERT_NE(nullptr, shortcutMenu);
    HighlightSubMenuItem(m_menu, Root(), L"To sub");
    EXPECT_EQ((Texts{L"inside.txt"}), MenuItemTexts(shortcutMenu));

    ASSERT_TRUE(Build(TRUE, TRUE, FALSE));
    EXPECT_EQ((Texts{L"sub", L"plain.txt", L"To sub.lnk"}), MenuItemTexts(Root()));
}

TEST_F(FolderMenuListing, ShortcutLoopsDoNotKeepTheVisibilityScanGoing) {
    m_tree.AddShortcut(L"a\\up.lnk", m_tree.Root());
    m_tree.AddShortcut(L"x\\to y.lnk", m_tree.Path(L"y"));
    m_tree.AddShortcut(L"y\\to x.lnk", m_tree.Path(L"x"));
    m_menu.SetInclusionFilter(L"*.shown");
    ASSERT_TRUE(Build());

    EXPECT_FALSE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"a").c_str()))
        << "a shortcut to the folder's own parent counts as something to show";
    EXPECT_FALSE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"x").c_str()))
        << "two folders whose shortcuts lead to each other";
    EXPECT_EQ((Texts{L"a", L"x", L"y"}), MenuItemTexts(Root()));

    HMENU parentMenu = FindSubMenu(Root(), L"a");
    HighlightSubMenuItem(m_menu, Root(), L"a");
    ASSERT_EQ((Texts{L"up"}), MenuItemTexts(parentMenu));
    HMENU rootAgain = FindSubMenu(parentMenu, L"up");
    HighlightSubMenuItem(m_menu, parentMenu, L"up");
    EXPECT_EQ((Texts{L"a", L"x", L"y"}), MenuItemTexts(rootAgain)) << "the loop can be walked one level at a time";
}

TEST_F(FolderMenuListing, BadInputBuildsWithoutCrashOrHang) {
    MergedFolder missing = FolderRecord(m_tree.Path(L"does not exist"));
    EXPECT_FALSE(m_menu.Build(&missing, 1, TRUE, TRUE, TRUE));
    ASSERT_EQ((Texts{L"Empty"}), MenuItemTexts(Root()));
    EXPECT_EQ(static_cast<UINT>(MF_GRAYED), GetMenuState(Root(), 0, MF_BYPOSITION) & MF_GRAYED);

    // A name that fills the path to exactly 259 characters is listed; one character more is not.
    size_t room = MAX_PATH - 1 - m_tree.Root().size() - 1;
    std::wstring longest = std::wstring(room - 4, L'n') + L".txt";
    m_tree.AddFile(longest);
    m_tree.AddFile(std::wstring(room - 3, L'o') + L".txt");
    // Folders nested until the path of the one holding the file passes 258 characters.
    std::wstring nested = L"nest";
    while (m_tree.Path(nested).size() < 260)
        nested += L"\\nest";
    m_tree.AddFile(nested + L"\\deep.txt");
    std::wstring gone = m_tree.AddFile(L"gone.txt");
    m_tree.AddShortcut(L"broken.lnk", gone);
    DeleteFileW(gone.c_str());

    ASSERT_TRUE(Build());
    EXPECT_EQ((Texts{L"broken.lnk", longest}), MenuItemTexts(Root()))
        << "the nested folders hold nothing that can be shown";
}

TEST_F(FolderMenuListing, ShortcutIconsComeWithOrWithoutTheOverlay) {
    std::wstring target = m_tree.AddFile(L"target.txt");
    m_tree.AddShortcut(L"link.lnk", target);
    m_tree.AddShortcut(L"broken.lnk", m_tree.Path(L"missing.txt"));

    for (BOOL hideOverlay : {FALSE, TRUE}) {
        m_menu.SetHideShortcutsOverlayInPopupMenu(hideOverlay);
        ASSERT_TRUE(Build());
        for (const wchar_t* name : {L"link.lnk", L"broken.lnk", L"target.txt"}) {
            CFolderMenuItem* entry = m_menu.GetEntryOfCommand(FindCommand(Root(), name));
            ASSERT_NE(nullptr, entry) << name;
            EXPECT_NE(nullptr, entry->m_hIcon) << name << (hideOverlay ? " without" : " with") << " the overlay";
        }
    }
}
