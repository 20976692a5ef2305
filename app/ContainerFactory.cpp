#include "app/ContainerFactory.h"

#include "config/GenericPathwrenObject.h"
#include "config/SpecialPath.h"

#include <cwchar>

namespace {

BOOL ReportMissingFolder(const CGenericPathwrenObject& item) {
    WCHAR text[388];
    swprintf(text, 388, L"File path %ls does not exists !", item.Path);
    MessageBoxW(nullptr, text, L"Error", MB_ICONERROR | MB_SYSTEMMODAL);
    return FALSE;
}

} // namespace

BOOL CreateContainerForItem(CGenericPathwrenObject* item, CPathwren* application, HINSTANCE instance, HICON defaultIcon,
                            CLanguage* language) {
    (void)application;
    (void)instance;
    (void)defaultIcon;
    (void)language;
    // A "Multiple Folders Menu" has its folders elsewhere; its own Path need not exist.
    if (item->FolderPresentationType != FolderPresentationMultipleFoldersMenu) {
        WCHAR folder[MAX_PATH];
        if (!ResolveSpecialPath(item->Path, folder))
            return ReportMissingFolder(*item);
    }
    // The containers of the four shortcut types (menus, browser, desktop) arrive with their
    // subsystems; until then no type has one and every item stays without a container.
    return FALSE;
}
