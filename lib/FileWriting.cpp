#include "lib/FileWriting.h"

CFileHandle CreateFileForWriting(LPCWSTR path) {
    return CFileHandle(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

BOOL WriteAll(HANDLE file, const void* data, size_t size) {
    const BYTE* next = static_cast<const BYTE*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, next, chunk, &written, nullptr) || written == 0)
            return FALSE;
        next += written;
        size -= written;
    }
    return TRUE;
}
