#pragma once
#include <windows.h>

// Whether a menu is the root or one of its submenus at any depth.
BOOL IsMenuInTree(HMENU root, HMENU menu);

// The identifier of the item at the position, 0 when there is none. Unlike GetMenuItemID, also
// for items that open a submenu.
UINT MenuItemIdAt(HMENU menu, int position);
