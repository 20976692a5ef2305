#include "menus/FolderMenu.h"

#include <string_view>
#include <unordered_map>

namespace {

const WCHAR kEmptyLevelText[] = L"Empty";

void CutExtension(std::wstring& name) {
    size_t dot = name.rfind(L'.');
    size_t backslash = name.rfind(L'\\');
    if (dot != std::wstring::npos && (backslash == std::wstring::npos || dot > backslash))
        name.resize(dot);
}

// Whether the item at the position, which shows `shown`, can show `entry` as it is: same path,
// name and kind. (The submenu's level of `shown` may have been taken over already.)
BOOL ShowsSameEntry(HMENU menu, UINT position, const CFolderMenuItem& shown, const CFolderMenuItem& entry) {
    return shown.m_name == entry.m_name && !shown.m_isFolder == !entry.m_isFolder &&
           !GetSubMenu(menu, static_cast<int>(position)) == !entry.SubMenuLevel();
}

void RemoveAllItems(CPopUpMenu* menu) {
    menu->ClearDeferredIcons();
    // RemoveMenu, unlike DeleteMenu, leaves the submenus alive: their levels destroy them.
    for (int position = GetMenuItemCount(menu->GetHandle()) - 1; position >= 0; --position)
        RemoveMenu(menu->GetHandle(), static_cast<UINT>(position), MF_BYPOSITION);
}

} // namespace

BOOL CFolderMenu::InsertLevelItems(CFolderMenuLevel* level, BOOL sort) {
    CPopUpMenu* menu = level ? level->GetMenu() : nullptr;
    if (!menu)
        return FALSE;
    // Folders found empty in time are left out rather than shown and taken away again.
    AwaitLevelAnswers(level);
    level->ForgetNames();
    if (sort && level->GetEntryCount() >= 2)
        level->SortEntries(m_foldersPosition);
    CutExtensions(level);

    // Destroyed on return, with the submenus of entries that are gone.
    std::unique_ptr<CFolderMenuLevel> previous = level->TakePrevious();
    BOOL changed = previous && ChangeLevelItems(level, previous.get());
    if (!changed) {
        // Also for a merged submenu joining one whose folder was listed and inserted already.
        RemoveAllItems(menu);
        if (level->GetEntryCount() == 0)
            AppendEmptyLevelItem(menu);
        UINT position = 0;
        for (size_t index = 0; index < level->GetEntryCount(); ++index) {
            if (InsertEntryItem(menu, level->GetEntry(index), position))
                ++position;
        }
    }
    if (previous)
        menu->DropUnusedItemBitmaps();
    return TRUE;
}

void CFolderMenu::AppendEmptyLevelItem(CPopUpMenu* menu) {
    UINT commandId = menu->AppendTextItem(kEmptyLevelText);
    if (commandId)
        EnableMenuItem(menu->GetHandle(), commandId, MF_BYCOMMAND | MF_GRAYED);
}

void CFolderMenu::CutExtensions(CFolderMenuLevel* level) {
    if (!m_hideFilesExtension)
        return;
    for (size_t index = 0; index < level->GetEntryCount(); ++index) {
        CFolderMenuItem* entry = level->GetEntry(index);
        if (!entry->m_isFolder && !entry->m_extensionCut) {
            CutExtension(entry->m_name);
            entry->m_extensionCut = TRUE;
        }
    }
}

HMENU CFolderMenu::SubMenuHandleOf(const CFolderMenuItem* entry) const {
    const CFolderMenuLevel* level = entry->SubMenuLevel();
    if (level->GetMenu())
        return level->GetMenu()->GetHandle();
    if (level->GetPrevious() && level->GetPrevious()->GetMenu())
        return level->GetPrevious()->GetMenu()->GetHandle();
    return m_unopenedSubMenu.Get();
}

UINT CFolderMenu::InsertEntryItem(CPopUpMenu* menu, CFolderMenuItem* entry, UINT position) {
    UINT commandId = 0;
    if (entry->m_isFolder && entry->SubMenuLevel())
        commandId = menu->InsertSubMenuItem(entry->m_name.c_str(), SubMenuHandleOf(entry), entry->Icon(), position);
    else
        commandId = menu->InsertItem(entry->m_name.c_str(), entry->Icon(), position, menu->NextCommandId());
    entry->m_commandId = commandId;
    entry->m_hShownIcon = entry->Icon();
    if (commandId && entry->m_iconPending)
        menu->DeferItemIcon(commandId, reinterpret_cast<ULONG_PTR>(entry));
    return commandId;
}

BOOL CFolderMenu::ChangeLevelItems(CFolderMenuLevel* level, CFolderMenuLevel* previous) {
    // The previous entries that got an item are the menu's items, in order.
    std::vector<CFolderMenuItem*> shown;
    for (size_t index = 0; index < previous->GetEntryCount(); ++index) {
        if (previous->GetEntry(index)->m_commandId)
            shown.push_back(previous->GetEntry(index));
    }
    CPopUpMenu* menu = level->GetMenu();
    if (shown.empty() || level->GetEntryCount() == 0 || GetMenuItemCount(menu->GetHandle()) != int(shown.size()))
        return FALSE;

    // Both lists are in menu order, so the entries kept are those found in the same order.
    std::unordered_map<std::wstring_view, size_t> shownAt;
    shownAt.reserve(shown.size());
    for (size_t index = 0; index < shown.size(); ++index)
        shownAt.emplace(shown[index]->m_paths.front(), index);
    std::vector<CFolderMenuItem*> keptAs(shown.size(), nullptr);
    std::vector<CFolderMenuItem*> showing(level->GetEntryCount(), nullptr);
    size_t nextAllowed = 0;
    for (size_t index = 0; index < level->GetEntryCount(); ++index) {
        CFolderMenuItem* entry = level->GetEntry(index);
        auto found = shownAt.find(entry->m_paths.front());
        if (found == shownAt.end() || found->second < nextAllowed ||
            !ShowsSameEntry(menu->GetHandle(), static_cast<UINT>(found->second), *shown[found->second], *entry))
            continue;
        keptAs[found->second] = entry;
        showing[index] = shown[found->second];
        nextAllowed = found->second + 1;
    }

    // The deferred icons name the previous entries; the new ones are deferred again below.
    menu->ClearDeferredIcons();
    // From the end, so that the positions still to remove stay where they were.
    for (size_t index = shown.size(); index-- > 0;) {
        if (!keptAs[index])
            RemoveMenu(menu->GetHandle(), static_cast<UINT>(index), MF_BYPOSITION);
    }
    UINT position = 0;
    for (size_t index = 0; index < level->GetEntryCount(); ++index) {
        CFolderMenuItem* entry = level->GetEntry(index);
        if (!showing[index]) {
            if (InsertEntryItem(menu, entry, position))
                ++position;
            continue;
        }
        ChangeKeptItem(menu, position, showing[index], entry);
        ++position;
    }
    return TRUE;
}

void CFolderMenu::ChangeKeptItem(CPopUpMenu* menu, UINT position, CFolderMenuItem* shown, CFolderMenuItem* entry) {
    entry->m_commandId = shown->m_commandId;
    entry->m_hShownIcon = shown->m_hShownIcon;
    // A folder found empty while its menu was open was only disabled; the folder is back.
    if (!shown->m_holdsShownFile && shown->m_foldersAwaited == 0)
        EnableMenuItem(menu->GetHandle(), position, MF_BYPOSITION | MF_ENABLED);
    if (entry->Icon() != entry->m_hShownIcon && menu->ChangeItemIcon(position, entry->Icon()))
        entry->m_hShownIcon = entry->Icon();
    if (entry->m_iconPending)
        menu->DeferItemIcon(entry->m_commandId, reinterpret_cast<ULONG_PTR>(entry));
    CFolderMenuLevel* subMenuLevel = entry->SubMenuLevel();
    if (!subMenuLevel)
        return;
    // A submenu not read yet takes over the earlier menu when it is opened.
    if (!subMenuLevel->GetMenu())
        subMenuLevel->SetPrevious(shown->TakeSubMenuLevelToReuse());
    HMENU subMenu = SubMenuHandleOf(entry);
    if (GetSubMenu(menu->GetHandle(), static_cast<int>(position)) != subMenu)
        menu->ChangeItemSubMenu(position, subMenu);
}
