#include "launchbar/LaunchBarOptions.h"

#include "config/IniFile.h"

namespace {

const WCHAR kSectionName[] = L"LaunchBar";
const UINT kDefaultIconSize = 24;
// Without stored minimums the bar is ten icons long and one icon thick.
const UINT kDefaultLengthInIcons = 10;

UINT ReadUIntOr(IConfigReader& reader, LPCWSTR key, UINT defaultValue) {
    return static_cast<UINT>(ReadIntValue(reader, key, static_cast<INT>(defaultValue)));
}

} // namespace

CLaunchBarOptions::CLaunchBarOptions()
    : BackgroundType(1), BackgroundColor(0xFFFFFF), BackgroundGradiantColor1(0xFFFFFF), BackgroundGradiantColor2(0),
      UseTransparentColor(FALSE), TransparentColor(0xFF00FF), Opacity(90), IconSize(kDefaultIconSize),
      IconHeight(kDefaultIconSize), MarginLeft(2), MarginTop(2), MarginRight(2), MarginBottom(2),
      MinWidth(kDefaultLengthInIcons * kDefaultIconSize), MinHeight(kDefaultIconSize), UseFullScreenWidth(TRUE),
      ScreenIndex(0), Position(1), VerticalDirection(FALSE), HotCornerActiveWitdh(8) {
    BackgroundImage[0] = L'\0';
}

BOOL CLaunchBarOptions::Save(CIniFile& file) {
    IConfigWriter& writer = file;
    writer.SetSectionName(kSectionName);
    writer.WriteInt(L"BackgroundType", static_cast<INT>(BackgroundType));
    writer.WriteInt(L"BackgroundColor", static_cast<INT>(BackgroundColor));
    writer.WriteInt(L"BackgroundGradiantColor1", static_cast<INT>(BackgroundGradiantColor1));
    writer.WriteInt(L"BackgroundGradiantColor2", static_cast<INT>(BackgroundGradiantColor2));
    writer.WriteString(L"BackgroundImage", BackgroundImage);
    writer.WriteInt(L"TransparentColor", static_cast<INT>(TransparentColor));
    writer.WriteInt(L"UseTransparentColor", UseTransparentColor);
    writer.WriteInt(L"Opacity", Opacity);
    writer.WriteInt(L"IconSize", static_cast<INT>(IconSize));
    writer.WriteInt(L"MarginTop", MarginTop);
    writer.WriteInt(L"MarginBottom", MarginBottom);
    writer.WriteInt(L"MarginLeft", MarginLeft);
    writer.WriteInt(L"MarginRight", MarginRight);
    writer.WriteInt(L"MinWidth", static_cast<INT>(MinWidth));
    writer.WriteInt(L"MinHeight", static_cast<INT>(MinHeight));
    writer.WriteInt(L"VerticalDirection", VerticalDirection);
    writer.WriteInt(L"UseFullScreenWidth", UseFullScreenWidth);
    writer.WriteInt(L"ScreenIndex", static_cast<INT>(ScreenIndex));
    writer.WriteInt(L"Position", static_cast<INT>(Position));
    writer.WriteInt(L"HotCornerActiveWitdh", static_cast<INT>(HotCornerActiveWitdh));
    return TRUE;
}

BOOL CLaunchBarOptions::Load(CIniFile& file) {
    IConfigReader& reader = file;
    reader.SetSectionName(kSectionName);
    BackgroundType = ReadUIntOr(reader, L"BackgroundType", 1);
    BackgroundColor = ReadUIntOr(reader, L"BackgroundColor", 0xFFFFFF);
    BackgroundGradiantColor1 = ReadUIntOr(reader, L"BackgroundGradiantColor1", 0xFFFFFF);
    BackgroundGradiantColor2 = ReadUIntOr(reader, L"BackgroundGradiantColor2", 0);
    reader.ReadString(L"BackgroundImage", L"", BackgroundImage, MAX_PATH);
    TransparentColor = ReadUIntOr(reader, L"TransparentColor", 0xFF00FF);
    UseTransparentColor = ReadIntValue(reader, L"UseTransparentColor", FALSE);
    Opacity = static_cast<BYTE>(ReadIntValue(reader, L"Opacity", 90));
    IconSize = ReadUIntOr(reader, L"IconSize", kDefaultIconSize);
    IconHeight = IconSize;
    MarginTop = ReadIntValue(reader, L"MarginTop", 2);
    MarginBottom = ReadIntValue(reader, L"MarginBottom", 2);
    MarginLeft = ReadIntValue(reader, L"MarginLeft", 2);
    MarginRight = ReadIntValue(reader, L"MarginRight", 2);
    MinWidth = ReadUIntOr(reader, L"MinWidth", kDefaultLengthInIcons * IconSize);
    MinHeight = ReadUIntOr(reader, L"MinHeight", IconHeight);
    VerticalDirection = ReadIntValue(reader, L"VerticalDirection", FALSE);
    UseFullScreenWidth = ReadIntValue(reader, L"UseFullScreenWidth", TRUE);
    ScreenIndex = ReadUIntOr(reader, L"ScreenIndex", 0);
    Position = ReadUIntOr(reader, L"Position", 1);
    HotCornerActiveWitdh = ReadUIntOr(reader, L"HotCornerActiveWitdh", 8);
    return TRUE;
}

void CLaunchBarOptions::CopyLaunchBarOptions(const CLaunchBarOptions& source, CLaunchBarOptions& destination) {
    // Every field is a plain value (the image path is an array, not a pointer), so member-wise
    // assignment copies them all and stays complete when fields are added.
    destination = source;
}
