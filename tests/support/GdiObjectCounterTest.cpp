#include "support/GdiObjectCounter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Bitmaps, a brush, a pen, a font and a memory DC: every kind counts as one object.
void ExpectCountsObjects(long (*read)(), const char* how) {
    long before = read();
    EXPECT_EQ(before, read()) << how << ": reading twice changes nothing";
    for (int bitmaps : {1, 96, 1500}) {
        std::vector<HGDIOBJ> objects;
        for (int index = 0; index < bitmaps; ++index)
            objects.push_back(CreateBitmap(2, 2, 1, 32, nullptr));
        objects.push_back(CreateSolidBrush(RGB(1, 2, 3)));
        objects.push_back(CreatePen(PS_SOLID, 1, RGB(4, 5, 6)));
        objects.push_back(CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        objects.push_back(CreateCompatibleDC(nullptr));
        for (HGDIOBJ object : objects)
            ASSERT_NE(nullptr, object);
        EXPECT_EQ(static_cast<long>(objects.size()), read() - before) << how << " with " << objects.size();
        for (HGDIOBJ object : objects)
            GetObjectType(object) == OBJ_MEMDC ? DeleteDC(static_cast<HDC>(object)) : DeleteObject(object);
        EXPECT_EQ(before, read()) << how << ": back where it started after deleting " << objects.size();
    }
}

} // namespace

// desktop-free: GdiObjectCounter
TEST(GdiObjectCounter, ReadingsMoveByTheNumberOfObjectsCreatedAndDeletedHowEverMeasured) {
    ExpectCountsObjects(&GdiObjectCounter::Read, GdiObjectCounter::UsesHeadroom() ? "headroom" : "GetGuiResources");
    // Always by headroom, so the Wine fallback is proven wherever the test runs.
    ExpectCountsObjects(&GdiObjectCounter::ReadByHeadroom, "headroom");
}
