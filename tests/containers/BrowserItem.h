#pragma once
#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ShellBrowserContainer.h"
#include "support/RectCompare.h"
#include "support/TempDirectory.h"

#include <shlobj.h>

#include <cwchar>
#include <functional>
#include <memory>
#include <string>

// A key press as the application's message loop offers it to the window, aimed at target.
inline LRESULT TranslateKey(HWND window, HWND target, UINT virtualKey) {
    MSG message = {target, WM_KEYDOWN, virtualKey, 0, GetTickCount(), {0, 0}};
    return SendMessageW(window, WM_TRANSLATE_ACCELERATOR, 0, reinterpret_cast<LPARAM>(&message));
}

inline RECT WindowRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

inline RECT WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info = {sizeof(info), {}, {}, 0};
    GetMonitorInfoW(monitor, &info);
    return info.rcWork;
}

inline bool Within(const RECT& inner, const RECT& outer) {
    RECT both;
    return IntersectRect(&both, &inner, &outer) && EqualRect(&both, &inner);
}

// While it lives, each window of the class this thread creates is shown to `created` first; a true
// answer refuses the window.
class WindowCreations {
public:
    WindowCreations(LPCWSTR className, std::function<bool()> created) {
        s_className = className;
        s_created = std::move(created);
        m_hook = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~WindowCreations() { UnhookWindowsHookEx(m_hook); }
    WindowCreations(const WindowCreations&) = delete;
    WindowCreations& operator=(const WindowCreations&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        wchar_t name[64] = L"";
        if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, ARRAYSIZE(name)) &&
            s_className == name && s_created())
            return 1;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::wstring s_className;
    static inline std::function<bool()> s_created;
    HHOOK m_hook;
};

// A Browser item of a 300 x 200 window at (50, 50) over the folder, or over a fresh one of its own,
// its container made but not yet initialized, so that a test can change the item first.
template <class Container> struct TBrowserItem {
    explicit TBrowserItem(int zOrder, const std::wstring& path = L"") {
        application.m_pOptions = new CApplicationOptions();
        wcscpy(item.Path, path.empty() ? home.Path().c_str() : path.c_str());
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
    LRESULT Key(UINT virtualKey) const {
        return TranslateKey(container->GetWindow(), container->GetBrowser()->ListView(), virtualKey);
    }

    TempDirectory home;
    CPathwren application;
    CGenericPathwrenObject item;
    std::unique_ptr<Container> container;
};

typedef TBrowserItem<CShellBrowserContainer> BrowserItem;
