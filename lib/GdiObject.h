#pragma once
#include "lib/UniqueHandle.h"

template <typename Object> struct GdiObjectTraits {
    typedef Object Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle object) { DeleteObject(object); }
};

// GDI objects this program created. An object must not be selected into a DC when its owner
// dies: CMemoryDc puts back what it replaced before the owners of the selected objects go.
typedef CUniqueHandle<GdiObjectTraits<HBITMAP>> CBitmapHandle;
typedef CUniqueHandle<GdiObjectTraits<HFONT>> CFontHandle;
typedef CUniqueHandle<GdiObjectTraits<HBRUSH>> CBrushHandle;
typedef CUniqueHandle<GdiObjectTraits<HPEN>> CPenHandle;
typedef CUniqueHandle<GdiObjectTraits<HRGN>> CRegionHandle;
