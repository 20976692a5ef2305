#include "lib/ArgbBitmap.h"

#include "lib/GdiObject.h"

#include <cstring>
#include <vector>

HICON CreateArgbIcon(int size, const DWORD* pixels) {
    BITMAPINFO info = TopDownArgbInfo(size);
    void* bits = nullptr;
    CBitmapHandle colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<BYTE> maskBits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    CBitmapHandle mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
    if (!colour || !mask)
        return nullptr;
    memcpy(bits, pixels, static_cast<size_t>(size) * size * sizeof(DWORD));
    // The icon takes copies of both bitmaps; the owners free the originals.
    ICONINFO iconInfo = {TRUE, 0, 0, mask.Get(), colour.Get()};
    return CreateIconIndirect(&iconInfo);
}
