// The toolbar's sizes, button places, window attributes and painting, read from its window and
// from its own drawing into a picture.
#include "config/Skin.h"
#include "lib/ThemePalette.h"
#include "skin/ToolbarFixtures.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct LayoutRow {
    const char* name;
    BOOL vertical;
    SIZE button;
    RECT margins; // left, top, right, bottom
    SIZE requested;
    std::vector<std::pair<int, int>> buttons; // group, space before
    int moveGroup;                            // -1: no move button
    int moveSpace;
    SIZE minimum, size;
    const char* places; // the buttons', then the move button's
};

// Worked out by hand from the rules: the near margin does not shift the near group, the middle
// start is halved toward zero, a group that would overlap the one before it starts at its end.
// clang-format off
const LayoutRow kLayoutRows[] = {
    {"three groups in a row with spaces", FALSE, {24, 24}, {2, 3, 4, 5}, {300, 10},
     {{0, 0}, {0, 5}, {1, 0}, {2, 3}}, -1, 0, {110, 32}, {300, 32}, "(0,3) (29,3) (135,3) (272,3) "},
    {"column with the move button after the near group", TRUE, {32, 20}, {1, 2, 3, 4}, {0, 0},
     {{2, 0}, {0, 0}, {1, 6}}, 0, 2, {36, 94}, {36, 94}, "(1,70) (1,0) (1,48) (1,22) "},
    {"middle move button follows its group", FALSE, {20, 20}, {0, 0, 0, 0}, {100, 0},
     {{1, 0}, {0, 0}}, 1, 0, {60, 20}, {100, 20}, "(30,0) (0,0) (50,0) "},
    {"negative middle start halves toward zero", FALSE, {24, 24}, {0, 0, 0, 0}, {20, 0},
     {{0, -30}, {1, -7}}, -1, 0, {11, 24}, {20, 24}, "(-30,0) (-12,0) "},
    {"far group pushed behind a crowded middle", FALSE, {10, 10}, {0, 0, 0, 0}, {30, 0},
     {{1, 0}, {1, 0}, {2, 0}}, -1, 0, {30, 10}, {30, 10}, "(5,0) (15,0) (25,0) "},
    {"no buttons, negative margins", FALSE, {24, 24}, {-5, -5, -30, -30}, {0, 0},
     {}, -1, 0, {0, 0}, {0, 0}, ""},
};
// clang-format on

TransparentToolbarSettings SettingsFor(const LayoutRow& row, std::vector<TransparentToolbarButton>& buttons,
                                       TransparentToolbarButton& move) {
    for (const std::pair<int, int>& placed : row.buttons) {
        TransparentToolbarButton button = {};
        button.Group = placed.first;
        button.SpaceBefore = placed.second;
        button.Enabled = TRUE;
        buttons.push_back(button);
    }
    move = {};
    move.Group = row.moveGroup;
    move.SpaceBefore = row.moveSpace;
    TransparentToolbarSettings settings = SettingsWithButtons(buttons, row.moveGroup >= 0 ? &move : nullptr);
    settings.Vertical = row.vertical;
    settings.ButtonWidth = row.button.cx;
    settings.ButtonHeight = row.button.cy;
    settings.MarginLeft = row.margins.left;
    settings.MarginTop = row.margins.top;
    settings.MarginRight = row.margins.right;
    settings.MarginBottom = row.margins.bottom;
    settings.Width = row.requested.cx;
    settings.Height = row.requested.cy;
    return settings;
}

// "(x,y) " for each button, then the move button.
std::string PlacesOf(const CTransparentToolbar& toolbar) {
    std::string text;
    for (UINT index = 0; index <= toolbar.GetButtonCount(); ++index) {
        const TransparentToolbarPlacedButton* button =
            index < toolbar.GetButtonCount() ? toolbar.GetButton(index) : toolbar.GetMoveButton();
        if (button)
            text += "(" + std::to_string(button->Position.x) + "," + std::to_string(button->Position.y) + ") ";
    }
    return text;
}

} // namespace

TEST(TransparentToolbarDesktop, MinimumSizesAndButtonPlaces) {
    for (const LayoutRow& row : kLayoutRows) {
        std::vector<TransparentToolbarButton> buttons;
        TransparentToolbarButton move;
        CTransparentToolbar toolbar(GetModuleHandleW(nullptr), nullptr, nullptr, SettingsFor(row, buttons, move));
        ASSERT_NE(nullptr, toolbar.GetHandle()) << row.name;
        RECT window;
        GetWindowRect(toolbar.GetHandle(), &window);
        EXPECT_EQ((std::vector<LONG>{row.minimum.cx, row.minimum.cy, row.size.cx, row.size.cy}),
                  (std::vector<LONG>{toolbar.GetMinWidth(), toolbar.GetMinHeight(), window.right - window.left,
                                     window.bottom - window.top}))
            << row.name << ": minimum, size";
        EXPECT_EQ(row.places, PlacesOf(toolbar)) << row.name;
    }
}

TEST(TransparentToolbarDesktop, ResizingRaisesToTheMinimumAndLaysOutAgain) {
    std::vector<TransparentToolbarButton> buttons;
    TransparentToolbarButton move;
    CTransparentToolbar toolbar(GetModuleHandleW(nullptr), nullptr, nullptr,
                                SettingsFor(kLayoutRows[0], buttons, move));
    EXPECT_TRUE(toolbar.SetWidth(200));
    EXPECT_EQ("(0,3) (29,3) (85,3) (172,3) ", PlacesOf(toolbar));
    EXPECT_FALSE(toolbar.SetWidth(50));
    EXPECT_EQ(110, toolbar.GetWidth());
    EXPECT_FALSE(toolbar.SetBounds(-40, 70, 400, 20)) << "the height was raised";
    RECT window;
    GetWindowRect(toolbar.GetHandle(), &window);
    EXPECT_EQ((RECT{-40, 70, 360, 102}), window);
    EXPECT_TRUE(toolbar.SetBounds(10, 10, 120, 40));
}

TEST(TransparentToolbarDesktop, LayeredAttributesAndStyles) {
    const struct Row {
        int opacity;
        BOOL key, topmost;
        DWORD flags;
        BYTE alpha;
    } rows[] = {{100, TRUE, FALSE, LWA_COLORKEY, 255},
                {80, FALSE, TRUE, LWA_ALPHA, 204},
                {150, TRUE, FALSE, LWA_COLORKEY, 255},
                {0, TRUE, FALSE, LWA_ALPHA | LWA_COLORKEY, 0}};
    for (const Row& row : rows) {
        TransparentToolbarSettings settings;
        settings.Opacity = row.opacity;
        settings.UseTransparentColor = row.key;
        settings.TransparentColor = RGB(1, 250, 3);
        settings.Topmost = row.topmost;
        CTransparentToolbar toolbar(GetModuleHandleW(nullptr), nullptr, nullptr, settings);
        HWND window = toolbar.GetHandle();
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags)) << "opacity " << row.opacity;
        // The alpha counts only with LWA_ALPHA, the key only with LWA_COLORKEY.
        const DWORD seen[] = {flags, flags & LWA_ALPHA ? alpha : row.alpha, flags & LWA_COLORKEY ? key : RGB(1, 250, 3),
                              static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) &
                                  (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_CHILD),
                              static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)) &
                                  (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST)};
        const DWORD expected[] = {row.flags, row.alpha, RGB(1, 250, 3), WS_POPUP,
                                  WS_EX_LAYERED | WS_EX_TOOLWINDOW | (row.topmost ? WS_EX_TOPMOST : 0u)};
        EXPECT_EQ(std::vector<DWORD>(expected, expected + 5), std::vector<DWORD>(seen, seen + 5))
            << "opacity " << row.opacity << ": flags, alpha, key, style, extended style";
    }
}

TEST(TransparentToolbarDesktop, BackgroundsGradientsPicturePlacementsAndColourSchemes) {
    // The scheme is process-wide: whatever happens here, the next test starts light.
    struct LightAgain {
        ~LightAgain() { SetCurrentColorScheme(ColorSchemeLight, FALSE); }
    } lightAgain;
    TempDirectory directory;
    std::wstring picture = directory.File(L"bar.bmp");
    ASSERT_TRUE(WriteFileBytes(picture, PictureFile()));
    std::wstring garbage = directory.File(L"garbage.png");
    ASSERT_TRUE(WriteFileBytes(garbage, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'}));
    const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kFill = RGB(90, 90, 90);
    const int W = 60, H = 20;
    // A 60 x 20 bar without buttons on the background `type`, as it draws itself.
    auto paint = [&](int type, const std::wstring& path, COLORREF gradientEnd, BOOL programsOwn = FALSE) {
        TransparentToolbarSettings settings;
        settings.BackgroundType = type;
        settings.BackgroundColor = kFill;
        settings.GradientColor1 = kRed;
        settings.GradientColor2 = gradientEnd;
        settings.FollowsColorScheme = programsOwn;
        settings.TransparentColor = kPictureKey;
        settings.BackgroundImage = path.c_str();
        settings.Width = W;
        settings.Height = H;
        settings.ButtonHeight = 0;
        return CapturePrinted(CTransparentToolbar(GetModuleHandleW(nullptr), nullptr, nullptr, settings).GetHandle());
    };

    // Gradients: the first colour at one corner, the second at the opposite one.
    const POINT corners[][2] = {
        {{0, 10}, {W - 1, 10}}, {{30, 0}, {30, H - 1}}, {{0, 0}, {W - 1, H - 1}}, {{W - 1, 0}, {0, H - 1}}};
    for (int type = 0; type < 4; ++type) {
        Capture capture = paint(type, L"", kBlue);
        EXPECT_TRUE(Near(kRed, capture.At(corners[type][0].x, corners[type][0].y), 40)) << "gradient " << type;
        EXPECT_TRUE(Near(kBlue, capture.At(corners[type][1].x, corners[type][1].y), 40)) << "gradient " << type;
    }

    // Pictures: where the picture's own pixels land, by placement.
    const RECT places[] = {{0, 0, W, H},   {25, 7, 35, 13}, {0, 0, 10, 6},   {25, 0, 35, 6},   {50, 0, 60, 6},
                           {0, 7, 10, 13}, {50, 7, 60, 13}, {0, 14, 10, 20}, {25, 14, 35, 20}, {50, 14, 60, 20}};
    for (int type = 5; type <= 14; ++type) {
        Capture capture = paint(type, picture, kBlue);
        RECT box = capture.BoundsOf([](COLORREF c) { return Near(c, kPictureColour, 8); });
        // Scaling may leave the bottom row to the fill; the extra width keeps the right column.
        if (type == 5 && box.bottom == H - 1)
            box.bottom = H;
        EXPECT_EQ(places[type - 5], box) << "placement " << type;
        EXPECT_TRUE(Near(kFill, capture.At(W - 1, H - 1)) || Near(kPictureColour, capture.At(W - 1, H - 1), 8))
            << "placement " << type << " fills under the picture";
        if (type == 7) {
            EXPECT_EQ(kFill, capture.At(4, 2)) << "keyed picture pixels show the fill";
        }
    }

    // Nothing is drawn for a picture that does not load, nor for an unknown type.
    const std::pair<int, std::wstring> blanks[] = {
        {6, directory.File(L"none.png")}, {6, directory.Path()}, {6, garbage}, {99, picture}};
    for (const auto& blank : blanks) {
        Capture capture = paint(blank.first, blank.second, kBlue);
        EXPECT_EQ((RECT{0, 0, 0, 0}), capture.BoundsOf([](COLORREF c) { return c != Capture::kSentinel; }))
            << "type " << blank.first;
    }

    // High contrast paints the plain system colour; dark changes only the program's own look.
    SetCurrentColorScheme(ColorSchemeHighContrast, FALSE);
    for (int type : {0, 4, 7})
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), paint(type, picture, kRed).At(1, 1)) << "high contrast, type " << type;
    SetCurrentColorScheme(ColorSchemeDark, FALSE);
    EXPECT_EQ(kRed, paint(0, picture, kRed).At(1, 1)) << "a look the user chose stays in the dark";
    EXPECT_EQ(PaletteFor(ColorSchemeDark, FALSE).DialogBackground, paint(0, picture, kRed, TRUE).At(1, 1));
    SetCurrentColorScheme(ColorSchemeLight, FALSE);
    EXPECT_EQ(kFill, paint(4, picture, kRed, TRUE).At(1, 1));
}

TEST(TransparentToolbarDesktop, EachImageAtItsPlaceAndTheSkinDefaultsShowOnlyIcons) {
    auto normal = MakeButtonIcons(0);
    auto disabled = MakeButtonIcons(1);
    auto moveIcons = MakeButtonIcons(2);
    std::vector<TransparentToolbarButton> buttons = {MakeButton(*normal, 1), MakeButton(*disabled, 2, 2, 0, FALSE)};
    TransparentToolbarButton move = MakeButton(*moveIcons, 0, 1);
    TransparentToolbarSettings settings = SettingsWithButtons(buttons, &move);
    settings.Width = 120;
    settings.MarginTop = 4;
    settings.MarginBottom = 4;
    CTransparentToolbar toolbar(GetModuleHandleW(nullptr), nullptr, nullptr, settings);
    Capture capture = CapturePrinted(toolbar.GetHandle());
    const struct {
        COLORREF colour;
        RECT place;
    } expected[] = {{StateColour(0, ToolbarButtonNormal), {0, 4, 24, 28}},
                    {StateColour(1, ToolbarButtonDisabled), {96, 4, 120, 28}},
                    {StateColour(2, ToolbarButtonNormal), {48, 4, 72, 28}}};
    for (const auto& image : expected)
        EXPECT_EQ(image.place, capture.BoundsOf([&](COLORREF c) { return c == image.colour; }));
    EXPECT_TRUE(toolbar.SetMoveButtonVisible(FALSE));
    RECT hidden = CapturePrinted(toolbar.GetHandle()).BoundsOf([](COLORREF c) { return c == StateColour(2, 0); });
    EXPECT_EQ((RECT{0, 0, 0, 0}), hidden) << "a hidden move button is not drawn";

    // The default look: a solid background in the key colour, so only icon pixels differ from it.
    CSkin skin;
    std::vector<TransparentToolbarButton> skinButtons(3);
    for (int index = 0; index < 3; ++index) {
        for (int state = 0; state < ToolbarButtonStateCount; ++state)
            skinButtons[index].Images[state] = skin.Images[SkinImageHome + index * 3].Icon;
        skinButtons[index].Enabled = TRUE;
    }
    TransparentToolbarSettings look = SettingsWithButtons(skinButtons);
    look.BackgroundType = skin.BackgroundType;
    look.BackgroundColor = skin.BackgroundColor;
    look.TransparentColor = skin.TransparentColor;
    look.UseTransparentColor = skin.UseTransparentColor;
    look.Opacity = skin.Opacity;
    look.Width = 200;
    CTransparentToolbar skinned(GetModuleHandleW(nullptr), nullptr, nullptr, look);
    Capture shown = CapturePrinted(skinned.GetHandle());
    RECT drawn = shown.BoundsOf([&](COLORREF c) { return c != skin.TransparentColor; });
    RECT buttonRow = {0, 0, 72, 24}, inside;
    EXPECT_FALSE(IsRectEmpty(&drawn)) << "the icons show";
    EXPECT_TRUE(IntersectRect(&inside, &drawn, &buttonRow) && inside == drawn)
        << "pixels off the key colour at " << drawn;
    EXPECT_EQ(0, std::count(shown.pixels.begin(), shown.pixels.end(), Capture::kSentinel));
}
