#pragma once
#include <windows.h>

#include <gdiplus.h>

// GDI+ started for as long as the object lives, shut down again only if the start succeeded. GDI+
// counts its starts, so several sessions may live at once; every GDI+ object must die before the
// session that was current when it was made.
class CGdiplusSession {
public:
    CGdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~CGdiplusSession() {
        if (m_started)
            Gdiplus::GdiplusShutdown(m_token);
    }
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;

    BOOL Started() const { return m_started; }

private:
    ULONG_PTR m_token = 0;
    BOOL m_started = FALSE;
};
