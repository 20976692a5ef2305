#pragma once
#include "lib/UniqueHandle.h"

struct IconHandleTraits {
    typedef HICON Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle icon) { DestroyIcon(icon); }
};

// An icon this program created or extracted (never a shared icon from LoadIcon).
typedef CUniqueHandle<IconHandleTraits> CIconHandle;
