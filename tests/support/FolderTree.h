#pragma once
#include "support/TempDirectory.h"

#include <string>

// A scratch folder tree, removed with everything in it (paths past the 260-character limit
// included).
class FolderTree {
public:
    FolderTree() = default;
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    const std::wstring& Root() const { return m_directory.Path(); }
    std::wstring Path(const std::wstring& relative) const { return m_directory.File(relative); }
    // Each creates the folders on the way and returns the full path.
    std::wstring AddFolder(const std::wstring& relative);
    std::wstring AddFile(const std::wstring& relative, const std::string& content = "");
    // Made by the shell's own link object.
    std::wstring AddShortcut(const std::wstring& relative, const std::wstring& target);
    // A script that writes the line into the file `marker` when it runs.
    std::wstring AddMarkerScript(const std::wstring& relative, const std::wstring& marker, const std::string& line);

private:
    TempDirectory m_directory;
};
