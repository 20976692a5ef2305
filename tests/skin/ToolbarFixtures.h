#pragma once
#include "lib/IconHandle.h"
#include "skin/TransparentToolbar.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// The toolbar's own painting (WM_PRINTCLIENT) into a 32-bit picture prefilled with a sentinel,
// so pixels it does not touch keep the sentinel. Never the screen: layered windows do not show
// alpha or keys without a compositor.
struct Capture {
    static const COLORREF kSentinel = RGB(1, 2, 3);
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[y * width + x]; }
    // The smallest rectangle holding every pixel the predicate accepts; empty when none does.
    template <typename Predicate> RECT BoundsOf(Predicate accept) const {
        RECT box = {width, height, 0, 0};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (accept(At(x, y))) {
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                           std::max<LONG>(box.bottom, y + 1)};
                }
            }
        }
        return box.right > box.left ? box : RECT{0, 0, 0, 0};
    }
};
Capture CaptureToolbar(const CTransparentToolbar& toolbar);
bool Near(COLORREF a, COLORREF b, int tolerance = 2);

// Four solid 24 x 24 icons per button, one colour per state so that captures tell which image went
// where, kept alive with the toolbar under test.
struct ButtonIcons {
    CIconHandle images[ToolbarButtonStateCount];
};
TransparentToolbarButton MakeButton(const ButtonIcons& icons, UINT command, int group = 0, int space = 0,
                                    BOOL enabled = TRUE, LPCWSTR tooltip = L"");
// The state colours of button `index`: a distinct colour for each (button, state).
COLORREF StateColour(int index, int state);
std::unique_ptr<ButtonIcons> MakeButtonIcons(int index);

// A 10 x 6 picture of kPictureColour with a 2 x 2 block of kPictureKey at (4, 2), as BMP file bytes.
const COLORREF kPictureColour = RGB(0, 160, 0);
const COLORREF kPictureKey = RGB(255, 0, 255);
std::vector<unsigned char> PictureFile();

bool operator==(const RECT& a, const RECT& b);
std::string Describe(const RECT& rect);
