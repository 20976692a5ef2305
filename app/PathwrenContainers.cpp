#include "app/ContainerFactory.h"
#include "app/Pathwren.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/ItemIdentifiers.h"
#include "config/Language.h"
#include "containers/LaunchBarContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "lib/StringCopy.h"
#include "options/OptionsUI.h"
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
    if (m_pOptions && m_pOptions->LaunchMode == LaunchModeLaunchBar)
        m_pLaunchBar = new CLaunchBar();
    BOOL anyCreated = FALSE;
    for (CGenericPathwrenObject* item : m_folders) {
        if (!m_hDefaultIcon)
            m_hDefaultIcon = static_cast<HICON>(
                LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED));
        if (CreateContainerForItem(item, this, m_hInstance, m_hDefaultIcon, m_pLanguage))
            anyCreated = TRUE;
        if (m_pLaunchBar)
            AppendLaunchBarButton(*item);
    }
    if (m_pLaunchBar)
        BuildLaunchBar();
    RegisterHotKeys();
    return anyCreated;
}

void CPathwren::AppendLaunchBarButton(CGenericPathwrenObject& item) {
    CContainerBase* container = ContainerOf(item);
    // An item whose icon could not be taken has no button, as it would have no tray icon.
    if (!container || !container->GetIcon())
        return;
    TransparentToolbarButton button = {};
    container->GetLaunchBarImages(button.Images);
    button.Group = static_cast<INT>(item.AssociatedIconPosition);
    button.Enabled = TRUE;
    button.SpaceBefore = static_cast<INT>(item.LaunchBarFreeSpaceBeforeIcon);
    WCHAR tooltip[MAX_PATH];
    item.GetDisplayName(tooltip);
    CopyTruncated(button.Tooltip, tooltip);
    m_pLaunchBar->AppendButton(button, container);
}

void CPathwren::BuildLaunchBar() {
    m_pLaunchBarContainer = new CLaunchBarContainerBase(m_hInstance, this);
    m_pLaunchBarContainer->SetLanguage(m_pLanguage);
    // The bar gives every item and its own background menu its window as their menus' owner.
    m_pLaunchBar->Build(m_hInstance, m_pOptions->LaunchBarOptions, m_pLaunchBarContainer, m_hMainWindow);
}

void CPathwren::ReplaceConfiguration(EditedConfiguration& edited) {
    if (!m_pOptions || !edited.Options)
        return;
    CApplicationOptions::CopyApplicationOptions(*edited.Options, *m_pOptions);
    if (m_pLanguage && edited.Language)
        *m_pLanguage = *edited.Language;
    DestroyFolders();
    for (CGenericPathwrenObject* item : edited.Folders) {
        item->ReleaseContainer();
        m_folders.push_back(item);
    }
    edited.Folders.clear();
    {
        CIniFileEx<CApplicationOptions> file(m_mainConfigurationFile);
        file.Save(*m_pOptions, L"Pathwren");
    }
    SaveFolders();
    if (m_quitRequested)
        return;
    ApplyColorScheme(FALSE);
    if (!CreateContainers())
        PostMessageW(m_hMainWindow, WM_SHOW_OPTIONS, 0, 0);
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
