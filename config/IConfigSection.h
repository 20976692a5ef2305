#pragma once
#include <windows.h>

// The section that reads and writes without an explicit section name go to.
class IConfigSection {
public:
    virtual ~IConfigSection() {}
    // FALSE, with the section unchanged, when the name does not fit 260 characters.
    virtual BOOL SetSectionName(LPCWSTR sectionName) = 0;
    virtual LPCWSTR GetSectionName() = 0;
    virtual BOOL GetSectionName(LPWSTR buffer, DWORD size) = 0;
};
