#pragma once
#include <windows.h>

// A window's DC (the screen's for a null window), released with the owner.
class CWindowDc {
public:
    explicit CWindowDc(HWND window = nullptr) : m_window(window), m_dc(GetDC(window)) {}
    ~CWindowDc() {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    CWindowDc(const CWindowDc&) = delete;
    CWindowDc& operator=(const CWindowDc&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};
