#include "menus/FolderMenu.h"

#include "lib/MenuTree.h"
#include "lib/ShellLaunch.h"

#include <algorithm>
#include <string>
#include <vector>
#include <cwchar>

namespace {

// Listings run beside each other, so that one slow folder does not hold up the answers about the
// others; one batch of icons at a time leaves the rest to listings.
const UINT kWorkerThreads = 3;

// The text after the last "\", ignoring one trailing "\" so that a drive root ("C:\") is named "C:".
std::wstring LastComponentOfDirectory(LPCWSTR directory) {
    std::wstring text(directory);
    if (text.size() > 1 && text.back() == L'\\')
        text.pop_back();
    size_t backslash = text.rfind(L'\\');
    return backslash == std::wstring::npos ? text : text.substr(backslash + 1);
}

} // namespace

CFolderMenu::CFolderMenu()
    : m_workers(CBackgroundWork::ShareOnThisThread(kWorkerThreads)), m_icons(m_workers),
      m_builder(this, &m_icons, &m_answers), m_answers(&m_builder, &m_icons, m_workers),
      m_listing(&m_builder, &m_shortcuts, &m_answers, m_workers), m_mergeMenus(FALSE), m_hOwner(nullptr),
      m_showingContextMenu(FALSE), m_runningCommands(0) {
    m_icons.SetArrival(&m_builder);
}

CFolderMenu::~CFolderMenu() {
    // The entries go before the answers that point at them and the icons they show.
    m_builder.FreeLevels();
}

BOOL CFolderMenu::SetInclusionFilter(LPCWSTR filters) {
    m_listing.SetInclusionFilter(filters);
    m_answers.SetFilterText(0, filters);
    return TRUE;
}

BOOL CFolderMenu::SetExclusionFilter(LPCWSTR filters) {
    m_listing.SetExclusionFilter(filters);
    m_answers.SetFilterText(1, filters);
    return TRUE;
}

void CFolderMenu::ApplyItemSettings(const CSingleFolderOptions& item) {
    SetExclusionFilter(item.ExclusionFilters);
    SetInclusionFilter(item.InclusionFilters);
    SetHideFilesExtensionInPopupMenu(item.HideFilesExtensionInPopupMenu);
    SetHideShortcutsOverlayInPopupMenu(item.HideShortcutsOverlayInPopupMenu);
    SetFoldersPositionInPopupMenu(static_cast<UINT>(item.FoldersPositionInPopupMenu));
    m_mergeMenus = item.MergeMenusInPopupMenu;
}

BOOL CFolderMenu::Build(const MergedFolder* folders, UINT count, const FolderMenuBuildOptions& options) {
    // Timers also fire inside the menu's loop, and inside the modal loops a command may run (the
    // shell's prompts, an error box): a build then would free the menus on screen or the entry
    // the command opens. The owner builds again once the command is done.
    if (m_runningCommands > 0 || IsRootMenuOpen())
        return FALSE;
    m_answers.SetOptions(options);
    m_listing.SetOptions(options);
    // Icons are kept across builds unless the shell said file types may show new ones, or the
    // arrow setting changed. Those of files no build since the last one listed are given back.
    m_icons.StartBuild();
    m_shortcuts.StartBuild();
    m_answers.StartBuild();
    m_listing.StartBuild();
    std::unique_ptr<CFolderMenuLevel> previousRoot = m_builder.TakeReusableRoot(m_icons.IsStale());
    // A submenu kept for the next build keeps its icons until it is opened; the rest go now.
    CFolderMenuLevel* shownBefore = previousRoot ? previousRoot.get() : m_builder.GetRoot();
    if (!m_icons.IsStale() && shownBefore)
        m_icons.KeepReusableIcons(shownBefore, !previousRoot);
    m_builder.FreeLevels();
    m_icons.RenewIfStale();
    m_answers.BeginReading();
    BOOL built = BuildLevels(folders, count, std::move(previousRoot));
    m_answers.EndReading();
    return built;
}

BOOL CFolderMenu::BuildLevels(const MergedFolder* folders, UINT count, std::unique_ptr<CFolderMenuLevel> previousRoot) {
    BOOL listsAnything = count > 0 && folders;
    if (!m_builder.StartRoot(listsAnything ? std::move(previousRoot) : std::unique_ptr<CFolderMenuLevel>()))
        return FALSE;
    CFolderMenuLevel* root = m_builder.GetRoot();
    if (!listsAnything)
        return TRUE;
    if (count == 1)
        return m_listing.ReadFolderIntoLevel(root, folders[0].Directory, FALSE);

    root->SetFilled(TRUE);
    if (!m_mergeMenus)
        return BuildSeparateFolders(folders, count);
    for (UINT index = 0; index < count; ++index)
        m_listing.ReadFolderIntoLevel(root, folders[index].Directory, TRUE);
    m_builder.InsertLevelItems(root, TRUE);
    return TRUE;
}

BOOL CFolderMenu::BuildSeparateFolders(const MergedFolder* folders, UINT count) {
    CFolderMenuLevel* root = m_builder.GetRoot();
    std::vector<CFolderMenuItem*> mergedEntries;
    BOOL result = TRUE;
    for (UINT index = 0; index < count; ++index) {
        const MergedFolder& folder = folders[index];
        FolderMenuEntryOptions options;
        options.isFolder = TRUE;
        options.makeSubMenu = TRUE;
        // Records with the merged flag share one submenu per merged name.
        options.mergeByName = folder.MergedMenu != 0;
        options.compareLastComponent = folder.MergedMenu != 0;
        std::wstring name = folder.MergedMenu ? folder.MergedMenuName : LastComponentOfDirectory(folder.Directory);
        CFolderMenuItem* entry = m_builder.AddEntry(root, folder.Directory, name.c_str(), options);
        if (!entry || !entry->SubMenuLevel() || !m_builder.TakeOverSubMenu(root, entry)) {
            result = FALSE;
            continue;
        }
        m_listing.ReadFolderIntoLevel(entry->SubMenuLevel(), folder.Directory, folder.MergedMenu != 0);
        if (folder.MergedMenu && std::find(mergedEntries.begin(), mergedEntries.end(), entry) == mergedEntries.end())
            mergedEntries.push_back(entry);
    }
    // The submenus keep the order of the folders; a shared submenu stands where its first folder is.
    m_builder.InsertLevelItems(root, FALSE);
    for (CFolderMenuItem* entry : mergedEntries)
        m_builder.InsertLevelItems(entry->SubMenuLevel(), TRUE);
    return result;
}

BOOL CFolderMenu::IsRootMenuOpen() const {
    CPopUpMenu* root = GetRootMenu();
    return root && CPopUpMenu::FindMenuWindow(root->GetHandle());
}

CPopUpMenu* CFolderMenu::GetRootMenu() const {
    return m_builder.GetRoot() ? m_builder.GetRoot()->GetMenu() : nullptr;
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

void CFolderMenu::OnMenuSelect(CPopUpMenu* menu, WPARAM wParam, LPARAM lParam) {
    (void)menu;
    const FolderMenuBuildOptions& options = m_listing.GetOptions();
    if (!options.allowSubFoldersNavigation || !options.includeSubFolders)
        return;
    // 0xFFFF in the flags means the menu closed; every bit is set then, MF_POPUP included.
    UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF || !(flags & MF_POPUP))
        return;
    HMENU menuOfItem = reinterpret_cast<HMENU>(lParam);
    CFolderMenuLevel* level = m_builder.FindLevelOfMenu(menuOfItem);
    CFolderMenuItem* entry = level ? level->FindEntryOfCommand(MenuItemIdAt(menuOfItem, LOWORD(wParam))) : nullptr;
    if (!entry || !entry->SubMenuLevel())
        return;
    CFolderMenuLevel* subMenuLevel = entry->SubMenuLevel();
    if (!subMenuLevel->GetMenu() && !m_builder.OpenLevelMenu(subMenuLevel, level, LOWORD(wParam)))
        return;
    if (subMenuLevel->IsFilled())
        return;

    HCURSOR previousCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    m_listing.ReadSubMenuLevel(subMenuLevel, entry->m_paths);
    SetCursor(previousCursor);
}
