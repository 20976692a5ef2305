#include "config/IniFile.h"
#include "lib/FileSystem.h"
#include "lib/KernelHandle.h"
#include "lib/StringCopy.h"

#include <cwchar>
#include <memory>
#include <new>

namespace {

const DWORD kNumberTextSize = 128;
const DWORD kFirstSectionListSize = 2048;

BOOL CreateBomOnlyFile(LPCWSTR fileName) {
    CFileHandle file(CreateFileW(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return FALSE;
    static const BYTE kUtf16LeBom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(file.Get(), kUtf16LeBom, sizeof(kUtf16LeBom), &written, nullptr) && written == sizeof(kUtf16LeBom);
}

int HexDigitValue(WCHAR c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return -1;
}

// One byte from two characters, as "%02X" would scan it: at least the first must be a hex digit.
bool ParseHexByte(LPCWSTR text, BYTE* value) {
    int high = HexDigitValue(text[0]);
    if (high < 0)
        return false;
    int low = HexDigitValue(text[1]);
    *value = static_cast<BYTE>(low < 0 ? high : high * 16 + low);
    return true;
}

// Exactly one unsigned decimal number, as "%I64u" scans it (leading blanks allowed).
bool ParseUInt64(LPCWSTR text, ULONGLONG* value) {
    while (*text == L' ' || *text == L'\t')
        ++text;
    if (*text < L'0' || *text > L'9')
        return false;
    ULONGLONG result = 0;
    while (*text >= L'0' && *text <= L'9')
        result = result * 10 + static_cast<ULONGLONG>(*text++ - L'0');
    *value = result;
    return true;
}

} // namespace

BOOL CreateDirectoryWithParents(LPCWSTR directory) {
    WCHAR path[MAX_PATH];
    CopyTruncated(path, MAX_PATH, directory);
    size_t length = wcslen(path);
    while (length > 0 && (path[length - 1] == L'\\' || path[length - 1] == L'/'))
        path[--length] = L'\0';
    if (length == 0)
        return FALSE;
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return IsExistingDirectory(path);
    LPWSTR lastSeparator = wcsrchr(path, L'\\');
    LPWSTR lastSlash = wcsrchr(path, L'/');
    if (lastSlash > lastSeparator)
        lastSeparator = lastSlash;
    if (lastSeparator && lastSeparator > path && lastSeparator[-1] != L':') {
        *lastSeparator = L'\0';
        CreateDirectoryWithParents(path);
        *lastSeparator = L'\\';
    }
    return CreateDirectoryW(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

CIniFile::CIniFile(LPCWSTR fileName) {
    CopyTruncated(m_fileName, MAX_PATH, fileName ? fileName : L"");
    wcscpy(m_sectionName, L"Default");
    if (m_fileName[0] == L'\0' || IsExistingFile(m_fileName))
        return;

    WCHAR directory[MAX_PATH];
    wcscpy(directory, m_fileName);
    for (LPWSTR c = directory; *c; ++c) {
        if (*c == L'/')
            *c = L'\\';
    }
    LPWSTR lastSeparator = wcsrchr(directory, L'\\');
    if (lastSeparator) {
        *lastSeparator = L'\0';
        if (directory[0] != L'\0')
            CreateDirectoryWithParents(directory);
    }
    // Failure is silent on purpose: reads then give their defaults and writes fail.
    CreateBomOnlyFile(m_fileName);
}

LPCWSTR CIniFile::GetFileName() {
    return m_fileName;
}

BOOL CIniFile::GetFileName(LPWSTR buffer, DWORD size) {
    CopyTruncated(buffer, size, m_fileName);
    return TRUE;
}

BOOL CIniFile::SetSectionName(LPCWSTR sectionName) {
    if (!sectionName || wcslen(sectionName) + 1 > MAX_PATH)
        return FALSE;
    wcscpy(m_sectionName, sectionName);
    return TRUE;
}

LPCWSTR CIniFile::GetSectionName() {
    return m_sectionName;
}

BOOL CIniFile::GetSectionName(LPWSTR buffer, DWORD size) {
    CopyTruncated(buffer, size, m_sectionName);
    return TRUE;
}

BOOL CIniFile::ReadUInt64(LPCWSTR key, ULONGLONG defaultValue, ULONGLONG* value) {
    WCHAR defaultText[kNumberTextSize];
    swprintf(defaultText, kNumberTextSize, L"%llu", defaultValue);
    WCHAR text[kNumberTextSize];
    ReadString(m_sectionName, key, defaultText, text, kNumberTextSize);
    if (ParseUInt64(text, value))
        return TRUE;
    *value = defaultValue;
    return FALSE;
}

BOOL CIniFile::ReadInt(LPCWSTR key, INT defaultValue, INT* value) {
    return ReadInt(m_sectionName, key, defaultValue, value);
}

BOOL CIniFile::ReadString(LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) {
    return ReadString(m_sectionName, key, defaultValue, buffer, size);
}

BOOL CIniFile::ReadBinary(LPCWSTR key, BYTE* buffer, DWORD size, DWORD* bytesRead) {
    *bytesRead = 0;
    DWORD textSize = 2 * size + 3;
    std::unique_ptr<WCHAR[]> text(new (std::nothrow) WCHAR[textSize]);
    if (!text)
        return FALSE;
    // A block longer than the buffer is read as its leading bytes: the text is cut by the
    // profile API, so its truncation report does not make the read fail.
    ReadString(m_sectionName, key, L"", text.get(), textSize);
    DWORD count = static_cast<DWORD>(wcslen(text.get()) / 2);
    if (count > size)
        count = size;
    for (DWORD i = 0; i < count; ++i) {
        if (!ParseHexByte(text.get() + 2 * i, &buffer[i])) {
            *bytesRead = i;
            return TRUE;
        }
    }
    *bytesRead = count;
    return TRUE;
}

BOOL CIniFile::ReadInt(LPCWSTR section, LPCWSTR key, INT defaultValue, INT* value) {
    *value = static_cast<INT>(GetPrivateProfileIntW(section, key, defaultValue, m_fileName));
    return TRUE;
}

BOOL CIniFile::ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) {
    DWORD copied = GetPrivateProfileStringW(section, key, defaultValue, buffer, size, m_fileName);
    return size >= 2 && copied < size - 2;
}

BOOL CIniFile::WriteUInt64(LPCWSTR key, ULONGLONG value) {
    WCHAR text[kNumberTextSize];
    swprintf(text, kNumberTextSize, L"%llu", value);
    return WriteString(m_sectionName, key, text);
}

BOOL CIniFile::WriteInt(LPCWSTR key, INT value) {
    return WriteInt(m_sectionName, key, value);
}

BOOL CIniFile::WriteString(LPCWSTR key, LPCWSTR value) {
    return WriteString(m_sectionName, key, value);
}

BOOL CIniFile::WriteBinary(LPCWSTR key, const BYTE* bytes, DWORD size) {
    std::unique_ptr<WCHAR[]> text(new (std::nothrow) WCHAR[2 * size + 1]);
    if (!text)
        return FALSE;
    static const WCHAR kHexDigits[] = L"0123456789ABCDEF";
    for (DWORD i = 0; i < size; ++i) {
        text[2 * i] = kHexDigits[bytes[i] >> 4];
        text[2 * i + 1] = kHexDigits[bytes[i] & 0x0F];
    }
    text[2 * size] = L'\0';
    return WriteString(m_sectionName, key, text.get());
}

BOOL CIniFile::WriteInt(LPCWSTR section, LPCWSTR key, INT value) {
    WCHAR text[16];
    swprintf(text, 16, L"%u", static_cast<UINT>(value));
    return WriteString(section, key, text);
}

BOOL CIniFile::WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value) {
    return WritePrivateProfileStringW(section, key, value, m_fileName);
}

BOOL CIniFile::EnumSectionNames(EnumSectionNamesCallback callback, void* context) {
    DWORD size = kFirstSectionListSize;
    std::unique_ptr<WCHAR[]> names;
    DWORD length = 0;
    for (;;) {
        names.reset(new (std::nothrow) WCHAR[size]);
        if (!names)
            return TRUE;
        length = GetPrivateProfileSectionNamesW(names.get(), size, m_fileName);
        if (length != size - 2)
            break;
        size *= 2;
    }
    if (length == 0)
        return TRUE;
    for (LPCWSTR name = names.get(); *name; name += wcslen(name) + 1) {
        if (!callback(name, context))
            break;
    }
    return TRUE;
}

BOOL CIniFile::HasSection(LPCWSTR sectionName) {
    WCHAR firstKey[4];
    return GetPrivateProfileSectionW(sectionName, firstKey, 4, m_fileName) > 0;
}
