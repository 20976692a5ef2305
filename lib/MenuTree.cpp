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
