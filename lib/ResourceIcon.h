#pragma once
#include "lib/IconHandle.h"

#include <map>

// One icon resource of a module, loaded once at each size it is asked for and kept until this
// object goes: any number of users show the same handle instead of each holding a copy.
class CResourceIcon {
public:
    CResourceIcon(HINSTANCE instance, LPCWSTR name) : m_instance(instance), m_name(name) {}
    CResourceIcon(const CResourceIcon&) = delete;
    CResourceIcon& operator=(const CResourceIcon&) = delete;

    // At the system's small-icon size, scaled from a larger picture where the system can.
    HICON Small();
    HICON AtSize(int size);

private:
    HINSTANCE m_instance;
    LPCWSTR m_name;
    // By size; the small picture by its size negated, as it is made another way.
    std::map<int, CIconHandle> m_icons;
};
