#pragma once
#include "config/IConfigReader.h"
#include "config/IConfigWriter.h"

typedef BOOL (*EnumSectionNamesCallback)(LPCWSTR sectionName, void* context);

// Typed access to one INI file through the private-profile functions. Holds no open handle
// between calls. A file that does not exist yet is created (with its directories) holding only
// the UTF-16LE byte order mark, so that everything the profile functions write stays UTF-16.
class CIniFile : public virtual IConfigReader, public virtual IConfigWriter {
public:
    explicit CIniFile(LPCWSTR fileName);
    ~CIniFile() override {}
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    virtual LPCWSTR GetFileName();
    virtual BOOL GetFileName(LPWSTR buffer, DWORD size);
    // Calls back once per section name in file order; stops early when the callback returns FALSE.
    virtual BOOL EnumSectionNames(EnumSectionNamesCallback callback, void* context);

    BOOL SetSectionName(LPCWSTR sectionName) override;
    LPCWSTR GetSectionName() override;
    BOOL GetSectionName(LPWSTR buffer, DWORD size) override;

    BOOL ReadUInt64(LPCWSTR key, ULONGLONG defaultValue, ULONGLONG* value) override;
    BOOL ReadInt(LPCWSTR key, INT defaultValue, INT* value) override;
    BOOL ReadString(LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) override;
    BOOL ReadBinary(LPCWSTR key, BYTE* buffer, DWORD size, DWORD* bytesRead) override;
    BOOL ReadInt(LPCWSTR section, LPCWSTR key, INT defaultValue, INT* value) override;
    BOOL ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) override;

    BOOL WriteUInt64(LPCWSTR key, ULONGLONG value) override;
    BOOL WriteInt(LPCWSTR key, INT value) override;
    BOOL WriteString(LPCWSTR key, LPCWSTR value) override;
    BOOL WriteBinary(LPCWSTR key, const BYTE* bytes, DWORD size) override;
    BOOL WriteInt(LPCWSTR section, LPCWSTR key, INT value) override;
    BOOL WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value) override;

    // TRUE when the file has a section of that name (with at least one key).
    BOOL HasSection(LPCWSTR sectionName);

private:
    WCHAR m_fileName[MAX_PATH];
    WCHAR m_sectionName[MAX_PATH];
};

// Creates a directory and every missing parent; existing directories count as success.
BOOL CreateDirectoryWithParents(LPCWSTR directory);
