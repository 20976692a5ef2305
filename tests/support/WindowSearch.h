#pragma once
#include <windows.h>

#include <vector>

// The top-level windows of a class that one process owns, in z-order. Tests run side by side, so a
// driver must never pick another test process's menu ("#32768") or dialog ("#32770").
std::vector<HWND> WindowsOfClass(LPCWSTR className, DWORD processId = GetCurrentProcessId(), bool visibleOnly = true);

// The first visible window of the class in this process, or null.
HWND FindOwnWindow(LPCWSTR className);

// Starts a thread timer that, once this process shows a menu, presses the arrow key and then Enter
// in it to choose the entry that `presses` presses reach from no selection, whatever entry a
// resting cursor selected; one menu at a time. The caller kills the timer returned when the menu
// loop is over.
UINT_PTR ChooseMenuEntryWhenShown(int presses, UINT arrowKey = VK_DOWN);
