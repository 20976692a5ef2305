#pragma once
#include <windows.h>

#include <string>

// The stand-in for Explorer's desktop that the build puts beside tests/.
std::wstring DesktopStandInPath();

// The desktop list view once the stand-in process has built it and filled in at least the given
// number of items (it fills the list view last); null after 15 seconds.
HWND WaitForDesktopListView(DWORD processId, int items = 0);

// Asks the stand-in to end: its top window and, in the WorkerW layout, the Progman beside it.
void CloseDesktopStandIn(HWND listView);
