#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/FolderMenuContainer.h"
#include "containers/ShellItemChangeWatcher.h"
#include "lib/WindowSubclass.h"
#include "menus/FolderMenu.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/MenuTexts.h"
#include "support/MessagePump.h"
#include "support/Soak.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

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

    CPathwren application;
    CLanguage language;
    CGenericPathwrenObject item;
    std::unique_ptr<CFolderMenuContainer> container;
};

struct MenuDismisser {
    UINT_PTR timer = SetTimer(nullptr, 0, 15, Dismiss);
    ~MenuDismisser() { KillTimer(nullptr, timer); }
    static void CALLBACK Dismiss(HWND, UINT, UINT_PTR, DWORD) {
        if (HWND menu = FindOwnWindow(L"#32768"))
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
};

// Opening a chosen entry may run a modal loop (the shell's prompts, an error box) in which the
// refresh timer keeps ticking. While a box is open, the first tick reports a change of the folder,
// the next looks whether the command's menu is still there and then answers the boxes.
struct TickWatch {
    CFolderMenuContainer* container;
    HMENU commandMenu;
    int ticksWithBox = 0;
    bool menuSurvivedTheRebuildTick = false;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR reference) {
        auto* watch = reinterpret_cast<TickWatch*>(reference);
        if (message != WM_TIMER || wParam != watch->container->GetWatchIdentifier() || !FindOwnWindow(L"#32770"))
            return DefSubclassProc(window, message, wParam, lParam);
        ++watch->ticksWithBox;
        if (watch->ticksWithBox == 1)
            watch->container->OnShellItemChange(SHCNE_DELETE, nullptr, nullptr);
        LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        if (watch->ticksWithBox == 1)
            return result;
        if (watch->ticksWithBox == 2)
            watch->menuSurvivedTheRebuildTick = IsMenu(watch->commandMenu) != FALSE;
        for (HWND box : WindowsOfClass(L"#32770"))
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return result;
    }
};

std::wstring Change(LONG event, const std::wstring& first, const std::wstring& second = L"") {
    return std::to_wstring(event) + L" " + first + L" -> " + second;
}

// A watcher with its own hidden window, recording every change it is told about.
class RecordingWatcher : public IShellItemChangeWatcher {
public:
    RecordingWatcher() { m_subclass.Install(window, Procedure, 0, reinterpret_cast<DWORD_PTR>(this)); }
    ~RecordingWatcher() override {
        Deregister();
        DestroyWindow(window);
    }
    void OnShellItemChange(LONG event, LPCWSTR firstPath, LPCWSTR secondPath) override {
        changes.push_back(Change(event, firstPath, secondPath));
    }
    const std::vector<std::wstring>& WaitForChanges(size_t count) {
        PumpMessagesUntil([&] { return changes.size() >= count; }, 5000);
        return changes;
    }

    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<std::wstring> changes;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
        if (message != WM_SHELL_ITEM_CHANGE)
            return DefSubclassProc(window, message, wParam, lParam);
        reinterpret_cast<RecordingWatcher*>(self)->HandleNotification(wParam, lParam);
        return 0;
    }
    CWindowSubclass m_subclass;
};

// Told to the shell as Explorer does: Wine does not watch the file system itself.
void Announce(LONG event, const std::wstring& first, const std::wstring& second = L"") {
    SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, first.c_str(), second.empty() ? nullptr : second.c_str());
}

} // namespace

// Every item watching through the launch bar's one window needs a message of its own, and a
// configuration may have any number of items: the three checked come last of a hundred.
TEST(FolderMenuContainer, LaunchBarItemsWatchOnceTheirOwnerWindowArrivesAndEachRebuildsOnceForABurstInItsOwnFolder) {
    TempDirectory shared, folders[3];
    HWND toolbar = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    std::vector<std::unique_ptr<FolderMenu>> menus;
    for (int i = 0; i < 100; ++i) {
        menus.emplace_back(new FolderMenu(i < 97 ? shared.Path() : folders[i - 97].Path(), LaunchModeLaunchBar));
        ASSERT_EQ(0u, menus[i]->container->GetRegistration()) << "no owner window yet, item " << i;
        menus[i]->container->SetOwnerWindow(toolbar);
        ASSERT_NE(0u, menus[i]->container->GetRegistration()) << "item " << i;
    }
    // Announces three files in one folder and checks that exactly that item rebuilt, once, with
    // the files, and not again on the refresh timer's next ticks.
    const std::vector<std::wstring> added = {L"added 0", L"added 1", L"added 2"};
    auto changeOnly = [&](int changed) {
        UINT before[3] = {};
        for (int i = 0; i < 3; ++i)
            before[i] = menus[97 + i] ? menus[97 + i]->container->GetBuildCount() : 0;
        for (const std::wstring& name : added) {
            WriteFileBytes(folders[changed].File(name + L".txt"), {'x'});
            Announce(SHCNE_CREATE, folders[changed].File(name + L".txt"));
        }
        PumpMessagesUntil([] { return false; }, 3 * kFolderMenuRefreshPeriodMs);
        for (int i = 0; i < 3; ++i) {
            if (menus[97 + i]) {
                EXPECT_EQ(before[i] + (i == changed ? 1 : 0), menus[97 + i]->container->GetBuildCount())
                    << "change in folder " << changed << ", item " << i;
            }
        }
        EXPECT_EQ(added, menus[97 + changed]->RootTexts()) << "folder " << changed;
        for (const std::wstring& name : added)
            DeleteFileW(folders[changed].File(name + L".txt").c_str());
    };
    for (int changed = 0; changed < 3; ++changed)
        changeOnly(changed);
    menus[97].reset();
    changeOnly(1);
    changeOnly(2);
    menus.clear();
    DestroyWindow(toolbar);
}

TEST(FolderMenuContainer, VanishedFoldersKeepAMenusContentButEmptyAMultipleFoldersMenu) {
    std::unique_ptr<FolderMenu> single, multiple;
    {
        TempDirectory first, second;
        WriteFileBytes(first.File(L"one.txt"), {'x'});
        WriteFileBytes(second.File(L"two.txt"), {'x'});
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

TEST(FolderMenuCommand, ARefreshDuringTheCommandsModalLoopLeavesTheEntryInUseAlone) {
    TempDirectory folder;
    std::wstring file = folder.File(L"report.txt");
    WriteFileBytes(file, {'x'});
    FolderMenu menu(folder.Path());
    CFolderMenuContainer& container = *menu.container;
    ASSERT_NE(0u, container.GetRegistration()) << "a tray item watches its folder from the start";
    ASSERT_NE(nullptr, container.GetFolderMenu());
    HWND owner = container.GetOwnerWindow();
    ASSERT_NE(nullptr, owner);
    // The file goes after the menu was read, so opening the entry fails with a box.
    ASSERT_TRUE(DeleteFileW(file.c_str()));

    TickWatch watch = {&container, container.GetFolderMenu()->GetRootMenu()->GetHandle()};
    CWindowSubclass watching;
    ASSERT_TRUE(watching.Install(owner, TickWatch::Procedure, 1, reinterpret_cast<DWORD_PTR>(&watch)));
    UINT_PTR chooser = ChooseMenuEntryWhenShown(1);
    container.Show(TRUE);
    KillTimer(nullptr, chooser);

    ASSERT_GE(watch.ticksWithBox, 2) << "the command showed no box long enough";
    EXPECT_TRUE(watch.menuSurvivedTheRebuildTick) << "a rebuild freed the menu of the running command";
    for (const std::wstring& text : MenuItemTexts(container.GetFolderMenu()->GetRootMenu()->GetHandle()))
        EXPECT_NE(0u, text.find(L"report")) << "the deleted file is still listed after the command";
}

TEST(FolderMenuContainerSoak, ShowingAndRebuildingHoldsNoResources) {
    TempDirectory folder;
    for (int i = 0; i < 180; ++i)
        WriteFileBytes(folder.File(L"file " + std::to_wstring(i) + (i % 3 ? L".txt" : L".cmd")), {'x'});
    for (int i = 0; i < 20; ++i) {
        std::wstring subfolder = folder.File(L"folder " + std::to_wstring(i));
        CreateDirectoryW(subfolder.c_str(), nullptr);
        WriteFileBytes(subfolder + L"\\inside.txt", {'x'}); // empty folders are left out of menus
    }
    FolderMenu menu(folder.Path());
    CFolderMenuContainer* container = menu.container.get();
    ASSERT_EQ(200u, menu.RootTexts().size());

    MenuDismisser dismisser;
    container->Show(FALSE); // first showing loads what the process keeps for its life
    const int cycles = SoakCycles(200, 2000);
    UINT builds = container->GetBuildCount();
    long gdiBefore = GdiObjectCounter::Read(), gdiHalfway = gdiBefore;
    long long bytesBefore = PrivateBytes();
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

TEST(ShellItemChangeWatcher, ReportsChangesWithTheirPathsKeepsOneRegistrationAndEndsIt) {
    TempDirectory first, second;
    RecordingWatcher watcher;
    ASSERT_EQ(S_OK, watcher.RegisterPath(first.Path().c_str(), watcher.window, TRUE));
    ASSERT_EQ(S_OK, watcher.RegisterPath(second.Path().c_str(), watcher.window, TRUE));
    EXPECT_NE(0u, watcher.GetRegistration());
    // Notifications arrive in order: once the second one is here, the first would have been too.
    // A rename gives the old name first.
    Announce(SHCNE_CREATE, first.File(L"a.txt"));
    Announce(SHCNE_CREATE, second.File(L"b.txt"));
    Announce(SHCNE_RENAMEITEM, second.File(L"b.txt"), second.File(L"c.txt"));
    EXPECT_EQ((std::vector<std::wstring>{Change(SHCNE_CREATE, second.File(L"b.txt")),
                                         Change(SHCNE_RENAMEITEM, second.File(L"b.txt"), second.File(L"c.txt"))}),
              watcher.WaitForChanges(2))
        << "the first folder is no longer watched";

    ULONG registration = watcher.GetRegistration();
    EXPECT_NE(S_OK, watcher.RegisterPath(L"Q:\\no\\such\\<folder>", watcher.window, TRUE));
    EXPECT_EQ(registration, watcher.GetRegistration()) << "a path that does not parse keeps the registration";

    watcher.Deregister();
    EXPECT_EQ(0u, watcher.GetRegistration());
    // A second watcher of the same folder tells when the change was delivered.
    RecordingWatcher witness;
    ASSERT_EQ(S_OK, witness.RegisterPath(second.Path().c_str(), witness.window, TRUE));
    Announce(SHCNE_DELETE, second.File(L"b.txt"));
    ASSERT_EQ(1u, witness.WaitForChanges(1).size());
    EXPECT_EQ(2u, watcher.changes.size()) << "nothing reaches a watcher after Deregister";
}
