#include "lib/WindowSubclass.h"

BOOL CWindowSubclass::Install(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    Remove();
    // Comctl32 under Wine accepts a destroyed window; this holder must not keep its handle. The
    // watcher goes on first, so it is further down the chain: the procedure sees
    // WM_NCDESTROY before the watcher takes both off.
    const UINT_PTR watchId = reinterpret_cast<UINT_PTR>(this);
    if (!IsWindow(window) || !SetWindowSubclass(window, Watch, watchId, reinterpret_cast<DWORD_PTR>(this)))
        return FALSE;
    if (!SetWindowSubclass(window, procedure, id, data)) {
        RemoveWindowSubclass(window, Watch, watchId);
        return FALSE;
    }
    m_window = window;
    m_procedure = procedure;
    m_id = id;
    return TRUE;
}

void CWindowSubclass::Remove() {
    if (!m_window)
        return;
    RemoveWindowSubclass(m_window, m_procedure, m_id);
    RemoveWindowSubclass(m_window, Watch, reinterpret_cast<UINT_PTR>(this));
    m_window = nullptr;
}

LRESULT CALLBACK CWindowSubclass::Watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    if (message == WM_NCDESTROY)
        reinterpret_cast<CWindowSubclass*>(data)->Remove();
    return DefSubclassProc(window, message, wParam, lParam);
}
