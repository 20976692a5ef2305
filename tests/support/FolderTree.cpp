#include "support/FolderTree.h"

#include "support/FileFixtures.h"
#include "support/MarkerScript.h"
#include "lib/ShellLink.h"

#include <windows.h>

namespace {

// Filling a folder of thousands file by file: one look at the parent spares a failing create per
// level of the path for every file.
std::wstring CreateFoldersOnTheWay(const std::wstring& path) {
    DWORD parent = GetFileAttributesW((L"\\\\?\\" + path.substr(0, path.rfind(L'\\'))).c_str());
    if (parent != INVALID_FILE_ATTRIBUTES && (parent & FILE_ATTRIBUTE_DIRECTORY))
        return path;
    for (size_t separator = path.find(L'\\', 3); separator != std::wstring::npos;
         separator = path.find(L'\\', separator + 1))
        CreateDirectoryW((L"\\\\?\\" + path.substr(0, separator)).c_str(), nullptr);
    return path;
}

} // namespace

FolderTree::~FolderTree() {
    // Deep trees pass the path limit of the plain Win32 calls.
    RemoveTree(L"\\\\?\\" + Root());
}

std::wstring FolderTree::AddFolder(const std::wstring& relative) {
    std::wstring path = Path(relative);
    CreateFoldersOnTheWay(path + L"\\");
    return path;
}

std::wstring FolderTree::AddFile(const std::wstring& relative, const std::string& content) {
    std::wstring path = CreateFoldersOnTheWay(Path(relative));
    WriteFileBytes(L"\\\\?\\" + path, std::vector<unsigned char>(content.begin(), content.end()));
    return path;
}

std::wstring FolderTree::AddShortcut(const std::wstring& relative, const std::wstring& target) {
    std::wstring path = CreateFoldersOnTheWay(Path(relative));
    return SUCCEEDED(SaveShellLink(path.c_str(), target.c_str())) ? path : L"";
}

std::wstring FolderTree::AddMarkerScript(const std::wstring& relative, const std::wstring& marker,
                                         const std::string& line) {
    std::wstring path = CreateFoldersOnTheWay(Path(relative));
    return WriteMarkerScript(path, marker, line) ? path : L"";
}
