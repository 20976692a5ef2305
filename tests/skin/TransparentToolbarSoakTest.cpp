// Toolbars and hot windows made, used and destroyed many times must give back every GDI object,
// window and timer. The normal run makes 200 toolbars and 2,000 hot windows; with the
// environment variable PATHWREN_LONG_SOAK set, 1,000 and 10,000.
#include "lib/HotWindow.h"
#include "skin/ToolbarFixtures.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/MessagePump.h"
#include "support/Soak.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

// This process's GDI objects, toolbar windows and tooltip windows.
std::vector<size_t> Read() {
    return {static_cast<size_t>(GdiObjectCounter::Read()),
            WindowsOfClass(CTransparentToolbar::ClassName, GetCurrentProcessId(), false).size(),
            WindowsOfClass(TOOLTIPS_CLASSW, GetCurrentProcessId(), false).size()};
}

struct CountingSink : CTransparentToolbarEventsBase {
    void OnToolbarButtonClicked(CTransparentToolbar*, UINT) override { ++clicks; }
    void OnToolbarMoved(CTransparentToolbar*, int, int) override { ++moves; }
    int clicks = 0;
    int moves = 0;
};

// One life of a toolbar: eight buttons and a move button on a picture or a gradient, shown,
// painted, hovered, clicked, dragged and destroyed.
void ToolbarCycle(int cycle, const std::wstring& picture, const std::vector<TransparentToolbarButton>& buttons,
                  const TransparentToolbarButton& move, CountingSink& sink) {
    TransparentToolbarSettings settings;
    settings.BackgroundType = cycle % 2 ? 2 : 5;
    settings.BackgroundImage = picture.c_str();
    settings.GradientColor1 = RGB(10, 20, 200);
    settings.Opacity = 80;
    settings.X = 100;
    settings.Y = 100;
    settings.Width = 400;
    settings.Buttons = buttons.data();
    settings.ButtonCount = static_cast<UINT>(buttons.size());
    settings.MoveButton = &move;
    settings.HasMoveButton = TRUE;
    CTransparentToolbar toolbar(GetModuleHandleW(nullptr), nullptr, &sink, settings);
    HWND window = toolbar.GetHandle();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    SetCursorPos(112, 112);
    SendMessageW(window, WM_MOUSEMOVE, 0, 0);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
    UpdateWindow(window);
    SetCursorPos(100 + 400 - 12, 112);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SetCursorPos(100 + 400 - 7, 114);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, 0);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
    PumpPendingMessages();
}

void HotWindowCycle(HWND watched) {
    CHotWindow hotWindow;
    CHotWindowEventsBase sink;
    hotWindow.SetWatchedWindow(watched);
    hotWindow.SetHotRect(RECT{0, 0, 10, 10});
    hotWindow.SetEvents(&sink);
    hotWindow.WatchForEnter();
    hotWindow.WatchForLeave();
}

} // namespace

TEST(TransparentToolbarSoakDesktop, ToolbarsAndHotWindowsGiveBackWhatTheyTake) {
    const int toolbarCycles = SoakCycles(200, 1000);
    const int hotWindowCycles = SoakCycles(2000, 10000);
    TempDirectory directory;
    std::wstring picture = directory.File(L"bar.bmp");
    ASSERT_TRUE(WriteFileBytes(picture, PictureFile()));
    std::vector<std::unique_ptr<ButtonIcons>> icons;
    std::vector<TransparentToolbarButton> buttons;
    for (int index = 0; index < 8; ++index) {
        icons.push_back(MakeButtonIcons(index));
        buttons.push_back(MakeButton(*icons.back(), 100 + index, index % 3, 2, TRUE, L"A button"));
    }
    TransparentToolbarButton move = MakeButton(*icons[0], 0, 2);
    HWND watched = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CountingSink sink;
    for (int cycle = 0; cycle < 3; ++cycle)
        ToolbarCycle(cycle, picture, buttons, move, sink);

    std::vector<size_t> before = Read(), half = before;
    sink = CountingSink();
    for (int cycle = 1; cycle <= toolbarCycles; ++cycle) {
        ToolbarCycle(cycle, picture, buttons, move, sink);
        if (cycle == toolbarCycles / 2)
            half = Read();
    }
    for (int cycle = 0; cycle < hotWindowCycles; ++cycle)
        HotWindowCycle(watched);
    PumpPendingMessages();
    std::vector<size_t> after = Read();

    // Memory: the same again without GDI readings inside, which under Wine commit and release
    // megabytes of heap by themselves.
    for (int cycle = 0; cycle < 20; ++cycle)
        ToolbarCycle(cycle, picture, buttons, move, sink);
    long long bytesBefore = PrivateBytes();
    for (int cycle = 1; cycle <= toolbarCycles; ++cycle)
        ToolbarCycle(cycle, picture, buttons, move, sink);
    for (int cycle = 0; cycle < hotWindowCycles; ++cycle)
        HotWindowCycle(watched);
    PumpPendingMessages();
    long long growth = PrivateBytes() - bytesBefore;
    DestroyWindow(watched);

    EXPECT_EQ(2 * toolbarCycles + 20, sink.clicks) << "every cycle clicked a button";
    EXPECT_EQ(2 * toolbarCycles + 20, sink.moves) << "every cycle dragged the bar";
    EXPECT_EQ(before, half) << "GDI objects, toolbars, tooltips";
    EXPECT_EQ(half, after) << "GDI objects, toolbars, tooltips";
    EXPECT_LT(growth, 1 << 20) << "private bytes grown over a second run";
}
