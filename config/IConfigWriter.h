#pragma once
#include "config/IConfigSection.h"

// Typed writes into the current section.
class IConfigSingleSectionWriter {
public:
    virtual ~IConfigSingleSectionWriter() {}
    virtual BOOL WriteUInt64(LPCWSTR key, ULONGLONG value) = 0;
    virtual BOOL WriteInt(LPCWSTR key, INT value) = 0;
    virtual BOOL WriteString(LPCWSTR key, LPCWSTR value) = 0;
    virtual BOOL WriteBinary(LPCWSTR key, const BYTE* bytes, DWORD size) = 0;
};

// Writes that may also name their section explicitly.
class IConfigWriter : public virtual IConfigSection, public IConfigSingleSectionWriter {
public:
    using IConfigSingleSectionWriter::WriteInt;
    using IConfigSingleSectionWriter::WriteString;
    virtual BOOL WriteInt(LPCWSTR section, LPCWSTR key, INT value) = 0;
    virtual BOOL WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value) = 0;
};
