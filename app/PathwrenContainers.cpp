#include "app/ContainerFactory.h"
#include "app/Pathwren.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/ItemIdentifiers.h"
#include "containers/LaunchBarContainerBase.h"
#include "launchbar/LaunchBar.h"
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
    // Items from an older file, or new from the options, get their identifiers here; the file
    // gains them with the next save.
    GiveItemsIdentifiers(m_folders);
    DestroyLaunchBar();
    // The containers append their buttons to the bar while they are created.
    if (m_pOptions && m_pOptions->LaunchMode == LaunchModeLaunchBar)
        m_pLaunchBar = new CLaunchBar();
    BOOL anyCreated = FALSE;
    for (CGenericPathwrenObject* item : m_folders) {
        if (!m_hDefaultIcon)
            m_hDefaultIcon = static_cast<HICON>(
                LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED));
        if (CreateContainerForItem(item, this, m_hInstance, m_hDefaultIcon, m_pLanguage))
            anyCreated = TRUE;
    }
    if (m_pLaunchBar)
        BuildLaunchBar();
    RegisterHotKeys();
    return anyCreated;
}

void CPathwren::BuildLaunchBar() {
    m_pLaunchBar->Build(this, m_hInstance, m_pOptions->LaunchBarOptions);
    // A bar whose window could not be made shows nothing; the items' hotkeys still need an owner
    // for their menus.
    HWND toolbar = m_pLaunchBar->GetToolbarWindow();
    if (!toolbar)
        toolbar = m_hMainWindow;
    for (CGenericPathwrenObject* item : m_folders) {
        if (item->m_pContainer)
            item->m_pContainer->SetOwnerWindow(toolbar);
    }
    CLaunchBarContainerBase* barContainer = m_pLaunchBar->GetContainer();
    barContainer->BuildContextMenu(m_pLanguage);
    barContainer->SetOwnerWindow(toolbar);
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
