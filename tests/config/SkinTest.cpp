#include "config/Skin.h"

#include "config/SpecialPath.h"
#include "lib/FileSystem.h"
#include "support/FileFixtures.h"
#include "support/Icons.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kIconSize = 24;

// The Home icon a shipped skin brings: each skin's picture differs from the others'.
std::wstring ShippedHomeIcon(const std::wstring& skin) {
    return SourceTreePath(L"res/Skins/" + skin + L"/icons/Home.ico");
}

// Whether a live icon shows the picture the file gives at the skin's size.
bool ComesFrom(HICON icon, const std::wstring& file) {
    CIconHandle reference;
    PrivateExtractIconsW(file.c_str(), 0, kIconSize, kIconSize, reference.Receive(), nullptr, 1, 0);
    std::vector<DWORD> pixels = ReadIconPixels(icon);
    return !pixels.empty() && pixels == ReadIconPixels(reference.Get());
}

void ExpectBuiltInIcon(const CSkin& skin, int index) {
    WORD resource = skin.Images[index].ResourceId;
    HICON expected = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, kIconSize, kIconSize, LR_SHARED));
    ASSERT_NE(nullptr, expected) << "built-in icon " << resource << " is missing from the resources";
    EXPECT_EQ(expected, skin.Images[index].Icon) << "image " << index;
}

// Every value of the look in one line, so that a whole look is compared at once.
std::wstring Look(const CSkin& skin) {
    std::wostringstream text;
    text << L"BackgroundType=" << skin.BackgroundType << L" BackgroundColor=" << skin.BackgroundColor
         << L" BackgroundColor2=" << skin.BackgroundColor2 << L" BackgroundImage=" << skin.BackgroundImage
         << L" TransparentColor=" << skin.TransparentColor << L" UseTransparentColor=" << skin.UseTransparentColor
         << L" Opacity=" << skin.Opacity << L" ShowMoveButton=" << skin.ShowMoveButton << L" Preview="
         << skin.PreviewFileName;
    return text.str();
}

void ExpectNoSkin(const CSkin& skin) {
    EXPECT_FALSE(skin.UseSkin);
    EXPECT_EQ(Look(CSkin()), Look(skin)) << "the look of a skin object that never loaded one";
    for (int i = 0; i < SkinImageCount; ++i)
        ExpectBuiltInIcon(skin, i);
}

std::wstring CurrentDirectory() {
    WCHAR directory[MAX_PATH] = L"";
    return {directory, GetCurrentDirectoryW(MAX_PATH, directory)};
}

// Skins are only looked for beside the executable, so each test gets its own skin folder there
// and removes it (and "Skins\" when it made that) afterwards.
class SkinTest : public testing::Test {
protected:
    void SetUp() override {
        m_skinsRoot = GetProgramDirectory() + L"Skins\\";
        m_createdSkinsRoot = CreateDirectoryW(m_skinsRoot.c_str(), nullptr) != FALSE;
        m_skinName = L"SkinTest_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(SkinFile(L"").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(SkinFile(L"icons").c_str(), nullptr));
    }

    void TearDown() override {
        RemoveTree(SkinFile(L""));
        if (m_createdSkinsRoot)
            RemoveDirectoryW(m_skinsRoot.c_str());
    }

    std::wstring SkinFile(const std::wstring& relative) const { return m_skinsRoot + m_skinName + L"\\" + relative; }

    void WriteSkinConf(const std::wstring& text) { ASSERT_TRUE(WriteUtf16File(SkinFile(L"SkinConf.ini"), text)); }

    std::wstring m_skinsRoot, m_skinName;
    bool m_createdSkinsRoot = false;
};

} // namespace

// desktop-free: SkinTest
TEST_F(SkinTest, IconPathsResolveAgainstTheSkinFolderAndExtractedIconsDieOnReloadOnSwitchingOffAndWithTheSkin) {
    TempDirectory elsewhere;
    const std::wstring home = ShippedHomeIcon(L"Dark"), decoy = ShippedHomeIcon(L"Light");
    const std::wstring absoluteIcon = ShippedHomeIcon(L"Graphite");
    // The same relative name below the current directory must lose against the skin folder.
    ASSERT_TRUE(CreateDirectoryW(elsewhere.File(L"icons").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(decoy.c_str(), elsewhere.File(L"icons\\home.ico").c_str(), FALSE));
    // A skin with a look of its own that replaces Home from a subfolder and Move from an absolute
    // path; a decoy of the same name in the skin folder itself must not be taken.
    ASSERT_TRUE(CopyFileW(home.c_str(), SkinFile(L"icons\\home.ico").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(decoy.c_str(), SkinFile(L"home.ico").c_str(), FALSE));
    WriteSkinConf(L"[BrowserToolbar]\r\nHomeAssociatedIconPath=icons/home.ico\r\n"
                  L"HomeDownAssociatedIconPath=icons/home.ico\r\nHomeDownAssociatedIconIndex=0\r\n"
                  L"MoveAssociatedIconPath=" +
                  absoluteIcon +
                  L"\r\nCloseAssociatedIconPath=icons/missing.ico\r\nHomeHotAssociatedIconPath=icons/home.ico\r\n"
                  L"HomeHotAssociatedIconIndex=3\r\nUpAssociatedIconPath=SkinConf.ini\r\nOpacity=40\r\n"
                  L"BackgroundType=1\r\nBackgroundImage=x.png\r\n[Preview]\r\nFileName=p.png\r\n");
    std::wstring previous = CurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.Path().c_str()));
    CSkin* skin = new CSkin();
    skin->LoadSkin(TRUE, m_skinName.c_str());
    EXPECT_EQ(elsewhere.Path(), CurrentDirectory()) << "loading a skin must not move the current directory";
    SetCurrentDirectoryW(previous.c_str());
    EXPECT_STREQ(L"icons/home.ico", skin->Images[SkinImageHome].AssociatedIconPath);
    EXPECT_TRUE(ComesFrom(skin->Images[SkinImageHome].Icon, home)) << "Home must come from <skin>\\icons\\home.ico";
    EXPECT_TRUE(ComesFrom(skin->Images[SkinImageHomeDown].Icon, home));
    EXPECT_TRUE(ComesFrom(skin->Images[SkinImageMove].Icon, absoluteIcon)) << "absolute paths stay as they are";
    {
        SCOPED_TRACE("missing file, index past the file's icons, a file that holds no icon, none given");
        for (int image : {SkinImageClose, SkinImageHomeHot, SkinImageUp, SkinImageBack})
            ExpectBuiltInIcon(*skin, image);
    }

    auto loadHome = [&] {
        skin->LoadSkin(TRUE, m_skinName.c_str());
        EXPECT_TRUE(ComesFrom(skin->Images[SkinImageHome].Icon, home));
        return skin->Images[SkinImageHome].Icon;
    };
    HICON first = skin->Images[SkinImageHome].Icon;
    HICON second = loadHome();
    EXPECT_FALSE(IconAlive(first)) << "a reload destroys the icons the previous load extracted";
    skin->DestroyExtractedIcons();
    EXPECT_FALSE(IconAlive(second));
    ExpectBuiltInIcon(*skin, SkinImageHome);

    HICON third = loadHome();
    EXPECT_TRUE(skin->LoadSkin(FALSE, m_skinName.c_str()));
    EXPECT_FALSE(IconAlive(third)) << "switching to no skin destroys the extracted icons";
    ExpectNoSkin(*skin);

    loadHome();
    HICON move = skin->Images[SkinImageMove].Icon;
    ASSERT_TRUE(ComesFrom(move, absoluteIcon));
    delete skin;
    EXPECT_FALSE(IconAlive(move)) << "destroying the skin destroys its extracted icons";
}

TEST_F(SkinTest, TheLookComesFromTheSkinFileAndWithoutOneEveryImageIsBuiltInAndNothingIsWritten) {
    CSkin skin;
    ExpectNoSkin(skin);
    std::set<std::wstring> names;
    std::set<WORD> resources;
    for (const SkinImage& image : skin.Images) {
        names.insert(image.Name);
        resources.insert(image.ResourceId);
    }
    EXPECT_EQ(size_t(SkinImageCount), names.size()) << "image names must be unique";
    EXPECT_EQ(size_t(SkinImageCount), resources.size()) << "built-in icons must be distinct";

    skin.LoadSkin(TRUE, m_skinName.c_str());
    EXPECT_TRUE(skin.UseSkin);
    EXPECT_EQ(Look(CSkin()), Look(skin)) << "the look of a skin object that never loaded one";
    EXPECT_FALSE(IsExistingFile(SkinFile(L"SkinConf.ini").c_str())) << "loading must not create the skin file";

    std::wstring missingSkin = m_skinName + L"_missing";
    skin.LoadSkin(TRUE, missingSkin.c_str());
    EXPECT_EQ(Look(CSkin()), Look(skin)) << "the look of a skin object that never loaded one";
    EXPECT_FALSE(IsExistingDirectory((m_skinsRoot + missingSkin).c_str())) << "loading must not create a skin folder";

    WriteSkinConf(L"[BrowserToolbar]\r\nBackgroundType=9\r\nBackgroundColor=1193046\r\nBackgroundColor2=255\r\n"
                  L"BackgroundImage=pics/back.png\r\nTransparentColor=65280\r\nUseTransparentColor=0\r\n"
                  L"Opacity=65\r\nShowMoveButton=0\r\n[Preview]\r\nFileName=preview/shot.png\r\n");
    EXPECT_TRUE(skin.LoadSkin(TRUE, m_skinName.c_str()));
    EXPECT_TRUE(skin.UseSkin);
    EXPECT_EQ(SkinFile(L""), skin.SkinDirectory);
    // The background image is resolved against the skin folder; the preview name is kept as written.
    EXPECT_EQ(L"BackgroundType=9 BackgroundColor=1193046 BackgroundColor2=255 BackgroundImage=" +
                  SkinFile(L"pics\\back.png") +
                  L" TransparentColor=65280 UseTransparentColor=0 Opacity=65 ShowMoveButton=0 Preview=preview/shot.png",
              Look(skin));
    for (int i = 0; i < SkinImageCount; ++i)
        ExpectBuiltInIcon(skin, i);

    skin.LoadSkin(TRUE, L"");
    EXPECT_FALSE(skin.UseSkin) << "a skin without a name is no skin";
    EXPECT_EQ(m_skinsRoot, skin.SkinDirectory);
}
