#pragma once
#include <windows.h>

// A new icon of the given size: the icon with the overlay drawn over it, as the shell marks
// shortcuts or shared folders. Both icons stay the caller's and must be of that size; null when
// the icon cannot be made.
HICON CreateIconWithOverlay(HICON icon, HICON overlay, int size);
