#include "lib/PathText.h"

#include <cwchar>

namespace {

BOOL StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

size_t SkipComponent(const std::wstring& path, size_t position) {
    while (position < path.size() && !IsPathSeparator(path[position]))
        ++position;
    return position;
}

} // namespace

BOOL IsPathSeparator(WCHAR character) {
    return character == L'\\' || character == L'/';
}

LPCWSTR FindLastComponent(LPCWSTR path) {
    LPCWSTR component = path;
    for (LPCWSTR character = path; *character; ++character) {
        if (IsPathSeparator(*character))
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

BOOL ReplaceExtension(LPWSTR path, size_t size, LPCWSTR extension) {
    LPWSTR found = const_cast<LPWSTR>(FindExtension(path));
    // Without a dot the extension starts at the terminator, where the dot goes.
    BOOL hasDot = found != path && found[-1] == L'.';
    size_t kept = static_cast<size_t>(found - path) + (hasDot ? 0 : 1);
    if (kept + wcslen(extension) >= size)
        return FALSE;
    if (!hasDot)
        *found++ = L'.';
    wcscpy(found, extension);
    return TRUE;
}

size_t PathRootLength(const std::wstring& path) {
    size_t position = 0;
    if (StartsWith(path, L"\\\\?\\UNC\\")) {
        position = 8;
    } else if (StartsWith(path, L"\\\\?\\")) {
        position = 4;
        if (path.size() >= 6 && path[5] == L':')
            return path.size() > 6 && IsPathSeparator(path[6]) ? 7 : 6;
        position = SkipComponent(path, position);
        return position < path.size() ? position + 1 : position;
    } else if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        position = 2;
    } else if (path.size() >= 2 && path[1] == L':') {
        return path.size() > 2 && IsPathSeparator(path[2]) ? 3 : 2;
    } else {
        return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
    }
    // A UNC root: server and share.
    position = SkipComponent(path, position);
    if (position < path.size())
        position = SkipComponent(path, position + 1);
    return position;
}

BOOL IsFullPath(const std::wstring& path) {
    return (path.size() >= 3 && path[1] == L':' && IsPathSeparator(path[2])) ||
           (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]));
}

BOOL ResolvePathAgainst(const std::wstring& directory, const std::wstring& path, LPWSTR absolute, DWORD size) {
    std::wstring joined;
    if (IsFullPath(path)) {
        joined = path;
    } else if (!path.empty() && IsPathSeparator(path[0])) {
        joined = directory.substr(0, PathRootLength(directory));
        while (!joined.empty() && IsPathSeparator(joined.back()))
            joined.pop_back();
        joined += path;
    } else {
        joined = directory;
        if (!joined.empty() && !IsPathSeparator(joined.back()))
            joined += L'\\';
        joined += path;
    }
    DWORD length = GetFullPathNameW(joined.c_str(), size, absolute, nullptr);
    if (length == 0 || length >= size) {
        if (size > 0)
            absolute[0] = L'\0';
        return FALSE;
    }
    return TRUE;
}
