// Times a full paint of a 1920 x 32 toolbar with 40 buttons on each kind of background and
// compares it with the least any such paint must do, measured in the same run: one FillRect and
// 40 DrawIconEx into a buffer of the same size, then the copy to the window.
//
// Usage: ToolbarPaintBench [paints]   (default 200 per background)
#include "lib/GdiObject.h"
#include "lib/MemoryDc.h"
#include "lib/WindowDc.h"
#include "skin/TransparentToolbar.h"
#include "support/TempDirectory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kWidth = 1920;
const int kHeight = 32;
const int kButtons = 40;

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A 256 x 32 picture with a colour ramp, so scaling has something to do.
bool WritePicture(const std::wstring& path) {
    const int width = 256, height = 32, stride = width * 3;
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    BITMAPINFOHEADER info = {sizeof(info), width, -height, 1, 24, BI_RGB, stride * height, 0, 0, 0, 0};
    file.bfSize = file.bfOffBits + stride * height;
    std::vector<unsigned char> bytes(file.bfSize);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* pixel = bytes.data() + file.bfOffBits + y * stride + x * 3;
            pixel[0] = static_cast<unsigned char>(x);
            pixel[1] = static_cast<unsigned char>(y * 8);
            pixel[2] = static_cast<unsigned char>(255 - x);
        }
    }
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
    CloseHandle(handle);
    return ok;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The floor: what painting 40 icons on a filled buffer and showing it costs at the least.
double FloorPaint(HWND window, const std::vector<HICON>& icons, HBRUSH brush) {
    CWindowDc windowDc(window);
    RECT rect = {0, 0, kWidth, kHeight};
    double start = Now();
    {
        CBitmapHandle bitmap(CreateCompatibleBitmap(windowDc.Get(), kWidth, kHeight));
        CMemoryDc buffer(windowDc.Get());
        buffer.Select(bitmap.Get());
        FillRect(buffer.Get(), &rect, brush);
        for (int index = 0; index < kButtons; ++index)
            DrawIconEx(buffer.Get(), index * 48, 0, icons[index % icons.size()], kHeight, kHeight, 0, nullptr,
                       DI_NORMAL);
        BitBlt(windowDc.Get(), 0, 0, kWidth, kHeight, buffer.Get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    return Now() - start;
}

double ToolbarPaint(const CTransparentToolbar& toolbar) {
    double start = Now();
    RedrawWindow(toolbar.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
    return Now() - start;
}

} // namespace

int main(int argc, char** argv) {
    int paints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    TempDirectory directory;
    std::wstring picture = directory.File(L"ramp.bmp");
    if (!WritePicture(picture)) {
        std::printf("cannot write the picture\n");
        return 1;
    }
    std::vector<HICON> icons = {LoadIconW(nullptr, IDI_APPLICATION), LoadIconW(nullptr, IDI_INFORMATION),
                                LoadIconW(nullptr, IDI_WARNING), LoadIconW(nullptr, IDI_QUESTION)};
    std::vector<TransparentToolbarButton> buttons(kButtons);
    for (int index = 0; index < kButtons; ++index) {
        TransparentToolbarButton& button = buttons[index];
        std::fill(button.Images, button.Images + ToolbarButtonStateCount, icons[index % icons.size()]);
        button.Group = index * 3 / kButtons;
        button.Enabled = TRUE;
        button.SpaceBefore = 16;
        button.Command = 100 + index;
    }
    const struct {
        const char* name;
        int type;
    } backgrounds[] = {{"solid", 4}, {"gradient", 2}, {"stretched picture", 5}, {"centred picture", 6}};

    std::printf("Toolbar paint, %d x %d with %d buttons, median of %d paints:\n", kWidth, kHeight, kButtons, paints);
    for (const auto& background : backgrounds) {
        TransparentToolbarSettings settings;
        settings.BackgroundType = background.type;
        settings.BackgroundColor = RGB(40, 80, 120);
        settings.GradientColor1 = RGB(200, 20, 20);
        settings.GradientColor2 = RGB(20, 20, 200);
        settings.BackgroundImage = picture.c_str();
        settings.Width = kWidth;
        settings.ButtonWidth = kHeight;
        settings.ButtonHeight = kHeight;
        settings.Buttons = buttons.data();
        settings.ButtonCount = kButtons;
        CTransparentToolbar toolbar(GetModuleHandleW(nullptr), nullptr, nullptr, settings);
        if (!toolbar.GetHandle()) {
            std::printf("  %s: no window\n", background.name);
            continue;
        }
        ShowWindow(toolbar.GetHandle(), SW_SHOWNOACTIVATE);
        UpdateWindow(toolbar.GetHandle());
        // Interleaved, so that both see the same load on a shared machine.
        CBrushHandle brush(CreateSolidBrush(RGB(40, 80, 120)));
        std::vector<double> floors, fulls;
        for (int paint = 0; paint < paints; ++paint) {
            floors.push_back(FloorPaint(toolbar.GetHandle(), icons, brush.Get()));
            fulls.push_back(ToolbarPaint(toolbar));
        }
        double floor = Median(floors);
        double full = Median(fulls);
        double worst = *std::max_element(fulls.begin(), fulls.end());
        std::printf("  %-18s %7.3f ms (slowest %7.3f), floor %7.3f ms, ratio %5.2f\n", background.name, full, worst,
                    floor, full / floor);
    }
    return 0;
}
