#pragma once
#include "lib/IconHandle.h"
#include "skin/TransparentToolbar.h"
#include "support/PrintedWindow.h"
#include "support/RectCompare.h"

#include <windows.h>

#include <memory>
#include <vector>

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
// Settings of a bar with these buttons and, when not null, this move button.
TransparentToolbarSettings SettingsWithButtons(const std::vector<TransparentToolbarButton>& buttons,
                                               const TransparentToolbarButton* move = nullptr);

// A 10 x 6 picture of kPictureColour with a 2 x 2 block of kPictureKey at (4, 2), as BMP file bytes.
const COLORREF kPictureColour = RGB(0, 160, 0);
const COLORREF kPictureKey = RGB(255, 0, 255);
std::vector<unsigned char> PictureFile();
