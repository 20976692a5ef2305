#pragma once
#include <windows.h>

class CIniFile;

// An option object that CIniFileEx loads and saves as one section. Implementations use the
// file only through IConfigReader / IConfigWriter. Objects are deleted through their own type,
// never through this interface, so it has no virtual destructor.
class IIniFileArrayItem {
public:
    virtual BOOL Save(CIniFile& file) = 0;
    virtual BOOL Load(CIniFile& file) = 0;

protected:
    ~IIniFileArrayItem() {}
};
