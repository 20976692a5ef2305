#pragma once
#include <windows.h>

#include "lib/GdiObject.h"
#include "lib/ThemePalette.h"

// A dialog's background and texts in the current colour scheme. The dialog procedure hands every
// WM_CTLCOLOR* message here and returns the brush it gets; in the light and high contrast schemes
// there is none, and the dialog keeps Windows' own (system) colours.
class CDialogColors {
public:
    CDialogColors() = default;
    CDialogColors(const CDialogColors&) = delete;
    CDialogColors& operator=(const CDialogColors&) = delete;

    // The brush to return from the dialog procedure, or null to leave the message to Windows.
    HBRUSH OnControlColor(UINT message, HDC dc);
    // What only Windows can darken: the title bar and the list and tree views, light again when
    // the scheme is not dark. For WM_INITDIALOG and after a scheme change.
    static void ApplyToWindow(HWND dialog);

private:
    CBrushHandle m_dialogBrush;
    CBrushHandle m_windowBrush;
    COLORREF m_dialogColor = CLR_INVALID;
    COLORREF m_windowColor = CLR_INVALID;
};
