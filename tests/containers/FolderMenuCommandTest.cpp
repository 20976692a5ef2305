// Opening a chosen entry may run a modal loop (the shell's prompts, an error box) in which the
// folder menu's refresh timer keeps ticking.
#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/FolderMenuContainer.h"
#include "menus/FolderMenu.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/MenuTexts.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Watches the refresh timer of the container's owner window while a box of the command is open:
// at the first tick it reports a change of the folder, at the next one it looks whether the menu
// the command came from is still there, and then answers the boxes.
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

} // namespace

TEST(FolderMenuCommand, ARefreshDuringTheCommandsModalLoopLeavesTheEntryInUseAlone) {
    TempDirectory folder;
    std::wstring file = folder.File(L"report.txt");
    WriteFileBytes(file, {'x'});
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    CLanguage language;
    CGenericPathwrenObject item;
    wcscpy(item.Path, folder.Path().c_str());
    CFolderMenuContainer container(GetModuleHandleW(nullptr), &application);
    container.SetDefaultIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED)));
    container.SetLanguage(&language);
    ASSERT_TRUE(container.Initialize(&item));
    ASSERT_TRUE(container.PrepareFolderMenu());
    HWND owner = container.GetOwnerWindow();
    ASSERT_NE(nullptr, owner);
    // The file goes after the menu was read, so opening the entry fails with a box.
    ASSERT_TRUE(DeleteFileW(file.c_str()));

    TickWatch watch = {&container, container.GetFolderMenu()->GetRootMenu()->GetHandle()};
    ASSERT_TRUE(SetWindowSubclass(owner, TickWatch::Procedure, 1, reinterpret_cast<DWORD_PTR>(&watch)));
    UINT_PTR chooser = ChooseMenuEntryWhenShown(1);
    container.Show(TRUE);
    KillTimer(nullptr, chooser);
    RemoveWindowSubclass(owner, TickWatch::Procedure, 1);

    ASSERT_GE(watch.ticksWithBox, 2) << "the command showed no box long enough";
    EXPECT_TRUE(watch.menuSurvivedTheRebuildTick) << "a rebuild freed the menu of the running command";
    for (const std::wstring& text : MenuItemTexts(container.GetFolderMenu()->GetRootMenu()->GetHandle()))
        EXPECT_NE(0u, text.find(L"report")) << "the deleted file is still listed after the command";
}
