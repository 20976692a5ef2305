#pragma once
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

// The raw bytes of a file; empty when it cannot be read.
std::vector<unsigned char> ReadFileBytes(const std::wstring& path);

// Writes bytes as they are, replacing the file.
bool WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);

// Text as UTF-16LE preceded by the FF FE byte order mark, the way the configuration files hold it;
// the second writes it, replacing the file.
std::vector<unsigned char> Utf16Bytes(const std::wstring& text);
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);

// Decodes a UTF-16LE file (byte order mark skipped when present).
std::wstring ReadUtf16File(const std::wstring& path);

// The full paths of the directory's files whose names match the pattern ("*.ini"), sorted.
std::vector<std::wstring> FilesIn(const std::wstring& directory, const std::wstring& pattern);

// What the shell hands over with WM_DROPFILES: a DROPFILES header, then the terminated wide paths
// and a final terminator.
HDROP MakeDrop(POINT clientPoint, const std::vector<std::wstring>& paths);
