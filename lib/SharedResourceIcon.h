#pragma once
#include "lib/IconHandle.h"

#include <map>
#include <memory>

// An icon resource that many show at once: each size is loaded once for all who show it, and goes
// with the last of them, so a size no longer shown (a bar moved to a monitor of another scale)
// holds nothing. UI thread only.
class CSharedResourceIcon {
public:
    // Keeps the picture alive; null when the resource could not be loaded.
    typedef std::shared_ptr<const CIconHandle> Picture;

    CSharedResourceIcon(HINSTANCE instance, LPCWSTR name) : m_instance(instance), m_name(name) {}
    CSharedResourceIcon(const CSharedResourceIcon&) = delete;
    CSharedResourceIcon& operator=(const CSharedResourceIcon&) = delete;

    // At the system's small-icon size, scaled from a larger picture where the system can.
    Picture Small();
    Picture AtSize(int size);

private:
    Picture Shared(int key, HICON (*load)(const CSharedResourceIcon&, int));

    HINSTANCE m_instance;
    LPCWSTR m_name;
    // By size; the small picture by its size negated, as it is made another way.
    std::map<int, std::weak_ptr<const CIconHandle>> m_pictures;
};
