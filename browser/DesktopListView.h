#pragma once
#include <windows.h>

// Explorer's desktop list view: the "SysListView32" of the "SHELLDLL_DefView" that Explorer puts
// into "Progman" ("Program Manager") or, once the wallpaper has been animated, into one of the
// top-level "WorkerW" windows. When that list view is hidden, the visible one inside the view's
// "ThumbnailVwExtWnd32" child is the one on screen. Null when Explorer shows no desktop.
HWND FindDesktopListView();
