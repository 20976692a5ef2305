#include "options/OptionsColorButtons.h"

#include "res/resource.h"

#include <commdlg.h>

namespace {

const int kColorButtonIds[ColorButtonCount] = {IDC_TEXT_COLOR,           IDC_TEXT_BACKGROUND_COLOR,
                                               IDC_BACKGROUND_COLOR,     IDC_GRADIENT_COLOR1,
                                               IDC_GRADIENT_COLOR2,      IDC_BAR_COLOR,
                                               IDC_BAR_COLOR1,           IDC_BAR_COLOR2,
                                               IDC_BAR_TRANSPARENT_COLOR};

} // namespace

void COptionsColorButtons::Attach(HWND dialog) {
    m_hDialog = dialog;
    for (int i = 0; i < ColorButtonCount; ++i)
        m_buttons[i] = GetDlgItem(dialog, kColorButtonIds[i]);
}

void COptionsColorButtons::Set(ColorButton button, COLORREF color) {
    m_brushes[button].Reset(CreateSolidBrush(color));
    if (m_buttons[button])
        InvalidateRect(m_buttons[button], nullptr, FALSE);
}

void COptionsColorButtons::Show(ColorButton button, COLORREF color) {
    Set(button, color);
    RedrawWindow(m_buttons[button], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

COLORREF COptionsColorButtons::Get(ColorButton button) const {
    LOGBRUSH brush = {};
    if (!m_brushes[button] || !GetObjectW(m_brushes[button].Get(), sizeof(brush), &brush))
        return 0;
    return brush.lbColor;
}

BOOL COptionsColorButtons::OnCommand(int command) {
    for (int i = 0; i < ColorButtonCount; ++i) {
        if (command == kColorButtonIds[i]) {
            Pick(static_cast<ColorButton>(i));
            return TRUE;
        }
    }
    return FALSE;
}

BOOL COptionsColorButtons::Draw(const DRAWITEMSTRUCT& draw) const {
    for (int i = 0; i < ColorButtonCount; ++i) {
        if (draw.hwndItem == m_buttons[i]) {
            FillRect(draw.hDC, &draw.rcItem, m_brushes[i].Get());
            return TRUE;
        }
    }
    return FALSE;
}

void COptionsColorButtons::Pick(ColorButton button) {
    // Kept between calls, as the colour dialog's own custom colours are.
    static COLORREF customColors[16] = {};
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = m_hDialog;
    choose.rgbResult = Get(button);
    choose.lpCustColors = customColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (ChooseColorW(&choose))
        Set(button, choose.rgbResult);
}
