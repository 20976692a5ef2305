#pragma once
#include <windows.h>

#include "lib/GdiObject.h"
#include "lib/GdiplusObject.h"
#include "lib/MemoryHandle.h"

// One GDI+ bitmap, loaded from a file. GDI+ must be running while a bitmap lives.
class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() {}
    virtual ~CGdiPlusBitmap() {}
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    BOOL Load(LPCWSTR path);
    virtual void Empty() { m_bitmap.Reset(); }
    BOOL IsLoaded() const { return static_cast<bool>(m_bitmap); }
    // A new GDI bitmap of the picture, or null.
    HBITMAP MakeHBitmap() const;

protected:
    CGdiplusImage m_bitmap;
};

// A picture from the module's "JPG" resources. GDI+ reads a stream's bytes lazily, so the
// memory block behind the stream lives as long as the bitmap.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    CGdiPlusBitmapResource() {}
    // The bitmap, held by the base, goes before the memory it reads from.
    ~CGdiPlusBitmapResource() override { Empty(); }

    BOOL Load(HINSTANCE module, UINT resourceId);
    void Empty() override;

private:
    CGlobalMemory m_memory;
};
