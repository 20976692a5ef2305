#include "lib/MenuTree.h"

BOOL IsMenuInTree(HMENU root, HMENU menu) {
    if (!root || !menu)
        return FALSE;
    if (root == menu)
        return TRUE;
    int count = GetMenuItemCount(root);
    for (int position = 0; position < count; ++position) {
        if (IsMenuInTree(GetSubMenu(root, position), menu))
            return TRUE;
    }
    return FALSE;
}

UINT MenuItemIdAt(HMENU menu, int position) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) ? item.wID : 0;
}
