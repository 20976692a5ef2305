#pragma once
#include <windows.h>

#include <string>

// A shortcut that starts a program with arguments and asks the taskbar for a button of its own.
struct AppShortcut {
    std::wstring target;
    std::wstring arguments;
    std::wstring iconPath;
    int iconIndex = 0;
    std::wstring description;
    // The shortcut's System.AppUserModel.ID. The taskbar groups the windows and pins of one
    // identifier on one button; a shortcut with its own identifier gets its own button instead
    // of joining the target program's.
    std::wstring appUserModelId;
};

// Writes the shortcut file, replacing one of that name.
HRESULT WriteAppShortcut(LPCWSTR path, const AppShortcut& shortcut);
// Reads a shortcut file back into the same fields (those it has stay empty).
HRESULT ReadAppShortcut(LPCWSTR path, AppShortcut* shortcut);
