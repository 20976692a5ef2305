#pragma once
#include <windows.h>

#include <gdiplus.h>

#include <memory>

// Folder view backgrounds rendered at the view's exact size, so that the list view never scales
// them. GDI+ must be running.

// Gradient directions as the folder item stores them.
enum BackgroundGradientType {
    BackgroundGradientHorizontal = 0,
    BackgroundGradientVertical = 1,
    BackgroundGradientDiagonal = 2,
    BackgroundGradientBackwardDiagonal = 3,
};

// Picture positions as the folder item stores them; anything else is drawn stretched.
enum BackgroundPicturePosition {
    BackgroundPictureStretched = 0,
    BackgroundPictureCentered = 1,
    BackgroundPictureUpLeft = 2,
    BackgroundPictureUpCenter = 3,
    BackgroundPictureUpRight = 4,
    BackgroundPictureLeft = 5,
    BackgroundPictureRight = 6,
    BackgroundPictureBottomLeft = 7,
    BackgroundPictureBottomCenter = 8,
    BackgroundPictureBottomRight = 9,
};

// An opaque ARGB colour from a COLORREF (red in the low byte).
Gdiplus::Color OpaqueColor(COLORREF color);

// A view-sized bitmap filled from colour 1 to colour 2 in the direction; null on a GDI+ failure
// or an empty size.
std::unique_ptr<Gdiplus::Bitmap> RenderGradientBitmap(SIZE view, COLORREF color1, COLORREF color2, UINT type);

// Where a picture goes in a view. Halvings are signed, so a picture larger than the view is cut
// evenly on both sides when centred.
Gdiplus::Rect PicturePlacement(UINT position, SIZE view, SIZE picture);

// The picture decoded from a file; null when it cannot be read as a picture.
std::unique_ptr<Gdiplus::Image> LoadPicture(LPCWSTR path);

// A view-sized bitmap with the picture placed in it and every other pixel transparent; the
// interpolation applies to the stretched position only.
std::unique_ptr<Gdiplus::Bitmap> RenderPictureBitmap(SIZE view, Gdiplus::Image& picture, UINT position,
                                                     Gdiplus::InterpolationMode interpolation);
