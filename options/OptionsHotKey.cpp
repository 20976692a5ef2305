#include "options/OptionsUI.h"

LRESULT CALLBACK COptionsUI::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    BOOL consumed = FALSE;
    if (code == HC_ACTION && !(lParam & 0x80000000)) {
        if (COptionsUI* options = COptionsUI::FromWindow(GetActiveWindow()))
            consumed = options->OnKey(static_cast<UINT>(wParam));
    }
    LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
    return consumed ? 1 : next;
}

BOOL COptionsUI::OnKey(UINT virtualKey) {
    HWND focus = GetFocus();
    // Tab and Shift+Tab still move on, or a keyboard user could never leave the edit; Enter and
    // Esc still press OK and Cancel, keeping the key just typed.
    BOOL dialogKey = virtualKey == VK_TAB || virtualKey == VK_RETURN || virtualKey == VK_ESCAPE;
    if (!dialogKey && m_itemPage.TakeHotKey(focus, virtualKey))
        return TRUE;
    // The item toolbar takes no focus; from the tree its commands have keys of their own.
    return m_tree && focus == m_tree->GetWindow() && OnTreeKey(virtualKey, (GetKeyState(VK_CONTROL) & 0x8000) != 0);
}
