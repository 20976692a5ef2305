#include "launchbar/LaunchBarOptions.h"

#include "config/IniFile.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void ExpectDefaults(const CLaunchBarOptions& options) {
    EXPECT_EQ(1u, options.BackgroundType);
    EXPECT_EQ(0xFFFFFFu, options.BackgroundColor);
    EXPECT_EQ(0xFFFFFFu, options.BackgroundGradiantColor1);
    EXPECT_EQ(0u, options.BackgroundGradiantColor2);
    EXPECT_STREQ(L"", options.BackgroundImage);
    EXPECT_FALSE(options.UseTransparentColor);
    EXPECT_EQ(0xFF00FFu, options.TransparentColor);
    EXPECT_EQ(90, options.Opacity);
    EXPECT_EQ(24u, options.IconSize);
    EXPECT_EQ(24u, options.IconHeight);
    EXPECT_EQ(2, options.MarginLeft);
    EXPECT_EQ(2, options.MarginTop);
    EXPECT_EQ(2, options.MarginRight);
    EXPECT_EQ(2, options.MarginBottom);
    EXPECT_EQ(240u, options.MinWidth);
    EXPECT_EQ(24u, options.MinHeight);
    EXPECT_TRUE(options.UseFullScreenWidth);
    EXPECT_EQ(0u, options.ScreenIndex);
    EXPECT_EQ(1u, options.Position);
    EXPECT_FALSE(options.VerticalDirection);
    EXPECT_EQ(8u, options.HotCornerActiveWitdh);
}

// Every field away from its default, so a field that is not saved, loaded or copied shows up.
void SetEveryField(CLaunchBarOptions& options) {
    options.BackgroundType = 7;
    options.BackgroundColor = 0x123456;
    options.BackgroundGradiantColor1 = 0x00AA00;
    options.BackgroundGradiantColor2 = 0x0000BB;
    wcscpy(options.BackgroundImage, L"Bilder\\Leiste \x00E4\x00F6.png");
    options.UseTransparentColor = TRUE;
    options.TransparentColor = 0x010203;
    options.Opacity = 55;
    options.IconSize = 48;
    options.IconHeight = 48;
    options.MarginLeft = -3;
    options.MarginTop = 5;
    options.MarginRight = 6;
    options.MarginBottom = 7;
    options.MinWidth = 333;
    options.MinHeight = 44;
    options.UseFullScreenWidth = FALSE;
    options.ScreenIndex = 2;
    options.Position = 6;
    options.VerticalDirection = TRUE;
    options.HotCornerActiveWitdh = 3;
}

void ExpectSameOptions(const CLaunchBarOptions& expected, const CLaunchBarOptions& actual) {
    EXPECT_EQ(expected.BackgroundType, actual.BackgroundType);
    EXPECT_EQ(expected.BackgroundColor, actual.BackgroundColor);
    EXPECT_EQ(expected.BackgroundGradiantColor1, actual.BackgroundGradiantColor1);
    EXPECT_EQ(expected.BackgroundGradiantColor2, actual.BackgroundGradiantColor2);
    EXPECT_STREQ(expected.BackgroundImage, actual.BackgroundImage);
    EXPECT_EQ(expected.UseTransparentColor, actual.UseTransparentColor);
    EXPECT_EQ(expected.TransparentColor, actual.TransparentColor);
    EXPECT_EQ(expected.Opacity, actual.Opacity);
    EXPECT_EQ(expected.IconSize, actual.IconSize);
    EXPECT_EQ(expected.IconHeight, actual.IconHeight);
    EXPECT_EQ(expected.MarginLeft, actual.MarginLeft);
    EXPECT_EQ(expected.MarginTop, actual.MarginTop);
    EXPECT_EQ(expected.MarginRight, actual.MarginRight);
    EXPECT_EQ(expected.MarginBottom, actual.MarginBottom);
    EXPECT_EQ(expected.MinWidth, actual.MinWidth);
    EXPECT_EQ(expected.MinHeight, actual.MinHeight);
    EXPECT_EQ(expected.UseFullScreenWidth, actual.UseFullScreenWidth);
    EXPECT_EQ(expected.ScreenIndex, actual.ScreenIndex);
    EXPECT_EQ(expected.Position, actual.Position);
    EXPECT_EQ(expected.VerticalDirection, actual.VerticalDirection);
    EXPECT_EQ(expected.HotCornerActiveWitdh, actual.HotCornerActiveWitdh);
}

CLaunchBarOptions LoadFrom(const std::wstring& path) {
    CIniFile file(path.c_str());
    CLaunchBarOptions options;
    EXPECT_TRUE(options.Load(file));
    EXPECT_STREQ(L"LaunchBar", file.GetSectionName());
    return options;
}

} // namespace

TEST(LaunchBarOptionsTest, MissingSectionGivesTheDefaultBar) {
    TempDirectory directory;
    std::wstring path = directory.File(L"UserOptions.ini");
    ASSERT_TRUE(WriteUtf16File(path, L"[Default]\r\nIconSize=48\r\nMinWidth=999\r\n"));

    {
        SCOPED_TRACE("constructed");
        ExpectDefaults(CLaunchBarOptions());
    }
    SCOPED_TRACE("loaded from a file whose only keys are in another section");
    ExpectDefaults(LoadFrom(path));
}

TEST(LaunchBarOptionsTest, MinimumSizeFollowsTheIconSizeOnlyWhenNotStored) {
    TempDirectory directory;
    std::wstring onlyIconSize = directory.File(L"OnlyIconSize.ini");
    ASSERT_TRUE(WriteUtf16File(onlyIconSize, L"[LaunchBar]\r\nIconSize=32\r\n"));
    CLaunchBarOptions derived = LoadFrom(onlyIconSize);
    EXPECT_EQ(32u, derived.IconSize);
    EXPECT_EQ(32u, derived.IconHeight);
    EXPECT_EQ(320u, derived.MinWidth);
    EXPECT_EQ(32u, derived.MinHeight);

    std::wstring stored = directory.File(L"Stored.ini");
    ASSERT_TRUE(WriteUtf16File(stored, L"[LaunchBar]\r\nIconSize=16\r\nMinWidth=100\r\nMinHeight=20\r\n"));
    CLaunchBarOptions explicitSizes = LoadFrom(stored);
    EXPECT_EQ(16u, explicitSizes.IconHeight);
    EXPECT_EQ(100u, explicitSizes.MinWidth);
    EXPECT_EQ(20u, explicitSizes.MinHeight);
}

TEST(LaunchBarOptionsTest, SaveWritesEveryKeyInOrderAndLoadReadsItBack) {
    TempDirectory directory;
    std::wstring path = directory.File(L"UserOptions.ini");
    CLaunchBarOptions saved;
    SetEveryField(saved);
    {
        CIniFile file(path.c_str());
        ASSERT_TRUE(saved.Save(file));
        EXPECT_STREQ(L"LaunchBar", file.GetSectionName());
    }

    std::vector<std::wstring> expectedKeys = {L"BackgroundType",
                                              L"BackgroundColor",
                                              L"BackgroundGradiantColor1",
                                              L"BackgroundGradiantColor2",
                                              L"BackgroundImage",
                                              L"TransparentColor",
                                              L"UseTransparentColor",
                                              L"Opacity",
                                              L"IconSize",
                                              L"MarginTop",
                                              L"MarginBottom",
                                              L"MarginLeft",
                                              L"MarginRight",
                                              L"MinWidth",
                                              L"MinHeight",
                                              L"VerticalDirection",
                                              L"UseFullScreenWidth",
                                              L"ScreenIndex",
                                              L"Position",
                                              L"HotCornerActiveWitdh"};
    EXPECT_EQ(expectedKeys, ReadSectionKeysInFileOrder(path, L"LaunchBar"));
    EXPECT_NE(std::wstring::npos, ReadUtf16File(path).find(L"MarginLeft=4294967293"))
        << "negative values are stored as unsigned 32-bit text";

    ExpectSameOptions(saved, LoadFrom(path));
}

TEST(LaunchBarOptionsTest, OpacityKeepsItsLowByte) {
    TempDirectory directory;
    std::wstring path = directory.File(L"UserOptions.ini");
    ASSERT_TRUE(WriteUtf16File(path, L"[LaunchBar]\r\nOpacity=300\r\n"));
    EXPECT_EQ(300 % 256, LoadFrom(path).Opacity);
}

TEST(LaunchBarOptionsTest, CopyTakesEveryField) {
    CLaunchBarOptions source;
    SetEveryField(source);
    CLaunchBarOptions destination;
    CLaunchBarOptions::CopyLaunchBarOptions(source, destination);
    ExpectSameOptions(source, destination);
}
