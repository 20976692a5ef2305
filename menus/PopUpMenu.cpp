#include "menus/PopUpMenu.h"

#include "lib/MenuTree.h"
#include "lib/RuntimeModule.h"
#include "lib/WindowsVersion.h"

#include <cwchar>
#include <unordered_set>

namespace {

// Item bitmaps are kept to the themed menus of Windows 6.0 and 6.1, which blend 32-bit item
// bitmaps; classic menus ignore their alpha channel, and every other system gets the owner-drawn
// look with its lifted icons.
BOOL ShowsItemBitmaps() {
    WindowsVersion version = ReportedWindowsVersion();
    if (version.major != 6 || version.minor >= 2)
        return FALSE;

    typedef BOOL(WINAPI * IsThemeActiveFunction)();
    CRuntimeModule uxtheme(L"uxtheme.dll");
    auto isThemeActive = uxtheme.Procedure<IsThemeActiveFunction>("IsThemeActive");
    return isThemeActive ? isThemeActive() : FALSE;
}

// Every CPopUpMenu alive on the (one) user-interface thread. A draw request names only an HMENU,
// and the data of a menu some other code made may be anything, so its data is trusted as one of
// ours only when it is found here.
std::unordered_set<CPopUpMenu*>& LiveMenus() {
    static std::unordered_set<CPopUpMenu*> menus;
    return menus;
}

} // namespace

CPopUpMenu::CPopUpMenu()
    : m_effects(TRUE), m_pParent(nullptr), m_hMenu(nullptr), m_lastCommandId(0), m_themed(ShowsItemBitmaps()),
      m_pEvents(nullptr), m_pIconSource(nullptr), m_lastSelected(0), m_settled(TRUE), m_dpi(USER_DEFAULT_SCREEN_DPI) {
    LiveMenus().insert(this);
    m_hMenu = CreatePopupMenu();
    if (!m_hMenu)
        return;
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_STYLE | MIM_MENUDATA;
    info.dwStyle = MNS_CHECKORBMP;
    info.dwMenuData = reinterpret_cast<ULONG_PTR>(this);
    SetMenuInfo(m_hMenu, &info);
}

namespace {

// The item bitmaps of shared icons (loaded with LR_SHARED, so each handle names the same picture
// for as long as the module is loaded) are drawn once for all menus: every item's context menu
// shows the same few, and drawing them was most of the cost of building one. Counted, so that
// the last menu to go frees them.
struct SharedItemBitmap {
    HBITMAP bitmap = nullptr;
    int users = 0;
};

std::unordered_map<HICON, SharedItemBitmap>& SharedItemBitmaps() {
    static std::unordered_map<HICON, SharedItemBitmap> bitmaps;
    return bitmaps;
}

// FALSE when the bitmap is not the icon's shared one, which this menu then owns alone.
BOOL ReleaseSharedItemBitmap(HICON icon, HBITMAP bitmap) {
    auto found = SharedItemBitmaps().find(icon);
    if (found == SharedItemBitmaps().end() || found->second.bitmap != bitmap)
        return FALSE;
    if (--found->second.users == 0) {
        DeleteObject(bitmap);
        SharedItemBitmaps().erase(found);
    }
    return TRUE;
}

} // namespace

CPopUpMenu::~CPopUpMenu() {
    LiveMenus().erase(this);
    if (m_hMenu) {
        // DestroyMenu also destroys the submenus, which belong to other objects: detach them
        // first, or their owners would later destroy handles that may name someone else's menu.
        for (int position = GetMenuItemCount(m_hMenu) - 1; position >= 0; --position) {
            if (GetSubMenu(m_hMenu, position))
                RemoveMenu(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION);
        }
        DestroyMenu(m_hMenu);
    }
    for (const auto& iconAndBitmap : m_bitmaps)
        ReleaseItemBitmap(iconAndBitmap.first, iconAndBitmap.second);
    for (const auto& iconAndBitmap : m_retiredBitmaps)
        ReleaseItemBitmap(iconAndBitmap.first, iconAndBitmap.second);
}

void CPopUpMenu::ReleaseItemBitmap(HICON icon, HBITMAP bitmap) {
    if (!ReleaseSharedItemBitmap(icon, bitmap))
        DeleteObject(bitmap);
}

void CPopUpMenu::ForgetIcon(HICON icon) {
    if (!icon)
        return;
    for (CPopUpMenu* menu : LiveMenus()) {
        menu->m_iconSizes.erase(icon);
        auto kept = menu->m_bitmaps.find(icon);
        if (kept == menu->m_bitmaps.end())
            continue;
        menu->m_retiredBitmaps.push_back(*kept);
        menu->m_bitmaps.erase(kept);
    }
}

void CPopUpMenu::DropUnusedItemBitmaps() {
    if (m_bitmaps.empty() && m_retiredBitmaps.empty())
        return;
    std::unordered_set<HBITMAP> shown;
    int count = GetMenuItemCount(m_hMenu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_BITMAP;
        if (GetMenuItemInfoW(m_hMenu, static_cast<UINT>(position), TRUE, &item) && item.hbmpItem)
            shown.insert(item.hbmpItem);
    }
    for (auto kept = m_bitmaps.begin(); kept != m_bitmaps.end();) {
        if (shown.count(kept->second)) {
            ++kept;
            continue;
        }
        ReleaseItemBitmap(kept->first, kept->second);
        kept = m_bitmaps.erase(kept);
    }
    std::vector<std::pair<HICON, HBITMAP>> stillShown;
    for (const auto& retired : m_retiredBitmaps) {
        if (shown.count(retired.second))
            stillShown.push_back(retired);
        else
            ReleaseItemBitmap(retired.first, retired.second);
    }
    m_retiredBitmaps.swap(stillShown);
}

CPopUpMenu* CPopUpMenu::FromHandle(HMENU menu) {
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_MENUDATA;
    if (!menu || !GetMenuInfo(menu, &info))
        return nullptr;
    return reinterpret_cast<CPopUpMenu*>(info.dwMenuData);
}

CPopUpMenu* CPopUpMenu::FromOwnHandle(HMENU menu) {
    CPopUpMenu* object = FromHandle(menu);
    if (!object || !LiveMenus().count(object) || object->m_hMenu != menu)
        return nullptr;
    return object;
}

BOOL CPopUpMenu::HoldsMenu(HMENU menu) const {
    // Up the parent chain of the item's menu, a few steps, rather than down through every item
    // of this tree, which a large folder menu would pay for each item it draws.
    for (const CPopUpMenu* level = FromOwnHandle(menu); level; level = level->m_pParent) {
        if (level == this)
            return TRUE;
    }
    return FALSE;
}

CPopUpMenu* CPopUpMenu::GetRoot() {
    CPopUpMenu* root = this;
    while (root->m_pParent)
        root = root->m_pParent;
    return root;
}

UINT CPopUpMenu::NextCommandId() {
    return ++GetRoot()->m_lastCommandId;
}

UINT CPopUpMenu::InsertBuiltItem(MENUITEMINFOW* item, UINT position) {
    if (!m_hMenu || !InsertMenuItemW(m_hMenu, position, TRUE, item))
        return 0;
    return item->wID;
}

UINT CPopUpMenu::AppendTextItem(LPCWSTR text) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
    item.fType = MFT_STRING;
    item.dwTypeData = const_cast<LPWSTR>(text);
    item.wID = NextCommandId();
    return InsertBuiltItem(&item, static_cast<UINT>(GetMenuItemCount(m_hMenu)));
}

UINT CPopUpMenu::AppendIconItem(LPCWSTR text, UINT iconResourceId, HINSTANCE instance) {
    // Shared icons are owned by the system and released with the module.
    HICON icon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconResourceId), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    // The item then finds its bitmap among this menu's own.
    if (icon && m_themed && !m_bitmaps.count(icon)) {
        SharedItemBitmap& shared = SharedItemBitmaps()[icon];
        if (!shared.bitmap)
            shared.bitmap = CreateItemBitmap(icon);
        if (shared.bitmap) {
            ++shared.users;
            m_bitmaps[icon] = shared.bitmap;
        } else {
            SharedItemBitmaps().erase(icon);
        }
    }
    return InsertItem(text, icon, static_cast<UINT>(GetMenuItemCount(m_hMenu)), NextCommandId());
}

UINT CPopUpMenu::InsertItem(LPCWSTR text, HICON icon, UINT position, UINT commandId) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
    item.fType = MFT_STRING;
    item.dwTypeData = const_cast<LPWSTR>(text);
    item.wID = commandId;
    if (icon)
        SetItemIcon(&item, icon);
    return InsertBuiltItem(&item, position);
}

UINT CPopUpMenu::AppendSubMenuItem(LPCWSTR text, CPopUpMenu* subMenu, HICON icon) {
    return AppendSubMenuItem(text, subMenu ? subMenu->m_hMenu : nullptr, icon);
}

UINT CPopUpMenu::AppendSubMenuItem(LPCWSTR text, HMENU subMenu, HICON icon) {
    return InsertSubMenuItem(text, subMenu, icon, static_cast<UINT>(-1));
}

UINT CPopUpMenu::InsertSubMenuItem(LPCWSTR text, HMENU subMenu, HICON icon, UINT position) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_ID;
    item.dwTypeData = const_cast<LPWSTR>(text);
    item.cch = static_cast<UINT>(wcslen(text));
    item.hSubMenu = subMenu;
    item.wID = NextCommandId();
    if (icon)
        SetItemIcon(&item, icon);
    return InsertBuiltItem(&item, position);
}

UINT CPopUpMenu::AppendSeparator() {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_ID;
    item.fType = MFT_SEPARATOR;
    item.wID = NextCommandId();
    return InsertBuiltItem(&item, static_cast<UINT>(GetMenuItemCount(m_hMenu)));
}

BOOL CPopUpMenu::SetItemIcon(MENUITEMINFOW* item, HICON icon) {
    if (!item || !icon)
        return FALSE;
    if (!m_themed) {
        // HBMMENU_CALLBACK makes the menu ask the owner window to measure and draw the icon.
        item->fMask |= MIIM_BITMAP | MIIM_DATA;
        item->dwItemData = reinterpret_cast<ULONG_PTR>(icon);
        item->hbmpItem = HBMMENU_CALLBACK;
        return TRUE;
    }
    // The icon outlives the menu (the caller's promise), so its handle names the same picture for
    // as long as the bitmap is kept.
    HBITMAP& bitmap = m_bitmaps[icon];
    if (!bitmap)
        bitmap = CreateItemBitmap(icon);
    if (!bitmap) {
        m_bitmaps.erase(icon);
        return FALSE;
    }
    item->fMask |= MIIM_BITMAP;
    item->hbmpItem = bitmap;
    return TRUE;
}

BOOL CPopUpMenu::ChangeItem(UINT item, BOOL byPosition, HICON icon) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    if (!icon) {
        info.fMask = MIIM_BITMAP | MIIM_DATA;
    } else if (!SetItemIcon(&info, icon)) {
        return FALSE;
    } else if (!m_themed) {
        // Drawn through the owner, the item keeps its callback and only its data changes: setting
        // the bitmap again would make the menu measure all its items anew.
        info.fMask = MIIM_DATA;
    }
    return SetMenuItemInfoW(m_hMenu, item, byPosition, &info);
}

BOOL CPopUpMenu::ChangeItemIcon(UINT position, HICON icon) {
    return ChangeItem(position, TRUE, icon);
}

BOOL CPopUpMenu::ChangeItemSubMenu(UINT position, HMENU subMenu) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_SUBMENU;
    item.hSubMenu = subMenu;
    return SetMenuItemInfoW(m_hMenu, position, TRUE, &item);
}

CPopUpMenu* CPopUpMenu::GetSubMenuOfItem(UINT commandId) const {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_SUBMENU;
    if (!GetMenuItemInfoW(m_hMenu, commandId, FALSE, &item))
        return nullptr;
    return FromHandle(item.hSubMenu);
}

int CPopUpMenu::GetItemPosition(UINT commandId) const {
    int count = GetMenuItemCount(m_hMenu);
    for (int position = 0; position < count; ++position) {
        if (MenuItemIdAt(m_hMenu, position) == commandId)
            return position;
    }
    return -1;
}
