#include "config/SingleFolderOptions.h"

#include "config/IniFile.h"
#include "lib/StringCopy.h"
#include "config/IniFileEx.h"
#include "config/SpecialPath.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

namespace {

// A record count above this can only come from a damaged file (see LoadRecordCount).
const UINT kMaxItemRecords = 4096;
const WCHAR kDefaultPath[] = L"c:\\";
const WCHAR kMissingKeyMarker[] = L"\x1F<missing>\x1F";

BOOL CALLBACK FirstMonitorProc(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
        *reinterpret_cast<RECT*>(context) = info.rcWork;
    return FALSE; // only the first monitor counts
}

bool KeyExists(IConfigReader& reader, LPCWSTR key) {
    WCHAR value[16];
    reader.ReadString(key, kMissingKeyMarker, value, 16);
    return wcscmp(value, kMissingKeyMarker) != 0;
}

// Record counts are read as stored; a count beyond reason (a damaged file, or -1) is cut to the
// records that really exist, found by their first key, so a start never hangs on it.
UINT LoadRecordCount(IConfigReader& reader, LPCWSTR countKey, LPCWSTR firstKeyFormat) {
    UINT count = static_cast<UINT>(ReadIntValue(reader, countKey, 0));
    if (count <= kMaxItemRecords)
        return count;
    UINT existing = 0;
    WCHAR key[64];
    for (; existing < kMaxItemRecords; ++existing) {
        swprintf(key, 64, firstKeyFormat, existing);
        if (!KeyExists(reader, key))
            break;
    }
    return existing;
}

void FormatIndexedKey(LPWSTR key, LPCWSTR format, UINT index) {
    swprintf(key, 64, format, index);
}

} // namespace

SIZE GetFirstMonitorWorkAreaSize() {
    RECT work = {0, 0, 0, 0};
    EnumDisplayMonitors(nullptr, nullptr, FirstMonitorProc, reinterpret_cast<LPARAM>(&work));
    SIZE size = {work.right - work.left, work.bottom - work.top};
    return size;
}

CSingleFolderOptions::CSingleFolderOptions()
    : FolderPresentationType(FolderPresentationMenu), AssociatedIconIndex(0), IncludeSubFolders(TRUE),
      AllowSubFoldersNavigation(TRUE), AllowSubFoldersLinksNavigation(TRUE), FolderViewMode(3),
      RememberLastPosition(TRUE), OneClickActivate(TRUE), WindowRect(), WindowPositionX(0), WindowPositionY(0),
      IsMaximized(FALSE), AutoHideOnFileExecution(TRUE), ZOrder(0), HideToolBarForHomeFolder(FALSE), HideToolBar(FALSE),
      ShowAtStartup(FALSE), StartMaximized(FALSE), SaveIconsPositionsForHomeFolder(TRUE),
      HomeFolderIconPositions(new std::vector<HomeFolderIconPosition>()), TextColorSepcified(FALSE), TextColor(0),
      TextBackgroundColorSepcified(FALSE), TextBackgroundColor(0xFFFFFF), BackgroundType(0), BackgroundColor(0),
      BackgroundColor1(0x00FF00), BackgroundColor2(0xFF0000), BackgroundGradiantType(0), BackgroundImagePosition(0),
      HotKeyModifier(0), HotKeyVirtualKey(0), MergedFolders(new std::vector<MergedFolder>()),
      HideFilesExtensionInPopupMenu(TRUE), HideShortcutsOverlayInPopupMenu(TRUE), FoldersPositionInPopupMenu(0),
      MergeMenusInPopupMenu(TRUE), EnableHotCorner(FALSE), HotCornerScreenIndex(0), HotCornerPosition(0),
      HotCornerWidth(8), HotCornerHeight(8), LaunchBarFreeSpaceBeforeIcon(0), AssociatedHotIconIndex(0),
      AssociatedDownIconIndex(0), AssociatedIconPosition(1) {
    DisplayName[0] = L'\0';
    wcscpy(Path, kDefaultPath);
    AssociatedIconPath[0] = L'\0';
    InclusionFilters[0] = L'\0';
    ExclusionFilters[0] = L'\0';
    BackgroundImagePath[0] = L'\0';
    AssociatedHotIconPath[0] = L'\0';
    AssociatedDownIconPath[0] = L'\0';
    SetBrowserGeometryDefaults();
}

CSingleFolderOptions::~CSingleFolderOptions() {
    delete HomeFolderIconPositions;
    delete MergedFolders;
}

void CSingleFolderOptions::SetBrowserGeometryDefaults() {
    SIZE work = GetFirstMonitorWorkAreaSize();
    SetRect(&WindowRect, 0, 0, work.cx / 3, work.cy / 3);
    WindowPositionX = work.cx / 3;
    WindowPositionY = work.cy / 3;
}

BOOL CSingleFolderOptions::Load(CIniFile& file) {
    IConfigReader& reader = file;
    FolderPresentationType = ReadIntValue(reader, L"FolderPresentationType", FolderPresentationMenu);
    if (FolderPresentationType == FolderPresentationDesktop)
        CopyTruncated(Path, MAX_PATH, FormatSpecialPath(CSIDL_DESKTOP).c_str());
    else
        reader.ReadString(L"Path", kDefaultPath, Path, MAX_PATH);
    if (FolderPresentationType == FolderPresentationMultipleFoldersMenu) {
        reader.ReadString(L"DisplayName", L"", DisplayName, 256);
        LoadMergedFolders(reader);
    }

    reader.ReadString(L"AssociatedIconPath", L"", AssociatedIconPath, MAX_PATH);
    AssociatedIconIndex = ReadIntValue(reader, L"AssociatedIconIndex", 0);
    reader.ReadString(L"AssociatedHotIconPath", AssociatedIconPath, AssociatedHotIconPath, MAX_PATH);
    reader.ReadString(L"AssociatedDownIconPath", AssociatedIconPath, AssociatedDownIconPath, MAX_PATH);
    AssociatedHotIconIndex = ReadIntValue(reader, L"AssociatedHotIconIndex", AssociatedIconIndex);
    AssociatedDownIconIndex = ReadIntValue(reader, L"AssociatedDownIconIndex", AssociatedIconIndex);
    AssociatedIconPosition = ReadIntValue(reader, L"AssociatedIconPosition", 0);

    IncludeSubFolders = ReadIntValue(reader, L"IncludeSubFolders", TRUE);
    AllowSubFoldersNavigation = ReadIntValue(reader, L"AllowSubFoldersNavigation", TRUE);
    AllowSubFoldersLinksNavigation = ReadIntValue(reader, L"AllowSubFoldersLinksNavigation", TRUE);
    reader.ReadString(L"InclusionFilters", L"", InclusionFilters, 1024);
    reader.ReadString(L"ExclusionFilters", L"", ExclusionFilters, 1024);
    HideFilesExtensionInPopupMenu = ReadIntValue(reader, L"HideFilesExtensionInPopupMenu", TRUE);
    HideShortcutsOverlayInPopupMenu = ReadIntValue(reader, L"HideShortcutsOverlayInPopupMenu", TRUE);
    FoldersPositionInPopupMenu = ReadIntValue(reader, L"FoldersPositionInPopupMenu", 0);
    MergeMenusInPopupMenu = ReadIntValue(reader, L"MergeMenusInPopupMenu", TRUE);
    FolderViewMode = ReadIntValue(reader, L"FolderViewMode", 3);
    RememberLastPosition = ReadIntValue(reader, L"RememberLastPosition", TRUE);
    OneClickActivate = ReadIntValue(reader, L"OneClickActivate", TRUE);
    AutoHideOnFileExecution = ReadIntValue(reader, L"AutoHideOnFileExecution", TRUE);
    IsMaximized = ReadIntValue(reader, L"IsMaximized", FALSE);

    SIZE work = GetFirstMonitorWorkAreaSize();
    WindowRect.left = 0;
    WindowRect.top = 0;
    WindowRect.right = ReadIntValue(reader, L"BrowserWidth", work.cx / 3);
    WindowRect.bottom = ReadIntValue(reader, L"BrowserHeight", work.cy / 3);
    WindowPositionX = ReadIntValue(reader, L"WindowPositionX", work.cx / 3);
    WindowPositionY = ReadIntValue(reader, L"WindowPositionY", work.cy / 3);

    ZOrder = ReadIntValue(reader, L"ZOrder", 0);
    HideToolBarForHomeFolder = ReadIntValue(reader, L"HideToolBarForHomeFolder", FALSE);
    HideToolBar = ReadIntValue(reader, L"HideToolBar", FALSE);
    ShowAtStartup = ReadIntValue(reader, L"ShowAtStartup", FALSE);
    StartMaximized = ReadIntValue(reader, L"StartMaximized", FALSE);
    if (StartMaximized)
        IsMaximized = TRUE;

    SaveIconsPositionsForHomeFolder = ReadIntValue(reader, L"SaveIconsPositionsForHomeFolder", TRUE);
    if (SaveIconsPositionsForHomeFolder)
        LoadHomeFolderIconPositions(reader);
    LoadAppearance(reader);
    return TRUE;
}

void CSingleFolderOptions::LoadMergedFolders(IConfigReader& reader) {
    UINT count = LoadRecordCount(reader, L"MultipleDirectoriesNumber", L"Directory_%u");
    for (UINT i = 0; i < count; ++i) {
        MergedFolder folder;
        WCHAR key[64];
        FormatIndexedKey(key, L"Directory_%u", i);
        reader.ReadString(key, kDefaultPath, folder.Directory, MAX_PATH);
        FormatIndexedKey(key, L"MergedMenu_%u", i);
        folder.MergedMenu = ReadIntValue(reader, key, 0);
        FormatIndexedKey(key, L"MergedMenuName_%u", i);
        reader.ReadString(key, L"MergedFolder", folder.MergedMenuName, 250);
        MergedFolders->push_back(folder);
    }
}

void CSingleFolderOptions::LoadHomeFolderIconPositions(IConfigReader& reader) {
    UINT count = LoadRecordCount(reader, L"NbIconsInHomeFolder", L"HomeFolderItemName_%u");
    for (UINT i = 0; i < count; ++i) {
        HomeFolderIconPosition position;
        WCHAR key[64];
        FormatIndexedKey(key, L"HomeFolderItemName_%u", i);
        reader.ReadString(key, L"", position.Name, MAX_PATH);
        FormatIndexedKey(key, L"HomeFolderItemPosX_%u", i);
        position.X = ReadIntValue(reader, key, 0);
        FormatIndexedKey(key, L"HomeFolderItemPosY_%u", i);
        position.Y = ReadIntValue(reader, key, 0);
        HomeFolderIconPositions->push_back(position);
    }
}

void CSingleFolderOptions::LoadAppearance(IConfigReader& reader) {
    TextColorSepcified = ReadIntValue(reader, L"TextColorSepcified", FALSE);
    TextColor = ReadIntValue(reader, L"TextColor", 0);
    TextBackgroundColorSepcified = ReadIntValue(reader, L"TextBackgroundColorSepcified", FALSE);
    TextBackgroundColor = ReadIntValue(reader, L"TextBackgroundColor", 0xFFFFFF);
    BackgroundType = ReadIntValue(reader, L"BackgroundType", 0);
    BackgroundColor = ReadIntValue(reader, L"BackgroundColor", 0);
    BackgroundColor1 = ReadIntValue(reader, L"BackgroundColor1", 0x00FF00);
    BackgroundColor2 = ReadIntValue(reader, L"BackgroundColor2", 0xFF0000);
    BackgroundGradiantType = ReadIntValue(reader, L"BackgroundGradiantType", 0);
    reader.ReadString(L"BackgroundImagePath", L"", BackgroundImagePath, MAX_PATH);
    BackgroundImagePosition = ReadIntValue(reader, L"BackgroundImagePosition", 0);
    HotKeyModifier = ReadIntValue(reader, L"HotKeyModifier", 0);
    HotKeyVirtualKey = ReadIntValue(reader, L"HotKeyVirtualKey", 0);
    EnableHotCorner = ReadIntValue(reader, L"EnableHotCorner", FALSE);
    HotCornerScreenIndex = ReadIntValue(reader, L"HotCornerScreenIndex", 0);
    HotCornerPosition = ReadIntValue(reader, L"HotCornerPosition", 0);
    HotCornerWidth = ReadIntValue(reader, L"HotCornerWidth", 8);
    HotCornerHeight = ReadIntValue(reader, L"HotCornerHeight", 8);
    LaunchBarFreeSpaceBeforeIcon = ReadIntValue(reader, L"LaunchBarFreeSpaceBeforeIcon", 0);
}

BOOL CSingleFolderOptions::Save(CIniFile& file) {
    IConfigWriter& writer = file;
    writer.WriteInt(L"FolderPresentationType", FolderPresentationType);
    if (FolderPresentationType == FolderPresentationMultipleFoldersMenu) {
        writer.WriteString(L"DisplayName", DisplayName);
        SaveMergedFolders(writer);
    }
    writer.WriteString(L"Path", Path);
    writer.WriteString(L"AssociatedIconPath", AssociatedIconPath);
    writer.WriteInt(L"AssociatedIconIndex", AssociatedIconIndex);
    writer.WriteString(L"AssociatedHotIconPath", AssociatedHotIconPath);
    writer.WriteInt(L"AssociatedHotIconIndex", AssociatedHotIconIndex);
    writer.WriteString(L"AssociatedDownIconPath", AssociatedDownIconPath);
    writer.WriteInt(L"AssociatedDownIconIndex", AssociatedDownIconIndex);
    writer.WriteInt(L"AssociatedIconPosition", AssociatedIconPosition);
    writer.WriteInt(L"IncludeSubFolders", IncludeSubFolders);
    writer.WriteInt(L"AllowSubFoldersNavigation", AllowSubFoldersNavigation);
    writer.WriteInt(L"AllowSubFoldersLinksNavigation", AllowSubFoldersLinksNavigation);
    writer.WriteString(L"InclusionFilters", InclusionFilters);
    writer.WriteString(L"ExclusionFilters", ExclusionFilters);
    writer.WriteInt(L"HideFilesExtensionInPopupMenu", HideFilesExtensionInPopupMenu);
    writer.WriteInt(L"HideShortcutsOverlayInPopupMenu", HideShortcutsOverlayInPopupMenu);
    writer.WriteInt(L"FoldersPositionInPopupMenu", FoldersPositionInPopupMenu);
    writer.WriteInt(L"MergeMenusInPopupMenu", MergeMenusInPopupMenu);
    writer.WriteInt(L"FolderViewMode", FolderViewMode);
    writer.WriteInt(L"RememberLastPosition", RememberLastPosition);
    writer.WriteInt(L"OneClickActivate", OneClickActivate);
    writer.WriteInt(L"AutoHideOnFileExecution", AutoHideOnFileExecution);
    writer.WriteInt(L"IsMaximized", IsMaximized);
    writer.WriteInt(L"BrowserWidth", WindowRect.right - WindowRect.left);
    writer.WriteInt(L"BrowserHeight", WindowRect.bottom - WindowRect.top);
    writer.WriteInt(L"WindowPositionX", WindowPositionX);
    writer.WriteInt(L"WindowPositionY", WindowPositionY);
    writer.WriteInt(L"ZOrder", ZOrder);
    writer.WriteInt(L"HideToolBarForHomeFolder", HideToolBarForHomeFolder);
    writer.WriteInt(L"HideToolBar", HideToolBar);
    writer.WriteInt(L"ShowAtStartup", ShowAtStartup);
    writer.WriteInt(L"StartMaximized", StartMaximized);
    writer.WriteInt(L"SaveIconsPositionsForHomeFolder", SaveIconsPositionsForHomeFolder);
    if (SaveIconsPositionsForHomeFolder)
        SaveHomeFolderIconPositions(writer);
    SaveAppearance(writer);
    return TRUE;
}

void CSingleFolderOptions::SaveMergedFolders(IConfigWriter& writer) {
    writer.WriteInt(L"MultipleDirectoriesNumber", static_cast<INT>(MergedFolders->size()));
    for (UINT i = 0; i < MergedFolders->size(); ++i) {
        const MergedFolder& folder = (*MergedFolders)[i];
        WCHAR key[64];
        FormatIndexedKey(key, L"Directory_%u", i);
        writer.WriteString(key, folder.Directory);
        FormatIndexedKey(key, L"MergedMenu_%u", i);
        writer.WriteInt(key, folder.MergedMenu);
        FormatIndexedKey(key, L"MergedMenuName_%u", i);
        writer.WriteString(key, folder.MergedMenuName);
    }
}

void CSingleFolderOptions::SaveHomeFolderIconPositions(IConfigWriter& writer) {
    writer.WriteInt(L"NbIconsInHomeFolder", static_cast<INT>(HomeFolderIconPositions->size()));
    for (UINT i = 0; i < HomeFolderIconPositions->size(); ++i) {
        const HomeFolderIconPosition& position = (*HomeFolderIconPositions)[i];
        WCHAR key[64];
        FormatIndexedKey(key, L"HomeFolderItemName_%u", i);
        writer.WriteString(key, position.Name);
        FormatIndexedKey(key, L"HomeFolderItemPosX_%u", i);
        writer.WriteInt(key, position.X);
        FormatIndexedKey(key, L"HomeFolderItemPosY_%u", i);
        writer.WriteInt(key, position.Y);
    }
}

void CSingleFolderOptions::SaveAppearance(IConfigWriter& writer) {
    writer.WriteInt(L"TextColorSepcified", TextColorSepcified);
    writer.WriteInt(L"TextColor", TextColor);
    writer.WriteInt(L"TextBackgroundColorSepcified", TextBackgroundColorSepcified);
    writer.WriteInt(L"TextBackgroundColor", TextBackgroundColor);
    writer.WriteInt(L"BackgroundType", BackgroundType);
    writer.WriteInt(L"BackgroundColor", BackgroundColor);
    writer.WriteInt(L"BackgroundColor1", BackgroundColor1);
    writer.WriteInt(L"BackgroundColor2", BackgroundColor2);
    writer.WriteInt(L"BackgroundGradiantType", BackgroundGradiantType);
    writer.WriteString(L"BackgroundImagePath", BackgroundImagePath);
    writer.WriteInt(L"BackgroundImagePosition", BackgroundImagePosition);
    writer.WriteInt(L"HotKeyModifier", HotKeyModifier);
    writer.WriteInt(L"HotKeyVirtualKey", HotKeyVirtualKey);
    writer.WriteInt(L"EnableHotCorner", EnableHotCorner);
    writer.WriteInt(L"HotCornerScreenIndex", HotCornerScreenIndex);
    writer.WriteInt(L"HotCornerPosition", HotCornerPosition);
    writer.WriteInt(L"HotCornerWidth", HotCornerWidth);
    writer.WriteInt(L"HotCornerHeight", HotCornerHeight);
    writer.WriteInt(L"LaunchBarFreeSpaceBeforeIcon", LaunchBarFreeSpaceBeforeIcon);
}

void CSingleFolderOptions::CopyFolderOptions(const CSingleFolderOptions& source, CSingleFolderOptions& destination) {
    // The vector pointers are never copied: each object owns its own and frees it.
    destination.FolderPresentationType = source.FolderPresentationType;
    wcscpy(destination.DisplayName, source.DisplayName);
    wcscpy(destination.Path, source.Path);
    wcscpy(destination.AssociatedIconPath, source.AssociatedIconPath);
    destination.AssociatedIconIndex = source.AssociatedIconIndex;
    destination.IncludeSubFolders = source.IncludeSubFolders;
    destination.AllowSubFoldersNavigation = source.AllowSubFoldersNavigation;
    destination.AllowSubFoldersLinksNavigation = source.AllowSubFoldersLinksNavigation;
    wcscpy(destination.InclusionFilters, source.InclusionFilters);
    wcscpy(destination.ExclusionFilters, source.ExclusionFilters);
    destination.FolderViewMode = source.FolderViewMode;
    destination.RememberLastPosition = source.RememberLastPosition;
    destination.OneClickActivate = source.OneClickActivate;
    destination.WindowRect = source.WindowRect;
    destination.WindowPositionX = source.WindowPositionX;
    destination.WindowPositionY = source.WindowPositionY;
    destination.IsMaximized = source.IsMaximized;
    destination.AutoHideOnFileExecution = source.AutoHideOnFileExecution;
    destination.ZOrder = source.ZOrder;
    destination.HideToolBarForHomeFolder = source.HideToolBarForHomeFolder;
    destination.HideToolBar = source.HideToolBar;
    destination.ShowAtStartup = source.ShowAtStartup;
    destination.StartMaximized = source.StartMaximized;
    destination.SaveIconsPositionsForHomeFolder = source.SaveIconsPositionsForHomeFolder;
    destination.TextColorSepcified = source.TextColorSepcified;
    destination.TextColor = source.TextColor;
    destination.TextBackgroundColorSepcified = source.TextBackgroundColorSepcified;
    destination.TextBackgroundColor = source.TextBackgroundColor;
    destination.BackgroundType = source.BackgroundType;
    destination.BackgroundColor = source.BackgroundColor;
    destination.BackgroundColor1 = source.BackgroundColor1;
    destination.BackgroundColor2 = source.BackgroundColor2;
    destination.BackgroundGradiantType = source.BackgroundGradiantType;
    wcscpy(destination.BackgroundImagePath, source.BackgroundImagePath);
    destination.BackgroundImagePosition = source.BackgroundImagePosition;
    destination.HotKeyModifier = source.HotKeyModifier;
    destination.HotKeyVirtualKey = source.HotKeyVirtualKey;
    destination.HideFilesExtensionInPopupMenu = source.HideFilesExtensionInPopupMenu;
    destination.HideShortcutsOverlayInPopupMenu = source.HideShortcutsOverlayInPopupMenu;
    destination.FoldersPositionInPopupMenu = source.FoldersPositionInPopupMenu;
    destination.MergeMenusInPopupMenu = source.MergeMenusInPopupMenu;
    destination.EnableHotCorner = source.EnableHotCorner;
    destination.HotCornerScreenIndex = source.HotCornerScreenIndex;
    destination.HotCornerPosition = source.HotCornerPosition;
    destination.HotCornerWidth = source.HotCornerWidth;
    destination.HotCornerHeight = source.HotCornerHeight;
    destination.LaunchBarFreeSpaceBeforeIcon = source.LaunchBarFreeSpaceBeforeIcon;
    wcscpy(destination.AssociatedHotIconPath, source.AssociatedHotIconPath);
    destination.AssociatedHotIconIndex = source.AssociatedHotIconIndex;
    wcscpy(destination.AssociatedDownIconPath, source.AssociatedDownIconPath);
    destination.AssociatedDownIconIndex = source.AssociatedDownIconIndex;
    destination.AssociatedIconPosition = source.AssociatedIconPosition;
    if (&source != &destination) {
        destination.HomeFolderIconPositions->insert(destination.HomeFolderIconPositions->end(),
                                                    source.HomeFolderIconPositions->begin(),
                                                    source.HomeFolderIconPositions->end());
        destination.MergedFolders->insert(destination.MergedFolders->end(), source.MergedFolders->begin(),
                                          source.MergedFolders->end());
    }
}

BOOL CSingleFolderOptions::GetDisplayName(LPWSTR buffer) {
    buffer[0] = L'\0';
    if (FolderPresentationType == FolderPresentationMultipleFoldersMenu) {
        CopyTruncated(buffer, MAX_PATH, DisplayName);
        return TRUE;
    }
    WCHAR resolved[MAX_PATH];
    if (!ResolveSpecialPath(Path, resolved)) {
        buffer[0] = L'\0';
        return FALSE;
    }
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(resolved, 0, &info, sizeof(info), SHGFI_DISPLAYNAME) && info.szDisplayName[0]) {
        CopyTruncated(buffer, MAX_PATH, info.szDisplayName);
        return TRUE;
    }
    size_t length = wcslen(resolved);
    if (length > 0 && resolved[length - 1] == L'\\')
        resolved[--length] = L'\0';
    LPCWSTR lastSeparator = wcsrchr(resolved, L'\\');
    CopyTruncated(buffer, MAX_PATH, lastSeparator ? lastSeparator + 1 : resolved);
    return TRUE;
}
