#include "BrowserHost.h"

#include "support/GdiObjectCounter.h"
#include "support/Soak.h"

#include <cstdio>

namespace {

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
        m_browser->RenderGradient(0x0000FF, 0xFF0000, index % 4);
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
            another.RenderGradient(0x0000FF, 0xFF0000, 2);
            ASSERT_EQ(S_OK, another.BrowseToPath(m_folders.Root().c_str()));
        }
    };
    makeBrowsers(11); // every view mode once: the shell caches what each one draws with
    Usage beforeBrowsers = Measure();
    makeBrowsers(50);
    Usage afterBrowsers = Measure();
    printf("soak: %d cycles in %lu ms; GDI objects %ld -> %ld, windows %d -> %d; 50 browsers: GDI objects %ld -> %ld, "
           "windows %d -> %d\n",
           cycles, cyclesTook, start.gdiObjects, afterCycles.gdiObjects, start.windows, afterCycles.windows,
           beforeBrowsers.gdiObjects, afterBrowsers.gdiObjects, beforeBrowsers.windows, afterBrowsers.windows);
    EXPECT_EQ(start.gdiObjects, afterCycles.gdiObjects);
    EXPECT_EQ(start.windows, afterCycles.windows);
    EXPECT_EQ(beforeBrowsers.gdiObjects, afterBrowsers.gdiObjects);
    EXPECT_EQ(beforeBrowsers.windows, afterBrowsers.windows);
}

} // namespace
