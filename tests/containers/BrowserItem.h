#pragma once
#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ShellBrowserContainer.h"

#include <cwchar>
#include <memory>
#include <string>

// A Browser item of a 300 x 200 window at (50, 50) over the folder, its container made but not yet
// initialized, so that a test can change the item first.
struct BrowserItem {
    BrowserItem(int zOrder, const std::wstring& path) {
        application.m_pOptions = new CApplicationOptions();
        wcscpy(item.Path, path.c_str());
        item.ZOrder = zOrder;
        item.WindowRect = {0, 0, 300, 200};
        item.WindowPositionX = item.WindowPositionY = 50;
        container.reset(new CShellBrowserContainer(GetModuleHandleW(nullptr), &application));
    }
    bool Initialize() { return container->Initialize(&item) != FALSE; }
    LONG_PTR ExStyle() const { return GetWindowLongPtrW(container->GetWindow(), GWL_EXSTYLE); }

    CPathwren application;
    CGenericPathwrenObject item;
    std::unique_ptr<CShellBrowserContainer> container;
};
