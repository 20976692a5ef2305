#pragma once
#include "lib/UniqueHandle.h"

struct RegistryKeyTraits {
    typedef HKEY Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle key) { RegCloseKey(key); }
};

typedef CUniqueHandle<RegistryKeyTraits> CRegistryKey;
