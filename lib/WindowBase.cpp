#include "lib/WindowBase.h"

#include "lib/WindowLink.h"

CWindowBase::CWindowBase()
    : m_mouseTracked(FALSE), m_hWnd(nullptr), m_clientRect(), m_doubleBuffered(TRUE), m_copyScreenIntoBuffer(FALSE) {}

CWindowBase::~CWindowBase() {
    DestroyOwnWindow();
    ReleaseBackBuffer();
}

void CWindowBase::DestroyOwnWindow() {
    if (!m_hWnd)
        return;
    // Cut the link first: the messages DestroyWindow sends would otherwise reach an object
    // whose derived parts are already gone.
    HWND window = m_hWnd;
    UnlinkWindowObject(window);
    m_hWnd = nullptr;
    m_mouseTracked = FALSE;
    DestroyWindow(window);
}

LRESULT CALLBACK CWindowBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowBase* object = LinkWindowObject<CWindowBase>(window, message, lParam);
    if (!object)
        return DefWindowProcW(window, message, wParam, lParam);
    // Known from the first message on, so that the default handlers of the messages before
    // WM_CREATE (WM_NCCALCSIZE, WM_GETMINMAXINFO) reach the right window.
    if (message == WM_NCCREATE)
        object->m_hWnd = window;
    if (message != WM_NCDESTROY)
        return object->HandleWindowMessage(window, message, wParam, lParam);
    LRESULT result = object->HandleWindowMessage(window, message, wParam, lParam);
    object->ForgetWindow();
    return result;
}

void CWindowBase::ForgetWindow() {
    if (m_hWnd)
        UnlinkWindowObject(m_hWnd);
    m_hWnd = nullptr;
    m_mouseTracked = FALSE;
}

LRESULT CWindowBase::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            return HandleMouseMove(wParam, lParam);
        case WM_MOUSELEAVE:
            return HandleMouseLeave(wParam, lParam);
        case WM_PAINT:
            return OnPaint(wParam, lParam);
        case WM_PRINTCLIENT:
            return OnPrintClient(wParam, lParam);
        case WM_CREATE:
            return OnCreate(wParam, lParam);
        case WM_CLOSE:
            return OnClose(wParam, lParam);
        case WM_DESTROY:
            return OnDestroy(wParam, lParam);
        case WM_COMMAND:
            return OnCommand(wParam, lParam);
        case WM_NOTIFY:
            return OnNotify(wParam, lParam);
        case WM_LBUTTONDOWN:
            return OnLButtonDown(wParam, lParam);
        case WM_LBUTTONUP:
            return OnLButtonUp(wParam, lParam);
        case WM_RBUTTONDOWN:
            return OnRButtonDown(wParam, lParam);
        case WM_RBUTTONUP:
            return OnRButtonUp(wParam, lParam);
        case WM_MOVING:
            return OnMoving(wParam, lParam);
        case WM_KEYDOWN:
            return OnKeyDown(wParam, lParam);
        case WM_KEYUP:
            return OnKeyUp(wParam, lParam);
        case WM_MOVE:
            return OnMove(wParam, lParam);
        case WM_LBUTTONDBLCLK:
            return OnLButtonDblClk(wParam, lParam);
        case WM_MOUSEACTIVATE:
            return OnMouseActivate(wParam, lParam);
        case WM_SIZE:
            return OnSize(wParam, lParam);
        case WM_SIZING:
            return OnSizing(wParam, lParam);
        case WM_ERASEBKGND:
            return OnEraseBkgnd(wParam, lParam);
        case WM_KILLFOCUS:
            return OnKillFocus(wParam, lParam);
        case WM_SETFOCUS:
            return OnSetFocus(wParam, lParam);
        case WM_ACTIVATE:
            return OnActivate(wParam, lParam);
        case WM_NCHITTEST:
            return OnNcHitTest(wParam, lParam);
        case WM_GETDLGCODE:
            return OnGetDlgCode(wParam, lParam);
        default:
            return DefaultWindowProc(window, message, wParam, lParam);
    }
}

LRESULT CWindowBase::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWindowBase::HandleMouseMove(WPARAM wParam, LPARAM lParam) {
    // One request per stay: WM_MOUSELEAVE ends it, and the next move asks again.
    if (!m_mouseTracked) {
        TRACKMOUSEEVENT tracking = {sizeof(tracking), TME_LEAVE, m_hWnd, 0};
        m_mouseTracked = TrackMouseEvent(&tracking);
    }
    return OnMouseMove(wParam, lParam);
}

LRESULT CWindowBase::HandleMouseLeave(WPARAM wParam, LPARAM lParam) {
    m_mouseTracked = FALSE;
    return OnMouseLeave(wParam, lParam);
}

void CWindowBase::ReleaseBackBuffer() {
    m_backBufferDc.reset();
    m_backBufferBitmap.Reset();
}

LRESULT CWindowBase::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC paintDc = BeginPaint(m_hWnd, &paint);
    if (!paintDc)
        return 0;
    HDC drawDc = paintDc;
    if (m_doubleBuffered) {
        ReleaseBackBuffer();
        GetClientRect(m_hWnd, &m_clientRect);
        int width = m_clientRect.right - m_clientRect.left;
        int height = m_clientRect.bottom - m_clientRect.top;
        m_backBufferDc.reset(new CMemoryDc(paintDc));
        m_backBufferBitmap.Reset(CreateCompatibleBitmap(paintDc, width, height));
        // Without a buffer (an empty window, or GDI out of objects) the picture still goes
        // straight to the screen.
        if (m_backBufferBitmap && m_backBufferDc->Select(m_backBufferBitmap.Get())) {
            drawDc = m_backBufferDc->Get();
            SetWindowOrgEx(drawDc, m_clientRect.left, m_clientRect.top, nullptr);
            if (m_copyScreenIntoBuffer)
                BitBlt(drawDc, m_clientRect.left, m_clientRect.top, width, height, paintDc, m_clientRect.left,
                       m_clientRect.top, SRCCOPY);
        }
    }
    LRESULT result = OnDraw(drawDc);
    if (drawDc != paintDc)
        BitBlt(paintDc, m_clientRect.left, m_clientRect.top, m_clientRect.right - m_clientRect.left,
               m_clientRect.bottom - m_clientRect.top, drawDc, m_clientRect.left, m_clientRect.top, SRCCOPY);
    ReleaseBackBuffer();
    EndPaint(m_hWnd, &paint);
    return result;
}

LRESULT CWindowBase::OnPrintClient(WPARAM wParam, LPARAM) {
    return OnDraw(reinterpret_cast<HDC>(wParam));
}
LRESULT CWindowBase::OnCreate(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnClose(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_CLOSE, wParam, lParam);
}
LRESULT CWindowBase::OnDestroy(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_DESTROY, wParam, lParam);
}
LRESULT CWindowBase::OnCommand(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnNotify(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnLButtonDown(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnLButtonUp(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnRButtonDown(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnRButtonUp(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnMouseMove(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnMoving(WPARAM, LPARAM) {
    return 0;
}
// Keys are taken, never passed on: DefWindowProcW would hand them to the owner window.
LRESULT CWindowBase::OnKeyDown(WPARAM, LPARAM) {
    return 1;
}
LRESULT CWindowBase::OnKeyUp(WPARAM, LPARAM) {
    return 1;
}
LRESULT CWindowBase::OnMove(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_MOVE, wParam, lParam);
}
LRESULT CWindowBase::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_LBUTTONDBLCLK, wParam, lParam);
}
LRESULT CWindowBase::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_MOUSELEAVE, wParam, lParam);
}
LRESULT CWindowBase::OnMouseActivate(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_MOUSEACTIVATE, wParam, lParam);
}
LRESULT CWindowBase::OnSize(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnSizing(WPARAM, LPARAM) {
    return 0;
}
LRESULT CWindowBase::OnEraseBkgnd(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_ERASEBKGND, wParam, lParam);
}
LRESULT CWindowBase::OnKillFocus(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_KILLFOCUS, wParam, lParam);
}
LRESULT CWindowBase::OnSetFocus(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_SETFOCUS, wParam, lParam);
}

LRESULT CWindowBase::DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CWindowBase::OnActivate(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_ACTIVATE, wParam, lParam);
}
LRESULT CWindowBase::OnNcHitTest(WPARAM wParam, LPARAM lParam) {
    return CallDefault(WM_NCHITTEST, wParam, lParam);
}
LRESULT CWindowBase::OnGetDlgCode(WPARAM, LPARAM) {
    return DLGC_WANTALLKEYS;
}

void CWindowBase::Show(BOOL show) {
    if (m_hWnd)
        ShowWindow(m_hWnd, show ? SW_SHOWNORMAL : SW_HIDE);
}
