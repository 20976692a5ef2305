#include "support/Icons.h"

#include "lib/GdiObject.h"
#include "lib/WindowDc.h"

HICON CreateIconFromPixels(int size, const std::vector<DWORD>& pixels) {
    return CreateArgbIcon(size, pixels.data());
}

HICON CreateSolidIcon(int size, DWORD argb) {
    return CreateIconFromPixels(size, std::vector<DWORD>(static_cast<size_t>(size) * size, argb));
}

std::vector<DWORD> ReadIconPixels(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return {};
    CBitmapHandle mask(info.hbmMask), color(info.hbmColor);
    BITMAP bitmap = {};
    std::vector<DWORD> pixels;
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap)) {
        BITMAPINFO format = TopDownArgbInfo(bitmap.bmWidth);
        pixels.resize(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmWidth);
        if (GetDIBits(CWindowDc().Get(), info.hbmColor, 0, bitmap.bmWidth, pixels.data(), &format, DIB_RGB_COLORS) !=
            bitmap.bmWidth)
            pixels.clear();
    }
    return pixels;
}

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return false;
    // The bitmaps GetIconInfo hands over are copies for the caller to delete.
    CBitmapHandle mask(info.hbmMask), color(info.hbmColor);
    return true;
}
