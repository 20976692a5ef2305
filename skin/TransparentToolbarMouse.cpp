#include "skin/TransparentToolbar.h"

#include "lib/StringCopy.h"

#include <commctrl.h>

// The toolbar reads the cursor itself rather than the messages' coordinates: while the bar is
// dragged the window moves under the cursor between a message and its handling.
POINT CTransparentToolbar::CursorInClient(POINT* screen) const {
    GetCursorPos(screen);
    POINT client = *screen;
    ScreenToClient(m_hWnd, &client);
    return client;
}

BOOL CTransparentToolbar::IsOver(const TransparentToolbarPlacedButton& button, POINT client) const {
    RECT rect = {button.Position.x, button.Position.y, button.Position.x + m_buttonWidth,
                 button.Position.y + m_buttonHeight};
    return PtInRect(&rect, client);
}

int CTransparentToolbar::ButtonAt(POINT client) const {
    for (size_t index = 0; index < m_buttons.size(); ++index) {
        if (IsOver(m_buttons[index], client))
            return static_cast<int>(index);
    }
    return -1;
}

BOOL CTransparentToolbar::IsOverMoveButton(POINT client) const {
    return m_hasMoveButton && m_moveButtonVisible && IsOver(m_moveButton, client);
}

void CTransparentToolbar::InvalidateButton(const TransparentToolbarPlacedButton& button) {
    if (!m_hWnd)
        return;
    RECT rect = {button.Position.x, button.Position.y, button.Position.x + m_buttonWidth,
                 button.Position.y + m_buttonHeight};
    InvalidateRect(m_hWnd, &rect, TRUE);
}

// Only a real change repaints, so a mouse wandering over one button costs nothing.
void CTransparentToolbar::SetButtonState(TransparentToolbarPlacedButton& button, int state) {
    if (button.State == state)
        return;
    button.State = state;
    InvalidateButton(button);
}

void CTransparentToolbar::ShowTooltip(LPCWSTR text) {
    CopyTruncated(m_tooltipText, ARRAYSIZE(m_tooltipText), text);
    if (m_tooltip)
        SendMessageW(m_tooltip, TTM_ACTIVATE, m_tooltipText[0] != L'\0', 0);
}

void CTransparentToolbar::HideTooltip() {
    m_tooltipText[0] = L'\0';
    if (m_tooltip)
        SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
}

void CTransparentToolbar::CoolDownHotButton() {
    if (m_hotButton >= 0 && m_buttons[m_hotButton].Button.Enabled)
        SetButtonState(m_buttons[m_hotButton], ToolbarButtonNormal);
    m_hotButton = -1;
    HideTooltip();
}

void CTransparentToolbar::StartDragging(POINT screen) {
    m_pendingDrag = FALSE;
    m_dragging = TRUE;
    m_lastCursorPos = screen;
    SetCursor(m_sizeAllCursor);
    SetCapture(m_hWnd);
}

LRESULT CTransparentToolbar::OnLButtonDown(WPARAM, LPARAM) {
    HideTooltip();
    POINT screen;
    POINT client = CursorInClient(&screen);
    int index = ButtonAt(client);
    if (index >= 0) {
        // Never a drag from a button, not even a disabled one.
        if (m_buttons[index].Button.Enabled)
            SetButtonState(m_buttons[index], ToolbarButtonPressed);
        m_pressed = TRUE;
        return 0;
    }
    if (IsOverMoveButton(client)) {
        SetButtonState(m_moveButton, ToolbarButtonPressed);
        m_pressed = TRUE;
        StartDragging(screen);
        return 0;
    }
    if (m_dragFromAnywhere) {
        m_pendingDrag = TRUE;
        m_lastCursorPos = screen;
    }
    return 0;
}

void CTransparentToolbar::DragTo(POINT screen) {
    int dx = screen.x - m_lastCursorPos.x;
    int dy = screen.y - m_lastCursorPos.y;
    if (!dx && !dy)
        return;
    RECT window;
    GetWindowRect(m_hWnd, &window);
    m_x = window.left + dx;
    m_y = window.top + dy;
    m_lastCursorPos = screen;
    // The press that started the drag has activated the bar already; activating again at each
    // step only costs (on Wine without a window manager, seconds at the next destroy).
    SetWindowPos(m_hWnd, nullptr, m_x, m_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_pEvents)
        m_pEvents->OnToolbarMoved(this, dx, dy);
}

LRESULT CTransparentToolbar::OnMouseMove(WPARAM wParam, LPARAM) {
    POINT screen;
    POINT client = CursorInClient(&screen);
    if (m_dragging) {
        DragTo(screen);
    } else if (m_pendingDrag) {
        if (screen.x != m_lastCursorPos.x || screen.y != m_lastCursorPos.y)
            StartDragging(m_lastCursorPos);
    } else {
        HoverAt(screen, client, wParam);
    }
    return 0;
}

void CTransparentToolbar::HoverAt(POINT screen, POINT client, WPARAM keys) {
    m_lastCursorPos = screen;
    // "Held" means the left button alone: with another button or key down it is no press.
    BOOL leftHeld = keys == MK_LBUTTON;
    if (IsOverMoveButton(client)) {
        CoolDownHotButton();
        if (leftHeld && !m_pressed) {
            SetButtonState(m_moveButton, ToolbarButtonPressed);
            m_pressed = TRUE;
        }
        if (!m_overMoveButton) {
            m_overMoveButton = TRUE;
            ShowTooltip(m_moveButton.Button.Tooltip);
            if (!m_pressed)
                SetButtonState(m_moveButton, ToolbarButtonHot);
        }
        return;
    }
    if (m_overMoveButton) {
        m_overMoveButton = FALSE;
        SetButtonState(m_moveButton, ToolbarButtonNormal);
        m_pressed = FALSE;
    }
    BOOL wasPressed = m_pressed;
    m_pressed = leftHeld;
    int index = ButtonAt(client);
    if (index < 0) {
        CoolDownHotButton();
        return;
    }
    if (index == m_hotButton && wasPressed == m_pressed)
        return;
    HideTooltip();
    if (m_hotButton >= 0 && m_hotButton != index && m_buttons[m_hotButton].Button.Enabled)
        SetButtonState(m_buttons[m_hotButton], ToolbarButtonNormal);
    m_hotButton = index;
    TransparentToolbarPlacedButton& button = m_buttons[index];
    if (button.Button.Enabled)
        SetButtonState(button, m_pressed ? ToolbarButtonPressed : ToolbarButtonHot);
    ShowTooltip(button.Button.Tooltip);
}

LRESULT CTransparentToolbar::OnLButtonUp(WPARAM, LPARAM) {
    m_pressed = FALSE;
    m_pendingDrag = FALSE;
    POINT screen;
    POINT client = CursorInClient(&screen);
    if (m_dragging) {
        m_dragging = FALSE;
        ReleaseCapture();
        SetButtonState(m_moveButton, IsOverMoveButton(client) ? ToolbarButtonHot : ToolbarButtonNormal);
        // Events come last: the sink may destroy the toolbar.
        if (m_pEvents)
            m_pEvents->OnToolbarMoveEnded(this);
        return 0;
    }
    int index = ButtonAt(client);
    if (index < 0 || !m_buttons[index].Button.Enabled)
        return 0;
    SetButtonState(m_buttons[index], ToolbarButtonHot);
    if (m_pEvents)
        m_pEvents->OnToolbarButtonClicked(this, m_buttons[index].Button.Command);
    return 0;
}

LRESULT CTransparentToolbar::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
    POINT screen;
    POINT client = CursorInClient(&screen);
    // On a button the second click of a double-click is one more press.
    if (ButtonAt(client) >= 0 || IsOverMoveButton(client))
        return OnLButtonDown(wParam, lParam);
    if (m_pEvents)
        m_pEvents->OnToolbarDoubleClicked(this);
    return 0;
}

LRESULT CTransparentToolbar::OnRButtonUp(WPARAM, LPARAM) {
    POINT screen;
    POINT client = CursorInClient(&screen);
    int index = ButtonAt(client);
    if (index >= 0 && m_buttons[index].Button.Enabled) {
        if (m_pEvents)
            m_pEvents->OnToolbarButtonRightClicked(this, static_cast<UINT>(index));
        return 0;
    }
    RECT window;
    GetWindowRect(m_hWnd, &window);
    if (PtInRect(&window, screen) && m_pEvents)
        m_pEvents->OnToolbarRightClicked(this, screen);
    return 0;
}

LRESULT CTransparentToolbar::OnMouseLeave(WPARAM, LPARAM) {
    m_overMoveButton = FALSE;
    m_pressed = FALSE;
    if (m_hasMoveButton)
        SetButtonState(m_moveButton, ToolbarButtonNormal);
    if (m_hotButton >= 0 && m_buttons[m_hotButton].Button.Enabled)
        SetButtonState(m_buttons[m_hotButton], ToolbarButtonNormal);
    m_hotButton = -1;
    return 0;
}
