#pragma once
#include <windows.h>

#include "lib/KernelHandle.h"

// A new, empty file (an existing one is replaced) that others may read while it is written.
CFileHandle CreateFileForWriting(LPCWSTR path);
// Writes every byte or reports failure.
BOOL WriteAll(HANDLE file, const void* data, size_t size);
