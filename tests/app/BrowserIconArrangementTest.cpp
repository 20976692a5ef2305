// The home folder's icon arrangement, followed through the real program from the folders file
// over a start and an exit back to the folders file.
#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "config/IniFile.h"
#include "containers/ShellBrowserContainerBase.h"
#include "support/FileFixtures.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Arrangement = std::map<std::wstring, std::pair<int, int>>;

std::wstring FoldersFileWith(const Arrangement& arrangement) {
    std::wstring text = L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=Home\r\n"
                        L"FolderViewMode=0\r\nSaveIconsPositionsForHomeFolder=1\r\nBrowserWidth=500\r\n"
                        L"BrowserHeight=400\r\nWindowPositionX=60\r\nWindowPositionY=60\r\n"
                        L"NbIconsInHomeFolder=" +
                        std::to_wstring(arrangement.size()) + L"\r\n";
    unsigned i = 0;
    for (const auto& icon : arrangement) {
        std::wstring index = std::to_wstring(i++);
        text += L"HomeFolderItemName_" + index + L"=" + icon.first + L"\r\nHomeFolderItemPosX_" + index + L"=" +
                std::to_wstring(icon.second.first) + L"\r\nHomeFolderItemPosY_" + index + L"=" +
                std::to_wstring(icon.second.second) + L"\r\n";
    }
    return text;
}

Arrangement SavedArrangement(const std::wstring& foldersFile) {
    CIniFile file(foldersFile.c_str());
    Arrangement arrangement;
    INT count = 0;
    file.ReadInt(L"Folders_0", L"NbIconsInHomeFolder", 0, &count);
    for (INT i = 0; i < count; ++i) {
        std::wstring index = std::to_wstring(i);
        WCHAR name[MAX_PATH] = L"";
        INT x = 0, y = 0;
        file.ReadString(L"Folders_0", (L"HomeFolderItemName_" + index).c_str(), L"", name, MAX_PATH);
        file.ReadInt(L"Folders_0", (L"HomeFolderItemPosX_" + index).c_str(), 0, &x);
        file.ReadInt(L"Folders_0", (L"HomeFolderItemPosY_" + index).c_str(), 0, &y);
        arrangement[name] = {x, y};
    }
    return arrangement;
}

std::wstring Describe(const Arrangement& arrangement) {
    std::wstring text;
    for (const auto& icon : arrangement)
        text += icon.first + L" (" + std::to_wstring(icon.second.first) + L", " + std::to_wstring(icon.second.second) +
                L") ";
    return text;
}

} // namespace

TEST(BrowserIconArrangement, SavedPlacesSurviveAStartWithoutTheWindowAndOnlyTheIconTheUserMovedChanges) {
    const Arrangement saved = {{L"Alpha", {310, 20}}, {L"Beta", {20, 210}}, {L"Gamma", {190, 130}}};
    auto prepare = [](ApplicationFixture& fixture, const std::wstring& foldersFile) {
        CreateDirectoryW(fixture.File(L"Home").c_str(), nullptr);
        for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma"})
            CreateDirectoryW(fixture.File(L"Home\\" + std::wstring(name)).c_str(), nullptr);
        fixture.Configure(foldersFile);
        fixture.Start();
    };

    // Started and closed without the window ever shown: the shell's default grid never counts.
    ApplicationFixture unseen;
    prepare(unseen, FoldersFileWith(saved));
    unseen.RunAndClose();
    EXPECT_EQ(Describe(saved), Describe(SavedArrangement(unseen.File(L"FoldersOptions.ini"))))
        << "after a start and an exit with the window hidden";

    // Shown this time: the icons come back to their places, the user drags one, and only that one moves.
    ApplicationFixture shown;
    prepare(shown, ReadUtf16File(unseen.File(L"FoldersOptions.ini")));
    CShellBrowserContainerBase* container = nullptr;
    HWND listView = nullptr;
    auto standsAt = [&](const std::wstring& name, std::pair<int, int> wanted) {
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING;
        find.psz = name.c_str();
        POINT place = {};
        return ListView_GetItemPosition(listView, ListView_FindItem(listView, -1, &find), &place) &&
               place.x == wanted.first && place.y == wanted.second;
    };
    const std::vector<std::function<bool()>> steps = {
        [&] {
            container = dynamic_cast<CShellBrowserContainerBase*>(shown.application.m_folders[0]->m_pContainer);
            return container && container->Show(TRUE);
        },
        [&] {
            listView = container->GetBrowser()->ListView();
            for (const auto& icon : saved)
                if (!standsAt(icon.first, icon.second))
                    return false;
            return true;
        },
        [&] {
            LVFINDINFOW find = {};
            find.flags = LVFI_STRING;
            find.psz = L"Beta";
            ListView_SetItemPosition32(listView, ListView_FindItem(listView, -1, &find), 300, 40);
            return true;
        },
        [&] {
            return standsAt(L"Beta", {300, 40});
        },
    };
    EXPECT_EQ(steps.size(), shown.RunSteps(steps)) << "stuck: 1 shows, 2 waits for the saved places, 4 for the drag";
    Arrangement moved = saved;
    moved[L"Beta"] = {300, 40};
    EXPECT_EQ(Describe(moved), Describe(SavedArrangement(shown.File(L"FoldersOptions.ini"))))
        << "after the user moved Beta";
}
