#include "menus/FolderMenu.h"

#include "lib/ShellLaunch.h"
#include "lib/MenuTree.h"

#include <algorithm>
#include <cwchar>

namespace {

// The text after the last "\", ignoring one trailing "\" so that a drive root ("C:\") is named "C:".
std::wstring LastComponentOfDirectory(LPCWSTR directory) {
    std::wstring text(directory);
    if (text.size() > 1 && text.back() == L'\\')
        text.pop_back();
    size_t backslash = text.rfind(L'\\');
    return backslash == std::wstring::npos ? text : text.substr(backslash + 1);
}

// Listings of subfolders run beside each other, so that one slow folder does not hold up the
// answers about the others.
const UINT kListingThreads = 3;

// Marks a build or a submenu reading folders; the answers that came meanwhile are applied after.
class CReadingScope {
public:
    explicit CReadingScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~CReadingScope() { --m_depth; }
    CReadingScope(const CReadingScope&) = delete;
    CReadingScope& operator=(const CReadingScope&) = delete;

private:
    int& m_depth;
};

} // namespace

CFolderMenu::CFolderMenu()
    : m_includeSubFolders(FALSE), m_allowSubFoldersNavigation(FALSE), m_allowSubFoldersLinksNavigation(FALSE),
      m_hideFilesExtension(FALSE), m_hideShortcutsOverlay(FALSE), m_mergeMenus(FALSE), m_foldersPosition(0),
      m_hOwner(nullptr), m_showingContextMenu(FALSE), m_runningCommands(0), m_iconsStale(FALSE), m_pListedFile(nullptr),
      m_listedPath(nullptr), m_readingDepth(0), m_background(kListingThreads) {}

void CFolderMenu::SetIconSize(int size) {
    if (size <= 0 || size == m_iconSize)
        return;
    m_iconSize = size;
    m_iconsStale = TRUE;
    // Marked icons are copies: the arrow of the old size is no longer needed.
    m_linkOverlay.Reset();
    m_shellIcons.SetIconSize(size);
}

CFolderMenu::~CFolderMenu() {
    // The workers are joined when the members go; a scan deep in a large tree ends at once.
    RetireVisibility();
    FreeLevels();
}

BOOL CFolderMenu::SetInclusionFilter(LPCWSTR filters) {
    m_inclusionFilter.reset(new CFileNameFilter(FileNameFilterInclusion, filters));
    SetFilterText(0, filters);
    return TRUE;
}

BOOL CFolderMenu::SetExclusionFilter(LPCWSTR filters) {
    m_exclusionFilter.reset(new CFileNameFilter(FileNameFilterExclusion, filters));
    SetFilterText(1, filters);
    return TRUE;
}

void CFolderMenu::SetFilterText(int kind, LPCWSTR filters) {
    if (m_filterTexts[kind] == (filters ? filters : L""))
        return;
    m_filterTexts[kind] = filters ? filters : L"";
    for (auto& shownFiles : m_shownFileOfFolder)
        shownFiles.clear();
    RetireVisibility();
}

void CFolderMenu::ApplyItemSettings(const CSingleFolderOptions& item) {
    SetExclusionFilter(item.ExclusionFilters);
    SetInclusionFilter(item.InclusionFilters);
    m_hideFilesExtension = item.HideFilesExtensionInPopupMenu;
    SetHideShortcutsOverlayInPopupMenu(item.HideShortcutsOverlayInPopupMenu);
    m_foldersPosition = static_cast<UINT>(item.FoldersPositionInPopupMenu);
    m_mergeMenus = item.MergeMenusInPopupMenu;
}

void CFolderMenu::FreeLevels() {
    m_levelsWithMenus.clear();
    m_root.reset();
}

std::unique_ptr<CPopUpMenu> CFolderMenu::CreateMenu(CFolderMenuLevel* parent) {
    std::unique_ptr<CPopUpMenu> menu(new CPopUpMenu());
    if (!menu->GetHandle())
        return nullptr;
    menu->SetParent(parent ? parent->GetMenu() : nullptr);
    menu->SetEvents(this);
    menu->SetIconSource(this);
    return menu;
}

std::unique_ptr<CFolderMenuLevel> CFolderMenu::CreateSubLevel() {
    if (!m_unopenedSubMenu)
        m_unopenedSubMenu.Reset(CreatePopupMenu());
    if (!m_unopenedSubMenu)
        return nullptr;
    return std::unique_ptr<CFolderMenuLevel>(new CFolderMenuLevel(nullptr));
}

BOOL CFolderMenu::GiveLevelMenu(CFolderMenuLevel* level, std::unique_ptr<CPopUpMenu> menu) {
    if (!menu)
        return FALSE;
    level->SetMenu(std::move(menu));
    m_levelsWithMenus.push_back(level);
    return TRUE;
}

std::unique_ptr<CPopUpMenu> CFolderMenu::TakeOverOrCreateMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent) {
    CFolderMenuLevel* previous = level->GetPrevious();
    if (!previous || !previous->GetMenu())
        return CreateMenu(parent);
    // The level is about to be read: its entries take over the icons of the entries before.
    KeepReusableIcons(previous, FALSE);
    std::unique_ptr<CPopUpMenu> menu = previous->TakeMenu();
    menu->SetParent(parent->GetMenu());
    return menu;
}

BOOL CFolderMenu::EnsureLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent) {
    return level->GetMenu() || GiveLevelMenu(level, TakeOverOrCreateMenu(level, parent));
}

BOOL CFolderMenu::OpenLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent, UINT position) {
    std::unique_ptr<CPopUpMenu> menu = TakeOverOrCreateMenu(level, parent);
    // Highlighting comes before opening, with the mouse and the keys alike, so the menu opens the
    // submenu set here.
    if (!menu || !parent->GetMenu()->ChangeItemSubMenu(position, menu->GetHandle()))
        return FALSE;
    return GiveLevelMenu(level, std::move(menu));
}

BOOL CFolderMenu::TakeOverSubMenu(CFolderMenuLevel* parent, CFolderMenuItem* entry) {
    CFolderMenuLevel* level = entry->SubMenuLevel();
    CFolderMenuLevel* previous = parent->GetPrevious();
    // A folder's submenu read with the build takes over the same folder's menu of the build before.
    for (size_t index = 0; previous && !level->GetMenu() && !level->GetPrevious() && index < previous->GetEntryCount();
         ++index) {
        CFolderMenuItem* shown = previous->GetEntry(index);
        if (shown->SubMenuLevel() && shown->m_paths.front() == entry->m_paths.front() && shown->m_name == entry->m_name)
            level->SetPrevious(shown->TakeSubMenuLevelToReuse());
    }
    return EnsureLevelMenu(level, parent);
}

BOOL CFolderMenu::Build(const MergedFolder* folders, UINT count, BOOL includeSubFolders, BOOL allowSubFoldersNavigation,
                        BOOL allowSubFoldersLinksNavigation) {
    // Timers also fire inside the menu's loop, and inside the modal loops a command may run (the
    // shell's prompts, an error box): a build then would free the menus on screen or the entry
    // the command opens. The owner builds again once the command is done.
    if (m_runningCommands > 0 || IsRootMenuOpen())
        return FALSE;
    if (!includeSubFolders != !m_includeSubFolders ||
        !allowSubFoldersLinksNavigation != !m_allowSubFoldersLinksNavigation)
        RetireVisibility();
    m_includeSubFolders = includeSubFolders;
    m_allowSubFoldersNavigation = allowSubFoldersNavigation;
    m_allowSubFoldersLinksNavigation = allowSubFoldersLinksNavigation;
    // Icons are kept across builds unless the shell said file types may show new ones, or the
    // arrow setting changed. Those of files no build since the last one listed are given back.
    m_iconCache.Clear();
    m_shortcutTargets[1] = std::move(m_shortcutTargets[0]);
    m_shortcutTargets[0].clear();
    m_shownFileOfFolder[1] = std::move(m_shownFileOfFolder[0]);
    m_shownFileOfFolder[0].clear();
    m_lateAnswers[1] = std::move(m_lateAnswers[0]);
    m_lateAnswers[0].clear();
    // The entries that waited for answers go with the levels.
    m_awaitedFolders.clear();
    m_folderAnswers.clear();
    CurrentVisibility();
    std::unique_ptr<CFolderMenuLevel> previousRoot = TakeReusableRoot();
    // A submenu kept for the next build keeps its icons until it is opened; the rest go now.
    if (!m_iconsStale && (previousRoot || m_root))
        KeepReusableIcons(previousRoot ? previousRoot.get() : m_root.get(), !previousRoot);
    FreeLevels();
    if (m_iconsStale) {
        m_unknownFolderIcon.Reset();
        m_typeIcons.Clear(m_iconSize);
        m_iconsStale = FALSE;
    }
    BOOL built;
    {
        CReadingScope reading(m_readingDepth);
        built = BuildLevels(folders, count, std::move(previousRoot));
    }
    ApplyFolderAnswers(nullptr);
    return built;
}

std::unique_ptr<CFolderMenuLevel> CFolderMenu::TakeReusableRoot() {
    // Identifiers only grow while the root menu lives, and WM_MENUSELECT tells 16 bits of them.
    const UINT kLastIdOfAReusedMenu = 0x8000;
    CPopUpMenu* menu = GetRootMenu();
    if (m_iconsStale || !menu || menu->GetLastCommandId() >= kLastIdOfAReusedMenu)
        return nullptr;
    m_levelsWithMenus.clear();
    return std::move(m_root);
}

void CFolderMenu::KeepReusableIcons(CFolderMenuLevel* level, BOOL withSubLevels) {
    std::vector<CFolderMenuLevel*> levels{level};
    while (!levels.empty()) {
        CFolderMenuLevel* kept = levels.back();
        levels.pop_back();
        for (size_t index = 0; index < kept->GetEntryCount(); ++index) {
            CFolderMenuItem* entry = kept->GetEntry(index);
            if (withSubLevels && entry->SubMenuLevel())
                levels.push_back(entry->SubMenuLevel());
            if (entry->m_hasIconStamp && entry->m_hIcon)
                m_iconCache.Keep(entry->m_paths.front(), entry->m_iconStamp, std::move(entry->m_hIcon));
        }
    }
}

BOOL CFolderMenu::BuildLevels(const MergedFolder* folders, UINT count, std::unique_ptr<CFolderMenuLevel> previousRoot) {
    BOOL listsAnything = count > 0 && folders;
    m_root.reset(new CFolderMenuLevel(nullptr));
    std::unique_ptr<CPopUpMenu> menu;
    if (previousRoot && listsAnything) {
        menu = previousRoot->TakeMenu();
        m_root->SetPrevious(std::move(previousRoot));
    } else {
        menu = CreateMenu(nullptr);
    }
    if (!GiveLevelMenu(m_root.get(), std::move(menu)))
        return FALSE;
    CFolderMenuLevel* root = m_root.get();
    if (!listsAnything)
        return TRUE;
    if (count == 1)
        return ReadFolderIntoLevel(root, folders[0].Directory, FALSE);

    root->SetFilled(TRUE);
    BOOL result = TRUE;
    if (m_mergeMenus) {
        for (UINT index = 0; index < count; ++index)
            ReadFolderIntoLevel(root, folders[index].Directory, TRUE);
        InsertLevelItems(root, TRUE);
        return result;
    }
    BuildSeparateFolders(folders, count, &result);
    return result;
}

void CFolderMenu::BuildSeparateFolders(const MergedFolder* folders, UINT count, BOOL* result) {
    CFolderMenuLevel* root = m_root.get();
    std::vector<CFolderMenuItem*> mergedEntries;
    for (UINT index = 0; index < count; ++index) {
        const MergedFolder& folder = folders[index];
        CFolderMenuItem* entry = nullptr;
        if (!folder.MergedMenu) {
            std::wstring name = LastComponentOfDirectory(folder.Directory);
            if (!AddEntry(root, folder.Directory, name.c_str(), TRUE, TRUE, FALSE, FALSE, &entry) || !entry ||
                !entry->SubMenuLevel() || !TakeOverSubMenu(root, entry)) {
                *result = FALSE;
                continue;
            }
            ReadFolderIntoLevel(entry->SubMenuLevel(), folder.Directory, FALSE);
            continue;
        }
        if (!AddEntry(root, folder.Directory, folder.MergedMenuName, TRUE, TRUE, TRUE, TRUE, &entry) || !entry ||
            !entry->SubMenuLevel() || !TakeOverSubMenu(root, entry)) {
            *result = FALSE;
            continue;
        }
        ReadFolderIntoLevel(entry->SubMenuLevel(), folder.Directory, TRUE);
        if (std::find(mergedEntries.begin(), mergedEntries.end(), entry) == mergedEntries.end())
            mergedEntries.push_back(entry);
    }
    // The submenus keep the order of the folders; a shared submenu stands where its first folder is.
    InsertLevelItems(root, FALSE);
    for (CFolderMenuItem* entry : mergedEntries)
        InsertLevelItems(entry->SubMenuLevel(), TRUE);
}

BOOL CFolderMenu::IsRootMenuOpen() const {
    CPopUpMenu* root = GetRootMenu();
    return root && CPopUpMenu::FindMenuWindow(root->GetHandle());
}

CPopUpMenu* CFolderMenu::GetRootMenu() const {
    return m_root ? m_root->GetMenu() : nullptr;
}

CFolderMenuItem* CFolderMenu::GetEntryOfCommand(UINT commandId) const {
    for (CFolderMenuLevel* level : m_levelsWithMenus) {
        if (CFolderMenuItem* entry = level->FindEntryOfCommand(commandId))
            return entry;
    }
    return nullptr;
}

BOOL CFolderMenu::RunCommand(UINT commandId) {
    CFolderMenuItem* entry = GetEntryOfCommand(commandId);
    if (!entry)
        return FALSE;
    ++m_runningCommands;
    BOOL opened = OpenFile(entry->m_paths.front().c_str());
    --m_runningCommands;
    return opened;
}

CFolderMenuLevel* CFolderMenu::FindLevelOfMenu(HMENU menu) const {
    for (CFolderMenuLevel* level : m_levelsWithMenus) {
        if (level->GetMenu() && level->GetMenu()->GetHandle() == menu)
            return level;
    }
    return nullptr;
}

CFolderMenuItem* CFolderMenu::FindEntryAt(HMENU menu, UINT position) const {
    CFolderMenuLevel* level = menu ? FindLevelOfMenu(menu) : nullptr;
    return level ? level->FindEntryOfCommand(MenuItemIdAt(menu, static_cast<int>(position))) : nullptr;
}

void CFolderMenu::OnMenuSelect(CPopUpMenu* menu, WPARAM wParam, LPARAM lParam) {
    (void)menu;
    if (!m_allowSubFoldersNavigation || !m_includeSubFolders)
        return;
    // 0xFFFF in the flags means the menu closed; every bit is set then, MF_POPUP included.
    UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF || !(flags & MF_POPUP))
        return;
    HMENU menuOfItem = reinterpret_cast<HMENU>(lParam);
    CFolderMenuLevel* level = FindLevelOfMenu(menuOfItem);
    CFolderMenuItem* entry = level ? level->FindEntryOfCommand(MenuItemIdAt(menuOfItem, LOWORD(wParam))) : nullptr;
    if (!entry || !entry->SubMenuLevel())
        return;
    CFolderMenuLevel* subMenuLevel = entry->SubMenuLevel();
    if (!subMenuLevel->GetMenu() && !OpenLevelMenu(subMenuLevel, level, LOWORD(wParam)))
        return;
    if (subMenuLevel->IsFilled())
        return;

    HCURSOR previousCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    {
        CReadingScope reading(m_readingDepth);
        // Reading adds entries (and levels) but never paths to this entry, and answers wait until
        // it is done, so the loop is safe.
        for (const std::wstring& path : entry->m_paths)
            ReadFolderIntoLevel(subMenuLevel, path.c_str(), TRUE);
        InsertLevelItems(subMenuLevel, TRUE);
    }
    ApplyFolderAnswers(nullptr);
    SetCursor(previousCursor);
}
