#pragma once
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

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

// One start of GDI+, shut down again with the object only if the start succeeded. GDI+ counts
// its starts, so several sessions may live at once; every GDI+ object must die before the
// session that was current when it was made.
class CGdiplusSession {
public:
    CGdiplusSession() : m_token(0), m_started(FALSE) {
        Gdiplus::GdiplusStartupInput input;
        m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~CGdiplusSession() {
        if (m_started)
            Gdiplus::GdiplusShutdown(m_token);
    }
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;

    BOOL Started() const { return m_started; }

private:
    ULONG_PTR m_token;
    BOOL m_started;
};
