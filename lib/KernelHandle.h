#pragma once
#include "lib/UniqueHandle.h"

// Kernel objects report failure as null (events, processes, threads)...
struct KernelHandleTraits {
    typedef HANDLE Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle handle) { CloseHandle(handle); }
};

// ...but CreateFileW reports it as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    typedef HANDLE Handle;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { CloseHandle(handle); }
};

struct FindHandleTraits {
    typedef HANDLE Handle;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { FindClose(handle); }
};

typedef CUniqueHandle<KernelHandleTraits> CKernelHandle;
typedef CUniqueHandle<FileHandleTraits> CFileHandle;
typedef CUniqueHandle<FindHandleTraits> CFindHandle;
