#include "skin/ToolbarFixtures.h"

#include "support/Icons.h"

#include <cstdlib>
#include <cstring>

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

COLORREF StateColour(int index, int state) {
    return RGB(40 + index * 20, 60 + state * 40, 200 - index * 10);
}

std::unique_ptr<ButtonIcons> MakeButtonIcons(int index) {
    std::unique_ptr<ButtonIcons> icons(new ButtonIcons);
    for (int state = 0; state < ToolbarButtonStateCount; ++state) {
        COLORREF colour = StateColour(index, state);
        icons->images[state] = CIconHandle(
            CreateSolidIcon(24, 0xFF000000u | GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour)));
    }
    return icons;
}

TransparentToolbarButton MakeButton(const ButtonIcons& icons, UINT command, int group, int space, BOOL enabled,
                                    LPCWSTR tooltip) {
    TransparentToolbarButton button = {};
    for (int state = 0; state < ToolbarButtonStateCount; ++state)
        button.Images[state] = icons.images[state].Get();
    button.Group = group;
    button.Enabled = enabled;
    button.SpaceBefore = space;
    button.Command = command;
    lstrcpynW(button.Tooltip, tooltip, ARRAYSIZE(button.Tooltip));
    return button;
}

TransparentToolbarSettings SettingsWithButtons(const std::vector<TransparentToolbarButton>& buttons,
                                               const TransparentToolbarButton* move) {
    TransparentToolbarSettings settings;
    settings.Buttons = buttons.data();
    settings.ButtonCount = static_cast<UINT>(buttons.size());
    settings.MoveButton = move;
    settings.HasMoveButton = move != nullptr;
    return settings;
}

std::vector<unsigned char> PictureFile() {
    const int width = 10, height = 6, stride = 32; // 30 bytes a row, padded to 32
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    BITMAPINFOHEADER info = {sizeof(info), width, -height, 1, 24, BI_RGB, stride * height, 0, 0, 0, 0};
    file.bfSize = file.bfOffBits + stride * height;
    std::vector<unsigned char> bytes(file.bfOffBits);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            COLORREF colour = (x == 4 || x == 5) && (y == 2 || y == 3) ? kPictureKey : kPictureColour;
            bytes.insert(bytes.end(), {GetBValue(colour), GetGValue(colour), GetRValue(colour)});
        }
        bytes.insert(bytes.end(), stride - width * 3, 0);
    }
    return bytes;
}
