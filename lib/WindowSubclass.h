#pragma once
#include <windows.h>
#include <commctrl.h>

// The one holder of a subclass procedure on a window: takes it off when the holder dies or when
// the window is destroyed, whichever comes first, so a procedure never runs for a holder that is
// gone and a holder never unhooks a window handle that may already name another window. The
// procedure keeps its own identifier and reference data, and sees WM_NCDESTROY as before.
class CWindowSubclass {
public:
    CWindowSubclass() {}
    ~CWindowSubclass() { Remove(); }
    // The window's watcher points at this holder, so it stays where it is.
    CWindowSubclass(const CWindowSubclass&) = delete;
    CWindowSubclass& operator=(const CWindowSubclass&) = delete;

    // Replaces what this holder held. FALSE (holding nothing) when the window takes no subclass.
    BOOL Install(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
    void Remove();
    // The subclassed window, or null once removed or destroyed.
    HWND Window() const { return m_window; }

private:
    static LRESULT CALLBACK Watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

    HWND m_window = nullptr;
    SUBCLASSPROC m_procedure = nullptr;
    UINT_PTR m_id = 0;
};
