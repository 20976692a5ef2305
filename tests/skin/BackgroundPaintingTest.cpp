#include <gtest/gtest.h>

#include "lib/GdiplusSession.h"
#include "skin/BackgroundPainting.h"

namespace {

const COLORREF Red = 0x0000FF;
const COLORREF Blue = 0xFF0000;
const SIZE View = {100, 60};

class BackgroundPaintingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_gdiplus.Started()); }

    // Opaque and within 40 per channel of the colour; for CLR_INVALID, fully transparent.
    static bool IsColor(Gdiplus::Bitmap& bitmap, INT x, INT y, COLORREF color) {
        Gdiplus::Color pixel;
        bitmap.GetPixel(x, y, &pixel);
        if (color == CLR_INVALID)
            return pixel.GetA() == 0;
        return pixel.GetA() == 0xFF && abs(pixel.GetR() - GetRValue(color)) < 40 &&
               abs(pixel.GetG() - GetGValue(color)) < 40 && abs(pixel.GetB() - GetBValue(color)) < 40;
    }

    CGdiplusSession m_gdiplus;
};

TEST_F(BackgroundPaintingTest, GradientsStartInTheirCornerAndEndInTheOpposite) {
    const struct {
        UINT type;
        POINT start, end;
    } cases[] = {
        {BackgroundGradientHorizontal, {0, 30}, {99, 30}},
        {BackgroundGradientVertical, {50, 0}, {50, 59}},
        {BackgroundGradientDiagonal, {0, 0}, {99, 59}},
        {BackgroundGradientBackwardDiagonal, {99, 0}, {0, 59}},
    };
    for (const auto& sample : cases) {
        std::unique_ptr<Gdiplus::Bitmap> bitmap = RenderGradientBitmap(View, Red, Blue, sample.type);
        ASSERT_NE(nullptr, bitmap) << "type " << sample.type;
        EXPECT_TRUE(IsColor(*bitmap, sample.start.x, sample.start.y, Red)) << "type " << sample.type;
        EXPECT_TRUE(IsColor(*bitmap, sample.end.x, sample.end.y, Blue)) << "type " << sample.type;
    }
    EXPECT_EQ(nullptr, RenderGradientBitmap({0, 0}, Red, Blue, 0));
    EXPECT_EQ(nullptr, LoadPicture(L""));
}

TEST_F(BackgroundPaintingTest, PicturesGoToTheirPlaceAndLeaveTheRestTransparent) {
    Gdiplus::Bitmap picture(20, 10, PixelFormat32bppARGB);
    Gdiplus::Graphics(&picture).Clear(OpaqueColor(Red));
    const struct {
        UINT position;
        INT x, y, width, height;
    } cases[] = {
        {0, 0, 0, 100, 60},  {1, 40, 25, 20, 10}, {2, 0, 0, 20, 10},   {3, 40, 0, 20, 10},
        {4, 80, 0, 20, 10},  {5, 0, 25, 20, 10},  {6, 80, 25, 20, 10}, {7, 0, 50, 20, 10},
        {8, 40, 50, 20, 10}, {9, 80, 50, 20, 10}, {12, 0, 0, 100, 60},
    };
    for (const auto& sample : cases) {
        std::unique_ptr<Gdiplus::Bitmap> bitmap =
            RenderPictureBitmap(View, picture, sample.position, Gdiplus::InterpolationModeHighQualityBicubic);
        ASSERT_NE(nullptr, bitmap) << "position " << sample.position;
        int wrong = 0;
        for (INT y = 0; y < View.cy; y++)
            for (INT x = 0; x < View.cx; x++) {
                bool inside =
                    x >= sample.x && x < sample.x + sample.width && y >= sample.y && y < sample.y + sample.height;
                wrong += !IsColor(*bitmap, x, y, inside ? Red : CLR_INVALID);
            }
        EXPECT_EQ(0, wrong) << "position " << sample.position;
    }
}

} // namespace
