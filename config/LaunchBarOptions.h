#pragma once
#include "config/IIniFileArrayItem.h"

#include <windows.h>

// Look and placement of the launch bar, kept in the section "LaunchBar" of the user options file.
// Field names are the INI keys; each key is one row of the key table in LaunchBarOptions.cpp, from
// which the constructor, Load and Save run.
class CLaunchBarOptions : public IIniFileArrayItem {
public:
    CLaunchBarOptions();
    // The background is still the one the program comes with (the user chose none of their own).
    BOOL HasBuiltInBackground() const;
    virtual ~CLaunchBarOptions() {}
    // Plain values only, so copies are safe and complete (the options dialog edits a copy).
    CLaunchBarOptions(const CLaunchBarOptions&) = default;
    CLaunchBarOptions& operator=(const CLaunchBarOptions&) = default;

    // Both select the section "LaunchBar" and leave it current.
    BOOL Save(CIniFile& file) override;
    BOOL Load(CIniFile& file) override;

    static void CopyLaunchBarOptions(const CLaunchBarOptions& source, CLaunchBarOptions& destination);

    UINT BackgroundType; // 0-3 gradients, 4 solid colour, 5-14 picture placements
    COLORREF BackgroundColor;
    COLORREF BackgroundGradiantColor1;
    COLORREF BackgroundGradiantColor2;
    WCHAR BackgroundImage[MAX_PATH]; // relative paths are taken from the program directory
    BOOL UseTransparentColor;
    COLORREF TransparentColor;
    BYTE Opacity;    // percent
    UINT IconSize;   // the button image width
    UINT IconHeight; // not stored: equals IconSize after every load
    INT MarginLeft;
    INT MarginTop;
    INT MarginRight;
    INT MarginBottom;
    UINT MinWidth;  // length along the bar's direction
    UINT MinHeight; // thickness across it
    BOOL UseFullScreenWidth;
    UINT ScreenIndex; // EnumDisplayMonitors order
    UINT Position;    // 0-2 top left/centre/right, 3-4 left/right middle, 5-7 bottom left/centre/right
    BOOL VerticalDirection;
    UINT HotCornerActiveWitdh; // thickness of the strip along the screen edge that shows the bar
};
