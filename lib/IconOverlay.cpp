#include "lib/IconOverlay.h"

#include "lib/ArgbBitmap.h"
#include "lib/GdiObject.h"
#include "lib/MemoryDc.h"

#include <vector>

namespace {

// The icon's pixels, top-down 0xAARRGGBB with straight alpha, read from its own bitmaps (drawing
// it would premultiply the colours). An icon without an alpha channel gets its transparency from
// its mask. FALSE for icons of another size.
BOOL ReadArgbPixels(HICON icon, int size, std::vector<DWORD>* pixels) {
    ICONINFO iconInfo = {};
    if (!GetIconInfo(icon, &iconInfo))
        return FALSE;
    CBitmapHandle mask(iconInfo.hbmMask);
    CBitmapHandle colour(iconInfo.hbmColor);
    BITMAP bitmap = {};
    if (!colour || !GetObjectW(colour.Get(), sizeof(bitmap), &bitmap) || bitmap.bmWidth != size ||
        bitmap.bmHeight != size)
        return FALSE;
    BITMAPINFO info = TopDownArgbInfo(size);
    CMemoryDc dc;
    pixels->assign(static_cast<size_t>(size) * size, 0);
    if (!dc || !GetDIBits(dc.Get(), colour.Get(), 0, static_cast<UINT>(size), pixels->data(), &info, DIB_RGB_COLORS))
        return FALSE;
    for (DWORD pixel : *pixels) {
        if (pixel >> 24)
            return TRUE;
    }
    std::vector<DWORD> maskPixels(pixels->size());
    if (!GetDIBits(dc.Get(), mask.Get(), 0, static_cast<UINT>(size), maskPixels.data(), &info, DIB_RGB_COLORS))
        return FALSE;
    for (size_t index = 0; index < pixels->size(); ++index)
        (*pixels)[index] = ((*pixels)[index] & 0xFFFFFF) | ((maskPixels[index] & 0xFFFFFF) ? 0 : 0xFF000000);
    return TRUE;
}

// Porter and Duff's "over" on straight alpha.
DWORD PixelOver(DWORD top, DWORD bottom) {
    DWORD topAlpha = top >> 24;
    DWORD bottomAlpha = bottom >> 24;
    DWORD alpha = topAlpha + bottomAlpha * (255 - topAlpha) / 255;
    if (alpha == 0)
        return 0;
    DWORD result = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        DWORD topChannel = (top >> shift) & 0xFF;
        DWORD bottomChannel = (bottom >> shift) & 0xFF;
        DWORD channel =
            (topChannel * topAlpha + bottomChannel * bottomAlpha * (255 - topAlpha) / 255 + alpha / 2) / alpha;
        result |= (channel > 255 ? 255 : channel) << shift;
    }
    return result;
}

} // namespace

HICON CreateIconWithOverlay(HICON icon, HICON overlay, int size) {
    std::vector<DWORD> base;
    std::vector<DWORD> top;
    if (!icon || !overlay || !ReadArgbPixels(icon, size, &base) || !ReadArgbPixels(overlay, size, &top))
        return nullptr;
    for (size_t index = 0; index < base.size(); ++index)
        base[index] = PixelOver(top[index], base[index]);
    return CreateArgbIcon(size, base.data());
}
