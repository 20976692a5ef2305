#include "skin/TransparentToolbar.h"

#include "lib/GdiObject.h"
#include "lib/ThemePalette.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

const int kLastGradientType = 3;
const int kSolidType = 4;
const int kFirstPictureType = 5;
const int kLastPictureType = 14;
// The stretched picture is drawn past the bar's right edge: GDI+ scaling can otherwise leave the
// last columns faded or unpainted.
const int kStretchExtraWidth = 8;

ARGB OpaqueArgb(COLORREF colour) {
    return 0xFF000000u | (static_cast<ARGB>(GetRValue(colour)) << 16) | (static_cast<ARGB>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

// Where a picture of w x h goes on a bar of W x H, by placement type; halvings are signed.
RECT PicturePlace(int type, int W, int H, int w, int h) {
    int centreX = (W - w) / 2;
    int centreY = (H - h) / 2;
    POINT origin = {0, 0};
    switch (type) {
        case 5:
            return RECT{0, 0, W + kStretchExtraWidth, H};
        case 6:
            origin = {centreX, centreY};
            break;
        case 7:
            origin = {0, 0};
            break;
        case 8:
            origin = {centreX, 0};
            break;
        case 9:
            origin = {W - w, 0};
            break;
        case 10:
            origin = {0, centreY};
            break;
        case 11:
            origin = {W - w, centreY};
            break;
        case 12:
            origin = {0, H - h};
            break;
        case 13:
            origin = {centreX, H - h};
            break;
        default:
            origin = {W - w, H - h};
            break;
    }
    return RECT{origin.x, origin.y, origin.x + w, origin.y + h};
}

} // namespace

LRESULT CTransparentToolbar::OnDraw(HDC dc) {
    RECT rect = {0, 0, m_width, m_height};
    DrawBackground(dc, rect);
    for (const TransparentToolbarPlacedButton& button : m_buttons)
        DrawButton(dc, button);
    if (m_hasMoveButton && m_moveButtonVisible)
        DrawButton(dc, m_moveButton);
    return 0;
}

void CTransparentToolbar::DrawBackground(HDC dc, const RECT& rect) {
    // High contrast wants legible system colours, not the skin's pictures and gradients.
    BOOL highContrast = DrawingHighContrast();
    if (highContrast || (m_followsColorScheme && DrawingDark())) {
        CBrushHandle plain(
            CreateSolidBrush(highContrast ? GetSysColor(COLOR_BTNFACE) : CurrentPalette().DialogBackground));
        FillRect(dc, &rect, plain.Get());
        return;
    }
    if (m_backgroundType >= 0 && m_backgroundType <= kLastGradientType)
        DrawGradient(dc, rect);
    else if (m_backgroundType == kSolidType)
        FillRect(dc, &rect, m_backgroundBrush.Get());
    else if (m_backgroundType >= kFirstPictureType && m_backgroundType <= kLastPictureType)
        DrawPicture(dc, rect);
}

void CTransparentToolbar::DrawGradient(HDC dc, const RECT& rect) {
    if (!m_gdiplus.Started())
        return;
    CGdiplusGraphics graphics;
    if (GdipCreateFromHDC(dc, graphics.Receive()) != Ok)
        return;
    GpRect area = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    GpLineGradient* gradient = nullptr;
    if (GdipCreateLineBrushFromRectI(&area, OpaqueArgb(m_gradientColor1), OpaqueArgb(m_gradientColor2),
                                     static_cast<LinearGradientMode>(m_backgroundType), WrapModeTile, &gradient) != Ok)
        return;
    CGdiplusBrush brush(gradient);
    GdipFillRectangleI(graphics.Get(), brush.Get(), area.X, area.Y, area.Width, area.Height);
}

void CTransparentToolbar::DrawPicture(HDC dc, const RECT& rect) {
    if (!m_gdiplus.Started() || !m_picture)
        return;
    CGdiplusGraphics graphics;
    if (GdipCreateFromHDC(dc, graphics.Receive()) != Ok)
        return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    GpSolidFill* solid = nullptr;
    if (GdipCreateSolidFill(OpaqueArgb(m_backgroundColor), &solid) == Ok) {
        CGdiplusBrush fill(solid);
        GdipFillRectangleI(graphics.Get(), fill.Get(), rect.left, rect.top, width, height);
    }
    CGdiplusImageAttributes attributes;
    if (m_useTransparentColor && GdipCreateImageAttributes(attributes.Receive()) == Ok) {
        ARGB key = OpaqueArgb(m_transparentColor);
        GdipSetImageAttributesColorKeys(attributes.Get(), ColorAdjustTypeDefault, TRUE, key, key);
    }
    UINT pictureWidth = 0;
    UINT pictureHeight = 0;
    GdipGetImageWidth(m_picture.Get(), &pictureWidth);
    GdipGetImageHeight(m_picture.Get(), &pictureHeight);
    RECT place =
        PicturePlace(m_backgroundType, width, height, static_cast<int>(pictureWidth), static_cast<int>(pictureHeight));
    if (m_backgroundType == kFirstPictureType)
        GdipSetInterpolationMode(graphics.Get(), InterpolationModeNearestNeighbor);
    GdipDrawImageRectRectI(graphics.Get(), m_picture.Get(), place.left, place.top, place.right - place.left,
                           place.bottom - place.top, 0, 0, static_cast<INT>(pictureWidth),
                           static_cast<INT>(pictureHeight), UnitPixel, attributes.Get(), nullptr, nullptr);
}

void CTransparentToolbar::DrawButton(HDC dc, const TransparentToolbarPlacedButton& button) {
    HICON image = button.Button.Images[button.State];
    // DrawIconEx takes a zero size as "the icon's own size"; a button of no size shows nothing.
    if (!image || m_buttonWidth <= 0 || m_buttonHeight <= 0)
        return;
    DrawIconEx(dc, button.Position.x, button.Position.y, image, m_buttonWidth, m_buttonHeight, 0, nullptr, DI_NORMAL);
    // A skin's hot picture may differ from the normal one by a shade only: in high contrast the
    // button under the mouse gets a frame that cannot be missed.
    BOOL active = button.State == ToolbarButtonHot || button.State == ToolbarButtonPressed;
    if (active && DrawingHighContrast()) {
        RECT frame = {button.Position.x, button.Position.y, button.Position.x + m_buttonWidth,
                      button.Position.y + m_buttonHeight};
        FrameRect(dc, &frame, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
}
