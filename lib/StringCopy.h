#pragma once
#include <windows.h>

#include <cwchar>

// Copies at most size - 1 characters and always terminates: the fixed buffers of the program's
// records silently keep what fits.
inline void CopyTruncated(LPWSTR destination, size_t size, LPCWSTR source) {
    if (size == 0)
        return;
    wcsncpy(destination, source ? source : L"", size - 1);
    destination[size - 1] = L'\0';
}
