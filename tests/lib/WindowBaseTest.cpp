// The window base on real windows: which handler each message reaches, what the defaults answer,
// how painting is buffered, and mouse-leave tracking. Some cases place the cursor, so the suite
// runs under the desktop lock.
#include "lib/WindowBase.h"
#include "lib/GdiObject.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const WCHAR kTestClassName[] = L"WindowBaseTestClass";
const LRESULT kDefault = -1;

// Each message, its handler, and what the base answers by itself (kDefault where it goes to
// DefWindowProcW).
#define EVERY_HANDLER(X)                                                                                               \
    X(WM_MOUSEMOVE, OnMouseMove, 0)                                                                                    \
    X(WM_MOUSELEAVE, OnMouseLeave, kDefault)                                                                           \
    X(WM_PAINT, OnPaint, kDefault)                                                                                     \
    X(WM_PRINTCLIENT, OnPrintClient, kDefault)                                                                         \
    X(WM_CREATE, OnCreate, 0)                                                                                          \
    X(WM_CLOSE, OnClose, kDefault)                                                                                     \
    X(WM_DESTROY, OnDestroy, kDefault)                                                                                 \
    X(WM_COMMAND, OnCommand, 0)                                                                                        \
    X(WM_NOTIFY, OnNotify, 0)                                                                                          \
    X(WM_LBUTTONDOWN, OnLButtonDown, 0)                                                                                \
    X(WM_LBUTTONUP, OnLButtonUp, 0)                                                                                    \
    X(WM_RBUTTONDOWN, OnRButtonDown, 0)                                                                                \
    X(WM_RBUTTONUP, OnRButtonUp, 0)                                                                                    \
    X(WM_MOVING, OnMoving, 0)                                                                                          \
    X(WM_KEYDOWN, OnKeyDown, 1)                                                                                        \
    X(WM_KEYUP, OnKeyUp, 1)                                                                                            \
    X(WM_MOVE, OnMove, kDefault)                                                                                       \
    X(WM_LBUTTONDBLCLK, OnLButtonDblClk, kDefault)                                                                     \
    X(WM_MOUSEACTIVATE, OnMouseActivate, kDefault)                                                                     \
    X(WM_SIZE, OnSize, 0)                                                                                              \
    X(WM_SIZING, OnSizing, 0)                                                                                          \
    X(WM_ERASEBKGND, OnEraseBkgnd, kDefault)                                                                           \
    X(WM_KILLFOCUS, OnKillFocus, kDefault)                                                                             \
    X(WM_SETFOCUS, OnSetFocus, kDefault)                                                                               \
    X(WM_ACTIVATE, OnActivate, kDefault)                                                                               \
    X(WM_NCHITTEST, OnNcHitTest, kDefault)                                                                             \
    X(WM_GETDLGCODE, OnGetDlgCode, DLGC_WANTALLKEYS)

struct Call {
    std::string handler;
    WPARAM wParam;
    LPARAM lParam;
};

// Each handler, while recording, notes its name and arguments and answers a value of its own;
// otherwise it keeps the base behaviour.
class RecordingWindow : public CWindowBase {
public:
    RecordingWindow() {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = CWindowBase::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTestClassName;
        RegisterClassExW(&windowClass);
        CreateWindowExW(0, kTestClassName, L"", WS_POPUP, 100, 100, 64, 48, nullptr, nullptr, GetModuleHandleW(nullptr),
                        this);
    }

    LRESULT Record(const char* handler, WPARAM wParam, LPARAM lParam) {
        last = {handler, wParam, lParam};
        return static_cast<LRESULT>(std::hash<std::string>()(handler) & 0xFFFFFF);
    }

#define RECORDED(message, Name, baseResult)                                                                            \
    LRESULT Name(WPARAM wParam, LPARAM lParam) override {                                                              \
        return recording ? Record(#Name, wParam, lParam) : CWindowBase::Name(wParam, lParam);                          \
    }
    EVERY_HANDLER(RECORDED)
#undef RECORDED

    LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (recording && message == WM_USER + 7)
            return Record("DefaultWindowProc", wParam, lParam);
        return CWindowBase::DefaultWindowProc(window, message, wParam, lParam);
    }

    LRESULT OnDraw(HDC dc) override {
        drawDcType = GetObjectType(dc);
        // What the buffer held before this paint, then a colour of this paint.
        pixelBeforeDrawing = GetPixel(dc, 5, 5);
        RECT client;
        GetClientRect(GetHandle(), &client);
        FillRect(dc, &client, CBrushHandle(CreateSolidBrush(fillColour)).Get());
        ++paints;
        return 0;
    }

    bool recording = false;
    Call last;
    DWORD drawDcType = 0;
    COLORREF pixelBeforeDrawing = CLR_INVALID;
    COLORREF fillColour = RGB(200, 30, 40);
    int paints = 0;
};

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    PumpPendingMessages();
}

} // namespace

TEST(WindowBaseDesktop, EachMessageReachesItsHandlerAndTheDefaultsAnswer) {
    struct Row {
        UINT message;
        const char* handler;
        LRESULT baseResult;
    };
#define ROW(message, Name, baseResult) {message, #Name, baseResult},
    const Row rows[] = {EVERY_HANDLER(ROW){WM_USER + 7, "DefaultWindowProc", kDefault}};
#undef ROW
    RecordingWindow window;
    ASSERT_NE(nullptr, window.GetHandle());
    WPARAM wParam = 0x1000;
    for (const Row& row : rows) {
        window.recording = true;
        window.last = {};
        LPARAM lParam = static_cast<LPARAM>(++wParam * 3);
        LRESULT result = SendMessageW(window.GetHandle(), row.message, wParam, lParam);
        EXPECT_EQ(row.handler, window.last.handler) << "message 0x" << std::hex << row.message;
        EXPECT_EQ(wParam, window.last.wParam) << row.handler;
        EXPECT_EQ(lParam, window.last.lParam) << row.handler;
        EXPECT_EQ(window.Record(row.handler, 0, 0), result) << row.handler;
        window.recording = false;
        if (row.baseResult != kDefault) {
            EXPECT_EQ(row.baseResult, SendMessageW(window.GetHandle(), row.message, 'A', 0)) << row.handler;
        }
    }
}

TEST(WindowBaseDesktop, PaintDrawsIntoABackBufferThatCanStartAsTheScreenAndMovesRequestLeaveTracking) {
    RecordingWindow window;
    HWND handle = window.GetHandle();
    // Away while painting, so that no real move reaches the window before the test's own.
    SetCursorPos(600, 600);
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    Repaint(handle);
    ASSERT_GE(window.paints, 1);
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), window.drawDcType) << "double buffered paints draw into a memory DC";

    // The buffer shows on screen, and with copy-screen the next buffer starts from it.
    window.SetCopyScreenIntoBuffer(TRUE);
    window.fillColour = RGB(10, 120, 220);
    Repaint(handle);
    EXPECT_EQ(RGB(200, 30, 40), window.pixelBeforeDrawing);

    window.SetCopyScreenIntoBuffer(FALSE);
    Repaint(handle);
    EXPECT_NE(RGB(10, 120, 220), window.pixelBeforeDrawing) << "a fresh buffer must not hold the last picture";

    window.SetDoubleBuffered(FALSE);
    Repaint(handle);
    EXPECT_EQ(static_cast<DWORD>(OBJ_DC), window.drawDcType) << "without double buffering OnDraw gets the paint DC";
    EXPECT_EQ(RGB(10, 120, 220), window.pixelBeforeDrawing) << "the paint DC shows the window as it is";

    SetCursorPos(130, 120);
    auto tracked = [handle]() {
        TRACKMOUSEEVENT query = {sizeof(query), TME_QUERY, nullptr, 0};
        TrackMouseEvent(&query);
        return query.hwndTrack == handle && (query.dwFlags & TME_LEAVE) != 0;
    };
    auto cancel = [handle]() {
        TRACKMOUSEEVENT cancelling = {sizeof(cancelling), TME_LEAVE | TME_CANCEL, handle, 0};
        TrackMouseEvent(&cancelling);
    };
    ASSERT_FALSE(tracked());
    SendMessageW(handle, WM_MOUSEMOVE, 0, MAKELPARAM(30, 20));
    EXPECT_TRUE(tracked()) << "the first move requests WM_MOUSELEAVE";

    // While a request is outstanding, moves do not ask again.
    cancel();
    SendMessageW(handle, WM_MOUSEMOVE, 0, MAKELPARAM(31, 20));
    EXPECT_FALSE(tracked());

    SendMessageW(handle, WM_MOUSELEAVE, 0, 0);
    SendMessageW(handle, WM_MOUSEMOVE, 0, MAKELPARAM(32, 20));
    EXPECT_TRUE(tracked()) << "after WM_MOUSELEAVE the next move asks again";
    cancel();
}
