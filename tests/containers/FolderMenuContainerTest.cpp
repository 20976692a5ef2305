#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/FolderMenuContainer.h"
#include "menus/FolderMenu.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/MenuWindow.h"
#include "support/GdiObjectCounter.h"
#include "support/TempDirectory.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> MenuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        WCHAR text[MAX_PATH] = L"";
        GetMenuStringW(menu, i, text, MAX_PATH, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::wstring> RootTexts(CFolderMenuContainer& container) {
    CPopUpMenu* root = container.GetFolderMenu() ? container.GetFolderMenu()->GetRootMenu() : nullptr;
    return root ? MenuTexts(root->GetHandle()) : std::vector<std::wstring>{};
}

// Runs the thread's message loop for a while, so timers and shell notifications arrive.
void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(5);
    }
}

// A program object with options in tray mode or launch bar mode and the built-in texts.
struct ApplicationStub {
    CPathwren application;
    CLanguage language;
    explicit ApplicationStub(int launchMode = LaunchModeTrayIcons) {
        application.m_pOptions = new CApplicationOptions();
        application.m_pOptions->LaunchMode = launchMode;
    }
};

std::unique_ptr<CFolderMenuContainer> MakeContainer(ApplicationStub& stub, CGenericPathwrenObject& item) {
    std::unique_ptr<CFolderMenuContainer> container(
        new CFolderMenuContainer(GetModuleHandleW(nullptr), &stub.application));
    container->SetDefaultIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED)));
    container->BuildContextMenu(&stub.language);
    container->Initialize(&item);
    return container;
}

void WriteFile(const std::wstring& path) {
    WriteFileBytes(path, {'x'});
}

// Dismisses every menu tracked while it lives.
struct MenuDismisser {
    UINT_PTR timer = SetTimer(nullptr, 0, 15, Dismiss);
    ~MenuDismisser() { KillTimer(nullptr, timer); }
    static void CALLBACK Dismiss(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = FindOwnMenuWindow();
        if (menu)
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
};

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage;
}

} // namespace

// Wine does not watch the file system; changes are announced with SHChangeNotify, as Explorer does.
TEST(FolderMenuContainer, AnnouncedChangesRebuildTheMenuOnceOnTheNextTick) {
    TempDirectory folder;
    WriteFile(folder.File(L"first.txt"));
    ApplicationStub stub;
    CGenericPathwrenObject item;
    wcscpy(item.Path, folder.Path().c_str());
    auto container = MakeContainer(stub, item);
    ASSERT_NE(0u, container->GetRegistration()) << "the folder is watched";
    EXPECT_EQ((std::vector<std::wstring>{L"first"}), RootTexts(*container));

    UINT builds = container->GetBuildCount();
    for (int i = 0; i < 5; ++i) {
        std::wstring added = folder.File(L"added " + std::to_wstring(i) + L".txt");
        WriteFile(added);
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, added.c_str(), nullptr);
    }
    PumpMessages(1200);
    EXPECT_EQ(builds + 1, container->GetBuildCount()) << "changes within one period make one rebuild";
    EXPECT_EQ(6u, RootTexts(*container).size());
    PumpMessages(600);
    EXPECT_EQ(builds + 1, container->GetBuildCount()) << "no change, no rebuild";
}

TEST(FolderMenuContainer, VanishedFoldersKeepAMenusContentButEmptyAMultipleFoldersMenu) {
    ApplicationStub stub;
    std::wstring kept;
    CGenericPathwrenObject single;
    CGenericPathwrenObject multiple;
    multiple.FolderPresentationType = FolderPresentationMultipleFoldersMenu;
    std::unique_ptr<CFolderMenuContainer> singleContainer;
    std::unique_ptr<CFolderMenuContainer> multipleContainer;
    {
        TempDirectory first;
        TempDirectory second;
        WriteFile(first.File(L"one.txt"));
        WriteFile(second.File(L"two.txt"));
        wcscpy(single.Path, first.Path().c_str());
        MergedFolder a = {0, L"", L""};
        wcscpy(a.Directory, first.Path().c_str());
        MergedFolder b = {0, L"", L""};
        wcscpy(b.Directory, second.Path().c_str());
        multiple.MergedFolders->push_back(a);
        multiple.MergedFolders->push_back(b);
        wcscpy(multiple.Path, L"Q:\\does not matter");
        singleContainer = MakeContainer(stub, single);
        multipleContainer = MakeContainer(stub, multiple);
        ASSERT_EQ(2u, RootTexts(*multipleContainer).size()) << "one submenu per folder";
    }
    EXPECT_FALSE(singleContainer->Rebuild());
    EXPECT_EQ((std::vector<std::wstring>{L"one"}), RootTexts(*singleContainer));
    EXPECT_TRUE(multipleContainer->Rebuild());
    EXPECT_TRUE(RootTexts(*multipleContainer).empty());
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
    {
        ApplicationStub tray;
        wcscpy(tray.language.FolderNotFound, L"Folder %s is gone (100%%)");
        CGenericPathwrenObject item;
        wcscpy(item.Path, folder.Path().c_str());
        auto container = MakeContainer(tray, item);
        container->ShowFolderError(L"X:\\Projects");
        ApplicationStub bar(LaunchModeLaunchBar);
        auto barContainer = MakeContainer(bar, item);
        barContainer->ShowFolderError(L"X:\\Projects");
    }
    CNotifyIcon::s_shellNotifyIcon = real;
    ASSERT_EQ(1u, modifications.size());
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), modifications[0].uFlags);
    EXPECT_STREQ(L"Folder X:\\Projects is gone (100%)", modifications[0].szInfo);
    EXPECT_STREQ(L"Error", modifications[0].szInfoTitle);
    EXPECT_EQ(static_cast<DWORD>(NIIF_ERROR), modifications[0].dwInfoFlags);
    EXPECT_EQ(15000u, modifications[0].uTimeout);
}

TEST(FolderMenuContainer, ShowingAndRebuildingThousandsOfTimesHoldsNoResources) {
    TempDirectory folder;
    for (int i = 0; i < 180; ++i)
        WriteFile(folder.File(L"file " + std::to_wstring(i) + (i % 3 ? L".txt" : L".cmd")));
    for (int i = 0; i < 20; ++i) {
        std::wstring subfolder = folder.File(L"folder " + std::to_wstring(i));
        CreateDirectoryW(subfolder.c_str(), nullptr);
        WriteFile(subfolder + L"\\inside.txt"); // empty folders are left out of menus
    }
    ApplicationStub stub;
    CGenericPathwrenObject item;
    wcscpy(item.Path, folder.Path().c_str());
    auto container = MakeContainer(stub, item);
    ASSERT_EQ(200u, RootTexts(*container).size());

    MenuDismisser dismisser;
    container->Show(FALSE); // first showing loads what the process keeps for its life
    long gdiBefore = GdiObjectCounter::Read();
    SIZE_T bytesBefore = PrivateBytes();
    const int cycles = 2000;
    for (int i = 0; i < cycles; ++i)
        container->Show(FALSE);
    long gdiAfter = GdiObjectCounter::Read();
    SIZE_T bytesAfter = PrivateBytes();
    printf("folder menu soak: %d show/rebuild cycles, GDI objects %ld -> %ld, private bytes %+lld KB\n", cycles,
           gdiBefore, gdiAfter, (static_cast<long long>(bytesAfter) - static_cast<long long>(bytesBefore)) / 1024);
    EXPECT_EQ(cycles + 1, static_cast<int>(container->GetBuildCount()) - 1) << "every showing rebuilds";
    EXPECT_LE(gdiAfter, gdiBefore + 2);
    EXPECT_LT(static_cast<long long>(bytesAfter) - static_cast<long long>(bytesBefore), 1024 * 1024);
}

TEST(FolderMenuContainer, ALaunchBarButtonStartsWatchingOnceItsOwnerWindowArrives) {
    TempDirectory folder;
    WriteFile(folder.File(L"first.txt"));
    ApplicationStub stub(LaunchModeLaunchBar);
    CGenericPathwrenObject item;
    wcscpy(item.Path, folder.Path().c_str());
    auto container = MakeContainer(stub, item);
    EXPECT_EQ(nullptr, container->GetNotifyIcon());
    EXPECT_EQ(0u, container->GetRegistration()) << "no owner window yet";
    HWND toolbar = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    container->SetOwnerWindow(toolbar);
    EXPECT_NE(0u, container->GetRegistration());
    UINT builds = container->GetBuildCount();
    std::wstring added = folder.File(L"added.txt");
    WriteFile(added);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, added.c_str(), nullptr);
    PumpMessages(1200);
    EXPECT_EQ(builds + 1, container->GetBuildCount());
    container.reset();
    DestroyWindow(toolbar);
}
