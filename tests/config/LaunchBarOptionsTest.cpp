#include "config/LaunchBarOptions.h"

#include "IniText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every stored key in the order Save writes it; every value differs from its default, and a
// negative margin shows that negative numbers are stored as unsigned 32-bit text.
const std::wstring kEveryKey =
    L"[LaunchBar]\r\nBackgroundType=7\r\nBackgroundColor=1193046\r\nBackgroundGradiantColor1=43520\r\n"
    L"BackgroundGradiantColor2=187\r\nBackgroundImage=Bilder\\Leiste \x00E4\x00F6.png\r\nTransparentColor=66051\r\n"
    L"UseTransparentColor=1\r\nOpacity=55\r\nIconSize=48\r\nMarginTop=5\r\nMarginBottom=7\r\n"
    L"MarginLeft=4294967293\r\nMarginRight=6\r\nMinWidth=333\r\nMinHeight=44\r\nVerticalDirection=1\r\n"
    L"UseFullScreenWidth=0\r\nScreenIndex=2\r\nPosition=6\r\nHotCornerActiveWitdh=3\r\n";

CLaunchBarOptions LoadText(const std::wstring& text) {
    CLaunchBarOptions options;
    ReadIniText(text, nullptr, [&](CIniFile& file) { EXPECT_TRUE(options.Load(file)); });
    return options;
}

std::wstring SavedText(CLaunchBarOptions& options) {
    return WrittenIniText(nullptr, [&](CIniFile& file) { EXPECT_TRUE(options.Save(file)); });
}

} // namespace

// desktop-free: LaunchBarOptionsTest
TEST(LaunchBarOptionsTest, EveryKeySurvivesLoadSaveAndCopyAndMissingKeysGiveTheDefaultBar) {
    CLaunchBarOptions loaded = LoadText(kEveryKey);
    EXPECT_EQ(kEveryKey, SavedText(loaded));
    CLaunchBarOptions copy;
    CLaunchBarOptions::CopyLaunchBarOptions(loaded, copy);
    EXPECT_EQ(kEveryKey, SavedText(copy));

    CLaunchBarOptions constructed;
    CLaunchBarOptions otherSection = LoadText(L"[Default]\r\nIconSize=48\r\nMinWidth=999\r\n");
    EXPECT_EQ(SavedText(constructed), SavedText(otherSection)) << "keys of another section are not read";
    EXPECT_EQ(constructed.IconHeight, otherSection.IconHeight);

    // The minimum width and height follow the icon size only when they are not stored.
    auto sizes = [](const CLaunchBarOptions& options) {
        return std::to_string(options.IconHeight) + " " + std::to_string(options.MinWidth) + " " +
               std::to_string(options.MinHeight);
    };
    EXPECT_EQ("32 320 32", sizes(LoadText(L"[LaunchBar]\r\nIconSize=32\r\n")));
    EXPECT_EQ("16 100 20", sizes(LoadText(L"[LaunchBar]\r\nIconSize=16\r\nMinWidth=100\r\nMinHeight=20\r\n")));
}
