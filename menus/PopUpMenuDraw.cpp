#include "menus/PopUpMenu.h"

#include <vector>

namespace {

const int kShadowOffset = 2;
const int kShadowAlphaReduction = 130;

class ScopedGdiObject {
public:
    explicit ScopedGdiObject(HGDIOBJ object) : m_object(object) {}
    ~ScopedGdiObject() {
        if (m_object)
            DeleteObject(m_object);
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

    HGDIOBJ Get() const { return m_object; }
    HGDIOBJ Detach() {
        HGDIOBJ object = m_object;
        m_object = nullptr;
        return object;
    }

private:
    HGDIOBJ m_object;
};

class ScopedIcon {
public:
    explicit ScopedIcon(HICON icon) : m_icon(icon) {}
    ~ScopedIcon() {
        if (m_icon)
            DestroyIcon(m_icon);
    }
    ScopedIcon(const ScopedIcon&) = delete;
    ScopedIcon& operator=(const ScopedIcon&) = delete;

    HICON Get() const { return m_icon; }

private:
    HICON m_icon;
};

class ScreenDc {
public:
    ScreenDc() : m_dc(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (m_dc)
            ReleaseDC(nullptr, m_dc);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;

    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// A memory DC with one bitmap selected; the DC's own bitmap goes back in before the DC is
// deleted, so the selected bitmap can be deleted or used by its owner afterwards.
class MemoryDc {
public:
    MemoryDc(HDC reference, HGDIOBJ bitmap) : m_dc(CreateCompatibleDC(reference)), m_previous(nullptr) {
        if (m_dc)
            m_previous = SelectObject(m_dc, bitmap);
    }
    ~MemoryDc() {
        if (!m_dc)
            return;
        if (m_previous)
            SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Get() const { return m_previous ? m_dc : nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The size an icon was made for: icons keep their hotspot in the middle.
BOOL GetIconSizeFromHotspot(HICON icon, SIZE* size) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return FALSE;
    ScopedGdiObject mask(info.hbmMask);
    ScopedGdiObject color(info.hbmColor);
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
    COLORREF highlight = GetSysColor(COLOR_MENUHILIGHT);
    COLORREF menu = GetSysColor(COLOR_MENU);
    int difference = (static_cast<int>(Luma(GetRValue(highlight), GetGValue(highlight), GetBValue(highlight))) -
                      static_cast<int>(Luma(GetRValue(menu), GetGValue(menu), GetBValue(menu)))) /
                     2;
    auto channel = [difference](BYTE value) {
        int shifted = value - difference;
        return static_cast<BYTE>(shifted < 0 ? 0 : (shifted > 255 ? 255 : shifted));
    };
    return RGB(channel(GetRValue(highlight)), channel(GetGValue(highlight)), channel(GetBValue(highlight)));
}

// Returns the frame's brush, which the caller deletes.
HBRUSH DrawCheckedFrame(HDC dc, const RECT& rectangle, BOOL selected) {
    HBRUSH frame = CreateSolidBrush(CheckedFrameColor());
    ScopedGdiObject pen(CreatePen(PS_SOLID, 1, GetSysColor(selected ? COLOR_MENU : COLOR_MENUHILIGHT)));
    if (!frame || !pen.Get())
        return frame;
    HGDIOBJ previousPen = SelectObject(dc, pen.Get());
    HGDIOBJ previousBrush = SelectObject(dc, frame);
    Rectangle(dc, rectangle.left, rectangle.top, rectangle.right, rectangle.bottom);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    return frame;
}

void DrawGrayIcon(HDC dc, HICON icon, int x, int y, SIZE size) {
    ScopedIcon gray(CPopUpMenu::CreateGrayIcon(icon));
    if (gray.Get())
        DrawIconEx(dc, x, y, gray.Get(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
    else
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, size.cx, size.cy,
                   DST_ICON | DSS_DISABLED);
}

void DrawIconShadow(HDC dc, HICON icon, HBRUSH brush, int x, int y, SIZE size) {
    ScopedIcon gray(CPopUpMenu::CreateGrayIcon(icon));
    if (!gray.Get())
        return;
    ScopedIcon shadow(CPopUpMenu::CreateShadowIcon(gray.Get(), brush));
    if (shadow.Get())
        DrawIconEx(dc, x, y, shadow.Get(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
}

BOOL IsInMenuTree(HMENU root, HMENU menu) {
    if (!root || !menu)
        return FALSE;
    if (root == menu)
        return TRUE;
    int count = GetMenuItemCount(root);
    for (int position = 0; position < count; ++position) {
        if (IsInMenuTree(GetSubMenu(root, position), menu))
            return TRUE;
    }
    return FALSE;
}

} // namespace

HBITMAP CPopUpMenu::CreateItemBitmap(HICON icon) {
    SIZE size;
    if (!GetIconSizeFromHotspot(icon, &size))
        size = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
    // No screen DC: a DIB section needs none, and fetching one costs more than the drawing.
    DWORD* pixels = nullptr;
    ScopedGdiObject bitmap(CreateArgbSection(nullptr, size, &pixels));
    if (!bitmap.Get())
        return nullptr;
    MemoryDc dc(nullptr, bitmap.Get());
    // Painting on the menu colour first keeps the icon's soft edges from showing a dark fringe.
    if (!dc.Get() || !DrawIconEx(dc.Get(), 0, 0, icon, size.cx, size.cy, 0, GetSysColorBrush(COLOR_MENU), DI_NORMAL))
        return nullptr;
    return static_cast<HBITMAP>(bitmap.Detach());
}

LRESULT CPopUpMenu::MeasureItem(MEASUREITEMSTRUCT* item) const {
    if (!item || item->CtlType != ODT_MENU || !item->itemData)
        return 0;
    ICONINFO info = {};
    if (!GetIconInfo(reinterpret_cast<HICON>(item->itemData), &info))
        return FALSE;
    ScopedGdiObject mask(info.hbmMask);
    ScopedGdiObject color(info.hbmColor);
    BITMAP bitmap = {};
    if (!GetObjectW(color.Get() ? color.Get() : mask.Get(), sizeof(bitmap), &bitmap))
        return FALSE;
    // A monochrome icon keeps its AND and XOR masks one above the other in the mask bitmap.
    if (!color.Get())
        bitmap.bmHeight /= 2;
    UINT enlargement = m_effects ? 2 : 0;
    item->itemWidth = static_cast<UINT>(bitmap.bmWidth) + enlargement;
    item->itemHeight = static_cast<UINT>(bitmap.bmHeight) + enlargement;
    return TRUE;
}

LRESULT CPopUpMenu::DrawItem(const DRAWITEMSTRUCT* item) const {
    if (!item || item->CtlType != ODT_MENU || !item->itemData)
        return 0;
    if (IsRectEmpty(&item->rcItem) || !IsInMenuTree(m_hMenu, reinterpret_cast<HMENU>(item->hwndItem)))
        return 0;
    HICON icon = reinterpret_cast<HICON>(item->itemData);
    SIZE size;
    if (!GetIconSizeFromHotspot(icon, &size))
        return 0;

    HDC dc = item->hDC;
    BOOL selected = (item->itemState & ODS_SELECTED) != 0;
    BOOL disabled = (item->itemState & ODS_DISABLED) != 0;
    BOOL checked = (item->itemState & ODS_CHECKED) != 0;
    // At rest the icon sits one pixel down and right, so that highlighting can lift it.
    int offset = (m_effects && !(selected && !disabled)) ? 1 : 0;
    int left = item->rcItem.left;
    int top = item->rcItem.top;
    if (disabled) {
        DrawGrayIcon(dc, icon, left + offset, top + offset, size);
        return TRUE;
    }

    HBRUSH shadowBrush = nullptr;
    if (m_effects && checked)
        shadowBrush = DrawCheckedFrame(dc, item->rcItem, selected);
    if (m_effects && selected) {
        if (!shadowBrush)
            shadowBrush = CreateSolidBrush(GetSysColor(COLOR_MENUHILIGHT));
        DrawIconShadow(dc, icon, shadowBrush, left + kShadowOffset, top + kShadowOffset, size);
    }
    DrawIconEx(dc, left + offset, top + offset, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    if (shadowBrush)
        DeleteObject(shadowBrush);
    return TRUE;
}

HICON CPopUpMenu::CreateGrayIcon(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return nullptr;
    ScopedGdiObject mask(info.hbmMask);
    ScopedGdiObject color(info.hbmColor);
    if (!color.Get())
        return nullptr;
    SIZE size = {static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2)};
    ScreenDc screen;
    DWORD* pixels = nullptr;
    ScopedGdiObject gray(CreateArgbSection(screen.Get(), size, &pixels));
    if (!gray.Get())
        return nullptr;
    {
        MemoryDc source(screen.Get(), color.Get());
        MemoryDc target(screen.Get(), gray.Get());
        if (!source.Get() || !target.Get() ||
            !BitBlt(target.Get(), 0, 0, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY))
            return nullptr;
    }
    GdiFlush();
    for (LONG index = 0; index < size.cx * size.cy; ++index)
        pixels[index] = GrayPixel(pixels[index]);

    ICONINFO grayInfo = {TRUE, info.xHotspot, info.yHotspot, static_cast<HBITMAP>(mask.Get()),
                         static_cast<HBITMAP>(gray.Get())};
    return CreateIconIndirect(&grayInfo);
}

HICON CPopUpMenu::CreateShadowIcon(HICON icon, HBRUSH brush) {
    SIZE size;
    if (!GetIconSizeFromHotspot(icon, &size))
        return nullptr;
    ScreenDc screen;
    DWORD* pixels = nullptr;
    ScopedGdiObject shadow(CreateArgbSection(screen.Get(), size, &pixels));
    if (!shadow.Get())
        return nullptr;
    {
        MemoryDc dc(screen.Get(), shadow.Get());
        if (!dc.Get() || !DrawIconEx(dc.Get(), 0, 0, icon, size.cx, size.cy, 0, brush, DI_NORMAL))
            return nullptr;
    }
    GdiFlush();
    for (LONG index = 0; index < size.cx * size.cy; ++index)
        pixels[index] = ShadowPixel(pixels[index]);

    // An all-zero mask: the alpha channel alone decides what shows.
    std::vector<BYTE> maskBits(static_cast<size_t>((size.cx + 15) / 16 * 2 * size.cy), 0);
    ScopedGdiObject mask(CreateBitmap(size.cx, size.cy, 1, 1, maskBits.data()));
    if (!mask.Get())
        return nullptr;
    ICONINFO shadowInfo = {TRUE, 0, 0, static_cast<HBITMAP>(mask.Get()), static_cast<HBITMAP>(shadow.Get())};
    return CreateIconIndirect(&shadowInfo);
}
