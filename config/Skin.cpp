#include "config/Skin.h"

#include "config/IniFile.h"
#include "lib/Dpi.h"
#include "lib/FileSystem.h"
#include "lib/StringCopy.h"
#include "config/SpecialPath.h"
#include "res/resource.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

struct BuiltInImage {
    LPCWSTR name;
    WORD resourceId;
};

// In SkinImageIndex order.
const BuiltInImage kBuiltInImages[SkinImageCount] = {
    {L"Home", IDI_TOOLBAR_HOME},
    {L"HomeDown", IDI_TOOLBAR_HOME_DOWN},
    {L"HomeHot", IDI_TOOLBAR_HOME_HOT},
    {L"Back", IDI_TOOLBAR_BACK},
    {L"BackDisabled", IDI_TOOLBAR_BACK_DISABLED},
    {L"BackDown", IDI_TOOLBAR_BACK_DOWN},
    {L"BackHot", IDI_TOOLBAR_BACK_HOT},
    {L"Forward", IDI_TOOLBAR_FORWARD},
    {L"ForwardDisabled", IDI_TOOLBAR_FORWARD_DISABLED},
    {L"ForwardDown", IDI_TOOLBAR_FORWARD_DOWN},
    {L"ForwardHot", IDI_TOOLBAR_FORWARD_HOT},
    {L"Up", IDI_TOOLBAR_UP},
    {L"UpDown", IDI_TOOLBAR_UP_DOWN},
    {L"UpHot", IDI_TOOLBAR_UP_HOT},
    {L"JumpToExplorer", IDI_TOOLBAR_JUMP_TO_EXPLORER},
    {L"JumpToExplorerDown", IDI_TOOLBAR_JUMP_TO_EXPLORER_DOWN},
    {L"JumpToExplorerHot", IDI_TOOLBAR_JUMP_TO_EXPLORER_HOT},
    {L"Move", IDI_TOOLBAR_MOVE},
    {L"MoveDown", IDI_TOOLBAR_MOVE_DOWN},
    {L"MoveHot", IDI_TOOLBAR_MOVE_HOT},
    {L"Maximize", IDI_TOOLBAR_MAXIMIZE},
    {L"MaximizeDown", IDI_TOOLBAR_MAXIMIZE_DOWN},
    {L"MaximizeHot", IDI_TOOLBAR_MAXIMIZE_HOT},
    {L"Reduce", IDI_TOOLBAR_REDUCE},
    {L"ReduceDown", IDI_TOOLBAR_REDUCE_DOWN},
    {L"ReduceHot", IDI_TOOLBAR_REDUCE_HOT},
    {L"Close", IDI_TOOLBAR_CLOSE},
    {L"CloseDown", IDI_TOOLBAR_CLOSE_DOWN},
    {L"CloseHot", IDI_TOOLBAR_CLOSE_HOT},
};

const int kIconSize = 24; // at 96 DPI

// The browser toolbar's buttons are as tall as the toolbar, which follows the scale: the images
// are taken at that size on the system's scale rather than stretched there.
int ScaledIconSize() {
    return ScaleForDpi(kIconSize, GetSystemDpi());
}
const COLORREF kDefaultColor = 0xFF00FF;
const INT kDefaultBackgroundType = 4;
const INT kDefaultOpacity = 80;
const WCHAR kSkinFileName[] = L"SkinConf.ini";
const WCHAR kToolbarSection[] = L"BrowserToolbar";
const WCHAR kPreviewSection[] = L"Preview";

} // namespace

CSkin::CSkin() : ModuleInstance(GetModuleHandleW(nullptr)), UseSkin(FALSE) {
    CopyTruncated(SkinsRootDirectory, (GetProgramDirectory() + L"Skins\\").c_str());
    CopyTruncated(SkinDirectory, SkinsRootDirectory);
    for (int i = 0; i < SkinImageCount; ++i) {
        Images[i].Name = kBuiltInImages[i].name;
        Images[i].ResourceId = kBuiltInImages[i].resourceId;
        // Built-in icons are shared and cost nothing to hold, so a skin that is never loaded still
        // gives its toolbar images.
        Images[i].Icon = LoadBuiltInIcon(Images[i].ResourceId);
    }
    SetDefaults();
}

CSkin::~CSkin() {
    DestroyExtractedIcons();
}

BOOL CSkin::LoadSkin(BOOL useSkin, LPCWSTR skinName) {
    if (!skinName)
        skinName = L"";
    // A skin is a named folder; without a name the built-in look applies.
    UseSkin = useSkin && skinName[0] != L'\0';
    std::wstring directory = SkinsRootDirectory;
    if (skinName[0] != L'\0')
        directory += std::wstring(skinName) + L"\\";
    CopyTruncated(SkinDirectory, directory.c_str());

    DestroyExtractedIcons();
    SetDefaults();
    if (UseSkin)
        ReadSkinFile();
    LoadImages();
    return TRUE;
}

void CSkin::DestroyExtractedIcons() {
    auto extracted = [this](HICON icon) {
        return std::any_of(m_extractedIcons.begin(), m_extractedIcons.end(),
                           [icon](const CIconHandle& owned) { return owned.Get() == icon; });
    };
    for (SkinImage& image : Images) {
        if (extracted(image.Icon))
            image.Icon = LoadBuiltInIcon(image.ResourceId);
    }
    m_extractedIcons.clear();
}

void CSkin::SetDefaults() {
    TransparentColor = kDefaultColor;
    UseTransparentColor = TRUE;
    BackgroundType = kDefaultBackgroundType;
    BackgroundColor = kDefaultColor;
    BackgroundColor2 = kDefaultColor;
    BackgroundImage[0] = L'\0';
    Opacity = kDefaultOpacity;
    ShowMoveButton = TRUE;
    PreviewFileName[0] = L'\0';
    for (SkinImage& image : Images) {
        image.AssociatedIconPath[0] = L'\0';
        image.AssociatedIconIndex = 0;
    }
}

void CSkin::ReadSkinFile() {
    // Opening a missing INI file creates it; a folder without its own "SkinConf.ini" must not get
    // one (nor a missing folder be made) just because it was chosen, so such a skin keeps the defaults.
    std::wstring skinFile = std::wstring(SkinDirectory) + kSkinFileName;
    if (!IsExistingFile(skinFile.c_str()))
        return;
    CIniFile file(skinFile.c_str());
    ReadLook(file);
    ReadImagePaths(file);
    IConfigReader& reader = file;
    reader.SetSectionName(kPreviewSection);
    reader.ReadString(L"FileName", L"", PreviewFileName, MAX_PATH);
}

void CSkin::ReadLook(CIniFile& file) {
    IConfigReader& reader = file;
    reader.SetSectionName(kToolbarSection);
    BackgroundType = ReadIntValue(reader, L"BackgroundType", kDefaultBackgroundType);
    BackgroundColor = static_cast<COLORREF>(ReadIntValue(reader, L"BackgroundColor", kDefaultColor));
    BackgroundColor2 = static_cast<COLORREF>(ReadIntValue(reader, L"BackgroundColor2", kDefaultColor));
    WCHAR image[MAX_PATH];
    reader.ReadString(L"BackgroundImage", L"", image, MAX_PATH);
    // An empty name stays empty: resolved, it would name the skin folder, which is no picture.
    if (image[0] != L'\0' && !ResolveSkinPath(image, BackgroundImage))
        BackgroundImage[0] = L'\0';
    TransparentColor = static_cast<COLORREF>(ReadIntValue(reader, L"TransparentColor", kDefaultColor));
    UseTransparentColor = ReadIntValue(reader, L"UseTransparentColor", TRUE);
    Opacity = ReadIntValue(reader, L"Opacity", kDefaultOpacity);
    ShowMoveButton = ReadIntValue(reader, L"ShowMoveButton", TRUE);
}

void CSkin::ReadImagePaths(CIniFile& file) {
    IConfigReader& reader = file;
    reader.SetSectionName(kToolbarSection);
    for (SkinImage& image : Images) {
        WCHAR key[64];
        swprintf(key, 64, L"%lsAssociatedIconPath", image.Name);
        reader.ReadString(key, L"", image.AssociatedIconPath, MAX_PATH);
        swprintf(key, 64, L"%lsAssociatedIconIndex", image.Name);
        image.AssociatedIconIndex = ReadIntValue(reader, key, 0);
    }
}

void CSkin::LoadImages() {
    for (SkinImage& image : Images) {
        HICON icon = nullptr;
        if (UseSkin && image.AssociatedIconPath[0] != L'\0')
            icon = ExtractSkinIcon(image);
        image.Icon = icon ? icon : LoadBuiltInIcon(image.ResourceId);
    }
}

HICON CSkin::ExtractSkinIcon(const SkinImage& image) {
    HICON icon = ExtractIconAt(image, ScaledIconSize());
    if (icon)
        m_extractedIcons.emplace_back(icon);
    return icon;
}

HICON CSkin::ExtractIconAt(const SkinImage& image, int size) const {
    WCHAR fullPath[MAX_PATH];
    if (!ResolveSkinPath(image.AssociatedIconPath, fullPath))
        return nullptr;
    HICON icon = nullptr;
    UINT count = PrivateExtractIconsW(fullPath, image.AssociatedIconIndex, size, size, &icon, nullptr, 1, 0);
    // 0xFFFFFFFF reports a missing file, 0 an index past the file's icons; neither gives a handle.
    return count == 0 || count == 0xFFFFFFFF ? nullptr : icon;
}

int CSkin::ImageSize() const {
    return ScaledIconSize();
}

HICON CSkin::CreateImageIcon(SkinImageIndex index, int size) const {
    const SkinImage& image = Images[index];
    HICON icon = UseSkin && image.AssociatedIconPath[0] != L'\0' ? ExtractIconAt(image, size) : nullptr;
    // Not shared: a shared icon of a size other than the system's may come back at the size first asked for.
    return icon ? icon
                : static_cast<HICON>(
                      LoadImageW(ModuleInstance, MAKEINTRESOURCEW(image.ResourceId), IMAGE_ICON, size, size, 0));
}

HICON CSkin::LoadBuiltInIcon(WORD resourceId) const {
    return static_cast<HICON>(LoadImageW(ModuleInstance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, ScaledIconSize(),
                                         ScaledIconSize(), LR_SHARED));
}

// Relative paths (slashes accepted) are taken from the skin folder, absolute ones stay as they are.
BOOL CSkin::ResolveSkinPath(LPCWSTR path, LPWSTR fullPath) const {
    return MakeAbsolutePath(SkinDirectory, path, fullPath);
}
