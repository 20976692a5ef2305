#include "options/OptionsHotKeyEdit.h"

#include "lib/StringCopy.h"

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

void COptionsHotKeyEdit::Show(UINT modifiers, UINT virtualKey) {
    m_modifiers = modifiers;
    m_virtualKey = virtualKey;
    WCHAR text[MAX_PATH] = L"";
    if (m_modifiers != 0)
        FormatHotKeyText(m_modifiers, m_virtualKey, text);
    SetWindowTextW(m_hEdit, text);
}

void COptionsHotKeyEdit::TakeKey(UINT virtualKey) {
    if (IsModifierKey(virtualKey))
        return;
    UINT modifiers = 0;
    if (IsPressed(VK_CONTROL))
        modifiers |= MOD_CONTROL;
    if (IsPressed(VK_SHIFT))
        modifiers |= MOD_SHIFT;
    if (IsPressed(VK_MENU))
        modifiers |= MOD_ALT;
    if (IsPressed(VK_LWIN) || IsPressed(VK_RWIN))
        modifiers |= MOD_WIN;
    Show(modifiers, virtualKey);
}
