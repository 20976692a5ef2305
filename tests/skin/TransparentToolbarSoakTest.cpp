// Toolbars made, used and destroyed many times must give back every GDI object and window. The
// normal run makes 200 toolbars; with the environment variable PATHWREN_LONG_SOAK set, 1,000.
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
    int clicks = 0, moves = 0;
};

// One life of a toolbar: eight buttons and a move button on a picture or a gradient, shown,
// painted, hovered, clicked, dragged and destroyed.
void ToolbarCycle(int cycle, const std::wstring& picture, const std::vector<TransparentToolbarButton>& buttons,
                  const TransparentToolbarButton& move, CountingSink& sink) {
    TransparentToolbarSettings settings = SettingsWithButtons(buttons, &move);
    settings.BackgroundType = cycle % 2 ? 2 : 5;
    settings.BackgroundImage = picture.c_str();
    settings.GradientColor1 = RGB(10, 20, 200);
    settings.Opacity = 80;
    settings.X = 100;
    settings.Y = 100;
    settings.Width = 400;
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

} // namespace

TEST(TransparentToolbarSoakDesktop, ToolbarsGiveBackWhatTheyTake) {
    const int cycles = SoakCycles(200, 1000);
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
    CountingSink sink;
    auto run = [&](int count, std::vector<size_t>* half) {
        for (int cycle = 1; cycle <= count; ++cycle) {
            ToolbarCycle(cycle, picture, buttons, move, sink);
            if (half && cycle == count / 2)
                *half = Read();
        }
    };
    run(3, nullptr);
    std::vector<size_t> before = Read(), half = before;
    sink = CountingSink();
    run(cycles, &half);
    std::vector<size_t> after = Read();

    // Memory: the same again without GDI readings inside, which under Wine commit and release
    // megabytes of heap by themselves.
    run(20, nullptr);
    long long bytesBefore = PrivateBytes();
    run(cycles, nullptr);
    long long growth = PrivateBytes() - bytesBefore;

    EXPECT_EQ(2 * cycles + 20, sink.clicks) << "every cycle clicked a button";
    EXPECT_EQ(2 * cycles + 20, sink.moves) << "every cycle dragged the bar";
    EXPECT_EQ(before, half) << "GDI objects, toolbars, tooltips";
    EXPECT_EQ(half, after) << "GDI objects, toolbars, tooltips";
    EXPECT_LT(growth, 1 << 20) << "private bytes grown over a second run";
}
