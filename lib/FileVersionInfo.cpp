#include "lib/FileVersionInfo.h"

#include "lib/RuntimeModule.h"
#include "lib/StringCopy.h"

#include <cstdio>
#include <cstring>

FileVersionInfo::FileVersionInfo()
    : m_wLanguage(0), m_wCodePage(0), m_FixedFileInfo(), m_dwFileVersionMajor(0), m_dwFileVersionMinor(0),
      m_szCompanyName(), m_szFileDescription(), m_szFileVersion(), m_szInternalName(), m_szLegalCopyright(),
      m_szOriginalFilename(), m_szProductName(), m_szProductVersion(), m_functionsFound(FALSE),
      m_getFileVersionInfoSize(nullptr), m_getFileVersionInfo(nullptr), m_verQueryValue(nullptr) {}

FileVersionInfo::~FileVersionInfo() {
    // The pointers point into the library: forget them before it goes.
    m_functionsFound = FALSE;
    m_getFileVersionInfoSize = nullptr;
    m_getFileVersionInfo = nullptr;
    m_verQueryValue = nullptr;
}

BOOL FileVersionInfo::LoadFunctions() {
    if (!m_versionLibrary)
        m_versionLibrary.reset(new CRuntimeModule(L"Version.dll"));
    if (!m_versionLibrary->Handle())
        return FALSE;
    m_getFileVersionInfoSize = m_versionLibrary->Procedure<GetFileVersionInfoSizeFunction>("GetFileVersionInfoSizeW");
    m_getFileVersionInfo = m_versionLibrary->Procedure<GetFileVersionInfoFunction>("GetFileVersionInfoW");
    m_verQueryValue = m_versionLibrary->Procedure<VerQueryValueFunction>("VerQueryValueW");
    m_functionsFound = m_getFileVersionInfoSize && m_getFileVersionInfo && m_verQueryValue;
    return m_functionsFound;
}

BOOL FileVersionInfo::Load(LPCWSTR path) {
    if (!m_functionsFound && !LoadFunctions())
        return FALSE;
    DWORD ignored = 0;
    DWORD size = m_getFileVersionInfoSize(path, &ignored);
    if (size == 0)
        return FALSE;
    m_versionData.assign(size, 0);
    if (!m_getFileVersionInfo(path, 0, size, m_versionData.data()))
        return FALSE;

    m_FixedFileInfo = VS_FIXEDFILEINFO();
    void* value = nullptr;
    UINT length = 0;
    if (!m_verQueryValue(m_versionData.data(), L"\\", &value, &length) || !value || length < sizeof(m_FixedFileInfo))
        return FALSE;
    memcpy(&m_FixedFileInfo, value, sizeof(m_FixedFileInfo));

    m_wCodePage = 1200;
    if (!m_verQueryValue(m_versionData.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value ||
        length < 2 * sizeof(WORD))
        return FALSE;
    const WORD* translation = static_cast<const WORD*>(value);
    m_wLanguage = translation[0];
    m_wCodePage = translation[1];

    const struct {
        LPCWSTR name;
        LPWSTR field;
    } strings[] = {{L"CompanyName", m_szCompanyName},       {L"FileDescription", m_szFileDescription},
                   {L"FileVersion", m_szFileVersion},       {L"InternalName", m_szInternalName},
                   {L"LegalCopyright", m_szLegalCopyright}, {L"OriginalFilename", m_szOriginalFilename},
                   {L"ProductName", m_szProductName},       {L"ProductVersion", m_szProductVersion}};
    for (const auto& string : strings)
        GetString(string.name, string.field);

    m_dwFileVersionMajor = 0;
    m_dwFileVersionMinor = 0;
    unsigned major = 0, minor = 0;
    swscanf(m_szFileVersion, L"%u.%u", &major, &minor);
    m_dwFileVersionMajor = major;
    m_dwFileVersionMinor = minor;
    return m_FixedFileInfo.dwSignature == VS_FFI_SIGNATURE;
}

BOOL FileVersionInfo::GetString(LPCWSTR name, LPWSTR output) {
    output[0] = L'\0';
    if (m_versionData.empty() || !m_verQueryValue)
        return FALSE;
    wchar_t query[kVersionStringLength + 40];
    _snwprintf(query, ARRAYSIZE(query), L"\\StringFileInfo\\%04x%04x\\%s", m_wLanguage, m_wCodePage, name);
    query[ARRAYSIZE(query) - 1] = L'\0';
    void* value = nullptr;
    UINT length = 0;
    if (!m_verQueryValue(m_versionData.data(), query, &value, &length) || !value)
        return FALSE;
    // The length counts characters and may include the terminator or not, depending on the writer
    // of the resource; the copy stops at the terminator either way.
    size_t count = length < kVersionStringLength ? length : kVersionStringLength - 1;
    wcsncpy(output, static_cast<LPCWSTR>(value), count);
    output[count] = L'\0';
    return TRUE;
}

namespace {

// Appends part (length units) to the destination, with a dot before every part but the first.
BOOL AppendVersionPart(LPWSTR destination, size_t size, size_t* used, int partIndex, LPCWSTR part, size_t length) {
    size_t needed = length + (partIndex > 0 ? 1 : 0) + 1;
    if (*used + needed > size)
        return FALSE;
    if (partIndex > 0)
        destination[(*used)++] = L'.';
    wmemcpy(destination + *used, part, length);
    *used += length;
    destination[*used] = L'\0';
    return TRUE;
}

// Cuts the text at its third dot; a leading dot does not count. The destination keeps what fits
// even when the text has fewer dots or the cut text is too long.
BOOL NormalizeDottedVersion(LPCWSTR source, LPWSTR destination, size_t size) {
    size_t length = wcslen(source);
    int dots = 0;
    for (size_t index = 1; index < length; ++index) {
        if (source[index] == L'.' && ++dots == 3) {
            length = index;
            break;
        }
    }
    size_t copied = length < size ? length : size - 1;
    wmemcpy(destination, source, copied);
    destination[copied] = L'\0';
    return dots == 3 && copied == length;
}

} // namespace

BOOL NormalizeVersionString(LPCWSTR source, LPWSTR destination, size_t size) {
    if (!destination || size == 0)
        return FALSE;
    destination[0] = L'\0';
    if (!source)
        return FALSE;
    if (!wcschr(source, L','))
        return NormalizeDottedVersion(source, destination, size);

    // Resource compilers write "1, 3, 9, 0": a comma, usually followed by one blank.
    size_t used = 0;
    int parts = 0;
    LPCWSTR start = source;
    for (LPCWSTR comma = wcschr(start, L','); comma; comma = wcschr(start, L',')) {
        if (!AppendVersionPart(destination, size, &used, parts, start, comma - start))
            return FALSE;
        if (++parts == 3)
            return TRUE;
        start = comma + 1;
        if (*start == L' ')
            ++start;
    }
    if (!AppendVersionPart(destination, size, &used, parts, start, wcslen(start)))
        return FALSE;
    return ++parts == 3;
}
