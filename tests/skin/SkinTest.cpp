#include "skin/Skin.h"

#include "config/SpecialPath.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const int kIconSize = 24;
const COLORREF kRed = RGB(220, 0, 0);
const COLORREF kGreen = RGB(0, 200, 0);
const COLORREF kBlue = RGB(0, 0, 230);
const COLORREF kYellow = RGB(240, 240, 0);

void PutWord(std::vector<unsigned char>& bytes, WORD value) {
    bytes.push_back(LOBYTE(value));
    bytes.push_back(HIBYTE(value));
}

void PutDword(std::vector<unsigned char>& bytes, DWORD value) {
    PutWord(bytes, LOWORD(value));
    PutWord(bytes, HIWORD(value));
}

// A .ico file holding one opaque 24 x 24 32-bit image of a single colour.
std::vector<unsigned char> MakeIconFile(COLORREF color) {
    const DWORD pixelBytes = kIconSize * kIconSize * 4;
    const DWORD maskBytes = kIconSize * 4; // 24 mask bits per row, padded to 32
    const DWORD headerBytes = 40;
    std::vector<unsigned char> bytes;
    PutWord(bytes, 0); // reserved
    PutWord(bytes, 1); // icon
    PutWord(bytes, 1); // one image
    bytes.push_back(kIconSize);
    bytes.push_back(kIconSize);
    bytes.push_back(0); // no palette
    bytes.push_back(0);
    PutWord(bytes, 1);  // planes
    PutWord(bytes, 32); // bits per pixel
    PutDword(bytes, headerBytes + pixelBytes + maskBytes);
    PutDword(bytes, 6 + 16); // image offset
    PutDword(bytes, headerBytes);
    PutDword(bytes, kIconSize);
    PutDword(bytes, kIconSize * 2); // colour image plus mask
    PutWord(bytes, 1);
    PutWord(bytes, 32);
    PutDword(bytes, BI_RGB);
    PutDword(bytes, pixelBytes + maskBytes);
    for (int i = 0; i < 4; ++i)
        PutDword(bytes, 0);
    for (int i = 0; i < kIconSize * kIconSize; ++i) {
        bytes.push_back(GetBValue(color));
        bytes.push_back(GetGValue(color));
        bytes.push_back(GetRValue(color));
        bytes.push_back(0xFF);
    }
    bytes.insert(bytes.end(), maskBytes, 0);
    return bytes;
}

// Succeeds only for a live icon: a destroyed one has no information left.
bool IsLiveIcon(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

// The colour in the middle of the icon, so a test can tell which file an icon came from.
COLORREF CenterColor(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return CLR_INVALID;
    BITMAPINFO bitmapInfo = {};
    bitmapInfo.bmiHeader.biSize = sizeof(bitmapInfo.bmiHeader);
    bitmapInfo.bmiHeader.biWidth = kIconSize;
    bitmapInfo.bmiHeader.biHeight = -kIconSize;
    bitmapInfo.bmiHeader.biPlanes = 1;
    bitmapInfo.bmiHeader.biBitCount = 32;
    bitmapInfo.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(kIconSize * kIconSize);
    HDC screen = GetDC(nullptr);
    int lines =
        info.hbmColor ? GetDIBits(screen, info.hbmColor, 0, kIconSize, pixels.data(), &bitmapInfo, DIB_RGB_COLORS) : 0;
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (lines != kIconSize)
        return CLR_INVALID;
    const RGBQUAD& center = pixels[(kIconSize / 2) * kIconSize + kIconSize / 2];
    return RGB(center.rgbRed, center.rgbGreen, center.rgbBlue);
}

HICON BuiltInIcon(WORD resourceId) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, kIconSize,
                                         kIconSize, LR_SHARED));
}

void ExpectBuiltInIcon(const CSkin& skin, SkinImageIndex index) {
    const SkinImage& image = skin.Images[index];
    HICON expected = BuiltInIcon(image.ResourceId);
    ASSERT_NE(nullptr, expected) << "built-in icon " << image.ResourceId << " is missing from the resources";
    EXPECT_EQ(expected, image.Icon) << "image " << index;
}

void ExpectDefaultLook(const CSkin& skin) {
    EXPECT_EQ(4, skin.BackgroundType);
    EXPECT_EQ(0xFF00FFu, skin.BackgroundColor);
    EXPECT_EQ(0xFF00FFu, skin.BackgroundColor2);
    EXPECT_STREQ(L"", skin.BackgroundImage);
    EXPECT_EQ(0xFF00FFu, skin.TransparentColor);
    EXPECT_TRUE(skin.UseTransparentColor);
    EXPECT_EQ(80, skin.Opacity);
    EXPECT_TRUE(skin.ShowMoveButton);
    EXPECT_STREQ(L"", skin.PreviewFileName);
}

std::wstring CurrentDirectory() {
    WCHAR directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    return directory;
}

// Makes a directory current for one scope.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::wstring& directory) : m_previous(CurrentDirectory()) {
        SetCurrentDirectoryW(directory.c_str());
    }
    ~CurrentDirectoryScope() { SetCurrentDirectoryW(m_previous.c_str()); }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::wstring m_previous;
};

// Skins are only looked for beside the executable, so each test gets its own skin folder there
// and removes it (and "Skins\" when it made that) afterwards.
class SkinTest : public testing::Test {
protected:
    void SetUp() override {
        m_skinsRoot = GetProgramDirectory() + L"Skins\\";
        m_createdSkinsRoot = CreateDirectoryW(m_skinsRoot.c_str(), nullptr) != FALSE;
        WCHAR name[64];
        swprintf(name, 64, L"SkinTest_%lu_%lu", GetCurrentProcessId(), GetTickCount());
        m_skinName = name;
        ASSERT_TRUE(CreateDirectoryW(SkinDirectory().c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(SkinFile(L"icons").c_str(), nullptr));
    }

    void TearDown() override {
        RemoveTree(SkinDirectory());
        if (m_createdSkinsRoot)
            RemoveDirectoryW(m_skinsRoot.c_str());
    }

    std::wstring SkinDirectory() const { return m_skinsRoot + m_skinName + L"\\"; }
    std::wstring SkinFile(const std::wstring& relative) const { return SkinDirectory() + relative; }

    void WriteSkinConf(const std::wstring& text) { ASSERT_TRUE(WriteUtf16File(SkinFile(L"SkinConf.ini"), text)); }

    // A skin that replaces Home from a subfolder and Move from an absolute path; a decoy of the same
    // name in the skin folder itself must not be taken.
    void WriteIconSkin(const std::wstring& absoluteIcon) {
        ASSERT_TRUE(WriteFileBytes(SkinFile(L"icons\\home.ico"), MakeIconFile(kRed)));
        ASSERT_TRUE(WriteFileBytes(SkinFile(L"home.ico"), MakeIconFile(kBlue)));
        ASSERT_TRUE(WriteFileBytes(absoluteIcon, MakeIconFile(kYellow)));
        WriteSkinConf(L"[BrowserToolbar]\r\n"
                      L"HomeAssociatedIconPath=icons/home.ico\r\n"
                      L"HomeDownAssociatedIconPath=icons/home.ico\r\n"
                      L"HomeDownAssociatedIconIndex=0\r\n"
                      L"MoveAssociatedIconPath=" +
                      absoluteIcon +
                      L"\r\n"
                      L"CloseAssociatedIconPath=icons/missing.ico\r\n"
                      L"HomeHotAssociatedIconPath=icons/home.ico\r\n"
                      L"HomeHotAssociatedIconIndex=3\r\n"
                      L"UpAssociatedIconPath=SkinConf.ini\r\n");
    }

    std::wstring m_skinsRoot;
    std::wstring m_skinName;
    bool m_createdSkinsRoot = false;
};

} // namespace

TEST_F(SkinTest, WithoutSkinEveryImageIsBuiltIn) {
    CSkin skin;
    EXPECT_EQ(m_skinsRoot, skin.SkinsRootDirectory);
    EXPECT_FALSE(skin.UseSkin);
    ExpectDefaultLook(skin);
    std::set<std::wstring> names;
    std::set<WORD> resources;
    for (int i = 0; i < SkinImageCount; ++i) {
        ExpectBuiltInIcon(skin, static_cast<SkinImageIndex>(i));
        names.insert(skin.Images[i].Name);
        resources.insert(skin.Images[i].ResourceId);
    }
    EXPECT_EQ(size_t(SkinImageCount), names.size()) << "image names must be unique";
    EXPECT_EQ(size_t(SkinImageCount), resources.size()) << "built-in icons must be distinct";

    EXPECT_TRUE(skin.LoadSkin(FALSE, L""));
    EXPECT_FALSE(skin.UseSkin);
    ExpectDefaultLook(skin);
    for (int i = 0; i < SkinImageCount; ++i)
        ExpectBuiltInIcon(skin, static_cast<SkinImageIndex>(i));
}

TEST_F(SkinTest, ReadsLookAndPreviewFromTheSkinFile) {
    WriteSkinConf(L"[BrowserToolbar]\r\nBackgroundType=9\r\nBackgroundColor=1193046\r\nBackgroundColor2=255\r\n"
                  L"BackgroundImage=pics/back.png\r\nTransparentColor=65280\r\nUseTransparentColor=0\r\n"
                  L"Opacity=65\r\nShowMoveButton=0\r\n[Preview]\r\nFileName=preview/shot.png\r\n");
    CSkin skin;
    EXPECT_TRUE(skin.LoadSkin(TRUE, m_skinName.c_str()));

    EXPECT_TRUE(skin.UseSkin);
    EXPECT_EQ(SkinDirectory(), skin.SkinDirectory);
    EXPECT_EQ(9, skin.BackgroundType);
    EXPECT_EQ(0x123456u, skin.BackgroundColor);
    EXPECT_EQ(0xFFu, skin.BackgroundColor2);
    EXPECT_EQ(SkinFile(L"pics\\back.png"), skin.BackgroundImage);
    EXPECT_EQ(0x00FF00u, skin.TransparentColor);
    EXPECT_FALSE(skin.UseTransparentColor);
    EXPECT_EQ(65, skin.Opacity);
    EXPECT_FALSE(skin.ShowMoveButton);
    EXPECT_STREQ(L"preview/shot.png", skin.PreviewFileName) << "the preview name is kept as written";
    for (int i = 0; i < SkinImageCount; ++i)
        ExpectBuiltInIcon(skin, static_cast<SkinImageIndex>(i));
}

TEST_F(SkinTest, IconPathsResolveAgainstTheSkinFolder) {
    TempDirectory elsewhere;
    // The same relative name below the current directory must lose against the skin folder.
    ASSERT_TRUE(CreateDirectoryW(elsewhere.File(L"icons").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(elsewhere.File(L"icons\\home.ico"), MakeIconFile(kGreen)));
    WriteIconSkin(elsewhere.File(L"absolute.ico"));
    CurrentDirectoryScope current(elsewhere.Path());

    CSkin skin;
    skin.LoadSkin(TRUE, m_skinName.c_str());

    EXPECT_EQ(elsewhere.Path(), CurrentDirectory()) << "loading a skin must not move the current directory";
    EXPECT_STREQ(L"icons/home.ico", skin.Images[SkinImageHome].AssociatedIconPath);
    EXPECT_EQ(kRed, CenterColor(skin.Images[SkinImageHome].Icon)) << "Home must come from <skin>\\icons\\home.ico";
    EXPECT_EQ(kRed, CenterColor(skin.Images[SkinImageHomeDown].Icon));
    EXPECT_EQ(kYellow, CenterColor(skin.Images[SkinImageMove].Icon)) << "absolute paths stay as they are";

    SCOPED_TRACE("missing file, index past the file's icons, a file that holds no icon");
    ExpectBuiltInIcon(skin, SkinImageClose);
    ExpectBuiltInIcon(skin, SkinImageHomeHot);
    ExpectBuiltInIcon(skin, SkinImageUp);
    ExpectBuiltInIcon(skin, SkinImageBack);
}

TEST_F(SkinTest, ReloadingDestroysTheIconsOfThePreviousSkin) {
    TempDirectory elsewhere;
    WriteIconSkin(elsewhere.File(L"absolute.ico"));
    WriteSkinConf(L"[BrowserToolbar]\r\nHomeAssociatedIconPath=icons/home.ico\r\nOpacity=40\r\nBackgroundType=1\r\n"
                  L"BackgroundImage=x.png\r\n[Preview]\r\nFileName=p.png\r\n");
    CSkin skin;
    skin.LoadSkin(TRUE, m_skinName.c_str());
    HICON first = skin.Images[SkinImageHome].Icon;
    ASSERT_EQ(kRed, CenterColor(first));

    skin.LoadSkin(TRUE, m_skinName.c_str());
    HICON second = skin.Images[SkinImageHome].Icon;
    EXPECT_FALSE(IsLiveIcon(first)) << "a reload destroys the icons the previous load extracted";
    EXPECT_EQ(kRed, CenterColor(second));

    skin.LoadSkin(FALSE, m_skinName.c_str());
    EXPECT_FALSE(IsLiveIcon(second)) << "switching to no skin destroys the extracted icons";
    EXPECT_FALSE(skin.UseSkin);
    ExpectDefaultLook(skin);
    ExpectBuiltInIcon(skin, SkinImageHome);
}

TEST_F(SkinTest, ExtractedIconsDieWithTheSkinAndNeverDangle) {
    TempDirectory elsewhere;
    WriteIconSkin(elsewhere.File(L"absolute.ico"));
    CSkin* skin = new CSkin();
    skin->LoadSkin(TRUE, m_skinName.c_str());
    HICON home = skin->Images[SkinImageHome].Icon;
    ASSERT_TRUE(IsLiveIcon(home));

    skin->DestroyExtractedIcons();
    EXPECT_FALSE(IsLiveIcon(home));
    ExpectBuiltInIcon(*skin, SkinImageHome);

    skin->LoadSkin(TRUE, m_skinName.c_str());
    HICON move = skin->Images[SkinImageMove].Icon;
    ASSERT_EQ(kYellow, CenterColor(move));
    delete skin;
    EXPECT_FALSE(IsLiveIcon(move)) << "destroying the skin destroys its extracted icons";
}

TEST_F(SkinTest, SkinWithoutConfigurationIsReadButNeverWritten) {
    CSkin skin;
    skin.LoadSkin(TRUE, m_skinName.c_str());
    EXPECT_TRUE(skin.UseSkin);
    ExpectDefaultLook(skin);
    ExpectBuiltInIcon(skin, SkinImageHome);
    EXPECT_FALSE(FileExists(SkinFile(L"SkinConf.ini"))) << "loading must not create the skin file";

    std::wstring missingSkin = m_skinName + L"_missing";
    skin.LoadSkin(TRUE, missingSkin.c_str());
    ExpectDefaultLook(skin);
    EXPECT_FALSE(DirectoryExists(m_skinsRoot + missingSkin)) << "loading must not create a skin folder";

    skin.LoadSkin(TRUE, L"");
    EXPECT_FALSE(skin.UseSkin) << "a skin without a name is no skin";
    EXPECT_EQ(m_skinsRoot, skin.SkinDirectory);
}
