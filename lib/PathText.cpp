#include "lib/PathText.h"

#include <cwchar>

LPCWSTR FindLastComponent(LPCWSTR path) {
    LPCWSTR component = path;
    for (LPCWSTR character = path; *character; ++character) {
        if (*character == L'\\' || *character == L'/')
            component = character + 1;
    }
    return component;
}

LPCWSTR FindExtension(LPCWSTR path) {
    LPCWSTR component = FindLastComponent(path);
    LPCWSTR lastDot = wcsrchr(component, L'.');
    return lastDot ? lastDot + 1 : component + wcslen(component);
}

BOOL HasExtension(LPCWSTR path, LPCWSTR extension) {
    LPCWSTR found = FindExtension(path);
    // No dot at all is no extension, even when the wanted one is empty.
    return found != path && found[-1] == L'.' && _wcsicmp(found, extension) == 0;
}
