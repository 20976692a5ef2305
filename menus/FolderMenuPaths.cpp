#include "menus/FolderMenuPaths.h"

#include <cwchar>

namespace {

inline BOOL IsSeparator(WCHAR character) {
    return character == L'\\' || character == L'/';
}

} // namespace

size_t CopyPathCut(LPWSTR destination, LPCWSTR source) {
    size_t length = wcsnlen(source, kMaxPathLength);
    wmemcpy(destination, source, length);
    destination[length] = L'\0';
    return length;
}

size_t CopyFolderWithBackslash(LPWSTR destination, LPCWSTR folder) {
    size_t length = CopyPathCut(destination, folder);
    if (length == 0 || destination[length - 1] != L'\\') {
        destination[length++] = L'\\';
        destination[length] = L'\0';
    }
    return length;
}

LPCWSTR FindLastComponent(LPCWSTR path) {
    LPCWSTR component = path;
    for (LPCWSTR character = path; *character; ++character) {
        if (IsSeparator(*character))
            component = character + 1;
    }
    return component;
}

LPCWSTR FindExtension(LPCWSTR path) {
    LPCWSTR component = FindLastComponent(path);
    LPCWSTR lastDot = wcsrchr(component, L'.');
    return lastDot ? lastDot + 1 : component + wcslen(component);
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

BOOL IsExistingDirectory(LPCWSTR path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
