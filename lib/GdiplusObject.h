#pragma once
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include "lib/GdiplusSession.h"
#include "lib/UniqueHandle.h"

// Owners of objects made through the GDI+ flat interface, each released with its own function.
template <typename Object, Gdiplus::GpStatus(WINGDIPAPI* ReleaseFunction)(Object*)> struct GdiplusObjectTraits {
    typedef Object* Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle object) { ReleaseFunction(object); }
};

typedef CUniqueHandle<GdiplusObjectTraits<Gdiplus::GpImage, Gdiplus::DllExports::GdipDisposeImage>> CGdiplusImage;
typedef CUniqueHandle<GdiplusObjectTraits<Gdiplus::GpBrush, Gdiplus::DllExports::GdipDeleteBrush>> CGdiplusBrush;
typedef CUniqueHandle<GdiplusObjectTraits<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics>>
    CGdiplusGraphics;
typedef CUniqueHandle<GdiplusObjectTraits<Gdiplus::GpImageAttributes, Gdiplus::DllExports::GdipDisposeImageAttributes>>
    CGdiplusImageAttributes;
