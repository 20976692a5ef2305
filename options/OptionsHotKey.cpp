#include "options/OptionsUI.h"

#include "lib/Treeview.h"

LRESULT CALLBACK OptionsKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    BOOL consumed = FALSE;
    // Tab and Shift+Tab still move on, or a keyboard user could never leave the edit; Enter and
    // Esc still press OK and Cancel, keeping the key just typed.
    BOOL dialogKey = wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE;
    if (code == HC_ACTION && !dialogKey && !(lParam & 0x80000000)) {
        COptionsUI* options = COptionsUI::FromWindow(GetActiveWindow());
        if (options && GetFocus() == options->m_hotKey.Window()) {
            options->m_hotKey.TakeKey(static_cast<UINT>(wParam));
            consumed = TRUE;
        }
    }
    // The item toolbar takes no focus; from the tree its commands have keys of their own.
    if (code == HC_ACTION && !consumed && !(lParam & 0x80000000)) {
        COptionsUI* options = COptionsUI::FromWindow(GetActiveWindow());
        if (options && options->m_tree && GetFocus() == options->m_tree->GetWindow())
            consumed = options->OnTreeKey(static_cast<UINT>(wParam), (GetKeyState(VK_CONTROL) & 0x8000) != 0);
    }
    LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
    return consumed ? 1 : next;
}
