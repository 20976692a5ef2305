#pragma once
#include <windows.h>

#include "lib/GdiObject.h"

// The nine owner-drawn colour buttons of the options dialog.
enum ColorButton {
    ColorItemText,
    ColorItemTextBackground,
    ColorItemBackground,
    ColorItemGradient1,
    ColorItemGradient2,
    ColorBarBackground,
    ColorBarGradient1,
    ColorBarGradient2,
    ColorBarTransparent,
    ColorButtonCount
};

// The options dialog's colour buttons. While the dialog is open each colour lives only in its
// button's brush, which the button is painted with.
class COptionsColorButtons {
public:
    // Finds the buttons among the dialog's controls.
    void Attach(HWND dialog);
    void Set(ColorButton button, COLORREF color);
    // Sets the colour and repaints the button at once, frame included.
    void Show(ColorButton button, COLORREF color);
    COLORREF Get(ColorButton button) const;
    // A click on one of the buttons asks the colour dialog for its new colour; FALSE for any
    // other command.
    BOOL OnCommand(int command);
    // Paints one of the buttons; FALSE for any other owner-drawn control.
    BOOL Draw(const DRAWITEMSTRUCT& draw) const;

private:
    void Pick(ColorButton button);

    HWND m_hDialog = nullptr;
    HWND m_buttons[ColorButtonCount] = {};
    CBrushHandle m_brushes[ColorButtonCount];
};
