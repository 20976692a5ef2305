#pragma once
#include "lib/GdiObject.h"
#include "lib/MemoryDc.h"

#include <windows.h>

#include <memory>

// The base of the program's own windows: every message becomes a call of one virtual handler
// with the message's wParam and lParam, returning the message result. Derived classes register
// their window class with WindowProc as its procedure and pass the object as CreateWindowExW's
// last argument.
//
// The window is forgotten at WM_NCDESTROY: DefWindowProcW answers WM_CLOSE by destroying the
// window behind the object's back, and the object must then neither use nor destroy it again.
class CWindowBase {
public:
    CWindowBase();
    CWindowBase(const CWindowBase&) = delete;
    CWindowBase& operator=(const CWindowBase&) = delete;

    // Handlers in the order of the virtual table; their defaults say what CWindowBase does.
    virtual LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Requests WM_MOUSELEAVE once per stay of the mouse, then OnMouseMove.
    virtual LRESULT HandleMouseMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT HandleMouseLeave(WPARAM wParam, LPARAM lParam);
    // Draws through OnDraw, into a back buffer unless double buffering is off.
    virtual LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnRButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMoving(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMouseActivate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSizing(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDraw(HDC dc) = 0;
    virtual LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    // Destroys the window if it still exists.
    virtual ~CWindowBase();
    virtual void Show(BOOL show);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND GetHandle() const { return m_hWnd; }
    void SetDoubleBuffered(BOOL doubleBuffered) { m_doubleBuffered = doubleBuffered; }
    // The back buffer starts as a copy of what the window shows, for OnDraw that paints only
    // part of it.
    void SetCopyScreenIntoBuffer(BOOL copyScreen) { m_copyScreenIntoBuffer = copyScreen; }

protected:
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);
    void ReleaseBackBuffer();
    // For destructors of derived classes, whose handlers must not run once they are gone.
    void DestroyOwnWindow();

    BOOL m_mouseTracked;
    HWND m_hWnd;
    // The bitmap is declared before its DC so that the DC, which puts its own bitmap back,
    // goes first.
    CBitmapHandle m_backBufferBitmap;
    std::unique_ptr<CMemoryDc> m_backBufferDc;
    RECT m_clientRect;
    BOOL m_doubleBuffered;
    BOOL m_copyScreenIntoBuffer;

private:
    void ForgetWindow();
};
