#pragma once
#include <windows.h>
#include <shellapi.h>

// Called once per dropped file, in order, with the window under the drop point.
typedef void (*DropFileCallback)(HWND windowUnderPoint, LPCWSTR path, UINT index, LPVOID userValue);

struct DropFilesContext {
    // The window that received WM_DROPFILES; the drop point is relative to its client area.
    HWND window;
    DropFileCallback callback;
    LPVOID userValue;
};

// Hands every file of a WM_DROPFILES drop to the context's callback and releases the drop.
void HandleDropFiles(const DropFilesContext* context, HDROP drop);
