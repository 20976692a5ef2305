#include "support/Icons.h"

#include <cstring>

HICON CreateIconFromPixels(int size, const std::vector<DWORD>& pixels) {
    BITMAPINFO info = TopDownArgbInfo(size);
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<BYTE> maskBits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    HICON icon = nullptr;
    if (color && mask) {
        memcpy(bits, pixels.data(), static_cast<size_t>(size) * size * sizeof(DWORD));
        ICONINFO iconInfo = {TRUE, 0, 0, mask, color};
        icon = CreateIconIndirect(&iconInfo);
    }
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

HICON CreateSolidIcon(int size, DWORD argb) {
    return CreateIconFromPixels(size, std::vector<DWORD>(static_cast<size_t>(size) * size, argb));
}

std::vector<DWORD> ReadIconPixels(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return {};
    BITMAP bitmap = {};
    std::vector<DWORD> pixels;
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap)) {
        BITMAPINFO format = TopDownArgbInfo(bitmap.bmWidth);
        pixels.resize(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmWidth);
        HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, info.hbmColor, 0, bitmap.bmWidth, pixels.data(), &format, DIB_RGB_COLORS) !=
            bitmap.bmWidth)
            pixels.clear();
        ReleaseDC(nullptr, screen);
    }
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return pixels;
}

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return true;
}
