#include "menus/FolderMenuPaths.h"

#include "lib/StringCopy.h"

#include <cwchar>

size_t CopyPathCut(LPWSTR destination, LPCWSTR source) {
    return CopyTruncated(destination, kPathBufferLength, source);
}

size_t CopyFolderWithBackslash(LPWSTR destination, LPCWSTR folder) {
    size_t length = CopyPathCut(destination, folder);
    if (length > 0 && destination[length - 1] == L'\\')
        return length;
    // The backslash has to fit as well: a folder cut at the buffer's end gives up its last character.
    if (length == kMaxPathLength)
        --length;
    destination[length++] = L'\\';
    destination[length] = L'\0';
    return length;
}

BOOL IsShortcutExtension(LPCWSTR extension) {
    return _wcsicmp(extension, L"lnk") == 0;
}

BOOL IsLibraryExtension(LPCWSTR extension) {
    return _wcsicmp(extension, L"library-ms") == 0;
}

BOOL IsDotOrDotDot(LPCWSTR name) {
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}
