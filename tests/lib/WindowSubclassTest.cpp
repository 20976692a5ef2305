#include "lib/WindowSubclass.h"

#include <gtest/gtest.h>

namespace {

struct Seen {
    int userMessages = 0;
    bool sawEnd = false;
};

LRESULT CALLBACK Note(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* seen = reinterpret_cast<Seen*>(data);
    seen->userMessages += message == WM_USER;
    seen->sawEnd |= message == WM_NCDESTROY;
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

// A window that outlives its holder must stop calling the holder's procedure; a holder that
// outlives its window must forget the handle, which may name another window later.
TEST(WindowSubclass, ComesOffWhenTheHolderOrTheWindowGoesWhicheverIsFirst) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    Seen seen;
    {
        CWindowSubclass hook;
        ASSERT_TRUE(hook.Install(window, Note, 7, reinterpret_cast<DWORD_PTR>(&seen)));
        SendMessageW(window, WM_USER, 0, 0);
        EXPECT_EQ(1, seen.userMessages);
    }
    SendMessageW(window, WM_USER, 0, 0);
    EXPECT_EQ(1, seen.userMessages) << "the holder's end took the procedure off";

    CWindowSubclass hook;
    ASSERT_TRUE(hook.Install(window, Note, 7, reinterpret_cast<DWORD_PTR>(&seen)));
    EXPECT_EQ(window, hook.Window());
    DestroyWindow(window);
    EXPECT_TRUE(seen.sawEnd) << "the procedure still sees the window's end";
    EXPECT_EQ(nullptr, hook.Window());
    EXPECT_FALSE(hook.Install(window, Note, 7, reinterpret_cast<DWORD_PTR>(&seen)));
}
