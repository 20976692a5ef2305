// What a folder menu lists for one folder: filters, hidden folders, order, names, shortcuts,
// libraries and the inputs that must not crash or hang it.
#include "menus/FolderTree.h"

typedef FolderMenuTest FolderMenuListing;

// desktop-free: FolderMenuListing
TEST_F(FolderMenuListing, FiltersChooseFilesAndFoldersShowOnlyWhenTheyHoldAShownFile) {
    for (const wchar_t* file : {L"a.EXE", L"b.ini", L"c.txt", L"pictures.d\\d.jpg", L"deep\\inner\\setup.exe",
                                L"texts\\e.txt", L"settings\\f.ini"})
        m_tree.AddFile(file);
    CreateDirectoryW(m_tree.Path(L"empty").c_str(), nullptr);
    m_menu.SetInclusionFilter(L"*.exe;*.jpg");
    m_menu.SetExclusionFilter(L"*.ini");

    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ((Texts{L"deep", L"pictures.d", L"a.EXE"}), MenuItemTexts(Root()))
        << "case does not matter; folders are not filtered by name but by what they hold";
    EXPECT_TRUE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"texts").c_str()));
    EXPECT_FALSE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"deep").c_str()));
}

TEST_F(FolderMenuListing, EntriesFollowTheNameOrderWithFoldersFirstLastOrMixed) {
    for (const wchar_t* file : {L"10 x", L"9 y", L"b", L"A", L"z", L"folder 2\\file", L"Folder 1\\file"})
        m_tree.AddFile(file);
    const std::vector<std::pair<UINT, Texts>> orders = {
        {0, {L"Folder 1", L"folder 2", L"9 y", L"10 x", L"A", L"b", L"z"}},
        {1, {L"9 y", L"10 x", L"A", L"b", L"z", L"Folder 1", L"folder 2"}},
        {2, {L"9 y", L"10 x", L"A", L"b", L"Folder 1", L"folder 2", L"z"}}};
    for (const auto& order : orders) {
        m_menu.SetFoldersPositionInPopupMenu(order.first);
        ASSERT_TRUE(BuildRoot());
        EXPECT_EQ(order.second, MenuItemTexts(Root())) << "folders position " << order.first;
    }
}

TEST_F(FolderMenuListing, HidingExtensionsCutsFileNamesAtTheLastDotOnly) {
    for (const wchar_t* file : {L"archive.tar.gz", L".profile", L"README", L"my.folder\\inside.txt"})
        m_tree.AddFile(file);
    m_tree.AddShortcut(L"notes.lnk", m_tree.Path(L"README"));

    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ((Texts{L"my.folder", L".profile", L"archive.tar.gz", L"notes.lnk", L"README"}), MenuItemTexts(Root()));
    m_menu.SetHideFilesExtensionInPopupMenu(TRUE);
    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ((Texts{L"my.folder", L"", L"archive.tar", L"notes", L"README"}), MenuItemTexts(Root()));
    // A name that was all extension stays an entry, not a separator, and only the shown name is cut.
    EXPECT_FALSE(GetMenuState(Root(), 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(m_tree.Path(L".profile"), PathOfCommand(Root(), L""));
}

TEST_F(FolderMenuListing, SubfolderSettingsDecideAboutFoldersLibrariesAndShortcuts) {
    m_tree.AddFile(L"sub\\inside.txt");
    CreateDirectoryW(m_tree.Path(L"hollow").c_str(), nullptr);
    m_tree.AddFile(L"plain.txt");
    m_tree.AddFile(L"Documents.library-ms",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                   "<libraryDescription xmlns=\"http://schemas.microsoft.com/windows/2009/library\">\r\n"
                   "  <searchConnectorDescriptionList/>\r\n</libraryDescription>\r\n");
    m_tree.AddShortcut(L"To sub.lnk", m_tree.Path(L"sub"));

    ASSERT_TRUE(BuildRoot(FALSE, TRUE, TRUE));
    EXPECT_EQ((Texts{L"plain.txt", L"To sub.lnk"}), MenuItemTexts(Root()))
        << "without subfolders: no folders, no libraries, shortcuts to folders as files";
    EXPECT_EQ(nullptr, GetSubMenu(Root(), 1));

    ASSERT_TRUE(BuildRoot(TRUE, FALSE, TRUE));
    EXPECT_EQ((Texts{L"sub", L"Documents.library-ms", L"plain.txt", L"To sub.lnk"}), MenuItemTexts(Root()))
        << "without navigation libraries and shortcuts are files; a folder with nothing to show stays hidden";
    EXPECT_EQ(nullptr, GetSubMenu(Root(), 0)) << "and folders are commands that open the folder";
    EXPECT_EQ(m_tree.Path(L"sub"), PathOfCommand(Root(), L"sub"));

    ASSERT_TRUE(BuildRoot(TRUE, TRUE, TRUE));
    EXPECT_EQ((Texts{L"sub", L"To sub", L"plain.txt"}), MenuItemTexts(Root()))
        << "a shortcut to a folder becomes that folder's submenu; an empty library is left out";
    HighlightSubMenuItem(m_menu, Root(), L"To sub");
    EXPECT_EQ((Texts{L"inside.txt"}), MenuItemTexts(FindSubMenu(Root(), L"To sub")));

    m_tree.AddFile(L"other folder\\moved.txt");
    m_tree.AddShortcut(L"To sub.lnk", m_tree.Path(L"other folder"));
    for (int build = 0; build < 2; ++build) {
        ASSERT_TRUE(BuildRoot(TRUE, TRUE, TRUE));
        HighlightSubMenuItem(m_menu, Root(), L"To sub");
        EXPECT_EQ((Texts{L"moved.txt"}), MenuItemTexts(FindSubMenu(Root(), L"To sub")))
            << "a shortcut changed since the build before leads to its new target, build " << build;
    }
    ASSERT_TRUE(BuildRoot(TRUE, TRUE, FALSE));
    EXPECT_EQ((Texts{L"other folder", L"sub", L"plain.txt", L"To sub.lnk"}), MenuItemTexts(Root()));
}

TEST_F(FolderMenuListing, ShortcutLoopsDoNotKeepTheVisibilityScanGoing) {
    m_tree.AddShortcut(L"a\\up.lnk", m_tree.Root());
    m_tree.AddShortcut(L"x\\to y.lnk", m_tree.Path(L"y"));
    m_tree.AddShortcut(L"y\\to x.lnk", m_tree.Path(L"x"));
    m_menu.SetInclusionFilter(L"*.shown");
    ASSERT_TRUE(BuildRoot());

    EXPECT_FALSE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"a").c_str()))
        << "a shortcut to the folder's own parent counts as something to show";
    EXPECT_FALSE(m_menu.IsFolderWithoutVisibleFiles(m_tree.Path(L"x").c_str()))
        << "two folders whose shortcuts lead to each other";
    EXPECT_EQ((Texts{L"a", L"x", L"y"}), MenuItemTexts(Root()));

    HighlightSubMenuItem(m_menu, Root(), L"a");
    HMENU parentMenu = FindSubMenu(Root(), L"a");
    ASSERT_EQ((Texts{L"up"}), MenuItemTexts(parentMenu));
    HighlightSubMenuItem(m_menu, parentMenu, L"up");
    EXPECT_EQ((Texts{L"a", L"x", L"y"}), MenuItemTexts(FindSubMenu(parentMenu, L"up")))
        << "the loop can be walked one level at a time";
}

TEST_F(FolderMenuListing, BadInputBuildsWithoutCrashOrHang) {
    EXPECT_FALSE(Build({FolderRecord(m_tree.Path(L"does not exist"))}));
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

    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ((Texts{L"broken.lnk", longest}), MenuItemTexts(Root()))
        << "the nested folders hold nothing that can be shown";
}
