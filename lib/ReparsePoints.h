#pragma once
#include <windows.h>

#include <string>

// The size, in characters, of the buffer that receives a resolved path.
const size_t kResolvedPathLength = 4096;
// How many links one resolution follows before giving up: the limit the system itself applies to a
// single path, and what ends a cycle of links.
const int kMaxReparsePointsFollowed = 63;

// The questions link resolution asks of the file system, behind an interface so that tests can
// answer them with links that Wine cannot create.
class IReparsePointSource {
public:
    virtual ~IReparsePointSource() {}
    // As GetFileAttributesW.
    virtual DWORD GetAttributes(LPCWSTR path) = 0;
    // The target of the directory junction or symbolic link at linkPath: a full path, or a path
    // relative to the link's parent directory. FALSE for other kinds of reparse point and for data
    // that cannot be read.
    virtual BOOL ReadTarget(LPCWSTR linkPath, std::wstring* target) = 0;
};

// The real file system, the link data read through ntdll.
class CFileSystemReparsePoints : public IReparsePointSource {
public:
    DWORD GetAttributes(LPCWSTR path) override;
    BOOL ReadTarget(LPCWSTR linkPath, std::wstring* target) override;
};

// The target named by the reparse data FSCTL_GET_REPARSE_POINT returns, turned from the NT form
// ("\??\C:\Folder") into a Win32 path; relative symbolic-link targets stay relative.
BOOL ParseReparsePointData(const BYTE* data, size_t size, std::wstring* target);

// Writes into resolved (kResolvedPathLength characters) the path with every directory junction and
// directory symbolic link on it, the last component included, replaced by its target, repeatedly,
// until none is left. A path without links is copied as it is (its first kResolvedPathLength - 1
// characters when it is longer). FALSE, with the given path in resolved, when a link cannot be read,
// when more than kMaxReparsePointsFollowed links would have to be followed, or when the resolved path
// does not fit.
BOOL ResolveReparsePoints(LPCWSTR path, LPWSTR resolved);
BOOL ResolveReparsePoints(LPCWSTR path, LPWSTR resolved, IReparsePointSource* source);
