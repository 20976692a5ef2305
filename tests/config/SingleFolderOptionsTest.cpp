#include "IniText.h"

#include "config/GenericPathwrenObject.h"
#include "config/IniFile.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Every key a "Multiple Folders Menu" item saves, in the order Save writes them, each value away
// from its default; negative numbers appear as the unsigned 32-bit text the profile API stores.
const std::wstring kEveryKey =
    L"FolderPresentationType=3\r\nDisplayName=Projects\r\nMultipleDirectoriesNumber=2\r\nDirectory_0=C:\\one\r\n"
    L"MergedMenu_0=1\r\nMergedMenuName_0=Shared\r\nDirectory_1=relative\\two\r\nMergedMenu_1=0\r\n"
    L"MergedMenuName_1=Other\r\nPath=::CSIDL:0x5\r\nAssociatedIconPath=C:\\icons\\a.ico\r\nAssociatedIconIndex=3\r\n"
    L"AssociatedHotIconPath=hot.ico\r\nAssociatedHotIconIndex=1\r\nAssociatedDownIconPath=down.ico\r\n"
    L"AssociatedDownIconIndex=2\r\nAssociatedIconPosition=2\r\nIncludeSubFolders=0\r\n"
    L"AllowSubFoldersNavigation=0\r\nAllowSubFoldersLinksNavigation=0\r\nInclusionFilters=*.exe;*.jpg\r\n"
    L"ExclusionFilters=*.ini\r\nHideFilesExtensionInPopupMenu=0\r\nHideShortcutsOverlayInPopupMenu=0\r\n"
    L"FoldersPositionInPopupMenu=2\r\nMergeMenusInPopupMenu=0\r\nFolderViewMode=6\r\nRememberLastPosition=0\r\n"
    L"OneClickActivate=0\r\nAutoHideOnFileExecution=0\r\nIsMaximized=1\r\nBrowserWidth=400\r\nBrowserHeight=300\r\n"
    L"BrowserSizeDpi=144\r\nWindowPositionX=4294967291\r\nWindowPositionY=77\r\nZOrder=2\r\nHideToolBarForHomeFolder="
    L"1\r\n"
    L"HideToolBar=1\r\nShowAtStartup=1\r\nStartMaximized=1\r\nSaveIconsPositionsForHomeFolder=1\r\n"
    L"NbIconsInHomeFolder=2\r\nHomeFolderItemName_0=Recycle Bin\r\nHomeFolderItemPosX_0=10\r\n"
    L"HomeFolderItemPosY_0=4294967276\r\nHomeFolderItemName_1=notes.txt\r\nHomeFolderItemPosX_1=300\r\n"
    L"HomeFolderItemPosY_1=40\r\nTextColorSepcified=1\r\nTextColor=1193046\r\nTextBackgroundColorSepcified=1\r\n"
    L"TextBackgroundColor=6636321\r\nBackgroundType=3\r\nBackgroundColor=255\r\nBackgroundColor1=1118481\r\n"
    L"BackgroundColor2=2236962\r\nBackgroundGradiantType=2\r\nBackgroundImagePath=back.png\r\n"
    L"BackgroundImagePosition=9\r\nHotKeyModifier=3\r\nHotKeyVirtualKey=80\r\nEnableHotCorner=1\r\n"
    L"HotCornerScreenIndex=1\r\nHotCornerPosition=3\r\nHotCornerWidth=12\r\nHotCornerHeight=14\r\n"
    L"LaunchBarFreeSpaceBeforeIcon=6\r\n";

std::unique_ptr<CSingleFolderOptions> Loaded(const std::wstring& keys) {
    auto item = std::make_unique<CSingleFolderOptions>();
    ReadIniText(L"[Item]\r\n" + keys, L"Item", [&](CIniFile& file) { ASSERT_TRUE(item->Load(file)); });
    return item;
}

std::wstring SavedText(CSingleFolderOptions& item) {
    std::wstring text = WrittenIniText(L"Item", [&](CIniFile& file) { EXPECT_TRUE(item.Save(file)); });
    EXPECT_EQ(0u, text.find(L"[Item]\r\n"));
    return text.substr(wcslen(L"[Item]\r\n"));
}

struct DestroyCounter final : IFolderItemContainer {
    explicit DestroyCounter(int* count) : m_count(count) {}
    void Destroy() override {
        ++*m_count;
        delete this;
    }
    int* m_count;
};

} // namespace

// desktop-free: SingleFolderOptions
TEST(SingleFolderOptions, TypeAndSwitchesDecideWhichKeysAreReadAndDamagedValuesLoadWithoutHanging) {
    auto desktop = Loaded(L"FolderPresentationType=1\r\nPath=D:\\Elsewhere\r\nDisplayName=Ignored\r\n");
    EXPECT_STREQ(L"::CSIDL:0x0", desktop->Path) << "a desktop item always shows the desktop";
    EXPECT_STREQ(L"", desktop->DisplayName);

    auto menu =
        Loaded(L"Path=D:\\Music\r\nDisplayName=Ignored\r\nMultipleDirectoriesNumber=1\r\nDirectory_0=C:\\x\r\n");
    EXPECT_STREQ(L"D:\\Music", menu->Path);
    EXPECT_STREQ(L"", menu->DisplayName);
    EXPECT_TRUE(menu->MergedFolders->empty()) << "merged folders belong to type 3 only";

    auto merged = Loaded(L"FolderPresentationType=3\r\nDisplayName=Work\r\nMultipleDirectoriesNumber=3\r\n"
                         L"Directory_0=C:\\a\r\nMergedMenu_0=1\r\nMergedMenuName_0=Docs\r\nDirectory_1=C:\\b\r\n");
    EXPECT_STREQ(L"Work", merged->DisplayName);
    ASSERT_EQ(3u, merged->MergedFolders->size());
    EXPECT_STREQ(L"C:\\a", (*merged->MergedFolders)[0].Directory);
    EXPECT_EQ(1, (*merged->MergedFolders)[0].MergedMenu);
    EXPECT_STREQ(L"Docs", (*merged->MergedFolders)[0].MergedMenuName);
    EXPECT_STREQ(L"MergedFolder", (*merged->MergedFolders)[1].MergedMenuName);
    EXPECT_STREQ(L"c:\\", (*merged->MergedFolders)[2].Directory) << "a record without keys takes its defaults";

    auto huge = Loaded(L"FolderPresentationType=3\r\nMultipleDirectoriesNumber=4294967295\r\nDirectory_0=C:\\a\r\n"
                       L"Directory_1=C:\\b\r\nNbIconsInHomeFolder=-1\r\nHomeFolderItemName_0=x\r\n");
    EXPECT_EQ(2u, huge->MergedFolders->size()) << "only the records that exist are kept";
    EXPECT_EQ(1u, huge->HomeFolderIconPositions->size());

    auto longValues =
        Loaded(L"Path=" + std::wstring(400, L'p') + L"\r\nInclusionFilters=" + std::wstring(2000, L'f') + L"\r\n");
    EXPECT_EQ(259u, wcslen(longValues->Path));
    EXPECT_EQ(1023u, wcslen(longValues->InclusionFilters));

    auto icons = Loaded(L"AssociatedIconPath=C:\\app.exe\r\nAssociatedIconIndex=4\r\nAssociatedDownIconIndex=9\r\n");
    EXPECT_STREQ(L"C:\\app.exe", icons->AssociatedHotIconPath) << "hot and down icons default to the normal one";
    EXPECT_STREQ(L"C:\\app.exe", icons->AssociatedDownIconPath);
    EXPECT_EQ(4, icons->AssociatedHotIconIndex);
    EXPECT_EQ(9, icons->AssociatedDownIconIndex);

    auto maximized = Loaded(L"StartMaximized=1\r\nIsMaximized=0\r\n");
    EXPECT_TRUE(maximized->IsMaximized);

    const std::wstring positions = L"NbIconsInHomeFolder=1\r\nHomeFolderItemName_0=a\r\nHomeFolderItemPosX_0=5\r\n";
    auto skipped = Loaded(L"SaveIconsPositionsForHomeFolder=0\r\n" + positions);
    EXPECT_TRUE(skipped->HomeFolderIconPositions->empty());
    auto kept = Loaded(positions);
    ASSERT_EQ(1u, kept->HomeFolderIconPositions->size());
    EXPECT_EQ(5, (*kept->HomeFolderIconPositions)[0].X);

    kept->SaveIconsPositionsForHomeFolder = FALSE;
    EXPECT_EQ(std::wstring::npos, SavedText(*kept).find(L"NbIconsInHomeFolder"));
}

TEST(SingleFolderOptions, EverySettingSurvivesLoadSaveAndCopyAndEmptySectionsGetTheDefaults) {
    auto item = Loaded(kEveryKey);
    EXPECT_EQ(kEveryKey, SavedText(*item));
    CSingleFolderOptions copy;
    copy.MergedFolders->push_back({0, L"Kept", L"C:\\kept"});
    CSingleFolderOptions::CopyFolderOptions(*item, copy);
    EXPECT_NE(item->MergedFolders, copy.MergedFolders);
    ASSERT_EQ(3u, copy.MergedFolders->size());
    EXPECT_STREQ(L"C:\\kept", (*copy.MergedFolders)[0].Directory) << "a copy appends to the destination's records";
    copy.MergedFolders->erase(copy.MergedFolders->begin());
    EXPECT_EQ(kEveryKey, SavedText(copy));

    EXPECT_EQ(0, item->WindowRect.left);
    EXPECT_EQ(300, item->WindowRect.bottom);
    SetRect(&item->WindowRect, 10, 30, 410, 330);
    EXPECT_EQ(kEveryKey, SavedText(*item)) << "only the browser's size is stored";

    item->FolderPresentationType = FolderPresentationBrowser;
    std::wstring browser = SavedText(*item);
    EXPECT_EQ(0u, browser.find(L"FolderPresentationType=0\r\nPath="))
        << "type 0 writes no display name or merged folders";
    auto loaded = Loaded(browser);
    EXPECT_EQ(browser, SavedText(*loaded));

    CSingleFolderOptions fresh;
    auto empty = Loaded(L"");
    fresh.AssociatedIconPosition = 0; // the only key whose missing-key default differs
    EXPECT_EQ(SavedText(fresh), SavedText(*empty));
}

// A folder's own name is what ItemActivation.AKeyWithoutModifier... shows and --show finds.
TEST(SingleFolderOptions, DisplayNameIsTheMenusOwnAndNoneForAMissingFolder) {
    TempDirectory temp;
    CSingleFolderOptions item;
    wcscpy(item.Path, temp.File(L"missing").c_str());
    WCHAR name[MAX_PATH];
    EXPECT_FALSE(item.GetDisplayName(name));
    EXPECT_STREQ(L"", name);

    item.FolderPresentationType = FolderPresentationMultipleFoldersMenu;
    wcscpy(item.DisplayName, L"My Menus");
    EXPECT_TRUE(item.GetDisplayName(name));
    EXPECT_STREQ(L"My Menus", name);
}

// desktop-free: GenericPathwrenObject
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
