#include "config/SingleFolderOptions.h"

#include "config/IniFile.h"
#include "config/IniFileEx.h"
#include "config/SettingKey.h"
#include "config/SpecialPath.h"
#include "lib/MonitorRect.h"
#include "lib/StringCopy.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

namespace {

using Folder = CSingleFolderOptions;

const WCHAR kDefaultPath[] = L"c:\\";
const WCHAR kMissingKeyMarker[] = L"\x1F<missing>\x1F";
// Keys of the indexed records, formatted with the record's index.
const WCHAR kDirectoryKey[] = L"Directory_%u";
const WCHAR kMergedMenuKey[] = L"MergedMenu_%u";
const WCHAR kMergedMenuNameKey[] = L"MergedMenuName_%u";
const WCHAR kIconNameKey[] = L"HomeFolderItemName_%u";
const WCHAR kIconXKey[] = L"HomeFolderItemPosX_%u";
const WCHAR kIconYKey[] = L"HomeFolderItemPosY_%u";

bool KeyExists(IConfigReader& reader, LPCWSTR key) {
    WCHAR value[16];
    reader.ReadString(key, kMissingKeyMarker, value, ARRAYSIZE(value));
    return wcscmp(value, kMissingKeyMarker) != 0;
}

template <size_t N> void FormatIndexedKey(WCHAR (&key)[N], LPCWSTR format, UINT index) {
    swprintf(key, N, format, index);
}

// Record counts are read as stored; a count beyond reason (a damaged file, or -1) is cut to the
// records that really exist, found by their first key, so a start never hangs on it.
UINT LoadRecordCount(IConfigReader& reader, LPCWSTR countKey, LPCWSTR firstKeyFormat) {
    UINT count = static_cast<UINT>(ReadIntValue(reader, countKey, 0));
    if (count <= kMaxIniArrayElements)
        return count;
    UINT existing = 0;
    WCHAR key[64];
    for (; existing < kMaxIniArrayElements; ++existing) {
        FormatIndexedKey(key, firstKeyFormat, existing);
        if (!KeyExists(reader, key))
            break;
    }
    return existing;
}

void LoadMergedFolders(IConfigReader& reader, LPCWSTR countKey, Folder& item) {
    UINT count = LoadRecordCount(reader, countKey, kDirectoryKey);
    for (UINT i = 0; i < count; ++i) {
        MergedFolder folder;
        WCHAR key[64];
        FormatIndexedKey(key, kDirectoryKey, i);
        reader.ReadString(key, kDefaultPath, folder.Directory, ARRAYSIZE(folder.Directory));
        FormatIndexedKey(key, kMergedMenuKey, i);
        folder.MergedMenu = ReadIntValue(reader, key, 0);
        FormatIndexedKey(key, kMergedMenuNameKey, i);
        reader.ReadString(key, L"MergedFolder", folder.MergedMenuName, ARRAYSIZE(folder.MergedMenuName));
        item.MergedFolders->push_back(folder);
    }
}

void SaveMergedFolders(IConfigWriter& writer, LPCWSTR countKey, const Folder& item) {
    writer.WriteInt(countKey, static_cast<INT>(item.MergedFolders->size()));
    for (UINT i = 0; i < item.MergedFolders->size(); ++i) {
        const MergedFolder& folder = (*item.MergedFolders)[i];
        WCHAR key[64];
        FormatIndexedKey(key, kDirectoryKey, i);
        writer.WriteString(key, folder.Directory);
        FormatIndexedKey(key, kMergedMenuKey, i);
        writer.WriteInt(key, folder.MergedMenu);
        FormatIndexedKey(key, kMergedMenuNameKey, i);
        writer.WriteString(key, folder.MergedMenuName);
    }
}

void AppendMergedFolders(const Folder& source, Folder& destination) {
    destination.MergedFolders->insert(destination.MergedFolders->end(), source.MergedFolders->begin(),
                                      source.MergedFolders->end());
}

void LoadIconPositions(IConfigReader& reader, LPCWSTR countKey, Folder& item) {
    UINT count = LoadRecordCount(reader, countKey, kIconNameKey);
    for (UINT i = 0; i < count; ++i) {
        HomeFolderIconPosition position;
        WCHAR key[64];
        FormatIndexedKey(key, kIconNameKey, i);
        reader.ReadString(key, L"", position.Name, ARRAYSIZE(position.Name));
        FormatIndexedKey(key, kIconXKey, i);
        position.X = ReadIntValue(reader, key, 0);
        FormatIndexedKey(key, kIconYKey, i);
        position.Y = ReadIntValue(reader, key, 0);
        item.HomeFolderIconPositions->push_back(position);
    }
}

void SaveIconPositions(IConfigWriter& writer, LPCWSTR countKey, const Folder& item) {
    writer.WriteInt(countKey, static_cast<INT>(item.HomeFolderIconPositions->size()));
    for (UINT i = 0; i < item.HomeFolderIconPositions->size(); ++i) {
        const HomeFolderIconPosition& position = (*item.HomeFolderIconPositions)[i];
        WCHAR key[64];
        FormatIndexedKey(key, kIconNameKey, i);
        writer.WriteString(key, position.Name);
        FormatIndexedKey(key, kIconXKey, i);
        writer.WriteInt(key, position.X);
        FormatIndexedKey(key, kIconYKey, i);
        writer.WriteInt(key, position.Y);
    }
}

void AppendIconPositions(const Folder& source, Folder& destination) {
    destination.HomeFolderIconPositions->insert(destination.HomeFolderIconPositions->end(),
                                                source.HomeFolderIconPositions->begin(),
                                                source.HomeFolderIconPositions->end());
}

bool IsMultipleFoldersMenu(const Folder& item) {
    return item.FolderPresentationType == FolderPresentationMultipleFoldersMenu;
}

// The identifier is read whenever present but written only once given, so a file of items that
// never had one saves byte for byte as before until the application gives them theirs. A
// condition of the table would also skip the reading, hence a row of its own kind.
void LoadIdentifier(IConfigReader& reader, LPCWSTR key, Folder& item) {
    reader.ReadString(key, L"", item.ItemIdentifier, ARRAYSIZE(item.ItemIdentifier));
}

void SaveIdentifier(IConfigWriter& writer, LPCWSTR key, const Folder& item) {
    if (item.ItemIdentifier[0])
        writer.WriteString(key, item.ItemIdentifier);
}

void CopyIdentifier(const Folder& source, Folder& destination) {
    CopyTruncated(destination.ItemIdentifier, ARRAYSIZE(destination.ItemIdentifier), source.ItemIdentifier);
}

bool KeepsIconPositions(const Folder& item) {
    return item.SaveIconsPositionsForHomeFolder != FALSE;
}

// The browser opens at a third of the work area, a third of its size, until it was moved.
INT ThirdOfWorkAreaWidth(const Folder&) {
    return GetFirstMonitorWorkAreaSize().cx / 3;
}

INT ThirdOfWorkAreaHeight(const Folder&) {
    return GetFirstMonitorWorkAreaSize().cy / 3;
}

// Launch bar buttons without images of their own for hover and press show the normal icon.
LPCWSTR NormalIconPath(const Folder& item) {
    return item.AssociatedIconPath;
}

INT NormalIconIndex(const Folder& item) {
    return item.AssociatedIconIndex;
}

constexpr RecordsField<Folder> kMergedFolders = {LoadMergedFolders, SaveMergedFolders, AppendMergedFolders};
constexpr RecordsField<Folder> kIconPositions = {LoadIconPositions, SaveIconPositions, AppendIconPositions};
constexpr RecordsField<Folder> kIdentifier = {LoadIdentifier, SaveIdentifier, CopyIdentifier};

constexpr SettingKey<Folder> kFolderKeys[] = {
    {L"FolderPresentationType", &Folder::FolderPresentationType, FolderPresentationMenu},
    {L"DisplayName", Text<&Folder::DisplayName>(), L"", IsMultipleFoldersMenu},
    {L"MultipleDirectoriesNumber", kMergedFolders, IsMultipleFoldersMenu},
    {L"Path", Text<&Folder::Path>(), kDefaultPath},
    {L"AssociatedIconPath", Text<&Folder::AssociatedIconPath>(), L""},
    {L"AssociatedIconIndex", &Folder::AssociatedIconIndex, 0},
    {L"AssociatedHotIconPath", Text<&Folder::AssociatedHotIconPath>(), NormalIconPath},
    {L"AssociatedHotIconIndex", &Folder::AssociatedHotIconIndex, NormalIconIndex},
    {L"AssociatedDownIconPath", Text<&Folder::AssociatedDownIconPath>(), NormalIconPath},
    {L"AssociatedDownIconIndex", &Folder::AssociatedDownIconIndex, NormalIconIndex},
    // Missing from a file, the button sits at the left; the constructor centres a new item's.
    {L"AssociatedIconPosition", &Folder::AssociatedIconPosition, 0},
    {L"IncludeSubFolders", &Folder::IncludeSubFolders, TRUE},
    {L"AllowSubFoldersNavigation", &Folder::AllowSubFoldersNavigation, TRUE},
    {L"AllowSubFoldersLinksNavigation", &Folder::AllowSubFoldersLinksNavigation, TRUE},
    {L"InclusionFilters", Text<&Folder::InclusionFilters>(), L""},
    {L"ExclusionFilters", Text<&Folder::ExclusionFilters>(), L""},
    {L"HideFilesExtensionInPopupMenu", &Folder::HideFilesExtensionInPopupMenu, TRUE},
    {L"HideShortcutsOverlayInPopupMenu", &Folder::HideShortcutsOverlayInPopupMenu, TRUE},
    {L"FoldersPositionInPopupMenu", &Folder::FoldersPositionInPopupMenu, 0},
    {L"MergeMenusInPopupMenu", &Folder::MergeMenusInPopupMenu, TRUE},
    {L"FolderViewMode", &Folder::FolderViewMode, 3},
    {L"RememberLastPosition", &Folder::RememberLastPosition, TRUE},
    {L"OneClickActivate", &Folder::OneClickActivate, TRUE},
    {L"AutoHideOnFileExecution", &Folder::AutoHideOnFileExecution, TRUE},
    {L"IsMaximized", &Folder::IsMaximized, FALSE},
    {L"BrowserWidth", LengthField<Folder>{&Folder::WindowRect, &RECT::left, &RECT::right}, ThirdOfWorkAreaWidth},
    {L"BrowserHeight", LengthField<Folder>{&Folder::WindowRect, &RECT::top, &RECT::bottom}, ThirdOfWorkAreaHeight},
    {L"BrowserSizeDpi", &Folder::BrowserSizeDpi, 0},
    {L"WindowPositionX", &Folder::WindowPositionX, ThirdOfWorkAreaWidth},
    {L"WindowPositionY", &Folder::WindowPositionY, ThirdOfWorkAreaHeight},
    {L"ZOrder", &Folder::ZOrder, 0},
    {L"HideToolBarForHomeFolder", &Folder::HideToolBarForHomeFolder, FALSE},
    {L"HideToolBar", &Folder::HideToolBar, FALSE},
    {L"ShowAtStartup", &Folder::ShowAtStartup, FALSE},
    {L"StartMaximized", &Folder::StartMaximized, FALSE},
    {L"SaveIconsPositionsForHomeFolder", &Folder::SaveIconsPositionsForHomeFolder, TRUE},
    {L"NbIconsInHomeFolder", kIconPositions, KeepsIconPositions},
    {L"TextColorSepcified", &Folder::TextColorSepcified, FALSE},
    {L"TextColor", &Folder::TextColor, 0},
    {L"TextBackgroundColorSepcified", &Folder::TextBackgroundColorSepcified, FALSE},
    {L"TextBackgroundColor", &Folder::TextBackgroundColor, 0xFFFFFF},
    {L"BackgroundType", &Folder::BackgroundType, 0},
    {L"BackgroundColor", &Folder::BackgroundColor, 0},
    {L"BackgroundColor1", &Folder::BackgroundColor1, 0x00FF00},
    {L"BackgroundColor2", &Folder::BackgroundColor2, 0xFF0000},
    {L"BackgroundGradiantType", &Folder::BackgroundGradiantType, 0},
    {L"BackgroundImagePath", Text<&Folder::BackgroundImagePath>(), L""},
    {L"BackgroundImagePosition", &Folder::BackgroundImagePosition, 0},
    {L"HotKeyModifier", &Folder::HotKeyModifier, 0},
    {L"HotKeyVirtualKey", &Folder::HotKeyVirtualKey, 0},
    {L"EnableHotCorner", &Folder::EnableHotCorner, FALSE},
    {L"HotCornerScreenIndex", &Folder::HotCornerScreenIndex, 0},
    {L"HotCornerPosition", &Folder::HotCornerPosition, 0},
    {L"HotCornerWidth", &Folder::HotCornerWidth, 8},
    {L"HotCornerHeight", &Folder::HotCornerHeight, 8},
    {L"LaunchBarFreeSpaceBeforeIcon", &Folder::LaunchBarFreeSpaceBeforeIcon, 0},
    // Last, so that files written before items had identifiers keep their key order.
    {L"ItemIdentifier", kIdentifier},
};

} // namespace

SIZE GetFirstMonitorWorkAreaSize() {
    // Every item asks four times at construction and four at load, and asking costs about half a
    // millisecond under Wine, which made loading 100 items take 0.4 s. One answer serves every
    // item of a load; the work area only changes when the user moves the taskbar or a monitor.
    static const ULONGLONG kAnswerLifetimeMs = 250;
    static SIZE lastSize = {0, 0};
    static ULONGLONG askedAt = 0;
    static bool asked = false;
    ULONGLONG now = GetTickCount64();
    if (asked && now - askedAt < kAnswerLifetimeMs)
        return lastSize;
    std::vector<MonitorAreas> monitors = EnumerateMonitors();
    RECT work = monitors.empty() ? RECT{0, 0, 0, 0} : monitors[0].Work;
    lastSize = {work.right - work.left, work.bottom - work.top};
    askedAt = now;
    asked = true;
    return lastSize;
}

CSingleFolderOptions::CSingleFolderOptions()
    : HomeFolderIconPositions(new std::vector<HomeFolderIconPosition>()),
      MergedFolders(new std::vector<MergedFolder>()) {
    ItemIdentifier[0] = L'\0';
    ApplyDefaultSettings(kFolderKeys, *this);
    AssociatedIconPosition = 1; // a new item centres its launch bar button
}

CSingleFolderOptions::~CSingleFolderOptions() {
    delete HomeFolderIconPositions;
    delete MergedFolders;
}

BOOL CSingleFolderOptions::Load(CIniFile& file) {
    LoadSettings(kFolderKeys, static_cast<IConfigReader&>(file), *this);
    // A desktop item always shows the desktop, whatever path its file holds.
    if (FolderPresentationType == FolderPresentationDesktop)
        CopyTruncated(Path, ARRAYSIZE(Path), FormatSpecialPath(CSIDL_DESKTOP).c_str());
    if (StartMaximized)
        IsMaximized = TRUE;
    return TRUE;
}

BOOL CSingleFolderOptions::Save(CIniFile& file) {
    SaveSettings(kFolderKeys, static_cast<IConfigWriter&>(file), *this);
    return TRUE;
}

void CSingleFolderOptions::CopyFolderOptions(const CSingleFolderOptions& source, CSingleFolderOptions& destination) {
    CopySettings(kFolderKeys, source, destination);
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
