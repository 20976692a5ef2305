#include "support/PrintedWindow.h"

#include "lib/GdiObject.h"
#include "lib/MemoryDc.h"

Capture CapturePrinted(HWND window, UINT flags) {
    Capture capture;
    RECT client;
    GetClientRect(window, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), capture.width, -capture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return capture;
    CMemoryDc dc;
    dc.Select(bitmap.Get());
    FillRect(dc.Get(), &client, CBrushHandle(CreateSolidBrush(Capture::kSentinel)).Get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), flags);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < capture.width * capture.height; ++i)
        capture.pixels.push_back(RGB((pixels[i] >> 16) & 0xFF, (pixels[i] >> 8) & 0xFF, pixels[i] & 0xFF));
    return capture;
}
