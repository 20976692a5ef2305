#pragma once
#include <windows.h>

// Whether a menu is the root or one of its submenus at any depth.
BOOL IsMenuInTree(HMENU root, HMENU menu);
