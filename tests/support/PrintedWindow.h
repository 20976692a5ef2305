#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

// A window's own painting (WM_PRINTCLIENT) into a 32-bit picture prefilled with a sentinel, so
// pixels it does not touch keep the sentinel. Never the screen: layered windows (bars, toolbars,
// the about box) show neither alpha nor keys without a compositor.
struct Capture {
    static constexpr COLORREF kSentinel = RGB(1, 2, 3);
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[y * width + x] : CLR_INVALID;
    }
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
Capture CapturePrinted(HWND window, UINT flags = PRF_CLIENT);
