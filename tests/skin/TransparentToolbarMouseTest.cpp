// The toolbar under a real cursor: it reads GetCursorPos, so each step places the cursor, then
// sends the message. Messages are never pumped between steps, so the motion events of the warp
// stay queued and the update region collects what each step invalidated.
#include "skin/ToolbarFixtures.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const POINT kOrigin = {100, 100};

struct LoggingSink : CTransparentToolbarEventsBase {
    void OnToolbarMoved(CTransparentToolbar*, int dx, int dy) override {
        log.push_back("moved " + std::to_string(dx) + "," + std::to_string(dy));
    }
    void OnToolbarMoveEnded(CTransparentToolbar*) override { log.push_back("move ended"); }
    void OnToolbarButtonClicked(CTransparentToolbar*, UINT command) override {
        log.push_back("clicked " + std::to_string(command));
    }
    void OnToolbarButtonRightClicked(CTransparentToolbar*, UINT index) override {
        log.push_back("button right-clicked " + std::to_string(index));
    }
    void OnToolbarDoubleClicked(CTransparentToolbar*) override { log.push_back("double-clicked"); }
    void OnToolbarRightClicked(CTransparentToolbar*, POINT at) override {
        log.push_back("right-clicked " + std::to_string(at.x) + "," + std::to_string(at.y));
    }
    LRESULT OnToolbarKeyDown(CTransparentToolbar*, WPARAM key, LPARAM) override { return 1000 + key; }
    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }
    std::vector<std::string> log;
};

typedef std::vector<std::string> Log;

// Buttons 11 (enabled), 12 (disabled), a gap of 10, 13 (enabled) and the move button at the far
// end of a 200 x 24 bar: at x 0, 24, 58 and 176.
class ToolbarMouseDesktop : public ::testing::Test {
protected:
    void Create(BOOL dragFromAnywhere, BOOL withMoveButton = TRUE) {
        for (int index = 0; index < 4; ++index)
            m_icons.push_back(MakeButtonIcons(index));
        m_buttons = {MakeButton(*m_icons[0], 11, 0, 0, TRUE, L"First"),
                     MakeButton(*m_icons[1], 12, 0, 0, FALSE, L"Second"), MakeButton(*m_icons[2], 13, 0, 10)};
        m_move = MakeButton(*m_icons[3], 0, 2, 0, TRUE, L"Move");
        TransparentToolbarSettings settings = SettingsWithButtons(m_buttons, withMoveButton ? &m_move : nullptr);
        settings.X = kOrigin.x;
        settings.Y = kOrigin.y;
        settings.Width = 200;
        settings.DragFromAnywhere = dragFromAnywhere;
        m_toolbar.reset(new CTransparentToolbar(GetModuleHandleW(nullptr), nullptr, &m_sink, settings));
        ASSERT_NE(nullptr, m_toolbar->GetHandle());
        ShowWindow(m_toolbar->GetHandle(), SW_SHOWNOACTIVATE);
    }

    // Places the cursor at a client point of the bar, clears the update region and sends.
    LRESULT At(int x, int y, UINT message, WPARAM keys = 0) {
        SetCursorPos(WindowRect().left + x, WindowRect().top + y);
        ValidateRect(m_toolbar->GetHandle(), nullptr);
        return SendMessageW(m_toolbar->GetHandle(), message, keys, MAKELPARAM(x, y));
    }
    int State(UINT index) const { return m_toolbar->GetButton(index)->State; }
    std::wstring TooltipAnswer() {
        NMTTDISPINFOW info = {};
        info.hdr.hwndFrom = m_toolbar->GetTooltipWindow();
        info.hdr.code = TTN_GETDISPINFOW;
        SendMessageW(m_toolbar->GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return info.lpszText ? info.lpszText : L"(none)";
    }
    // The update region as the union of the listed buttons' rectangles, or "" when it is so.
    std::string UpdatedBeyond(std::vector<int> buttonLefts) {
        CRegionHandle updated(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(m_toolbar->GetHandle(), updated.Get(), FALSE);
        CRegionHandle expected(CreateRectRgn(0, 0, 0, 0));
        for (int left : buttonLefts) {
            CRegionHandle button(CreateRectRgn(left, 0, left + 24, 24));
            CombineRgn(expected.Get(), expected.Get(), button.Get(), RGN_OR);
        }
        if (EqualRgn(updated.Get(), expected.Get()))
            return "";
        RECT box;
        GetRgnBox(updated.Get(), &box);
        return "updated " + testing::PrintToString(box);
    }
    RECT WindowRect() const {
        RECT window;
        GetWindowRect(m_toolbar->GetHandle(), &window);
        return window;
    }

    std::vector<std::unique_ptr<ButtonIcons>> m_icons;
    std::vector<TransparentToolbarButton> m_buttons;
    TransparentToolbarButton m_move = {};
    LoggingSink m_sink;
    std::unique_ptr<CTransparentToolbar> m_toolbar;
};

} // namespace

TEST_F(ToolbarMouseDesktop, HoverPressClickRightClickDoubleClickAndLeave) {
    Create(FALSE);
    At(12, 12, WM_MOUSEMOVE);
    EXPECT_EQ(ToolbarButtonHot, State(0));
    EXPECT_EQ(L"First", TooltipAnswer());
    EXPECT_EQ("", UpdatedBeyond({0}));
    At(12, 12, WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(ToolbarButtonPressed, State(0));
    EXPECT_EQ("", UpdatedBeyond({0}));
    At(12, 12, WM_LBUTTONUP);
    EXPECT_EQ(ToolbarButtonHot, State(0));
    EXPECT_EQ(Log{"clicked 11"}, m_sink.TakeLog());
    EXPECT_EQ("", UpdatedBeyond({0}));

    // The disabled button: never hot, never clicked; its right-click belongs to the bar.
    At(30, 12, WM_MOUSEMOVE);
    EXPECT_EQ(ToolbarButtonNormal, State(0));
    EXPECT_EQ(ToolbarButtonDisabled, State(1));
    EXPECT_EQ("", UpdatedBeyond({0})) << "only the button that cooled down";
    At(30, 12, WM_LBUTTONDOWN, MK_LBUTTON);
    At(30, 12, WM_LBUTTONUP);
    At(30, 12, WM_RBUTTONUP);
    EXPECT_EQ(ToolbarButtonDisabled, State(1));
    EXPECT_EQ(Log{"right-clicked 130,112"}, m_sink.TakeLog());

    At(60, 5, WM_MOUSEMOVE);
    At(60, 5, WM_RBUTTONUP);
    EXPECT_EQ(Log{"button right-clicked 2"}, m_sink.TakeLog());
    At(120, 12, WM_MOUSEMOVE);
    EXPECT_EQ(ToolbarButtonNormal, State(2));
    EXPECT_EQ(L"", TooltipAnswer()) << "no text over the background";
    EXPECT_EQ("", UpdatedBeyond({58}));

    // A double-click: on the background one event, on a button a second click.
    At(120, 12, WM_LBUTTONDOWN, MK_LBUTTON);
    At(120, 12, WM_LBUTTONUP);
    At(120, 12, WM_LBUTTONDBLCLK, MK_LBUTTON);
    At(120, 12, WM_LBUTTONUP);
    EXPECT_EQ(Log{"double-clicked"}, m_sink.TakeLog());
    for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        At(5, 5, message, message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK ? MK_LBUTTON : 0);
    EXPECT_EQ((Log{"clicked 11", "clicked 11"}), m_sink.TakeLog());

    At(5, 5, WM_MOUSELEAVE);
    EXPECT_EQ(ToolbarButtonNormal, State(0));
    EXPECT_EQ("", UpdatedBeyond({0}));
    EXPECT_EQ(1000 + 'K', SendMessageW(m_toolbar->GetHandle(), WM_KEYDOWN, 'K', 0)) << "keys go to the sink";
}

TEST_F(ToolbarMouseDesktop, DraggingMovesByTheCursorDelta) {
    Create(TRUE);
    HWND window = m_toolbar->GetHandle();
    At(188, 12, WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(window, GetCapture());
    EXPECT_EQ(ToolbarButtonPressed, m_toolbar->GetMoveButton()->State);
    SetCursorPos(288 + 15, 112 + 7);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, 0);
    EXPECT_EQ(115, WindowRect().left);
    EXPECT_EQ(107, WindowRect().top);
    SetCursorPos(288 - 25, 112 + 7);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, 0);
    EXPECT_EQ(75, WindowRect().left);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ((Log{"moved 15,7", "moved -40,0", "move ended"}), m_sink.TakeLog());

    // From anywhere once the cursor moves while pressed, but never from a button.
    At(120, 12, WM_LBUTTONDOWN, MK_LBUTTON);
    At(120, 12, WM_MOUSEMOVE, MK_LBUTTON);
    EXPECT_EQ(nullptr, GetCapture()) << "no drag before the cursor moves";
    At(110, 12, WM_MOUSEMOVE, MK_LBUTTON);
    EXPECT_EQ(window, GetCapture());
    SetCursorPos(75 + 100, 119);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, 0);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ((Log{"moved -20,0", "move ended"}), m_sink.TakeLog());
    EXPECT_EQ(55, WindowRect().left);
    At(5, 5, WM_LBUTTONDOWN, MK_LBUTTON);
    At(25, 9, WM_MOUSEMOVE, MK_LBUTTON);
    At(45, 9, WM_MOUSEMOVE, MK_LBUTTON);
    At(45, 9, WM_LBUTTONUP);
    EXPECT_EQ(55, WindowRect().left) << "a press on a button never drags";
    EXPECT_EQ(Log{}, m_sink.TakeLog());

    // Moves by anyone else are reported with signed differences; the owner's own are not.
    SendMessageW(window, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(-40), 120));
    SetWindowPos(window, nullptr, -30, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_toolbar->SetBounds(300, 300, 200, 24);
    EXPECT_EQ((Log{"moved -95,13", "moved 10,-70"}), m_sink.TakeLog());
}

TEST_F(ToolbarMouseDesktop, SettersChangeOnlyTheirButton) {
    Create(FALSE, FALSE);
    Capture before = CapturePrinted(m_toolbar->GetHandle());
    ValidateRect(m_toolbar->GetHandle(), nullptr);
    EXPECT_FALSE(m_toolbar->EnableButton(99, TRUE));
    EXPECT_FALSE(m_toolbar->SetMaximizeButtonImages(nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(m_toolbar->SetMoveButtonVisible(TRUE));
    EXPECT_EQ("", UpdatedBeyond({}));
    EXPECT_TRUE(before.pixels == CapturePrinted(m_toolbar->GetHandle()).pixels) << "a failed setter changed pixels";

    EXPECT_TRUE(m_toolbar->EnableButton(12, TRUE));
    EXPECT_EQ("", UpdatedBeyond({24}));
    EXPECT_EQ(StateColour(1, ToolbarButtonNormal), CapturePrinted(m_toolbar->GetHandle()).At(30, 12));
    ValidateRect(m_toolbar->GetHandle(), nullptr);
    EXPECT_TRUE(m_toolbar->EnableButton(11, FALSE));
    EXPECT_EQ("", UpdatedBeyond({0}));
    EXPECT_EQ(StateColour(0, ToolbarButtonDisabled), CapturePrinted(m_toolbar->GetHandle()).At(5, 12));
}

TEST_F(ToolbarMouseDesktop, WithoutASinkCloseDestroysTheWindowAndKeysAreTaken) {
    m_icons.push_back(MakeButtonIcons(0));
    std::vector<TransparentToolbarButton> maximize = {MakeButton(*m_icons[0], CTransparentToolbar::MaximizeCommand)};
    CTransparentToolbar toolbar(GetModuleHandleW(nullptr), nullptr, nullptr, SettingsWithButtons(maximize));
    HWND window = toolbar.GetHandle();
    auto replacement = MakeButtonIcons(3);
    EXPECT_TRUE(toolbar.SetMaximizeButtonImages(replacement->images[0].Get(), replacement->images[1].Get(),
                                                replacement->images[2].Get(), replacement->images[3].Get()));
    EXPECT_EQ(StateColour(3, ToolbarButtonNormal), CapturePrinted(toolbar.GetHandle()).At(12, 12));
    EXPECT_EQ(1, SendMessageW(window, WM_KEYDOWN, 'K', 0));
    HWND tooltip = toolbar.GetTooltipWindow();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(tooltip));
    EXPECT_EQ(nullptr, toolbar.GetHandle());
    EXPECT_TRUE(toolbar.EnableButton(CTransparentToolbar::MaximizeCommand, FALSE)) << "the object copes";
}
