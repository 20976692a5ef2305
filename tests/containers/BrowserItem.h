#pragma once
#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ShellBrowserContainer.h"

#include <shlobj.h>

#include <cwchar>
#include <memory>
#include <string>

// A Browser item of a 300 x 200 window at (50, 50) over the folder, its container made but not yet
// initialized, so that a test can change the item first.
template <class Container> struct TBrowserItem {
    TBrowserItem(int zOrder, const std::wstring& path) {
        application.m_pOptions = new CApplicationOptions();
        wcscpy(item.Path, path.c_str());
        item.ZOrder = zOrder;
        item.WindowRect = {0, 0, 300, 200};
        item.WindowPositionX = item.WindowPositionY = 50;
        container.reset(new Container(GetModuleHandleW(nullptr), &application));
    }
    bool Initialize() { return container->Initialize(&item) != FALSE; }
    bool Start() { return Initialize() && container->Show(TRUE); }
    LONG_PTR ExStyle() const { return GetWindowLongPtrW(container->GetWindow(), GWL_EXSTYLE); }
    std::wstring Location() const {
        wchar_t path[MAX_PATH] = L"";
        SHGetPathFromIDListW(container->GetBrowser()->CurrentLocation(), path);
        return path;
    }
    // A key press as the application's message loop offers it to the window.
    LRESULT Key(UINT virtualKey) const {
        MSG message = {};
        message.hwnd = container->GetBrowser()->ListView();
        message.message = WM_KEYDOWN;
        message.wParam = virtualKey;
        return SendMessageW(container->GetWindow(), WM_TRANSLATE_ACCELERATOR, 0, reinterpret_cast<LPARAM>(&message));
    }

    CPathwren application;
    CGenericPathwrenObject item;
    std::unique_ptr<Container> container;
};

typedef TBrowserItem<CShellBrowserContainer> BrowserItem;
