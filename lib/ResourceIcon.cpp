#include "lib/ResourceIcon.h"

#include "lib/Dpi.h"

HICON CResourceIcon::Small() {
    CIconHandle& icon = m_icons[-GetSystemMetrics(SM_CXSMICON)];
    if (!icon)
        icon.Reset(LoadSmallIconMetric(m_instance, m_name));
    return icon.Get();
}

HICON CResourceIcon::AtSize(int size) {
    CIconHandle& icon = m_icons[size];
    if (!icon)
        icon.Reset(static_cast<HICON>(LoadImageW(m_instance, m_name, IMAGE_ICON, size, size, 0)));
    return icon.Get();
}
