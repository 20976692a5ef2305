#include "lib/FileReplace.h"
#include "lib/KernelHandle.h"

#include <string>

namespace {

std::wstring TemporaryNameFor(LPCWSTR target) {
    return std::wstring(target) + L".tmp";
}

// The caller reports why the save failed: the clean-up keeps that reason.
void DiscardTemporary(const std::wstring& temporary) {
    DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    SetLastError(error);
}

BOOL RenameOver(const std::wstring& temporary, LPCWSTR target) {
    if (MoveFileExW(temporary.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TRUE;
    DiscardTemporary(temporary);
    return FALSE;
}

} // namespace

BOOL WriteFileReplacing(LPCWSTR target, const std::vector<unsigned char>& bytes) {
    std::wstring temporary = TemporaryNameFor(target);
    {
        CFileHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return FALSE;
        DWORD written = 0;
        bool complete = bytes.empty() ||
                        (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                         written == bytes.size());
        // Without the flush the rename could reach the disk before the content does.
        if (!complete || !FlushFileBuffers(file.Get())) {
            DWORD error = GetLastError();
            file.Reset();
            SetLastError(error);
            DiscardTemporary(temporary);
            return FALSE;
        }
    }
    return RenameOver(temporary, target);
}

BOOL CopyFileReplacing(LPCWSTR source, LPCWSTR target) {
    std::wstring temporary = TemporaryNameFor(target);
    if (!CopyFileW(source, temporary.c_str(), FALSE))
        return FALSE;
    return RenameOver(temporary, target);
}

BOOL CanReplaceFile(LPCWSTR target) {
    DWORD attributes = GetFileAttributesW(target);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // The rename over a read-only file fails only at the very end, after the temporary file
        // was written; a directory of that name can never be replaced.
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        // DELETE as well: a program holding the file without sharing its deletion blocks the rename.
        CFileHandle existing(CreateFileW(target, GENERIC_WRITE | DELETE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!existing)
            return FALSE;
    }
    // The probe has a name of its own, so that it never meets a temporary file a save left.
    std::wstring probe = std::wstring(target) + L".probe";
    CFileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file ? TRUE : FALSE;
}
