#include "lib/SharedResourceIcon.h"

#include "lib/Dpi.h"

CSharedResourceIcon::Picture CSharedResourceIcon::Small() {
    return Shared(-GetSystemMetrics(SM_CXSMICON), [](const CSharedResourceIcon& resource, int) {
        return LoadSmallIconMetric(resource.m_instance, resource.m_name);
    });
}

CSharedResourceIcon::Picture CSharedResourceIcon::AtSize(int size) {
    return Shared(size, [](const CSharedResourceIcon& resource, int size) {
        return static_cast<HICON>(LoadImageW(resource.m_instance, resource.m_name, IMAGE_ICON, size, size, 0));
    });
}

CSharedResourceIcon::Picture CSharedResourceIcon::Shared(int key, HICON (*load)(const CSharedResourceIcon&, int)) {
    std::weak_ptr<const CIconHandle>& kept = m_pictures[key];
    if (Picture picture = kept.lock())
        return picture;
    HICON icon = load(*this, key);
    if (!icon)
        return nullptr;
    Picture picture = std::make_shared<const CIconHandle>(icon);
    kept = picture;
    return picture;
}
