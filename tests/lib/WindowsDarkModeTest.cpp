#include "lib/WindowsDarkMode.h"

#include <commctrl.h>
#include <gtest/gtest.h>

// A Windows without the dark entry points (before 10 1903, or Wine) must leave every call a
// harmless refusal; the control's own theme, which every version has, must take both looks.
TEST(WindowsDarkMode, MissingEntryPointsAreRefusedAndControlsTakeBothLooks) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, list);
    CWindowsDarkMode missing(L"no-such-uxtheme.dll", L"no-such-dwmapi.dll");
    EXPECT_FALSE(missing.SetMenusDark(TRUE));
    EXPECT_FALSE(missing.SetTitleBarDark(list, TRUE));
    EXPECT_FALSE(missing.SetControlDark(list, TRUE));

    CWindowsDarkMode present;
    EXPECT_TRUE(present.SetControlDark(list, TRUE));
    EXPECT_TRUE(present.SetControlDark(list, FALSE));
    EXPECT_FALSE(present.SetTitleBarDark(nullptr, TRUE)) << "no window, no call";
    DestroyWindow(list);
}
