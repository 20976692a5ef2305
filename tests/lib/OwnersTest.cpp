#include "lib/GdiObject.h"
#include "lib/MemoryDc.h"
#include "lib/RuntimeModule.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

bool IsLiveGdiObject(HGDIOBJ object) {
    return GetObjectType(object) != 0;
}

} // namespace

// desktop-free: Owners
TEST(Owners, MovingHandsTheHandleOverResettingReleasesItOnceAndAMemoryDcPutsBackWhatItReplaced) {
    HBITMAP raw = CreateBitmap(4, 4, 1, 32, nullptr);
    ASSERT_NE(nullptr, raw);
    CBitmapHandle first(raw);
    CBitmapHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(raw, second.Get());
    {
        CBitmapHandle third;
        third = std::move(second);
        EXPECT_TRUE(IsLiveGdiObject(raw)) << "a move never releases";
    }
    EXPECT_FALSE(IsLiveGdiObject(raw)) << "the last owner released it";

    HBITMAP kept = CreateBitmap(4, 4, 1, 32, nullptr);
    CBitmapHandle owner(kept);
    owner.Reset(kept);
    EXPECT_TRUE(IsLiveGdiObject(kept)) << "resetting to the same handle keeps it";
    EXPECT_EQ(kept, owner.Detach());
    EXPECT_TRUE(IsLiveGdiObject(kept)) << "a detached handle is the caller's";
    DeleteObject(kept);

    first.Reset(CreateBitmap(8, 8, 1, 32, nullptr));
    second.Reset(CreateBitmap(8, 8, 1, 32, nullptr));
    CFontHandle font(CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    CMemoryDc dc;
    ASSERT_TRUE(dc);
    HGDIOBJ originalBitmap = GetCurrentObject(dc.Get(), OBJ_BITMAP);
    HGDIOBJ originalFont = GetCurrentObject(dc.Get(), OBJ_FONT);
    ASSERT_TRUE(dc.Select(first.Get()));
    ASSERT_TRUE(dc.Select(second.Get())) << "a second bitmap replaces ours, not the DC's own";
    ASSERT_TRUE(dc.Select(font.Get()));
    EXPECT_EQ(second.Get(), GetCurrentObject(dc.Get(), OBJ_BITMAP));
    EXPECT_FALSE(dc.Select(nullptr)) << "nothing to select";

    dc.RestoreSelections();
    EXPECT_EQ(originalBitmap, GetCurrentObject(dc.Get(), OBJ_BITMAP));
    EXPECT_EQ(originalFont, GetCurrentObject(dc.Get(), OBJ_FONT));
    // A bitmap can be selected into one DC only: ours is free for another.
    CMemoryDc other;
    EXPECT_TRUE(other.Select(second.Get()));
}

TEST(Owners, EachRuntimeModuleHoldsItsOwnReference) {
    // A DLL the test program does not link, so only the owners below load it.
    const wchar_t kName[] = L"dwmapi.dll";
    if (GetModuleHandleW(kName))
        GTEST_SKIP() << "dwmapi.dll is already loaded into this process";
    auto first = std::make_unique<CRuntimeModule>(kName);
    ASSERT_NE(nullptr, first->Handle());
    CRuntimeModule second(kName);
    first.reset();
    EXPECT_NE(nullptr, GetModuleHandleW(kName)) << "the second owner's function pointers must stay valid";
}
