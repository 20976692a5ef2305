#pragma once
#include "lib/UniqueHandle.h"

// Memory blocks handed over by GlobalAlloc (clipboard data, streams on memory)...
struct GlobalMemoryTraits {
    typedef HGLOBAL Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle handle) { GlobalFree(handle); }
};

// ...and by the system's LocalAlloc (FormatMessage's allocated text).
struct LocalMemoryTraits {
    typedef HLOCAL Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle handle) { LocalFree(handle); }
};

typedef CUniqueHandle<GlobalMemoryTraits> CGlobalMemory;
typedef CUniqueHandle<LocalMemoryTraits> CLocalMemory;
