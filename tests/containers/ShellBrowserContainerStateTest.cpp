// What the browser window keeps of its view when the view goes through something unusual: a view
// that cannot be built, a rename.
#include "BrowserItem.h"
#include "lib/WindowSubclass.h"
#include "support/TempDirectory.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

// Shows what the container holds of the current view, which it uses for every later key,
// resize and save.
class ProbedContainer : public CShellBrowserContainer {
public:
    using CShellBrowserContainer::CShellBrowserContainer;
    HWND HeldListView() const { return ListView(); }
    HWND HeldViewWindow() const { return ViewWindow(); }
};

// Plays a view that turns down every rename, as the shell does for an item it cannot rename.
LRESULT CALLBACK RefuseRenames(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_NOTIFY) {
        UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code == LVN_BEGINLABELEDITW || code == LVN_BEGINLABELEDITA)
            return TRUE;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

TEST(BrowserWindowState, AFailedNavigationARefusedRenameAndANavigationDuringARenameLeaveAViewThatWorks) {
    TempDirectory home;
    CreateDirectoryW(home.File(L"sub").c_str(), nullptr);
    CreateDirectoryW(home.File(L"sub\\inner").c_str(), nullptr);
    CreateDirectoryW(home.File(L"sub\\inner\\deepest").c_str(), nullptr);
    TBrowserItem<ProbedContainer> window(BrowserZOrderNormal, home.Path());
    ASSERT_TRUE(window.Start());
    HWND oldListView = window.container->HeldListView(), oldViewWindow = window.container->HeldViewWindow();
    ASSERT_TRUE(IsWindow(oldListView) && IsWindow(oldViewWindow));
    {
        WindowCreations refused(L"SHELLDLL_DefView", [] { return true; }); // a view that fails to build
        EXPECT_FALSE(SUCCEEDED(window.container->GetBrowser()->BrowseToPath(home.File(L"sub").c_str())));
    }
    ASSERT_FALSE(IsWindow(oldListView)) << "the old view is gone before the new one failed";
    for (HWND held : {window.container->HeldListView(), window.container->HeldViewWindow()})
        EXPECT_TRUE(held == nullptr || IsWindow(held)) << "the container still holds a destroyed window";
    SendMessageW(window.container->GetWindow(), WM_BROWSER_COMMAND, 0, BrowserCommandHome);
    EXPECT_EQ(home.Path(), window.Location());
    CShellBrowserEx& browser = *window.container->GetBrowser();
    EXPECT_EQ(browser.ListView(), window.container->HeldListView());
    EXPECT_TRUE(IsWindow(window.container->HeldListView())) << "the next navigation brings a working view";

    // The view turns the rename down: no edit starts and Backspace still goes up.
    ASSERT_HRESULT_SUCCEEDED(browser.BrowseToPath(home.File(L"sub").c_str()));
    HWND viewWindow = browser.ViewWindow(), listView = browser.ListView();
    browser.OnViewWindowDestroying(viewWindow, listView); // the browser's own procedures off...
    CWindowSubclass refusing;
    ASSERT_TRUE(refusing.Install(viewWindow, RefuseRenames, 1, 0));
    browser.OnViewWindowCreated(); // ...and on again, above the refusing view
    SetFocus(listView);
    EXPECT_EQ(nullptr, ListView_EditLabel(listView, 0)) << "the view refused";
    EXPECT_FALSE(browser.IsEditingLabel());
    EXPECT_EQ(1, window.Key(VK_BACK));
    EXPECT_EQ(home.Path(), window.Location()) << "after a refused rename";

    // A rename still open when the view goes: the new view's Backspace goes up.
    ASSERT_HRESULT_SUCCEEDED(browser.BrowseToPath(home.File(L"sub").c_str()));
    SetFocus(browser.ListView());
    ASSERT_NE(nullptr, ListView_EditLabel(browser.ListView(), 0));
    EXPECT_TRUE(browser.IsEditingLabel());
    window.Key(VK_BACK);
    EXPECT_EQ(home.File(L"sub"), window.Location()) << "while the name is edited, Backspace is the edit's";
    ASSERT_HRESULT_SUCCEEDED(browser.BrowseToPath(home.File(L"sub\\inner").c_str()));
    EXPECT_EQ(1, window.Key(VK_BACK));
    EXPECT_EQ(home.File(L"sub"), window.Location()) << "after a navigation during a rename";
}
