#pragma once
#include <windows.h>

// A modal dialog box made from a template whose messages go to the object behind it. The object is
// linked to its box once, at WM_INITDIALOG, in a named property: code that only has a window (a
// keyboard hook, the active window) can ask whether it is one of ours, and any other dialog box,
// whose user data is its own, gives null.
class CModalDialog {
public:
    CModalDialog() = default;
    virtual ~CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // Runs the box until it ends; returns what it was ended with, or -1 when it could not be made.
    INT_PTR Run(HINSTANCE instance, UINT templateId, HWND owner);
    // The object of a box this class runs; null for any other window.
    static CModalDialog* FromWindow(HWND window);
    // The box while it runs; null before and after.
    HWND Handle() const { return m_hDialog; }

protected:
    // At WM_INITDIALOG, with Handle() set: TRUE lets the system focus the first control, FALSE
    // says the focus was placed.
    virtual BOOL OnInitDialog() = 0;
    // Every later message; the result is the dialog procedure's (FALSE: not handled).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Cuts the link before the box ends: later messages, even those of a nested loop still
    // running under it, reach no object, and FromWindow finds none.
    void Unlink();

    HWND m_hDialog = nullptr;

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
