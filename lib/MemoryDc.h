#pragma once
#include <windows.h>

// A memory DC that remembers the first object it replaced of each kind it selected and puts
// them back before it is deleted, so the selected bitmap, font or brush can be deleted (or kept
// and used) by its own owner afterwards.
class CMemoryDc {
public:
    // Compatible with the screen when no reference DC is given.
    explicit CMemoryDc(HDC reference = nullptr);
    ~CMemoryDc();
    CMemoryDc(const CMemoryDc&) = delete;
    CMemoryDc& operator=(const CMemoryDc&) = delete;

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

    // Selects the object; false when the DC could not be made or the selection failed.
    BOOL Select(HGDIOBJ object);
    // Puts the DC's own objects back (the destructor does it too), so that what was selected
    // may be deleted or selected elsewhere while the DC lives on.
    void RestoreSelections();

private:
    enum { kBitmap, kFont, kBrush, kPen, kKinds };

    HDC m_dc;
    HGDIOBJ m_replaced[kKinds];
};
