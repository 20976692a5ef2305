#include "config/LaunchBarOptions.h"

#include "config/IniFile.h"
#include "config/SettingKey.h"

namespace {

using Options = CLaunchBarOptions;

const WCHAR kSectionName[] = L"LaunchBar";
const UINT kDefaultIconSize = 24;
// Without stored minimums the bar is ten icons long and one icon thick.
const UINT kDefaultLengthInIcons = 10;

INT TenIconsLong(const Options& options) {
    return static_cast<INT>(kDefaultLengthInIcons * options.IconSize);
}

INT OneIconThick(const Options& options) {
    return static_cast<INT>(options.IconSize);
}

constexpr SettingKey<Options> kLaunchBarKeys[] = {
    {L"BackgroundType", &Options::BackgroundType, 1},
    {L"BackgroundColor", &Options::BackgroundColor, 0xFFFFFF},
    {L"BackgroundGradiantColor1", &Options::BackgroundGradiantColor1, 0xFFFFFF},
    {L"BackgroundGradiantColor2", &Options::BackgroundGradiantColor2, 0},
    {L"BackgroundImage", Text<&Options::BackgroundImage>(), L""},
    {L"TransparentColor", &Options::TransparentColor, 0xFF00FF},
    {L"UseTransparentColor", &Options::UseTransparentColor, FALSE},
    {L"Opacity", &Options::Opacity, 90},
    {L"IconSize", &Options::IconSize, kDefaultIconSize},
    {L"MarginTop", &Options::MarginTop, 2},
    {L"MarginBottom", &Options::MarginBottom, 2},
    {L"MarginLeft", &Options::MarginLeft, 2},
    {L"MarginRight", &Options::MarginRight, 2},
    {L"MinWidth", &Options::MinWidth, TenIconsLong},
    {L"MinHeight", &Options::MinHeight, OneIconThick},
    {L"VerticalDirection", &Options::VerticalDirection, FALSE},
    {L"UseFullScreenWidth", &Options::UseFullScreenWidth, TRUE},
    {L"ScreenIndex", &Options::ScreenIndex, 0},
    {L"Position", &Options::Position, 1},
    {L"HotCornerActiveWitdh", &Options::HotCornerActiveWitdh, 8},
};

} // namespace

CLaunchBarOptions::CLaunchBarOptions() {
    ApplyDefaultSettings(kLaunchBarKeys, *this);
    IconHeight = IconSize;
}

BOOL CLaunchBarOptions::Save(CIniFile& file) {
    IConfigWriter& writer = file;
    writer.SetSectionName(kSectionName);
    SaveSettings(kLaunchBarKeys, writer, *this);
    return TRUE;
}

BOOL CLaunchBarOptions::Load(CIniFile& file) {
    IConfigReader& reader = file;
    reader.SetSectionName(kSectionName);
    LoadSettings(kLaunchBarKeys, reader, *this);
    IconHeight = IconSize;
    return TRUE;
}

void CLaunchBarOptions::CopyLaunchBarOptions(const CLaunchBarOptions& source, CLaunchBarOptions& destination) {
    // Every field is a plain value (the image path is an array, not a pointer), so member-wise
    // assignment copies them all and stays complete when fields are added.
    destination = source;
}

BOOL CLaunchBarOptions::HasBuiltInBackground() const {
    CLaunchBarOptions builtIn;
    return BackgroundType == builtIn.BackgroundType && BackgroundColor == builtIn.BackgroundColor &&
           BackgroundGradiantColor1 == builtIn.BackgroundGradiantColor1 &&
           BackgroundGradiantColor2 == builtIn.BackgroundGradiantColor2 && BackgroundImage[0] == L'\0';
}
