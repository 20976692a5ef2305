#pragma once
#include <windows.h>

// The visible popup menu window ("#32768") of this process, or null. Tests run side by side, so
// a menu driver must never pick another test process's menu.
HWND FindOwnMenuWindow();
