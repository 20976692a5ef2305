#include "menus/FolderMenuLevelBuilder.h"

#include "lib/MenuTree.h"
#include "menus/FolderMenuIconSource.h"

#include <string_view>
#include <unordered_map>

namespace {

const WCHAR kEmptyLevelText[] = L"Empty";
const WCHAR kLevelBeingReadText[] = L"\u2026";

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

CFolderMenuLevelBuilder::CFolderMenuLevelBuilder(IPopUpMenuEvents* events, CFolderMenuIconSource* icons,
                                                 IFolderMenuLevelInsertion* insertion)
    : m_pEvents(events), m_pIcons(icons), m_pInsertion(insertion) {}

void CFolderMenuLevelBuilder::FreeLevels() {
    m_levelsWithMenus.clear();
    m_root.reset();
}

std::unique_ptr<CPopUpMenu> CFolderMenuLevelBuilder::CreateMenu(CFolderMenuLevel* parent) {
    std::unique_ptr<CPopUpMenu> menu(new CPopUpMenu());
    if (!menu->GetHandle())
        return nullptr;
    menu->SetParent(parent ? parent->GetMenu() : nullptr);
    menu->SetEvents(m_pEvents);
    menu->SetIconSource(m_pIcons);
    return menu;
}

std::unique_ptr<CFolderMenuLevel> CFolderMenuLevelBuilder::CreateSubLevel() {
    if (!m_unopenedSubMenu)
        m_unopenedSubMenu.Reset(CreatePopupMenu());
    if (!m_unopenedSubMenu)
        return nullptr;
    return std::unique_ptr<CFolderMenuLevel>(new CFolderMenuLevel(nullptr));
}

BOOL CFolderMenuLevelBuilder::GiveLevelMenu(CFolderMenuLevel* level, std::unique_ptr<CPopUpMenu> menu) {
    if (!menu)
        return FALSE;
    level->SetMenu(std::move(menu));
    m_levelsWithMenus.push_back(level);
    return TRUE;
}

std::unique_ptr<CPopUpMenu> CFolderMenuLevelBuilder::TakeOverOrCreateMenu(CFolderMenuLevel* level,
                                                                          CFolderMenuLevel* parent) {
    CFolderMenuLevel* previous = level->GetPrevious();
    if (!previous || !previous->GetMenu())
        return CreateMenu(parent);
    // The level is about to be read: its entries take over the icons of the entries before.
    m_pIcons->KeepReusableIcons(previous, FALSE);
    std::unique_ptr<CPopUpMenu> menu = previous->TakeMenu();
    menu->SetParent(parent->GetMenu());
    return menu;
}

BOOL CFolderMenuLevelBuilder::EnsureLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent) {
    return level->GetMenu() || GiveLevelMenu(level, TakeOverOrCreateMenu(level, parent));
}

BOOL CFolderMenuLevelBuilder::OpenLevelMenu(CFolderMenuLevel* level, CFolderMenuLevel* parent, UINT position) {
    std::unique_ptr<CPopUpMenu> menu = TakeOverOrCreateMenu(level, parent);
    // Highlighting comes before opening, with the mouse and the keys alike, so the menu opens the
    // submenu set here.
    if (!menu || !parent->GetMenu()->ChangeItemSubMenu(position, menu->GetHandle()))
        return FALSE;
    return GiveLevelMenu(level, std::move(menu));
}

BOOL CFolderMenuLevelBuilder::TakeOverSubMenu(CFolderMenuLevel* parent, CFolderMenuItem* entry) {
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

std::unique_ptr<CFolderMenuLevel> CFolderMenuLevelBuilder::TakeReusableRoot(BOOL iconsStale) {
    // Identifiers only grow while the root menu lives, and WM_MENUSELECT tells 16 bits of them.
    const UINT kLastIdOfAReusedMenu = 0x8000;
    CPopUpMenu* menu = m_root ? m_root->GetMenu() : nullptr;
    if (iconsStale || !menu || menu->GetLastCommandId() >= kLastIdOfAReusedMenu)
        return nullptr;
    m_levelsWithMenus.clear();
    return std::move(m_root);
}

BOOL CFolderMenuLevelBuilder::StartRoot(std::unique_ptr<CFolderMenuLevel> previousRoot) {
    m_root.reset(new CFolderMenuLevel(nullptr));
    std::unique_ptr<CPopUpMenu> menu;
    if (previousRoot) {
        menu = previousRoot->TakeMenu();
        m_root->SetPrevious(std::move(previousRoot));
    } else {
        menu = CreateMenu(nullptr);
    }
    return GiveLevelMenu(m_root.get(), std::move(menu));
}

CFolderMenuItem* CFolderMenuLevelBuilder::GetEntryOfCommand(UINT commandId) const {
    for (CFolderMenuLevel* level : m_levelsWithMenus) {
        if (CFolderMenuItem* entry = level->FindEntryOfCommand(commandId))
            return entry;
    }
    return nullptr;
}

CFolderMenuLevel* CFolderMenuLevelBuilder::FindLevelOfMenu(HMENU menu) const {
    for (CFolderMenuLevel* level : m_levelsWithMenus) {
        if (level->GetMenu() && level->GetMenu()->GetHandle() == menu)
            return level;
    }
    return nullptr;
}

CFolderMenuItem* CFolderMenuLevelBuilder::FindEntryAt(HMENU menu, UINT position) const {
    CFolderMenuLevel* level = menu ? FindLevelOfMenu(menu) : nullptr;
    return level ? level->FindEntryOfCommand(MenuItemIdAt(menu, static_cast<int>(position))) : nullptr;
}

CFolderMenuItem* CFolderMenuLevelBuilder::AddEntry(CFolderMenuLevel* level, LPCWSTR path, LPCWSTR name,
                                                   const FolderMenuEntryOptions& options) {
    // Merged names are settled before the icon is asked for: an icon fetched only to be destroyed
    // would cost a large folder most of its listing time.
    CFolderMenuItem* found = options.mergeByName ? level->FindByName(name, options.compareLastComponent) : nullptr;
    if (found) {
        if (options.makeSubMenu)
            found->AddPath(path);
        return found;
    }
    std::unique_ptr<CFolderMenuLevel> subMenuLevel;
    if (options.makeSubMenu && !(subMenuLevel = CreateSubLevel()))
        return nullptr;
    std::unique_ptr<CFolderMenuItem> created(
        new CFolderMenuItem(path, name, options.isFolder, std::move(subMenuLevel)));
    m_pIcons->AttachEntryIcon(created.get(), options.listedStamp);
    return level->Append(std::move(created));
}

BOOL CFolderMenuLevelBuilder::InsertLevelItems(CFolderMenuLevel* level, BOOL sort) {
    CPopUpMenu* menu = level ? level->GetMenu() : nullptr;
    if (!menu)
        return FALSE;
    // Folders found empty in time are left out rather than shown and taken away again.
    m_pInsertion->BeforeInsertingLevel(level);
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

void CFolderMenuLevelBuilder::AppendEmptyLevelItem(CPopUpMenu* menu) {
    UINT commandId = menu->AppendTextItem(kEmptyLevelText);
    if (commandId)
        EnableMenuItem(menu->GetHandle(), commandId, MF_BYCOMMAND | MF_GRAYED);
}

void CFolderMenuLevelBuilder::CutExtensions(CFolderMenuLevel* level) {
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

HMENU CFolderMenuLevelBuilder::SubMenuHandleOf(const CFolderMenuItem* entry) const {
    const CFolderMenuLevel* level = entry->SubMenuLevel();
    if (level->GetMenu())
        return level->GetMenu()->GetHandle();
    if (level->GetPrevious() && level->GetPrevious()->GetMenu())
        return level->GetPrevious()->GetMenu()->GetHandle();
    return m_unopenedSubMenu.Get();
}

UINT CFolderMenuLevelBuilder::InsertEntryItem(CPopUpMenu* menu, CFolderMenuItem* entry, UINT position) {
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

BOOL CFolderMenuLevelBuilder::ChangeLevelItems(CFolderMenuLevel* level, CFolderMenuLevel* previous) {
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

void CFolderMenuLevelBuilder::ChangeKeptItem(CPopUpMenu* menu, UINT position, CFolderMenuItem* shown,
                                             CFolderMenuItem* entry) {
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
void CFolderMenuLevelBuilder::ShowResolvedIcon(CFolderMenuLevel* level, CFolderMenuItem* entry) {
    if (!entry->m_hUnknownIcon)
        return;
    entry->m_hUnknownIcon = nullptr;
    CPopUpMenu* menu = level->GetMenu();
    int position = (menu && entry->m_commandId) ? menu->GetItemPosition(entry->m_commandId) : -1;
    if (position < 0 || !menu->ChangeItemIcon(static_cast<UINT>(position), entry->Icon()))
        return;
    entry->m_hShownIcon = entry->Icon();
    if (HWND window = CPopUpMenu::FindMenuWindow(menu->GetHandle()))
        InvalidateRect(window, nullptr, FALSE);
}
void CFolderMenuLevelBuilder::HideEmptyEntry(CFolderMenuLevel* level, CFolderMenuItem* entry) {
    CPopUpMenu* menu = level->GetMenu();
    if (!entry->m_commandId || !menu) {
        m_pIcons->Forget(entry);
        level->Remove(entry);
        return;
    }
    // Items that vanish from a menu on screen make the rest jump under the mouse, and a menu once
    // opened keeps its size: there the item is only disabled, and the next showing leaves it out.
    // A submenu opened already belongs to the levels the menu may still show.
    if (CPopUpMenu::FindMenuWindow(menu->GetHandle()) || (entry->SubMenuLevel() && entry->SubMenuLevel()->GetMenu())) {
        EnableMenuItem(menu->GetHandle(), entry->m_commandId, MF_BYCOMMAND | MF_GRAYED);
        return;
    }
    int position = menu->GetItemPosition(entry->m_commandId);
    if (position >= 0)
        RemoveMenu(menu->GetHandle(), static_cast<UINT>(position), MF_BYPOSITION);
    menu->UndeferItemIcon(entry->m_commandId);
    m_pIcons->Forget(entry);
    level->Remove(entry);
    if (level->GetEntryCount() == 0)
        AppendEmptyLevelItem(menu);
}

void CFolderMenuLevelBuilder::OnEntryIconRead(CFolderMenuItem* entry) {
    for (CFolderMenuLevel* level : m_levelsWithMenus) {
        if (level->FindEntryOfCommand(entry->m_commandId) != entry)
            continue;
        CPopUpMenu* menu = level->GetMenu();
        int position = menu->GetItemPosition(entry->m_commandId);
        // A folder still unknown keeps its mark until its listing answers.
        if (position < 0 || entry->Icon() == entry->m_hShownIcon ||
            !menu->ChangeItemIcon(static_cast<UINT>(position), entry->Icon()))
            return;
        entry->m_hShownIcon = entry->Icon();
        // Only the item is drawn again: a menu repainted whole for every icon that comes flickers.
        HWND window = CPopUpMenu::FindMenuWindow(menu->GetHandle());
        RECT item = {};
        if (!window)
            return;
        if (GetMenuItemRect(nullptr, menu->GetHandle(), static_cast<UINT>(position), &item)) {
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&item), 2);
            InvalidateRect(window, &item, FALSE);
        } else {
            InvalidateRect(window, nullptr, FALSE);
        }
        return;
    }
}

void CFolderMenuLevelBuilder::ShowLevelBeingRead(CFolderMenuLevel* level) {
    CPopUpMenu* menu = level->GetMenu();
    if (!menu)
        return;
    // The items of the build before name entries that are not this build's, and the level must
    // not mistake the mark for one of them when its entries come.
    RemoveAllItems(menu);
    level->TakePrevious();
    UINT commandId = menu->AppendTextItem(kLevelBeingReadText);
    if (commandId)
        EnableMenuItem(menu->GetHandle(), commandId, MF_BYCOMMAND | MF_GRAYED);
}
