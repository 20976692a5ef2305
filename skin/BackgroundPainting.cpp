#include "skin/BackgroundPainting.h"

namespace {

Gdiplus::LinearGradientMode GradientMode(UINT type) {
    switch (type) {
        case BackgroundGradientVertical:
            return Gdiplus::LinearGradientModeVertical;
        case BackgroundGradientDiagonal:
            return Gdiplus::LinearGradientModeForwardDiagonal;
        case BackgroundGradientBackwardDiagonal:
            return Gdiplus::LinearGradientModeBackwardDiagonal;
        default:
            return Gdiplus::LinearGradientModeHorizontal;
    }
}

std::unique_ptr<Gdiplus::Bitmap> NewBitmap(SIZE view, Gdiplus::PixelFormat format) {
    if (view.cx <= 0 || view.cy <= 0)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(view.cx, view.cy, format));
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return bitmap;
}

} // namespace

Gdiplus::Color OpaqueColor(COLORREF color) {
    return Gdiplus::Color(0xFF, GetRValue(color), GetGValue(color), GetBValue(color));
}

std::unique_ptr<Gdiplus::Bitmap> RenderGradientBitmap(SIZE view, COLORREF color1, COLORREF color2, UINT type) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap = NewBitmap(view, PixelFormat32bppARGB);
    if (!bitmap)
        return nullptr;
    Gdiplus::Graphics graphics(bitmap.get());
    Gdiplus::Rect area(0, 0, view.cx, view.cy);
    Gdiplus::LinearGradientBrush brush(area, OpaqueColor(color1), OpaqueColor(color2), GradientMode(type));
    if (graphics.FillRectangle(&brush, area) != Gdiplus::Ok)
        return nullptr;
    return bitmap;
}

Gdiplus::Rect PicturePlacement(UINT position, SIZE view, SIZE picture) {
    INT centreX = (view.cx - picture.cx) / 2, centreY = (view.cy - picture.cy) / 2;
    INT right = view.cx - picture.cx, bottom = view.cy - picture.cy;
    switch (position) {
        case BackgroundPictureCentered:
            return Gdiplus::Rect(centreX, centreY, picture.cx, picture.cy);
        case BackgroundPictureUpLeft:
            return Gdiplus::Rect(0, 0, picture.cx, picture.cy);
        case BackgroundPictureUpCenter:
            return Gdiplus::Rect(centreX, 0, picture.cx, picture.cy);
        case BackgroundPictureUpRight:
            return Gdiplus::Rect(right, 0, picture.cx, picture.cy);
        case BackgroundPictureLeft:
            return Gdiplus::Rect(0, centreY, picture.cx, picture.cy);
        case BackgroundPictureRight:
            return Gdiplus::Rect(right, centreY, picture.cx, picture.cy);
        case BackgroundPictureBottomLeft:
            return Gdiplus::Rect(0, bottom, picture.cx, picture.cy);
        case BackgroundPictureBottomCenter:
            return Gdiplus::Rect(centreX, bottom, picture.cx, picture.cy);
        case BackgroundPictureBottomRight:
            return Gdiplus::Rect(right, bottom, picture.cx, picture.cy);
        default:
            return Gdiplus::Rect(0, 0, view.cx, view.cy);
    }
}

std::unique_ptr<Gdiplus::Image> LoadPicture(LPCWSTR path) {
    if (!path || !*path)
        return nullptr;
    std::unique_ptr<Gdiplus::Image> picture(new Gdiplus::Image(path, TRUE));
    if (picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0 || picture->GetHeight() == 0)
        return nullptr;
    return picture;
}

std::unique_ptr<Gdiplus::Bitmap> RenderPictureBitmap(SIZE view, Gdiplus::Image& picture, UINT position,
                                                     Gdiplus::InterpolationMode interpolation) {
    // Always with alpha, whatever the picture's own format: the list view's colour must show
    // around the picture, and GDI+ cannot draw into an indexed bitmap at all.
    std::unique_ptr<Gdiplus::Bitmap> bitmap = NewBitmap(view, PixelFormat32bppARGB);
    if (!bitmap)
        return nullptr;
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    SIZE pictureSize = {static_cast<LONG>(picture.GetWidth()), static_cast<LONG>(picture.GetHeight())};
    Gdiplus::Rect destination = PicturePlacement(position, view, pictureSize);
    if (position < BackgroundPictureCentered || position > BackgroundPictureBottomRight)
        graphics.SetInterpolationMode(interpolation);
    // Scaling samples beyond the picture's edges; without mirrored edges they fade into the
    // transparent surroundings.
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    if (graphics.DrawImage(&picture, destination, 0, 0, pictureSize.cx, pictureSize.cy, Gdiplus::UnitPixel, &edges) !=
        Gdiplus::Ok)
        return nullptr;
    return bitmap;
}
