#include "lib/MemoryDc.h"

namespace {

int KindOf(HGDIOBJ object) {
    switch (GetObjectType(object)) {
        case OBJ_BITMAP:
            return 0;
        case OBJ_FONT:
            return 1;
        case OBJ_BRUSH:
            return 2;
        case OBJ_PEN:
        case OBJ_EXTPEN:
            return 3;
        default:
            return -1;
    }
}

} // namespace

CMemoryDc::CMemoryDc(HDC reference) : m_dc(CreateCompatibleDC(reference)), m_replaced() {}

CMemoryDc::~CMemoryDc() {
    if (!m_dc)
        return;
    RestoreSelections();
    DeleteDC(m_dc);
}

void CMemoryDc::RestoreSelections() {
    for (HGDIOBJ& original : m_replaced) {
        if (original)
            SelectObject(m_dc, original);
        original = nullptr;
    }
}

BOOL CMemoryDc::Select(HGDIOBJ object) {
    int kind = KindOf(object);
    if (!m_dc || kind < 0)
        return FALSE;
    HGDIOBJ replaced = SelectObject(m_dc, object);
    if (!replaced || replaced == HGDI_ERROR)
        return FALSE;
    // Only the DC's own original object goes back; later replacements are ours.
    if (!m_replaced[kind])
        m_replaced[kind] = replaced;
    return TRUE;
}
