#include "BrowserHost.h"

#include "support/GdiObjectCounter.h"
#include "support/Soak.h"

#include <cstdio>

namespace {

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(window, CountWindow, count);
    }
    return TRUE;
}

// The windows this process owns, children included.
int CountOwnWindows() {
    int count = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Usage {
    long gdiObjects;
    int windows;
};

Usage Measure() {
    PumpFor(50);
    return {GdiObjectCounter::Read(), CountOwnWindows()};
}

class SoakTest : public BrowserTest<CShellBrowserEx> {};

TEST_F(SoakTest, NavigationResizesModesAndBackgroundsGiveEverythingBack) {
    std::wstring sub = m_folders.AddFolder(L"sub");
    m_folders.AddFile(L"a.txt");
    std::wstring picture = m_folders.Path(L"picture.png");
    ASSERT_TRUE(SaveSolidPicture(picture, 64, 48, 0x00FF00));
    auto cycle = [&](int index) {
        ASSERT_EQ(S_OK, m_browser->BrowseToPath(sub.c_str()));
        ASSERT_EQ(S_OK, m_browser->BrowseObject(nullptr, SBSP_NAVIGATEBACK));
        SetWindowPos(m_host.Window(), nullptr, 0, 0, 500 + index % 7 * 10, 400 - index % 5 * 10,
                     SWP_NOMOVE | SWP_NOZORDER);
        SendMessageW(m_browser->ViewWindow(), WM_COMMAND,
                     static_cast<WPARAM>(m_browser->ViewCommand(index % 2 ? 4 : 0)), 0);
        m_browser->SetBackgroundType(CShellBrowserEx::BackgroundGradient);
        m_browser->RenderGradient(Red, Blue, index % 4);
        m_browser->ApplyBackground();
        m_browser->SetBackgroundType(CShellBrowserEx::BackgroundPicture);
        ASSERT_TRUE(m_browser->RenderPicture(picture.c_str(), index % 10));
        m_browser->ApplyBackground();
    };

    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    cycle(0); // the shell loads its icons and caches on the first round
    Usage start = Measure();
    int cycles = SoakCycles(30, 300);
    DWORD began = GetTickCount();
    for (int index = 1; index <= cycles && !HasFatalFailure(); index++)
        cycle(index);
    Usage afterCycles = Measure();
    DWORD cyclesTook = GetTickCount() - began;
    Destroy();

    auto makeBrowsers = [&](int count) {
        for (int index = 0; index < count; index++) {
            CShellBrowserEx another(m_host.Window(), nullptr, index % 11);
            another.SetBackgroundType(CShellBrowserEx::BackgroundGradient);
            another.RenderGradient(Red, Blue, 2);
            ASSERT_EQ(S_OK, another.BrowseToPath(m_folders.Root().c_str()));
        }
    };
    makeBrowsers(11); // every view mode once: the shell caches what each one draws with
    Usage beforeBrowsers = Measure();
    makeBrowsers(50);
    Usage afterBrowsers = Measure();
    printf("soak: %d cycles in %lu ms; GDI objects %ld -> %ld; 50 browsers: GDI objects %ld -> %ld\n", cycles,
           cyclesTook, start.gdiObjects, afterCycles.gdiObjects, beforeBrowsers.gdiObjects, afterBrowsers.gdiObjects);
    EXPECT_EQ(start.gdiObjects, afterCycles.gdiObjects);
    EXPECT_EQ(start.windows, afterCycles.windows);
    EXPECT_EQ(beforeBrowsers.gdiObjects, afterBrowsers.gdiObjects);
    EXPECT_EQ(beforeBrowsers.windows, afterBrowsers.windows);
}

} // namespace
