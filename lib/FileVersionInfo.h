#pragma once
#include <windows.h>

#include <memory>
#include <vector>

class CRuntimeModule;

const size_t kVersionStringLength = 260;

// The version resource of an executable file: its fixed block and the standard strings of its
// first translation. Version.dll is loaded only when a file is read, so the program starts where
// that library is missing.
class FileVersionInfo {
public:
    FileVersionInfo();
    ~FileVersionInfo();
    FileVersionInfo(const FileVersionInfo&) = delete;
    FileVersionInfo& operator=(const FileVersionInfo&) = delete;

    // TRUE when the file has a version resource with a valid fixed block. Fields read before a
    // failure keep their values.
    BOOL Load(LPCWSTR path);
    // One string of the first translation ("ProductName", ...) into kVersionStringLength units.
    BOOL GetString(LPCWSTR name, LPWSTR output);

    WORD m_wLanguage;
    WORD m_wCodePage;
    VS_FIXEDFILEINFO m_FixedFileInfo;
    DWORD m_dwFileVersionMajor;
    DWORD m_dwFileVersionMinor;
    WCHAR m_szCompanyName[kVersionStringLength];
    WCHAR m_szFileDescription[kVersionStringLength];
    WCHAR m_szFileVersion[kVersionStringLength];
    WCHAR m_szInternalName[kVersionStringLength];
    WCHAR m_szLegalCopyright[kVersionStringLength];
    WCHAR m_szOriginalFilename[kVersionStringLength];
    WCHAR m_szProductName[kVersionStringLength];
    WCHAR m_szProductVersion[kVersionStringLength];

private:
    typedef DWORD(WINAPI* GetFileVersionInfoSizeFunction)(LPCWSTR, LPDWORD);
    typedef BOOL(WINAPI* GetFileVersionInfoFunction)(LPCWSTR, DWORD, DWORD, LPVOID);
    typedef BOOL(WINAPI* VerQueryValueFunction)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

    BOOL LoadFunctions();

    std::vector<BYTE> m_versionData;
    std::unique_ptr<CRuntimeModule> m_versionLibrary;
    BOOL m_functionsFound;
    GetFileVersionInfoSizeFunction m_getFileVersionInfoSize;
    GetFileVersionInfoFunction m_getFileVersionInfo;
    VerQueryValueFunction m_verQueryValue;
};

// Turns a FileVersion text into its first three numbers joined by dots: "1.3.9.0" and
// "1, 3, 9, 0" both give "1.3.9". FALSE when the text has fewer than three numbers or the result
// does not fit into size units; the destination always ends with a terminator inside its size.
BOOL NormalizeVersionString(LPCWSTR source, LPWSTR destination, size_t size);
