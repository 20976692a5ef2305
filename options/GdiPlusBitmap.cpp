#include "options/GdiPlusBitmap.h"

#include "lib/ComPtr.h"

#include <cstring>

BOOL CGdiPlusBitmap::Load(LPCWSTR path) {
    Empty();
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path, &bitmap) != Gdiplus::Ok)
        return FALSE;
    m_bitmap.Reset(bitmap);
    return TRUE;
}

HBITMAP CGdiPlusBitmap::MakeHBitmap() const {
    if (!m_bitmap)
        return nullptr;
    HBITMAP result = nullptr;
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(m_bitmap.Get());
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &result, 0) != Gdiplus::Ok)
        return nullptr;
    return result;
}

BOOL CGdiPlusBitmapResource::Load(HINSTANCE module, UINT resourceId) {
    Empty();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"JPG");
    if (!resource)
        return FALSE;
    DWORD size = SizeofResource(module, resource);
    const void* bytes = LockResource(LoadResource(module, resource));
    if (!bytes || size == 0)
        return FALSE;
    m_memory.Reset(GlobalAlloc(GMEM_MOVEABLE, size));
    void* block = m_memory ? GlobalLock(m_memory.Get()) : nullptr;
    if (!block) {
        Empty();
        return FALSE;
    }
    memcpy(block, bytes, size);
    GlobalUnlock(m_memory.Get());
    CComPtr<IStream> stream;
    if (SUCCEEDED(CreateStreamOnHGlobal(m_memory.Get(), FALSE, stream.ReleaseAndGetAddressOf()))) {
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.Get(), &bitmap) == Gdiplus::Ok)
            m_bitmap.Reset(bitmap);
    }
    if (!m_bitmap) {
        Empty();
        return FALSE;
    }
    return TRUE;
}

void CGdiPlusBitmapResource::Empty() {
    CGdiPlusBitmap::Empty();
    m_memory.Reset();
}
