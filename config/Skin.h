#pragma once
#include <windows.h>

#include "lib/IconHandle.h"

#include <vector>

class CIniFile;

// Positions of the browser toolbar's images in CSkin::Images.
enum SkinImageIndex {
    SkinImageHome,
    SkinImageHomeDown,
    SkinImageHomeHot,
    SkinImageBack,
    SkinImageBackDisabled,
    SkinImageBackDown,
    SkinImageBackHot,
    SkinImageForward,
    SkinImageForwardDisabled,
    SkinImageForwardDown,
    SkinImageForwardHot,
    SkinImageUp,
    SkinImageUpDown,
    SkinImageUpHot,
    SkinImageJumpToExplorer,
    SkinImageJumpToExplorerDown,
    SkinImageJumpToExplorerHot,
    SkinImageMove,
    SkinImageMoveDown,
    SkinImageMoveHot,
    SkinImageMaximize,
    SkinImageMaximizeDown,
    SkinImageMaximizeHot,
    SkinImageReduce,
    SkinImageReduceDown,
    SkinImageReduceHot,
    SkinImageClose,
    SkinImageCloseDown,
    SkinImageCloseHot,
    SkinImageCount
};

// One toolbar image: where a skin may take it from, and the icon in use.
struct SkinImage {
    LPCWSTR Name;                       // prefix of its keys in SkinConf.ini
    WORD ResourceId;                    // the built-in icon
    WCHAR AssociatedIconPath[MAX_PATH]; // as the skin wrote it; empty keeps the built-in icon
    INT AssociatedIconIndex;
    // 24 x 24 at 96 DPI, larger at the system's scale; the skin owns it when it came from a skin
    // file, shared otherwise.
    HICON Icon;
};

// The look of the browser toolbar: a skin folder "Skins\<name>\" beside the executable with its
// "SkinConf.ini", or the built-in icons and default values when no skin is used. Toolbars copy the
// icon handles, so they must be rebuilt after LoadSkin.
class CSkin {
public:
    CSkin();
    ~CSkin();
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    // Replaces every value and image. A skin folder without "SkinConf.ini" gets the default
    // values and is left untouched. Always TRUE.
    BOOL LoadSkin(BOOL useSkin, LPCWSTR skinName);
    // Destroys the icons taken from skin files; images that used them get their built-in icon.
    void DestroyExtractedIcons();
    // The side of the images in Images: their 24 pixels at the system's scale.
    int ImageSize() const;
    // A new icon of the image at another size, from the same source, which the caller destroys;
    // for a toolbar on a monitor of another scale.
    HICON CreateImageIcon(SkinImageIndex index, int size) const;

    HINSTANCE ModuleInstance;
    BOOL UseSkin;
    WCHAR PreviewFileName[MAX_PATH];    // unresolved; relative to SkinDirectory
    WCHAR SkinsRootDirectory[MAX_PATH]; // program directory + "Skins\"
    WCHAR SkinDirectory[MAX_PATH];      // with a trailing backslash
    SkinImage Images[SkinImageCount];
    COLORREF TransparentColor;
    BOOL UseTransparentColor;
    INT BackgroundType; // 0-3 gradients, 4 solid colour, 5-14 picture placements
    COLORREF BackgroundColor;
    COLORREF BackgroundColor2;
    WCHAR BackgroundImage[MAX_PATH]; // full path, or empty
    INT Opacity;                     // percent
    BOOL ShowMoveButton;

private:
    void SetDefaults();
    void ReadSkinFile();
    void ReadLook(CIniFile& file);
    void ReadImagePaths(CIniFile& file);
    void LoadImages();
    HICON ExtractSkinIcon(const SkinImage& image);
    HICON ExtractIconAt(const SkinImage& image, int size) const;
    HICON LoadBuiltInIcon(WORD resourceId) const;
    BOOL ResolveSkinPath(LPCWSTR path, LPWSTR fullPath) const;

    std::vector<CIconHandle> m_extractedIcons;
};
