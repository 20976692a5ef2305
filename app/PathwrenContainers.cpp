#include "app/ContainerFactory.h"
#include "app/Pathwren.h"

#include "config/GenericPathwrenObject.h"
#include "res/resource.h"

#include <cwchar>

namespace {

bool HasHotKey(const CGenericPathwrenObject& item) {
    return item.HotKeyModifier != 0 && item.HotKeyVirtualKey != 0;
}

void WarnInvalidHotKey(HWND owner, CGenericPathwrenObject& item, UINT index) {
    WCHAR name[MAX_PATH];
    item.GetDisplayName(name);
    WCHAR text[520];
    swprintf(text, 520, L"Invalid HotKey for %ls (Item %u)\r\nHotkey may already used by another application.", name,
             index + 1);
    MessageBoxW(owner, text, L"Pathwren", MB_ICONEXCLAMATION);
}

} // namespace

BOOL CPathwren::CreateContainers() {
    DestroyLaunchBar();
    BOOL anyCreated = FALSE;
    for (CGenericPathwrenObject* item : m_folders) {
        if (!m_hDefaultIcon)
            m_hDefaultIcon = static_cast<HICON>(
                LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED));
        if (CreateContainerForItem(item, this, m_hInstance, m_hDefaultIcon, m_pLanguage))
            anyCreated = TRUE;
    }
    // "Launch Bar" mode builds the bar and hands its toolbar to every container here, once the
    // launch bar exists in the program.
    RegisterHotKeys();
    return anyCreated;
}

BOOL CPathwren::RegisterHotKeys() {
    BOOL allRegistered = TRUE;
    for (UINT i = 0; i < m_folders.size(); ++i) {
        CGenericPathwrenObject& item = *m_folders[i];
        if (!HasHotKey(item))
            continue;
        if (!RegisterHotKey(m_hMainWindow, static_cast<int>(i), item.HotKeyModifier, item.HotKeyVirtualKey)) {
            WarnInvalidHotKey(m_hMainWindow, item, i);
            allRegistered = FALSE;
        }
    }
    return allRegistered;
}

BOOL CPathwren::UnregisterHotKeys() {
    BOOL allUnregistered = TRUE;
    for (UINT i = 0; i < m_folders.size(); ++i) {
        if (HasHotKey(*m_folders[i]) && !UnregisterHotKey(m_hMainWindow, static_cast<int>(i)))
            allUnregistered = FALSE;
    }
    return allUnregistered;
}
