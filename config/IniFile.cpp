#include "config/IniFile.h"
#include "lib/FileReplace.h"
#include "lib/FileSystem.h"
#include "lib/KernelHandle.h"
#include "lib/StringCopy.h"

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

const DWORD kNumberTextSize = 128;

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

std::u16string_view Text(LPCWSTR text) {
    static_assert(sizeof(WCHAR) == sizeof(char16_t), "WCHAR is a UTF-16 code unit");
    return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text)) : std::u16string_view();
}

std::u16string DecodeAnsi(const char* bytes, size_t size) {
    std::u16string text;
    if (size == 0 || size > INT_MAX)
        return text;
    int length = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    text.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), reinterpret_cast<LPWSTR>(&text[0]), length);
    return text;
}

std::string EncodeAnsi(const char16_t* text, size_t length) {
    std::string bytes;
    if (length == 0 || length > INT_MAX)
        return bytes;
    LPCWSTR wide = reinterpret_cast<LPCWSTR>(text);
    int size = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

const IniCodePage kSystemCodePage = {DecodeAnsi, EncodeAnsi};

// Far above any real configuration (a thousand folder items take about 2.5 MB). A larger file is
// treated as unreadable, the way a damaged one is: it is not parsed, whose memory grows with the
// file, and never written over.
const LONGLONG kLargestReadableFile = 16 * 1024 * 1024;

bool ReadWholeFile(HANDLE file, std::vector<unsigned char>& bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kLargestReadableFile)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return false;
    bytes.resize(read);
    return true;
}

// TRUE when the value fitted the buffer for certain.
BOOL FittedForCertain(size_t copied, DWORD size) {
    return size >= 2 && copied < size - 2;
}

} // namespace

BOOL CreateDirectoryWithParents(LPCWSTR directory) {
    WCHAR path[MAX_PATH];
    CopyTruncated(path, directory);
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
    CopyTruncated(m_fileName, fileName ? fileName : L"");
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
    m_currentSectionKnown = false;
    // Reads of the current section then trust the document without asking the file system for
    // every key: a section is read at one go.
    Document();
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
    ReadString(key, defaultText, text, kNumberTextSize);
    if (ParseUInt64(text, value))
        return TRUE;
    *value = defaultValue;
    return FALSE;
}

BOOL CIniFile::ReadInt(LPCWSTR key, INT defaultValue, INT* value) {
    const CIniDocument& document = CurrentDocument();
    *value = static_cast<INT>(document.GetInt(CurrentSection(), Text(key), defaultValue));
    return TRUE;
}

BOOL CIniFile::ReadString(LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) {
    const CIniDocument& document = CurrentDocument();
    size_t copied =
        document.GetString(CurrentSection(), Text(key), Text(defaultValue), reinterpret_cast<char16_t*>(buffer), size);
    return FittedForCertain(copied, size);
}

BOOL CIniFile::ReadBinary(LPCWSTR key, BYTE* buffer, DWORD size, DWORD* bytesRead) {
    *bytesRead = 0;
    DWORD textSize = 2 * size + 3;
    std::unique_ptr<WCHAR[]> text(new (std::nothrow) WCHAR[textSize]);
    if (!text)
        return FALSE;
    // A block longer than the buffer is read as its leading bytes: the text is cut by the
    // profile API, so its truncation report does not make the read fail.
    ReadString(key, L"", text.get(), textSize);
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
    *value = static_cast<INT>(Document().GetInt(Text(section), Text(key), defaultValue));
    return TRUE;
}

BOOL CIniFile::ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) {
    size_t copied =
        Document().GetString(Text(section), Text(key), Text(defaultValue), reinterpret_cast<char16_t*>(buffer), size);
    return FittedForCertain(copied, size);
}

BOOL CIniFile::WriteUInt64(LPCWSTR key, ULONGLONG value) {
    WCHAR text[kNumberTextSize];
    swprintf(text, kNumberTextSize, L"%llu", value);
    return WriteString(m_sectionName, key, text);
}

BOOL CIniFile::WriteInt(LPCWSTR key, INT value) {
    WCHAR text[16];
    _ultow(static_cast<UINT>(value), text, 10);
    return WriteString(key, text);
}

BOOL CIniFile::WriteString(LPCWSTR key, LPCWSTR value) {
    if (!PrepareWrite())
        return FALSE;
    size_t section = CurrentSection();
    if (section == CIniDocument::kNoSection)
        m_currentSection = m_document.SetString(Text(m_sectionName), Text(key), Text(value));
    else
        m_document.SetString(section, Text(key), Text(value));
    return Written();
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
    _ultow(static_cast<UINT>(value), text, 10);
    return WriteString(section, key, text);
}

BOOL CIniFile::WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value) {
    if (!PrepareWrite())
        return FALSE;
    m_document.SetString(Text(section), Text(key), Text(value));
    // The write may have made the current section, which was known as missing.
    if (m_currentSection == CIniDocument::kNoSection)
        m_currentSectionKnown = false;
    return Written();
}

BOOL CIniFile::PrepareWrite() {
    Document();
    // A file that exists but could not be read is never overwritten: its content would be lost.
    return m_readable || m_newFile;
}

BOOL CIniFile::Written() {
    return m_writeDepth > 0 ? TRUE : Commit();
}

BOOL CIniFile::EnumSectionNames(EnumSectionNamesCallback callback, void* context) {
    for (const std::u16string& name : Document().SectionNames()) {
        if (!callback(reinterpret_cast<LPCWSTR>(name.c_str()), context))
            break;
    }
    return TRUE;
}

BOOL CIniFile::HasSection(LPCWSTR sectionName) {
    return Document().HasKeys(Text(sectionName));
}

void CIniFile::BeginWrites() {
    ++m_writeDepth;
}

BOOL CIniFile::EndWrites() {
    if (m_writeDepth > 0 && --m_writeDepth > 0)
        return TRUE;
    return Commit();
}

void CIniFile::BeginReads() {
    if (m_readDepth == 0)
        Document();
    ++m_readDepth;
}

void CIniFile::StartNewFile() {
    SetDocument(CIniDocument());
    m_loaded = true;
    m_newFile = true;
}

BOOL CIniFile::IsReadable() {
    Document();
    return m_readable;
}

BOOL CIniFile::IsEmpty() {
    return Document().IsEmpty();
}

const CIniDocument& CIniFile::CurrentDocument() {
    return m_loaded ? m_document : Document();
}

size_t CIniFile::CurrentSection() {
    if (!m_currentSectionKnown) {
        m_currentSection = m_document.FindSectionNumber(Text(m_sectionName));
        m_currentSectionKnown = true;
    }
    return m_currentSection;
}

void CIniFile::SetDocument(CIniDocument&& document) {
    m_document = std::move(document);
    m_currentSectionKnown = false;
}

const CIniDocument& CIniFile::Document() {
    // Inside a batch the document holds writes not yet on disk; a re-read would lose them.
    if (m_newFile || ((m_writeDepth > 0 || m_readDepth > 0) && m_loaded))
        return m_document;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExW(m_fileName, GetFileExInfoStandard, &attributes)) {
        SetDocument(CIniDocument());
        m_readable = GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
        m_loaded = false;
        return m_document;
    }
    ULONGLONG size = (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    if (m_loaded && size == m_size && CompareFileTime(&attributes.ftLastWriteTime, &m_writeTime) == 0)
        return m_document;

    std::vector<unsigned char> bytes;
    CFileHandle file(CreateFileW(m_fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    m_readable = file && ReadWholeFile(file.Get(), bytes);
    SetDocument(m_readable ? CIniDocument::Parse(std::move(bytes), kSystemCodePage) : CIniDocument());
    m_loaded = m_readable;
    m_writeTime = attributes.ftLastWriteTime;
    m_size = size;
    return m_document;
}

BOOL CIniFile::Commit() {
    if (!m_document.Modified())
        return TRUE;
    std::vector<unsigned char> bytes = m_document.Serialize(kSystemCodePage);
    BOOL written = WriteFileReplacing(m_fileName, bytes);
    // Written or not, the file is read again when next needed: what is on disk is the truth.
    m_newFile = false;
    m_loaded = false;
    if (written) {
        // What a fresh read of the file would give, without reading it again. The old document
        // goes first, so that two are never held at once.
        SetDocument(CIniDocument());
        SetDocument(CIniDocument::Parse(std::move(bytes), kSystemCodePage));
        WIN32_FILE_ATTRIBUTE_DATA attributes;
        if (GetFileAttributesExW(m_fileName, GetFileExInfoStandard, &attributes)) {
            m_writeTime = attributes.ftLastWriteTime;
            m_size = (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
            m_loaded = true;
        }
    }
    return written;
}
