#pragma once
#include <windows.h>

#include <string>

BOOL IsPathSeparator(WCHAR character); // "\" or "/"

// The text after the last "\" or "/", or the whole text.
LPCWSTR FindLastComponent(LPCWSTR path);
// The text after the last "." of the last component; the terminator when there is none.
LPCWSTR FindExtension(LPCWSTR path);
// Whether the last component's extension is the given one (without the dot), in any case.
BOOL HasExtension(LPCWSTR path, LPCWSTR extension);
// Puts the extension (without the dot) in place of the last component's one, or appends it after
// a dot. FALSE, with the path unchanged, when the result would not fit into size characters.
BOOL ReplaceExtension(LPWSTR path, size_t size, LPCWSTR extension);

// The length of the part of a path that names its root and is never removed: "C:\", "C:",
// "\\server\share", "\\?\C:\", "\" (the current drive's root); 0 for a relative path.
size_t PathRootLength(const std::wstring& path);
// A drive path with its root separator, or a UNC or device path.
BOOL IsFullPath(const std::wstring& path);

// Makes a path absolute against a directory without making that directory current (the current
// directory is shared by the whole process): a full path stays as it is, a path starting with one
// separator starts at the directory's root, anything else is taken below the directory. "." and
// ".." are folded. FALSE when the result does not fit into size characters.
BOOL ResolvePathAgainst(const std::wstring& directory, const std::wstring& path, LPWSTR absolute, DWORD size);
