// The application's message loop hands every key press to the active window first.
#include "ApplicationFixture.h"

#include "lib/WindowLink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The query the loop sends before it dispatches a WM_KEYDOWN.
const UINT kTranslateAccelerator = 0x1400;
const WCHAR kKeyWindowClass[] = L"PathwrenTestKeyWindow";

// A window that claims the key 'A' as an accelerator and lets every other key through.
struct KeyWindow {
    struct Query {
        WPARAM wParam;
        MSG message;
    };
    std::vector<Query> queries;
    std::vector<WPARAM> keysDown;
    std::vector<WPARAM> characters;
    HWND window = nullptr;

    KeyWindow() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kKeyWindowClass;
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, kKeyWindowClass, L"Keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, windowClass.hInstance, this);
    }
    ~KeyWindow() { DestroyWindow(window); }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = LinkWindowObject<KeyWindow>(window, message, lParam);
        if (self && message == kTranslateAccelerator) {
            const MSG* key = reinterpret_cast<const MSG*>(lParam);
            self->queries.push_back({wParam, *key});
            return key->wParam == 'A';
        }
        if (self && message == WM_KEYDOWN)
            self->keysDown.push_back(wParam);
        if (self && message == WM_CHAR)
            self->characters.push_back(wParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

LPARAM KeyDownParameter(WPARAM key) {
    return 1 | (static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16);
}

} // namespace

TEST(MessageLoop, KeyPressesGoToTheActiveWindowFirstWhichMayConsumeThem) {
    ApplicationFixture fixture;
    fixture.Configure(L"[Default]\r\nFolders=0\r\n");
    fixture.Start();
    KeyWindow keys;
    ASSERT_NE(nullptr, keys.window);
    HWND active = nullptr;
    fixture.RunWhile([&](HWND mainWindow) {
        SetForegroundWindow(keys.window);
        SetActiveWindow(keys.window);
        active = GetActiveWindow();
        for (WPARAM key : {WPARAM('A'), WPARAM('B')})
            PostMessageW(keys.window, WM_KEYDOWN, key, KeyDownParameter(key));
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    });
    if (active != keys.window)
        GTEST_SKIP() << "the test window could not be made active";
    std::vector<WPARAM> queried;
    for (const KeyWindow::Query& query : keys.queries) {
        EXPECT_TRUE(query.wParam == 0 && query.message.message == WM_KEYDOWN && query.message.hwnd == keys.window);
        queried.push_back(query.message.wParam);
    }
    EXPECT_EQ((std::vector<WPARAM>{'A', 'B'}), queried) << "each key press is offered, in order";
    EXPECT_EQ(std::vector<WPARAM>{'B'}, keys.keysDown) << "the claimed key is not dispatched";
    EXPECT_EQ(std::vector<WPARAM>{'b'}, keys.characters) << "the other key is translated as usual";
}
