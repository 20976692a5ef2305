#include "lib/ReparsePoints.h"

#include "lib/KernelHandle.h"
#include "lib/PathText.h"
#include "lib/RuntimeModule.h"
#include "lib/StringCopy.h"

#include <winternl.h>
#include <winioctl.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

namespace {

typedef BOOLEAN(NTAPI* DosPathToNtPathFunction)(PCWSTR dosName, PUNICODE_STRING ntName, PWSTR* filePart,
                                                PVOID relativeName);
typedef VOID(NTAPI* FreeUnicodeStringFunction)(PUNICODE_STRING string);
typedef NTSTATUS(NTAPI* CreateFileFunction)(PHANDLE file, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                                            PIO_STATUS_BLOCK status, PLARGE_INTEGER allocationSize,
                                            ULONG fileAttributes, ULONG shareAccess, ULONG disposition, ULONG options,
                                            PVOID extendedAttributes, ULONG extendedLength);
typedef NTSTATUS(NTAPI* FsControlFileFunction)(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK status, ULONG code, PVOID input, ULONG inputLength,
                                               PVOID output, ULONG outputLength);

const ULONG kReparseDataBufferSize = 16384;
const ULONG kMountPointTag = 0xA0000003;
const ULONG kSymbolicLinkTag = 0xA000000C;
// Where the name offsets and the path buffer sit in the two kinds of reparse data.
const size_t kNameOffsetsPosition = 8;
const size_t kMountPointPathBufferPosition = 16;
const size_t kSymbolicLinkPathBufferPosition = 20;

struct NtFileFunctions {
    DosPathToNtPathFunction dosPathToNtPath;
    FreeUnicodeStringFunction freeUnicodeString;
    CreateFileFunction createFile;
    FsControlFileFunction fsControlFile;
};

// ntdll is mapped into every process, so the loader finds it without loading anything.
BOOL FindNtFileFunctions(const CRuntimeModule& ntdll, NtFileFunctions* functions) {
    functions->dosPathToNtPath = ntdll.Procedure<DosPathToNtPathFunction>("RtlDosPathNameToNtPathName_U");
    functions->freeUnicodeString = ntdll.Procedure<FreeUnicodeStringFunction>("RtlFreeUnicodeString");
    functions->createFile = ntdll.Procedure<CreateFileFunction>("NtCreateFile");
    functions->fsControlFile = ntdll.Procedure<FsControlFileFunction>("NtFsControlFile");
    return functions->dosPathToNtPath && functions->freeUnicodeString && functions->createFile &&
           functions->fsControlFile;
}

HANDLE OpenReparsePoint(const NtFileFunctions& functions, LPCWSTR path) {
    UNICODE_STRING ntName = {};
    if (!functions.dosPathToNtPath(path, &ntName, nullptr, nullptr))
        return nullptr;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &ntName, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE file = nullptr;
    // Sharing everything: reading the link must not fail because another program has the folder
    // open. Synchronous, so the control call below has finished when it returns.
    NTSTATUS result = functions.createFile(&file, GENERIC_READ | SYNCHRONIZE, &attributes, &status, nullptr, 0,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                           FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    functions.freeUnicodeString(&ntName);
    return NT_SUCCESS(result) ? file : nullptr;
}

USHORT ReadUShort(const BYTE* data, size_t position) {
    USHORT value;
    memcpy(&value, data + position, sizeof(value));
    return value;
}

BOOL StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

std::wstring Win32FormOfNtPath(const std::wstring& name) {
    if (StartsWith(name, L"\\??\\UNC\\"))
        return L"\\\\" + name.substr(8);
    if (!StartsWith(name, L"\\??\\"))
        return name;
    std::wstring rest = name.substr(4);
    if (rest.size() >= 2 && rest[1] == L':')
        return rest;
    // A volume mount point ("Volume{guid}\") is reachable through the Win32 device namespace.
    return L"\\\\?\\" + rest;
}

// Cuts the last component (and the separators before it) off the path; FALSE when only the root, or
// nothing, is left to cut.
BOOL RemoveLastComponent(std::wstring* path) {
    size_t rootLength = PathRootLength(*path);
    size_t end = path->size();
    while (end > rootLength && IsPathSeparator((*path)[end - 1]))
        --end;
    if (end <= rootLength)
        return FALSE;
    while (end > rootLength && !IsPathSeparator((*path)[end - 1]))
        --end;
    while (end > rootLength && IsPathSeparator((*path)[end - 1]))
        --end;
    if (end == 0)
        return FALSE;
    path->resize(end);
    return TRUE;
}

// Resolves a link target relative to the link's parent directory. Done by joining rather than by
// making the directory current, which would change state the whole process shares.
BOOL MakeAbsolute(const std::wstring& linkPath, std::wstring* target) {
    std::wstring base = linkPath;
    if (!RemoveLastComponent(&base))
        return FALSE;
    WCHAR full[kResolvedPathLength];
    if (!ResolvePathAgainst(base, *target, full, kResolvedPathLength))
        return FALSE;
    target->assign(full);
    return TRUE;
}

std::wstring JoinBelow(std::wstring target, const std::wstring& below) {
    size_t start = 0;
    while (start < below.size() && IsPathSeparator(below[start]))
        ++start;
    if (start == below.size())
        return target;
    while (target.size() > PathRootLength(target) && IsPathSeparator(target.back()))
        target.pop_back();
    if (target.empty() || !IsPathSeparator(target.back()))
        target += L'\\';
    return target + below.substr(start);
}

BOOL IsLinkDirectory(IReparsePointSource* source, const std::wstring& path) {
    DWORD attributes = source->GetAttributes(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// FALSE when the path had to be cut.
BOOL CopyResult(const std::wstring& path, LPWSTR resolved) {
    return CopyTruncated(resolved, kResolvedPathLength, path.c_str()) == path.size();
}

} // namespace

BOOL ParseReparsePointData(const BYTE* data, size_t size, std::wstring* target) {
    if (!data || size < kNameOffsetsPosition + 4)
        return FALSE;
    ULONG tag;
    memcpy(&tag, data, sizeof(tag));
    size_t pathBufferPosition;
    if (tag == kMountPointTag)
        pathBufferPosition = kMountPointPathBufferPosition;
    else if (tag == kSymbolicLinkTag)
        pathBufferPosition = kSymbolicLinkPathBufferPosition;
    else
        return FALSE;
    size_t nameOffset = ReadUShort(data, kNameOffsetsPosition);
    size_t nameBytes = ReadUShort(data, kNameOffsetsPosition + 2);
    if (nameBytes == 0 || nameBytes % sizeof(WCHAR) != 0 || pathBufferPosition + nameOffset + nameBytes > size)
        return FALSE;
    std::wstring name(nameBytes / sizeof(WCHAR), L'\0');
    memcpy(&name[0], data + pathBufferPosition + nameOffset, nameBytes);
    *target = Win32FormOfNtPath(name);
    return TRUE;
}

DWORD CFileSystemReparsePoints::GetAttributes(LPCWSTR path) {
    return GetFileAttributesW(path);
}

BOOL CFileSystemReparsePoints::ReadTarget(LPCWSTR linkPath, std::wstring* target) {
    CRuntimeModule ntdll(L"ntdll.dll");
    NtFileFunctions functions;
    if (!FindNtFileFunctions(ntdll, &functions))
        return FALSE;
    CKernelHandle file(OpenReparsePoint(functions, linkPath));
    if (!file)
        return FALSE;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[kReparseDataBufferSize]);
    IO_STATUS_BLOCK status = {};
    NTSTATUS result =
        data ? functions.fsControlFile(file.Get(), nullptr, nullptr, nullptr, &status, FSCTL_GET_REPARSE_POINT, nullptr,
                                       0, data.get(), kReparseDataBufferSize)
             : static_cast<NTSTATUS>(STATUS_NO_MEMORY);
    if (!NT_SUCCESS(result))
        return FALSE;
    return ParseReparsePointData(data.get(), status.Information, target);
}

BOOL ResolveReparsePoints(LPCWSTR path, LPWSTR resolved) {
    CFileSystemReparsePoints fileSystem;
    return ResolveReparsePoints(path, resolved, &fileSystem);
}

BOOL ResolveReparsePoints(LPCWSTR path, LPWSTR resolved, IReparsePointSource* source) {
    if (!path || !*path || !resolved)
        return FALSE;
    // The working path climbs from the full path towards its root looking for a link; a link found
    // is replaced by its target and the climb starts again from the new full path.
    std::wstring fullPath = path;
    std::wstring workingPath = fullPath;
    int linksFollowed = 0;
    for (;;) {
        if (IsLinkDirectory(source, workingPath)) {
            std::wstring target;
            if (linksFollowed == kMaxReparsePointsFollowed || !source->ReadTarget(workingPath.c_str(), &target) ||
                target.empty() || (!IsFullPath(target) && !MakeAbsolute(workingPath, &target))) {
                CopyResult(path, resolved);
                return FALSE;
            }
            fullPath = JoinBelow(target, fullPath.substr(workingPath.size()));
            workingPath = fullPath;
            ++linksFollowed;
        } else if (!RemoveLastComponent(&workingPath)) {
            // A path without links is taken as it was given, cut to the buffer if need be; a
            // resolved one must fit whole, a cut one would name another folder.
            if (CopyResult(fullPath, resolved) || linksFollowed == 0)
                return TRUE;
            CopyResult(path, resolved);
            return FALSE;
        }
    }
}
