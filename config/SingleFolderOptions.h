#pragma once
#include "config/IConfigReader.h"
#include "config/IConfigWriter.h"
#include "config/IIniFileArrayItem.h"

#include <windows.h>

#include <vector>

// Shortcut types of a folder item (FolderPresentationType).
enum FolderPresentation {
    FolderPresentationBrowser = 0,
    FolderPresentationDesktop = 1,
    FolderPresentationMenu = 2,
    FolderPresentationMultipleFoldersMenu = 3,
};

// One folder of a "Multiple Folders Menu" item.
struct MergedFolder {
    INT MergedMenu;
    WCHAR MergedMenuName[250];
    WCHAR Directory[MAX_PATH];
};

// Where the desktop view showed one icon of the item's own folder.
struct HomeFolderIconPosition {
    WCHAR Name[MAX_PATH];
    INT X;
    INT Y;
};

// Every setting of one folder item; field names are the INI keys. Each key is described once, by
// one row of the key table in SingleFolderOptions.cpp (name, field, default, when it is stored),
// and the constructor, Load, Save and CopyFolderOptions all run from that table: adding a setting
// is its field here plus its row there, placed where its key belongs in the file.
class CSingleFolderOptions : public IIniFileArrayItem {
public:
    CSingleFolderOptions();
    virtual ~CSingleFolderOptions();
    CSingleFolderOptions(const CSingleFolderOptions&) = delete;
    CSingleFolderOptions& operator=(const CSingleFolderOptions&) = delete;

    BOOL Save(CIniFile& file) override;
    BOOL Load(CIniFile& file) override;

    // Copies every setting; the destination keeps its own vectors and gets copies of the
    // source's records appended.
    static void CopyFolderOptions(const CSingleFolderOptions& source, CSingleFolderOptions& destination);
    // The name the user sees: DisplayName for type 3, otherwise the shell's name of the folder.
    BOOL GetDisplayName(LPWSTR buffer);

    INT FolderPresentationType;
    WCHAR DisplayName[256];
    WCHAR Path[MAX_PATH];
    WCHAR AssociatedIconPath[MAX_PATH];
    INT AssociatedIconIndex;
    BOOL IncludeSubFolders;
    BOOL AllowSubFoldersNavigation;
    BOOL AllowSubFoldersLinksNavigation;
    WCHAR InclusionFilters[1024];
    WCHAR ExclusionFilters[1024];
    INT FolderViewMode;
    BOOL RememberLastPosition;
    BOOL OneClickActivate;
    RECT WindowRect; // only the width and height are stored (BrowserWidth, BrowserHeight)
    // The DPI the browser's width and height are in pixels at; 0 in files written before it was
    // stored, whose sizes were taken at the system DPI.
    INT BrowserSizeDpi;
    INT WindowPositionX;
    INT WindowPositionY;
    BOOL IsMaximized;
    BOOL AutoHideOnFileExecution;
    INT ZOrder;
    BOOL HideToolBarForHomeFolder;
    BOOL HideToolBar;
    BOOL ShowAtStartup;
    BOOL StartMaximized;
    BOOL SaveIconsPositionsForHomeFolder;
    std::vector<HomeFolderIconPosition>* HomeFolderIconPositions;
    BOOL TextColorSepcified;
    COLORREF TextColor;
    BOOL TextBackgroundColorSepcified;
    COLORREF TextBackgroundColor;
    INT BackgroundType;
    COLORREF BackgroundColor;
    COLORREF BackgroundColor1;
    COLORREF BackgroundColor2;
    INT BackgroundGradiantType;
    WCHAR BackgroundImagePath[MAX_PATH];
    INT BackgroundImagePosition;
    UINT HotKeyModifier;
    UINT HotKeyVirtualKey;
    std::vector<MergedFolder>* MergedFolders;
    BOOL HideFilesExtensionInPopupMenu;
    BOOL HideShortcutsOverlayInPopupMenu;
    INT FoldersPositionInPopupMenu;
    BOOL MergeMenusInPopupMenu;
    BOOL EnableHotCorner;
    INT HotCornerScreenIndex;
    INT HotCornerPosition;
    INT HotCornerWidth;
    INT HotCornerHeight;
    INT LaunchBarFreeSpaceBeforeIcon;
    WCHAR AssociatedHotIconPath[MAX_PATH];
    INT AssociatedHotIconIndex;
    WCHAR AssociatedDownIconPath[MAX_PATH];
    INT AssociatedDownIconIndex;
    INT AssociatedIconPosition;
    // The item's own name for scripts and taskbar shortcuts: unchanged by renaming, reordering or
    // editing, and never shown. Empty until the application gives it one.
    WCHAR ItemIdentifier[40];
};

// The width and height of the first monitor's work area.
SIZE GetFirstMonitorWorkAreaSize();
