#pragma once
#include <windows.h>

#include "lib/ArgbBitmap.h"
#include "lib/IconHandle.h"

#include <vector>

// A 32-bit icon from top-down 0xAARRGGBB pixels, with an all-zero mask.
HICON CreateIconFromPixels(int size, const std::vector<DWORD>& pixels);
HICON CreateSolidIcon(int size, DWORD argb);
// The colour bitmap of a square icon as top-down 0xAARRGGBB pixels; empty when unreadable, for
// example because the icon was destroyed.
std::vector<DWORD> ReadIconPixels(HICON icon);
// Whether the handle still names an icon.
bool IconAlive(HICON icon);
