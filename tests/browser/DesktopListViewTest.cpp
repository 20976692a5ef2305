#include "browser/DesktopListView.h"

#include "support/ChildProcess.h"
#include "support/DesktopStandIn.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

} // namespace

TEST(DesktopListView, FoundInEachOfExplorersLayoutsAndNoneWithoutADesktop) {
    ASSERT_EQ(nullptr, FindDesktopListView()) << "this display has no desktop before the stand-in starts";
    struct Layout {
        const wchar_t* name;
        const wchar_t* listViewParent;
        const wchar_t* topWindow;
    };
    const Layout layouts[] = {{L"progman", L"SHELLDLL_DefView", L"Progman"},
                              {L"workerw", L"SHELLDLL_DefView", L"WorkerW"},
                              {L"thumbnails", L"ThumbnailVwExtWnd32", L"Progman"}};
    for (const Layout& layout : layouts) {
        ChildProcess standIn(L"\"" + DesktopStandInPath() + L"\" " + layout.name + L" Alpha 20 20 Beta 640 480");
        ASSERT_TRUE(standIn.Started()) << layout.name;
        standIn.Resume();
        HWND listView = WaitForDesktopListView(standIn.Id(), 2);
        ASSERT_NE(nullptr, listView) << layout.name;
        EXPECT_TRUE(IsWindowVisible(listView)) << layout.name;
        EXPECT_EQ(layout.listViewParent, ClassOf(GetParent(listView))) << layout.name;
        EXPECT_EQ(layout.topWindow, ClassOf(GetAncestor(listView, GA_ROOT))) << layout.name;
        EXPECT_EQ(2, ListView_GetItemCount(listView)) << layout.name << ": the items are in the visible list view";
        CloseDesktopStandIn(listView);
        EXPECT_TRUE(standIn.Wait(10000)) << layout.name << ": closing the desktop ends the stand-in";
    }
    EXPECT_EQ(nullptr, FindDesktopListView()) << "the dead stand-in's windows are gone";
}
