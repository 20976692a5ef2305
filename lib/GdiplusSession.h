#pragma once
#include <windows.h>

#include <gdiplus.h>

// GDI+ started for as long as the object lives. Every GDI+ object made under a session must be
// gone before the session ends.
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
