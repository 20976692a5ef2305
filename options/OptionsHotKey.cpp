#include "options/OptionsUI.h"

#include "lib/StringCopy.h"
#include "lib/Treeview.h"
#include "res/resource.h"

namespace {

const UINT kExtendedKeyBit = 0x100;

// Keys whose scan code is shared with a numeric-pad twin; the extended bit names the dedicated key.
BOOL IsExtendedKey(UINT virtualKey) {
    return (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) || virtualKey == VK_INSERT || virtualKey == VK_DELETE ||
           virtualKey == VK_DIVIDE || virtualKey == VK_NUMLOCK;
}

BOOL IsModifierKey(UINT virtualKey) {
    return virtualKey == VK_SHIFT || virtualKey == VK_CONTROL || virtualKey == VK_MENU || virtualKey == VK_LWIN ||
           virtualKey == VK_RWIN;
}

BOOL IsPressed(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

} // namespace

BOOL FormatHotKeyText(UINT modifiers, UINT virtualKey, LPWSTR text) {
    if (virtualKey == 0 || IsModifierKey(virtualKey))
        return FALSE;
    WCHAR buffer[MAX_PATH] = L"";
    if (modifiers & MOD_ALT)
        AppendTruncated(buffer, L"ALT + ");
    if (modifiers & MOD_CONTROL)
        AppendTruncated(buffer, L"CTRL + ");
    if (modifiers & MOD_SHIFT)
        AppendTruncated(buffer, L"SHIFT + ");
    if (modifiers & MOD_WIN)
        AppendTruncated(buffer, L"WIN + ");
    UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    if (IsExtendedKey(virtualKey))
        scanCode |= kExtendedKeyBit;
    size_t used = wcslen(buffer);
    if (GetKeyNameTextW(static_cast<LONG>(scanCode << 16), buffer + used, static_cast<int>(MAX_PATH - used)) <= 0) {
        text[0] = L'\0';
        return FALSE;
    }
    CopyTruncated(text, MAX_PATH, buffer);
    return TRUE;
}

void COptionsUI::SetHotKeyText() {
    WCHAR text[MAX_PATH] = L"";
    if (m_hotKeyModifier != 0)
        FormatHotKeyText(m_hotKeyModifier, m_hotKeyVirtualKey, text);
    SetDlgItemTextW(m_hDialog, IDC_HOT_KEY, text);
}

LRESULT CALLBACK OptionsKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    BOOL consumed = FALSE;
    // Tab and Shift+Tab still move on, or a keyboard user could never leave the edit; Enter and
    // Esc still press OK and Cancel, keeping the key just typed.
    BOOL dialogKey = wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE;
    if (code == HC_ACTION && !dialogKey && !(lParam & 0x80000000)) {
        COptionsUI* options = COptionsUI::FromWindow(GetActiveWindow());
        if (options && GetFocus() == GetDlgItem(options->Handle(), IDC_HOT_KEY)) {
            UINT modifiers = 0;
            if (IsPressed(VK_CONTROL))
                modifiers |= MOD_CONTROL;
            if (IsPressed(VK_SHIFT))
                modifiers |= MOD_SHIFT;
            if (IsPressed(VK_MENU))
                modifiers |= MOD_ALT;
            if (IsPressed(VK_LWIN) || IsPressed(VK_RWIN))
                modifiers |= MOD_WIN;
            // A modifier pressed on its way to a combination is no hotkey of its own: stored, it
            // would be registered although the edit cannot name it.
            if (!IsModifierKey(static_cast<UINT>(wParam))) {
                options->m_hotKeyModifier = modifiers;
                options->m_hotKeyVirtualKey = static_cast<UINT>(wParam);
                options->SetHotKeyText();
            }
            consumed = TRUE;
        }
    }
    // The item toolbar takes no focus; from the tree its commands have keys of their own.
    if (code == HC_ACTION && !consumed && !(lParam & 0x80000000)) {
        COptionsUI* options = COptionsUI::FromWindow(GetActiveWindow());
        if (options && options->m_tree && GetFocus() == options->m_tree->GetWindow())
            consumed = options->OnTreeKey(static_cast<UINT>(wParam), IsPressed(VK_CONTROL));
    }
    LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
    return consumed ? 1 : next;
}
