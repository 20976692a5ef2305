#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/SpecialPath.h"
#include "containers/ContainerBase.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef CIniFileEx<CGenericPathwrenObject> FoldersFile;

// Loads the one section "Item" of a UTF-16 file holding the given keys.
void LoadItem(const std::wstring& keys, CSingleFolderOptions& item) {
    TempDirectory temp;
    std::wstring path = temp.File(L"FoldersOptions.ini");
    ASSERT_TRUE(WriteUtf16File(path, L"[Item]\r\n" + keys));
    CIniFile file(path.c_str());
    file.SetSectionName(L"Item");
    ASSERT_TRUE(item.Load(file));
}

// An item in which every setting differs from its default.
void FillEverySetting(CSingleFolderOptions& item, int seed) {
    item.FolderPresentationType = FolderPresentationMultipleFoldersMenu;
    swprintf(item.DisplayName, 256, L"Projects %d", seed);
    wcscpy(item.Path, L"::CSIDL:0x5");
    wcscpy(item.AssociatedIconPath, L"C:\\icons\\a.ico");
    item.AssociatedIconIndex = 3 + seed;
    item.IncludeSubFolders = FALSE;
    item.AllowSubFoldersNavigation = FALSE;
    item.AllowSubFoldersLinksNavigation = FALSE;
    wcscpy(item.InclusionFilters, L"*.exe;*.jpg");
    wcscpy(item.ExclusionFilters, L"*.ini");
    item.FolderViewMode = 6;
    item.RememberLastPosition = FALSE;
    item.OneClickActivate = FALSE;
    SetRect(&item.WindowRect, 10, 20, 410, 320);
    item.WindowPositionX = -5;
    item.WindowPositionY = 77;
    item.IsMaximized = TRUE;
    item.AutoHideOnFileExecution = FALSE;
    item.ZOrder = 2;
    item.HideToolBarForHomeFolder = TRUE;
    item.HideToolBar = TRUE;
    item.ShowAtStartup = TRUE;
    item.StartMaximized = TRUE;
    item.SaveIconsPositionsForHomeFolder = TRUE;
    item.HomeFolderIconPositions->push_back({L"Recycle Bin", 10, -20});
    item.HomeFolderIconPositions->push_back({L"notes.txt", 300, 40});
    item.TextColorSepcified = TRUE;
    item.TextColor = 0x123456;
    item.TextBackgroundColorSepcified = TRUE;
    item.TextBackgroundColor = 0x654321;
    item.BackgroundType = 3;
    item.BackgroundColor = 0x0000FF;
    item.BackgroundColor1 = 0x111111;
    item.BackgroundColor2 = 0x222222;
    item.BackgroundGradiantType = 2;
    wcscpy(item.BackgroundImagePath, L"back.png");
    item.BackgroundImagePosition = 9;
    item.HotKeyModifier = MOD_CONTROL | MOD_ALT;
    item.HotKeyVirtualKey = 'P';
    item.MergedFolders->push_back({1, L"Shared", L"C:\\one"});
    item.MergedFolders->push_back({0, L"Other", L"relative\\two"});
    item.HideFilesExtensionInPopupMenu = FALSE;
    item.HideShortcutsOverlayInPopupMenu = FALSE;
    item.FoldersPositionInPopupMenu = 2;
    item.MergeMenusInPopupMenu = FALSE;
    item.EnableHotCorner = TRUE;
    item.HotCornerScreenIndex = 1;
    item.HotCornerPosition = 3;
    item.HotCornerWidth = 12;
    item.HotCornerHeight = 14;
    item.LaunchBarFreeSpaceBeforeIcon = 6;
    wcscpy(item.AssociatedHotIconPath, L"hot.ico");
    item.AssociatedHotIconIndex = 1;
    wcscpy(item.AssociatedDownIconPath, L"down.ico");
    item.AssociatedDownIconIndex = 2;
    item.AssociatedIconPosition = 2;
}

void ExpectSameSettings(const CSingleFolderOptions& a, const CSingleFolderOptions& b) {
    EXPECT_EQ(a.FolderPresentationType, b.FolderPresentationType);
    EXPECT_STREQ(a.DisplayName, b.DisplayName);
    EXPECT_STREQ(a.Path, b.Path);
    EXPECT_STREQ(a.AssociatedIconPath, b.AssociatedIconPath);
    EXPECT_EQ(a.AssociatedIconIndex, b.AssociatedIconIndex);
    EXPECT_EQ(a.IncludeSubFolders, b.IncludeSubFolders);
    EXPECT_EQ(a.AllowSubFoldersNavigation, b.AllowSubFoldersNavigation);
    EXPECT_EQ(a.AllowSubFoldersLinksNavigation, b.AllowSubFoldersLinksNavigation);
    EXPECT_STREQ(a.InclusionFilters, b.InclusionFilters);
    EXPECT_STREQ(a.ExclusionFilters, b.ExclusionFilters);
    EXPECT_EQ(a.FolderViewMode, b.FolderViewMode);
    EXPECT_EQ(a.RememberLastPosition, b.RememberLastPosition);
    EXPECT_EQ(a.OneClickActivate, b.OneClickActivate);
    EXPECT_EQ(a.WindowRect.right - a.WindowRect.left, b.WindowRect.right - b.WindowRect.left);
    EXPECT_EQ(a.WindowRect.bottom - a.WindowRect.top, b.WindowRect.bottom - b.WindowRect.top);
    EXPECT_EQ(a.WindowPositionX, b.WindowPositionX);
    EXPECT_EQ(a.WindowPositionY, b.WindowPositionY);
    EXPECT_EQ(a.IsMaximized, b.IsMaximized);
    EXPECT_EQ(a.AutoHideOnFileExecution, b.AutoHideOnFileExecution);
    EXPECT_EQ(a.ZOrder, b.ZOrder);
    EXPECT_EQ(a.HideToolBarForHomeFolder, b.HideToolBarForHomeFolder);
    EXPECT_EQ(a.HideToolBar, b.HideToolBar);
    EXPECT_EQ(a.ShowAtStartup, b.ShowAtStartup);
    EXPECT_EQ(a.StartMaximized, b.StartMaximized);
    EXPECT_EQ(a.SaveIconsPositionsForHomeFolder, b.SaveIconsPositionsForHomeFolder);
    ASSERT_EQ(a.HomeFolderIconPositions->size(), b.HomeFolderIconPositions->size());
    for (size_t i = 0; i < a.HomeFolderIconPositions->size(); ++i) {
        EXPECT_STREQ((*a.HomeFolderIconPositions)[i].Name, (*b.HomeFolderIconPositions)[i].Name);
        EXPECT_EQ((*a.HomeFolderIconPositions)[i].X, (*b.HomeFolderIconPositions)[i].X);
        EXPECT_EQ((*a.HomeFolderIconPositions)[i].Y, (*b.HomeFolderIconPositions)[i].Y);
    }
    EXPECT_EQ(a.TextColorSepcified, b.TextColorSepcified);
    EXPECT_EQ(a.TextColor, b.TextColor);
    EXPECT_EQ(a.TextBackgroundColorSepcified, b.TextBackgroundColorSepcified);
    EXPECT_EQ(a.TextBackgroundColor, b.TextBackgroundColor);
    EXPECT_EQ(a.BackgroundType, b.BackgroundType);
    EXPECT_EQ(a.BackgroundColor, b.BackgroundColor);
    EXPECT_EQ(a.BackgroundColor1, b.BackgroundColor1);
    EXPECT_EQ(a.BackgroundColor2, b.BackgroundColor2);
    EXPECT_EQ(a.BackgroundGradiantType, b.BackgroundGradiantType);
    EXPECT_STREQ(a.BackgroundImagePath, b.BackgroundImagePath);
    EXPECT_EQ(a.BackgroundImagePosition, b.BackgroundImagePosition);
    EXPECT_EQ(a.HotKeyModifier, b.HotKeyModifier);
    EXPECT_EQ(a.HotKeyVirtualKey, b.HotKeyVirtualKey);
    ASSERT_EQ(a.MergedFolders->size(), b.MergedFolders->size());
    for (size_t i = 0; i < a.MergedFolders->size(); ++i) {
        EXPECT_EQ((*a.MergedFolders)[i].MergedMenu, (*b.MergedFolders)[i].MergedMenu);
        EXPECT_STREQ((*a.MergedFolders)[i].MergedMenuName, (*b.MergedFolders)[i].MergedMenuName);
        EXPECT_STREQ((*a.MergedFolders)[i].Directory, (*b.MergedFolders)[i].Directory);
    }
    EXPECT_EQ(a.HideFilesExtensionInPopupMenu, b.HideFilesExtensionInPopupMenu);
    EXPECT_EQ(a.HideShortcutsOverlayInPopupMenu, b.HideShortcutsOverlayInPopupMenu);
    EXPECT_EQ(a.FoldersPositionInPopupMenu, b.FoldersPositionInPopupMenu);
    EXPECT_EQ(a.MergeMenusInPopupMenu, b.MergeMenusInPopupMenu);
    EXPECT_EQ(a.EnableHotCorner, b.EnableHotCorner);
    EXPECT_EQ(a.HotCornerScreenIndex, b.HotCornerScreenIndex);
    EXPECT_EQ(a.HotCornerPosition, b.HotCornerPosition);
    EXPECT_EQ(a.HotCornerWidth, b.HotCornerWidth);
    EXPECT_EQ(a.HotCornerHeight, b.HotCornerHeight);
    EXPECT_EQ(a.LaunchBarFreeSpaceBeforeIcon, b.LaunchBarFreeSpaceBeforeIcon);
    EXPECT_STREQ(a.AssociatedHotIconPath, b.AssociatedHotIconPath);
    EXPECT_EQ(a.AssociatedHotIconIndex, b.AssociatedHotIconIndex);
    EXPECT_STREQ(a.AssociatedDownIconPath, b.AssociatedDownIconPath);
    EXPECT_EQ(a.AssociatedDownIconIndex, b.AssociatedDownIconIndex);
    EXPECT_EQ(a.AssociatedIconPosition, b.AssociatedIconPosition);
}

const std::vector<std::wstring> kSavedKeyOrder = {L"FolderPresentationType",
                                                  L"DisplayName",
                                                  L"MultipleDirectoriesNumber",
                                                  L"Directory_0",
                                                  L"MergedMenu_0",
                                                  L"MergedMenuName_0",
                                                  L"Directory_1",
                                                  L"MergedMenu_1",
                                                  L"MergedMenuName_1",
                                                  L"Path",
                                                  L"AssociatedIconPath",
                                                  L"AssociatedIconIndex",
                                                  L"AssociatedHotIconPath",
                                                  L"AssociatedHotIconIndex",
                                                  L"AssociatedDownIconPath",
                                                  L"AssociatedDownIconIndex",
                                                  L"AssociatedIconPosition",
                                                  L"IncludeSubFolders",
                                                  L"AllowSubFoldersNavigation",
                                                  L"AllowSubFoldersLinksNavigation",
                                                  L"InclusionFilters",
                                                  L"ExclusionFilters",
                                                  L"HideFilesExtensionInPopupMenu",
                                                  L"HideShortcutsOverlayInPopupMenu",
                                                  L"FoldersPositionInPopupMenu",
                                                  L"MergeMenusInPopupMenu",
                                                  L"FolderViewMode",
                                                  L"RememberLastPosition",
                                                  L"OneClickActivate",
                                                  L"AutoHideOnFileExecution",
                                                  L"IsMaximized",
                                                  L"BrowserWidth",
                                                  L"BrowserHeight",
                                                  L"WindowPositionX",
                                                  L"WindowPositionY",
                                                  L"ZOrder",
                                                  L"HideToolBarForHomeFolder",
                                                  L"HideToolBar",
                                                  L"ShowAtStartup",
                                                  L"StartMaximized",
                                                  L"SaveIconsPositionsForHomeFolder",
                                                  L"NbIconsInHomeFolder",
                                                  L"HomeFolderItemName_0",
                                                  L"HomeFolderItemPosX_0",
                                                  L"HomeFolderItemPosY_0",
                                                  L"HomeFolderItemName_1",
                                                  L"HomeFolderItemPosX_1",
                                                  L"HomeFolderItemPosY_1",
                                                  L"TextColorSepcified",
                                                  L"TextColor",
                                                  L"TextBackgroundColorSepcified",
                                                  L"TextBackgroundColor",
                                                  L"BackgroundType",
                                                  L"BackgroundColor",
                                                  L"BackgroundColor1",
                                                  L"BackgroundColor2",
                                                  L"BackgroundGradiantType",
                                                  L"BackgroundImagePath",
                                                  L"BackgroundImagePosition",
                                                  L"HotKeyModifier",
                                                  L"HotKeyVirtualKey",
                                                  L"EnableHotCorner",
                                                  L"HotCornerScreenIndex",
                                                  L"HotCornerPosition",
                                                  L"HotCornerWidth",
                                                  L"HotCornerHeight",
                                                  L"LaunchBarFreeSpaceBeforeIcon"};

struct DestroyCounter : CContainerBase {
    explicit DestroyCounter(int* count) : CContainerBase(nullptr, nullptr), m_count(count) {}
    BOOL SaveState() override { return TRUE; }
    void Destroy() override {
        ++*m_count;
        CContainerBase::Destroy();
    }
    int* m_count;
};

} // namespace

TEST(SingleFolderOptions, NewItemsAndEmptySectionsGetTheDefaults) {
    SIZE work = GetFirstMonitorWorkAreaSize();
    ASSERT_GT(work.cx, 0);
    CSingleFolderOptions fresh;
    EXPECT_EQ(FolderPresentationMenu, fresh.FolderPresentationType);
    EXPECT_STREQ(L"c:\\", fresh.Path);
    EXPECT_EQ(1, fresh.AssociatedIconPosition) << "a new item centres its launch bar button";
    EXPECT_EQ(work.cx / 3, fresh.WindowRect.right);
    EXPECT_EQ(work.cy / 3, fresh.WindowRect.bottom);
    EXPECT_EQ(work.cx / 3, fresh.WindowPositionX);
    EXPECT_EQ(3, fresh.FolderViewMode);
    EXPECT_EQ(0xFFFFFFu, fresh.TextBackgroundColor);
    EXPECT_EQ(0x00FF00u, fresh.BackgroundColor1);
    EXPECT_EQ(0xFF0000u, fresh.BackgroundColor2);
    EXPECT_EQ(8, fresh.HotCornerWidth);

    CSingleFolderOptions loaded;
    LoadItem(L"", loaded);
    CSingleFolderOptions expected;
    expected.AssociatedIconPosition = 0; // the only key whose missing-key default differs
    ExpectSameSettings(expected, loaded);
}

TEST(SingleFolderOptions, TypeDecidesWhichKeysAreRead) {
    CSingleFolderOptions desktop;
    LoadItem(L"FolderPresentationType=1\r\nPath=D:\\Elsewhere\r\nDisplayName=Ignored\r\n", desktop);
    EXPECT_STREQ(L"::CSIDL:0x0", desktop.Path) << "a desktop item always shows the desktop";
    EXPECT_STREQ(L"", desktop.DisplayName);

    CSingleFolderOptions menu;
    LoadItem(L"Path=D:\\Music\r\nDisplayName=Ignored\r\nMultipleDirectoriesNumber=1\r\nDirectory_0=C:\\x\r\n", menu);
    EXPECT_STREQ(L"D:\\Music", menu.Path);
    EXPECT_STREQ(L"", menu.DisplayName);
    EXPECT_TRUE(menu.MergedFolders->empty()) << "merged folders belong to type 3 only";

    CSingleFolderOptions merged;
    LoadItem(L"FolderPresentationType=3\r\nDisplayName=Work\r\nMultipleDirectoriesNumber=3\r\n"
             L"Directory_0=C:\\a\r\nMergedMenu_0=1\r\nMergedMenuName_0=Docs\r\nDirectory_1=C:\\b\r\n",
             merged);
    EXPECT_STREQ(L"Work", merged.DisplayName);
    ASSERT_EQ(3u, merged.MergedFolders->size());
    EXPECT_STREQ(L"C:\\a", (*merged.MergedFolders)[0].Directory);
    EXPECT_EQ(1, (*merged.MergedFolders)[0].MergedMenu);
    EXPECT_STREQ(L"Docs", (*merged.MergedFolders)[0].MergedMenuName);
    EXPECT_STREQ(L"MergedFolder", (*merged.MergedFolders)[1].MergedMenuName);
    EXPECT_STREQ(L"c:\\", (*merged.MergedFolders)[2].Directory) << "a record without keys takes its defaults";
}

TEST(SingleFolderOptions, ConditionalKeysFollowTheirSwitches) {
    CSingleFolderOptions icons;
    LoadItem(L"AssociatedIconPath=C:\\app.exe\r\nAssociatedIconIndex=4\r\nAssociatedDownIconIndex=9\r\n", icons);
    EXPECT_STREQ(L"C:\\app.exe", icons.AssociatedHotIconPath) << "hot and down icons default to the normal one";
    EXPECT_STREQ(L"C:\\app.exe", icons.AssociatedDownIconPath);
    EXPECT_EQ(4, icons.AssociatedHotIconIndex);
    EXPECT_EQ(9, icons.AssociatedDownIconIndex);

    CSingleFolderOptions maximized;
    LoadItem(L"StartMaximized=1\r\nIsMaximized=0\r\n", maximized);
    EXPECT_TRUE(maximized.IsMaximized);

    const std::wstring positions = L"NbIconsInHomeFolder=1\r\nHomeFolderItemName_0=a\r\nHomeFolderItemPosX_0=5\r\n";
    CSingleFolderOptions skipped;
    LoadItem(L"SaveIconsPositionsForHomeFolder=0\r\n" + positions, skipped);
    EXPECT_TRUE(skipped.HomeFolderIconPositions->empty());
    CSingleFolderOptions kept;
    LoadItem(positions, kept);
    ASSERT_EQ(1u, kept.HomeFolderIconPositions->size());
    EXPECT_EQ(5, (*kept.HomeFolderIconPositions)[0].X);

    TempDirectory temp;
    std::wstring path = temp.File(L"save.ini");
    CIniFile file(path.c_str());
    kept.SaveIconsPositionsForHomeFolder = FALSE;
    kept.Save(file);
    std::vector<std::wstring> keys = ReadSectionKeysInFileOrder(path, L"Default");
    EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), L"NbIconsInHomeFolder"));
    EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), L"DisplayName"));
    EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), L"MultipleDirectoriesNumber"));
}

TEST(SingleFolderOptions, OnlyTheBrowserSizeIsStored) {
    TempDirectory temp;
    std::wstring path = temp.File(L"size.ini");
    CSingleFolderOptions item;
    SetRect(&item.WindowRect, 10, 30, 410, 230);
    CIniFile file(path.c_str());
    item.Save(file);
    INT width = 0, height = 0;
    file.ReadInt(L"BrowserWidth", 0, &width);
    file.ReadInt(L"BrowserHeight", 0, &height);
    EXPECT_EQ(400, width);
    EXPECT_EQ(200, height);
    CSingleFolderOptions back;
    back.Load(file);
    EXPECT_EQ(0, back.WindowRect.left);
    EXPECT_EQ(400, back.WindowRect.right);
    EXPECT_EQ(200, back.WindowRect.bottom);
}

TEST(SingleFolderOptions, SaveLoadRoundTripKeepsEverySettingInTheDocumentedKeyOrder) {
    TempDirectory temp;
    std::wstring path = temp.File(L"sub\\FoldersOptions.ini");
    std::vector<CGenericPathwrenObject*> items;
    for (int i = 0; i < 3; ++i) {
        items.push_back(new CGenericPathwrenObject());
        FillEverySetting(*items.back(), i);
    }
    items[1]->FolderPresentationType = FolderPresentationBrowser;
    items[1]->MergedFolders->clear();
    items[1]->DisplayName[0] = L'\0';
    {
        FoldersFile file(path.c_str());
        ASSERT_TRUE(file.SaveArray(L"Folders", items));
    }
    EXPECT_EQ(0xFF, ReadFileBytes(path)[0]);
    EXPECT_EQ(kSavedKeyOrder, ReadSectionKeysInFileOrder(path, L"Folders_0"));
    std::vector<std::wstring> browserKeys = ReadSectionKeysInFileOrder(path, L"Folders_1");
    ASSERT_FALSE(browserKeys.empty());
    EXPECT_EQ(L"Path", browserKeys[1]) << "type 0 writes no display name or merged folders";

    std::vector<CGenericPathwrenObject*> loaded;
    FoldersFile file(path.c_str());
    ASSERT_TRUE(file.LoadArray(L"Folders", loaded));
    ASSERT_EQ(3u, loaded.size());
    for (int i = 0; i < 3; ++i)
        ExpectSameSettings(*items[i], *loaded[i]);
    for (CGenericPathwrenObject* item : items)
        delete item;
    for (CGenericPathwrenObject* item : loaded)
        delete item;
}

TEST(SingleFolderOptions, CopyAppendsRecordsToTheDestinationsOwnVectors) {
    CSingleFolderOptions source;
    FillEverySetting(source, 1);
    CSingleFolderOptions destination;
    destination.MergedFolders->push_back({0, L"Kept", L"C:\\kept"});
    CSingleFolderOptions::CopyFolderOptions(source, destination);
    EXPECT_NE(source.MergedFolders, destination.MergedFolders);
    ASSERT_EQ(3u, destination.MergedFolders->size());
    EXPECT_STREQ(L"C:\\kept", (*destination.MergedFolders)[0].Directory);
    EXPECT_STREQ(L"C:\\one", (*destination.MergedFolders)[1].Directory);
    destination.MergedFolders->erase(destination.MergedFolders->begin());
    ExpectSameSettings(source, destination);
}

TEST(SingleFolderOptions, DisplayNameComesFromTheItemOrItsFolder) {
    TempDirectory temp;
    std::wstring folder = temp.File(L"Holiday");
    CreateDirectoryW(folder.c_str(), nullptr);
    CSingleFolderOptions item;
    wcscpy(item.Path, folder.c_str());
    WCHAR name[MAX_PATH];
    EXPECT_TRUE(item.GetDisplayName(name));
    EXPECT_STREQ(L"Holiday", name);

    wcscpy(item.Path, temp.File(L"missing").c_str());
    EXPECT_FALSE(item.GetDisplayName(name));
    EXPECT_STREQ(L"", name);

    item.FolderPresentationType = FolderPresentationMultipleFoldersMenu;
    wcscpy(item.DisplayName, L"My Menus");
    EXPECT_TRUE(item.GetDisplayName(name));
    EXPECT_STREQ(L"My Menus", name);
}

TEST(SingleFolderOptions, DamagedValuesLoadAsDefaultsWithoutHanging) {
    CSingleFolderOptions huge;
    DWORD start = GetTickCount();
    LoadItem(L"FolderPresentationType=3\r\nMultipleDirectoriesNumber=4294967295\r\nDirectory_0=C:\\a\r\n"
             L"Directory_1=C:\\b\r\nNbIconsInHomeFolder=-1\r\nHomeFolderItemName_0=x\r\n",
             huge);
    EXPECT_LT(GetTickCount() - start, 30000u);
    EXPECT_EQ(2u, huge.MergedFolders->size()) << "only the records that exist are kept";
    EXPECT_EQ(1u, huge.HomeFolderIconPositions->size());

    CSingleFolderOptions longValues;
    LoadItem(L"Path=" + std::wstring(400, L'p') + L"\r\nInclusionFilters=" + std::wstring(2000, L'f') + L"\r\n",
             longValues);
    EXPECT_EQ(259u, wcslen(longValues.Path));
    EXPECT_EQ(1023u, wcslen(longValues.InclusionFilters));

    TempDirectory temp;
    std::wstring path = temp.File(L"ansi.ini");
    ASSERT_TRUE(WriteFileBytes(path, {'[', 'I', ']', '\n', 'Z', 'O', 'r', 'd', 'e', 'r', '=', '2', '\n', 0x80, 0xFF}));
    CIniFile file(path.c_str());
    file.SetSectionName(L"I");
    CSingleFolderOptions ansi;
    EXPECT_TRUE(ansi.Load(file));
    EXPECT_EQ(2, ansi.ZOrder) << "an 8-bit file is still read";
}

TEST(GenericPathwrenObject, DestroysItsContainerOnce) {
    int destroyed = 0;
    {
        CGenericPathwrenObject item;
        item.m_pContainer = new DestroyCounter(&destroyed);
        item.ReleaseContainer();
        EXPECT_EQ(nullptr, item.m_pContainer);
        EXPECT_EQ(1, destroyed);
        item.m_pContainer = new DestroyCounter(&destroyed);
    }
    EXPECT_EQ(2, destroyed);
}
