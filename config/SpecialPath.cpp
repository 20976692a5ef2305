#include "config/SpecialPath.h"

#include "lib/FileSystem.h"
#include "lib/PathText.h"
#include "lib/StringCopy.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

const SpecialFolderEntry kSpecialFolders[55] = {
    {0x30, L"CSIDL_ADMINTOOLS"},
    {0x1D, L"CSIDL_ALTSTARTUP"},
    {0x1A, L"CSIDL_APPDATA"},
    {0xA, L"CSIDL_BITBUCKET"},
    {0x3B, L"CSIDL_CDBURN_AREA"},
    {0x2F, L"CSIDL_COMMON_ADMINTOOLS"},
    {0x1E, L"CSIDL_COMMON_ALTSTARTUP"},
    {0x23, L"CSIDL_COMMON_APPDATA"},
    {0x19, L"CSIDL_COMMON_DESKTOPDIRECTORY"},
    {0x2E, L"CSIDL_COMMON_DOCUMENTS"},
    {0x1F, L"CSIDL_COMMON_FAVORITES"},
    {0x35, L"CSIDL_COMMON_MUSIC"},
    {0x3A, L"CSIDL_COMMON_OEM_LINKS"},
    {0x36, L"CSIDL_COMMON_PICTURES"},
    {0x17, L"CSIDL_COMMON_PROGRAMS"},
    {0x16, L"CSIDL_COMMON_STARTMENU"},
    {0x18, L"CSIDL_COMMON_STARTUP"},
    {0x2D, L"CSIDL_COMMON_TEMPLATES"},
    {0x37, L"CSIDL_COMMON_VIDEO"},
    {0x3D, L"CSIDL_COMPUTERSNEARME"},
    {0x31, L"CSIDL_CONNECTIONS"},
    {0x3, L"CSIDL_CONTROLS"},
    {0x21, L"CSIDL_COOKIES"},
    {0x0, L"CSIDL_DESKTOP"},
    {0x10, L"CSIDL_DESKTOPDIRECTORY"},
    {0x11, L"CSIDL_DRIVES"},
    {0x6, L"CSIDL_FAVORITES"},
    {0x14, L"CSIDL_FONTS"},
    {0x22, L"CSIDL_HISTORY"},
    {0x1, L"CSIDL_INTERNET"},
    {0x20, L"CSIDL_INTERNET_CACHE"},
    {0x1C, L"CSIDL_LOCAL_APPDATA"},
    {0x5, L"CSIDL_MYDOCUMENTS"},
    {0xD, L"CSIDL_MYMUSIC"},
    {0x27, L"CSIDL_MYPICTURES"},
    {0xE, L"CSIDL_MYVIDEO"},
    {0x13, L"CSIDL_NETHOOD"},
    {0x12, L"CSIDL_NETWORK"},
    {0x4, L"CSIDL_PRINTERS"},
    {0x1B, L"CSIDL_PRINTHOOD"},
    {0x28, L"CSIDL_PROFILE"},
    {0x26, L"CSIDL_PROGRAM_FILES"},
    {0x2A, L"CSIDL_PROGRAM_FILESX86"},
    {0x2B, L"CSIDL_PROGRAM_FILES_COMMON"},
    {0x2C, L"CSIDL_PROGRAM_FILES_COMMONX86"},
    {0x2, L"CSIDL_PROGRAMS"},
    {0x8, L"CSIDL_RECENT"},
    {0x38, L"CSIDL_RESOURCES"},
    {0x39, L"CSIDL_RESOURCES_LOCALIZED"},
    {0xB, L"CSIDL_STARTMENU"},
    {0x7, L"CSIDL_STARTUP"},
    {0x25, L"CSIDL_SYSTEM"},
    {0x29, L"CSIDL_SYSTEMX86"},
    {0x15, L"CSIDL_TEMPLATES"},
    {0x24, L"CSIDL_WINDOWS"},
};

namespace {

const WCHAR kSpecialPrefix[] = L"::CSIDL:";
const size_t kSpecialPrefixLength = 8;

bool IsSpecialPath(LPCWSTR path) {
    return wcsncmp(path, kSpecialPrefix, kSpecialPrefixLength) == 0;
}

BOOL GetSpecialFolderPath(int csidl, LPWSTR path) {
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path));
}

} // namespace

std::wstring FormatSpecialPath(int csidl) {
    WCHAR text[32];
    swprintf(text, 32, L"::CSIDL:0x%X", static_cast<unsigned>(csidl));
    return text;
}

BOOL ParseSpecialPath(LPCWSTR storedPath, int* csidl) {
    if (!storedPath || !IsSpecialPath(storedPath))
        return FALSE;
    unsigned number = 0;
    if (swscanf(storedPath, L"::CSIDL:0x%X", &number) != 1)
        return FALSE;
    *csidl = static_cast<int>(number);
    return TRUE;
}

namespace {
std::wstring g_programDirectoryOverride;
}

void OverrideProgramDirectory(LPCWSTR directory) {
    g_programDirectoryOverride = directory ? directory : L"";
}

std::wstring GetProgramDirectory() {
    if (!g_programDirectoryOverride.empty())
        return g_programDirectoryOverride;
    WCHAR module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    LPWSTR lastSeparator = wcsrchr(module, L'\\');
    if (lastSeparator)
        lastSeparator[1] = L'\0';
    return module;
}

BOOL ResolveSpecialPath(LPCWSTR storedPath, LPWSTR resolved) {
    resolved[0] = L'\0';
    if (!storedPath)
        return FALSE;
    if (IsSpecialPath(storedPath)) {
        int csidl = 0;
        if (!ParseSpecialPath(storedPath, &csidl))
            return FALSE;
        if (GetSpecialFolderPath(csidl, resolved))
            return TRUE;
        resolved[0] = L'\0';
        return FALSE;
    }
    if (!MakeAbsolutePath(nullptr, storedPath, resolved))
        return FALSE;
    return IsExistingDirectory(resolved);
}

BOOL MakeAbsolutePath(LPCWSTR baseDirectory, LPCWSTR path, LPWSTR absolute) {
    absolute[0] = L'\0';
    if (!path || path == absolute)
        return FALSE;
    std::wstring plain = path;
    std::replace(plain.begin(), plain.end(), L'/', L'\\');
    std::wstring base = baseDirectory ? std::wstring(baseDirectory) : GetProgramDirectory();
    if (plain.empty() || plain == L".\\") {
        CopyTruncated(absolute, MAX_PATH, base.c_str());
        return TRUE;
    }
    return ResolvePathAgainst(base, plain, absolute, MAX_PATH);
}

BOOL GetLastPathComponent(LPCWSTR storedPath, LPWSTR component) {
    component[0] = L'\0';
    WCHAR resolved[MAX_PATH];
    if (!ResolveSpecialPath(storedPath, resolved))
        return FALSE;
    size_t length = wcslen(resolved);
    if (length > 0 && resolved[length - 1] == L'\\')
        resolved[--length] = L'\0';
    LPCWSTR lastSeparator = wcsrchr(resolved, L'\\');
    wcscpy(component, lastSeparator ? lastSeparator + 1 : resolved);
    return TRUE;
}

std::vector<SpecialFolderOffer> GetSpecialFolderOffers() {
    std::vector<SpecialFolderOffer> offers;
    for (const SpecialFolderEntry& entry : kSpecialFolders) {
        WCHAR path[MAX_PATH];
        if (SHGetFolderPathW(nullptr, entry.csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
            continue;
        WCHAR text[516];
        swprintf(text, ARRAYSIZE(text), L"%ls    (%ls)", path, entry.name);
        offers.push_back({entry.csidl, path, text});
    }
    std::stable_sort(offers.begin(), offers.end(),
                     [](const SpecialFolderOffer& a, const SpecialFolderOffer& b) { return a.path < b.path; });
    return offers;
}
