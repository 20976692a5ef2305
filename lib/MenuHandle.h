#pragma once
#include "lib/UniqueHandle.h"

struct MenuHandleTraits {
    typedef HMENU Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle menu) { DestroyMenu(menu); }
};

// A whole menu this program owns. DestroyMenu also destroys every submenu attached to it, so
// only the root of a tree may have this owner.
typedef CUniqueHandle<MenuHandleTraits> CMenuHandle;
