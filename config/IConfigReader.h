#pragma once
#include "config/IConfigSection.h"

// Typed reads from the current section.
class IConfigSingleSectionReader {
public:
    virtual ~IConfigSingleSectionReader() {}
    virtual BOOL ReadUInt64(LPCWSTR key, ULONGLONG defaultValue, ULONGLONG* value) = 0;
    virtual BOOL ReadInt(LPCWSTR key, INT defaultValue, INT* value) = 0;
    virtual BOOL ReadString(LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) = 0;
    virtual BOOL ReadBinary(LPCWSTR key, BYTE* buffer, DWORD size, DWORD* bytesRead) = 0;
};

// Reads that may also name their section explicitly.
class IConfigReader : public virtual IConfigSection, public IConfigSingleSectionReader {
public:
    using IConfigSingleSectionReader::ReadInt;
    using IConfigSingleSectionReader::ReadString;
    virtual BOOL ReadInt(LPCWSTR section, LPCWSTR key, INT defaultValue, INT* value) = 0;
    virtual BOOL ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) = 0;
};

// The value of a key in the current section, or the default when it is missing.
inline INT ReadIntValue(IConfigReader& reader, LPCWSTR key, INT defaultValue) {
    INT value = defaultValue;
    reader.ReadInt(key, defaultValue, &value);
    return value;
}
