#include "menus/PopUpMenu.h"

#include "lib/MenuTree.h"

#include <algorithm>

namespace {

// No menu item is shorter than its icon, so no more items than this fit on a screen.
int ItemsOnScreen() {
    return GetSystemMetrics(SM_CYVIRTUALSCREEN) / GetSystemMetrics(SM_CYSMICON) + 1;
}

// The position of the item whose identifier ends in these 16 bits (all WM_MENUSELECT tells),
// searched outward from the hint: the user selects items next to the one selected before.
int FindPositionNear(HMENU menu, WORD commandId, int hint) {
    int count = GetMenuItemCount(menu);
    hint = std::max(0, std::min(hint, count - 1));
    for (int distance = 0; distance < count; ++distance) {
        for (int position : {hint + distance, hint - distance - 1}) {
            if (position >= 0 && position < count && LOWORD(MenuItemIdAt(menu, position)) == commandId)
                return position;
        }
    }
    return -1;
}

} // namespace

BOOL CPopUpMenu::ShowDeferredIcon(UINT commandId, HICON* shown) {
    auto deferred = m_deferredIcons.find(commandId);
    if (deferred == m_deferredIcons.end())
        return FALSE;
    ULONG_PTR key = deferred->second;
    m_deferredIcons.erase(deferred);
    HICON icon = m_pIconSource ? m_pIconSource->FetchItemIcon(key) : nullptr;
    if (!icon || !ChangeItem(commandId, FALSE, icon))
        return FALSE;
    *shown = icon;
    return TRUE;
}

BOOL CPopUpMenu::ShowDeferredIconsAround(int position) {
    int reach = ItemsOnScreen();
    int last = std::min(GetMenuItemCount(m_hMenu), position + reach);
    // A new item bitmap may make the menu measure all its items again, so icons are fetched a
    // screen ahead at a time, not one for every item scrolled to.
    BOOL nearby = FALSE;
    for (int index = std::max(0, position - reach / 2); index < std::min(last, position + reach / 2) && !nearby;
         ++index)
        nearby = m_deferredIcons.count(MenuItemIdAt(m_hMenu, index)) != 0;
    if (!nearby)
        return FALSE;
    BOOL changed = FALSE;
    for (int index = std::max(0, position - reach); index < last && !m_deferredIcons.empty(); ++index) {
        HICON icon = nullptr;
        UINT commandId = MenuItemIdAt(m_hMenu, index);
        changed = (commandId && ShowDeferredIcon(commandId, &icon)) || changed;
    }
    return changed;
}

// Drawn through the owner, an item fetches its icon when it is drawn. Item bitmaps must be in
// place before their items show: a menu opens at its first items, and scrolls to the one selected.
// (A menu scrolled by its arrows or the wheel shows what it holds until an item is selected: Wine
// tells neither where a menu has scrolled to nor, after the first time, when the menu is idle.)
void CPopUpMenu::OnInitMenuPopup(HMENU opening) {
    CPopUpMenu* menu = FromOwnHandle(opening);
    if (!menu || !menu->m_themed || menu->m_deferredIcons.empty() || !HoldsMenu(opening))
        return;
    menu->m_lastSelected = 0;
    menu->ShowDeferredIconsAround(0);
}

void CPopUpMenu::OnItemSelected(HMENU menuOfItem, WORD item, BOOL isSubMenu) {
    CPopUpMenu* menu = FromOwnHandle(menuOfItem);
    if (!menu || !menu->m_themed || menu->m_deferredIcons.empty() || !HoldsMenu(menuOfItem))
        return;
    int position = isSubMenu ? item : FindPositionNear(menuOfItem, item, menu->m_lastSelected);
    if (position < 0)
        return;
    menu->m_lastSelected = position;
    if (!menu->ShowDeferredIconsAround(position))
        return;
    if (HWND window = FindMenuWindow(menuOfItem))
        InvalidateRect(window, nullptr, FALSE);
}
