#include "menus/PopUpMenu.h"

#include "lib/Dpi.h"
#include "lib/GdiObject.h"
#include "lib/IconHandle.h"
#include "lib/MemoryDc.h"
#include "lib/ThemePalette.h"
#include "lib/WindowDc.h"

#include <vector>

namespace {

// Lengths at 96 DPI: the menu takes them to the DPI of the monitor it opens on. At rest an icon
// sits one step down and right, so that highlighting can lift it over its shadow.
const int kShadowOffset = 2;
const int kRestOffset = 1;
const int kEffectsEnlargement = 2;
const int kShadowAlphaReduction = 130;

// The size an icon was made for: icons keep their hotspot in the middle.
BOOL GetIconSizeFromHotspot(HICON icon, SIZE* size) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return FALSE;
    CBitmapHandle mask(info.hbmMask);
    CBitmapHandle color(info.hbmColor);
    size->cx = static_cast<LONG>(info.xHotspot * 2);
    size->cy = static_cast<LONG>(info.yHotspot * 2);
    return TRUE;
}

// Bottom-up 32-bit pixels with an alpha channel, laid out as 0xAARRGGBB.
HBITMAP CreateArgbSection(HDC dc, SIZE size, DWORD** pixels) {
    BITMAPV5HEADER header = {};
    header.bV5Size = sizeof(header);
    header.bV5Width = size.cx;
    header.bV5Height = size.cy;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = static_cast<DWORD*>(bits);
    return bitmap;
}

// Integer weights, so that white stays exactly 255 where floating point would give 254.
DWORD Luma(DWORD red, DWORD green, DWORD blue) {
    return (299 * red + 587 * green + 114 * blue) / 1000;
}

DWORD GrayPixel(DWORD pixel) {
    if (!(pixel & 0x00FFFFFF))
        return pixel;
    DWORD gray = Luma((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    return (pixel & 0xFF000000) | (gray << 16) | (gray << 8) | gray;
}

DWORD ShadowPixel(DWORD pixel) {
    int alpha = static_cast<int>(pixel >> 24);
    if (!alpha)
        alpha = 255;
    alpha -= kShadowAlphaReduction;
    if (alpha < 1)
        alpha = 1;
    return (pixel & 0x00FFFFFF) | (static_cast<DWORD>(alpha) << 24);
}

// Half way from the highlight towards the menu's brightness, so the frame shows on both.
COLORREF CheckedFrameColor() {
    COLORREF highlight = CurrentPalette().MenuHighlight;
    COLORREF menu = CurrentPalette().MenuBackground;
    int difference = (static_cast<int>(Luma(GetRValue(highlight), GetGValue(highlight), GetBValue(highlight))) -
                      static_cast<int>(Luma(GetRValue(menu), GetGValue(menu), GetBValue(menu)))) /
                     2;
    auto channel = [difference](BYTE value) {
        int shifted = value - difference;
        return static_cast<BYTE>(shifted < 0 ? 0 : (shifted > 255 ? 255 : shifted));
    };
    return RGB(channel(GetRValue(highlight)), channel(GetGValue(highlight)), channel(GetBValue(highlight)));
}

// Returns the frame's brush: the shadow is drawn in the same colour.
CBrushHandle DrawCheckedFrame(HDC dc, const RECT& rectangle, BOOL selected) {
    CBrushHandle frame(CreateSolidBrush(CheckedFrameColor()));
    CPenHandle pen(CreatePen(PS_SOLID, 1, selected ? CurrentPalette().MenuBackground : CurrentPalette().MenuHighlight));
    if (!frame || !pen)
        return frame;
    HGDIOBJ previousPen = SelectObject(dc, pen.Get());
    HGDIOBJ previousBrush = SelectObject(dc, frame.Get());
    Rectangle(dc, rectangle.left, rectangle.top, rectangle.right, rectangle.bottom);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    return frame;
}

void DrawGrayIcon(HDC dc, HICON icon, int x, int y, SIZE size) {
    CIconHandle gray(CPopUpMenu::CreateGrayIcon(icon));
    if (gray.Get())
        DrawIconEx(dc, x, y, gray.Get(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
    else
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, size.cx, size.cy,
                   DST_ICON | DSS_DISABLED);
}

void DrawIconShadow(HDC dc, HICON icon, HBRUSH brush, int x, int y, SIZE size) {
    CIconHandle gray(CPopUpMenu::CreateGrayIcon(icon));
    if (!gray.Get())
        return;
    CIconHandle shadow(CPopUpMenu::CreateShadowIcon(gray.Get(), brush));
    if (shadow.Get())
        DrawIconEx(dc, x, y, shadow.Get(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
}

} // namespace

HBITMAP CPopUpMenu::CreateItemBitmap(HICON icon) {
    SIZE size;
    if (!GetIconSizeFromHotspot(icon, &size))
        size = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
    // No screen DC: a DIB section needs none, and fetching one costs more than the drawing.
    DWORD* pixels = nullptr;
    CBitmapHandle bitmap(CreateArgbSection(nullptr, size, &pixels));
    if (!bitmap)
        return nullptr;
    CMemoryDc dc;
    // Painting on the menu colour first keeps the icon's soft edges from showing a dark fringe.
    if (!dc.Select(bitmap.Get()) ||
        !DrawIconEx(dc.Get(), 0, 0, icon, size.cx, size.cy, 0, GetSysColorBrush(COLOR_MENU), DI_NORMAL))
        return nullptr;
    return bitmap.Detach();
}

namespace {

BOOL GetIconBitmapSize(HICON icon, SIZE* size) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return FALSE;
    CBitmapHandle mask(info.hbmMask);
    CBitmapHandle color(info.hbmColor);
    BITMAP bitmap = {};
    if (!GetObjectW(color ? color.Get() : mask.Get(), sizeof(bitmap), &bitmap))
        return FALSE;
    // A monochrome icon keeps its AND and XOR masks one above the other in the mask bitmap.
    *size = {bitmap.bmWidth, color ? bitmap.bmHeight : bitmap.bmHeight / 2};
    return TRUE;
}

} // namespace

LRESULT CPopUpMenu::MeasureItem(MEASUREITEMSTRUCT* item) {
    if (!item || item->CtlType != ODT_MENU || !item->itemData)
        return 0;
    // Icons outlive the menu, so a handle keeps naming the same picture while the size is kept.
    HICON icon = reinterpret_cast<HICON>(item->itemData);
    auto known = m_iconSizes.find(icon);
    if (known == m_iconSizes.end()) {
        SIZE size;
        if (!GetIconBitmapSize(icon, &size))
            return FALSE;
        known = m_iconSizes.emplace(icon, size).first;
    }
    UINT enlargement = m_effects ? static_cast<UINT>(ScaleForDpi(kEffectsEnlargement, m_dpi)) : 0;
    item->itemWidth = static_cast<UINT>(known->second.cx) + enlargement;
    item->itemHeight = static_cast<UINT>(known->second.cy) + enlargement;
    return TRUE;
}

LRESULT CPopUpMenu::DrawItem(const DRAWITEMSTRUCT* item) {
    if (!item || item->CtlType != ODT_MENU || !item->itemData)
        return 0;
    if (IsRectEmpty(&item->rcItem) || !HoldsMenu(reinterpret_cast<HMENU>(item->hwndItem)))
        return 0;
    HICON icon = reinterpret_cast<HICON>(item->itemData);
    CPopUpMenu* holder = FromOwnHandle(reinterpret_cast<HMENU>(item->hwndItem));
    if (holder && !holder->m_deferredIcons.empty())
        holder->ShowDeferredIcon(item->itemID, &icon);
    SIZE size;
    if (!GetIconSizeFromHotspot(icon, &size))
        return 0;

    HDC dc = item->hDC;
    BOOL selected = (item->itemState & ODS_SELECTED) != 0;
    BOOL disabled = (item->itemState & ODS_DISABLED) != 0;
    BOOL checked = (item->itemState & ODS_CHECKED) != 0;
    int offset = (m_effects && !(selected && !disabled)) ? ScaleForDpi(kRestOffset, m_dpi) : 0;
    int left = item->rcItem.left;
    int top = item->rcItem.top;
    if (disabled) {
        DrawGrayIcon(dc, icon, left + offset, top + offset, size);
        return TRUE;
    }

    CBrushHandle shadowBrush;
    if (m_effects && checked)
        shadowBrush = DrawCheckedFrame(dc, item->rcItem, selected);
    if (m_effects && selected) {
        if (!shadowBrush)
            shadowBrush.Reset(CreateSolidBrush(CurrentPalette().MenuHighlight));
        int shadowOffset = ScaleForDpi(kShadowOffset, m_dpi);
        DrawIconShadow(dc, icon, shadowBrush.Get(), left + shadowOffset, top + shadowOffset, size);
    }
    DrawIconEx(dc, left + offset, top + offset, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    return TRUE;
}

HICON CPopUpMenu::CreateGrayIcon(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return nullptr;
    CBitmapHandle mask(info.hbmMask);
    CBitmapHandle color(info.hbmColor);
    if (!color)
        return nullptr;
    SIZE size = {static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2)};
    CWindowDc screen;
    DWORD* pixels = nullptr;
    CBitmapHandle gray(CreateArgbSection(screen.Get(), size, &pixels));
    if (!gray)
        return nullptr;
    {
        CMemoryDc source(screen.Get());
        CMemoryDc target(screen.Get());
        if (!source.Select(color.Get()) || !target.Select(gray.Get()) ||
            !BitBlt(target.Get(), 0, 0, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY))
            return nullptr;
    }
    GdiFlush();
    for (LONG index = 0; index < size.cx * size.cy; ++index)
        pixels[index] = GrayPixel(pixels[index]);

    ICONINFO grayInfo = {TRUE, info.xHotspot, info.yHotspot, mask.Get(), gray.Get()};
    return CreateIconIndirect(&grayInfo);
}

HICON CPopUpMenu::CreateShadowIcon(HICON icon, HBRUSH brush) {
    SIZE size;
    if (!GetIconSizeFromHotspot(icon, &size))
        return nullptr;
    CWindowDc screen;
    DWORD* pixels = nullptr;
    CBitmapHandle shadow(CreateArgbSection(screen.Get(), size, &pixels));
    if (!shadow)
        return nullptr;
    {
        CMemoryDc dc(screen.Get());
        if (!dc.Select(shadow.Get()) || !DrawIconEx(dc.Get(), 0, 0, icon, size.cx, size.cy, 0, brush, DI_NORMAL))
            return nullptr;
    }
    GdiFlush();
    for (LONG index = 0; index < size.cx * size.cy; ++index)
        pixels[index] = ShadowPixel(pixels[index]);

    // An all-zero mask: the alpha channel alone decides what shows.
    std::vector<BYTE> maskBits(static_cast<size_t>((size.cx + 15) / 16 * 2 * size.cy), 0);
    CBitmapHandle mask(CreateBitmap(size.cx, size.cy, 1, 1, maskBits.data()));
    if (!mask)
        return nullptr;
    ICONINFO shadowInfo = {TRUE, 0, 0, mask.Get(), shadow.Get()};
    return CreateIconIndirect(&shadowInfo);
}
