#pragma once
#include <windows.h>

// The Hot Key edit of an item: it shows the combination the user pressed while it had the focus,
// which the item then stores. Keys are taken by the dialog's keyboard hook, before the edit
// would type them.
class COptionsHotKeyEdit {
public:
    void Attach(HWND edit) { m_hEdit = edit; }
    HWND Window() const { return m_hEdit; }
    // Shows a stored combination; no modifier shows nothing.
    void Show(UINT modifiers, UINT virtualKey);
    // A key pressed in the edit, with the modifiers held now. A modifier alone is only on its way
    // to a combination: stored, it would be registered although the edit cannot name it.
    void TakeKey(UINT virtualKey);
    UINT Modifiers() const { return m_modifiers; }
    UINT VirtualKey() const { return m_virtualKey; }

private:
    HWND m_hEdit = nullptr;
    UINT m_modifiers = 0;
    UINT m_virtualKey = 0;
};

// "ALT + CTRL + F": FALSE, with the output untouched, for no key or a modifier key alone.
BOOL FormatHotKeyText(UINT modifiers, UINT virtualKey, LPWSTR text);
