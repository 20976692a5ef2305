#pragma once
#include <windows.h>

// Asks Windows to draw what it draws for us (title bars, menus, scroll bars, list and tree views)
// dark or light. Every entry point is looked up at run time: a Windows without one, or Wine,
// simply keeps those parts light, and each call reports whether Windows took the request. The DLLs
// are reached only by a call: a program that stays light never loads them.
class CWindowsDarkMode {
public:
    CWindowsDarkMode();
    // The DLL names, for a check that a system without them keeps working.
    CWindowsDarkMode(const wchar_t* uxthemeName, const wchar_t* dwmName);
    CWindowsDarkMode(const CWindowsDarkMode&) = delete;
    CWindowsDarkMode& operator=(const CWindowsDarkMode&) = delete;

    // Menus and scroll bars of the whole process, from their next opening.
    BOOL SetMenusDark(BOOL dark);
    BOOL SetTitleBarDark(HWND window, BOOL dark);
    // The list view, tree view or scrolling window in Explorer's dark look, or back to its default.
    BOOL SetControlDark(HWND control, BOOL dark);

private:
    const wchar_t* m_uxthemeName;
    const wchar_t* m_dwmName;
};
