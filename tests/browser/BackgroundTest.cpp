#include "BrowserHost.h"

#include "lib/MemoryDc.h"
#include "lib/ThemePalette.h"
#include "lib/WindowDc.h"
#include "lib/WindowSubclass.h"
#include "skin/BackgroundPainting.h"

namespace {

const COLORREF Green = 0x00FF00;

// What the list view was handed: each bitmap's size and corner colours, read when it arrives
// (the list view may delete it later).
struct HandedBitmap {
    std::pair<LONG, LONG> size;
    COLORREF topLeft, bottomRight;
};

bool CloseTo(COLORREF actual, COLORREF expected) {
    return abs(GetRValue(actual) - GetRValue(expected)) < 40 && abs(GetGValue(actual) - GetGValue(expected)) < 40 &&
           abs(GetBValue(actual) - GetBValue(expected)) < 40;
}

HandedBitmap Describe(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    HandedBitmap handed = {{info.bmWidth, info.bmHeight}, CLR_INVALID, CLR_INVALID};
    CMemoryDc dc;
    dc.Select(bitmap);
    handed.topLeft = GetPixel(dc.Get(), 1, 1);
    handed.bottomRight = GetPixel(dc.Get(), info.bmWidth - 2, info.bmHeight - 2);
    return handed;
}

LRESULT CALLBACK CaptureImages(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* handed = reinterpret_cast<std::vector<std::pair<HBITMAP, HandedBitmap>>*>(data);
    if (message == LVM_SETBKIMAGEW) {
        HBITMAP bitmap = reinterpret_cast<const LVBKIMAGEW*>(lParam)->hbm;
        // Wine refuses the watermark and gets the same bitmap again as a plain image.
        if (bitmap && (handed->empty() || handed->back().first != bitmap))
            handed->emplace_back(bitmap, Describe(bitmap));
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

class BackgroundTest : public BrowserTest<CShellBrowserEx> {
protected:
    void Browse(UINT backgroundType) {
        Create(0);
        m_handed.clear();
        m_browser->SetBackgroundType(backgroundType);
        m_browser->RenderGradient(Red, Blue, 2);
        ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
        m_capture.Install(m_browser->ListView(), CaptureImages, 0, reinterpret_cast<DWORD_PTR>(&m_handed));
    }
    void Resize(int width, int height) {
        SetWindowPos(m_host.Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }
    std::pair<LONG, LONG> ClientSize() const {
        RECT client;
        GetClientRect(m_host.Window(), &client);
        return {client.right, client.bottom};
    }

    std::vector<std::pair<HBITMAP, HandedBitmap>> m_handed;
    CWindowSubclass m_capture;
};

TEST_F(BackgroundTest, AGradientComesOncePerResizeAtTheViewsSizeAndShowsItsCorners) {
    Browse(CShellBrowserEx::BackgroundGradient);
    Resize(420, 300);
    ASSERT_EQ(1u, m_handed.size());
    EXPECT_EQ(ClientSize(), m_handed[0].second.size);
    Resize(420, 300);
    EXPECT_EQ(1u, m_handed.size()) << "the same size renders nothing";

    ShowWindow(m_host.Window(), SW_MINIMIZE);
    EXPECT_EQ(1u, m_handed.size()) << "a minimized view has nothing to show";
    ShowWindow(m_host.Window(), SW_RESTORE);
    ASSERT_EQ(2u, m_handed.size());
    EXPECT_EQ(ClientSize(), m_handed[1].second.size);

    // What the screen shows of an empty folder: the gradient's corners.
    RedrawWindow(ListView(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpFor(100);
    RECT client;
    GetClientRect(ListView(), &client);
    CWindowDc dc(ListView());
    COLORREF topLeft = GetPixel(dc.Get(), 2, 2), bottomRight = GetPixel(dc.Get(), client.right - 3, client.bottom - 3);
    EXPECT_TRUE(CloseTo(topLeft, Red)) << std::hex << topLeft;
    EXPECT_TRUE(CloseTo(bottomRight, Blue)) << std::hex << bottomRight;
}

TEST_F(BackgroundTest, APictureIsHandedOverCentredAtTheViewsSizeOnlyOnceItLoadsAndTheShellsOwnBackgroundGetsNone) {
    m_folders.AddFile(L"not a picture.jpg", "plain text");
    std::wstring picture = m_folders.Path(L"large.png");
    ASSERT_TRUE(SaveSolidPicture(picture, 4000, 3000, Red, Blue));
    Browse(CShellBrowserEx::BackgroundPicture);
    Gdiplus::Bitmap* gradient = m_browser->BackgroundBitmap();
    ASSERT_NE(nullptr, gradient);
    EXPECT_FALSE(m_browser->RenderPicture(m_folders.Path(L"missing.png").c_str(), 1));
    EXPECT_FALSE(m_browser->RenderPicture(m_folders.Path(L"not a picture.jpg").c_str(), 1));
    EXPECT_EQ(gradient, m_browser->BackgroundBitmap());
    Resize(300, 200);
    EXPECT_TRUE(m_handed.empty()) << "no picture was ever loaded";

    ASSERT_TRUE(m_browser->RenderPicture(picture.c_str(), BackgroundPictureCentered));
    Resize(500, 360);
    ASSERT_FALSE(m_handed.empty());
    const HandedBitmap& handed = m_handed.back().second;
    EXPECT_EQ(ClientSize(), handed.size);
    EXPECT_TRUE(CloseTo(handed.topLeft, Blue)) << std::hex << handed.topLeft;
    EXPECT_TRUE(CloseTo(handed.bottomRight, Blue)) << std::hex << handed.bottomRight;

    Browse(CShellBrowserEx::BackgroundShell);
    Resize(500, 350);
    Resize(300, 200);
    EXPECT_TRUE(m_handed.empty()) << "the shell's own background";
}

TEST_F(BackgroundTest, LabelsShowTheGradientThroughUnlessTheItemGivesThemABackground) {
    m_folders.AddFile(L"a label of some length.txt", "x");
    // How many pixels of the item's label are white and how many green, as drawn on screen.
    auto labelPixels = [&](BOOL textBackground) {
        Create(0);
        m_browser->SetTextBackgroundColor(textBackground, Green);
        m_browser->SetBackgroundType(CShellBrowserEx::BackgroundGradient);
        m_browser->RenderGradient(Red, Blue, 0);
        EXPECT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
        Resize(400, 300);
        EXPECT_TRUE(PumpMessagesUntil([&] { return ListView_GetItemCount(ListView()) == 1; }));
        RedrawWindow(ListView(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RECT label = {};
        ListView_GetItemRect(ListView(), 0, &label, LVIR_LABEL);
        std::pair<int, int> counted = {0, 0};
        CWindowDc dc(ListView());
        for (int y = label.top; y < label.bottom; ++y) {
            for (int x = label.left; x < label.right; ++x) {
                COLORREF pixel = GetPixel(dc.Get(), x, y);
                counted.first += pixel == RGB(255, 255, 255);
                counted.second += pixel == Green;
            }
        }
        EXPECT_GT(label.right - label.left, 20) << "the label has room to be read";
        return counted;
    };
    // In the dark scheme too: white text on the item's light gradient would be as unreadable.
    SetCurrentColorScheme(ColorSchemeDark, FALSE);
    std::pair<int, int> plain = labelPixels(FALSE);
    SetCurrentColorScheme(ColorSchemeLight, FALSE);
    EXPECT_EQ(0, plain.first) << "no white box behind the text, no white text";
    EXPECT_EQ(0, plain.second);
    EXPECT_GT(labelPixels(TRUE).second, 20) << "the item's own text background";
}

} // namespace
