// The browser containers of Windows XP. No 64-bit Windows reports 5.1, but Wine does for an
// executable it is told to start as "winxp": there the factory must choose them.
#include "BrowserItem.h"

#include "app/ContainerFactory.h"
#include "containers/ShellBrowserContainerXP.h"
#include "support/MessagePump.h"
#include "support/TempDirectory.h"
#include "support/Wine.h"
#include "support/WindowsVersionCopy.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>

TEST(BrowserIconPositions, SavedPlacesComeBackAtHomeAndAMovedIconStaysAfterARefresh) {
    TempDirectory folder;
    const std::map<std::wstring, POINT> saved = {{L"Alpha", {220, 150}}, {L"Beta", {40, 260}}};
    for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma"})
        CreateDirectoryW(folder.File(name).c_str(), nullptr);
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    CGenericPathwrenObject item;
    wcscpy(item.Path, folder.Path().c_str());
    item.FolderPresentationType = FolderPresentationBrowser;
    item.WindowRect = {0, 0, 500, 400};
    item.SaveIconsPositionsForHomeFolder = TRUE;
    item.FolderViewMode = 0;
    item.HomeFolderIconPositions = new std::vector<HomeFolderIconPosition>();
    for (const auto& place : saved) {
        HomeFolderIconPosition position = {L"", place.second.x, place.second.y};
        wcscpy(position.Name, place.first.c_str());
        item.HomeFolderIconPositions->push_back(position);
    }
    ASSERT_TRUE(CreateContainerForItem(&item, &application, GetModuleHandleW(nullptr), nullptr, nullptr));
    auto* container = static_cast<CShellBrowserContainerBase*>(ContainerOf(item));
    EXPECT_EQ(StartedAsVersionCopy(), dynamic_cast<CShellBrowserContainerXP*>(container) != nullptr)
        << "the XP container exactly where the system reports 5.1";
    ASSERT_TRUE(container->Show(TRUE));
    HWND listView = container->GetBrowser()->ListView();
    auto indexOf = [&](const std::wstring& name) {
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING;
        find.psz = name.c_str();
        return ListView_FindItem(listView, -1, &find);
    };
    auto standsAt = [&](const std::wstring& name, POINT wanted) {
        POINT place = {};
        return PumpMessagesUntil(
            [&] {
                return ListView_GetItemPosition(listView, indexOf(name), &place) && place.x == wanted.x &&
                       place.y == wanted.y;
            },
            5000);
    };
    for (const auto& place : saved)
        EXPECT_TRUE(standsAt(place.first, place.second)) << testing::PrintToString(place.first);

    // The user moves an icon and refreshes: the refresh keeps the new place, not the saved one.
    ListView_SetItemPosition(listView, indexOf(L"Beta"), 300, 40);
    TranslateKey(container->GetWindow(), listView, VK_F5);
    listView = container->GetBrowser()->ListView();
    EXPECT_TRUE(standsAt(L"Beta", {300, 40}));
    EXPECT_TRUE(standsAt(L"Alpha", saved.at(L"Alpha")));
    item.ReleaseContainer();
}

TEST(XPContainers, TheMirrorAndIconPositionCasesPassWithTheXPClassesWhenWineReportsWindowsXP) {
    if (StartedAsVersionCopy())
        GTEST_SKIP() << "this is the copy";
    if (!RunningOnWine())
        GTEST_SKIP() << "only Wine can start a copy of this program as another Windows version";
    // The shell reads the desktop directory once per process: each mirror case runs in its own.
    // "winxp64" reports 5.2: the common classes with the view commands from before Vista.
    const struct {
        const wchar_t* version;
        const wchar_t* filter;
    } runs[] = {{L"winxp", L"DesktopMirror.IconsStandAtTheirScaledPlaces*:BrowserIconPositions.*"},
                {L"winxp", L"DesktopMirror.ChangesAreRead*"},
                {L"winxp64", L"DesktopMirror.IconsStandAtTheirScaledPlaces*"}};
    for (const auto& copy : runs) {
        VersionCopyRun run = RunCopyAsWindowsVersion(copy.version, L"containers_tests_xp.exe", copy.filter);
        EXPECT_TRUE(CopyPassed(run, false)) << "the child ended in time, passed and skipped nothing";
    }
}
