#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/FolderMenuContainer.h"
#include "menus/FolderMenu.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/MenuTexts.h"
#include "support/MessagePump.h"
#include "support/Soak.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::wstring& path) {
    WriteFileBytes(path, {'x'});
}

// Writes a file into the folder and tells the shell, as Explorer does: Wine does not watch the
// file system itself.
void AnnounceNewFile(const std::wstring& path) {
    WriteFile(path);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr);
}

// The container of one item, with a program object in tray or launch bar mode and the built-in
// texts; prepare may change the item or the texts before the container is made.
struct FolderMenu {
    FolderMenu(const std::wstring& path, int launchMode = LaunchModeTrayIcons,
               const std::function<void(FolderMenu&)>& prepare = nullptr) {
        application.m_pOptions = new CApplicationOptions();
        application.m_pOptions->LaunchMode = launchMode;
        wcscpy(item.Path, path.c_str());
        if (prepare)
            prepare(*this);
        container.reset(new CFolderMenuContainer(GetModuleHandleW(nullptr), &application));
        container->SetDefaultIcon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED)));
        container->SetLanguage(&language);
        container->Initialize(&item);
        // As the first click does: these cases are about the menu once it exists.
        container->PrepareFolderMenu();
    }
    Texts RootTexts() const {
        CPopUpMenu* root = container->GetFolderMenu() ? container->GetFolderMenu()->GetRootMenu() : nullptr;
        return root ? MenuItemTexts(root->GetHandle()) : Texts();
    }
    // Pumps messages until the menu was built `count` more times (or five seconds passed).
    bool WaitForBuilds(UINT count) {
        UINT target = container->GetBuildCount() + count;
        return PumpMessagesUntil([&] { return container->GetBuildCount() >= target; }, 5000);
    }
    // Pumps messages through two more ticks of the refresh timer.
    void PassTwoRefreshTicks() {
        int ticks = 0;
        PumpMessagesUntil([&] { return ticks >= 2; }, 5000,
                          [&](const MSG& message) {
                              ticks += message.message == WM_TIMER &&
                                       message.wParam == reinterpret_cast<UINT_PTR>(container.get());
                          });
    }

    CPathwren application;
    CLanguage language;
    CGenericPathwrenObject item;
    std::unique_ptr<CFolderMenuContainer> container;
};

// Dismisses every menu tracked while it lives.
struct MenuDismisser {
    UINT_PTR timer = SetTimer(nullptr, 0, 15, Dismiss);
    ~MenuDismisser() { KillTimer(nullptr, timer); }
    static void CALLBACK Dismiss(HWND, UINT, UINT_PTR, DWORD) {
        if (HWND menu = FindOwnWindow(L"#32768"))
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
};

} // namespace

TEST(FolderMenuContainer, AnnouncedChangesRebuildTheMenuOnceOnTheNextTick) {
    TempDirectory folder;
    WriteFile(folder.File(L"first.txt"));
    FolderMenu menu(folder.Path());
    ASSERT_NE(0u, menu.container->GetRegistration()) << "the folder is watched";
    EXPECT_EQ((std::vector<std::wstring>{L"first"}), menu.RootTexts());

    UINT builds = menu.container->GetBuildCount();
    for (int i = 0; i < 5; ++i)
        AnnounceNewFile(folder.File(L"added " + std::to_wstring(i) + L".txt"));
    ASSERT_TRUE(menu.WaitForBuilds(1));
    EXPECT_EQ(6u, menu.RootTexts().size());
    menu.PassTwoRefreshTicks();
    EXPECT_EQ(builds + 1, menu.container->GetBuildCount()) << "changes within one period make one rebuild, "
                                                              "and no change makes none";
}

TEST(FolderMenuContainer, ALaunchBarButtonStartsWatchingOnceItsOwnerWindowArrives) {
    TempDirectory folder;
    WriteFile(folder.File(L"first.txt"));
    FolderMenu menu(folder.Path(), LaunchModeLaunchBar);
    EXPECT_EQ(nullptr, menu.container->GetNotifyIcon());
    EXPECT_EQ(0u, menu.container->GetRegistration()) << "no owner window yet";
    HWND toolbar = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    menu.container->SetOwnerWindow(toolbar);
    EXPECT_NE(0u, menu.container->GetRegistration());
    AnnounceNewFile(folder.File(L"added.txt"));
    EXPECT_TRUE(menu.WaitForBuilds(1));
    EXPECT_EQ(2u, menu.RootTexts().size());
    menu.container.reset();
    DestroyWindow(toolbar);
}

TEST(FolderMenuContainer, ItemsSharingTheLaunchBarsWindowEachRefreshOnTheirOwnFolder) {
    TempDirectory folders[3];
    std::unique_ptr<FolderMenu> menus[3];
    HWND toolbar = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < 3; ++i) {
        menus[i].reset(new FolderMenu(folders[i].Path(), LaunchModeLaunchBar));
        menus[i]->container->SetOwnerWindow(toolbar);
        ASSERT_NE(0u, menus[i]->container->GetRegistration()) << "item " << i;
    }
    // Announces a file in one folder and checks that exactly that item rebuilt.
    auto changeOnly = [&](int changed) {
        UINT before[3] = {};
        for (int i = 0; i < 3; ++i)
            before[i] = menus[i] ? menus[i]->container->GetBuildCount() : 0;
        AnnounceNewFile(folders[changed].File(L"added.txt"));
        PumpMessagesUntil([] { return false; }, 1200);
        for (int i = 0; i < 3; ++i) {
            if (!menus[i])
                continue;
            EXPECT_EQ(before[i] + (i == changed ? 1 : 0), menus[i]->container->GetBuildCount())
                << "change in folder " << changed << ", item " << i;
        }
        DeleteFileW(folders[changed].File(L"added.txt").c_str());
    };
    for (int changed = 0; changed < 3; ++changed)
        changeOnly(changed);
    menus[0].reset();
    changeOnly(1);
    changeOnly(2);
    menus[1].reset();
    menus[2].reset();
    DestroyWindow(toolbar);
}

// Every item watching through the launch bar's one window needs a message of its own, and a
// configuration may have any number of items.
TEST(FolderMenuContainer, TheHundredthItemSharingAWindowStillRefreshes) {
    TempDirectory shared, last;
    HWND toolbar = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    std::vector<std::unique_ptr<FolderMenu>> menus;
    for (int i = 0; i < 100; ++i) {
        menus.emplace_back(new FolderMenu(i < 99 ? shared.Path() : last.Path(), LaunchModeLaunchBar));
        menus.back()->container->SetOwnerWindow(toolbar);
    }
    FolderMenu& hundredth = *menus.back();
    EXPECT_NE(0u, hundredth.container->GetRegistration()) << "the hundredth folder is watched";
    AnnounceNewFile(last.File(L"added.txt"));
    EXPECT_TRUE(hundredth.WaitForBuilds(1)) << "the hundredth item missed the change";
    menus.clear();
    DestroyWindow(toolbar);
}

TEST(FolderMenuContainer, VanishedFoldersKeepAMenusContentButEmptyAMultipleFoldersMenu) {
    std::unique_ptr<FolderMenu> single;
    std::unique_ptr<FolderMenu> multiple;
    {
        TempDirectory first;
        TempDirectory second;
        WriteFile(first.File(L"one.txt"));
        WriteFile(second.File(L"two.txt"));
        single.reset(new FolderMenu(first.Path()));
        multiple.reset(new FolderMenu(L"Q:\\does not matter", LaunchModeTrayIcons, [&](FolderMenu& menu) {
            menu.item.FolderPresentationType = FolderPresentationMultipleFoldersMenu;
            for (const TempDirectory* folder : {&first, &second}) {
                MergedFolder merged = {0, L"", L""};
                wcscpy(merged.Directory, folder->Path().c_str());
                menu.item.MergedFolders->push_back(merged);
            }
        }));
        ASSERT_EQ(2u, multiple->RootTexts().size()) << "one submenu per folder";
    }
    EXPECT_FALSE(single->container->Rebuild());
    EXPECT_EQ((std::vector<std::wstring>{L"one"}), single->RootTexts());
    EXPECT_TRUE(multiple->container->Rebuild());
    EXPECT_TRUE(multiple->RootTexts().empty());
}

TEST(FolderMenuContainer, FolderErrorsShowABalloonOnlyOnATrayIcon) {
    static std::vector<NOTIFYICONDATAW> modifications;
    modifications.clear();
    CNotifyIcon::ShellNotifyIconFunction real = CNotifyIcon::s_shellNotifyIcon;
    CNotifyIcon::s_shellNotifyIcon = [](DWORD message, PNOTIFYICONDATAW data) -> BOOL {
        if (message == NIM_MODIFY)
            modifications.push_back(*data);
        return Shell_NotifyIconW(message, data);
    };
    TempDirectory folder;
    for (int launchMode : {LaunchModeTrayIcons, LaunchModeLaunchBar}) {
        FolderMenu menu(folder.Path(), launchMode,
                        [](FolderMenu& menu) { wcscpy(menu.language.FolderNotFound, L"Folder %s is gone (100%%)"); });
        menu.container->ShowFolderError(L"X:\\Projects");
    }
    CNotifyIcon::s_shellNotifyIcon = real;
    ASSERT_EQ(1u, modifications.size());
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), modifications[0].uFlags);
    EXPECT_STREQ(L"Folder X:\\Projects is gone (100%)", modifications[0].szInfo);
    EXPECT_STREQ(L"Error", modifications[0].szInfoTitle);
    EXPECT_EQ(static_cast<DWORD>(NIIF_ERROR), modifications[0].dwInfoFlags);
    EXPECT_EQ(15000u, modifications[0].uTimeout);
}

TEST(FolderMenuContainerSoak, ShowingAndRebuildingHoldsNoResources) {
    TempDirectory folder;
    for (int i = 0; i < 180; ++i)
        WriteFile(folder.File(L"file " + std::to_wstring(i) + (i % 3 ? L".txt" : L".cmd")));
    for (int i = 0; i < 20; ++i) {
        std::wstring subfolder = folder.File(L"folder " + std::to_wstring(i));
        CreateDirectoryW(subfolder.c_str(), nullptr);
        WriteFile(subfolder + L"\\inside.txt"); // empty folders are left out of menus
    }
    FolderMenu menu(folder.Path());
    CFolderMenuContainer* container = menu.container.get();
    ASSERT_EQ(200u, menu.RootTexts().size());

    MenuDismisser dismisser;
    container->Show(FALSE); // first showing loads what the process keeps for its life
    const int cycles = SoakCycles(200, 2000);
    UINT builds = container->GetBuildCount();
    long gdiBefore = GdiObjectCounter::Read();
    long long bytesBefore = PrivateBytes();
    long gdiHalfway = gdiBefore;
    for (int i = 1; i <= cycles; ++i) {
        container->Show(FALSE);
        if (i == cycles / 2)
            gdiHalfway = GdiObjectCounter::Read();
    }
    long gdiAfter = GdiObjectCounter::Read();
    long long bytesGrown = PrivateBytes() - bytesBefore;
    printf("folder menu soak: %d show/rebuild cycles, GDI objects %ld -> %ld -> %ld, private bytes %+lld KB\n", cycles,
           gdiBefore, gdiHalfway, gdiAfter, bytesGrown / 1024);
    EXPECT_EQ(builds + cycles, container->GetBuildCount()) << "every showing rebuilds";
    EXPECT_LE(gdiAfter, gdiBefore + 2);
    EXPECT_EQ(gdiHalfway, gdiAfter) << "GDI objects kept by the second half of the cycles";
    // Heap growth only shows as a trend over thousands of cycles.
    if (LongSoakRequested()) {
        EXPECT_LT(bytesGrown, 1024 * 1024);
    }
}
