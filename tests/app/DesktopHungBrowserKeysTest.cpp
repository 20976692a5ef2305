// Keys pressed in a browser window that hangs in the desktop, through the program's message loop.
#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "containers/ShellBrowserContainerBase.h"
#include "support/DesktopStandIn.h"
#include "support/MessagePump.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

TEST(DesktopHungBrowserKeys, BrowserBackAndForwardPressedInTheWindowNavigate) {
    DesktopStandIn standIn;
    HWND desktop = standIn.ListView();
    ASSERT_NE(nullptr, desktop);
    {
        ApplicationFixture fixture;
        const std::wstring home = fixture.File(L"Home"), sub = fixture.File(L"Home\\sub");
        CreateDirectoryW(home.c_str(), nullptr);
        CreateDirectoryW(sub.c_str(), nullptr);
        fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=Home\r\n"
                          L"ZOrder=2\r\n");
        fixture.Start();
        CShellBrowserContainerBase* container = nullptr;
        auto location = [&] {
            wchar_t path[MAX_PATH] = L"";
            SHGetPathFromIDListW(container->GetBrowser()->CurrentLocation(), path);
            return std::wstring(path);
        };
        // Posted to the list view, where the key of a user's press arrives.
        auto press = [&](UINT key) {
            PostMessageW(container->GetBrowser()->ListView(), WM_KEYDOWN, key, 1);
            return true;
        };
        // On Windows the active window is then Explorer's, whose input the window shares; under Wine
        // another window of this thread plays it.
        HWND elsewhere = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20,
                                         nullptr, nullptr, nullptr, nullptr);
        const std::vector<std::function<bool()>> steps = {
            [&] {
                container = dynamic_cast<CShellBrowserContainerBase*>(fixture.application.m_folders[0]->m_pContainer);
                return container && container->Show(TRUE) && GetAncestor(container->GetWindow(), GA_PARENT) == desktop;
            },
            [&] {
                SetActiveWindow(elsewhere);
                return GetActiveWindow() == elsewhere && SUCCEEDED(container->GetBrowser()->BrowseToPath(sub.c_str()));
            },
            [&] { return press(VK_BROWSER_BACK); },
            [&] { return location() == home; },
            [&] { return press(VK_BROWSER_FORWARD); },
            [&] { return location() == sub; },
        };
        EXPECT_EQ(steps.size(), fixture.RunSteps(steps))
            << "stuck: 1 hangs the window in the desktop, "
               "2 activates another window, 4 waits for Back, 6 for Forward";
        DestroyWindow(elsewhere);
    }
    EXPECT_TRUE(standIn.Close());
}
