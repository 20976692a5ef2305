#pragma once
#include <windows.h>

// A message-only window of the class (registered on first use) whose procedure finds the object
// through LinkWindowObject: the place where work done elsewhere, on a worker or by a timer, comes
// back to the thread that made it, also inside menu and dialog loops. Null on failure.
HWND CreateMessageWindow(LPCWSTR className, WNDPROC procedure, void* object);
