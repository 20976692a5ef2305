// The owner-drawn look: grey icons for disabled items, the lifted icon over its shadow, the
// frame of checked items.
#include "menus/MenuTestOwner.h"
#include "menus/PopUpMenu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

const DWORD kBackground = 0xABCDEF;
const DWORD kBlue = 0x0000FF;

// Draws the menu's item in each state during a tracking of the menu, and reads the probes.
std::map<UINT, std::vector<DWORD>> DrawInStates(CPopUpMenu& menu, HICON icon, const std::vector<UINT>& states,
                                                const std::vector<POINT>& probes) {
    Canvas canvas(24);
    std::map<UINT, std::vector<DWORD>> drawn;
    MenuTestOwner owner;
    auto draw = [&]() {
        for (UINT state : states) {
            canvas.Fill(kBackground);
            if (!SendDrawItem(owner.Handle(), menu.GetHandle(), canvas.Dc(), {0, 0, 20, 20}, icon, state))
                continue;
            for (POINT probe : probes)
                drawn[state].push_back(canvas.At(probe.x, probe.y));
        }
        return true;
    };
    owner.Track(menu, {WaitForMenu(menu.GetHandle()), draw});
    return drawn;
}

} // namespace

// desktop-free: PopUpMenuDrawing.GrayIconKeepsLumaWhiteAndTransparencyAndShadowIconIsTheIconOnTheBrush
TEST(PopUpMenuDrawing, GrayIconKeepsLumaWhiteAndTransparencyAndShadowIconIsTheIconOnTheBrush) {
    // Blue weighs 0.114, red 0.299, green 0.587; the sum is truncated and alpha kept.
    const std::vector<std::pair<DWORD, DWORD>> colours = {
        {0xFFFFFFFF, 0xFFFFFFFF}, {0xFF0000FF, 0xFF1D1D1D}, {0xFFFF0000, 0xFF4C4C4C}, {0xFF00FF00, 0xFF959595},
        {0x80404040, 0x80404040}, {0xFF000000, 0xFF000000}, {0x40102030, 0x401D1D1D}, {0x00000000, 0x00000000}};
    std::vector<DWORD> pixels(16 * 16, 0x00000000);
    for (size_t index = 0; index < colours.size(); ++index)
        pixels[index] = colours[index].first;
    CIconHandle icon(CreateIconFromPixels(16, pixels));
    CIconHandle gray(CPopUpMenu::CreateGrayIcon(icon.Get()));
    std::vector<DWORD> result = ReadIconPixels(gray.Get());
    ASSERT_EQ(pixels.size(), result.size());
    for (size_t index = 0; index < colours.size(); ++index)
        EXPECT_EQ(colours[index].second, result[index]) << std::hex << "from " << colours[index].first;
    EXPECT_EQ(pixels, ReadIconPixels(icon.Get())) << "the source icon is untouched";
    EXPECT_EQ(nullptr, CPopUpMenu::CreateGrayIcon(nullptr));

    std::fill(pixels.begin(), pixels.end(), 0x00000000);
    std::fill(pixels.begin(), pixels.begin() + 8 * 16, 0xFF0000FF);
    CIconHandle halfBlue(CreateIconFromPixels(16, pixels));
    CBrushHandle red(CreateSolidBrush(RGB(255, 0, 0)));
    CIconHandle shadow(CPopUpMenu::CreateShadowIcon(halfBlue.Get(), red.Get()));
    ASSERT_TRUE(shadow);
    result = ReadIconPixels(shadow.Get());
    ASSERT_EQ(pixels.size(), result.size());
    EXPECT_EQ(0x0000FFu, result[0] & 0xFFFFFF) << "the icon's colour where it is opaque";
    EXPECT_EQ(0xFF0000u, result[15 * 16] & 0xFFFFFF) << "the brush where the icon is transparent";
    for (DWORD pixel : result)
        ASSERT_EQ(125u, pixel >> 24) << "opaque and empty pixels alike become 255 - 130";
}

TEST(PopUpMenuDrawing, HighlightLiftsTheIconOverItsShadowAndDisabledItemsAreGrey) {
    CIconHandle icon(CreateSolidIcon(16, 0xFF0000FF));
    CPopUpMenu menu;
    menu.InsertItem(L"Item", icon.Get(), 0, menu.NextCommandId());
    // The corner, inside the resting icon, its far corner, the shadow, past the shadow, the
    // frame's border and its filling.
    std::vector<POINT> probes = {{0, 0}, {1, 1}, {16, 16}, {17, 17}, {18, 18}, {19, 5}, {18, 5}};
    enum { Corner, Inside, FarCorner, Shadow, PastShadow, Border, Filling };
    std::map<UINT, std::vector<DWORD>> drawn = DrawInStates(
        menu, icon.Get(),
        {0, ODS_SELECTED, ODS_DISABLED, ODS_DISABLED | ODS_SELECTED, ODS_CHECKED, ODS_CHECKED | ODS_SELECTED}, probes);
    ASSERT_EQ(6u, drawn.size()) << "every state was drawn";

    EXPECT_EQ((std::vector<DWORD>{kBackground, kBlue, kBlue, kBackground, kBackground, kBackground, kBackground}),
              drawn[0])
        << "at rest: one pixel down and right, no shadow";
    const std::vector<DWORD>& lifted = drawn[ODS_SELECTED];
    EXPECT_EQ(kBlue, lifted[Corner]) << "lifted up and left by one pixel";
    EXPECT_NE(kBackground, lifted[FarCorner]);
    EXPECT_NE(kBlue, lifted[FarCorner]) << "the shadow shows where the icon rested";
    EXPECT_NE(kBackground, lifted[Shadow]);
    EXPECT_EQ(kBackground, lifted[PastShadow]) << "the shadow ends two pixels past the icon";
    for (UINT state : {ODS_DISABLED, ODS_DISABLED | ODS_SELECTED}) {
        EXPECT_EQ(kBackground, drawn[state][Corner]) << "disabled items stay at rest, state " << state;
        EXPECT_EQ(0x1D1D1Du, drawn[state][Inside]) << "the grey of pure blue, state " << state;
        EXPECT_EQ(kBackground, drawn[state][Shadow]) << "no shadow, state " << state;
    }

    // The frame's exact shade is the drawing code's business; it must show, and stay under a highlight.
    const DWORD frame = drawn[ODS_CHECKED][Filling];
    EXPECT_EQ(PixelOf(GetSysColor(COLOR_MENUHILIGHT)), drawn[ODS_CHECKED][Border])
        << "checked: a border in the highlight";
    EXPECT_NE(kBackground, frame) << "checked: a filled frame";
    EXPECT_EQ(kBlue, drawn[ODS_CHECKED][Inside]);
    EXPECT_EQ(PixelOf(GetSysColor(COLOR_MENU)), drawn[ODS_CHECKED | ODS_SELECTED][Border]) << "checked and highlighted";
    EXPECT_EQ(frame, drawn[ODS_CHECKED | ODS_SELECTED][Filling]);
    EXPECT_NE(frame, drawn[ODS_CHECKED | ODS_SELECTED][Shadow]) << "the shadow lies on the frame";

    menu.SetEffects(FALSE);
    std::map<UINT, std::vector<DWORD>> plain = DrawInStates(menu, icon.Get(), {ODS_SELECTED, ODS_CHECKED}, probes);
    EXPECT_EQ(kBlue, plain[ODS_SELECTED][Corner]);
    EXPECT_EQ(kBackground, plain[ODS_SELECTED][Shadow]) << "no shadow without effects";
    EXPECT_EQ(kBackground, plain[ODS_CHECKED][Border]) << "no frame without effects";
}
