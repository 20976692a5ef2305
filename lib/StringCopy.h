#pragma once
#include <windows.h>

#include <cwchar>

// Copies at most size - 1 characters and always terminates: the fixed buffers of the program's
// records silently keep what fits. Returns the number of characters copied.
inline size_t CopyTruncated(LPWSTR destination, size_t size, LPCWSTR source) {
    if (size == 0)
        return 0;
    size_t length = source ? wcsnlen(source, size - 1) : 0;
    wmemmove(destination, source ? source : L"", length);
    destination[length] = L'\0';
    return length;
}

// Appends what fits of source to the terminated text in destination; returns the new length.
inline size_t AppendTruncated(LPWSTR destination, size_t size, LPCWSTR source) {
    size_t length = wcsnlen(destination, size);
    if (length >= size)
        return length;
    return length + CopyTruncated(destination + length, size - length, source);
}

// The same into a fixed array, whose size the compiler knows.
template <size_t Size> size_t CopyTruncated(WCHAR (&destination)[Size], LPCWSTR source) {
    return CopyTruncated(destination, Size, source);
}

template <size_t Size> size_t AppendTruncated(WCHAR (&destination)[Size], LPCWSTR source) {
    return AppendTruncated(destination, Size, source);
}
