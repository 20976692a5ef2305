// Hot areas with real timers and a real cursor: what counts as resting, how long leaving takes,
// the keep rectangle, and what is left after destruction. The cursor moves, so the suite runs
// under the desktop lock.
#include "lib/HotWindow.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const RECT kHotRect = {200, 200, 500, 260};

struct RecordingSink : CHotWindowEventsBase {
    void OnHotWindowEnter(CHotWindow* hotWindow, BOOL*, RECT*) override {
        ++enters;
        seen = hotWindow;
    }
    void OnHotWindowLeave(CHotWindow* hotWindow) override {
        ++leaves;
        seen = hotWindow;
    }
    int enters = 0, leaves = 0;
    CHotWindow* seen = nullptr;
};

class HotWindowDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_window);
        m_hotWindow.reset(new CHotWindow);
        m_hotWindow->SetWatchedWindow(m_window);
        m_hotWindow->SetEvents(&m_sink);
    }
    void TearDown() override {
        m_hotWindow.reset();
        DestroyWindow(m_window);
    }

    void WatchRestingCursor() {
        m_hotWindow->SetHotRect(kHotRect);
        SetCursorPos(300, 230);
        ASSERT_TRUE(m_hotWindow->WatchForEnter());
    }

    // Pumps until done() holds; how many of the hot window's timer ticks were dispatched meanwhile.
    int TicksUntil(const std::function<bool()>& done, DWORD limit) {
        int ticks = 0;
        const WPARAM identifier = reinterpret_cast<WPARAM>(m_hotWindow.get());
        PumpMessagesUntil(done, limit, [&](const MSG& message) {
            ticks += message.message == WM_TIMER && message.wParam == identifier;
        });
        return ticks;
    }

    HWND m_window = nullptr;
    RecordingSink m_sink;
    std::unique_ptr<CHotWindow> m_hotWindow;
};

} // namespace

TEST_F(HotWindowDesktop, NothingFiresWithoutARectangleOrAWindowOrWhenTheLeaveTimerCannotBeSet) {
    SetCursorPos(300, 230);
    ASSERT_TRUE(m_hotWindow->WatchForEnter());
    PumpMessagesUntil([] { return false; }, 400);
    EXPECT_EQ(0, m_sink.enters) << "the unset rectangle matches no cursor position";

    CHotWindow unwatched;
    unwatched.SetHotRect(kHotRect);
    EXPECT_FALSE(unwatched.WatchForEnter());
    EXPECT_FALSE(unwatched.WatchForLeave());
    EXPECT_FALSE(unwatched.IsWatchingForEnter());

    WatchRestingCursor();
    // SetTimer on a window that is gone fails, as it does when the system runs out of timers.
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    m_hotWindow->SetWatchedWindow(gone);
    PumpMessagesUntil([] { return false; }, 400);
    EXPECT_EQ(0, m_sink.enters) << "an enter whose leave could never be seen is not reported";
    EXPECT_FALSE(m_hotWindow->IsWatchingForLeave());
}

TEST_F(HotWindowDesktop, ACursorPassingThroughDoesNotEnterOneStoppingDoesAndLeavingTakesTwoTicksOutside) {
    m_hotWindow->SetHotRect(kHotRect);
    SetCursorPos(150, 230);
    ASSERT_TRUE(m_hotWindow->WatchForEnter());
    // 10 px before every tick, from left of the rectangle to right of it: moved by the ticks, not
    // by the clock, so a stalled machine cannot make the cursor look resting.
    int x = 150;
    const WPARAM identifier = reinterpret_cast<WPARAM>(m_hotWindow.get());
    PumpMessagesUntil([&x] { return x > 550; }, 20000,
                      [&x, identifier](const MSG& message) {
                          if (message.message == WM_TIMER && message.wParam == identifier)
                              SetCursorPos(x += 10, 230);
                      });
    ASSERT_GT(x, 550) << "the ticks stopped";
    EXPECT_EQ(0, m_sink.enters) << "a moving cursor is not resting";

    SetCursorPos(350, 230);
    int ticks = TicksUntil([this] { return m_sink.enters > 0; }, 1000);
    ASSERT_EQ(1, m_sink.enters);
    EXPECT_LE(ticks, 2) << "one tick sees the cursor, the next one sees it resting";
    EXPECT_EQ(m_hotWindow.get(), m_sink.seen);

    SetCursorPos(700, 700);
    ticks = TicksUntil([this] { return m_sink.leaves > 0; }, 2500);
    ASSERT_EQ(1, m_sink.leaves);
    EXPECT_EQ(2, ticks) << "the cursor must be outside at two ticks in a row";
}

TEST_F(HotWindowDesktop, DestroyedMidTimerLeavesNoTimerAndNoLaterCall) {
    WatchRestingCursor();
    UINT_PTR identifier = reinterpret_cast<UINT_PTR>(m_hotWindow.get());

    // A tick fetched but not yet dispatched when the object dies must find nobody.
    MSG tick = {};
    DWORD start = GetTickCount();
    while (!PeekMessageW(&tick, m_window, WM_TIMER, WM_TIMER, PM_REMOVE) && GetTickCount() - start < 1000)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_TIMER);
    ASSERT_EQ(static_cast<UINT>(WM_TIMER), tick.message);
    ASSERT_EQ(identifier, tick.wParam);
    m_hotWindow.reset();
    EXPECT_FALSE(KillTimer(m_window, identifier)) << "the timer must be gone with its object";
    DispatchMessageW(&tick);
    PumpMessagesUntil([] { return false; }, 400);
    EXPECT_EQ(0, m_sink.enters);
    EXPECT_EQ(nullptr, m_sink.seen);
}
