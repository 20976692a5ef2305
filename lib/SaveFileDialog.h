#pragma once
#include <windows.h>

// The common save dialog, asking before it overwrites; path (size characters) receives the
// choice. FALSE when the user cancelled.
BOOL AskSaveFileName(HWND owner, LPCWSTR filter, DWORD filterIndex, LPCWSTR defaultExtension, LPWSTR path, DWORD size);
