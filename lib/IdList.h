#pragma once
#include <windows.h>

#include <shlobj.h>

#include "lib/UniqueHandle.h"

// Item identifier lists come from the shell's task allocator, whichever call made them
// (SHParseDisplayName, SHGetFolderLocation, ILClone, IShellLink::GetIDList...): one release.
struct IdListTraits {
    typedef LPITEMIDLIST Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle idList) { CoTaskMemFree(idList); }
};

typedef CUniqueHandle<IdListTraits> CIdList;
