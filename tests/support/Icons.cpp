#include "support/Icons.h"

#include "lib/GdiObject.h"
#include "lib/WindowDc.h"

#include <cstring>

HICON CreateIconFromPixels(int size, const std::vector<DWORD>& pixels) {
    BITMAPINFO info = TopDownArgbInfo(size);
    void* bits = nullptr;
    CBitmapHandle color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<BYTE> maskBits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    CBitmapHandle mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
    if (!color || !mask)
        return nullptr;
    memcpy(bits, pixels.data(), static_cast<size_t>(size) * size * sizeof(DWORD));
    ICONINFO iconInfo = {TRUE, 0, 0, mask.Get(), color.Get()};
    return CreateIconIndirect(&iconInfo);
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
