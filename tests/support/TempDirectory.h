#pragma once
#include <windows.h>

#include <string>

// A fresh directory under the system temporary folder, removed with everything in it
// when the object goes out of scope.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    // The directory path, without a trailing backslash.
    const std::wstring& Path() const { return m_path; }
    // Path() + "\" + relative.
    std::wstring File(const std::wstring& relative) const;

private:
    std::wstring m_path;
};

// Removes a file or a directory tree; true when nothing is left.
bool RemoveTree(const std::wstring& path);
