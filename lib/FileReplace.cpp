#include "lib/FileReplace.h"
#include "lib/KernelHandle.h"

#include <string>

namespace {

std::wstring TemporaryNameFor(LPCWSTR target) {
    return std::wstring(target) + L".tmp";
}

BOOL RenameOver(const std::wstring& temporary, LPCWSTR target) {
    if (MoveFileExW(temporary.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TRUE;
    DeleteFileW(temporary.c_str());
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
            file.Reset();
            DeleteFileW(temporary.c_str());
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
