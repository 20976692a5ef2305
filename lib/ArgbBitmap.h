#pragma once
#include <windows.h>

// The format of a square, top-down 32-bit bitmap whose fourth byte is alpha: the layout icons are
// drawn into and read back from.
inline BITMAPINFO TopDownArgbInfo(int size) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A 32-bit icon of size x size top-down 0xAARRGGBB pixels (straight alpha) with an all-zero mask, so
// the alpha channel alone decides what shows; the caller owns it. Null when it cannot be made.
HICON CreateArgbIcon(int size, const DWORD* pixels);
