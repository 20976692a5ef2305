#include "app/ContainerFactory.h"

#include "config/GenericPathwrenObject.h"
#include "config/SpecialPath.h"
#include "containers/DesktopBrowserContainer.h"
#include "containers/FolderMenuContainer.h"
#include "containers/ShellBrowserContainer.h"
#include "containers/ShellBrowserContainerXP.h"
#include "lib/WindowsVersion.h"

#include <cwchar>

namespace {

BOOL ReportMissingFolder(const CGenericPathwrenObject& item) {
    WCHAR text[388];
    swprintf(text, 388, L"File path %ls does not exists !", item.Path);
    MessageBoxW(nullptr, text, L"Error", MB_ICONERROR | MB_SYSTEMMODAL);
    return FALSE;
}

} // namespace

BOOL IsWindowsXP() {
    return ReportedWindowsVersion().Is(5, 1);
}

BOOL CreateContainerForItem(CGenericPathwrenObject* item, IContainerHost* host, HINSTANCE instance, HICON defaultIcon,
                            CLanguage* language) {
    // A "Multiple Folders Menu" has its folders elsewhere; its own Path need not exist.
    if (item->FolderPresentationType != FolderPresentationMultipleFoldersMenu) {
        WCHAR folder[MAX_PATH];
        if (!ResolveSpecialPath(item->Path, folder))
            return ReportMissingFolder(*item);
    }
    CContainerBase* container = nullptr;
    switch (item->FolderPresentationType) {
        case FolderPresentationMenu:
        case FolderPresentationMultipleFoldersMenu:
            container = new CFolderMenuContainer(instance, host);
            break;
        case FolderPresentationBrowser:
            container = IsWindowsXP() ? static_cast<CContainerBase*>(new CShellBrowserContainerXP(instance, host))
                                      : new CShellBrowserContainer(instance, host);
            break;
        case FolderPresentationDesktop:
            container = IsWindowsXP() ? static_cast<CContainerBase*>(new CDesktopBrowserContainerXP(instance, host))
                                      : new CDesktopBrowserContainer(instance, host);
            break;
        default:
            return FALSE;
    }
    item->m_pContainer = container;
    container->SetDefaultIcon(defaultIcon);
    container->SetLanguage(language);
    return container->Initialize(item);
}
